#include "control/switch_options_window.h"

#include "control/state.h"
#include "kit/builders.h"
#include "kit/format.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/windows.h"

namespace mv {

namespace {

using namespace SwitchOptionsItem;
constexpr int16_t W = kSwitchOptionsWindow;

void ShowMarkerChoice() {
  rt::SetControlState(LetterMarkers, ShowSwitchDeviceAsMarker ? 1 : 2);
  rt::SetControlState(DeviceNumberMarkers, ShowSwitchDeviceAsMarker ? 2 : 1);
}

void BuildSwitchOptionsWindow() {
  BuildWINDOW(W, "Switch Marker and Zero Options", 250, 250, 640, 420, 6);
  SetWindowBackground(1, true);
  rt::NewControl(LetterMarkers, rt::ControlType::RadioButton, "Use 'R' for Reference and 'S' for Sample",
                 Rect{20, 20, 600, 40}, 1);
  rt::NewControl(DeviceNumberMarkers, rt::ControlType::RadioButton,
                 "Use the Device Number as the Switch Marker", Rect{20, 50, 600, 70}, 1);
  ShowMarkerChoice();
  EFForeColor = 1;
  EFBackColor = 6;
  BUILDEF(ZeroLabel, "Set unread channels to: ", 20, 101, 224, 118, 7, 3);
  rt::SetEditColors(ZeroLabel, RGBColor{0, 0, 0}, kThemeBackground);  // a label on the window
  BUILDEF(ZeroValue, NumText(DeviceSwitchZeroValue), 230, 100, 300, 120, 3, 2);
  rt::NewControl(Done, rt::ControlType::PushButton, "Done", Rect{290, 141, 380, 161}, 1);
  rt::FlushWindow();
}

// One event: true when it ends the window.
bool HandleSwitchOptionsEvent() {
  switch (Action) {
    case ActionCode::CloseBox:
      return true;
    case ActionCode::WindowActivity:
      return EventID != W;
    case ActionCode::Click:
      break;
    default:
      return false;
  }
  if (EventID == Done) return true;
  if (EventID == LetterMarkers) ShowSwitchDeviceAsMarker = 0;
  if (EventID == DeviceNumberMarkers) ShowSwitchDeviceAsMarker = 1;
  ShowMarkerChoice();
  return false;
}

}  // namespace

void SetSwitchOptions() {
  BuildSwitchOptionsWindow();
  Action = 0;
  EventID = 0;
  bool done = false;
  while (!done && rt::WindowExists(W)) {
    rt::PumpEvents();
    rt::SetOutputWindow(W);
    done = HandleSwitchOptionsEvent();
    Action = 0;
    EventID = 0;
  }
  if (!rt::WindowExists(W)) return;
  DeviceSwitchZeroValue = static_cast<float>(TextToNumber(rt::EditText(ZeroValue)));
  rt::CloseWindow(W);
}

}  // namespace mv
