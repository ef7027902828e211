// What the driver tells a script's author about the windows on the screen: the
// open windows, and one window's controls and fields with the numbers a script
// uses to act on them.
#pragma once
#include <cstdint>
#include <string>

namespace mv::drive {

// One line per open window: number, title, kind, and whether it is the front one
// or hidden. "no window is open" when there is none.
std::string ListWindows();
// Window W's line, then one line per control (number, kind, title, state, value)
// and per field (number, kind, text). "window W is not open" when it is not.
std::string ListWindow(int16_t window);
// A short account for a failing line: the controls (or the fields) the window does
// have, or the open windows when it is not open.
std::string ControlsOf(int16_t window);
std::string FieldsOf(int16_t window);
std::string OpenWindowsNamed();

}  // namespace mv::drive
