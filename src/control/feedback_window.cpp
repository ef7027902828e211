#include "control/feedback_window.h"

#include <algorithm>
#include <cmath>

#include "control/analog_output.h"
#include "control/editor_loop.h"
#include "control/feedback.h"
#include "control/feedback_diagram.h"
#include "control/refusal_line.h"
#include "control/state.h"
#include "conversions/conversions_window.h"
#include "conversions/needs.h"
#include "kit/builders.h"
#include "kit/drawing.h"
#include "kit/format.h"
#include "kit/help.h"
#include "kit/popups.h"
#include "kit/protocol.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "runtime/menus.h"
#include "runtime/windows.h"
#include "setup/state.h"

namespace mv {

namespace {

using namespace FeedbackItem;
constexpr int16_t W = kFeedbackWindow;
constexpr int16_t kHelpTopic = 153;
constexpr int16_t kDAMenu = 5, kFeedbackItem1 = 2, kOutput2Item = 4, kFeedbackItem2 = 5;
constexpr RGBColor kBlack{0, 0, 0};
constexpr int kClearedDurationRows = 40;
constexpr int32_t kIntervals[] = {15, 30, 60, 120, 600, 1800};

int16_t I(int v) {
  return static_cast<int16_t>(v);
}
int WholeNumber(double v) {
  if (!(v > -32768.0)) return -32768;
  return v >= 32767.0 ? 32767 : static_cast<int>(std::trunc(v));
}
float FieldNumber(int16_t field) {
  return static_cast<float>(TextToNumber(rt::EditText(field)));
}
void Text(const Str255& text, int x, int y, double size) {
  rt::DrawText(x, y, text.str(), KitFont(KestraneFont, size), kBlack);
}
void MenuHandler(int16_t menu, int16_t menuItem) {
  services::ShortMENU(menu, menuItem);
}
int16_t Channels() {
  return I(std::clamp<int>(nChannels, 0, 16));
}
int Shift() {
  return MaximumChans > 12 ? 108 : 10;
}

// ---- the warning ------------------------------------------------------------------------

void BuildWarning() {
  BuildWINDOW(W, "WARNING:   Channel In Use", 80, 100, 475, 281, 6);
  SetWindowBackground(VeryLightGray, true);
  zap();
  EFForeColor = 1;
  EFBackColor = 1;
  BUILDEF(
      101,
      "This output channel is currently programmed for use with a voltage output script.  It cannot be used"
      " simultaneously for an output script and for feedback control.\r          You can either:",
      8, 3, 390, 71, 7, 1);
  rt::SetEditColors(101, kBlack, VeryLightGray);
  // Small enough that all five lines, "You can either:" last, fit above the choices.
  rt::SetEditFont(101, rt::FontSpec{KitFont(KestraneFont, 11).family, 11, true});
  ClearArea(0, 72, 395, 181);
  CGdrawBox(1, gray, 1, 0, 72, 395, 181, 0);
  rt::NewControl(KeepScript, rt::ControlType::RadioButton, "Keep Using it for a Voltage Output Script",
                 RectOf(55, 83, 353, 101), 1);
  rt::NewControl(UseForFeedback, rt::ControlType::RadioButton, "Use it for Feedback Control",
                 RectOf(55, 111, 353, 129), 2);
  Text(" (shut down the output script)", 75, 141, 12);
  DrawIcon(139, 10, 134);
  rt::NewControl(SelectionOK, rt::ControlType::DefaultButton, "Selection OK", RectOf(270, 152, 370, 172), 1);
  rt::FlushWindow();
}

// True when the window may open: the user gave output 2 up for feedback.
bool WarningLetsFeedbackIn() {
  BuildWarning();
  Action = 0;
  EventID = 0;
  AO2on = 0;
  InstallDialogHandlers(MenuHandler);
  bool done = false;
  while (!done && rt::WindowExists(W)) {
    rt::PumpEvents();
    if (!rt::WindowExists(W)) break;
    rt::SetOutputWindow(W);
    if (Action == ActionCode::Click && (EventID == UseForFeedback || EventID == KeepScript)) {
      const bool keep = EventID == KeepScript;
      rt::SetControlState(KeepScript, keep ? 2 : 1);
      rt::SetControlState(UseForFeedback, keep ? 1 : 2);
      AO2on = keep ? 1 : 0;
    }
    // Closing the warning is no answer: the script keeps its output, as nothing
    // was chosen that would shut it down.
    if (Action == ActionCode::CloseBox) AO2on = 1;
    done = (Action == ActionCode::Click && EventID == SelectionOK) || Action == ActionCode::WindowActivity ||
           Action == ActionCode::CloseBox || Action == ActionCode::Key;
    Action = 0;
    EventID = 0;
  }
  if (rt::WindowExists(W))
    rt::CloseWindow(W);
  else
    AO2on = 1;  // the window went without an answer
  return AO2on != 1;
}

// ---- the schedule window ----------------------------------------------------------------

struct FeedbackEditor {
  int16_t count = 0;
};

void BuildSenseIcons() {
  CGdrawBox(0, {}, 1, 405, 5, 455, 44, 6);
  CGdrawBox(0, {}, 1, 555, 5, 605, 44, 6);
  PlotCG(1, 405, 39, 415, 39, 1);
  PlotCG(1, 415, 39, 445, 9, 1);
  PlotCG(1, 445, 9, 455, 9, 1);
  PlotCG(1, 555, 9, 565, 9, 1);
  PlotCG(1, 565, 9, 595, 39, 1);
  PlotCG(1, 595, 39, 605, 39, 1);
  QuartzPointsArray[1] = {415, 39};
  QuartzPointsArray[2] = {595, 39};
  CGdrawCircle(0, {}, 0, 3, 1, 2);
  BUILDBOX(405, 5, 455, 44);
  BUILDBOX(555, 5, 605, 44);
}

void BuildChannelRows() {
  for (int16_t n = 1; n <= Channels(); ++n) {
    const int y = 27 + 19 * (n - 1);
    const Str255 title((n <= 9 ? "  channel" : "channel") + NumText(n).str() + ":");
    rt::NewControl(n, rt::ControlType::RadioButton, title, RectOf(10, y, 109, y + 18), 1);
    EFForeColor = 1;
    EFBackColor = 8;
    BUILDEF(I(100 + n), StoredChannelLabel(n), 111, I(y), 311, I(y + 18), 7, 1);
    rt::SetEditFont(I(100 + n), KitFont(KestraneFont, 12));
  }
}

// The control volts the interface gives, beside their fields: "(\xB1" "5 V)" or "(0 to 5 V)".
Str255 ControlVoltsRange() {
  const AOVoltRange r = AOOutputRange();
  if (r.low == -r.high) return Str255("(\xB1" + VoltsText(r.high) + " V)");
  return Str255("(" + VoltsText(r.low) + " to " + VoltsText(r.high) + " V)");
}

void BuildStepFields(int d) {
  Text("setpoint:", 330, 70, 12);
  Text("\xB1", 490, 70, 12);
  Text("max control volts:", 353, 95, 12);
  Text("min control volts:", 355, 120, 12);
  Text("setpoint duration:", 355, 145, 12);
  Text("loop duration:", 434, 282 + d, 12);
  Text(ControlVoltsRange(), 569, 94, 12);
  Text(ControlVoltsRange(), 569, 119, 12);
  Text("min", 569, 144, 12);
  Text("halt at:", 440, 247, 12);
  EFForeColor = 1;
  EFBackColor = 1;
  BUILDEF(SetpointField, "20", 400, 57, 480, 73, 3, 2);
  BUILDEF(RangeField, "1", 510, 57, 590, 73, 3, 2);
  BUILDEF(MaxVoltsField, "5", 490, 83, 560, 98, 3, 2);
  BUILDEF(MinVoltsField, "0", 490, 108, 560, 123, 3, 2);
  BUILDEF(DurationField, "10", 490, 133, 560, 148, 3, 2);
  BUILDEF(StepField, "0", 555, I(304 + d), 610, I(320 + d), 3, 2);
  BUILDEF(LoopField, "1", 555, I(245 + d), 610, I(261 + d), 3, 2);
  BUILDEF(kFeedbackLoopField, " ", 527, I(271 + d), 620, I(289 + d), 7, 2);
}

void BuildButtons(int d) {
  using rt::ControlType;
  rt::NewControl(Positive, ControlType::PushButton, "'positive'", RectOf(326, 5, 403, 44), 1);
  rt::NewControl(Negative, ControlType::PushButton, "negative", RectOf(480, 5, 553, 44), 1);
  rt::NewControl(NewStep, ControlType::PushButton, "Enter These Values as a New Step",
                 RectOf(333, 160, 605, 180), 1);
  rt::NewControl(EndState, ControlType::PushButton, "Enter Values as the End State",
                 RectOf(327, 205, 560, 225), 1);
  rt::NewControl(Show, ControlType::PushButton, "Show", RectOf(565, 205, 615, 225), 1);
  rt::NewControl(EditStep, ControlType::PushButton, "Edit Step:", RectOf(425, 302 + d, 550, 322 + d), 1);
  rt::NewControl(Modify, ControlType::PushButton, "Modify as Above", RectOf(495, 325 + d, 610, 345 + d), 0);
  rt::NewControl(LoopToStep, ControlType::PushButton, "Loop to Step:", RectOf(425, 243 + d, 545, 263 + d), 1);
  rt::NewControl(Delete, ControlType::PushButton, "Delete", RectOf(425, 325 + d, 490, 345 + d), 0);
  rt::NewControl(Clear, ControlType::PushButton, "Clear", RectOf(470, 372 + d, 522, 392 + d), 1);
  rt::NewControl(Done, ControlType::DefaultButton, "Done", RectOf(530, 372 + d, 625, 392 + d), 1);
}

// The end state in force, under the step editing, where it stays in sight.
void ShowEndStateLine() {
  const int d = Shift();
  EFForeColor = 1;
  EFBackColor = 1;
  if (!rt::EditFieldExists(EndStateLine)) BUILDEF(EndStateLine, "", 425, I(352 + d), 630, I(368 + d), 7, 0);
  rt::SetEditColors(EndStateLine, kBlack, LightGray);
  rt::SetEditFont(EndStateLine, KitFont(KestraneFont, 11));
  rt::SetEditText(EndStateLine, FeedbackEndStateText().str());
}

void BuildFeedbackWindow(FeedbackEditor& e, bool again) {
  const int d = Shift();
  if (rt::WindowExists(W)) rt::CloseWindow(W);
  BuildWINDOW(W, "Proportional Feedback Control (Analog Output Channel 2)", 5, 70, 640, I(470 + d), 6);
  rt::NewControl(Help, rt::ControlType::PushButton, "?", RectOf(420, 372 + d, 456, 392 + d), 1);
  if (PrefsArray[PrefsSlot::AlwaysShowHelpData] != 0) {
    DoHelpWindow(kHelpTopic);
    rt::BringWindowForward(W);
    rt::SetOutputWindow(W);
  }
  Popup131(kPopupMenu);
  rt::NewPopupControl(IntervalPopup, kPopupMenu, "", RectOf(278, 372 + d, 402, 393 + d),
                      FeedbackIntervalItem(FeedbackUpdateInterval));
  Popup132(kActivityPopupMenu);
  rt::NewPopupControl(EndPopup, kActivityPopupMenu, "", RectOf(500, 229, 615, 245), FeedbackEndMode);
  SetWindowBackground(VeryLightGray, true);
  Text("Select the channel to be regulated:", 14, 18, 14);
  Text("Update feedback conditions every:", 30, 388 + d, 14);
  BuildChannelRows();
  e.count = FeedbackStepCount(again ? e.count : 0);
  BuildStepFields(d);
  BuildButtons(d);
  ShowEndStateLine();
  BuildSenseIcons();
  DrawFeedbackTiming(e.count);
  SetWindowBackground(LightGray, false);
  if (FeedbackChan <= 0 || FeedbackChan > nChannels) FeedbackChan = 1;
  if (rt::ControlExists(FeedbackChan)) rt::SetControlState(FeedbackChan, 2);
  rt::FlushWindow();
}

FeedbackStepValues FieldValues() {
  FeedbackStepValues v;
  v.setpoint = FieldNumber(SetpointField);
  v.minVolts = FieldNumber(MinVoltsField);
  v.maxVolts = FieldNumber(MaxVoltsField);
  v.range = FieldNumber(RangeField);
  v.minutes = FieldNumber(DurationField);
  return v;
}

// The control volts as typed, when the output can give them; otherwise the line that
// refuses them shows under the step button.
bool ControlVoltsAccepted() {
  for (const float volts : {FieldNumber(MaxVoltsField), FieldNumber(MinVoltsField)}) {
    if (InAORange(volts)) continue;
    zap();
    ShowRefusalLine(RefusalLine, RectOf(330, 184, 632, 201), AORangeRefusal("", volts));
    return false;
  }
  return true;
}

void ShowEndState() {
  rt::SetEditText(SetpointField, NumText(FdBkEndSetpoint).str());
  rt::SetEditText(MinVoltsField, NumText(FdBkEndMinV).str());
  rt::SetEditText(MaxVoltsField, NumText(FdBkEndMaxV).str());
  rt::SetEditText(RangeField, NumText(FdBkEndRange).str());
}

void TakeEndState() {
  FdBkEndSetpoint = FieldNumber(SetpointField);
  FdBkEndMinV = FieldNumber(MinVoltsField);
  FdBkEndMaxV = FieldNumber(MaxVoltsField);
  FdBkEndRange = FieldNumber(RangeField);
  FdBkEndStateEntered = 1;
  ShowEndStateLine();
}

// Clear starts the schedule afresh, the end state too: none is in force until one is
// entered again.
void ClearSchedule(FeedbackEditor& e) {
  rt::SetEditText(LoopField, "0");
  FeedbackON = 0;
  for (int r = 1; r <= e.count; ++r)
    for (int c = 1; c <= 6; ++c) FeedbackArray[r][c] = 0.0f;
  e.count = 0;
  DrawFeedbackTiming(0);
  ClearFeedbackEndState();
  ShowEndStateLine();
}

void EditAStep(FeedbackEditor& e, int16_t id) {
  rt::SetControlState(EditStep, 1);
  rt::SetControlState(Delete, 0);
  rt::SetControlState(Modify, 0);
  const int k = WholeNumber(TextToNumber(rt::EditText(StepField)));
  if (id == Delete)
    e.count = DeleteFeedbackStep(e.count, k);
  else if (ControlVoltsAccepted())
    ModifyFeedbackStep(e.count, k, FieldValues());
}

// One click; true when it ends the window.
bool Clicked(FeedbackEditor& e, int16_t id) {
  if (id >= 1 && id <= Channels()) {
    if (rt::ControlExists(FeedbackChan)) rt::SetControlState(FeedbackChan, 1);
    rt::SetControlState(id, 2);
    FeedbackChan = id;
    return false;
  }
  bool redraw = false;
  ClearRefusalLine(RefusalLine);
  switch (id) {
    case Positive:
      NegativeFEEDBACK = 0;
      break;
    case Negative:
      NegativeFEEDBACK = 1;
      break;
    case IntervalPopup:
      FeedbackUpdateInterval = FeedbackIntervalTicks(rt::ControlValue(IntervalPopup));
      break;
    case EndPopup:
      FeedbackEndMode = I(rt::ControlValue(EndPopup));
      break;
    case NewStep: {
      const int16_t before = e.count;
      if (!ControlVoltsAccepted()) break;
      e.count = AddFeedbackStep(e.count, FieldValues());
      if (e.count != before) rt::SetEditText(LoopField, NumText(e.count + 1).str());
      rt::FocusEditField(0);
      redraw = true;
      break;
    }
    case EndState:
      if (ControlVoltsAccepted()) TakeEndState();
      break;
    case Show:
      ShowEndState();
      break;
    case EditStep:
      rt::SetControlState(Delete, 1);
      rt::SetControlState(Modify, 1);
      rt::SetControlState(EditStep, 2);
      break;
    case Delete:
    case Modify:
      EditAStep(e, id);
      redraw = true;
      break;
    case LoopToStep:
      LoopFeedbackTo(e.count, TextToNumber(rt::EditText(LoopField)));
      redraw = true;
      break;
    case Clear:
      ClearSchedule(e);
      break;
    case Help:
      DoHelpWindow(kHelpTopic);
      rt::BringWindowForward(W);
      rt::SetOutputWindow(W);
      break;
    case Done:
      return true;
    default:
      break;
  }
  if (redraw) DrawFeedbackTiming(e.count);
  return false;
}

EditorEnd FeedbackLoop(FeedbackEditor& e) {
  Action = 0;
  EventID = 0;
  MENUID = 0;
  rt::PumpEvents();
  return RunEditorLoop(
      W, MenuHandler,
      [] {
        rt::SetOutputWindow(W);
        rt::SetControlState(Negative, NegativeFEEDBACK == 1 ? 2 : 1);
        rt::SetControlState(Positive, NegativeFEEDBACK == 1 ? 1 : 2);
      },
      [&e](int16_t id) { return Clicked(e, id); });
}

void StoreSchedule(const FeedbackEditor& e) {
  for (int r = e.count + 1; r <= kClearedDurationRows; ++r) FeedbackArray[r][5] = 0.0f;
  const bool steps = e.count > 0;
  FeedbackON = DoFeedback = steps ? 1 : 0;
  CheckFeedbackMenuItems(steps);
  // Output 2's script item says whether its script still runs: the warning may have
  // shut it down for the feedback.
  rt::CheckMenuItem(kDAMenu, kOutput2Item, AO2on == 1);
  if (steps) {
    const int64_t next = static_cast<int64_t>(static_cast<int32_t>(rt::TickCount())) + FeedbackUpdateInterval;
    NextFeedbackUpdateTime = next >= kNeverTick ? kNeverTick : static_cast<int32_t>(next);
  }
}

// Renumbers steps 1 to count to the following step.
void RenumberFeedback(int16_t count) {
  for (int r = 1; r <= count; ++r) FeedbackArray[r][6] = static_cast<float>(r + 1);
}

}  // namespace

int16_t FeedbackStepCount(int16_t from) {
  if (FeedbackArray[1][5] == 0.0f) return 0;
  int count = std::clamp<int>(from, 0, kMaxFeedbackSteps);
  while (count < kMaxFeedbackSteps && FeedbackArray[count + 1][5] != 0.0f) ++count;
  return I(count);
}

int32_t FeedbackIntervalTicks(int item) {
  if (item < 1 || item > 6) return 60;
  return kIntervals[item - 1];
}

int FeedbackIntervalItem(int32_t ticks) {
  for (int item = 1; item <= 6; ++item)
    if (kIntervals[item - 1] == ticks) return item;
  return 3;
}

int16_t AddFeedbackStep(int16_t count, const FeedbackStepValues& v) {
  if (count < 0 || count >= kMaxFeedbackSteps) return count;
  const int16_t k = I(count + 1);
  ModifyFeedbackStep(k, k, v);
  RenumberFeedback(k);
  return k;
}

int16_t DeleteFeedbackStep(int16_t count, int k) {
  if (k < 1 || k > count) return count;
  for (int r = k; r < count; ++r) FeedbackArray[r] = FeedbackArray[r + 1];
  for (int c = 1; c <= 6; ++c) FeedbackArray[count][c] = 0.0f;
  const int16_t left = I(count - 1);
  // Numbers that named a step behind the deleted one follow it up.
  for (int r = 1; r <= left; ++r)
    if (FeedbackArray[r][6] > static_cast<float>(k)) FeedbackArray[r][6] -= 1.0f;
  return left;
}

void ModifyFeedbackStep(int16_t count, int k, const FeedbackStepValues& v) {
  if (k < 1 || k > count) return;
  FeedbackStepRow& row = FeedbackArray[k];
  row[1] = v.setpoint;
  row[2] = v.minVolts;
  row[3] = v.maxVolts;
  row[4] = v.range;
  row[5] = v.minutes;
  row[6] = static_cast<float>(k + 1);
}

void LoopFeedbackTo(int16_t count, double target) {
  if (count < 1) return;
  RenumberFeedback(count);
  // 0, or a step the schedule does not have, is no loop: the last step is followed by
  // none, and the schedule ends after it as the window says.
  const int t = WholeNumber(target);
  if (t < 1 || t > count) return;
  FeedbackArray[count][6] = static_cast<float>(t);
}

Str255 FeedbackEndStateText() {
  if (FdBkEndStateEntered == 0) return Str255("end state: none, the last step holds");
  return Str255("end state: " + VoltsText(FdBkEndSetpoint) + " \xB1 " + VoltsText(FdBkEndRange) + ", " +
                VoltsText(FdBkEndMinV) + " to " + VoltsText(FdBkEndMaxV) + " V");
}

void CheckFeedbackMenuItems(bool steps) {
  const bool inForce = steps && FeedbackOutputPresent();
  rt::CheckMenuItem(kDAMenu, kFeedbackItem1, inForce);
  rt::CheckMenuItem(kDAMenu, kFeedbackItem2, inForce);
}

void AnalogFEEDBACK() {
  const HandlerScope callersHandlers;
  if (AO2on != 0 && !WarningLetsFeedbackIn()) {
    Action = 0;
    EventID = 0;
    services::SetUpMENUs(1);
    return;
  }
  FeedbackEditor e;
  bool again = false;
  EditorEnd end = EditorEnd::MenuCommand;
  while (end == EditorEnd::MenuCommand) {
    BuildFeedbackWindow(e, again);
    again = true;
    end = FeedbackLoop(e);
  }
  StoreSchedule(e);
  if (rt::WindowExists(W)) rt::CloseWindow(W);
  Action = 0;
  EventID = 0;
  services::SetUpMENUs(1);
}

}  // namespace mv
