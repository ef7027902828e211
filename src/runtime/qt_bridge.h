// Access to the Qt widgets behind numbered windows, controls and fields, for
// the script driver and the runtime's own tests. The program never uses it.
#pragma once
#include <cstdint>

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

}  // namespace mv::rt::bridge
