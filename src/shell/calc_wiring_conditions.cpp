// Installs this group of Special-menu calculators into the menu commands.
#include "calculators/altitude.h"
#include "calculators/altitude_simulation.h"
#include "calculators/dissolved_o2.h"
#include "calculators/po2.h"
#include "calculators/q10.h"
#include "calculators/stp_flow.h"
#include "calculators/washout.h"
#include "shell/calc_wiring.h"
#include "shell/commands.h"

namespace mv {

void InstallCalculators_conditions() {
  commands::STPflowAdjust = [] { calc::STPflowAdjust(); };
  commands::ALTITUDE = [] { calc::ALTITUDE(); };
  commands::PO2CALC = [] { calc::PO2CALC(); };
  commands::DissolvedO2CALC = [] { calc::DissolvedO2CALC(); };
  commands::Q10adjust = [] { calc::Q10adjust(); };
  commands::AltitudeSimulation = [] { calc::AltitudeSimulation(); };
  commands::ChamberWashout = [] { calc::ChamberWashout(); };
}

}  // namespace mv
