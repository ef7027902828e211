// Installs run-time switching, the device and analog outputs, and the output scripts.
//
// The run-start and marker hooks are shared with the audible timer: each install here
// keeps what the hook already did and runs the scripts' part after it.
#include <functional>
#include <utility>

#include "acquisition/entry_points.h"
#include "acquisition/screen.h"
#include "control/analog_output.h"
#include "control/device_outputs.h"
#include "control/feedback.h"
#include "control/output_scripts.h"
#include "control/switching.h"
#include "setup/entry_points.h"
#include "shell/commands.h"
#include "shell/wiring.h"

namespace mv {

namespace {

// What the hook did before, then the given part.
void RunAfter(std::function<void()>& hook, std::function<void()> part) {
  std::function<void()> before = std::move(hook);
  hook = [before, part] {
    if (before) before();
    part();
  };
}

}  // namespace

void InstallWindows_switching() {
  acq_hooks::SWITCHTOSAMPLE = [] { SWITCHTOSAMPLE(); };
  acq_hooks::SWITCHTOREFERENCE = [] { SWITCHTOREFERENCE(); };
  acq_hooks::CYCLECHANNELS = [] { CYCLECHANNELS(); };
  acq_hooks::KeyboardSampleON = [] { KeyboardSampleON(); };
  acq_hooks::KeyboardReferenceON = [] { KeyboardReferenceON(); };
  acq_hooks::DIRECTSWITCH = [](int16_t n) { DIRECTSWITCH(n); };
  setup_hooks::SELECTNEXTVALVE = [] { SELECTNEXTVALVE(); };
  commands::TURNVALVESOFF = [] { TURNVALVESOFF(); };
  commands::SetAOvolts = [](int16_t out, float volts) { SetAOvolts(out, volts); };

  acq_hooks::checkAOscript = [] { checkAOscript(); };
  acq_hooks::checkFEEDBACKLoop = [] { checkFEEDBACKLoop(); };
  acq_hooks::PumpAOvolts = [] { PumpAOvolts(); };
  RunAfter(screen_hooks::StartRunServices, [] { StartOutputScripts(); });
  RunAfter(acq_hooks::FirstMarkerCheck, [] { ScriptsAtFirstMarker(); });
  RunAfter(acq_hooks::Q_Key_check, [] { ScriptsAtEndMarker(3); });
  RunAfter(acq_hooks::X_Key_check, [] { ScriptsAtEndMarker(2); });
}

}  // namespace mv
