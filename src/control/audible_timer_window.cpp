#include "control/audible_timer_window.h"

#include <array>

#include "control/audible_timer.h"
#include "control/state.h"
#include "conversions/needs.h"
#include "kit/builders.h"
#include "kit/format.h"
#include "kit/help.h"
#include "kit/popups.h"
#include "kit/protocol.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/windows.h"

namespace mv {

namespace {

using namespace TimerItem;
constexpr int16_t W = kAudibleTimerWindow;
constexpr int16_t kWidth = 627, kHeight = 305;
constexpr int16_t kLeft = 90, kTop = 70;
constexpr RGBColor kBlack{0, 0, 0};

// A radio button and the value it gives its setting.
struct Radio {
  int16_t number;
  int16_t* setting;
  int16_t value;
  const char* label;
  int16_t x, y;
};
const std::array<Radio, 13> kRadios = {{
    {StartAfter, &StartAlertMODE, 1, "After", 28, 70},
    {StartAtSample, &StartAlertMODE, 2, "At Sample", 28, 100},
    {StartAtMarker, &StartAlertMODE, 3, "At First Marker", 28, 130},
    {EveryMinutes, &ContAlertMODE, 0, "Every", 227, 70},
    {EverySamples, &ContAlertMODE, 1, "Every", 227, 95},
    {ToATotal, &ContAlertEnd, 0, "To a Total of", 227, 130},
    {UntilX, &ContAlertEnd, 1, "Until Marker 'x'", 227, 172},
    {Continuous, &ContAlertEnd, 2, "Continuous Alerting", 227, 195},
    {StopAfterMinutes, &StopAlertMODE, 0, "After", 445, 70},
    {StopAfterSamples, &StopAlertMODE, 1, "After", 445, 95},
    {StopAtX, &StopAlertMODE, 2, "At Marker 'x'", 445, 120},
    {FromFileStart, &StopAlertCASE, 0, "From Start of File", 445, 160},
    {FromStartAlert, &StopAlertCASE, 1, "From 'start' Alert", 445, 183},
}};

struct Check {
  int16_t number;
  int16_t* setting;
  const char* label;
  int16_t x;
};
const std::array<Check, 3> kChecks = {{
    {StartOn, &StartALERT, "play 'start' alert sound:", 18},
    {RepeatOn, &ContinueALERT, "Contine to Play Alert Sounds:", 217},
    {StopOn, &StopALERTx, "Play 'stop' Alert Sound:", 435},
}};

struct SoundPopup {
  int16_t number;
  int16_t* setting;
  AlertKind kind;
  int16_t menu;
  void (*build)(int16_t);
  int16_t left, right;
};
const std::array<SoundPopup, 3> kPopups = {{
    {StartSound, &StartAlertSound, AlertKind::Start, kPopupMenu, Popup50, 62, 198},
    {RepeatSound, &ContAlertSound, AlertKind::Repeat, kActivityPopupMenu, Popup51, 261, 414},
    {StopSound, &StopAlertSound, AlertKind::Stop, kUnitsPopupMenu, Popup52, 479, 612},
}};

// The panels' left and right edges.
constexpr std::array<std::array<int16_t, 2>, 3> kPanels = {{{8, 205}, {207, 422}, {425, 619}}};

void Text(const char* text, int x, int y) {
  rt::DrawText(x, y, text, rt::TextFont(), kBlack);
}

void Field(int16_t number, double value, int16_t left, int16_t top, int16_t width) {
  BUILDEF(number, NumText(value), left, top, static_cast<int16_t>(left + width),
          static_cast<int16_t>(top + 18), 3, 2);
}

void TimerMenuHandler(int16_t menu, int16_t menuItem) {
  services::ShortMENU(menu, menuItem);
}

void ShowChoices() {
  for (const Radio& r : kRadios) rt::SetControlState(r.number, *r.setting == r.value ? 2 : 1);
  for (const Check& c : kChecks) rt::SetControlState(c.number, *c.setting != 0 ? 2 : 1);
}

void BuildPanels() {
  static constexpr std::array<const char*, 3> kHeadings = {"Starting:", "Continuing:", "Ending:"};
  for (std::size_t i = 0; i < kPanels.size(); ++i) {
    BUILDBOX(kPanels[i][0], 30, kPanels[i][1], 256);
    EmbossPrint(1, kHeadings[i], 14, static_cast<int16_t>(kPanels[i][0] + 6), 22);
    Text("sound:", kPanels[i][0] + 8, 242);
  }
  DoubleLINE(433, 611, 148);
}

void BuildSwitches() {
  rt::SetTextFont(KitFont(KestraneFont, 12));
  for (const Check& c : kChecks) BUILDBUTTON(c.number, 1, c.label, c.x, 40, 2, 1);
  for (const Radio& r : kRadios) BUILDBUTTON(r.number, 1, r.label, r.x, r.y, 3, 1);
  ShowChoices();
}

void BuildFields() {
  EFForeColor = 1;
  EFBackColor = 6;
  Field(StartMinutesField, StartAlertInt, 88, 67, 48);
  Text("minutes", 140, 81);
  Field(StartSampleField, StartAlertCount, 124, 97, 62);
  Field(RepeatMinutesField, ContinueAlertInt, 295, 67, 56);
  Text("minutes", 355, 81);
  Field(RepeatSamplesField, ContAlertCount, 295, 92, 56);
  Text("samples", 355, 106);
  Field(TotalField, maxalerts, 334, 127, 40);
  Text("alerts", 378, 141);
  Text("('stop' sound is played last)", 240, 160);
  Field(StopMinutesField, StopAlertInt, 500, 67, 56);
  Text("minutes", 560, 81);
  Field(StopSamplesField, StopAlertCount, 500, 92, 56);
  Text("samples", 560, 106);
}

void BuildPopups() {
  for (const SoundPopup& p : kPopups) {
    p.build(p.menu);
    rt::NewPopupControl(p.number, p.menu, "", Rect{p.left, 226, p.right, 248}, *p.setting);
  }
}

void BuildTimerWindow() {
  BuildWINDOW(W, "Audible Timer Sounds Setup", kLeft, kTop, kLeft + kWidth, kTop + kHeight, 6);
  BuildPanels();
  BuildSwitches();
  BuildFields();
  BuildPopups();
  rt::NewControl(Help, rt::ControlType::PushButton, "?", Rect{18, 270, 58, 292}, 1);
  rt::NewControl(Done, rt::ControlType::DefaultButton, "Done", Rect{509, 270, 609, 292}, 1);
  rt::FlushWindow();
  rt::FocusEditField(StartMinutesField);
  rt::SelectEditText(StartMinutesField, 0, -1);
}

float FieldValue(int16_t number) {
  return static_cast<float>(TextToNumber(rt::EditText(number)));
}

AlertFields ReadFields() {
  rt::SetOutputWindow(W);
  AlertFields f;
  f.startMinutes = FieldValue(StartMinutesField);
  f.startSample = FieldValue(StartSampleField);
  f.repeatMinutes = FieldValue(RepeatMinutesField);
  f.repeatSamples = FieldValue(RepeatSamplesField);
  f.totalAlerts = FieldValue(TotalField);
  f.stopMinutes = FieldValue(StopMinutesField);
  f.stopSamples = FieldValue(StopSamplesField);
  return f;
}

void ChooseSound(const SoundPopup& p) {
  const auto chosen = static_cast<int16_t>(rt::ControlValue(p.number));
  *p.setting = chosen;
  const SoundChoice preview = AlertPreviewSound(p.kind, chosen);
  PlaySound(preview.file, preview.folder);
}

// A click: true when it ends the window.
bool Clicked(int32_t control) {
  if (control == Done) return true;
  if (control == Help) {
    HBGotoPage("audibleTimer.html");
    rt::BringWindowForward(W);
    return false;
  }
  for (const Check& c : kChecks)
    if (c.number == control) *c.setting = *c.setting != 0 ? 0 : 1;
  for (const Radio& r : kRadios)
    if (r.number == control) *r.setting = r.value;
  for (const SoundPopup& p : kPopups)
    if (p.number == control) ChooseSound(p);
  ShowChoices();
  return false;
}

bool Ends() {
  switch (Action) {
    case ActionCode::Click:
      return Clicked(EventID);
    case ActionCode::Key:
    case ActionCode::CloseBox:
      return true;
    case ActionCode::WindowActivity:
      return EventID != W;
    default:
      return false;
  }
}

}  // namespace

void AudibleTIMER() {
  const HandlerScope callersHandlers;
  services::SetUpMENUs(0);
  ApplyAlertDefaults();
  BuildTimerWindow();
  InstallDialogHandlers(TimerMenuHandler);
  Action = 0;
  EventID = 0;
  bool done = false;
  while (!done && rt::WindowExists(W)) {
    rt::PumpEvents();
    rt::SetOutputWindow(W);
    done = Ends();
    Action = 0;
    EventID = 0;
  }
  if (rt::WindowExists(W)) {
    CommitAlertSettings(ReadFields());
    rt::CloseWindow(W);
  }
  services::SetUpMENUs(1);
}

}  // namespace mv
