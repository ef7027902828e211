// The conversion of a reading by type code and by the breakpoint and three-way
// records. Expected values are worked out by hand from the formulas.
#include "conversions/evaluate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "common/test_support.h"
#include "conversions/state.h"
#include "devices/state.h"
#include "setup/state.h"

namespace mv {
namespace {

const BreakpointRecord kNoBreakpoint{};
const ThreeWayPolyRecord kNoPoly{};

float Convert(int16_t type, float a, float b, float c, float V, int16_t ascii = 0) {
  return ConvertReading(type, a, b, c, kNoBreakpoint, kNoPoly, ascii, V).value;
}

TEST(ConversionTypes, LinearPolynomialAndNoConversion) {
  EXPECT_FLOAT_EQ(Convert(1, 1, 2, 99, 3), 7.0f);
  EXPECT_FLOAT_EQ(Convert(2, 1, 2, 3, 2), 17.0f);  // 1 + 4 + 3*4
  EXPECT_FLOAT_EQ(Convert(4, 1, 2, 3, 2.5f), 2.5f);
}

TEST(ConversionTypes, UnknownCodesRecordTheVoltsUnchanged) {
  EXPECT_FLOAT_EQ(Convert(0, 1, 2, 3, 2.5f), 2.5f);
  EXPECT_FLOAT_EQ(Convert(10, 1, 2, 3, 2.5f), 2.5f);
  EXPECT_FLOAT_EQ(Convert(-3, 1, 2, 3, 2.5f), 2.5f);
}

// A conversion with no result used to store 0, which no one could tell from a real 0
// (nor, for the reciprocal, even from a): it is the bad-reading mark.
TEST(ConversionTypes, PowerGuardsOnlyFractionalExponentsOfNegativeReadings) {
  EXPECT_FLOAT_EQ(Convert(3, 1, 3, 2, -2), 13.0f);  // a + 4b
  EXPECT_EQ(Convert(3, 1, 3, 0.5f, -2), kBadReading);
  EXPECT_FLOAT_EQ(Convert(3, 5, 3, 2, 0), 5.0f);  // a
  EXPECT_FLOAT_EQ(Convert(3, 1, 2, 0.5f, 4), 5.0f);
}

TEST(ConversionTypes, PowerOfZeroToNegativeExponentIsTheBadReadingMark) {
  EXPECT_EQ(Convert(3, 1, 2, -1, 0), kBadReading);  // 1 + 2·0⁻¹ is no number
}

TEST(ConversionTypes, LogarithmIsBaseTenAndGuarded) {
  EXPECT_FLOAT_EQ(Convert(8, 1, 2, 0, 100), 5.0f);
  EXPECT_EQ(Convert(8, 1, 2, 0, 0), kBadReading);
  EXPECT_EQ(Convert(8, 1, 2, 0, -1), kBadReading);
}

TEST(ConversionTypes, ReciprocalGuardsZero) {
  EXPECT_EQ(Convert(9, 1, 2, 0, 0), kBadReading);  // not 0, and not a either
  EXPECT_FLOAT_EQ(Convert(9, 1, 2, 0, 4), 1.5f);
}

TEST(ConversionTypes, KeyboardRecordsTheKeyValueWhateverTheReading) {
  EXPECT_EQ(Convert(7, 1, 2, 3, 3.3f, 65), 65.0f);
  EXPECT_EQ(Convert(7, 1, 2, 3, kBadReading, -4), -4.0f);
}

TEST(ConversionTypes, BadReadingMarkSurvivesEveryConversion) {
  for (int16_t type : {1, 2, 3, 4, 5, 8, 9, 0}) {
    EXPECT_EQ(Convert(type, 19, 0.5f, 0, kBadReading), kBadReading) << "type " << type;
  }
  ThreeWayPolyRecord p{0, 0.1419f, 1.536e-5f, 1.874e-9f, 0, 0.0001f, 10000};
  const ConvResult r = ConvertReading(6, 0, 0, 0, kNoBreakpoint, p, 0, kBadReading);
  EXPECT_EQ(r.value, kBadReading);
  EXPECT_EQ(r.volts, kBadReading);
}

// A result that is no finite number was never measured: it is the bad-reading mark,
// never a 0 that looks like a value.
TEST(ConversionTypes, ResultsThatAreNoNumberAreTheBadReadingMark) {
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  EXPECT_EQ(Convert(1, 0, 1, 0, nan), kBadReading);
  EXPECT_EQ(Convert(1, inf, 1, 0, 2), kBadReading);
  EXPECT_EQ(Convert(2, 0, 0, 3e38f, 1e10f), kBadReading);  // overflows single precision
  EXPECT_EQ(Convert(2, 0, 0, 1e38f, 3), kBadReading);      // 9e38
  EXPECT_EQ(Convert(4, 0, 0, 0, nan), kBadReading);
  BreakpointRecord bp{};
  bp[1] = 1, bp[2] = BreakpointKindCode::Polynomial, bp[5] = 1e38f;  // initial c·V²
  bp[11] = 1, bp[12] = BreakpointKindCode::Linear, bp[14] = 0;       // × 0 on the upper side
  bp[19] = 1;
  EXPECT_EQ(EvaluateBreakpoint(bp, 3.0f), kBadReading) << "an overflow times 0 is still no number";
  EXPECT_EQ(EvaluateThreeWay({0, 0, 0, 1e38f, 0, 1, 1}, 10.0f).value, kBadReading);
}

TEST(ConversionTypes, WholeCodeTruncatesAndRejectsWhatNoTableHolds) {
  EXPECT_EQ(WholeCode(2.9f), 2);
  EXPECT_EQ(WholeCode(-2.9f), -2);
  EXPECT_EQ(WholeCode(std::numeric_limits<float>::quiet_NaN()), 0);
  EXPECT_EQ(WholeCode(std::numeric_limits<float>::infinity()), 0);
  EXPECT_EQ(WholeCode(40000.0f), 0);
  EXPECT_EQ(WholeCode(1e9f), 0);
  EXPECT_EQ(WholeCode(32767.0f), 32767);
}

// ---- breakpoint ---------------------------------------------------------------------------

BreakpointRecord Record(float B) {
  BreakpointRecord r{};
  r[0] = B;
  return r;
}
void Initial(BreakpointRecord& r, float kind, float a, float b, float c) {
  r[1] = 1, r[2] = kind, r[3] = a, r[4] = b, r[5] = c;
}
void Below(BreakpointRecord& r, float kind, float a, float b, float c, float multiply, float fromVolts) {
  r[6] = 1, r[7] = kind, r[8] = a, r[9] = b, r[10] = c, r[18] = multiply, r[20] = fromVolts;
}
void Above(BreakpointRecord& r, float kind, float a, float b, float c, float multiply, float fromVolts) {
  r[11] = 1, r[12] = kind, r[13] = a, r[14] = b, r[15] = c, r[19] = multiply, r[21] = fromVolts;
}

TEST(Breakpoint, EveryEquationOffGivesZeroOnBothSides) {
  BreakpointRecord r = Record(1);
  EXPECT_EQ(EvaluateBreakpoint(r, 0.5f), 0.0f);
  EXPECT_EQ(EvaluateBreakpoint(r, 2.0f), 0.0f);
}

TEST(Breakpoint, SideOffGivesTheInitialValue) {
  BreakpointRecord r = Record(1);
  Initial(r, 1, 1, 2, 0);
  EXPECT_FLOAT_EQ(EvaluateBreakpoint(r, 0.5f), 2.0f);  // 1 + 2*0.5
}

TEST(Breakpoint, ReadingEqualToTheBreakpointUsesTheAtOrAboveSide) {
  BreakpointRecord r = Record(1);
  Below(r, 1, 100, 0, 0, 0, 1);
  Above(r, 1, 200, 0, 0, 0, 1);
  EXPECT_FLOAT_EQ(EvaluateBreakpoint(r, 1.0f), 200.0f);
  EXPECT_FLOAT_EQ(EvaluateBreakpoint(r, 0.999f), 100.0f);
}

TEST(Breakpoint, OperatorWithInitialOff) {
  BreakpointRecord r = Record(0);
  Above(r, 1, 3, 2, 0, 1, 1);
  EXPECT_EQ(EvaluateBreakpoint(r, 2.0f), 0.0f);  // 0 * S
  r[19] = 0;
  EXPECT_FLOAT_EQ(EvaluateBreakpoint(r, 2.0f), 7.0f);  // 0 + S
}

TEST(Breakpoint, EachSideHasItsOwnOperator) {
  BreakpointRecord r = Record(1);
  Initial(r, 1, 0, 2, 0);      // I = 2V
  Below(r, 1, 1, 0, 0, 1, 1);  // multiply by 1
  Above(r, 1, 1, 0, 0, 0, 1);  // add 1
  EXPECT_FLOAT_EQ(EvaluateBreakpoint(r, 0.5f), 1.0f);
  EXPECT_FLOAT_EQ(EvaluateBreakpoint(r, 2.0f), 5.0f);
}

TEST(Breakpoint, SideInputIsTheInitialValueOrTheVolts) {
  BreakpointRecord r = Record(0);
  Initial(r, 1, 0, 2, 0);      // I = 2V = 4 at V = 2
  Above(r, 1, 1, 3, 0, 0, 0);  // from I: S = 1 + 3*4 = 13
  EXPECT_FLOAT_EQ(EvaluateBreakpoint(r, 2.0f), 17.0f);
  r[21] = 1;  // from V: S = 1 + 3*2 = 7
  EXPECT_FLOAT_EQ(EvaluateBreakpoint(r, 2.0f), 11.0f);
  r[19] = 1;
  EXPECT_FLOAT_EQ(EvaluateBreakpoint(r, 2.0f), 28.0f);
}

TEST(Breakpoint, PolynomialKind) {
  BreakpointRecord r = Record(0);
  Above(r, 2, 1, 2, 3, 0, 1);
  EXPECT_FLOAT_EQ(EvaluateBreakpoint(r, 2.0f), 17.0f);
}

TEST(Breakpoint, PowerKindGuardsWholeExponentsToo) {
  BreakpointRecord r = Record(0);
  Below(r, 3, 1, 1, 2, 0, 1);
  EXPECT_EQ(EvaluateBreakpoint(r, -2.0f), kBadReading);  // type 3 would give 1 + 4
  Above(r, 3, 1, 2, 2, 0, 1);
  EXPECT_FLOAT_EQ(EvaluateBreakpoint(r, 3.0f), 19.0f);
}

TEST(Breakpoint, BelowSidePowerGuardsOnItsInput) {
  BreakpointRecord r = Record(10);
  Initial(r, 1, -3, 1, 0);     // I = -2 at V = 1
  Below(r, 3, 1, 1, 2, 0, 0);  // x = I = -2: guarded although V > 0, no result
  EXPECT_EQ(EvaluateBreakpoint(r, 1.0f), kBadReading);
  r[20] = 1;  // x = V = 1: 1 + 1
  EXPECT_FLOAT_EQ(EvaluateBreakpoint(r, 1.0f), 0.0f);
}

TEST(Breakpoint, AtOrAboveSidePowerOfNegativeInitialIsTheBadReadingMark) {
  BreakpointRecord r = Record(0);
  Initial(r, 1, -5, 1, 0);        // I = V - 5 = -4 at V = 1
  Above(r, 3, 0, 1, 0.5f, 0, 0);  // x = I, guard on V > 0: (-4)^0.5 is no number
  EXPECT_EQ(EvaluateBreakpoint(r, 1.0f), kBadReading);
}

TEST(Breakpoint, ReciprocalWithoutCIsNotConstant) {
  BreakpointRecord r = Record(0);
  Above(r, 9, 1, 2, 0, 0, 1);
  EXPECT_FLOAT_EQ(EvaluateBreakpoint(r, 4.0f), 1.5f);  // 1 + 2/4
  r[15] = 3;
  EXPECT_FLOAT_EQ(EvaluateBreakpoint(r, 4.0f), 2.5f);  // 1 + 2*3/4
}

TEST(Breakpoint, ReciprocalAlwaysDividesByTheVoltsAndGuardsZero) {
  BreakpointRecord r = Record(-1);
  Initial(r, 1, 0, 2, 0);      // I = 8 at V = 4
  Above(r, 9, 0, 1, 1, 0, 0);  // input I, but 1/V
  EXPECT_FLOAT_EQ(EvaluateBreakpoint(r, 4.0f), 8.25f);
  EXPECT_EQ(EvaluateBreakpoint(r, 0.0f), kBadReading);  // I = 0, S has no result
}

TEST(Breakpoint, UnknownKindGivesZeroAndKindsTruncate) {
  BreakpointRecord r = Record(10);
  Initial(r, 4, 5, 5, 5);
  EXPECT_EQ(EvaluateBreakpoint(r, 1.0f), 0.0f);
  Initial(r, 2.7f, 1, 2, 3);  // kind 2
  EXPECT_FLOAT_EQ(EvaluateBreakpoint(r, 2.0f), 17.0f);
}

// An untouched record once gave I + V = 2V: "Breakpoint Conversion..." then Done
// without edits recorded twice the reading.
TEST(Breakpoint, AnUntouchedRecordRecordsTheReadingNotTwiceIt) {
  ResetConversionsState();
  BreakpointRecord r = BreakpointArray[1];
  for (float V : {2.0f, 0.5f, -3.0f}) EXPECT_FLOAT_EQ(EvaluateBreakpoint(r, V), V) << V;
  // A side ticked on before its equation is set adds nothing either.
  r[6] = r[11] = 1.0f;
  for (float V : {2.0f, 0.5f}) EXPECT_FLOAT_EQ(EvaluateBreakpoint(r, V), V) << V;
  EXPECT_EQ(BreakpointArray[0], BreakpointRecord{});
  EXPECT_EQ(BreakpointArray[22], BreakpointArray[1]) << "the stored conversions start the same";
  EXPECT_EQ(BreakpointArray[22][20], 0.0f) << "the sides take the initial value";
  EXPECT_EQ(BreakpointArray[22][19], 0.0f) << "and add to it";
}

// ---- three-way --------------------------------------------------------------------------

TEST(ThreeWay, ScalesTheVoltsAndSumsThePolynomial) {
  const ConvResult r = EvaluateThreeWay({1, 2, 0, 0, 0, 1, 1}, 3.0f);
  EXPECT_FLOAT_EQ(r.value, 7.0f);
  EXPECT_FLOAT_EQ(r.volts, 3.0f);
}

TEST(ThreeWay, ButtonPresetAtOneAndHalfVolt) {
  const ThreeWayPolyRecord p{0, 0.1419f, 1.536e-5f, 1.874e-9f, 0, 0.0001f, 10000};
  // V' = 10000: 1419 + 1536 + 1874 = 4829, times 1e-4.
  ConvResult r = EvaluateThreeWay(p, 1.0f);
  EXPECT_FLOAT_EQ(r.volts, 10000.0f);
  EXPECT_NEAR(r.value, 0.4829f, 2e-6);
  // V' = 5000: 709.5 + 384 + 234.25 = 1327.75, times 1e-4.
  r = EvaluateThreeWay(p, 0.5f);
  EXPECT_NEAR(r.value, 0.132775f, 1e-6);
}

// ---- the program-table wrapper ----------------------------------------------------------

class EvaluateConversionTest : public test::ProgramTest {};

TEST_F(EvaluateConversionTest, LoadsCoefficientsAndLeavesTheValueInV) {
  ChannelVariables[0][2] = 2;  // polynomial
  ChannelVariables[2][2] = 1, ChannelVariables[2][3] = 2, ChannelVariables[2][4] = 3;
  LoadWorkingCoefficients(2);
  EXPECT_EQ(ConversionType, 2);
  EXPECT_EQ(aval, 1.0f);
  EXPECT_EQ(bval, 2.0f);
  EXPECT_EQ(exponent, 3.0f);
  volts = 2.0f;
  EXPECT_FLOAT_EQ(EvaluateConversion(2, 2.0f, 0), 17.0f);
  EXPECT_FLOAT_EQ(v, 17.0f);
  EXPECT_EQ(volts, 2.0f);
}

TEST_F(EvaluateConversionTest, ThreeWayChannelRewritesTheReading) {
  ChannelVariables[0][5] = 6;
  polyarray[5] = {0, 0.1419f, 1.536e-5f, 1.874e-9f, 0, 0.0001f, 10000};
  volts = 1.0f;
  EXPECT_NEAR(EvaluateConversion(5, 1.0f, 0), 0.4829f, 2e-6);
  EXPECT_FLOAT_EQ(volts, 10000.0f);
}

TEST_F(EvaluateConversionTest, BreakpointChannelReadsItsOwnRow) {
  ChannelVariables[0][3] = 5;
  BreakpointArray[3] = Record(0);
  Above(BreakpointArray[3], 1, 3, 2, 0, 0, 1);
  BreakpointArray[4] = Record(0);  // a neighbour's row must not be read
  volts = 2.0f;
  EXPECT_FLOAT_EQ(EvaluateConversion(3, 2.0f, 0), 7.0f);
}

TEST_F(EvaluateConversionTest, ChannelOutsideTheTableIsNotConverted) {
  volts = 1.5f;
  EXPECT_EQ(EvaluateConversion(0, 1.5f, 0), 1.5f);
  EXPECT_EQ(EvaluateConversion(17, 1.5f, 0), 1.5f);
  EXPECT_EQ(EvaluateConversion(-1, 1.5f, 0), 1.5f);
  EXPECT_EQ(volts, 1.5f);
  aval = 7;
  LoadWorkingCoefficients(40);
  EXPECT_EQ(ConversionType, ConversionTypeCode::None);
  EXPECT_EQ(aval, 7.0f);
}

TEST_F(EvaluateConversionTest, CorruptTypeCodeConvertsAsNoConversion) {
  ChannelVariables[0][1] = std::numeric_limits<float>::quiet_NaN();
  aval = 5, bval = 5;
  volts = 2.0f;
  EXPECT_EQ(EvaluateConversion(1, 2.0f, 0), 2.0f);
}

TEST_F(EvaluateConversionTest, KeyboardAndThreeWayChannelsByCodeOrOldMarks) {
  ChannelVariables[0][1] = 7;
  ChannelVariables[2][2] = -9999;
  ChannelVariables[0][3] = 6;
  ChannelVariables[4][2] = 9999;
  EXPECT_TRUE(IsKeyboardChannel(1));
  EXPECT_TRUE(IsKeyboardChannel(2));
  EXPECT_FALSE(IsKeyboardChannel(3));
  EXPECT_TRUE(IsThreeWayChannel(3));
  EXPECT_TRUE(IsThreeWayChannel(4));
  EXPECT_FALSE(IsThreeWayChannel(1));
  EXPECT_FALSE(IsKeyboardChannel(0));
  EXPECT_FALSE(IsThreeWayChannel(17));
}

}  // namespace
}  // namespace mv
