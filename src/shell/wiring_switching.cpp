// Installs run-time switching, the device and analog outputs, and the output scripts.
//
// A marker's services (the audible timer, then the output scripts) are composed in
// control/switching_schedule.cpp in one written order; each hook here is installed once.
#include "acquisition/entry_points.h"
#include "control/analog_output.h"
#include "control/device_outputs.h"
#include "control/feedback.h"
#include "control/output_scripts.h"
#include "control/switching.h"
#include "control/switching_schedule.h"
#include "setup/entry_points.h"
#include "shell/commands.h"
#include "shell/wiring.h"

namespace mv {

void InstallWindows_switching() {
  setup_hooks::SELECTNEXTVALVE = [] { SELECTNEXTVALVE(); };
  commands::TURNVALVESOFF = [] { TURNVALVESOFF(); };

  acq_hooks::checkAOscript = [] { checkAOscript(); };
  acq_hooks::checkFEEDBACKLoop = [] { checkFEEDBACKLoop(); };
  acq_hooks::PumpAOvolts = [] { PumpAOvolts(); };
  acq_hooks::FirstMarkerCheck = [] { RunServicesAtFirstMarker(); };
  acq_hooks::Q_Key_check = [] { RunServicesAtEndMarker('q'); };
  acq_hooks::X_Key_check = [] { RunServicesAtEndMarker('x'); };
}

}  // namespace mv
