// Installs the audible timer and the A-D menu's zero-link command. (The switching window
// reaches the zero-link and switch options windows through its own hooks.)
//
// The run-start and marker hooks are shared with the output scripts: each install
// here runs the timer's part first and then whatever the hook held before, so an
// install that follows should likewise keep the hook it finds (or call the
// control/audible_timer.h functions itself).
#include <functional>
#include <utility>

#include "acquisition/entry_points.h"
#include "acquisition/screen.h"
#include "control/audible_timer.h"
#include "control/audible_timer_window.h"
#include "control/zero_link_window.h"
#include "shell/commands.h"
#include "shell/wiring.h"

namespace mv {

namespace {

// The timer's part, then what the hook did before.
void RunTimerFirst(std::function<void()>& hook, void (*timerPart)()) {
  std::function<void()> before = std::move(hook);
  hook = [before, timerPart] {
    timerPart();
    if (before) before();
  };
}

}  // namespace

void InstallWindows_timer() {
  commands::AudibleTIMER = [] { AudibleTIMER(); };
  commands::EXTRAZERO = [] { ExtraZeroLinkagesCommand(); };
  acq_hooks::HandleAlertSounds = [] { HandleAlertSounds(); };
  RunTimerFirst(screen_hooks::StartRunServices, StartAlertRun);
  RunTimerFirst(acq_hooks::FirstMarkerCheck, AlertsAtFirstMarker);
  RunTimerFirst(acq_hooks::X_Key_check, AlertsAtXMarker);
}

}  // namespace mv
