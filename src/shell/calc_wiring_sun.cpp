// Installs this group of Special-menu calculators into the menu commands.
#include "calculators/day_of_year.h"
#include "calculators/sun_cycle_window.h"
#include "calculators/unit_conversions.h"
#include "runtime/windows.h"
#include "shell/calc_wiring.h"
#include "shell/commands.h"

namespace mv {

void InstallCalculators_sun() {
  commands::DayOfTheYear = [] { calc::DayOfTheYear(); };
  commands::Sunrise = [] { calc::Sunrise(); };
  commands::UnitCONVERT = [] {
    calc::UnitCONVERT();
    if (rt::WindowExists(18)) rt::CloseWindow(18);
  };
}

}  // namespace mv
