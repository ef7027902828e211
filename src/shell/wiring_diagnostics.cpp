// Installs this group's windows and readers into the hooks that call them.
#include "shell/wiring.h"

namespace mv {

void InstallWindows_diagnostics() {}

}  // namespace mv
