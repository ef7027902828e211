// The voltage output script window driven as a user would, its step rules, and the
// layout of its diagram worked out by hand from the pixel rules.
#include "control/ao_script_window.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "common/test_support.h"
#include "common/window_steps.h"
#include "control/ao_script_diagram.h"
#include "control/state.h"
#include "devices/scripted_port.h"
#include "devices/serial_port.h"
#include "devices/state.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/menus.h"
#include "runtime/windows.h"

namespace mv::test {
namespace {

using namespace std::string_literals;

using namespace AOItem;
constexpr int16_t W = kAOscriptWindow;

// The line over the diagram, empty when none shows.
std::string Refusal() {
  rt::SetOutputWindow(W);
  return rt::EditFieldExists(RefusalLine) ? rt::EditText(RefusalLine) : std::string();
}

// Whether the canvas pixel at (x, y) is the colour c, as its 8 bits per channel give it.
bool PixelIs(int x, int y, RGBColor c) {
  const RGBColor p = rt::CanvasPixel(x, y);
  const auto near = [](uint16_t a, uint16_t b) { return std::abs(int{a} - int{b}) <= 257; };
  return near(p.red, c.red) && near(p.green, c.green) && near(p.blue, c.blue);
}

// The rows of the diagram's panel whose pixel in column x is the colour c.
std::vector<int> PanelRows(int x, RGBColor c) {
  rt::SetOutputWindow(W);
  std::vector<int> rows;
  for (int y = 191; y <= 345; ++y)
    if (PixelIs(x, y, c)) rows.push_back(y);
  return rows;
}

// Whether anything is drawn left of the panel from row top to row bottom (a scale
// label): the window's left edge, where nothing is drawn, gives its background.
bool ScaleLabelled(int top, int bottom) {
  rt::SetOutputWindow(W);
  const RGBColor background = rt::CanvasPixel(0, top);
  for (int y = top; y <= bottom; ++y)
    for (int x = 0; x < 40; ++x)
      if (!PixelIs(x, y, background)) return true;
  return false;
}

class AOscriptWindowTest : public ProgramTest, public WindowSteps {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    setenv("MV_RESOURCES_DIR", SourcePath("resources").c_str(), 1);
    External_AD = ExternalADCode::SableUI2;
    for (int16_t m = 1; m <= 6; ++m) rt::NewMenu(m, "menu");
    for (int16_t i = 1; i <= 8; ++i) rt::SetMenuItem(5, i, "item");
  }
  void TearDown() override {
    rt::SetPumpHook(nullptr);
    if (rt::WindowExists(W)) rt::CloseWindow(W);
    unsetenv("MV_RESOURCES_DIR");
    ProgramTest::TearDown();
  }
  static void SetSteps(int col, std::initializer_list<std::array<float, 3>> steps) {
    int r = 0;
    for (const auto& s : steps) {
      ++r;
      for (int c = 0; c < 3; ++c) AOscript[r][col + c] = s[static_cast<std::size_t>(c)];
    }
    AOscript[0][col] = static_cast<float>(r);
  }
};

TEST_F(AOscriptWindowTest, StepsTypedAddedRampedAndLoopedAreStoredOnDone) {
  Drive({Until(W), Do([] {
           EXPECT_EQ(Shown(W, CountField), 0);
           EXPECT_EQ(TextOf(W, VoltsField), "0");
           EXPECT_EQ(TextOf(W, MinutesField), "1");
           EXPECT_EQ(rt::ControlState(Delete), 0);
         }),
         Type(W, VoltsField, "2"), Click(W, AddStep), Type(W, VoltsField, "4"), Click(W, Ramp),
         Type(W, MinutesField, "2"), Click(W, AddStep),
         Do([] { EXPECT_EQ(Shown(W, LoopField), 3) << "the new count plus one"; }), Click(W, Constant),
         Type(W, VoltsField, "0"), Click(W, Pulse), Click(W, AddStep), Type(W, LoopField, "0"),
         Click(W, LoopToStep), Type(W, StepField, "2"), Click(W, GoToStep), Do([] {
           EXPECT_EQ(Shown(W, VoltsField), 4);
           EXPECT_EQ(TextOf(W, MinutesField), " 2");
           EXPECT_EQ(rt::ControlState(Ramp), 2);
           EXPECT_EQ(TextOf(W, TotalField), " 3.0017") << "five significant digits";
         }),
         Type(W, PreRunField, "7"), Type(W, EndVoltsField, "-9"), Click(W, SetVolts),
         // Volts the output cannot give keep the window open with the line that says so.
         Click(W, Done),
         Do([] { EXPECT_EQ(Refusal(), "Pre-run volts of 7 V refused: the Sable UI2 gives 0 to 5 V."); }),
         Type(W, PreRunField, "5"), Return(W, PreRunField),
         Do([] { EXPECT_EQ(Refusal(), "End volts of -9 V refused: the Sable UI2 gives 0 to 5 V."); }),
         Type(W, EndVoltsField, "0.5"), Shot(W, "w788-ao-script.png"), Click(W, Done)});
  AnalogOutputScript(1);
  EXPECT_TRUE(ScriptDone());
  EXPECT_FALSE(rt::WindowExists(W));
  EXPECT_EQ(AOscript[0][1], 3.0f);
  EXPECT_EQ(AOscript[1][1], 2.0f);
  EXPECT_EQ(AOscript[1][2], 1.0f);
  EXPECT_EQ(AOscript[2][2], -2.0f) << "a ramp is stored with negative minutes";
  EXPECT_EQ(AOscript[3][2], 0.00167f);
  EXPECT_EQ(AOscript[1][3], 2.0f);
  EXPECT_EQ(AOscript[3][3], 1.0f) << "loop target 0 loops to step 1";
  EXPECT_EQ(AOscript[1][0], 5.0f) << "pre-run volts as typed";
  EXPECT_EQ(AOscript[2][0], 0.5f);
  EXPECT_EQ(AO1endMode, 1);
  EXPECT_EQ(AO1on, 1);
  EXPECT_TRUE(rt::MenuItemChecked(5, 1));
  EXPECT_TRUE(rt::MenuItemEnabled(1, 0)) << "menus back on";
}

// A step the output cannot give is refused when it is typed: 5 V either way on the
// Sable, 10 V on the DT800.
TEST_F(AOscriptWindowTest, AStepOutsideTheOutputRangeIsRefused) {
  Drive({Until(W), Type(W, VoltsField, "24"), Click(W, AddStep),
         Do([] { EXPECT_EQ(Shown(W, CountField), 0) << "24 V refused"; }), Type(W, VoltsField, "5"),
         Click(W, AddStep), Type(W, VoltsField, "-5.5"), Click(W, InsertFront), Type(W, StepField, "1"),
         Click(W, Update), Do([] { EXPECT_EQ(Shown(W, CountField), 1); }), Click(W, Done)});
  AnalogOutputScript(1);
  EXPECT_EQ(AOscript[0][1], 1.0f);
  EXPECT_EQ(AOscript[1][1], 5.0f) << "the update to -5.5 V refused";

  External_AD = ExternalADCode::DT800;
  Drive({Until(W), Type(W, VoltsField, "-10"), Click(W, AddStep), Type(W, VoltsField, "10.5"),
         Click(W, AddStep), Click(W, Done)});
  AnalogOutputScript(1);
  EXPECT_EQ(AOscript[0][1], 2.0f);
  EXPECT_EQ(AOscript[2][1], -10.0f);
}

// A UI3 gives 0 to 5 V: a negative step or a pre-run value of 7 V is refused when it is
// typed, with a line saying the range, and nothing goes to the instrument for it; a
// value stored for another interface shows as the volts that go out.
TEST_F(AOscriptWindowTest, AUI3ScriptNeverShowsVoltsItDoesNotSend) {
  External_AD = ExternalADCode::SableUI3;
  DemonstrationMODE = 0;
  rt::SetVirtualMicroseconds(1'000'000);
  auto p = std::make_unique<ScriptedSerialPort>();
  ScriptedSerialPort* port = p.get();
  InstallSerialPort(std::move(p));
  AO1on = 1;
  // 4 V for a minute, a ramp to -2 V over 3 minutes, -2 V for a minute.
  SetSteps(1, {{4.0f, 1.0f, 2.0f}, {-2.0f, -3.0f, 3.0f}, {-2.0f, 1.0f, 4.0f}});
  AOscript[1][0] = 7.0f;  // pre-run volts
  Drive({Until(W), Do([] {
           EXPECT_EQ(Refusal(), "Step 2: -2 V is sent as 0 V (the Sable UI3 gives 0 to 5 V).");
           EXPECT_EQ(Shown(W, VoltsField), 0);
           EXPECT_EQ(Shown(W, PreRunField), 5);
           // The script is drawn as it is sent: nothing below the 0 V line (found left
           // of the steps), the ramp reaching it and step 3 on it; and no scale label
           // promises volts below it.
           const std::vector<int> zero = PanelRows(42, DarkGray);
           ASSERT_EQ(zero.size(), 1u);
           for (int x = 45; x < 619; ++x)
             for (const int y : PanelRows(x, RGBColor{0, 0, 0})) ASSERT_LE(y, zero[0] + 1) << "x " << x;
           const std::vector<int> step3 = PanelRows(560, RGBColor{0, 0, 0});
           ASSERT_FALSE(step3.empty()) << "step 3's line";
           EXPECT_LE(std::abs(step3.front() - zero[0]), 1);
           EXPECT_TRUE(ScaleLabelled(zero[0] - 70, zero[0] - 60)) << "the +5 V label";
           EXPECT_FALSE(ScaleLabelled(zero[0] + 10, 360)) << "a label below 0 V";
         }),
         Type(W, VoltsField, "-2"), Click(W, AddStep), Do([] {
           EXPECT_EQ(Refusal(), "A step of -2 V refused: the Sable UI3 gives 0 to 5 V.");
           EXPECT_EQ(Shown(W, CountField), 3);
         }),
         Shot(W, "w788-ao-script-ui3-refused.png"), Type(W, PreRunField, "7"), Click(W, PreRun), Do([port] {
           EXPECT_EQ(Refusal(), "Pre-run volts of 7 V refused: the Sable UI3 gives 0 to 5 V.");
           EXPECT_EQ(port->Written(), "") << "nothing sent for a refused value";
         }),
         Click(W, LowerV), Do([] { EXPECT_EQ(Shown(W, VoltsField), 0) << "the lowest volts a UI3 gives"; }),
         Type(W, PreRunField, "4"), Click(W, PreRun),
         Do([port] { EXPECT_EQ(port->Written(), "D\xCC\x0C\x00\x00\r"s) << "4 V: 3,276 counts"; }),
         Click(W, Done)});
  AnalogOutputScript(1);
  EXPECT_TRUE(ScriptDone());
  EXPECT_EQ(AOscript[0][1], 3.0f);
  EXPECT_EQ(AOscript[1][0], 4.0f);
  CloseSerialPort();
}

TEST_F(AOscriptWindowTest, AThreeStepScriptLoopingBackToStepTwoIsDrawnWithItsLoop) {
  SetSteps(1, {{1.0f, 2.0f, 2.0f}, {4.0f, -3.0f, 3.0f}, {2.5f, 2.0f, 2.0f}});
  AO1on = 1;
  Drive({Until(W), Do([] { EXPECT_EQ(Shown(W, TotalField), 7); }), Shot(W, "w788-ao-script-loop.png"),
         Click(W, Done)});
  AnalogOutputScript(1);
  EXPECT_TRUE(ScriptDone());
  EXPECT_EQ(AOscript[3][3], 2.0f);
  EXPECT_EQ(AO1on, 1);
}

// A step's volts far beyond the panel's scale (here from a table made elsewhere) are
// drawn at the volts sent, never over the buttons above and below the panel.
TEST_F(AOscriptWindowTest, StepsBeyondThePanelsScaleAreCutAtItsEdge) {
  SetSteps(1, {{9.0f, 2.0f, 2.0f}, {-40.0f, -3.0f, 3.0f}, {2.0f, 2.0f, 2.0f}});
  AO1on = 1;
  Drive({Until(W), Shot(W, "w788-ao-script-clipped.png"), Click(W, Done)});
  AnalogOutputScript(1);
  EXPECT_TRUE(ScriptDone());
}

TEST_F(AOscriptWindowTest, ClearAllAndTheCloseBoxLeaveTheOutputDisabled) {
  AO2on = 1;
  SetSteps(4, {{{1, 1, 2}}, {{2, 1, 3}}});
  rt::CheckMenuItem(5, 4, true);
  Drive({Until(W), Do([] { EXPECT_EQ(Shown(W, CountField), 2); }), Pick(W, StartPopup, 3), Click(W, ClearAll),
         Do([] { EXPECT_EQ(TextOf(W, LoopField), "0"); }), CloseBox(W)});
  AnalogOutputScript(2);
  EXPECT_EQ(AOscript[0][4], 0.0f);
  EXPECT_EQ(AOscript[1][4], 0.0f);
  EXPECT_EQ(AOscript[9][0], 3.0f) << "start at marker 's'";
  EXPECT_EQ(AO2on, 0);
  EXPECT_FALSE(rt::MenuItemChecked(5, 4));
}

TEST_F(AOscriptWindowTest, DeletingAStepKeepsTheNextNumbersPointingAtTheSameSteps) {
  AO1on = 1;
  SetSteps(1, {{{1, 1, 2}}, {{2, 1, 3}}, {{3, 1, 4}}, {{4, 1, 3}}});  // step 4 loops to step 3
  ScriptSteps s(1);
  ASSERT_TRUE(s.Delete(2));
  EXPECT_EQ(s.count, 3);
  EXPECT_EQ(AOscript[1][3], 2.0f);
  EXPECT_EQ(AOscript[2][1], 3.0f);
  EXPECT_EQ(AOscript[2][3], 3.0f);
  EXPECT_EQ(AOscript[3][3], 2.0f) << "the loop still goes to the step of 3 V";
  EXPECT_EQ(AOscript[4][1], 0.0f);
  EXPECT_FALSE(s.Delete(4));
  EXPECT_FALSE(s.Update(0, 1, 1));
  EXPECT_FALSE(s.Insert(5, 1, 1));
  ASSERT_TRUE(s.Insert(1, 9, 1));
  EXPECT_EQ(AOscript[1][1], 9.0f);
  EXPECT_EQ(AOscript[2][3], 3.0f);
  EXPECT_EQ(AOscript[4][3], 3.0f) << "the loop follows its step down";
  s.LoopTo(50);
  EXPECT_EQ(AOscript[4][3], 4.0f) << "a target past the count loops the last step to itself";
}

TEST_F(AOscriptWindowTest, TheHundredthStepIsTheLastTheTableTakes) {
  ScriptSteps s(1);
  for (int i = 0; i < 100; ++i) ASSERT_TRUE(s.Add(1, 1));
  EXPECT_FALSE(s.Add(1, 1));
  EXPECT_FALSE(s.Insert(1, 1, 1));
  EXPECT_EQ(s.count, 100);
}

TEST(AOdiagramLayout, OneStepHoldsAndEndsInTheBlueArrow) {
  AOscript = {};
  AOscript[1][1] = 1.0f;
  AOscript[1][2] = 10.0f;
  AOscript[1][3] = 2.0f;
  External_AD = 1;
  const Diagram d = LayOutAOdiagram(1, 10.0f, 1);
  ASSERT_EQ(d.lines.size(), 6u);
  auto at = [&](int i) {
    const DiagramLine& l = d.lines[static_cast<std::size_t>(i)];
    return std::array<int, 4>{l.x1, l.y1, l.x2, l.y2};
  };
  EXPECT_EQ(at(0), (std::array<int, 4>{604, 191, 604, 345}));
  EXPECT_EQ(at(1), (std::array<int, 4>{49, 259, 604, 259}));
  EXPECT_EQ(at(2), (std::array<int, 4>{49, 273, 49, 259}));
  EXPECT_EQ(at(3), (std::array<int, 4>{604, 259, 618, 259}));
  EXPECT_EQ(at(4), (std::array<int, 4>{612, 256, 618, 259}));
  EXPECT_EQ(at(5), (std::array<int, 4>{612, 262, 618, 259}));
  EXPECT_EQ(d.lines[3].colour, (RGBColor{0, 0, 65535}));
  ASSERT_EQ(d.labels.size(), 1u);
  EXPECT_EQ(d.labels[0].x, 604);
  EXPECT_EQ(d.labels[0].text.str(), " 2");
  EXPECT_TRUE(LayOutAOdiagram(1, 0.0f, 1).lines.empty()) << "no time to spread the steps over";
}

TEST(AOdiagramLayout, ALoopBackToStepTwoEndsAtItsStartingLevel) {
  AOscript = {};
  for (int r = 1; r <= 10; ++r) {
    AOscript[r][4] = static_cast<float>(r % 4);
    AOscript[r][5] = 1.0f;
    AOscript[r][6] = static_cast<float>(r + 1);
  }
  AOscript[3][6] = 2.0f;
  External_AD = 1;
  Diagram d = LayOutAOdiagram(3, 3.0f, 2);
  EXPECT_TRUE(d.looped);
  const DiagramLine& down = d.lines[d.lines.size() - 3];
  EXPECT_EQ((std::array<int, 4>{down.x1, down.y1, down.x2, down.y2}),
            (std::array<int, 4>{234, 193, 234, 245}));
  const DiagramLine& head = d.lines.back();
  EXPECT_EQ((std::array<int, 4>{head.x1, head.y1, head.x2, head.y2}),
            (std::array<int, 4>{237, 239, 234, 245}));
  EXPECT_EQ(head.colour, (RGBColor{65535, 0, 0}));

  d = LayOutAOdiagram(10, 10.0f, 2);
  int darker = 0;
  for (const DiagramLine& l : d.lines) darker += l.colour == veryDarkGray && l.x1 == l.x2 ? 1 : 0;
  EXPECT_EQ(darker, 1) << "only where step 10 ends";
}

TEST(AOdiagramLayout, NoLineLeavesThePanelWhateverTheVolts) {
  const float huge = std::numeric_limits<float>::max();
  for (const float v : {9.0f, -9.0f, 50.0f, -1e6f, huge, std::numeric_limits<float>::quiet_NaN()}) {
    AOscript = {};
    AOscript[1][1] = 1.0f;
    AOscript[1][2] = 2.0f;
    AOscript[1][3] = 2.0f;
    AOscript[2][1] = v;
    AOscript[2][2] = -3.0f;  // a ramp to v
    AOscript[2][3] = 3.0f;
    AOscript[3][1] = v;
    AOscript[3][2] = 2.0f;
    AOscript[3][3] = 2.0f;  // back to step 2
    External_AD = 1;
    const Diagram d = LayOutAOdiagram(3, 7.0f, 1);
    EXPECT_TRUE(d.looped);
    EXPECT_FALSE(d.lines.empty());
    for (const DiagramLine& l : d.lines) {
      for (const int x : {l.x1, l.x2}) {
        EXPECT_GE(x, 40) << v;
        EXPECT_LE(x, 619) << v;
      }
      for (const int y : {l.y1, l.y2}) {
        EXPECT_GE(y, 190) << v;
        EXPECT_LE(y, 346) << v;
      }
    }
  }
}

}  // namespace
}  // namespace mv::test
