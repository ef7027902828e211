// Installs this group's windows and readers into the hooks that call them.
#include "files/setup_report.h"
#include "shell/commands.h"
#include "shell/wiring.h"

namespace mv {

void InstallWindows_report() {
  commands::PRINTSETUP = [] { PRINTSETUP(); };
}

}  // namespace mv
