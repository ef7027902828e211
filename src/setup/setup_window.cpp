// The set-up window's loop: opening, the item table, the menu commands it answers,
// the refresh after every event and the two ways out.
#include "setup/setup_window.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "acquisition/chart_heights.h"
#include "acquisition/state.h"
#include "acquisition/view_colours.h"
#include "acquisition/view_windows.h"
#include "control/refusal_line.h"
#include "control/sequence_labels.h"
#include "control/state.h"
#include "control/switch_groups.h"
#include "control/trigger_window.h"
#include "conversions/breakpoint_window.h"
#include "conversions/equation_panel.h"
#include "devices/state.h"
#include "kit/builders.h"
#include "kit/help.h"
#include "kit/protocol.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/menus.h"
#include "runtime/system.h"
#include "runtime/windows.h"
#include "setup/add_channel.h"
#include "setup/channel_dialogs.h"
#include "setup/channel_heading.h"
#include "setup/channel_table.h"
#include "setup/delete_channels.h"
#include "setup/needs.h"
#include "setup/setup_window_rules.h"
#include "setup/setup_window_view.h"
#include "setup/state.h"

namespace mv {

namespace {

using setup_view::Current;

// Menus of the bar and the items the window answers.
constexpr int16_t kFileMenu = 1, kEditMenu = 2, kViewMenu = 3, kADMenu = 4;
constexpr int16_t kSampleAveragingMenu = 110, kInterfaceMenu = 112;
constexpr int16_t kRearrangeItem = 2, kChartRateItem = 16, kScopeRateItem = 17;
constexpr int16_t kSerialInstrumentItem = 4, kTestModeItem = 9, kBeepItem = 15, kAutorepeatItem = 19,
                  kCutItem = 20, kAddItem = 21;
constexpr int16_t kHelpTopic = 135;
// The line under the buttons that tells of the switching (SwitchingNote).
constexpr int16_t kSwitchingNoteField = 290;

struct MenuChoice {
  int16_t menu = 0, item = 0;
  bool chosen = false;
};
MenuChoice gMenuChoice;

bool Mode(int16_t mode) {
  return RecordingMODE == mode;
}

// The full menu bar works while the window is open. The rows are read back first, so
// a command that opens a window on the channel table sees what was typed.
void SetupMenuHandler(int16_t menu, int16_t menuItem) {
  UPDATE();
  gMenuChoice = {menu, menuItem, true};
  setup_hooks::DoMENU(menu, menuItem);
}

void InstallSetupHandlers() {
  rt::SetDialogHandler(doDIALOG);
  rt::SetEditKeyHandler(CheckRETURN);
  rt::SetMenuHandler(SetupMenuHandler);
  rt::SetMouseHandler(noMOUSE);
}

// Back to the window after another window had the front.
void Resume() {
  if (!rt::WindowExists(kSetupWindow)) return;
  rt::SetOutputWindow(kSetupWindow);
  rt::BringWindowForward(kSetupWindow);
  InstallSetupHandlers();
}

void EnableMenus(std::initializer_list<int16_t> menus, bool on) {
  for (int16_t m : menus) rt::EnableMenuItem(m, 0, on);
}

// Items 3 and 4 of the interface submenu belong to the DataTaker and ADAM
// interfaces and to the DT800.
void InterfaceSubmenuStates() {
  rt::EnableMenuItem(kInterfaceMenu, 3,
                     External_AD >= ExternalADCode::DT500 && External_AD <= ExternalADCode::ADAM);
  rt::EnableMenuItem(kInterfaceMenu, 4, External_AD == ExternalADCode::DT800);
}

// Intervals, their single-precision copies, the durations and, in scope plus chart,
// the scope samples each chart channel averages.
void IntervalBookkeeping() {
  if (Mode(RecordingModeCode::Scope)) {
    ChartIntervalInSeconds = ScopeIntervalInSeconds;
    TraceLength = static_cast<float>(ScopeMax * ScopeIntervalInSeconds);
  } else {
    TraceLength = static_cast<float>(MaxSamples * ChartIntervalInSeconds);
  }
  sctracelength = static_cast<float>(ScopeMax * ScopeIntervalInSeconds);
  ChartSampleInterval = static_cast<float>(ChartIntervalInSeconds);
  scopeinterval = static_cast<float>(ScopeIntervalInSeconds);
  const int16_t n = setup_view::ChannelCount();
  if (Mode(RecordingModeCode::ScopeChart) && n >= 2 && PrefsArray[PrefsSlot::DT800FastScope] == 0) {
    const float averaged = OpeningScopeChartAveraged(ChartSampleInterval, scopeinterval);
    for (int16_t c = 2; c <= n; ++c) ChannelVariables[c][ChanField::Averaged] = averaged;
  }
}

void ScopeIntervalChange() {
  SampleIntervalinSeconds = ScopeIntervalInSeconds;
  GetSampleINTERVAL("OSCILLOSCOPE");
  ScopeIntervalInSeconds = SampleIntervalinSeconds;
  scopeinterval = static_cast<float>(SampleIntervalinSeconds);
}

class SetupWindow {
 public:
  void Run() {
    Open();
    for (;;) {
      InstallSetupHandlers();
      gMenuChoice = {};
      rt::PumpEvents();
      if (!rt::WindowExists(kSetupWindow)) Build();
      HandleEvent();
      AfterEvent();
      if (Leave()) return;
      Action = 0;
      EventID = 0;
    }
  }

 private:
  // ---- opening ----------------------------------------------------------------------------------
  void Open() {
    if (External_AD == ExternalADCode::ADAM) setup_hooks::SetADAM(0, 1);
    if (rt::WindowExists(kStatusStripWindow)) rt::HideWindow(kStatusStripWindow);
    rt::EnableMenuItem(kViewMenu, 0, true);
    rt::EnableMenuItem(kViewMenu, 6, true);
    if (Mode(RecordingModeCode::Scope)) {
      SwitchingMode = 0;
      UseScopeColors = 0;
      rt::EnableMenuItem(kFileMenu, 12, true);
      rt::EnableMenuItem(kFileMenu, 13, true);
    }
    COLORSELECT();
    MaximumSamples = 2'000'000;
    W_ = setup_view::ScreenWidth();
    MaxSamples = std::min(MaxSamples, MaximumSamples);
    if (MaxSamples <= 0) MaxSamples = W_;
    if (ScopeMax <= 0) ScopeMax = W_;
    rt::CloseWindow(kSetupWindow);
    Current() = setup_view::View{};
    Current().layout = SetupLayoutFor(RecordingMODE, MaximumChans, rt::DisplayHeight());
    IntervalBookkeeping();
    FitSwitchingToInterface();
    Build();
    wsst();
    StartOver = 0;
    FinishFlag = 0;
    DispSetupON = 1;
    if (PrefsArray[PrefsSlot::AlwaysShowHelpData] != 0 && W_ > 640) {
      DoHelpWindow(kHelpTopic);
      Resume();
    }
    Action = 0;
    EventID = 0;
    CheckInputs();
  }

  // The set-up meets the interface and coding it will run with here: a set-up file does
  // not carry the coding, and the interface is chosen after the file was opened. Two
  // device groups they cannot switch run as one group, and the window says so.
  void FitSwitchingToInterface() {
    if (FitPatternToCoding())
      SwitchingNote = *OneGroupReason() + ": the set-up's two device groups now run as one.";
  }

  void Build() {
    const SetupLayout& l = Current().layout;
    BuildWINDOW(kSetupWindow, SetupWindowTitle(RecordingMODE, External_AD), kSetupLeft, kSetupTop,
                kSetupLeft + kSetupWidth, static_cast<int16_t>(kSetupTop + l.height), 262);
    rt::EnableMenuItem(kFileMenu, 10, true);
    rt::EnableMenuItem(kFileMenu, 11, true);
    setup_view::DrawSetupFrame();
    FixFields(kSetupWindow);
    EnableMenus({kFileMenu, kEditMenu, kADMenu}, true);
    setup_hooks::MENU_100();
    InterfaceSubmenuStates();
    setup_view::PlaceSetupButtons();
    Current().drawnMaxSamples = -1;
    RefreshTexts();
    UpdateTriggerAndSwitcher();
    RefreshStates();
    ShowSwitchingNote();
    Resume();
  }

  // Why the run cannot start as the set-up stands, shown from the moment it holds (a
  // value typed in a row that the channel cannot hold, opening, a set-up file met by
  // another interface, a coding changed in the Preferences), else what the window did
  // to the switching; nothing when neither.
  void ShowSwitchingNote() {
    const auto typed = setup_view::TypedRowRefusal();
    const std::optional<std::string> refusal = typed ? std::optional(typed->text) : StartRefusal();
    const std::string& line = refusal ? *refusal : SwitchingNote;
    if (line.empty()) {
      ClearRefusalLine(kSwitchingNoteField);
      return;
    }
    const int16_t top = static_cast<int16_t>(Current().layout.lowerTop + 93);
    ShowRefusalLine(kSwitchingNoteField, Rect{12, top, 600, static_cast<int16_t>(top + 16)}, line);
  }

  // A device the interface cannot switch, two groups where group 2 has no lines, or a
  // trigger on an A-D input the interface lacks.
  static std::optional<std::string> StartRefusal() {
    if (auto why = RunStartRefusal()) return why;
    if (TriggerON != 0) return TriggerInputRefusal();
    return std::nullopt;
  }

  // ---- events -------------------------------------------------------------------------------------
  void HandleEvent() {
    const MenuChoice menu = gMenuChoice;
    switch (Action) {
      case ActionCode::Click: {
        int16_t item = static_cast<int16_t>(EventID);
        // Edit's sample-rate commands stand for the rate buttons.
        if (menu.chosen && menu.menu == kEditMenu &&
            (menu.item == kChartRateItem || menu.item == kScopeRateItem))
          item = EventID == 8 ? SetupItem::ScopeRate : SetupItem::ChartRate;
        HandleItem(item);
        break;
      }
      case ActionCode::Key:
        if (EventID == 0 || EventID == 13 || EventID == 3) ConfirmSetup();
        break;
      case ActionCode::Tab:
        FocusNextField();
        break;
      case ActionCode::ChannelsChanged:
        if (menu.chosen && menu.menu == kADMenu && menu.item == kAddItem)
          AddChannel();
        else
          FixFields(kSetupWindow);
        break;
      default:
        break;
    }
    if (menu.chosen) AnswerMenu(menu);
  }

  // What a menu command leaves for the window to do (the dispatcher carried it out).
  void AnswerMenu(const MenuChoice& menu) {
    MENUID = 0;
    item = 0;
    Resume();
    if (menu.menu == kADMenu) {
      if (menu.item == kCutItem || menu.item == kSerialInstrumentItem) FixFields(kSetupWindow);
      if (menu.item == kTestModeItem) ClearArea(5, 74, 40, 112);
    } else if (menu.menu == kSampleAveragingMenu) {
      AVERAGINGFIELDS(kSetupWindow);
      InterfaceSubmenuStates();
    } else if (menu.menu == kInterfaceMenu) {
      ClearArea(5, 74, 40, 112);
      FixFields(kSetupWindow);
    }
    UpdateTriggerAndSwitcher();
  }

  void HandleItem(int16_t id) {
    using namespace SetupItem;
    const int16_t n = setup_view::ChannelCount();
    if (id > 1000 && id <= 1000 + n) return InputChoice(static_cast<int16_t>(id - 1000));
    if (id > 300 && id <= 300 + n) return ThreeWay(static_cast<int16_t>(id - 300));
    if (id > 260 && id <= 260 + n) return Breakpoint(static_cast<int16_t>(id - 260));
    if (id > 220 && id <= 220 + n) return TestChannel(static_cast<int16_t>(id - 220));
    switch (id) {
      case ChartRate:
        return ChartRateButton();
      case ScopeRate:
        return ScopeRateButton();
      case Restart:
        return RestartButton();
      case SetupOK:
        return ConfirmSetup();
      case Beep:
        return BeepBox();
      case Repeat:
        return RepeatBox();
      case FirstScreen:
      case ChartLess:
      case ChartMore:
      case LastScreen:
        return ChartCount(id);
      case ScopeMin:
      case ScopeLess:
      case ScopeMore:
      case ScopeMaximum:
        return ScopeCount(id);
      case Device:
        return StatusDialog(setup_hooks::ExternalDeviceControl);
      case Trigger:
        return StatusDialog(setup_hooks::TRIGGER);
      case ChartViewButton:
        return StatusDialog(SETCHARTVIEW);
      case ScopeView:
        return StatusDialog(SETSCOPEVIEW);
      case ScreenView:
        return StatusDialog(ChangeCHARTHITE);
      case Cut:
        return CutChannels();
      case Add:
        return AddChannel();
      case Help:
        DoHelpWindow(kHelpTopic);
        return Resume();
      case LastAveraging:
        return LastChannelAveraging();
      case RowsUp:
        return Page(-1);
      case RowsDown:
        return Page(1);
      default:
        return;
    }
  }

  // ---- the rows' buttons ------------------------------------------------------------------------
  void InputChoice(int16_t ch) {
    UPDATE();
    setup_hooks::SELECTCHANNEL(ch, 0);
    if (External_AD == ExternalADCode::ADAM) setup_hooks::SetADAM(ch, 0);
    Resume();
    FixONEchanField(ch);
  }
  void ThreeWay(int16_t ch) {
    UPDATE();
    ShowPoly(ch);
    Resume();
  }
  void Breakpoint(int16_t ch) {
    UPDATE();
    BREAKPOINT(ch);
    ChannelVariables[0][ch] = 5.0f;
    Resume();
    FixONEchanField(ch);
  }
  void TestChannel(int16_t ch) {
    UPDATE();
    setup_hooks::CHECKCHANNEL(ch);
    Resume();
  }
  void LastChannelAveraging() {
    const int16_t n = setup_view::ChannelCount();
    UPDATE();
    if (n >= 1 && setup_hooks::AVERAGING(n)) ChannelVariables[n][ChanField::Averaged] = SamplesToAverage;
    Resume();
    AVERAGINGFIELDS(kSetupWindow);
  }
  void Page(int16_t direction) {
    UPDATE();
    auto& v = Current();
    v.firstRow = PagedFirstRow(v.firstRow, direction, v.layout.visibleRows, setup_view::ChannelCount());
    FixFields(kSetupWindow);
  }

  // ---- intervals and counts ----------------------------------------------------------------------
  void ChartRateButton() {
    UPDATE();
    if (Mode(RecordingModeCode::Scope))
      ScopeIntervalChange();
    else
      CHANGESPEED();
    IntervalBookkeeping();
    Resume();
    FixFields(kSetupWindow);
    Current().drawnMaxSamples = -1;
  }
  void ScopeRateButton() {
    if (!Mode(RecordingModeCode::ScopeChart)) return;
    UPDATE();
    ScopeIntervalChange();
    IntervalBookkeeping();
    Resume();
    AVERAGINGFIELDS(kSetupWindow);
    Current().drawnMaxSamples = -1;
  }
  void ChartCount(int16_t id) {
    MaxSamples = ChartCountAfter(id, MaxSamples, W_, MaximumSamples);
    // The whole recording on one screen needs no compression.
    if (id == SetupItem::ChartLess && MaxSamples <= W_ && ChartView > 1) {
      ChartView = 1;
      UpdateTriggerAndSwitcher();
    }
  }
  void ScopeCount(int16_t id) {
    const int32_t limit = ScopeTraceLimit(External_AD, ScopeIntervalInSeconds, MaximumScopeSamples);
    if (External_AD == ExternalADCode::DT800) MaximumScopeSamples = limit;
    ScopeMax = ScopeCountAfter(id, ScopeMax, W_, limit);
  }
  void BeepBox() {
    TogglePrefs(PrefsSlot::BeepEverySample);
    const bool on = PrefsArray[PrefsSlot::BeepEverySample] != 0;
    rt::CheckMenuItem(kADMenu, kBeepItem, on);
    if (on) bup();
  }
  void RepeatBox() {
    const int slot = Mode(RecordingModeCode::ScopeChart) ? PrefsSlot::Automarkers : PrefsSlot::Autorepeat;
    TogglePrefs(static_cast<int16_t>(slot));
    rt::CheckMenuItem(kADMenu, kAutorepeatItem, PrefsArray[slot] != 0);
  }

  // ---- other windows ------------------------------------------------------------------------------
  void StatusDialog(const std::function<void()>& dialog) {
    UPDATE();
    dialog();
    Resume();
    UpdateTriggerAndSwitcher();
  }
  void AddChannel() {
    if (Mode(RecordingModeCode::Scope)) return;
    rt::DisposeControl(SetupItem::LastAveraging);
    UPDATE();
    const int16_t before = nChannels;
    ADD_a_CHANNEL();
    if (rt::WindowExists(kStatusStripWindow)) rt::HideWindow(kStatusStripWindow);
    Resume();
    if (nChannels > before) {
      setup_hooks::MENU_100();
      auto& v = Current();
      v.firstRow = ClampFirstRow(static_cast<int16_t>(nChannels - v.layout.visibleRows + 1),
                                 v.layout.visibleRows, setup_view::ChannelCount());
      rt::EnableMenuItem(kADMenu, kCutItem, true);
    }
    FixFields(kSetupWindow);
  }
  void CutChannels() {
    if (Mode(RecordingModeCode::Scope)) return;
    rt::DisposeControl(SetupItem::LastAveraging);
    UPDATE();
    // Strips are laid out again only when channels went: a cancelled window keeps
    // the heights the user gave them.
    if (CutCHANNELS()) SetChanParams(0, 0);
    Resume();
    FixFields(kSetupWindow);
  }

  // ---- after every event ---------------------------------------------------------------------------
  void AfterEvent() {
    if (!rt::WindowExists(kSetupWindow)) return;
    rt::SetOutputWindow(kSetupWindow);
    if (DisplaySetupEFchanged != 0) {
      FixFields(kSetupWindow);
      DisplaySetupEFchanged = 0;
    }
    if (LastChanModified != 0) {
      if (LastChanModified >= 1 && LastChanModified <= setup_view::ChannelCount())
        FixONEchanField(LastChanModified);
      LastChanModified = 0;
    }
    RefreshStates();
    if (!Mode(RecordingModeCode::Chart) && ScopeMax > 0) scopeXfactor = static_cast<float>(W_) / ScopeMax;
    RefreshTexts();
    CheckInputs();
    ShowSwitchingNote();
  }

  void RefreshStates() {
    const SetupEnabling e = SetupEnablingFor(RecordingMODE, setup_view::ChannelCount(), External_AD,
                                             ChartIntervalInSeconds, Sample);
    const auto state = [](bool on) { return static_cast<int16_t>(on ? 1 : 0); };
    if (rt::ControlExists(SetupItem::Add)) rt::SetControlState(SetupItem::Add, state(e.add));
    if (rt::ControlExists(SetupItem::Cut)) rt::SetControlState(SetupItem::Cut, state(e.cut));
    rt::EnableMenuItem(kADMenu, kAddItem, e.add);
    if (Mode(RecordingModeCode::Chart)) rt::EnableMenuItem(kADMenu, kCutItem, e.cut);
    rt::EnableMenuItem(kEditMenu, kRearrangeItem, e.rearrange);
    rt::SetControlState(SetupItem::ScreenView, state(e.screenView));
    rt::SetControlState(SetupItem::Restart, state(e.restart));
    if (rt::ControlExists(SetupItem::Beep)) {
      if (!e.beep) PrefsArray[PrefsSlot::BeepEverySample] = 0;
      const bool on = PrefsArray[PrefsSlot::BeepEverySample] != 0;
      rt::SetControlState(SetupItem::Beep, e.beep ? (on ? 2 : 1) : 0);
    }
    if (rt::ControlExists(SetupItem::Repeat)) {
      const int slot = Mode(RecordingModeCode::ScopeChart) ? PrefsSlot::Automarkers : PrefsSlot::Autorepeat;
      rt::SetControlState(SetupItem::Repeat, PrefsArray[slot] != 0 ? 2 : 1);
    }
  }

  // The counts and the interval texts, redrawn when what they show changed.
  void RefreshTexts() {
    auto& v = Current();
    const bool changed = v.drawnMaxSamples != MaxSamples || v.drawnScopeMax != ScopeMax ||
                         v.drawnChart != ChartIntervalInSeconds || v.drawnScope != ScopeIntervalInSeconds;
    if (!changed) return;
    setup_view::RefreshCountPanels();
    DRAWSPEEDDATA();
    DRAWSPEEDDATA2();
    v.drawnMaxSamples = MaxSamples;
    v.drawnScopeMax = ScopeMax;
    v.drawnChart = ChartIntervalInSeconds;
    v.drawnScope = ScopeIntervalInSeconds;
  }

  // The warning comes at once when a channel reads an input the interface lacks (on
  // opening, or when an input or the interface changed), and again at Setup OK.
  void CheckInputs() {
    HowManyHardwareADinputs();
    const int16_t count =
        InputsOutOfRange(ChannelVariables, setup_view::ChannelCount(), PrefsArray[PrefsSlot::HardwareInputs]);
    if (count > Current().outOfRange) {
      ADinputWarning(count);
      Resume();
    }
    Current().outOfRange = count;
  }

  void FocusNextField() {
    std::vector<int16_t> fields;
    for (int16_t f : rt::EditFields(kSetupWindow))
      if (rt::EditFieldType(f) < 5) fields.push_back(f);
    if (fields.empty()) return;
    std::sort(fields.begin(), fields.end());
    const int16_t focused = rt::FocusedEditField();
    auto next = std::upper_bound(fields.begin(), fields.end(), focused);
    const int16_t target = next == fields.end() ? fields.front() : *next;
    rt::FocusEditField(target);
    rt::SelectEditText(target, 0, -1);
  }

  // ---- leaving ----------------------------------------------------------------------------------------
  void ConfirmSetup() {
    if (setup_view::ChannelCount() < 1) {
      zap();  // a run needs a channel; "Add Channel..." stays offered
      return;
    }
    // A coefficient or count typed that the channel cannot hold would be stored as
    // something else (0, one reading): the field is selected and the line says why.
    if (const auto typed = setup_view::TypedRowRefusal()) {
      FinishFlag = 0;
      zap();
      ShowSwitchingNote();
      rt::FocusEditField(typed->field);
      rt::SelectEditText(typed->field, 0, -1);
      return;
    }
    HowManyHardwareADinputs();
    const int16_t count =
        InputsOutOfRange(ChannelVariables, setup_view::ChannelCount(), PrefsArray[PrefsSlot::HardwareInputs]);
    if (count > 0) {
      FinishFlag = 0;
      ADinputWarning(count);
      Current().outOfRange = count;
      Resume();
      return;
    }
    // A run never starts with switching the interface and coding cannot carry out (a
    // channel would be stored as sampled while its valves stay shut), nor with a trigger
    // that would test a reading never taken.
    if (StartRefusal()) {
      FinishFlag = 0;
      zap();
      ShowSwitchingNote();
      return;
    }
    SwitchingNote.clear();
    FinishFlag = 1;
    if (Sample <= 9) EnableMenus({1, 2, 3, 4, 5}, false);
  }
  // Restart discards the set-up, so an input out of range does not hold it back.
  void RestartButton() {
    if (Sample != 0) return;
    StartOver = 1;
    ripSound();
  }
  bool Leave() {
    if (FinishFlag == 0 && StartOver == 0) return false;
    UPDATE();
    rt::CloseWindow(kSetupWindow);
    if (!Mode(RecordingModeCode::Chart)) {
      if (ScopeMax <= 0) ScopeMax = W_;
      scopeXfactor = static_cast<float>(W_) / ScopeMax;
    }
    rt::EnableMenuItem(kADMenu, kAddItem, false);
    if (FinishFlag != 0 && SwitchingMode == 9 && SequenceChecked == 0) GetSequenceLabels();
    Action = ActionCode::Redraw;
    EventID = 0;
    return true;
  }

  int32_t W_ = 640;
};

// The window's flag is down again however the window ends (Quit ends the program
// from inside the loop).
struct OpenFlag {
  ~OpenFlag() { DispSetupON = 0; }
};

}  // namespace

void CHANGESPEED() {
  SampleIntervalinSeconds = ChartIntervalInSeconds;
  GetSampleINTERVAL("Chart channels");
  ChartIntervalInSeconds = SampleIntervalinSeconds;
  ChartSampleInterval = static_cast<float>(SampleIntervalinSeconds);
  setup_hooks::MAXAVERAGE();
  const int16_t n = setup_view::ChannelCount();
  if (PrefsArray[PrefsSlot::DT800FastScope] == 0)
    for (int16_t c = 1; c <= n; ++c) ChannelVariables[c][ChanField::Averaged] = MaxAvrg;
  if (PrefsArray[PrefsSlot::AverageLastChannel] != 0 && n >= 1) ChannelVariables[n][ChanField::Averaged] = 0;
  if (rt::WindowExists(kSetupWindow)) rt::SetOutputWindow(kSetupWindow);
}

int16_t DISPLAYSETUP() {
  const HandlerScope callersHandlers;
  OpenFlag flag;
  SetupWindow().Run();
  return 0;
}

}  // namespace mv
