#include "shell/main_body.h"

#include "runtime/events.h"
#include "runtime/system.h"
#include "runtime/windows.h"
#include "shell/kit/protocol.h"
#include "shell/kit/services.h"
#include "shell/state.h"

namespace mv {

namespace {

constexpr int16_t kFirstWindow = 1;

// Until start-up proper is built, the body shows one window and runs its loop
// until the close box ends the program.
void FirstWindowLoop() {
  rt::OpenWindow(kFirstWindow, " Mirevant ", Rect{60, 60, 460, 260}, 6);
  rt::FillWindow(RGBColor{0xEEEE, 0xEEEE, 0xEEEE});
  rt::DrawText(20, 40, "Mirevant", rt::FontSpec{"", 24, true}, RGBColor{0, 0, 0});
  rt::DrawText(20, 70, "Close this window to quit.", rt::FontSpec{"", 12}, RGBColor{0, 0, 0});
  Action = 0;
  EventID = 0;
  InstallDialogHandlers(NoMENU);
  for (;;) {
    rt::PumpEvents();
    if (Action == ActionCode::CloseBox && EventID == kFirstWindow) break;
    Action = 0;
  }
  rt::CloseWindow(kFirstWindow);
}

}  // namespace

void MainBody(int, char**) {
  FirstWindowLoop();
  services::Quit();
  rt::ExitProgram(0);
}

}  // namespace mv
