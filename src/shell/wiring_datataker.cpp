// Installs this group's windows and readers into the hooks that call them.
#include "devices/datataker_inputs_window.h"
#include "devices/datataker_reader.h"
#include "devices/dt800_mode_window.h"
#include "devices/needs.h"
#include "setup/needs.h"
#include "shell/commands.h"
#include "shell/wiring.h"

namespace mv {

void InstallWindows_datataker() {
  commands::ResetDataTaker = ResetDataTaker;
  commands::FlushDT800Buffer = [](int16_t wait) { FlushDT800Buffer(wait); };
  commands::DT800COMMUNICATIONS = DT800COMMUNICATIONS;
}

}  // namespace mv
