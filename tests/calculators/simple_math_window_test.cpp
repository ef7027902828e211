// The Simple Math window driven from the event pump as a user would.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "calculators/simple_math.h"
#include "kit/protocol.h"
#include "kit/state.h"
#include "math_driver.h"
#include "runtime/clock.h"
#include "runtime/help.h"

namespace mv::calc {
namespace {

constexpr int16_t W = 8;
constexpr int16_t XF = kSimpleMathX;
constexpr int16_t YF = kSimpleMathY;

class SimpleMathWindowTest : public test::math_calc::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    Sound_Is_On = 1;
  }
  static std::string Text(int16_t field) {
    rt::SetOutputWindow(W);
    return rt::EditText(field);
  }
  static Step Expect(int16_t field, std::string text) {
    return Do([field, text] { EXPECT_EQ(Text(field), text) << "field " << field; });
  }
  static Step ExpectFocus(int16_t field) {
    return Do([field] {
      rt::SetOutputWindow(W);
      EXPECT_EQ(rt::FocusedEditField(), field);
    });
  }
};

TEST_F(SimpleMathWindowTest, OpensWithOneAndZeroAndTheAddButtonGivesOne) {
  Drive({Until(W), Expect(XF, "1"), Expect(YF, "0"), ExpectFocus(XF), Do([] {
           const auto [start, end] = rt::EditSelection(XF);
           EXPECT_EQ(start, 0);
           EXPECT_EQ(end, 1);
         }),
         Click(W, 1), Expect(XF, " 1"), Shot(W, "w8-simple-math.png"), Click(W, 41)});
  SIMPLECALC();
  EXPECT_TRUE(ScriptDone());
  EXPECT_FALSE(rt::WindowExists(W));
  EXPECT_EQ(CountPlayed("bup.mp3"), 1);
}

TEST_F(SimpleMathWindowTest, ReverseEntryReturnThenYThenAnOperatorKey) {
  Drive({Until(W), Type(W, XF, "6"), Key(W, XF, Qt::Key_Return, "\r"), ExpectFocus(YF),
         Do([this] { EXPECT_EQ(CountPlayed("click.mp3"), 1); }), Keys(W, YF, "7"), Expect(YF, "7"),
         Key(W, YF, Qt::Key_Underscore, "_"), Expect(XF, "-1"), Expect(YF, "7"), ExpectFocus(XF),
         Do([this] { EXPECT_EQ(CountPlayed("upvip.mp3"), 1); }),
         // An operator key typed while X is active does nothing and is not inserted.
         Key(W, XF, Qt::Key_Plus, "+"), Expect(XF, "-1"), Do([] { EXPECT_EQ(MathOperation, 0); }),
         // "-" is a sign, typed like any character.
         Type(W, XF, ""), Keys(W, XF, "-3"), Expect(XF, "-3"), Key(W, XF, Qt::Key_Tab, "\t"), ExpectFocus(YF),
         Type(W, YF, "4"), Key(W, YF, Qt::Key_Asterisk, "*"), Expect(XF, "-12"), Click(W, 41)});
  SIMPLECALC();
  EXPECT_TRUE(ScriptDone());
  EXPECT_EQ(CountPlayed("upvip.mp3"), 2);
  EXPECT_EQ(CountPlayed("click.mp3"), 2);
}

TEST_F(SimpleMathWindowTest, AnOperatorKeysMathErrorFlashesAndLeavesTheExactText) {
  uint64_t before = 0;
  Drive({Until(W), Type(W, XF, "-8"), Key(W, XF, Qt::Key_Return, "\r"), Type(W, YF, "0.5"),
         Do([&before] { before = rt::Microseconds(); }), Key(W, YF, Qt::Key_AsciiCircum, "^"),
         Expect(XF, "-8"), Expect(YF, "0.5"), ExpectFocus(YF), Do([&before, this] {
           EXPECT_EQ(rt::Microseconds() - before, 1'800'000u);  // six flashes of 300 ms
           EXPECT_EQ(CountPlayed("bzot.mp3"), 1);
         }),
         // A negative X may be raised to a whole power: -2 ^ 3, -2.5 ^ 2.
         Type(W, XF, "-2"), Type(W, YF, "3"), Key(W, YF, Qt::Key_AsciiCircum, "^"), Expect(XF, "-8"),
         Type(W, XF, "-2.5"), Key(W, XF, Qt::Key_Return, "\r"), Type(W, YF, "2"),
         Key(W, YF, Qt::Key_AsciiCircum, "^"), Do([] { EXPECT_NEAR(Shown(W, XF), 6.25, 1e-6); }),
         Click(W, 41)});
  SIMPLECALC();
  EXPECT_TRUE(ScriptDone());
}

TEST_F(SimpleMathWindowTest, DivisionByZeroFlashesTheMathErrorInsteadOfShowingInfinity) {
  Drive({Until(W), Type(W, XF, "5"), Key(W, XF, Qt::Key_Return, "\r"), Type(W, YF, "0"),
         Key(W, YF, Qt::Key_Slash, "/"), Expect(XF, "5"), Type(W, XF, "0"), Click(W, 5), Expect(XF, "0"),
         Do([this] { EXPECT_EQ(CountPlayed("bzot.mp3"), 2); }), Click(W, 41)});
  SIMPLECALC();
  EXPECT_TRUE(ScriptDone());
}

TEST_F(SimpleMathWindowTest, ButtonsWriteXAndYByTheNumberRule) {
  Drive({Until(W),           Type(W, XF, "-4.0"),  Click(W, 11),
         Expect(XF, "-4.0"),  // refused, X as it was
         Type(W, XF, "30"),  Click(W, 51),         Expect(XF, "30"),
         Expect(YF, " 0.5"), Click(W, 6),          Expect(YF, "3.1415926"),
         Expect(XF, "30"),   Click(W, 24),         Expect(XF, " 3.1416"),  // X = Y
         Type(W, XF, "2"),   Click(W, 25),         Expect(YF, " 2"),       // Y = X
         Click(W, 35),       Expect(YF, " 33.51"), Expect(XF, "2"),
         Type(W, YF, "abc"), Click(W, 1),          Expect(XF, " 2"),  // a non-numeric Y reads 0
         Type(W, XF, "7"),   Click(W, 40),         Expect(XF, "7"),
         Expect(YF, "abc"),  // "?" changes nothing
         Click(W, 41)});
  SIMPLECALC();
  EXPECT_TRUE(ScriptDone());
  EXPECT_NE(rt::HelpPageShown().find("MVCalculatorMenuMath.html"), std::string::npos);
}

// The registers carry a result on in full; only the text shown is rounded to the
// digits of the View menu. Each case: X and Y typed, buttons clicked (Y typed again
// before a button when given), and the X the user then reads.
TEST_F(SimpleMathWindowTest, AResultCarriedOnKeepsItsDigitsAndHelpRewritesNothing) {
  struct Press {
    const char* y;  // typed into Y first, or nullptr
    int16_t button;
  };
  struct Case {
    const char* name;
    const char* x;
    std::vector<Press> presses;
    double value;      // the formula's value
    const char* text;  // as shown, 5 digits
  };
  const Case cases[] = {
      {"1/X of 3, times 3", "3", {{nullptr, 5}, {"3", 3}}, 1.0 / 3 * 3, " 1"},
      {"100000.5 + 0.25 - 100000",
       "100000.5",
       {{"0.25", 1}, {"100000", 2}},
       100000.5 + 0.25 - 100000,
       " 0.75"},
      {"1/X of 7, twice", "7", {{nullptr, 5}, {nullptr, 5}}, 1 / (1 / 7.0), " 7"},
      {"help", "123456.7", {{nullptr, 40}}, 123456.7, "123456.7"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<Step> steps{Until(W), Type(W, XF, c.x)};
    for (const Press& p : c.presses) {
      if (p.y) steps.push_back(Type(W, YF, p.y));
      steps.push_back(Click(W, p.button));
    }
    steps.push_back(Expect(XF, c.text));
    steps.push_back(Do([&c] { EXPECT_NEAR(Shown(W, XF), c.value, std::fabs(c.value) * 1e-4); }));
    steps.push_back(Click(W, 41));
    Drive(std::move(steps));
    SIMPLECALC();
    EXPECT_TRUE(ScriptDone());
  }
}

TEST_F(SimpleMathWindowTest, TheCloseBoxEndsItAndAnotherWindowsActivationDoesNot) {
  Drive({Until(W), CloseBox(W)});
  SIMPLECALC();
  EXPECT_FALSE(rt::WindowExists(W));
  Drive({Until(W), Type(W, XF, "42"), Do([] { doDIALOG(3, 8); }), Do([] { doDIALOG(3, -8); }),
         Expect(XF, "42"), Click(W, 41)});
  SIMPLECALC();
  EXPECT_TRUE(ScriptDone());
  EXPECT_FALSE(rt::WindowExists(W));
  EXPECT_EQ(CountPlayed("bup.mp3"), 2);
}

}  // namespace
}  // namespace mv::calc
