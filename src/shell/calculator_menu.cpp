#include "shell/calculator_menu.h"

#include "calculators/altitude.h"
#include "calculators/altitude_simulation.h"
#include "calculators/closed_system.h"
#include "calculators/day_of_year.h"
#include "calculators/dissolved_o2.h"
#include "calculators/expression_window.h"
#include "calculators/metabolism.h"
#include "calculators/po2.h"
#include "calculators/q10.h"
#include "calculators/regression.h"
#include "calculators/simple_math.h"
#include "calculators/stp_flow.h"
#include "calculators/sun_cycle_window.h"
#include "calculators/unit_conversions.h"
#include "calculators/washout.h"
#include "kit/state.h"
#include "runtime/windows.h"

namespace mv {

namespace {

// The unit conversions may leave their help page (window 18) open; it goes with them.
constexpr int16_t kHelpWindow = 18;

bool RunCalculatorWindow(int16_t specialItem) {
  switch (specialItem) {
    case 1:
      calc::SIMPLECALC();
      return true;
    case 2:
      calc::SimpleRegression();
      return true;
    case 3:
      calc::ExpressionEvaluator();
      return true;
    case 5:
      calc::STPflowAdjust();
      return true;
    case 6:
      calc::ALTITUDE();
      return true;
    case 7:
      calc::AltitudeSimulation();
      return true;
    case 8:
      calc::PO2CALC();
      return true;
    case 9:
      calc::DissolvedO2CALC();
      return true;
    case 11:
    case 12:
      calc::METABOLISM(specialItem == 11 ? 0 : 1);
      return true;
    case 13:
      calc::ChamberWashout();
      return true;
    case 14:
      calc::Q10adjust();
      return true;
    case 15:
      calc::ClosedSystemRespirometry();
      return true;
    case 17:
      calc::DayOfTheYear();
      return true;
    case 18:
      calc::Sunrise();
      return true;
    case 19:
      calc::UnitCONVERT();
      if (rt::WindowExists(kHelpWindow)) rt::CloseWindow(kHelpWindow);
      return true;
    default:
      return false;
  }
}

}  // namespace

bool RunCalculator(int16_t specialItem) {
  if (!RunCalculatorWindow(specialItem)) return false;
  // A calculator run from the menu bar is a menu command carried out. A window that
  // let the menu open it (the file information window, the windows of the reduced
  // menu handler) then ends or rebuilds itself: it keeps the conditions a calculator
  // stored rather than the values its own fields still show, and it gets its own
  // handlers back in place of the calculator's.
  MENUID = 255;
  return true;
}

}  // namespace mv
