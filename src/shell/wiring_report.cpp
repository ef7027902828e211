// Installs this group's windows and readers into the hooks that call them.
#include "shell/wiring.h"

namespace mv {

void InstallWindows_report() {}

}  // namespace mv
