// The real chooser, transfer window and editor of the custom conversion buttons.
#include "conversions/custom_windows.h"

#include <gtest/gtest.h>

#include "conversions/custom_table.h"
#include "conversions/state.h"
#include "kit/state.h"
#include "setup/state.h"
#include "window_fixture.h"

namespace mv {
namespace {

using test::FieldOf;
using test::Padded;
using test::TypeInto;
constexpr int16_t kChooser = kCustomChooserWindow;
constexpr int16_t kEditor = kCustomEditorWindow;
constexpr int16_t kTransfer = kCustomTransferWindow;

class CustomWindowsTest : public test::ConversionWindowTest {
 protected:
  void SetUp() override {
    ConversionWindowTest::SetUp();
    datalabel = Str255(Padded("O2 analyser") + Padded("Chamber breakpoint") + std::string(180, ' '));
    auto& ch1 = ChannelVariables[1];
    ch1[ChanField::A] = 1.5f;
    ch1[ChanField::B] = -2.0f;
    ch1[ChanField::C] = 0.25f;
    ch1[ChanField::PlotMax] = 30.0f;
    ch1[ChanField::PlotMin] = -3.0f;
    ChannelVariables[0][1] = 2.0f;
    ChannelVariables[0][2] = 5.0f;
  }
  void Custom(test::WindowDriver& driver) {
    Run(driver, [] { CUSTOMCON(); });
  }
  // The editor's window (number 11 too) is told from the chooser by its fields.
  static test::WindowDriver::Step EditorOpen() {
    return [] { return rt::WindowExists(kEditor) && FieldOf(kEditor, 89) != "<no field>"; };
  }
};

TEST_F(CustomWindowsTest, WithNoChannelsTheEditorOpensDirectlyAndItsStoreFillsPolyRowZero) {
  nChannels = 0;
  polyarray[0].fill(0.0f);
  test::WindowDriver driver;
  driver.Then("editor", EditorOpen())
      .Check([] {
        EXPECT_EQ(FieldOf(kEditor, 25), Padded("% Oxygen (Sable 19-21.5%)", 25));
        EXPECT_EQ(FieldOf(kEditor, 92), " 0.1419");
        EXPECT_EQ(rt::ControlState(3), 2) << "a polynomial preset ticks its poly? box";
      })
      .Shot(kEditor, Shot("w11-custom-editor.png"))
      .Then("p0", TypeInto(kEditor, 91, "0.5"))
      .Then("m", TypeInto(kEditor, 96, "20000"))
      .Then("button 4 label", TypeInto(kEditor, 34, "O2 drop"))
      // A coefficient a channel cannot hold was stored as 0: the editor stays, saying why.
      .Then("button 4 b", TypeInto(kEditor, 36, "1e39"))
      .Then("E", TypeInto(kEditor, 95, "1e-45"))
      .Click(kEditor, 2)
      .Check([] {
        EXPECT_EQ(FieldOf(kEditor, 120),
                  "\"\xE2\x88\x86 %O2 (Sable 19-21.5%)\", b: \"1e39\" is too large for a channel (at most "
                  "3.4e38).");
      })
      .Shot(kEditor, Shot("w11-custom-editor-refused.png"))
      .Then("button 4 b", TypeInto(kEditor, 36, "-0.25"))
      .Click(kEditor, 1)
      .Check([] {
        EXPECT_EQ(FieldOf(kEditor, 120),
                  "Three-degree polynomial, E: \"1e-45\" is too near 0 for a channel (at "
                  "least 1.18e-38, or 0).");
      })
      .Then("E", TypeInto(kEditor, 95, "1e-04"))
      .Click(kEditor, 2);
  Custom(driver);
  EXPECT_EQ(conversionsArray[100], 0.5f);
  EXPECT_EQ(conversionsArray[105], 20000.0f);
  EXPECT_EQ(polyarray[0][0], 0.5f);
  EXPECT_EQ(polyarray[0][1], 0.1419f);
  EXPECT_EQ(polyarray[0][6], 20000.0f);
  EXPECT_EQ(conversionsArray[9 * 4 + 2], -0.25f);
  EXPECT_EQ(CustomButtonLabel(4).str(), Padded("O2 drop"));
  EXPECT_EQ(conversionsArray[9 * 10 + 2], 13333.3f) << "untouched fields keep their exact values";
  EXPECT_EQ(Count("SAVEsettings"), 0) << "a refused Save Conversions saves nothing";
  EXPECT_EQ(calls.back(), "menus on");
  EXPECT_FALSE(rt::WindowExists(kEditor));
}

TEST_F(CustomWindowsTest, SaveConversionsStoresAndWritesThePreferences) {
  nChannels = 0;
  test::WindowDriver driver;
  driver.Then("editor", EditorOpen()).Then("a", TypeInto(kEditor, 27, "18")).Click(kEditor, 1);
  Custom(driver);
  EXPECT_EQ(conversionsArray[28], 18.0f);
  EXPECT_EQ(Count("SAVEsettings"), 1);
}

TEST_F(CustomWindowsTest, EditorCloseBoxStoresNothingAndPutsThePolyBoxesBack) {
  nChannels = 0;
  const auto table = conversionsArray;
  const Str255 titles = buttonlbls;
  test::WindowDriver driver;
  driver.Then("editor", EditorOpen())
      .Click(kEditor, 3)
      .Check([] {
        EXPECT_EQ(rt::ControlState(3), 1);
        EXPECT_EQ(conversionsArray[35], 3.0f) << "a click turns 2 into 3";
      })
      .Then("title", TypeInto(kEditor, 25, "changed"))
      .Event(4, kEditor);
  Custom(driver);
  EXPECT_EQ(conversionsArray, table);
  EXPECT_EQ(buttonlbls, titles);
}

TEST_F(CustomWindowsTest, TransferCopiesAChannelAndRefusesABreakpointChannel) {
  nChannels = 2;
  test::WindowDriver driver;
  driver.WaitFor(kChooser)
      .Shot(kChooser, Shot("w11-custom-chooser.png"))
      .Click(kChooser, 2)
      .WaitFor(kTransfer)
      .Check([] { EXPECT_EQ(FieldOf(kTransfer, 101), "O2 analyser"); })
      // Channel 2 is a breakpoint channel: a button could not reproduce it.
      .Click(kTransfer, 4)
      .Click(kTransfer, 18)
      .Click(kTransfer, 1)
      .Check([this] {
        EXPECT_EQ(Played("bzot.mp3"), 1);
        EXPECT_EQ(conversionsArray[9 * 4 + 8], 2.0f) << "button 4 unchanged";
        // The refusal says why, not with the buzz alone.
        EXPECT_EQ(
            FieldOf(kTransfer, 140),
            "Channel 2 uses a breakpoint conversion: a button holds only a, b and c, not its equations.");
      })
      .Shot(kTransfer, Shot("w12-custom-transfer-refused.png"))
      .Click(kTransfer, 17)
      .Then("label", TypeInto(kTransfer, 101, "O2 analyser, chamber 1 outlet"))
      .Shot(kTransfer, Shot("w12-custom-transfer.png"))
      .Click(kTransfer, 1)
      .Check([this] {
        EXPECT_EQ(Played("upvip.mp3"), 1);
        EXPECT_FALSE(rt::EditFieldExists(140)) << "the refusal went with the transfer";
        EXPECT_EQ(rt::ControlTitle(4), "O2 analyser, chamber 1 ou");
        EXPECT_EQ(rt::ControlState(4), 1) << "marks cleared";
        EXPECT_EQ(rt::ControlState(17), 1);
      })
      .Click(kTransfer, 2)
      .Then("editor", EditorOpen())
      .Check([] { EXPECT_EQ(FieldOf(kEditor, 33), Padded("O2 analyser, chamber 1 ou", 25)); })
      .Click(kEditor, 2);
  Custom(driver);
  const int base = 9 * 4;
  EXPECT_EQ(conversionsArray[base + 1], 1.5f);
  EXPECT_EQ(conversionsArray[base + 2], -2.0f);
  EXPECT_EQ(conversionsArray[base + 3], 0.25f);
  EXPECT_EQ(conversionsArray[base + 4], -3.0f);
  EXPECT_EQ(conversionsArray[base + 5], 30.0f);
  EXPECT_EQ(conversionsArray[base + 8], 2.0f);
  EXPECT_EQ(CustomButtonLabel(4).str(), Padded("O2 analyser, chamber 1 outlet"));
  EXPECT_EQ(Played("downvip.mp3"), 1);
  EXPECT_EQ(datalabel.mid(1, 30).str(), Padded("O2 analyser")) << "the channel keeps its own label";
}

TEST_F(CustomWindowsTest, SaveThisChangeWithoutMarksOnlyBuzzes) {
  nChannels = 1;
  const auto table = conversionsArray;
  test::WindowDriver driver;
  driver.WaitFor(kChooser)
      .Key(kChooser, Qt::Key_Return, "\r")
      .WaitFor(kTransfer)
      .Click(kTransfer, 1)
      .Click(kTransfer, 3)
      .Click(kTransfer, 1)
      .Event(4, kTransfer)
      .Then("editor", EditorOpen())
      .Event(4, kEditor);
  Custom(driver);
  EXPECT_EQ(Played("bzot.mp3"), 2);
  EXPECT_EQ(conversionsArray, table);
}

TEST_F(CustomWindowsTest, CustomizeGoesStraightToTheEditor) {
  nChannels = 1;
  test::WindowDriver driver;
  driver.WaitFor(kChooser)
      .Click(kChooser, 1)
      .Then("editor", EditorOpen())
      .Check([] { EXPECT_FALSE(rt::WindowExists(kTransfer)); })
      .Click(kEditor, 2);
  Custom(driver);
  EXPECT_EQ(calls.front(), "menus off");
  EXPECT_EQ(calls.back(), "menus on");
}

}  // namespace
}  // namespace mv
