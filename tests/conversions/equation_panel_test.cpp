// The equation panels: which fields and texts each type shows, the three-way
// preset as the fields show it, and the small three-way editor.
#include "conversions/equation_panel.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "conversions/state.h"
#include "kit/channel_values.h"
#include "kit/state.h"
#include "setup/state.h"
#include "window_fixture.h"

namespace mv {
namespace {

using test::FieldOf;
using test::TypeInto;
constexpr int16_t W = kThreeWayWindow;

std::vector<int16_t> FieldNumbers(const PanelLayout& p) {
  std::vector<int16_t> numbers;
  for (const auto& f : p.fields) numbers.push_back(f.number);
  return numbers;
}

bool HasText(const PanelLayout& p, const std::string& text) {
  return std::any_of(p.texts.begin(), p.texts.end(),
                     [&](const PanelText& t) { return t.text.str() == text; });
}

TEST(EquationPanel, TypesWithoutTheirOwnPanelShowTheLinearEquationAndTwoFields) {
  for (int16_t type : {1, 4, 5, 6, 7, 0, 10}) {
    const PanelLayout p = PlainEquationPanel(type, 1, 2, 3);
    EXPECT_EQ(FieldNumbers(p), (std::vector<int16_t>{101, 102})) << type;
    EXPECT_EQ(p.texts[0].text, "equation:   a + b * volts") << type;
    EXPECT_TRUE(p.texts[0].shifted.empty()) << type;
  }
}

TEST(EquationPanel, PowerAndPolynomialAddTheirThirdField) {
  const PanelLayout power = PlainEquationPanel(3, 0, 1, 2.5f);
  EXPECT_EQ(FieldNumbers(power), (std::vector<int16_t>{101, 102, 103}));
  EXPECT_TRUE(HasText(power, "exponent:"));
  EXPECT_EQ(power.texts[0].shifted, " exponent");
  EXPECT_EQ(power.texts[0].shift, -4) << "raised";
  EXPECT_EQ(power.fields[2].text, " 2.5");
  EXPECT_EQ(power.fields[2].where.top, 132);

  const PanelLayout poly = PlainEquationPanel(2, 0, 1, 0);
  EXPECT_TRUE(HasText(poly, "value of 'c':"));
  EXPECT_EQ(poly.texts[0].text, "equation:   a + b * volts + c * volts");
  EXPECT_EQ(poly.texts[0].shifted, "2");
}

TEST(EquationPanel, LogAndReciprocalHeadings) {
  const PanelLayout log = PlainEquationPanel(8, 0, 1, 0);
  EXPECT_EQ(log.texts[0].text, "equation:   a + b * log");
  EXPECT_EQ(log.texts[0].shifted, "10");
  EXPECT_EQ(log.texts[0].shift, 4) << "lowered";
  EXPECT_EQ(log.texts[0].tail, " (volts)");
  EXPECT_EQ(log.fields.size(), 2u);
  const PanelLayout reciprocal = PlainEquationPanel(9, 0, 1, 0);
  EXPECT_EQ(reciprocal.texts[0].text, "equation:   a + b \xD6 volts");
  EXPECT_EQ(reciprocal.fields.size(), 2u);
}

TEST(EquationPanel, ThreeWayPresetAsTheFieldsShowIt) {
  const ThreeWayPolyRecord r{0.0f, 0.1419f, 1.536e-5f, 1.874e-9f, 0.0f, 0.0001f, 10000.0f};
  const PanelLayout p = ThreeWayPanel(r);
  EXPECT_EQ(FieldNumbers(p), (std::vector<int16_t>{107, 101, 102, 103, 104, 106}));
  const char* expected[] = {" 10000", " 0", " 0.1419", " 1.536e-05", " 1.874e-09", " 1e-04"};
  for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(p.fields[i].text, expected[i]) << p.fields[i].number;
  // Each text reads back as exactly the stored value.
  const float values[] = {10000.0f, 0.0f, 0.1419f, 1.536e-5f, 1.874e-9f, 0.0001f};
  for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(CoefficientFromText(p.fields[i].text), values[i]);
}

TEST(EquationPanel, FieldTextThatIsNoNumberReadsAsZero) {
  EXPECT_EQ(CoefficientFromText("abc"), 0.0f);
  EXPECT_EQ(CoefficientFromText(""), 0.0f);
  EXPECT_EQ(CoefficientFromText("1e99"), 0.0f) << "beyond single precision";
  // What a channel holds, at the edges of single precision: the windows refuse the rest.
  EXPECT_FALSE(TypedCoefficientProblem("3.4e38") || TypedCoefficientProblem("-1.2e-38"));
  EXPECT_TRUE(TypedCoefficientProblem("3.5e38") && TypedCoefficientProblem("1.1e-38"));
  EXPECT_EQ(CoefficientFromText(" 13333.2998"), 13333.2998f);
}

class ShowPolyTest : public test::ConversionWindowTest {};

TEST_F(ShowPolyTest, ConfirmingWithoutTypingWritesTheSameSixValuesBack) {
  polyarray[4] = {0.0f, 0.1419f, 1.536e-5f, 1.874e-9f, 42.0f, 0.0001f, 10000.0f};
  const auto before = polyarray[4];
  test::WindowDriver driver;
  driver.WaitFor(W)
      .Check([] { EXPECT_EQ(rt::WindowTitle(W), " 3-order Polynomial, Channel 4 "); })
      .Shot(W, Shot("w6-three-way-editor.png"))
      .Click(W, 1);
  Run(driver, [] { ShowPoly(4); });
  EXPECT_EQ(polyarray[4], before);
  EXPECT_FALSE(rt::WindowExists(W));
  EXPECT_EQ(Action, 0);
}

// Not while a field holds what the record cannot: the window stays and says why.
TEST_F(ShowPolyTest, TheCloseBoxEndsAndStoresTheTypedValues) {
  polyarray[2] = {1, 2, 3, 4, 9, 5, 6};
  test::WindowDriver driver;
  driver.WaitFor(W).Then("p3", TypeInto(W, 104, "0.25")).Then("K", TypeInto(W, 106, "-1e39")).Event(4, W);
  driver.Then("refused", [] { return rt::EditFieldExists(120); })
      .Check([] { EXPECT_EQ(FieldOf(W, 120), "K: \"-1e39\" is too large for a channel (at most 3.4e38)."); })
      .Shot(W, Shot("w6-three-way-refused.png"))
      .Then("K", TypeInto(W, 106, "x"))
      .Event(4, W);
  Run(driver, [] { ShowPoly(2); });
  const ThreeWayPolyRecord expected{1, 2, 3, 0.25f, 9, 0, 6};
  EXPECT_EQ(polyarray[2], expected);
}

TEST_F(ShowPolyTest, ReturnEndsItAndAChannelOutsideTheTableOpensNothing) {
  test::WindowDriver driver;
  driver.WaitFor(W).Then("p0", TypeInto(W, 101, "-3")).Key(W, Qt::Key_Return, "\r");
  Run(driver, [] { ShowPoly(1); });
  EXPECT_EQ(polyarray[1][0], -3.0f);
  ShowPoly(0);
  ShowPoly(17);
  EXPECT_FALSE(rt::WindowExists(W));
}

}  // namespace
}  // namespace mv
