// The Sample Rate window (window 9), chart and scope variants: preset and typed
// intervals, the total chart samples and recording duration, the scope trace
// length, the automatic backup, the interface notes and the speed caution.
#include <algorithm>
#include <cmath>
#include <optional>

#include "acquisition/state.h"
#include "conversions/needs.h"
#include "devices/state.h"
#include "files/state.h"
#include "kit/builders.h"
#include "kit/drawing.h"
#include "kit/format.h"
#include "kit/help.h"
#include "kit/needs.h"
#include "kit/protocol.h"
#include "kit/resources.h"
#include "kit/sample_intervals.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "runtime/menus.h"
#include "runtime/system.h"
#include "runtime/windows.h"
#include "setup/channel_dialogs.h"
#include "setup/interval_rules.h"
#include "setup/needs.h"
#include "setup/state.h"
#include "setup/sweep_check.h"

namespace mv {

namespace {

constexpr int16_t kWindow = kIntervalWindow;
constexpr int16_t kOK = 14, kHelp = 201, kBackupBox = 100;
constexpr int16_t kIntervalField = 101, kTraceField = 108, kBackupField = 109, kCountField = 111,
                  kMaxTimeField = 122, kDownloadLabel = 1111, kDownloadText = 1112, kScopeChartNote = 20;
constexpr int16_t kFileMenu = 1, kTimedSavesItem = 7, kViewMenu = 3, kSlopeTrendsItem = 15, kADMenu = 4,
                  kBeepItem = 15;
constexpr int16_t kHelpTopic = 130;
// The measured caution and the button that takes the interval it offers.
constexpr int16_t kMeasuredCautionField = 123, kUseKeptButton = 202;
constexpr RGBColor kBlack{0, 0, 0};
constexpr int kDontTryDelayUs = 600'000;
// Where the scope variant shows the interface picture, and the most room it takes.
constexpr int16_t kPictureLeft = 160, kPictureTop = 100, kPictureMaxWidth = 100, kPictureMaxHeight = 86;

// The left column ends above the bottom box; rows of 16 pixels.
constexpr int16_t kColumnLeft = 10, kColumnRight = 132, kColumnBottom = 262, kRow = 16;

bool Sable() {
  return External_AD == ExternalADCode::SableUI2 || External_AD == ExternalADCode::SableUI3;
}
bool DT800() {
  return External_AD == ExternalADCode::DT800;
}
bool On(int slot) {
  return PrefsArray[slot] != 0;
}
void SetState(int16_t control, int16_t state) {
  if (rt::ControlExists(control)) rt::SetControlState(control, state);
}
void Apply(const std::vector<StateChange>& changes) {
  for (const auto& [control, state] : changes) SetState(control, state);
}
void Text(int16_t x, int16_t y, const Str255& text, double size = 12, bool italic = false) {
  rt::FontSpec font = KitFont(KestraneFont, size);
  font.italic = italic;
  rt::DrawText(x, y, text, font, kBlack);
}
void Button(int16_t number, const Str255& title, int16_t left, int16_t top, int16_t right, int16_t bottom,
            int16_t state = 1) {
  rt::NewControl(number, rt::ControlType::PushButton, title, Rect{left, top, right, bottom}, state);
}
// A read-only text on the window's background.
void StaticField(int16_t number, const Str255& text, int16_t left, int16_t top, int16_t right, int16_t bottom) {
  BUILDEF(number, text, left, top, right, bottom, 7, 1);
  rt::SetEditColors(number, kBlack, kThemeBackground);
}
// The interface picture in the space above the note, in proportion (the interface
// pictures are drawn for the larger External A/D Device window).
void Picture(const char* file, int16_t left, int16_t top) {
  const auto image = CreateCGImageFromBundleResource("MVimages", file);
  if (!image) return;
  const int width = rt::ImageWidth(image), height = rt::ImageHeight(image);
  if (width <= 0 || height <= 0) return;
  const double scale = std::min({1.0, static_cast<double>(kPictureMaxWidth) / width,
                                     static_cast<double>(kPictureMaxHeight) / height});
  DrawThisImage(image, left, top, static_cast<int16_t>(left + std::lround(width * scale)),
                static_cast<int16_t>(top + std::lround(height * scale)));
}

// The menu handler while the window is open: every choice is dropped, except that
// Quit still goes through the program's Quit procedure with its data-loss guard.
void intervalMENU(int16_t menu, int16_t menuItem) {
  const bool quit = menu == kFileMenu && rt::GetMenuItem(menu, menuItem).key == 'Q';
  MENUID = 0;
  item = 0;
  if (quit) services::Quit();
}

class IntervalWindow {
 public:
  explicit IntervalWindow(const Str255& variant) : scope_(variant == "OSCILLOSCOPE"), variant_(variant) {}

  void Run() {
    Open();
    Loop();
    Close();
  }

 private:
  // ---- opening ------------------------------------------------------------------------------
  void Open() {
    services::SetUpMENUs(0);
    if (WeirdSoundsOn()) PlaySound("boop.mp3", "MVsounds");
    W_ = PrefsArray[PrefsSlot::WindowWidth];
    if (ScopeMax == 0) ScopeMax = W_;
    if (MaxSamples == 0) MaxSamples = W_;

    Str255 title = variant_;
    if (!scope_) {
      const int16_t total = RecordingMODE == RecordingModeCode::ScopeChart ? nChannels - 1 : nChannels;
      title = title + "  (" + NumText(total) + " total )";
    }
    BuildWINDOW(kWindow, title, 50, 90, 620, 458, 6);
    EmbossPrint(1, scope_ ? "Scope Sample Rate" : "Sample Rate", 22, 146, 34);
    // The chart variant times the interface's real sweeps once, before the speed test
    // first runs; the sweep does not change with the interval.
    if (!scope_) {
      rt::FlushWindow();
      sweeps_ = MeasureChartSweepsByMode();
    }
    SampleIntervalinSeconds = scope_ ? OldScopeSpeed : OldChartSpeed;
    SamplingSpeedCode = scope_ ? OldScopeSpeedBut : OldChartSpeedBut;
    MENUID = 0;

    const int16_t oldFore = EFForeColor, oldBack = EFBackColor;
    EFForeColor = 0;
    EFBackColor = 6;
    if (!scope_) BuildBackupLine();
    if (On(PrefsSlot::AlwaysShowHelpData) && W_ >= 800) {
      DoHelpWindow(kHelpTopic);
      rt::BringWindowForward(kWindow);
      rt::SetOutputWindow(kWindow);
    }
    Text(146, 60, "interval in seconds:");
    BUILDEF(kIntervalField, "", 146, 66, 236, 86, 3, 2);
    if (!scope_) BUILDEF(kMaxTimeField, "", 360, 224, 558, 242, 7, 1);

    SPEEDBOX();
    PRINTTRACE();
    const IntervalLayout layout = LayoutFor(scope_, External_AD, DemonstrationMODE, RecordingMODE);
    BuildColumn(layout);
    if (scope_) BuildScopeControls(layout);
    else BuildChartControls();
    DrawNotes(layout);
    Button(kHelp, "?", 360, 334, 390, 358);
    rt::NewControl(kOK, rt::ControlType::DefaultButton, "Selection OK", Rect{450, 332, 560, 358}, 1);
    if (!scope_)
      rt::NewControl(kBackupBox, rt::ControlType::CheckBox, "Backup Data Automatically", Rect{360, 268, 560, 288},
                     On(PrefsSlot::AutomaticBackup) ? 2 : 1);
    ShowInterval();
    rt::FocusEditField(kIntervalField);
    rt::SelectEditText(kIntervalField, 0, -1);
    EFForeColor = oldFore;
    EFBackColor = oldBack;

    Action = 0;
    EventID = 0;
    InstallDialogHandlers(intervalMENU);
    if (scope_) {
      ScopeScale = 0;
      ScopeGain = 1;
      scd = 3276.5f;
      Vmax = 5.0f;
      ChannelVariables[1][ChanField::PlotMin] = -5.0f;
    }
    rt::FlushWindow();
  }

  void BuildBackupLine() {
    Text(380, 312, "every");
    const Str255 minutes = On(PrefsSlot::AutomaticBackup) ? NumText(TimedSaveINTERVAL / 3'600.0) : Str255("(off)");
    BUILDEF(kBackupField, minutes, 420, 298, 470, 316, 3, 2);
    rt::SelectEditText(kBackupField, 0, 0);
    Text(476, 312, "min");
  }

  // The preset column with the interface's extra buttons above it; the accepted
  // button shows selected.
  void BuildColumn(const IntervalLayout& layout) {
    const int count = static_cast<int>(std::size(kPresetColumn) + layout.extraButtons.size());
    int16_t top = static_cast<int16_t>(kColumnBottom - kRow * count);
    if (layout.highSpeedColumn) Text(14, static_cast<int16_t>(top - 6), "Continuous", 12, true);
    auto add = [&](int16_t code) {
      Button(code, RateButtonLabel(code, false), kColumnLeft, top, kColumnRight, static_cast<int16_t>(top + kRow - 1),
             code == AcceptedButton() ? 2 : 1);
      top = static_cast<int16_t>(top + kRow);
    };
    for (int16_t code : layout.extraButtons) add(code);
    for (int16_t code : kPresetColumn) add(code);
    if (layout.highSpeedColumn) {
      Text(360, 48, "Intermittent sampling", 12, true);
      int16_t y = 54;
      for (int16_t code : kHighSpeedColumn) {
        Button(code, RateButtonLabel(code, true), 360, y, 540, static_cast<int16_t>(y + 17),
               code == AcceptedButton() ? 2 : 1);
        y = static_cast<int16_t>(y + 19);
      }
    }
  }

  void BuildChartControls() {
    BUILDBOX(356, 8, 562, 248);
    Text(364, 28, "Total samples:");
    BUILDEF(kCountField, NumText(MaxSamples), 460, 14, 556, 34, 7, 2);
    const int16_t counts[] = {167, 40, 41, 42, 43, 44, 45, 46, 47, 48, 49, 50};
    const char* labels[] = {"|<<", "<<", "<", ">", ">>", ">>|", "-50", "-10", "-1", "+1", "+10", "+50"};
    for (int k = 0; k < 12; ++k) {
      const auto left = static_cast<int16_t>(362 + 33 * (k % 6));
      const auto top = static_cast<int16_t>(k < 6 ? 40 : 62);
      Button(counts[k], labels[k], left, top, static_cast<int16_t>(left + 31), static_cast<int16_t>(top + 19));
    }
    Text(364, 98, "Record for:");
    for (int16_t code = kFirstDurationButton; code <= kLastDurationButton; ++code) {
      const int k = code - kFirstDurationButton;
      const auto left = static_cast<int16_t>(364 + 64 * (k % 3));
      const auto top = static_cast<int16_t>(104 + 21 * (k / 3));
      Button(code, DurationLabel(code), left, top, static_cast<int16_t>(left + 62), static_cast<int16_t>(top + 19));
    }
    const Str255 factors[] = {"X2", divideBy + " 2", "X10", divideBy + " 10"};
    for (int k = 0; k < 4; ++k) {
      const auto left = static_cast<int16_t>(364 + 48 * k);
      Button(static_cast<int16_t>(63 + k), factors[k], left, 192, static_cast<int16_t>(left + 46), 212);
    }
    BUILDBOX(143, 93, 293, 121);
    Button(RateButton::UseOther, RateButtonLabel(RateButton::UseOther, false), 146, 96, 290, 118,
           AcceptedButton() == RateButton::UseOther ? 2 : 1);
    Apply(InitialCountStates(MaxSamples, MaximumSamples, W_));
    SETMINIMUM();
  }

  void BuildScopeControls(const IntervalLayout& layout) {
    const int16_t top = layout.highSpeedColumn ? 190 : 60;
    Text(360, top, "Samples in oscilloscope trace:");
    const int16_t trace[] = {17, 18, 19, 39};
    const char* labels[] = {"|<<", "<<", ">>", ">>|"};
    for (int k = 0; k < 4; ++k) {
      const auto left = static_cast<int16_t>(360 + 38 * k);
      Button(trace[k], labels[k], left, static_cast<int16_t>(top + 8), static_cast<int16_t>(left + 36),
             static_cast<int16_t>(top + 27));
    }
    BUILDEF(kTraceField, NumText(ScopeMax), 514, static_cast<int16_t>(top + 8), 562, static_cast<int16_t>(top + 27),
            7, 2);
    // The trace buttons open as their own steps would leave them.
    const int16_t down = ScopeMax > W_ ? 1 : 0, up = ScopeMax < MaximumScopeSamples ? 1 : 0;
    Apply({{17, down}, {18, down}, {19, up}, {39, up}});
  }

  void DrawNotes(const IntervalLayout& layout) {
    if (!scope_) {
      // Interface notes of the chart variant stand under the bottom box.
      if (layout.cautionIcon) DrawIcon(138, 12, 350);
      for (std::size_t k = 0; k < layout.note.size(); ++k)
        Text(50, static_cast<int16_t>(322 + 14 * k), layout.note[k]);
      return;
    }
    picture_ = layout.picture;
    if (*picture_) Picture(picture_, kPictureLeft, kPictureTop);
    if (layout.demoNote) {
      rt::FontSpec plain = KitFont(KestraneFont, 12), italic = plain;
      italic.italic = true;
      int x = 146;
      rt::DrawText(x, 198, "With", plain, kBlack);
      x += rt::TextWidth("With", plain);
      rt::DrawText(x, 198, " real ", italic, kBlack);
      x += rt::TextWidth(" real ", italic);
      rt::DrawText(x, 198, "A-D converters,", plain, kBlack);
      Text(146, 212, "maximum sample rates");
      Text(146, 226, "(for 2 channels) are:");
      Text(150, 242, bullet + " Sable:  ~ 125/second");
      Text(150, 256, bullet + " DT800:  ~ 25/second");
      return;
    }
    if (!layout.scopeChartNote.empty()) {
      DrawIcon(138, 12, 350);
      StaticField(kScopeChartNote, layout.scopeChartNote, 50, 312, 340, 360);
      return;
    }
    const int16_t x = layout.cautionIcon ? 184 : 150;
    if (layout.cautionIcon) DrawIcon(138, 146, 232);
    for (std::size_t k = 0; k < layout.note.size(); ++k) Text(x, static_cast<int16_t>(200 + 14 * k), layout.note[k]);
  }

  // ---- refresh operations -------------------------------------------------------------------
  int16_t AcceptedButton() const { return scope_ ? OldScopeSpeedBut : OldChartSpeedBut; }

  static std::string IntervalText() { return NumText(static_cast<float>(SampleIntervalinSeconds)).str(); }
  void ShowInterval() { rt::SetEditText(kIntervalField, IntervalText()); }

  // UI2 and UI3 have no high-speed scope, nor has demonstration mode from 0.004 s.
  static void ClearHighSpeedWhereUnavailable() {
    if (Sable()) PrefsArray[PrefsSlot::DT800FastScope] = 0;
    if (DemonstrationMODE != 0 && SampleIntervalinSeconds >= 0.004) PrefsArray[PrefsSlot::DT800FastScope] = 0;
  }

  RGBColor BoxColor() const {
    if (!scope_) return ChartBackgroundColor;
    return On(PrefsSlot::DT800FastScope) ? FastScopeBackground : ScopeBackgroundColor;
  }

  void SPEEDBOX() {
    if (SamplingSpeedCode == 100) return;
    ClearHighSpeedWhereUnavailable();
    CGdrawBox(1, BoxColor(), 1, 8, 268, 330, 303, 0);
    BUILDBOX2(8, 268, 330, 303);
  }

  void PRINTTRACE() {
    if (!scope_ && OldChartSpeedBut != RateButton::UseOther) AltChartInt = 0;
    if (scope_ && OldScopeSpeedBut != RateButton::UseOther) AltScopeInt = 0;
    ClearHighSpeedWhereUnavailable();
    if (SamplingSpeedCode == 100) return;

    const double seconds = SampleIntervalinSeconds;
    tfact = static_cast<float>(seconds);
    const bool scopeCount = RecordingMODE == RecordingModeCode::Scope ||
                            (RecordingMODE == RecordingModeCode::ScopeChart && scope_);
    TraceLength = static_cast<float>((scopeCount ? ScopeMax : MaxSamples) * seconds);
    CGdrawBox(1, BoxColor(), 1, 30, 270, 328, 300, 0);
    const DurationLine line = DurationLineText(TraceLength);
    rt::FontSpec font = KitFont(KestraneFont, 26);
    if (KestraneFont == 0) font = rt::FontSpec{kSystemFontFamily, 20, true};
    rt::DrawText(32, 295, line.text, font, scope_ ? ScopeDataColor : ChartDataColor);
    minute_units = line.minuteUnits;
    if (minute_units != 0) tfact /= 60.0f;

    if (scope_) ShowDownloadTime();
    if (!scope_) {
      // In scope-plus-chart mode the scope interval is the scope window's; the chart
      // window must not replace it.
      if (RecordingMODE != RecordingModeCode::ScopeChart) scopeinterval = static_cast<float>(seconds);
      rt::SetEditText(kMaxTimeField, MaximumTimeText(MaximumSamples, seconds));
      SpeedTest();
    }
    ShowInterval();
    rt::FlushWindow();
  }

  void ShowDownloadTime() {
    if (On(PrefsSlot::DT800FastScope)) {
      StaticField(kDownloadLabel, "download time:", 360, 290, 460, 306);
      StaticField(kDownloadText, "about" + NumText(DownloadSeconds(ScopeMax, scopeinterval)) + " seconds", 360, 308,
                  560, 324);
    } else {
      if (rt::EditFieldExists(kDownloadLabel)) rt::SetEditText(kDownloadLabel, "");
      if (rt::EditFieldExists(kDownloadText)) rt::SetEditText(kDownloadText, "");
    }
  }

  // With an instrument connected the caution comes from its measured sweeps; without
  // one (or when it did not answer) from the interfaces' usual speeds.
  void SpeedTest() {
    // The sweeps of the mode this interval reads in (a DT800's high-speed mode below
    // 0.1 s), against the interval.
    if (const std::optional<double> sweep = SweepAtInterval(sweeps_, SampleIntervalinSeconds)) {
      if (SampleIntervalinSeconds < ShortestKeptInterval(*sweep)) MeasuredWarning(*sweep);
      return;
    }
    const float limit = SpeedLimit(External_AD, DemonstrationMODE, nChannels, FreeRunSpeed,
                                   SampleIntervalinSeconds, Max_Display_Speed);
    if (TooFast(limit, SampleIntervalinSeconds)) SPEEDWARN();
  }

  void SPEEDWARN() {
    if (RecordingMODE == RecordingModeCode::Scope) return;
    zap();
    if (WeirdSoundsOn()) {
      dontTryPending_ = true;
      dontTryAt_ = rt::Microseconds() + kDontTryDelayUs;
    }
    CGdrawBox(1, ChartBackgroundColor, 1, 147, 141, 346, 190, 0);
    CGdrawBox(1, kBlack, 0, 147, 141, 346, 190, 0);
    const rt::FontSpec plain{kSystemFontFamily, 14};
    rt::FontSpec italic = plain;
    italic.italic = true;
    int x = 152;
    rt::DrawText(x, 159, "CAUTION: ", plain, kBlack);
    x += rt::TextWidth("CAUTION: ", plain);
    rt::DrawText(x, 159, "may ", italic, kBlack);
    x += rt::TextWidth("may ", italic);
    rt::DrawText(x, 159, " be too fast", plain, kBlack);
    rt::DrawText(157, 178, CautionChannelsText(nChannels), plain, kBlack);
  }

  // The measured caution: the sweep time and the shortest interval kept, with a button
  // that takes that interval as a typed one.
  void MeasuredWarning(double sweep) {
    if (RecordingMODE == RecordingModeCode::Scope) return;
    zap();
    if (WeirdSoundsOn()) {
      dontTryPending_ = true;
      dontTryAt_ = rt::Microseconds() + kDontTryDelayUs;
    }
    // Only an interval the run keeps is offered, in the mode that interval reads in.
    const double kept = ShortestIntervalRunKeeps(sweeps_).value_or(ShortestKeptInterval(sweep));
    CGdrawBox(1, ChartBackgroundColor, 1, 147, 132, 346, 192, 0);
    CGdrawBox(1, kBlack, 0, 147, 132, 346, 192, 0);
    BUILDEF(kMeasuredCautionField, MeasuredCautionText(nChannels, sweep, kept), 150, 135, 344, 190, 7, 1);
    rt::SetEditColors(kMeasuredCautionField, kBlack, ChartBackgroundColor);
    Button(kUseKeptButton, UseKeptIntervalTitle(kept), 147, 196, 262, 216);
  }

  // The stand-in for the transient field: the caution area is cleared after every
  // click, and the speed test draws it again while the interval is still too short.
  // The interface picture of the scope-plus-chart variant shares the area: it comes back.
  void ClearCaution() {
    if (RecordingMODE == RecordingModeCode::Scope) return;
    ClearArea(147, 130, 349, 193);
    if (rt::EditFieldExists(kMeasuredCautionField)) rt::DisposeEditField(kMeasuredCautionField);
    if (rt::ControlExists(kUseKeptButton)) {
      rt::DisposeControl(kUseKeptButton);
      ClearArea(147, 193, 349, 218);
    }
    if (scope_ && *picture_) Picture(picture_, kPictureLeft, kPictureTop);
  }

  void SETMINIMUM() {
    for (int16_t code = kFirstDurationButton; code <= kLastDurationButton; ++code)
      SetState(code, DurationOffered(code, SampleIntervalinSeconds, MaximumSamples) ? 1 : 0);
  }

  // ---- the event loop -------------------------------------------------------------------------
  enum class Next { Stay, Close };

  void Loop() {
    for (;;) {
      rt::PumpEvents();
      if (!rt::WindowExists(kWindow)) return;
      PlayDelayedWarning();
      if (scope_ && DT800() && (SampleIntervalinSeconds > 0.008 || SampleIntervalinSeconds <= 0.001) &&
          ScopeMax < MaximumScopeSamples) {
        SetState(19, 1);
        SetState(39, 1);
      }
      const Next next = HandleEvent();
      Action = 0;
      EventID = 0;
      if (next == Next::Close || MENUID == 255) return;
    }
  }

  void PlayDelayedWarning() {
    if (!dontTryPending_ || rt::Microseconds() < dontTryAt_) return;
    dontTryPending_ = false;
    if (rt::Rnd(5) >= 3) PlaySound("don't try that.mp3", "MVtimerSounds");
  }

  Next HandleEvent() {
    switch (Action) {
      case ActionCode::Key:
        // Return or Enter in a field; other keys typed outside a field are no answer.
        if (EventID != 0 && EventID != 13 && EventID != 3) return Next::Stay;
        return CommitTypedInterval();
      case ActionCode::CloseBox:
        if (EventID == kWindow) return Next::Stay;
        return BackToWindowAndClose();
      case ActionCode::WindowActivity:
        if (EventID <= 0 || EventID == kWindow) return Next::Stay;
        return BackToWindowAndClose();
      case 6:
        return Next::Close;
      case ActionCode::Click:
        return HandleClick(static_cast<int16_t>(EventID));
      default:
        return Next::Stay;
    }
  }

  Next BackToWindowAndClose() {
    rt::BringWindowForward(kWindow);
    rt::SetOutputWindow(kWindow);
    SetState(kHelp, 1);
    return Next::Close;
  }

  // Return takes the typed number as the interval and closes; an interval of 0 or
  // less (or text that is no number) would stop every recording that divides by it,
  // and one beyond the limits could not be kept in a set-up file, so it is refused
  // and the window stays open with the interval it had.
  Next CommitTypedInterval() {
    const double typed = TextToNumber(rt::EditText(kIntervalField));
    const auto single = static_cast<float>(typed);
    if (!SampleIntervalWithinLimits(typed) || !(single > 0)) {
      zap();
      ShowInterval();
      rt::SelectEditText(kIntervalField, 0, -1);
      return Next::Stay;
    }
    SampleIntervalinSeconds = typed;
    return Next::Close;
  }

  Next HandleClick(int16_t id) {
    if (id == kIntervalField || id == kBackupField || id == kCountField || id == kMeasuredCautionField)
      return Next::Stay;
    // The offered interval is taken as a typed one.
    if (id == kUseKeptButton) {
      if (const std::optional<double> kept = ShortestIntervalRunKeeps(sweeps_)) {
        rt::SetEditText(kIntervalField, PlainText10(*kept));
        id = RateButton::UseOther;
      }
    }
    lastClick_ = id;
    // Every click on a button shows the interval in force again, so a field that shows
    // anything else holds a typed interval, which Selection OK takes as Return does.
    if (id == kOK)
      return rt::EditText(kIntervalField) == IntervalText() ? Next::Close : CommitTypedInterval();
    if (id == kHelp) {
      DoHelpWindow(kHelpTopic);
      rt::BringWindowForward(kWindow);
      rt::SetOutputWindow(kWindow);
      return Next::Stay;
    }
    SamplingSpeedCode = id;
    ClearCaution();

    const bool rate = IsRateButton(id) && rt::ControlExists(id);
    if (rate) {
      Accept(id);
      ApplyRate(id);
    } else if (!scope_ && ((id >= 40 && id <= 66) || id == 167)) {
      CountOrDuration(id);
    } else if (scope_ && (id == 17 || id == 18 || id == 19 || id == 39)) {
      TraceButton(id);
    } else if (!scope_ && id == kBackupBox) {
      BackupBox();
    }
    if (scope_ && rate) {
      const bool highSpeed = id == RateButton::Rate125 || (id >= RateButton::FirstHighSpeed && id <= RateButton::LastHighSpeed);
      PrefsArray[PrefsSlot::DT800FastScope] = highSpeed ? 1 : 0;
      if (id == RateButton::Rate125) scopeinterval = 0.008f;
    }
    if (!scope_ && rate) SETMINIMUM();
    if (!scope_) SetState(44, MaxSamples < MaximumSamples ? 1 : 0);
    if (id >= 1 && id <= 200) {
      SPEEDBOX();
      PRINTTRACE();
    }
    return Next::Stay;
  }

  void Accept(int16_t id) {
    int16_t& accepted = scope_ ? OldScopeSpeedBut : OldChartSpeedBut;
    if (accepted != id && rt::ControlExists(accepted) && rt::ControlState(accepted) == 2) SetState(accepted, 1);
    accepted = id;
    if (id >= RateButton::FirstHighSpeed && id <= RateButton::LastHighSpeed)
      for (int16_t b = 1; b <= 12; ++b)
        if (rt::ControlExists(b) && rt::ControlState(b) != 0) SetState(b, 1);
    SetState(id, 2);
  }

  void ApplyRate(int16_t id) {
    if (id == RateButton::UseOther) {
      UseOtherInterval();
      return;
    }
    SampleIntervalinSeconds = PresetInterval(id).value_or(SampleIntervalinSeconds);
    if (id >= RateButton::FirstHighSpeed && id <= RateButton::LastHighSpeed)
      scopeinterval = static_cast<float>(SampleIntervalinSeconds);
    const bool limited = id == RateButton::Rate125 || id == 20 || id == 21;
    if (scope_ && DT800() && limited) {
      const int32_t limit = Dt800TraceLimit(SampleIntervalinSeconds);
      if (ScopeMax >= limit) {
        ScopeMax = limit;
        rt::SetEditText(kTraceField, NumText(limit).mid(2));
      } else {
        SetState(19, 1);
        SetState(39, 1);
      }
    }
  }

  // A typed interval of 0 or less (or no number) becomes 5 s; one beyond the
  // limits becomes the nearest limit. The interval is kept as typed: through a float
  // 0.01 s would become 0.0099999998 s, just short of the readouts' speed limit, and
  // the run would switch its data panel off.
  void UseOtherInterval() {
    double seconds = TextToNumber(rt::EditText(kIntervalField));
    const auto single = static_cast<float>(seconds);
    if (!(seconds > 0) || !std::isfinite(single) || !(single > 0)) seconds = 5.0;
    seconds = std::clamp(seconds, kShortestSampleInterval, kLongestSampleInterval);
    NewInterval = static_cast<float>(seconds);
    interval = NewInterval;
    AltChartInt = 1;
    OldChartSpeedBut = RateButton::UseOther;
    SampleIntervalinSeconds = seconds;
  }

  void CountOrDuration(int16_t id) {
    if (id >= kFirstDurationButton && id <= kLastDurationButton) {
      MaxSamples = DurationSamples(id, SampleIntervalinSeconds, MaximumSamples);
    } else {
      MaxSamples = CountAfterButton(id, MaxSamples, MaximumSamples, W_);
      if (id == 44) SetState(43, 0);
    }
    const CountRefresh r = RefreshCountButtons(MaxSamples, MaximumSamples, W_);
    if (r.refused) zap();
    MaxSamples = r.samples;
    Apply(r.states);
    rt::SetEditText(kCountField, NumText(MaxSamples));
  }

  void TraceButton(int16_t id) {
    const TraceStep t = ScopeTraceStep(id, ScopeMax, W_, MaximumScopeSamples);
    ScopeMax = t.scopeMax;
    Apply(t.states);
    PRINTTRACE();
    if (DT800()) ScopeMax = std::min(ScopeMax, Dt800TraceLimit(SampleIntervalinSeconds));
    rt::SetEditText(kTraceField, NumText(ScopeMax));
  }

  void BackupBox() {
    TogglePrefs(PrefsSlot::AutomaticBackup);
    const bool on = On(PrefsSlot::AutomaticBackup);
    rt::CheckMenuItem(kFileMenu, kTimedSavesItem, on);
    SetState(kBackupBox, on ? 2 : 1);
    if (!on) {
      TimedSaveINTERVAL = 0;
      return;
    }
    const double minutes = TextToNumber(rt::EditText(kBackupField));
    const bool typed = std::isfinite(minutes) && minutes > 0;
    TimedSaveINTERVAL = BackupTicksSwitchedOn(minutes, TimedSaveINTERVAL);
    if (!typed) rt::SetEditText(kBackupField, NumText(TimedSaveINTERVAL / 3'600.0));
  }

  // ---- closing ----------------------------------------------------------------------------------
  void Close() {
    const double seconds = SampleIntervalinSeconds;
    const bool chartMode = RecordingMODE == RecordingModeCode::Chart;
    if (seconds >= 0.2) {
      if (RecordingMODE == RecordingModeCode::Chart || RecordingMODE == RecordingModeCode::ScopeChart) {
        rt::EnableMenuItem(kADMenu, kBeepItem, true);
        rt::CheckMenuItem(kADMenu, kBeepItem, On(PrefsSlot::BeepEverySample));
      }
    } else {
      PrefsArray[PrefsSlot::BeepEverySample] = 0;
      rt::EnableMenuItem(kADMenu, kBeepItem, false);
    }
    rt::EnableMenuItem(kViewMenu, kSlopeTrendsItem, seconds >= 0.033333);
    const int16_t n = static_cast<int16_t>(std::clamp<int>(nChannels, 0, 16));
    if (On(PrefsSlot::DT800FastScope)) {
      Kfloat = 10.0f;
      for (int16_t c = 1; c <= n; ++c) ChannelVariables[c][ChanField::Averaged] = 10.0f;
      ChannelVariables[1][ChanField::Averaged] = 1.0f;
    }
    if (!scope_ && On(PrefsSlot::AutomaticBackup) && rt::EditFieldExists(kBackupField))
      TimedSaveINTERVAL = BackupTicksOnClose(rt::EditText(kBackupField), TimedSaveINTERVAL);
    rt::CloseWindow(kWindow);

    if (DT800() && chartMode && DT800HighSpeedInterval(seconds)) {
      DT800FastAcquisitionMode = 1;
      setup_hooks::SwitchDT800ToHIGHSpeed();
    } else {
      DT800FastAcquisitionMode = 0;
      if (DT800()) setup_hooks::SwitchDT800ToLOWSpeed();
    }
    SamplingSpeedCode = lastClick_;
    (scope_ ? OldScopeSpeed : OldChartSpeed) = seconds;
    MAXAVERAGE();
    if (On(PrefsSlot::AverageLastChannel) && n >= 1) ChannelVariables[n][ChanField::Averaged] = 0.0f;
    services::SetUpMENUs(1);
    Action = ActionCode::Redraw;
  }

  const bool scope_;
  const Str255 variant_;
  int32_t W_ = 0;
  int16_t lastClick_ = 0;
  const char* picture_ = "";  // the interface picture of the scope variant
  ModeSweeps sweeps_;         // the interface's measured sweeps, by mode; none without one
  bool dontTryPending_ = false;
  uint64_t dontTryAt_ = 0;
};

}  // namespace

void GetSampleINTERVAL(const Str255& variant) {
  const HandlerScope callersHandlers;
  IntervalWindow(variant).Run();
}

}  // namespace mv
