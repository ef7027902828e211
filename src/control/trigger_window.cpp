#include "control/trigger_window.h"

#include <algorithm>
#include <cmath>

#include "control/refusal_line.h"
#include "control/state.h"
#include "conversions/conversions_window.h"
#include "conversions/needs.h"
#include "devices/interfaces.h"
#include "devices/state.h"
#include "files/state.h"
#include "kit/builders.h"
#include "kit/drawing.h"
#include "kit/format.h"
#include "kit/help.h"
#include "kit/protocol.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/windows.h"
#include "setup/state.h"

namespace mv {
namespace {

constexpr RGBColor kBlack{0, 0, 0};
constexpr RGBColor kHighlight{0, 18000, 52000};
constexpr int16_t kHelpTopic = 136;

int16_t I(int v) {
  return static_cast<int16_t>(v);
}
int16_t Channels() {
  return I(std::clamp<int>(nChannels, 0, 16));
}
bool Active() {
  return TriggerON != 0;
}
// 80 pixels more below the condition panel on displays that allow 13 channels or more.
int Shift() {
  return MaximumChans >= 13 ? 80 : 0;
}
void WindowMenuHandler(int16_t menu, int16_t menuItem) {
  services::ShortMENU(menu, menuItem);
}
// The A-D inputs of the interface in use: a trigger on any other would read nothing and
// wait for ever.
int16_t InterfaceInputs() {
  return HardwareInputCount(External_AD, DemonstrationMODE, AD_Device_Code,
                            static_cast<int16_t>(PrefsArray[PrefsSlot::Adam16Inputs]));
}
constexpr int16_t kRefusalLine = 103;
Rect RefusalPlace() {
  return RectOf(320, 292, 600, 308);
}
int16_t ExtraInputState() {
  return Active() && ExtraTriggerInputAvailable(Channels()) ? 1 : 0;
}

void DrawTriggerState() {
  CGdrawBox(1, extremelyLightGray, 1, 360, 12, 598, 53, 0);
  const rt::FontSpec big = KitFont(KestraneFont, 24);
  if (Active())
    rt::DrawText(370, 39, "Triggering ON", big, kHighlight);
  else
    rt::DrawText(370, 39, "No Triggering  ", big, mediumDarkGray);
  rt::FlushWindow();
}

void DrawPanel(int left, int top, int right, int bottom) {
  CGdrawBox(1, extremelyLightGray, 1, I(left), I(top), I(right), I(bottom), 0);
  BUILDBOX2(I(left), I(top), I(right), I(bottom));
  PlotCGrgb(1.0f, I(left + 1), 96, I(right - 1), 96, DarkGray);
}

void DrawStatic(int d) {
  SetWindowBackground(kThemeBackground, true);
  CGdrawBox(1, extremelyLightGray, 1, 189, 9, 600, 55, 0);
  BUILDBOX(189, 9, 600, 55);
  EmbossPrint(1, "Triggers", 24, 20, 42);
  DrawPanel(5, 65, 307, 356 + d);
  DrawPanel(320, 65, 599, 212);
  const rt::FontSpec title = KitFont(KestraneFont, 18);
  rt::DrawText(56, 87, "Trigger Channel", title, kBlack);
  rt::DrawText(330, 87, "Trigger Condition", title, kBlack);
  const rt::FontSpec text = KitFont(KestraneFont, 15);
  rt::DrawText(336, 120, "Sampling begins when data in", text, kBlack);
  rt::DrawText(336, 140, "the selected trigger channel:", text, kBlack);
  rt::DrawText(32, 350 + d, (Str255("Available A-D inputs are 1-") + NumText(InterfaceInputs()).mid(2)).str(),
               KitFont(KestraneFont, 12), kBlack);
}

// Steps 2 to 9.
void BuildTriggerWindow() {
  const bool fastScope =
      RecordingMODE == RecordingModeCode::Scope && PrefsArray[PrefsSlot::DT800FastScope] != 0;
  const int d = Shift();
  BuildWINDOW(kTriggerWindow, "Set Trigger Conditions", 10, 41, 630, I((fastScope ? 510 : 410) + d), 6);
  DrawStatic(d);
  rt::NewControl(TriggerItem::Activate, rt::ControlType::PushButton, Active() ? "Deactivate" : "Activate",
                 RectOf(200, 19, 350, 46), 1);
  DrawTriggerState();
  for (int16_t n = 1; n <= Channels(); ++n)
    rt::NewControl(n, rt::ControlType::RadioButton, NumText(n) + ".  " + StoredChannelLabel(n),
                   RectOf(10, 18 * n + 81, 300, 18 * n + 99), Active() ? 1 : 0);
  TriggerChan = TriggerChannelShown(TriggerChan, Channels());
  rt::NewControl(TriggerItem::ExtraInput, rt::ControlType::RadioButton, "Volts only; A-D INPUT #",
                 RectOf(50, 313 + d, 230, 331 + d), ExtraInputState());
  const float stored = ChannelVariables[16][ChanField::Input];
  const int16_t inputs = InterfaceInputs();
  const int16_t input = stored >= 1.0f && stored <= inputs ? I(static_cast<int>(stored)) : inputs;
  EFForeColor = 0;
  EFBackColor = 6;
  BUILDEF(TriggerItem::InputField, NumText(input), 235, I(314 + d), 270, I(330 + d), 3, 2);
  rt::SetEditFont(TriggerItem::InputField, KitFont(3, 15));
  rt::NewControl(TriggerItem::Exceed, rt::ControlType::RadioButton,
                 "     Exceed:", RectOf(348, 162, 455, 182), 1);
  rt::NewControl(TriggerItem::FallBelow, rt::ControlType::RadioButton,
                 " Fall Below:", RectOf(348, 185, 455, 205), 1);
  EFBackColor = 7;
  BUILDEF(TriggerItem::LevelField, NumText(triggerval), 461, 167, 590, 198, 3, 2);
  rt::SetEditFont(TriggerItem::LevelField, KitFont(3, 24));
  EFBackColor = 6;
  rt::NewControl(TriggerItem::OK, rt::ControlType::DefaultButton, "Triggering OK",
                 RectOf(420, 323 + d, 600, 345 + d), 1);
  const int width = PrefsArray[PrefsSlot::WindowWidth];
  if (width >= 800)
    rt::NewControl(TriggerItem::Help, rt::ControlType::PushButton, "?", RectOf(350, 323 + d, 405, 345 + d),
                   1);
  rt::FlushWindow();
  if (PrefsArray[PrefsSlot::AlwaysShowHelpData] != 0 && width > 640) {
    DoHelpWindow(kHelpTopic);
    rt::BringWindowForward(kTriggerWindow);
    rt::SetOutputWindow(kTriggerWindow);
  }
}

// Marks the radio of the trigger channel and of the condition, unmarking the rest.
void MarkRadios() {
  const int16_t marked = TriggerChan > Channels() ? TriggerItem::ExtraInput : TriggerChan;
  for (int16_t n = 1; n <= TriggerItem::ExtraInput; ++n) {
    if (!rt::ControlExists(n)) continue;
    const int16_t state = rt::ControlState(n);
    if (n == marked && state != 0)
      rt::SetControlState(n, 2);
    else if (state == 2)
      rt::SetControlState(n, 1);
  }
  rt::SetControlState(TriggerItem::Exceed, TriggerMode == 1 ? 1 : 2);
  rt::SetControlState(TriggerItem::FallBelow, TriggerMode == 1 ? 2 : 1);
}

void ToggleTriggering() {
  TriggerON = Active() ? 0 : 1;
  rt::SetControlTitle(TriggerItem::Activate, Active() ? "Deactivate" : "Activate");
  if (Active()) {
    upVipSOUND();
    if (TriggerChan == 0) TriggerChan = 1;
  } else {
    downVipSOUND();
    TriggerChan = 0;  // nothing is marked while triggering is off
  }
  for (int16_t n = 1; n <= Channels(); ++n) rt::SetControlState(n, Active() ? 1 : 0);
  rt::SetControlState(TriggerItem::ExtraInput, ExtraInputState());
  rt::SetControlState(TriggerItem::OK, 1);
  MarkRadios();
  DrawTriggerState();
}

// One click; true when it ends the loop.
bool TriggerClick(int16_t id) {
  if (id >= 1 && id <= TriggerItem::ExtraInput) {
    if (id <= Channels()) {
      TriggerChan = id;
      MarkRadios();
    } else if (id == TriggerItem::ExtraInput && ExtraTriggerInputAvailable(Channels())) {
      // The extra input is kept as 16, its record's number: with fewer than sixteen
      // channels that names no channel, and a set-up file stores it as it is.
      TriggerChan = kExtraTriggerInput;
      MarkRadios();
    }
  } else if (id == TriggerItem::Exceed || id == TriggerItem::FallBelow) {
    TriggerMode = id == TriggerItem::FallBelow ? 1 : 0;
    MarkRadios();
  } else if (id == TriggerItem::Activate) {
    ToggleTriggering();
  } else if (id == TriggerItem::Help) {
    DoHelpWindow(kHelpTopic);
    rt::BringWindowForward(kTriggerWindow);
    rt::SetOutputWindow(kTriggerWindow);
  }
  return id == TriggerItem::OK;
}

// The typed input of the extra A/D input, when the interface has no such input: the
// window stays open and says why.
bool RefusedInput() {
  if (TriggerChan <= Channels() || !ExtraTriggerInputAvailable(Channels())) return false;
  const int16_t typed = TriggerInputFromTyped(TextToNumber(rt::EditText(TriggerItem::InputField)));
  const int16_t inputs = InterfaceInputs();
  if (typed <= inputs) return false;
  zap();
  ShowRefusalLine(kRefusalLine, RefusalPlace(), NoTriggerInputLine(typed, inputs));
  rt::SelectEditText(TriggerItem::InputField, 0, -1);
  return true;
}

enum class LoopEnd { Done, MenuCommand, Gone };

LoopEnd TriggerLoop() {
  Action = 0;
  EventID = 0;
  MENUID = 0;
  rt::SetMenuHandler(WindowMenuHandler);
  InstallDialogHandlers(WindowMenuHandler);
  if (!Active()) TriggerChan = 0;
  while (rt::WindowExists(kTriggerWindow)) {
    rt::PumpEvents();
    if (!rt::WindowExists(kTriggerWindow)) return LoopEnd::Gone;
    rt::SetOutputWindow(kTriggerWindow);
    if (MENUID == 255) return LoopEnd::MenuCommand;
    MarkRadios();
    bool done = false;
    if (Action == ActionCode::WindowActivity || Action == ActionCode::CloseBox) {
      rt::BringWindowForward(kTriggerWindow);
      rt::SetOutputWindow(kTriggerWindow);
      done = true;
    } else if (Action == ActionCode::Key) {
      done = EventID == 0 || EventID == 13 || EventID == 3;
    } else if (Action == ActionCode::Click) {
      done = TriggerClick(static_cast<int16_t>(EventID));
    }
    if (Action != ActionCode::Nothing) {
      Action = 0;
      EventID = 0;
    }
    if (done && !RefusedInput()) return LoopEnd::Done;
  }
  return LoopEnd::Gone;
}

// Steps 12 and 13.
void ReadBackTrigger() {
  rt::SetOutputWindow(kTriggerWindow);
  triggerval = static_cast<float>(TextToNumber(rt::EditText(TriggerItem::LevelField)));
  if (TriggerChan > Channels() && ExtraTriggerInputAvailable(Channels())) {
    ChannelVariablesRecord& extra = ChannelVariables[16];
    extra[ChanField::Input] = TriggerInputFromTyped(TextToNumber(rt::EditText(TriggerItem::InputField)));
    extra[ChanField::A] = 0.0f;
    extra[ChanField::B] = 1.0f;
    extra[ChanField::C] = 1.0f;
  }
  TriggerGain = TriggerGainForLevel(triggerval);
}

}  // namespace

int16_t TriggerGainForLevel(float level) {
  const float m = std::fabs(level);
  if (m >= 2.5f) return 1;
  if (m >= 1.0f) return 2;
  if (m >= 0.5f) return 5;
  if (m >= 0.25f) return 10;
  if (m >= 0.1f) return 20;
  if (m >= 0.05f) return 50;
  return 100;
}

int16_t TriggerInputFromTyped(double typed) {
  if (!(typed >= 1.0)) return 1;  // also text that is no number
  if (typed >= 16.0) return 16;
  return static_cast<int16_t>(std::trunc(typed));
}

int16_t TriggerChannelShown(int16_t triggerChan, int16_t channels) {
  return triggerChan <= 0 || triggerChan > channels ? 16 : triggerChan;
}

bool ExtraTriggerInputAvailable(int16_t channels) {
  return channels < 16;
}

std::string NoTriggerInputLine(int16_t input, int16_t inputs) {
  return "No A-D input " + std::to_string(input) + " here: inputs 1-" + std::to_string(inputs) + " only.";
}

std::optional<std::string> TriggerInputRefusal() {
  if (TriggerChan >= 1 && TriggerChan <= Channels()) return std::nullopt;
  const float stored = ChannelVariables[16][ChanField::Input];
  const int16_t inputs = InterfaceInputs();
  if (stored >= 1.0f && stored < inputs + 1.0f) return std::nullopt;
  const double whole = std::isfinite(stored) ? std::trunc(static_cast<double>(stored)) : 0.0;
  return NoTriggerInputLine(static_cast<int16_t>(std::clamp(whole, -32768.0, 32767.0)), inputs);
}

void TRIGGER() {
  const HandlerScope callersHandlers;
  services::SetUpMENUs(0);
  LoopEnd end = LoopEnd::MenuCommand;
  while (end == LoopEnd::MenuCommand) {
    BuildTriggerWindow();
    end = TriggerLoop();
    // A menu command carried out meanwhile: the window is built again and what was
    // typed but not yet read back is dropped.
    if (end == LoopEnd::MenuCommand && rt::WindowExists(kTriggerWindow)) rt::CloseWindow(kTriggerWindow);
  }
  if (rt::WindowExists(kTriggerWindow)) {
    ReadBackTrigger();
    rt::CloseWindow(kTriggerWindow);
  }
  services::SetUpMENUs(1);
  Action = ActionCode::Redraw;
}

}  // namespace mv
