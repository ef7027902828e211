#include "shell/control_loop.h"

#include "runtime/events.h"
#include "shell/kit/protocol.h"
#include "shell/menus.h"
#include "shell/state.h"

namespace mv {

int16_t LastControlLoopEntry = 0;

void ControlLoop(LoopEntry entry) {
  LastControlLoopEntry = static_cast<int16_t>(entry);
  // Until the mode window and the recording road exist, the program waits here
  // with its menu bar; Quit ends it.
  InstallDialogHandlers(DoMENU);
  for (;;) {
    Action = 0;
    rt::PumpEvents();
  }
}

}  // namespace mv
