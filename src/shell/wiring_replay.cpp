// Installs this group of recording windows into the hooks that call them.
#include "shell/wiring.h"

namespace mv {

void InstallWindows_replay() {}

}  // namespace mv
