// Installs this group of switching, output and alarm windows into their hooks.
#include "shell/wiring.h"

namespace mv {

void InstallWindows_switching() {}

}  // namespace mv
