// The "Backup Interval" window (window 16): how often the timed backup saves the
// recording, by preset buttons, arithmetic on the value shown or typing, and
// whether the date goes into backup names.
#include <string>
#include <vector>

#include "conversions/needs.h"
#include "files/save_commands.h"
#include "files/save_names.h"
#include "files/state.h"
#include "kit/builders.h"
#include "kit/format.h"
#include "kit/help.h"
#include "kit/protocol.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/menus.h"
#include "runtime/windows.h"

namespace mv {

namespace {

constexpr int16_t W = kBackupIntervalWindow;
constexpr int16_t kMinutesField = 102, kAppendDateBox = 22, kOffButton = 19, kOKButton = 20,
                  kHelpButton = 130;
constexpr int16_t kHelpTopic = 142;
constexpr RGBColor kBlack{0, 0, 0};

struct PresetButton {
  int16_t number;
  const char* title;
};
// Four to a row, the fine steps first, then the arithmetic on the value shown.
const std::vector<std::vector<PresetButton>> kRows = {
    {{15, "0.5"}, {16, "1"}, {17, "2"}, {18, "2.5"}},
    {{1, "5"}, {2, "10"}, {3, "15"}, {4, "30"}},
    {{5, "60"}, {6, "2 hr"}, {7, "3 hr"}, {8, "4 hr"}},
    {{9, "6 hr"}, {10, "12 hr"}},
    {{11, "*2"},
     {12,
      "\xD6"
      "2"},
     {13, " + 10"},
     {14, "-1"}},
};

void WindowMenuHandler(int16_t menu, int16_t item) {
  services::ShortMENU(menu, item);
}

bool ShowsOff(const std::string& text) {
  Str255 t(text);
  TRUNCATE(t);
  std::size_t first = 0;
  while (first < t.size() && t[first] == ' ') ++first;
  return t.str().substr(first) == "(off)";
}

// The minutes the field stands for: "(off)" and text that is no number are 0.
double FieldMinutes() {
  const std::string text = rt::EditText(kMinutesField);
  return ShowsOff(text) ? 0.0 : TextToNumber(text);
}

void BuildIntervalWindow() {
  rt::CloseWindow(W);
  BuildWINDOW(W, "Backup Interval", 40, 70, 255, 305, 6);
  const rt::FontSpec font = KitFont(KestraneFont, 12);
  rt::DrawText(10, 24, "Save data every", font, kBlack);
  rt::DrawText(166, 24, "minutes", font, kBlack);
  const bool on = PrefsArray[PrefsSlot::AutomaticBackup] != 0 && TimedSaveINTERVAL != 0;
  BUILDEF(kMinutesField, on ? NumText(TimedSaveINTERVAL / 3'600.0) : Str255("(off)"), 106, 10, 160, 28, 1, 2);
  int16_t y = 38;
  for (const auto& row : kRows) {
    int16_t x = 8;
    for (const PresetButton& b : row) {
      rt::NewControl(b.number, rt::ControlType::PushButton, b.title,
                     Rect{x, y, static_cast<int16_t>(x + 47), static_cast<int16_t>(y + 22)}, 1);
      x = static_cast<int16_t>(x + 50);
    }
    y = static_cast<int16_t>(y + 25);
  }
  BUILDBUTTON(kAppendDateBox, appendDATE != 0 ? 2 : 1, "Add Date to File Name", 10, 168, 2, 0);
  rt::NewControl(kHelpButton, rt::ControlType::PushButton, "?", Rect{8, 200, 32, 224}, 1);
  rt::NewControl(kOffButton, rt::ControlType::PushButton, "OFF", Rect{40, 200, 96, 224}, 1);
  rt::NewControl(kOKButton, rt::ControlType::PushButton, "Timing OK", Rect{104, 200, 207, 224}, 1);
  rt::FlushWindow();
  InstallDialogHandlers(WindowMenuHandler);
  Action = 0;
  EventID = 0;
}

// A button of the window; true when it ends the window.
bool ClickButton(int16_t button) {
  if (button == kOKButton) return true;
  if (button == kOffButton) {
    PrefsArray[PrefsSlot::AutomaticBackup] = 0;
    rt::CheckMenuItem(1, 7, false);
    rt::SetEditText(kMinutesField, "0");
    return true;
  }
  if (button == kAppendDateBox) {
    appendDATE = appendDATE != 0 ? 0 : 1;
    rt::SetControlState(kAppendDateBox, appendDATE != 0 ? 2 : 1);
    return false;
  }
  if (button == kHelpButton) {
    DoHelpWindow(kHelpTopic);
    rt::SetOutputWindow(W);
    rt::FocusEditField(kMinutesField);  // typing goes on in the field
    return false;
  }
  if (const std::optional<double> minutes = BackupMinutesAfter(button, FieldMinutes())) {
    rt::SetEditText(kMinutesField, NumText(*minutes).str());
    if (*minutes > 0) PrefsArray[PrefsSlot::AutomaticBackup] = 1;
  }
  return false;
}

void TakeInterval() {
  TimedSaveINTERVAL = BackupTicksFor(FieldMinutes());
  const bool on = TimedSaveINTERVAL != 0;
  rt::CheckMenuItem(1, 7, on);
  PrefsArray[PrefsSlot::AutomaticBackup] = on ? 1 : 0;
  if (on)
    upVipSOUND();
  else
    downVipSOUND();
}

}  // namespace

void SetTimedSAVE() {
  const HandlerScope callersHandlers;
  services::SetUpMENUs(0);
  BuildIntervalWindow();
  wssst();
  bool done = false;
  while (!done && rt::WindowExists(W)) {
    rt::PumpEvents();
    rt::SetOutputWindow(W);
    if (Action == ActionCode::Click) {
      done = ClickButton(static_cast<int16_t>(EventID));
    } else if (Action == ActionCode::CloseBox) {
      done = EventID == W;
    } else if (Action == ActionCode::Key) {
      // Return or Enter: from the field's key handler (which leaves EventID alone) or
      // typed while no field has the focus. Other keys typed then are no command.
      done = EventID == 0 || EventID == 13 || EventID == 3;
    }
    if (!done && MENUID == 255) {
      // A menu command was handled: the window is built afresh over what it changed.
      MENUID = 0;
      const std::string typed = rt::EditText(kMinutesField);
      BuildIntervalWindow();
      rt::SetEditText(kMinutesField, typed);
    }
    Action = 0;
    EventID = 0;
  }
  if (rt::WindowExists(W)) {
    rt::SetOutputWindow(W);
    TakeInterval();
  }
  rt::CloseWindow(W);
  Action = 0;
  EventID = 0;
  services::SetUpMENUs(1);
}

}  // namespace mv
