// A result that is no number is shown one way in every calculator: no number, no
// NaN or Inf, no earlier result left beside new entries, but "no result: " and why in
// the result's own field, with the refusal buzz. A number too large to hold is
// refused: a key that would type it is refused as typed, and a pasted one gives no
// result that says so.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "calculators/metabolism.h"
#include "calculators/metabolism_table.h"
#include "calculators/q10.h"
#include "calculators/state.h"
#include "calculators/washout.h"
#include "conditions_driver.h"

namespace mv::calc {
namespace {

class NoResultTest : public test::ConditionsCalcTest {};

TEST_F(NoResultTest, AResultThatIsNoNumberSaysWhyInItsFieldWithTheBuzz) {
  const std::string digits400(400, '7');
  struct Case {
    const char* name;
    std::function<void()> calculator;
    std::vector<Step> entries;  // typed as pasted, ending in the action
    int16_t field;
    const char* text;
  };
  const Case cases[] = {
      // 2e38 * 10 is beyond single precision; the " 1.1708" computed first must go.
      {"Q10 beyond single precision",
       Q10adjust,
       {Click(1), Type(114, "2e38"), Type(111, "10"), Type(113, "47"), Click(1)},
       115,
       "no result: out of range"},
      {"rate per gram of no mass",
       [] { METABOLISM(0); },
       {Type(112, "0"), Pick(58, 2)},
       117,
       "no result: the mass is 0"},
      {"minimum flow with no change in oxygen",
       [] { METABOLISM(1); },
       {Type(108, "0"), Click(2)},
       109,
       "no result: the change in oxygen is 0"},
      {"washout with 1e999 ml",
       ChamberWashout,
       {Type(11, "1e999"), Click(19)},
       13,
       "no result: number too large"},
      {"washout with 400 digits",
       ChamberWashout,
       {Type(11, digits400), Click(19)},
       13,
       "no result: number too large"},
      {"Q10 with a rate beyond single precision",
       Q10adjust,
       {Type(114, "1e39"), Click(1)},
       115,
       "no result: number too large"},
      // -2 to 5 over 1, 2 and 5 degrees, 2 to -5 over 10 degrees down: whole powers of
      // -2.5, which have values (9536.7, -97.656, 6.25, -0.4), are still no Q10.
      {"Q10 of unlike signs over 1 degree",
       Q10adjust,
       {Type(112, "20"), Type(113, "21"), Type(114, "-2"), Type(115, "5"), Click(2)},
       111,
       "no result: signs differ"},
      {"Q10 of unlike signs over 2 degrees",
       Q10adjust,
       {Type(112, "20"), Type(113, "22"), Type(114, "-2"), Type(115, "5"), Click(2)},
       111,
       "no result: signs differ"},
      {"Q10 of unlike signs over 5 degrees",
       Q10adjust,
       {Type(112, "20"), Type(113, "25"), Type(114, "-2"), Type(115, "5"), Click(2)},
       111,
       "no result: signs differ"},
      {"Q10 of unlike signs over 10 degrees down",
       Q10adjust,
       {Type(112, "20"), Type(113, "10"), Type(114, "2"), Type(115, "-5"), Click(2)},
       111,
       "no result: signs differ"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetCalculatorsState();
    ForgetSounds();
    std::vector<Step> steps = c.entries;
    steps.push_back(Do([&c, this] {
      EXPECT_EQ(Text(c.field), c.text);
      EXPECT_EQ(CountPlayed("bzot.mp3"), 1);
    }));
    steps.push_back(Shot("w8-no-result.png"));
    steps.push_back(Close());
    Run(c.calculator, steps);
  }
}

// The mass of 0 that gave no result is not carried into the next opening as a NaN.
TEST_F(NoResultTest, ANoResultIsNotRememberedIntoTheNextOpening) {
  Run([] { METABOLISM(0); }, {Type(112, "0"), Pick(58, 2), Click(3)});
  Run([] { METABOLISM(0); }, {Do([] {
                                EXPECT_EQ(Text(112), " 0");
                                EXPECT_EQ(Text(117), "no result: the mass is 0");
                              }),
                              Type(112, "5"), Click(2), Do([] {
                                const double perGram = 0.002647 * std::pow(5.0, 0.751 - 1);
                                EXPECT_NEAR(Value(117), perGram, perGram * 1e-4);
                              }),
                              Click(3)});
}

// Typed key by key, the key that would make the number too large is refused with
// the buzz; the field keeps the number it had.
TEST_F(NoResultTest, AKeyThatWouldMakeANumberTooLargeIsRefusedAsTyped) {
  struct Case {
    const char* typed;
    const char* kept;
    int buzzes;
  };
  const std::string digits309(309, '9');
  const Case cases[] = {
      {"1e999", "1e99", 1},
      {"-1e3089", "-1e308", 1},
      {"1e-999", "1e-999", 0},  // towards 0 a number only reads as 0
      {"12.5", "12.5", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    ForgetSounds();
    Run(ChamberWashout, {Type(11, ""), WindowSteps::Keys(W, 11, c.typed), Do([&c, this] {
                           EXPECT_EQ(Text(11), c.kept);
                           EXPECT_EQ(CountPlayed("bzot.mp3"), c.buzzes);
                         }),
                         Close()});
  }
  ForgetSounds();
  Run(ChamberWashout, {Type(11, ""), WindowSteps::Keys(W, 11, digits309), Do([&digits309, this] {
                         EXPECT_EQ(Text(11), digits309.substr(0, 308)) << "the 309th digit is refused";
                         EXPECT_EQ(CountPlayed("bzot.mp3"), 1);
                       }),
                       Close()});
}

}  // namespace
}  // namespace mv::calc
