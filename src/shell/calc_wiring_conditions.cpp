// Installs this group of Special-menu calculators into the menu commands.
#include "shell/calc_wiring.h"

namespace mv {

void InstallCalculators_conditions() {}

}  // namespace mv
