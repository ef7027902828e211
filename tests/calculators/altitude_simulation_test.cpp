// The altitude simulation window: the required gas mixture and the pressure
// difference from altitudes or from typed pressures.
#include "calculators/altitude_simulation.h"

#include <gtest/gtest.h>

#include "conditions_driver.h"

namespace mv::calc {
namespace {

class AltitudeSimulationTest : public test::ConditionsCalcTest {
 protected:
  static constexpr int16_t kConcentration = 101, kSimAltitude = 111, kSimPressure = 113, kMeasAltitude = 121,
                           kMeasPressure = 123, kRequired = 131, kDifference = 141, kKind = 143;
  static constexpr int16_t kFromAltitude = 1, kFromPressure = 2, kDone = 4, kHelp = 5;
};

TEST_F(AltitudeSimulationTest, FromAltitudes) {
  Run(AltitudeSimulation, {Shot("w8-altitude-simulation.png"), Do([] {
                             EXPECT_EQ(Text(kDifference), " 0");
                             EXPECT_EQ(Text(kKind), "(hypo, hyperbaric)");
                           }),
                           Type(kSimAltitude, "3000"), Type(kMeasAltitude, "0"), Return(kSimAltitude), Do([] {
                             EXPECT_EQ(Text(kMeasPressure), " 760.0");
                             EXPECT_EQ(Text(kSimPressure), " 520.7");
                             EXPECT_EQ(Text(kRequired), " 14.35");
                             EXPECT_EQ(Text(kKind), "(hypobaric)");
                             EXPECT_EQ(Text(kDifference), " 239.3") << "from the pressures shown";
                             EXPECT_EQ(rt::FocusedEditField(), 0);
                           }),
                           Click(kHelp), Click(kDone)});
}

TEST_F(AltitudeSimulationTest, FromTypedPressures) {
  Run(AltitudeSimulation,
      {Type(kSimPressure, "800"), Type(kMeasPressure, "760"), Click(kFromPressure), Do([] {
         EXPECT_EQ(Text(kRequired), " 22.05");
         EXPECT_EQ(Text(kKind), "(hyperbaric)");
         EXPECT_EQ(Text(kDifference), " 40");
         EXPECT_EQ(Text(kSimAltitude), "100") << "altitudes untouched";
       }),
       Type(kSimPressure, "760"), Click(kFromPressure), Do([] {
         EXPECT_EQ(Text(kKind), "(hyperbaric)") << "equal pressures";
         EXPECT_EQ(Text(kDifference), " 0");
       }),
       Type(kMeasPressure, "0"), Click(kFromPressure), Do([this] {
         EXPECT_EQ(Text(kRequired), "no result: pressure 0") << "no Inf in the field";
         EXPECT_EQ(CountPlayed("bzot.mp3"), 1);
         EXPECT_EQ(Text(kDifference), " 760");
       }),
       Close()});
}

}  // namespace
}  // namespace mv::calc
