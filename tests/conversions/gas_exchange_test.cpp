// The gas-exchange step, the Done factors and the saturation vapour density.
// Expected values are worked out by hand from the formulas.
#include "conversions/gas_exchange.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "common/test_support.h"
#include "conversions/evaluate.h"
#include "kit/channel_labels.h"

namespace mv {
namespace {

// RQ 0.85, FiO2 0.2095, FiCO2 0.0004, constant flow 100 ml/min, units ml/min.
GasExchangeRecord Standard(int16_t computation, float gasCase) {
  GasExchangeRecord r{};
  r[GasField::Computation] = computation;
  r[GasField::Case] = gasCase;
  GasOptionsInput in;
  in.vo2Flow = in.vco2Flow = in.ewlFlow = 100;
  in.rq = 0.85, in.fio2 = 0.2095, in.fico2 = 0.0004, in.z = 1, in.temperature = 20;
  ApplyGasOptionsDone(r, in);
  r[GasField::FlowSource] = 1;
  r[GasField::Units] = 2;
  return r;
}

float Step(GasExchangeRecord& r, float value, int32_t sample = 5) {
  return GasExchangeStep(r, value, sample, nullptr).display;
}

TEST(GasFactors, DerivedFromRQAndTheIncurrentFractions) {
  const GasExchangeRecord r = Standard(1, 1);
  EXPECT_FLOAT_EQ(r[GasField::OneMinusFiO2], 0.7905f);
  EXPECT_NEAR(r[GasField::VO2Divisor], 0.968575, 1e-7);       // 1 - 0.15*0.2095
  EXPECT_NEAR(r[GasField::VCO2Factor], 1.0000705882, 1e-7);   // 1 + 0.17647*0.0004
  EXPECT_NEAR(r[GasField::VCO2Divisor], 0.9991294118, 1e-7);  // 1 - 2.17647*0.0004
  EXPECT_EQ(r[GasField::Flow], 100.0f);
  EXPECT_FLOAT_EQ(r[GasField::RQ], 0.85f);
}

TEST(GasStep, OxygenConsumptionByCase) {
  GasExchangeRecord r = Standard(1, 1);
  EXPECT_NEAR(Step(r, 0.5f), 0.6285355, 2e-7);  // 0.5 / (1 - (0.2095 - 0.005))
  r[GasField::Case] = 2;
  EXPECT_NEAR(Step(r, 0.5f), 0.6325111, 2e-7);  // 0.5 / 0.7905
  r[GasField::Case] = 4;
  EXPECT_NEAR(Step(r, 0.5f), 0.5162223, 2e-7);  // 0.5 / 0.968575, not / FiCO2
}

TEST(GasStep, CarbonDioxideProductionByCase) {
  GasExchangeRecord r = Standard(2, 1);
  EXPECT_NEAR(Step(r, 0.5f), 0.5004357, 2e-7);  // 0.5 / 0.9991294
  r[GasField::Case] = 2;
  EXPECT_NEAR(Step(r, 0.5f), 0.5027148, 2e-7);  // 0.5 / (1 - 0.0054*1.0000706)
}

TEST(GasStep, EvaporativeWaterLoss) {
  GasExchangeRecord r = Standard(3, 1);
  EXPECT_NEAR(Step(r, 50.0f), 0.8635975, 2e-6);  // 100 * 0.5 * 0.01727195
}

TEST(GasStep, UnitsFactors) {
  EXPECT_FLOAT_EQ(ApplyGasUnits(1, 0.5f), 500.0f);
  EXPECT_FLOAT_EQ(ApplyGasUnits(2, 0.5f), 0.5f);
  EXPECT_FLOAT_EQ(ApplyGasUnits(3, 0.5f), 30.0f);
  EXPECT_FLOAT_EQ(ApplyGasUnits(4, 0.5f), 0.03f);
  EXPECT_FLOAT_EQ(ApplyGasUnits(9, 0.5f), 0.5f);
  GasExchangeRecord r = Standard(1, 2);
  r[GasField::Units] = 3;
  EXPECT_NEAR(Step(r, 0.5f), 0.6325111 * 60, 2e-5);
}

TEST(GasStep, VO2CaseFiveWithoutFormulaLeavesValueUnscaled) {
  GasExchangeRecord r = Standard(1, 5);
  r[GasField::Units] = 1;
  EXPECT_EQ(Step(r, 0.5f), 0.5f);
}

TEST(GasStep, ResponseCorrectionSequence) {
  GasExchangeRecord r{};
  r[GasField::Correction] = 1;
  r[GasField::Z] = 0.5f;
  const float raw[4] = {10, 12, 14, 20};
  const float expected[4] = {10, 12, 16, 26};  // nothing; prev = raw; 12 + 2/0.5; 14 + 6/0.5
  for (int s = 0; s < 4; ++s) EXPECT_FLOAT_EQ(Step(r, raw[s], s), expected[s]) << "sample " << s;
  EXPECT_EQ(r[GasField::Previous], 20.0f);
}

TEST(GasStep, StoredZOfZeroDoesNotDivideByZero) {
  GasExchangeRecord r{};
  r[GasField::Correction] = 1;
  r[GasField::Z] = 0;
  r[GasField::Previous] = 4;
  EXPECT_FLOAT_EQ(Step(r, 10.0f, 2), 10.0f);  // Z taken as 1
}

TEST(GasStep, FlowChannelGivesTheLastFlowTheRunStored) {
  GasExchangeRecord r = Standard(1, 2);
  r[GasField::FlowSource] = kFlowFromChannel;
  std::vector<int16_t> asked;
  auto lastFlow = [&](int16_t ch) -> std::optional<float> {
    asked.push_back(ch);
    return 100.0f;
  };
  r[GasField::Flow] = 3;
  EXPECT_NEAR(GasExchangeStep(r, 0.5f, 7, lastFlow).display, 0.6325111, 2e-7);
  EXPECT_NEAR(GasExchangeStep(r, 0.5f, 0, lastFlow).display, 0.6325111, 2e-7) << "a period's first sample";
  EXPECT_EQ(asked, (std::vector<int16_t>{3, 3}));
}

// Where the run has read no flow yet, or the flow channel is none, the rate is not
// known: the bad-reading mark, not a rate computed with a flow of 0.
TEST(GasStep, NoFlowReadYetGivesTheBadReadingMark) {
  GasExchangeRecord r = Standard(1, 2);
  r[GasField::FlowSource] = kFlowFromChannel;
  int asked = 0;
  auto none = [&](int16_t) -> std::optional<float> {
    ++asked;
    return std::nullopt;
  };
  r[GasField::Flow] = 3;
  const GasStepOutcome o = GasExchangeStep(r, 0.5f, 0, none);
  EXPECT_EQ(o.display, kBadReading);
  EXPECT_FALSE(o.notANumber);
  EXPECT_EQ(asked, 1);
  auto stored = [](int16_t) -> std::optional<float> { return 100.0f; };
  for (float channel : {17.0f, 0.0f, -2.0f}) {
    r[GasField::Flow] = channel;
    EXPECT_EQ(GasExchangeStep(r, 0.5f, 5, stored).display, kBadReading) << channel;
  }
}

TEST(GasStep, BadReadingMarkPassesThroughAndKeepsThePreviousValue) {
  GasExchangeRecord r = Standard(1, 1);
  r[GasField::Correction] = 1;
  r[GasField::Previous] = 3;
  const GasStepOutcome o = GasExchangeStep(r, kBadReading, 4, nullptr);
  EXPECT_EQ(o.display, kBadReading);
  EXPECT_EQ(GasStoredValue(o, o.display, false), kBadReading);
  EXPECT_EQ(r[GasField::Previous], 3.0f);
}

TEST(GasStep, BadFlowReadingGivesTheBadReadingMark) {
  GasExchangeRecord r = Standard(1, 1);
  r[GasField::FlowSource] = kFlowFromChannel;
  r[GasField::Flow] = 1;
  auto store = [](int16_t) -> std::optional<float> { return kBadReading; };
  EXPECT_EQ(GasExchangeStep(r, 0.5f, 3, store).display, kBadReading);
}

TEST(GasStep, DivisionByZeroFactorGivesTheBadReadingMark) {
  GasExchangeRecord r = Standard(1, 2);
  r[GasField::OneMinusFiO2] = 0;  // FiO2 typed as 1
  const GasStepOutcome o = GasExchangeStep(r, 0.5f, 5, nullptr);
  EXPECT_EQ(o.display, kBadReading);
  EXPECT_TRUE(o.notANumber);
}

// "Display Only" stores the converted value whatever the rate, 0 included; only a
// channel zeroed because its device is off stores the zero value it shows.
TEST(GasStep, DisplayOnlyStoresTheConvertedValue) {
  GasExchangeRecord r = Standard(1, 2);
  r[GasField::Save] = 0;
  GasStepOutcome o = GasExchangeStep(r, 0.5f, 3, nullptr);
  EXPECT_NEAR(o.display, 0.6325111, 2e-7);
  EXPECT_FALSE(o.save);
  EXPECT_EQ(GasStoredValue(o, o.display, false), 0.5f);
  EXPECT_EQ(GasStoredValue(o, 0.0f, false), 0.5f) << "a rate of 0 (flow 0)";
  EXPECT_EQ(GasStoredValue(o, 0.0f, true), 0.0f) << "a zeroed channel";
  r[GasField::Save] = 1;
  o = GasExchangeStep(r, 0.5f, 3, nullptr);
  EXPECT_TRUE(o.save);
  EXPECT_EQ(GasStoredValue(o, o.display, false), o.display);
}

TEST(GasStep, RecordOffLeavesTheValueAlone) {
  GasExchangeRecord r{};
  r[GasField::Save] = 1;
  const GasStepOutcome o = GasExchangeStep(r, 0.5f, 3, nullptr);
  EXPECT_EQ(o.display, 0.5f);
  EXPECT_FALSE(o.save);
  EXPECT_EQ(GasStoredValue(o, o.display, false), 0.5f);
}

TEST(GasStep, CorrectionWithoutComputationSavesByField10) {
  GasExchangeRecord r{};
  r[GasField::Correction] = 1;
  r[GasField::Z] = 2;
  r[GasField::Save] = 3;  // lowest bit
  r[GasField::Previous] = 4;
  const GasStepOutcome o = GasExchangeStep(r, 10.0f, 2, nullptr);
  EXPECT_FLOAT_EQ(o.display, 7.0f);  // 4 + 6/2
  EXPECT_TRUE(o.save);
}

TEST(GasDone, CaseBelowOneOrInvalidForTheComputationBecomesOne) {
  GasExchangeRecord r = Standard(1, 0);
  EXPECT_EQ(r[GasField::Case], 1.0f);
  r = Standard(1, 3);  // the separator of the VO2 popup
  EXPECT_EQ(r[GasField::Case], 1.0f);
  r = Standard(2, 4);  // a VO2 case handed to VCO2
  EXPECT_EQ(r[GasField::Case], 1.0f);
  r = Standard(1, 5);
  EXPECT_EQ(r[GasField::Case], 5.0f);
  r = Standard(0, 0);  // no computation: the case is left
  EXPECT_EQ(r[GasField::Case], 0.0f);
}

TEST(GasDone, FlowComesFromTheActiveRow) {
  GasExchangeRecord r{};
  r[GasField::Computation] = 2;
  r[GasField::Flow] = 7;
  GasOptionsInput in;
  in.vo2Flow = 100, in.vco2Flow = 200, in.ewlFlow = 300, in.rq = 1, in.z = 1;
  ApplyGasOptionsDone(r, in);
  EXPECT_EQ(r[GasField::Flow], 200.0f);
  r[GasField::Computation] = 0;
  ApplyGasOptionsDone(r, in);
  EXPECT_EQ(r[GasField::Flow], 200.0f);
}

TEST(GasDone, DoneStoresUsableRQAndZInsteadOfZero) {
  GasExchangeRecord r{};
  GasOptionsInput in;
  in.rq = 0, in.z = -1, in.fio2 = 0.2095, in.fico2 = 0.0004;
  ApplyGasOptionsDone(r, in);
  EXPECT_FLOAT_EQ(r[GasField::RQ], 0.85f);
  EXPECT_EQ(r[GasField::Z], 1.0f);
  EXPECT_NEAR(r[GasField::VCO2Divisor], 0.9991294118, 1e-7);
  EXPECT_NEAR(r[GasField::VCO2Factor], 1.0000705882, 1e-7);
}

TEST(VapourDensity, AtZeroTwentyAndThirtySevenDegrees) {
  EXPECT_NEAR(SaturationVapourDensity(0), 0.0048451, 2e-7);
  EXPECT_NEAR(SaturationVapourDensity(20), 0.0172720, 2e-7);
  EXPECT_NEAR(SaturationVapourDensity(37), 0.0438354, 2e-7);
}

TEST(VapourDensity, AbsoluteZeroGivesZeroNotNaN) {
  EXPECT_EQ(SaturationVapourDensity(-273.16f), 0.0f);
}

TEST(GasMenus, ChannelItemTexts) {
  EXPECT_EQ(ChannelMenuItemText(100, 3, "O2"), Str255("Ch. 3:  O2"));
  EXPECT_EQ(ChannelMenuItemText(120, 12, "flow"), Str255("ch. 12:  flow"));
}

// A channel that saves a rate used to be described in every file as "volts" (its linear
// 0 1 conversion's proposal): with no label of the user's own, its files name the rate.
class RecordedLabelTest : public test::ProgramTest {};

TEST_F(RecordedLabelTest, ASavedRateWithNoLabelOfItsOwnIsLabelledWithTheRateAndItsUnit) {
  struct Case {
    const char* what;
    int16_t computation;
    float save, units;
    const char* typed;
    const char* label;
  };
  const Case cases[] = {
      {"VO2 saved, label volts", GasComputationCode::VO2, 1, 2, "volts", "VO2 ml/min"},
      {"VCO2 saved, no label", GasComputationCode::VCO2, 1, 1, "", "VCO2 \xB5l/min"},
      {"EWL saved per hour", GasComputationCode::EWL, 1, 3, "  volts ", "EWL mg/hour"},
      {"VO2 in litres", GasComputationCode::VO2, 1, 4, "", "VO2 L/hour"},
      {"the user's own label", GasComputationCode::VO2, 1, 2, "VO2 (ml/min), animal 3",
       "VO2 (ml/min), animal 3"},
      {"display only: the file keeps the % difference", GasComputationCode::VO2, 0, 2, "volts", "volts"},
      {"no computation", GasComputationCode::None, 1, 2, "volts", "volts"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SpecialOpsArray[3] = Standard(c.computation, 1);
    SpecialOpsArray[3][GasField::Save] = c.save;
    SpecialOpsArray[3][GasField::Units] = c.units;
    SetChannelLabel(3, c.typed);
    Str255 expected(c.label);
    expected.resize(30, ' ');
    EXPECT_EQ(RecordedChannelLabel(3), expected);
  }
}

}  // namespace
}  // namespace mv
