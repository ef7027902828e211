// Access to the Qt widgets behind numbered windows, controls and fields, for
// the script driver and the runtime's own tests. The program never uses it.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class QImage;
class QWidget;

namespace mv::rt::bridge {

QWidget* WindowWidget(int16_t window);
QWidget* ControlWidget(int16_t window, int16_t control);
QWidget* EditFieldWidget(int16_t window, int16_t field);
QWidget* MenuBarWindow();
// Menu M pulled down: its items with their dimmed states, check marks and key
// equivalents, under its highlighted title when the bar shows it. A null image
// when there is no menu M.
QImage OpenMenuImage(int16_t menu);
// Chooses a menu item as the menu bar would.
void ChooseMenuItem(int16_t menu, int16_t item);
// Asks the window system for a new content size of a window, as the user's drag of
// its edge does: the window manager keeps the window's own limits (a window of fixed
// size keeps its size), and the change arrives at a later pump pass.
void DragWindowSize(int16_t window, int width, int height);

// What a numbered window holds, as a user would read it off the screen: texts are
// UTF-8. Reading it changes nothing (not even the output window).
struct ControlView {
  int16_t number = 0;
  int16_t type = 0;  // ControlType
  std::string title;
  int16_t state = 1;  // 0 dimmed, 1 enabled, 2 marked
  bool dimmed = false;  // dimmed, state 0 or not (a dimmed control keeps its mark)
  int value = 0;
  bool shown = true;
  std::vector<std::string> items;  // a popup's items or the tabs' labels
};
struct FieldView {
  int16_t number = 0;
  int16_t type = 1;  // 1 and 3 one line, 0, 2 and 4 several lines, 5 and above static
  std::string text;
  bool shown = true;
};
struct WindowView {
  int16_t number = 0;
  int16_t kind = 0;
  std::string title;
  bool shown = false;
  std::vector<ControlView> controls;  // by number
  std::vector<FieldView> fields;      // by number
};
std::optional<WindowView> DescribeWindow(int16_t window);

}  // namespace mv::rt::bridge
