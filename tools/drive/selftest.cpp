#include "drive/selftest.h"

#include "kit/protocol.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/menus.h"
#include "runtime/system.h"
#include "runtime/windows.h"

namespace mv::drive {

namespace {

void ShowLine(int16_t y, const std::string& text) {
  rt::FillRect(10, y - 14, 280, 18, 1, 1, 1);
  rt::DrawText(12, y, text, rt::FontSpec{"", 12}, RGBColor{0, 0, 0x8000});
}

void MenuChoice(int16_t menu, int16_t choice) {
  MENUID = menu;
  item = choice;
  Action = ActionCode::Redraw;
  EventID = 0;
}

}  // namespace

void SelfTestProgram(int, char**) {
  rt::NewMenu(1, "Test");
  rt::SetMenuItem(1, 1, "Say hello");
  rt::SetMenuItem(1, 2, "Quit");
  rt::SetMenuItemKey(1, 2, 'Q');
  rt::SetMenuBar({1});
  rt::DrawMenuBar();

  rt::OpenWindow(1, " Driver self-test ", Rect{40, 60, 340, 220}, 6);
  rt::FillWindow(RGBColor{0xEEEE, 0xEEEE, 0xEEEE});
  rt::NewEditField(1, "", Rect{10, 10, 200, 32}, 3, 1);
  rt::NewControl(1, rt::ControlType::PushButton, "Show", Rect{210, 10, 290, 32}, 1);
  rt::NewControl(2, rt::ControlType::PushButton, "Quit", Rect{210, 120, 290, 142}, 1);
  rt::FocusEditField(1);
  WINDOWCLEAR();
  InstallDialogHandlers(MenuChoice);
  for (;;) {
    MENUID = 0;
    rt::PumpEvents();
    rt::SetOutputWindow(1);
    if (Action == ActionCode::Click && EventID == 1) ShowLine(70, "Field: " + rt::EditText(1));
    if (Action == ActionCode::Key) ShowLine(70, "Return: " + rt::EditText(1));
    if (MENUID == 1 && item == 1) ShowLine(100, "Hello from the menu");
    if ((MENUID == 1 && item == 2) || (Action == ActionCode::Click && EventID == 2)) rt::ExitProgram(3);
    if (Action == ActionCode::CloseBox && EventID == 1) rt::ExitProgram(0);
    Action = 0;
  }
}

}  // namespace mv::drive
