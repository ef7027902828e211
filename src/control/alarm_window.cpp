#include "control/alarm_window.h"

#include <algorithm>
#include <cmath>

#include "conversions/conversions_window.h"
#include "conversions/needs.h"
#include "devices/interfaces.h"
#include "devices/state.h"
#include "kit/builders.h"
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
// The colour of texts that must catch the eye (the warning about scope channels).
constexpr RGBColor kHighlight{0, 18000, 52000};
constexpr int16_t kHelpTopic = 189;

int16_t I(int v) {
  return static_cast<int16_t>(v);
}
int16_t LastRow() {
  return I(std::clamp<int>(nChannels, 0, 16));
}
int16_t BoxState(float flag) {
  return flag != 0.0f ? 2 : 1;
}
// 96 pixels more on displays that allow 13 channels or more.
int TallShift() {
  return MaximumChans >= 13 ? 96 : 0;
}
void PlayAlarmSound() {
  PlaySound("AlarmBUZZ.mp3", "MVsounds");
}
void WindowMenuHandler(int16_t menu, int16_t menuItem) {
  services::ShortMENU(menu, menuItem);
}

void DrawRow(int16_t n) {
  const int y = 24 * n + 51;
  const AlarmConditionsRecord& r = alarmsArray[n];
  BUILDBOX(9, y - 21, 223, y + 1);
  EFForeColor = 0;
  EFBackColor = 6;
  BUILDEF(n, AlarmRowTitle(n), 10, I(y - 20), 222, I(y), 7, 0);
  rt::SetEditFont(n, KestraneFont != 0 ? KitFont(KestraneFont, 13) : KitFont(3, 11));
  BUILDBUTTON(I(AlarmItem::Lower + n), BoxState(r[AlarmField::LowerOn]), "", 235, I(y - 17), 2, 0);
  BUILDEF(I(AlarmItem::LowerLimit + n), NumText(r[AlarmField::LowerLimit]), 258, I(y - 17), 315, I(y - 2), 3,
          2);
  BUILDBUTTON(I(AlarmItem::Upper + n), BoxState(r[AlarmField::UpperOn]), "", 340, I(y - 17), 2, 0);
  BUILDEF(I(AlarmItem::UpperLimit + n), NumText(r[AlarmField::UpperLimit]), 363, I(y - 17), 420, I(y - 2), 3,
          2);
  // A streaming instrument's values are not volts: there is no input range to pass,
  // and the row says so where the other interfaces offer the over-range alarm.
  if (OverRangeRuleFor(External_AD).checked)
    rt::NewControl(I(AlarmItem::OverRange + n), rt::ControlType::CheckBox, "Overrange",
                   RectOf(455, y - 17, 545, y - 1), BoxState(r[AlarmField::OverRangeOn]));
  else
    rt::DrawText(455, y - 4, "none: not volts", KitFont(3, 11), kBlack);
  rt::NewControl(I(AlarmItem::Clear + n), rt::ControlType::PushButton, "Clear", RectOf(555, y - 19, 610, y), 1);
}

// Steps 3 to 6: everything inside the window.
void DrawAlarmContent() {
  rt::SetOutputWindow(kAlarmWindow);
  SetWindowBackground(LightGray, true);
  EmbossPrint(1, "Set alarm conditions for chart channels", 20, 15, 26);
  const rt::FontSpec head = KitFont(KestraneFont, 14);
  rt::DrawText(15, 49, "channel# and label", head, kBlack);
  rt::DrawText(237, 49, "lower limits", head, kBlack);
  rt::DrawText(346, 49, "upper limits", head, kBlack);
  rt::DrawText(450, 49, "A-D input limits", head, kBlack);
  if (RecordingMODE == RecordingModeCode::ScopeChart) {
    BuildGrayBox(5, 52, 616, 71, 0);
    rt::FontSpec bold = KitFont(KestraneFont, 14);
    bold.bold = true;
    const Str255 three = bullet + bullet + bullet;
    const Str255 text = Str255(" ") + three + " alarms are not allowed on oscilloscope channels " + three;
    rt::DrawText(12, 67, text.str(), bold, kHighlight);
  }
  for (int16_t n = FirstAlarmRow(RecordingMODE); n <= LastRow(); ++n) DrawRow(n);
  const int d = TallShift();
  rt::NewControl(AlarmItem::OK, rt::ControlType::DefaultButton, "Alarm Setup OK",
                 RectOf(440, 347 + d, 590, 369 + d), 1);
  rt::NewControl(AlarmItem::ClearAll, rt::ControlType::PushButton, "Clear All Alarms",
                 RectOf(290, 347 + d, 430, 369 + d), 1);
  rt::NewControl(AlarmItem::Audible, rt::ControlType::CheckBox, "Use Audible Alarms",
                 RectOf(20, 351 + d, 210, 369 + d), AudibleALARM != 0 ? 2 : 1);
  rt::NewControl(AlarmItem::Help, rt::ControlType::PushButton, "?", RectOf(240, 347 + d, 275, 369 + d), 1);
  rt::FlushWindow();
}

void ClearChannelFlags(int16_t n) {
  for (int f = AlarmField::LowerOn; f <= AlarmField::OverRangeOn; ++f) alarmsArray[n][f] = 0.0f;
  for (int16_t box : {AlarmItem::Lower, AlarmItem::Upper, AlarmItem::OverRange})
    if (rt::ControlExists(I(box + n))) rt::SetControlState(I(box + n), 1);
}

void ToggleFlag(int16_t n, int field, int16_t box) {
  float& flag = alarmsArray[n][field];
  flag = ToggledAlarmFlag(flag);
  rt::SetControlState(box, BoxState(flag));
}

// Return or Enter (from a field, or typed with no field focused); other keys typed
// outside the fields are no command.
bool ReturnOrEnter() {
  return EventID == 0 || EventID == 13 || EventID == 3;
}

// One click; true when it ends the loop.
bool AlarmClick(int16_t id) {
  const int16_t rows = LastRow();
  const auto inBand = [&](int16_t base) { return id > base && id <= base + 49 && id - base <= rows; };
  if (id == AlarmItem::OK) return true;
  if (id == AlarmItem::ClearAll) {
    for (int16_t n = 1; n <= rows; ++n) {
      alarmsArray[n][AlarmField::AnyOn] = 0.0f;
      ClearChannelFlags(n);
    }
  } else if (id == AlarmItem::Audible) {
    AudibleALARM = AudibleALARM != 0 ? 0 : 1;
    rt::SetControlState(AlarmItem::Audible, AudibleALARM != 0 ? 2 : 1);
    if (AudibleALARM) PlayAlarmSound();
  } else if (id == AlarmItem::Help) {
    DoHelpWindow(kHelpTopic);
    rt::SetOutputWindow(kAlarmWindow);
  } else if (inBand(AlarmItem::Lower)) {
    ToggleFlag(I(id - AlarmItem::Lower), AlarmField::LowerOn, id);
  } else if (inBand(AlarmItem::Upper)) {
    ToggleFlag(I(id - AlarmItem::Upper), AlarmField::UpperOn, id);
  } else if (inBand(AlarmItem::OverRange)) {
    ToggleFlag(I(id - AlarmItem::OverRange), AlarmField::OverRangeOn, id);
  } else if (inBand(AlarmItem::Clear)) {
    ClearChannelFlags(I(id - AlarmItem::Clear));
  }
  return false;
}

// Step 7's loop; true when it ended by a menu command the reduced handler carried out.
bool AlarmLoop() {
  Action = 0;
  EventID = 0;
  MENUID = 0;
  InstallDialogHandlers(WindowMenuHandler);
  while (rt::WindowExists(kAlarmWindow)) {
    rt::PumpEvents();
    if (!rt::WindowExists(kAlarmWindow)) return false;
    rt::SetOutputWindow(kAlarmWindow);
    if (MENUID == 255) return true;
    bool done = false;
    if (Action == ActionCode::WindowActivity || Action == ActionCode::CloseBox)
      done = true;
    else if (Action == ActionCode::Key)
      done = ReturnOrEnter();
    else if (Action == ActionCode::Click)
      done = AlarmClick(static_cast<int16_t>(EventID));
    if (Action != ActionCode::Nothing) {
      Action = 0;
      EventID = 0;
    }
    if (done) return false;
  }
  return false;
}

// Step 8: the limits as typed, and field 0 of every row shown.
void ReadBackRows() {
  rt::SetOutputWindow(kAlarmWindow);
  for (int16_t n = FirstAlarmRow(RecordingMODE); n <= LastRow(); ++n) {
    AlarmConditionsRecord& r = alarmsArray[n];
    r[AlarmField::LowerLimit] = static_cast<float>(TextToNumber(rt::EditText(I(AlarmItem::LowerLimit + n))));
    r[AlarmField::UpperLimit] = static_cast<float>(TextToNumber(rt::EditText(I(AlarmItem::UpperLimit + n))));
    SettleAnyAlarm(r);
  }
}

}  // namespace

bool AlarmFlagSet(float flag) {
  return std::isfinite(flag) && std::trunc(flag) != 0.0f;
}

float ToggledAlarmFlag(float flag) {
  return flag == 1.0f ? 0.0f : 1.0f;
}

void SettleAnyAlarm(AlarmConditionsRecord& record) {
  const bool any = AlarmFlagSet(record[AlarmField::LowerOn]) || AlarmFlagSet(record[AlarmField::UpperOn]) ||
                   AlarmFlagSet(record[AlarmField::OverRangeOn]);
  record[AlarmField::AnyOn] = any ? 1.0f : 0.0f;
}

int16_t FirstAlarmRow(int16_t recordingMode) {
  return recordingMode == RecordingModeCode::ScopeChart ? 2 : 1;
}

Str255 AlarmRowTitle(int16_t channel) {
  return NumText(channel) + ": " + StoredChannelLabel(channel);
}

void SETALARMS() {
  const HandlerScope callersHandlers;
  if (RecordingMODE == RecordingModeCode::Scope) return;
  services::SetUpMENUs(0);
  const int d = TallShift();
  BuildWINDOW(kAlarmWindow, "Alarms", 7, 45, 637, I(422 + d), 6);
  if (AudibleALARM) PlayAlarmSound();
  for (;;) {
    DrawAlarmContent();
    const bool menuCommand = AlarmLoop();
    if (!rt::WindowExists(kAlarmWindow)) break;
    ReadBackRows();
    if (!menuCommand) break;
    // A menu command the reduced handler carried out: the same window, drawn afresh.
    for (int16_t id : rt::Controls(kAlarmWindow)) rt::DisposeControl(id);
    for (int16_t id : rt::EditFields(kAlarmWindow)) rt::DisposeEditField(id);
  }
  if (rt::WindowExists(kAlarmWindow)) rt::CloseWindow(kAlarmWindow);
  Action = 0;
  EventID = 0;
  services::SetUpMENUs(1);
}

}  // namespace mv
