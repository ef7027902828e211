// Installs the audible timer and the A-D menu's zero-link command. (The switching window
// reaches the zero-link and switch options windows through its own hooks; the timer's
// run-start and marker parts are called from control/switching_schedule.cpp.)
#include "acquisition/needs.h"
#include "control/audible_timer.h"
#include "control/audible_timer_window.h"
#include "control/zero_link_window.h"
#include "shell/commands.h"
#include "shell/wiring.h"

namespace mv {

void InstallWindows_timer() {
  commands::AudibleTIMER = [] { AudibleTIMER(); };
  commands::EXTRAZERO = [] { ExtraZeroLinkagesCommand(); };
}

}  // namespace mv
