// Installs this group's windows and readers into the hooks that call them.
#include "control/ao_script_window.h"
#include "control/feedback_window.h"
#include "files/ao_script_commands.h"
#include "shell/commands.h"
#include "shell/wiring.h"

namespace mv {

void InstallWindows_aoscripts() {
  commands::AnalogOutputScript = [](int16_t output) { AnalogOutputScript(output); };
}

}  // namespace mv
