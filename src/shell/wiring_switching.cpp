// Installs the commands of run-time switching and the analog outputs.
#include "control/analog_output.h"
#include "control/device_outputs.h"
#include "shell/commands.h"
#include "shell/wiring.h"

namespace mv {

void InstallWindows_switching() {
  commands::TURNVALVESOFF = [] { TURNVALVESOFF(); };
  commands::SetAOvolts = [](int16_t out, float volts) { SetAOvolts(out, volts); };
}

}  // namespace mv
