// Installs the audible timer's alert sounds. (The switching window
// reaches the zero-link and switch options windows through its own hooks; the timer's
// run-start and marker parts are called from control/switching_schedule.cpp.)
#include "acquisition/entry_points.h"
#include "control/audible_timer.h"
#include "control/audible_timer_window.h"
#include "control/zero_link_window.h"
#include "shell/wiring.h"

namespace mv {

void InstallWindows_timer() {
  acq_hooks::HandleAlertSounds = [] { HandleAlertSounds(); };
}

}  // namespace mv
