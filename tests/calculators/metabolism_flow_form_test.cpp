// The minimum-flow form of the metabolism window labels its oxygen field from the
// first opening on, as it does on every later one.
#include <gtest/gtest.h>

#include "calculators/metabolism.h"
#include "calculators/state.h"
#include "conditions_driver.h"
#include "runtime/windows.h"

namespace mv::calc {
namespace {

class MetabolismFlowFormTest : public test::ConditionsCalcTest {
 protected:
  // Dark pixels where the label over the oxygen field is drawn.
  static int LabelInk() {
    rt::SetOutputWindow(W);
    int ink = 0;
    for (int y = 84; y < 102; ++y)
      for (int x = 362; x < 472; ++x) ink += rt::CanvasPixel(x, y).red < 20000 ? 1 : 0;
    return ink;
  }
};

TEST_F(MetabolismFlowFormTest, TheFirstOpeningDrawsTheConcentrationLabelAsLaterOnesDo) {
  LastMetabolismMENU = 0;  // never opened
  int first = 0, later = 0;
  Run([] { METABOLISM(1); },
      {Do([&] { first = LabelInk(); }), Shot("w8-metabolism-flow-first.png"), Click(3)});
  ASSERT_NE(LastMetabolismMENU, 0);
  Run([] { METABOLISM(1); }, {Do([&] { later = LabelInk(); }), Click(3)});
  EXPECT_GT(first, 50) << "\"concentration is\" stands over the oxygen field";
  EXPECT_EQ(first, later);
}

}  // namespace
}  // namespace mv::calc
