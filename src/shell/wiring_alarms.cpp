// Installs this group of switching, output and alarm windows into their hooks.
#include "control/alarm_log.h"
#include "control/alarm_window.h"
#include "control/trigger_window.h"
#include "setup/entry_points.h"
#include "shell/wiring.h"

namespace mv {

void InstallWindows_alarms() {
  setup_hooks::TRIGGER = [] { TRIGGER(); };
}

}  // namespace mv
