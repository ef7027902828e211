#include "shell/calc_wiring.h"

#include "kit/state.h"
#include "shell/commands.h"

namespace mv {

void InstallCalculators() {
  InstallCalculators_math();
  InstallCalculators_conditions();
  InstallCalculators_respirometry();
  InstallCalculators_sun();
  // A calculator run from the menu bar is a menu command carried out (MENUID 255).
  // A window that let the menu open it (the file information window, the windows of
  // the reduced menu handler) then ends or rebuilds itself: it keeps the conditions a
  // calculator stored rather than the values its own fields still show, and it gets
  // its own handlers back in place of the calculator's.
  for (commands::Command* c :
       {&commands::SIMPLECALC, &commands::SimpleRegression, &commands::ExpressionEvaluator, &commands::STPflowAdjust,
        &commands::ALTITUDE, &commands::AltitudeSimulation, &commands::PO2CALC, &commands::DissolvedO2CALC,
        &commands::ChamberWashout, &commands::Q10adjust, &commands::ClosedSystemRespirometry,
        &commands::DayOfTheYear, &commands::Sunrise, &commands::UnitCONVERT}) {
    *c = [inner = *c] {
      inner();
      MENUID = 255;
    };
  }
  commands::METABOLISM = [inner = commands::METABOLISM](int16_t mode) {
    inner(mode);
    MENUID = 255;
  };
}

}  // namespace mv
