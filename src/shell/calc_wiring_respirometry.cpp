// Installs this group of Special-menu calculators into the menu commands.
#include "calculators/closed_system.h"
#include "calculators/metabolism.h"
#include "calculators/regression.h"
#include "shell/calc_wiring.h"
#include "shell/commands.h"

namespace mv {

void InstallCalculators_respirometry() {
  commands::ClosedSystemRespirometry = [] { calc::ClosedSystemRespirometry(); };
  commands::METABOLISM = [](int16_t form) { calc::METABOLISM(form); };
  commands::SimpleRegression = [] { calc::SimpleRegression(); };
}

}  // namespace mv
