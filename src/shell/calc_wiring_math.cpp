// Installs this group of Special-menu calculators into the menu commands.
#include "calculators/expression_window.h"
#include "calculators/simple_math.h"
#include "shell/calc_wiring.h"
#include "shell/commands.h"

namespace mv {

void InstallCalculators_math() {
  commands::SIMPLECALC = [] { calc::SIMPLECALC(); };
  commands::ExpressionEvaluator = [] { calc::ExpressionEvaluator(); };
}

}  // namespace mv
