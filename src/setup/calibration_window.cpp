#include "setup/calibration_window.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <vector>

#include "calculators/state.h"
#include "conversions/calibration.h"
#include "conversions/conversions_window.h"
#include "conversions/evaluate.h"
#include "conversions/needs.h"
#include "conversions/state.h"
#include "conversions/text_fields.h"
#include "devices/datataker_reader.h"
#include "devices/dispatcher.h"
#include "devices/state.h"
#include "kit/builders.h"
#include "kit/drawing.h"
#include "kit/fits.h"
#include "kit/format.h"
#include "kit/help.h"
#include "kit/popups.h"
#include "kit/protocol.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/system.h"
#include "runtime/windows.h"
#include "setup/needs.h"
#include "setup/state.h"

namespace mv {

int16_t ReadingsPerPointOf(int item) {
  static constexpr int16_t kCounts[] = {1, 2, 5, 10, 20, 50, 100};
  return item >= 1 && item <= 7 ? kCounts[item - 1] : int16_t{1};
}

namespace {

using namespace CalibrationControl;
constexpr int16_t kWindow = kCalibrationWindow;
// The help text window; its events never end the calibration.
constexpr int32_t kHelpTextWindow = 250;
constexpr RGBColor kBlack{0, 0, 0};

// The plot: a 380 x 329 frame; points from x 268 (355 pixels of volts) and from
// y 311 upwards (298 pixels of values; 250 of residuals above 306).
constexpr int16_t kFrameLeft = 250, kFrameTop = 6, kFrameRight = 630, kFrameBottom = 335;
constexpr int kX0 = 268;
constexpr float kValueBase = 311.0f, kResidualBase = 306.0f, kResidualPixels = 250.0f;
constexpr int16_t kDashSlot = 61;
constexpr int16_t kRed = 6;  // line palette

constexpr const char* kNoReadingText = "no reading";

// Below the plot: the power note.
constexpr int16_t kNoteLeft = 253, kNoteTop = 339, kNoteRight = 515, kNoteBottom = 372;

// One reading of the channel as the calibration takes it.
float OneReading(int16_t channel, double typed) {
  if (External_AD == ExternalADCode::Demonstration) return DemoCalibrationReading(typed, rt::Rnd(30));
  // A reader may clear the event codes; a click that came while it read still counts.
  const int16_t action = Action;
  const int32_t id = EventID;
  serialWasRead = 0;
  ReadExternalADdevice(channel, 0);
  if (Action == 0 && EventID == 0) {
    Action = action;
    EventID = id;
  }
  return volts;
}

double TypedValue() {
  return rt::EditFieldExists(ValueField) ? TextToNumber(rt::EditText(ValueField)) : 0.0;
}

void ShowVolts(const Str255& text) {
  if (!rt::WindowExists(kWindow)) return;
  rt::SetOutputWindow(kWindow);
  if (rt::EditFieldExists(VoltsField)) rt::SetEditText(VoltsField, text.str());
}

// What a mean of readings came to.
enum class Reading { Taken, Interrupted, Failed };

// The mean of count readings; with interruptible set, events are let in before
// each reading and the first one stops the reading (nothing is shown then). A
// reading the interface could not give (the bad-reading value, or no number)
// fails the whole mean: it is no measurement to calibrate against.
Reading MeanReading(int16_t channel, int16_t count, bool interruptible, float& mean) {
  count = std::max<int16_t>(1, count);
  const double typed = TypedValue();
  double sum = 0;
  for (int16_t i = 0; i < count; ++i) {
    if (interruptible) {
      rt::PumpEvents(0);
      if (Action != 0 || !rt::WindowExists(kWindow)) return Reading::Interrupted;
    }
    const float r = OneReading(channel, typed);
    if (!std::isfinite(r) || r == kBadReading) {
      ShowVolts(kNoReadingText);
      return Reading::Failed;
    }
    sum += r;
  }
  mean = static_cast<float>(sum / count);
  volts = mean;
  ShowVolts(PrintedNumber(mean));
  return Reading::Taken;
}

void Text(int16_t number, const Str255& text, Rect r, int16_t type, double size) {
  EFForeColor = 0;
  EFBackColor = 6;
  BUILDEF(number, text, r.left, r.top, r.right, r.bottom, type, 1);
  if (type >= 5) rt::SetEditColors(number, kBlack, kThemeBackground);
  rt::SetEditFont(number, KitFont(KestraneFont, size));
}

// Draws pieces of one line, each plain or bold, from x on.
struct Piece {
  const char* text;
  bool bold;
};
void DrawLine(int x, int y, std::initializer_list<Piece> pieces) {
  rt::FontSpec font = KitFont(KestraneFont, 12);
  for (const Piece& p : pieces) {
    font.bold = p.bold;
    rt::DrawText(x, y, p.text, font, kBlack);
    x += rt::TextWidth(p.text, font);
  }
}

void DrawInstructions() {
  DrawLine(10, 20, {{"Enter each new calibration value, then", false}});
  DrawLine(10, 35, {{"'get voltage'", true}, {" or hit ", false}, {"'return'.   ", true}, {"The  ", false}});
  DrawLine(10, 50, {{"conversion equation and data plot will", false}});
  DrawLine(10, 65, {{" update as new data are entered. ", false}});
  DrawLine(10, 80, {{" When done, edit the channel label", false}});
  DrawLine(10, 95, {{"as desired and click ", false}, {"'Equation OK'.", true}});
}

void POWERNOTE() {
  rt::FontSpec font = KitFont(KestraneFont, 11);
  font.bold = true;
  rt::DrawText(kNoteLeft, 353, "NOTE:  ", font, RGBred);
  rt::DrawText(kNoteLeft + rt::TextWidth("NOTE:  ", font), 353, "a point whose volts or value", font, kBlack);
  rt::DrawText(kNoteLeft, 367, " is 0 or less is left out of a power fit.", font, kBlack);
}

void ShowPowerNote(bool shown) {
  ClearArea(kNoteLeft, kNoteTop, kNoteRight, kNoteBottom);
  if (shown) POWERNOTE();
}

// The empty plot frame with its axis titles.
void DrawPlotFrame(const char* valueTitle) {
  rt::FillRect(kFrameLeft, kFrameTop, kFrameRight - kFrameLeft, kFrameBottom - kFrameTop, 1, 1, 1);
  BUILDBOX(kFrameLeft, kFrameTop, kFrameRight, kFrameBottom);
  const rt::FontSpec font = KitFont(KestraneFont, 10);
  rt::DrawText(kFrameLeft + 4, kFrameTop + 12, valueTitle, font, kBlack);
  rt::DrawText(kFrameRight - 4 - rt::TextWidth("measured voltage", font), kFrameBottom - 4,
               "measured voltage", font, kBlack);
}

int16_t Px(int v) {
  return static_cast<int16_t>(std::clamp(v, -30000, 30000));
}

void DrawZeroVoltsLine(const PlotBounds& b) {
  const int x = ZeroLineX(b, kX0);
  if (x < 0) return;
  PrefsArray[kDashSlot] = 2;
  PlotCGrgb(0, Px(x), kFrameTop + 16, Px(x), kFrameBottom - 16, DarkGray);
  PrefsArray[kDashSlot] = 0;
  rt::DrawText(x - 3, kFrameBottom - 4, "0", KitFont(KestraneFont, 10), DarkGray);
}

void DrawZeroValueLine(const PlotBounds& b) {
  const int y = ZeroLineY(b, kValueBase);
  if (y < 0) return;
  PrefsArray[kDashSlot] = 2;
  PlotCGrgb(0, kX0 - 4, Px(y), kFrameRight - 4, Px(y), DarkGray);
  PrefsArray[kDashSlot] = 0;
  rt::DrawText(kFrameLeft + 4, y + 4, "0", KitFont(KestraneFont, 10), DarkGray);
}

void DrawMarkers(const std::vector<PlotVertex>& at) {
  int32_t i = 0;
  for (const PlotVertex& v : at) {
    ++i;
    QuartzPointsArray[static_cast<std::size_t>(i)] = {static_cast<float>(v.x), static_cast<float>(v.y)};
  }
  CGdrawCircle(0, RGBColor{}, 1, 2.0f, 3, i);
  CGdrawCircle(0, RGBColor{}, 0, 3.0f, 4, i);
}

// A point a power fit leaves out.
void DrawExcludedMark(const PlotVertex& v) {
  PlotCG(1, Px(v.x - 4), Px(v.y - 4), Px(v.x + 4), Px(v.y - 4), kRed);
  PlotCG(1, Px(v.x - 4), Px(v.y + 4), Px(v.x + 4), Px(v.y - 4), kRed);
}

void DrawCurve(int16_t kind, const FitResult& fit, const PlotBounds& b) {
  if (kind == FitKind::Linear) {
    PlotCG(1, kX0, Px(PlotPixelY(b, FitValue(kind, fit, b.minx), kValueBase)), Px(PlotPixelX(b, b.maxx, kX0)),
           Px(PlotPixelY(b, FitValue(kind, fit, b.maxx), kValueBase)), kRed);
    return;
  }
  const std::vector<PlotVertex> v = CurveVertices(kind, fit, b, kX0, false);
  for (std::size_t k = 1; k < v.size(); ++k)
    PlotCG(1, Px(v[k - 1].x), Px(v[k - 1].y), Px(v[k].x), Px(v[k].y), kRed);
}

void KeepPlotBounds(const PlotBounds& b) {
  minx1 = b.minx;
  maxx1 = b.maxx;
  miny1 = b.miny;
  maxy1 = b.maxy;
  stepx = b.stepx;
}

class CalibrationWindow {
 public:
  explicit CalibrationWindow(int16_t channel) : channel_(channel) {}

  void Run() {
    snapshot_ = TakeCalibrationSnapshot(channel_);
    if (External_AD == ExternalADCode::DT800 && PrefsArray[PrefsSlot::DT800FastScope] == 1)
      FlushDT800Buffer(0);
    if (External_AD == ExternalADCode::ADAM) setup_hooks::SetADAM(channel_, 0);
    TypeCode() = ConversionTypeCode::Linear;
    exponent = 0.0f;
    Build();
    const bool abandoned = Loop();
    Leave(abandoned);
  }

 private:
  float& TypeCode() { return ChannelVariables[0][channel_]; }

  // ---- building --------------------------------------------------------------------------------
  void Build() {
    const Str255 title = Str255("Direct Calibration for Channel") + NumText(channel_) + ", Input" +
                         NumText(WholeCode(ChannelVariables[channel_][ChanField::Input])) +
                         "   (100 points maximum)";
    // 635 pixels wide: the window and its frame fit the narrowest display (640).
    BuildWINDOW(kWindow, title, 60, 70, 60 + 635, 70 + 375, 6);
    DrawInstructions();
    const rt::FontSpec label = KitFont(KestraneFont, 12);
    rt::DrawText(10, 122, "calibration:", label, kBlack);
    Text(ValueField, "0", {120, 106, 243, 128}, 3, 14);
    Popup148(kPopupMenu);
    rt::NewPopupControl(ReadingsPopup, kPopupMenu, "", {10, 134, 112, 156}, 1);
    rt::NewControl(GetVoltage, rt::ControlType::PushButton, "Get Voltage", {120, 134, 243, 156}, 1);
    rt::DrawText(10, 176, "measured volts:", label, kBlack);
    Text(VoltsField, "", {120, 162, 243, 180}, 7, 12);
    rt::DrawText(10, 200, "channel label:", label, kBlack);
    Str255 name = StoredChannelLabel(channel_);
    TRUNCATE(name);
    Text(LabelField, name, {10, 204, 243, 224}, 3, 12);
    rt::SelectEditText(LabelField, 0, 0);
    rt::DrawText(10, 244, "equation:", label, kBlack);
    Text(EquationField, CalibrationTemplate(kind_), {10, 248, 244, 266}, 7, 11);
    Text(CountField, "N, r-squared", {10, 268, 244, 286}, 7, 11);
    rt::NewControl(Linear, rt::ControlType::RadioButton, "Linear", {10, 294, 75, 312}, 2);
    rt::NewControl(Power, rt::ControlType::RadioButton, "Power", {80, 294, 142, 312}, 1);
    rt::NewControl(Polynomial, rt::ControlType::RadioButton, "2-order Poly", {147, 294, 244, 312}, 1);
    rt::NewControl(Clear, rt::ControlType::PushButton, "Clear", {10, 322, 70, 344}, 1);
    rt::NewControl(Residuals, rt::ControlType::PushButton, "Show Residuals", {76, 322, 196, 344}, 0);
    rt::NewControl(Help, rt::ControlType::PushButton, "?", {203, 322, 243, 344}, 1);
    rt::NewControl(EquationOK, rt::ControlType::DefaultButton, "Equation OK", {520, 344, 630, 368}, 1);
    DrawPlotFrame("calibration");
    ActivateValueField();
    if (PrefsArray[PrefsSlot::AlwaysShowHelpData] != 0) ShowHelp();
    Action = 0;
    EventID = 0;
    MENUID = 0;
    InstallDialogHandlers(CalibrationMenuHandler);
    rt::FlushWindow();
  }

  static void CalibrationMenuHandler(int16_t menu, int16_t menuItem) { services::ShortMENU(menu, menuItem); }

  void ActivateValueField() {
    rt::FocusEditField(ValueField);
    rt::SelectEditText(ValueField, 0, -1);
  }

  void ShowHelp() {
    DoHelpWindow(kCalibrationHelpTopic);
    rt::BringWindowForward(kWindow);
    rt::SetOutputWindow(kWindow);
  }

  void MarkRadios() {
    const int16_t chosen = kind_ == FitKind::Power        ? Power
                           : kind_ == FitKind::Polynomial ? Polynomial
                                                          : Linear;
    for (int16_t b : {Linear, Power, Polynomial}) {
      const int16_t state = b == chosen ? 2 : 1;
      if (rt::ControlState(b) != state) rt::SetControlState(b, state);
    }
  }

  // ---- the loop --------------------------------------------------------------------------------
  // True when the calibration was abandoned.
  bool Loop() {
    for (;;) {
      if (n_ > 99) return false;  // the 100th point ends the window with its fit
      rt::SetOutputWindow(kWindow);
      MarkRadios();
      // An idle reading stops for the event that came during it and leaves it here.
      if (Action == ActionCode::Nothing) rt::PumpEvents(10);
      if (!rt::WindowExists(kWindow)) return true;
      rt::SetOutputWindow(kWindow);
      if (MENUID != 0) {
        // A calculator or the About window may have come and gone in front.
        MENUID = 0;
        rt::BringWindowForward(kWindow);
        rt::SetOutputWindow(kWindow);
      }
      const int16_t action = Action;
      const int32_t id = EventID;
      Action = 0;
      EventID = 0;
      if (action == ActionCode::CloseBox) return true;
      if (action == ActionCode::WindowActivity && EndsTheCalibration(id)) return true;
      int16_t click = 0;
      if (action == ActionCode::Click) click = static_cast<int16_t>(id);
      if (action == ActionCode::Key && (id == 0 || id == 13 || id == 3)) click = GetVoltage;
      if (click == EquationOK) {
        if (CalibrationCanFinish(n_, kind_)) return false;
        RefuseToFinish();
        continue;
      }
      if (click != 0) {
        OnClick(click);
      } else if (action == 0) {
        float live = 0;
        MeanReading(channel_, perPoint_, true, live);
      }
    }
  }

  // A click in, or the activation of, another of the program's windows; the
  // calibration window's own activity and the help text window's do not count.
  static bool EndsTheCalibration(int32_t window) {
    const int32_t w = window < 0 ? -window : window;
    return w != kWindow && w != kHelpTextWindow;
  }

  void OnClick(int16_t button) {
    switch (button) {
      case GetVoltage:
        TakePoint();
        break;
      case Linear:
      case Power:
      case Polynomial:
        ChooseKind(button);
        break;
      case Clear:
        ClearPoints();
        break;
      case Residuals:
        ToggleResiduals();
        break;
      case Help:
        ShowHelp();
        break;
      case ReadingsPopup:
        perPoint_ = ReadingsPerPointOf(rt::ControlValue(ReadingsPopup));
        break;
      default:
        break;
    }
  }

  void TakePoint() {
    const auto typed = static_cast<float>(TypedValue());
    float v = 0;
    if (MeanReading(channel_, perPoint_, false, v) != Reading::Taken) {
      zap();
      rt::SetEditText(CountField, "no reading: point not taken");
      ActivateValueField();
      return;
    }
    ++n_;
    autocalibrationArray[n_][1] = typed;
    autocalibrationArray[n_][2] = v;
    if (SoundsOn()) PlaySound("setup.mp3", "MVsounds");
    ShowDCALdata();
    ActivateValueField();
  }

  void ChooseKind(int16_t button) {
    kind_ = button == Power ? FitKind::Power : button == Polynomial ? FitKind::Polynomial : FitKind::Linear;
    TypeCode() = CalibrationTypeOf(kind_);
    if (kind_ == FitKind::Linear) exponent = 0.0f;
    rt::SetEditText(EquationField, CalibrationTemplate(kind_).str());
    ShowPowerNote(kind_ == FitKind::Power);
    MarkRadios();
    ShowDCALdata();
  }

  void ClearPoints() {
    ripSound();
    n_ = 0;
    residuals_ = false;
    rt::SetControlState(Residuals, 0);
    rt::SetEditText(EquationField, CalibrationTemplate(kind_).str());
    rt::SetEditText(CountField, "N, r-squared");
    DrawPlotFrame("calibration");
    ShowPowerNote(kind_ == FitKind::Power);
    ActivateValueField();
  }

  void ToggleResiduals() {
    if (!residuals_) {
      CALRESIDS();
      rt::SetControlState(Residuals, 2);
      residuals_ = true;
    } else {
      DRAWCAL();
      rt::SetControlState(Residuals, 1);
    }
    rt::FlushWindow();
  }

  // ---- the plots -------------------------------------------------------------------------------
  void ShowDCALdata() {
    if (n_ < CalibrationPointsNeeded(kind_)) {
      rt::SetEditText(CountField, CalibrationCountText(n_, kind_, FitResult{}).str());
      return;
    }
    DRAWCAL();
  }

  // "Equation OK" with no fit standing on the points: the count field already says why
  // (how many points the kind needs, or what the points do not allow); the buzz and the
  // line again draw the eye to it, and the window stays for more points or another kind.
  void RefuseToFinish() {
    zap();
    ShowDCALdata();
    ActivateValueField();
  }

  std::vector<PlotVertex> Pixels(std::span<const FitPoint> points, const PlotBounds& b, float base) const {
    std::vector<PlotVertex> out;
    for (const FitPoint& p : points) out.push_back({PlotPixelX(b, p.x, kX0), PlotPixelY(b, p.y, base)});
    return out;
  }

  // The points, the fitted curve, the equation and the count with r-squared. A fit
  // the points do not allow draws no curve, says why and leaves the residuals off.
  void DRAWCAL() {
    residuals_ = false;
    const std::vector<FitPoint> points = CalibrationPoints(n_);
    const PlotBounds b = BoundsOf(points);
    KeepPlotBounds(b);
    DrawPlotFrame("calibration");
    DrawZeroVoltsLine(b);
    DrawZeroValueLine(b);
    const FitResult fit = Fit(kind_, points);
    if (fit.ok()) DrawCurve(kind_, fit, b);
    const std::vector<PlotVertex> at = Pixels(points, b, kValueBase);
    DrawMarkers(at);
    if (kind_ == FitKind::Power)
      for (std::size_t i = 0; i < points.size(); ++i)
        if (!PowerFitUses(points[i])) DrawExcludedMark(at[i]);
    rt::SetEditText(EquationField, CalibrationEquationText(kind_, fit).str());
    rt::SetEditText(CountField,
                    CalibrationCountText(n_, kind_, fit, CalibrationPointsFitted(n_, kind_)).str());
    rt::SetControlState(Residuals, fit.ok() ? 1 : 0);
    rt::FlushWindow();
  }

  // Each point's distance from the fit, as a stem from the zero line.
  void CALRESIDS() {
    const std::vector<FitPoint> points = CalibrationPoints(n_);
    const FitResult fit = Fit(kind_, points);
    if (!fit.ok()) return;
    StoreCalibrationResiduals(n_, kind_, fit);
    // An exact fit leaves only rounding: drawn flat on the zero line.
    const bool rounding = CalibrationResidualsAreRounding(n_, kind_, fit);
    std::vector<FitPoint> residuals;
    for (int i = 1; i <= n_; ++i)
      residuals.push_back({autocalibrationArray[i][2], rounding ? 0.0f : autocalibrationArray[i][3]});
    const PlotBounds b = BoundsOf(residuals, kResidualPixels);
    KeepPlotBounds(b);
    DrawPlotFrame("residuals");
    DrawZeroVoltsLine(b);
    const int zero = PlotPixelY(b, 0.0f, kResidualBase);
    const int16_t stemEnd = Px(std::clamp(zero, kFrameTop + 1, kFrameBottom - 1));
    if (zero > kFrameTop && zero < kFrameBottom) {
      PlotCGrgb(0, kX0 + 1, Px(zero), kFrameRight - 9, Px(zero), DarkGray);
      rt::DrawText(kFrameLeft + 4, zero + 4, "0", KitFont(KestraneFont, 10), DarkGray);
    }
    std::vector<PlotVertex> shown;
    for (std::size_t i = 0; i < points.size(); ++i) {
      if (kind_ == FitKind::Power && !PowerFitUses(points[i])) continue;
      const PlotVertex v{PlotPixelX(b, residuals[i].x, kX0), PlotPixelY(b, residuals[i].y, kResidualBase)};
      PlotCG(1, Px(v.x), Px(v.y), Px(v.x), stemEnd, 3);
      shown.push_back(v);
    }
    DrawMarkers(shown);
  }

  // ---- leaving ---------------------------------------------------------------------------------
  void Leave(bool abandoned) {
    if (rt::WindowExists(kWindow)) {
      rt::SetOutputWindow(kWindow);
      StoreChannelLabel(channel_, PadOrCut(rt::EditText(LabelField), kLabelFieldWidth));
    }
    if (abandoned) {
      ripSound();
      RestoreCalibrationSnapshot(snapshot_);
    } else if (CalibrationCanFinish(n_, kind_)) {
      FinishCalibration(n_, Fit(kind_, CalibrationPoints(n_)));
    } else {
      // The 100th point with no fit standing on the points: the channel keeps what
      // it had rather than a conversion nobody measured.
      RestoreCalibrationSnapshot(snapshot_);
    }
    if (rt::WindowExists(kWindow)) rt::CloseWindow(kWindow);
    Action = abandoned ? ActionCode::CloseBox : int16_t{0};
    EventID = 0;
  }

  static constexpr std::size_t kLabelFieldWidth = 30;

  int16_t channel_;
  int16_t n_ = 0;
  int16_t kind_ = FitKind::Linear;
  int16_t perPoint_ = 1;
  bool residuals_ = false;
  CalibrationSnapshot snapshot_;
};

}  // namespace

float DCALgetVOLTS(int16_t channel, int16_t count) {
  float mean = 0;
  return MeanReading(channel, count, false, mean) == Reading::Taken ? mean : kBadReading;
}

void DIRECTCAL(int16_t channel) {
  const HandlerScope callersHandlers;
  if (channel < 1 || channel > 16) return;
  CalibrationWindow(channel).Run();
}

}  // namespace mv
