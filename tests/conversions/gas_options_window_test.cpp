// The real gas-exchange options window (window 14) and the channel labels window
// (window 33) under the offscreen platform: what Done stores from what the user
// typed and chose, every way out of the window, and the labels window opened from it.
#include "conversions/gas_options_window.h"

#include <gtest/gtest.h>

#include <QComboBox>

#include "conversions/channel_labels_window.h"
#include "conversions/conversions_window.h"
#include "conversions/state.h"
#include "kit/state.h"
#include "runtime/help.h"
#include "runtime/menus.h"
#include "setup/state.h"
#include "window_fixture.h"

namespace mv {
namespace {

using namespace GasOptionsControl;
using test::FieldOf;
using test::Padded;
using test::ReturnIn;
using test::TypeInto;
constexpr int16_t W = kGasOptionsWindow;

// Chooses item (1-based) of a popup as the user does.
test::WindowDriver::Step Pick(int16_t control, int item) {
  return [control, item] {
    auto* combo = qobject_cast<QComboBox*>(rt::bridge::ControlWidget(W, control));
    if (!combo) return false;
    combo->setCurrentIndex(item - 1);
    emit combo->activated(item - 1);
    return true;
  };
}

int16_t StateOf(int16_t control) {
  rt::SetOutputWindow(W);
  return rt::ControlState(control);
}

class GasOptionsWindowTest : public test::ConversionWindowTest {
 protected:
  void SetUp() override {
    ConversionWindowTest::SetUp();
    nChannels = 3;
    datalabel = Str255(std::string(240, ' '));
    datalabel2 = datalabel;
    StoreChannelLabel(2, "% O2 difference");
    rt::NewMenu(100, "Conversion Equations");
    rt::NewMenu(120, "Conversion Options");
  }
  void Options(test::WindowDriver& driver, int16_t channel = 2) {
    Run(driver, [channel] { ConversionOptions(channel); });
  }
  GasExchangeRecord& Record() { return SpecialOpsArray[2]; }
};

TEST_F(GasOptionsWindowTest, DoneWithTheStandardIncurrentAirStoresTheDerivedFactors) {
  test::WindowDriver driver;
  driver.WaitFor(W)
      .Click(W, ComputeVO2)
      .Then("flow", TypeInto(W, VO2Flow, "100"))
      .Then("RQ", TypeInto(W, RQ, "0.85"))
      .Then("FiO2", TypeInto(W, FiO2, "0.2095"))
      .Then("FiCO2", TypeInto(W, FiCO2, "0.0004"))
      .Then("t", TypeInto(W, Temperature, "20"))
      .Then("units", Pick(VO2Units, 2))
      .Click(W, DisplayAndSave)
      .Check([] { EXPECT_EQ(StateOf(ComputeVO2), 2) << "the toggle of the row that is on is pressed"; })
      .Shot(W, Shot("w14-gas-options.png"))
      .Click(W, GasOptionsControl::Done);
  Options(driver);
  EXPECT_FALSE(rt::WindowExists(W));
  const GasExchangeRecord& r = Record();
  EXPECT_EQ(r[GasField::Computation], 1.0f);
  EXPECT_EQ(r[GasField::Case], 1.0f) << "a computation that is on has a case";
  EXPECT_EQ(r[GasField::Flow], 100.0f);
  EXPECT_EQ(r[GasField::Units], 2.0f);
  EXPECT_EQ(r[GasField::Save], 1.0f);
  EXPECT_FLOAT_EQ(r[GasField::RQ], 0.85f);
  EXPECT_FLOAT_EQ(r[GasField::FiO2], 0.2095f);
  EXPECT_FLOAT_EQ(r[GasField::FiCO2], 0.0004f);
  EXPECT_NEAR(r[GasField::OneMinusFiO2], 0.7905, 1e-7);
  EXPECT_NEAR(r[GasField::VO2Divisor], 0.968575, 1e-7);
  EXPECT_NEAR(r[GasField::VCO2Factor], 1.0000706, 1e-7);
  EXPECT_NEAR(r[GasField::VCO2Divisor], 0.9991294, 1e-7);
  EXPECT_NEAR(r[GasField::VapourDensity], 0.0172719, 2e-7);
  EXPECT_EQ(Action, ActionCode::Redraw);
  EXPECT_EQ(LastChanModified, 2);
}

TEST_F(GasOptionsWindowTest, RQAndZOfZeroOrLessAreShownAndStoredAsUsableValues) {
  test::WindowDriver driver;
  driver.WaitFor(W)
      .Check([] {
        EXPECT_EQ(FieldOf(W, RQ), " 0.85") << "a new record shows the usual RQ";
        EXPECT_EQ(FieldOf(W, Z), " 1");
        EXPECT_EQ(FieldOf(W, FiO2), " 0.2095");
      })
      .Then("RQ", TypeInto(W, RQ, "0"))
      .Then("Z", TypeInto(W, Z, "-2"))
      .Click(W, Correction)
      .Click(W, GasOptionsControl::Done);
  Options(driver);
  EXPECT_FLOAT_EQ(Record()[GasField::RQ], 0.85f);
  EXPECT_EQ(Record()[GasField::Z], 1.0f);
  EXPECT_EQ(Record()[GasField::Correction], 1.0f);
  EXPECT_TRUE(std::isfinite(Record()[GasField::VCO2Divisor]));
}

TEST_F(GasOptionsWindowTest, TogglesReleaseEachOtherAndASecondClickTurnsTheRowOff) {
  test::WindowDriver driver;
  driver.WaitFor(W)
      .Click(W, ComputeVO2)
      .Click(W, ComputeEWL)
      .Check([this] {
        EXPECT_EQ(Record()[GasField::Computation], 3.0f);
        EXPECT_EQ(StateOf(ComputeVO2), 1);
        EXPECT_EQ(StateOf(ComputeEWL), 2);
      })
      .Click(W, ComputeEWL)
      .Check([] { EXPECT_EQ(StateOf(ComputeEWL), 1); })
      .Click(W, GasOptionsControl::Done);
  Options(driver);
  EXPECT_EQ(Record()[GasField::Computation], 0.0f);
}

TEST_F(GasOptionsWindowTest, VO2CaseWithoutAFormulaSaysSoAndIsKept) {
  test::WindowDriver driver;
  driver.WaitFor(W)
      .Check([] { EXPECT_EQ(FieldOf(W, CaseNote), ""); })
      .Click(W, ComputeVO2)
      .Then("case 5", Pick(VO2Case, 5))
      .Check([] { EXPECT_NE(FieldOf(W, CaseNote).find("no formula"), std::string::npos); })
      .Shot(W, Shot("w14-gas-options-case-5.png"))
      .Click(W, GasOptionsControl::Done);
  Options(driver);
  EXPECT_EQ(Record()[GasField::Case], 5.0f);
  // The window opens again with the note.
  test::WindowDriver again;
  again.WaitFor(W).Check([] { EXPECT_NE(FieldOf(W, CaseNote), ""); }).Click(W, GasOptionsControl::Done);
  Options(again);
}

TEST_F(GasOptionsWindowTest, APopupOfAnotherRowDoesNotChangeWhatTheActiveRowShows) {
  test::WindowDriver driver;
  driver.WaitFor(W)
      .Click(W, ComputeVCO2)
      .Then("VCO2 downstream", Pick(VCO2Case, 2))
      .Then("VCO2 ml/hour", Pick(VCO2Units, 3))
      .Then("VO2 upstream", Pick(VO2Case, 1))
      .Then("VO2 litres", Pick(VO2Units, 4))
      .Then("EWL flow channel", Pick(EWLFlowSource, 3))
      .Click(W, GasOptionsControl::Done);
  Options(driver);
  EXPECT_EQ(Record()[GasField::Case], 2.0f);
  EXPECT_EQ(Record()[GasField::Units], 3.0f);
  EXPECT_EQ(Record()[GasField::FlowSource], 1.0f);
}

// A flow channel the recording cannot read (0, above the channels set up) keeps the
// window open with a line saying which channels it can be.
TEST_F(GasOptionsWindowTest, AFlowChannelOutsideTheChannelsIsRefusedWithALine) {
  const auto refused = [] {
    ASSERT_TRUE(rt::WindowExists(W));
    EXPECT_EQ(FieldOf(W, FlowRefusal), "Flow Channel: type a channel from 1 to 3.");
  };
  test::WindowDriver driver;
  driver.WaitFor(W)
      .Click(W, ComputeVO2)
      .Then("flow from a channel", Pick(VO2FlowSource, 3))
      .Then("0", TypeInto(W, VO2Flow, "0"))
      .Click(W, GasOptionsControl::Done)
      .Check(refused)
      .Then("4", TypeInto(W, VO2Flow, "4"))
      .Event(ActionCode::CloseBox, W)
      .Check(refused)
      .Shot(W, Shot("w14-flow-channel-refused.png"))
      .Then("3", TypeInto(W, VO2Flow, "3"))
      .Click(W, GasOptionsControl::Done);
  Options(driver);
  EXPECT_FALSE(rt::WindowExists(W));
  EXPECT_EQ(Record()[GasField::FlowSource], 3.0f);
  EXPECT_EQ(Record()[GasField::Flow], 3.0f);
  EXPECT_EQ(GasFlowChannelRefusal(GasComputationCode::VO2, 1, 0, 3), "") << "a constant flow of 0 is a flow";
  EXPECT_EQ(GasFlowChannelRefusal(GasComputationCode::None, 3, 0, 3), "") << "no computation, no flow";
  EXPECT_EQ(GasFlowChannelRefusal(GasComputationCode::EWL, 3, 1.5, 3), "Flow Channel: type a channel from 1 to 3.");
}

TEST_F(GasOptionsWindowTest, EveryWayOutStoresWhatTheWindowShows) {
  struct Way {
    const char* name;
    std::function<void(test::WindowDriver&)> leave;
  };
  const Way ways[] = {
      {"close box", [](test::WindowDriver& d) { d.Event(ActionCode::CloseBox, W); }},
      {"Return in a field", [](test::WindowDriver& d) { d.Then("Return", ReturnIn(W, EWLFlow)); }},
      {"a click in another window", [](test::WindowDriver& d) { d.Event(ActionCode::WindowActivity, 10); }},
  };
  for (const Way& way : ways) {
    SCOPED_TRACE(way.name);
    Record().fill(0.0f);
    test::WindowDriver driver;
    driver.WaitFor(W).Click(W, ComputeEWL).Then("flow", TypeInto(W, EWLFlow, "250"));
    way.leave(driver);
    Options(driver);
    EXPECT_FALSE(rt::WindowExists(W));
    EXPECT_EQ(Record()[GasField::Flow], 250.0f);
    EXPECT_EQ(Record()[GasField::Case], 1.0f);
    EXPECT_EQ(Record()[GasField::Z], 1.0f);
  }
}

TEST_F(GasOptionsWindowTest, TheLabelGoesIntoTheChannelsSlotAndMenus) {
  test::WindowDriver driver;
  driver.WaitFor(W)
      .Check([] {
        EXPECT_EQ(rt::WindowTitle(W).str(), " Conversion Options, Channel 2:    '% O2 difference  ' ");
        EXPECT_EQ(FieldOf(W, Label), "% O2 difference");
      })
      .Then("label", TypeInto(W, Label, "VO2 (ml/min)"))
      .Click(W, GasOptionsControl::Done);
  Options(driver);
  EXPECT_EQ(StoredChannelLabel(2).str(), Padded("VO2 (ml/min)"));
  EXPECT_EQ(rt::GetMenuItem(120, 2).text, "ch. 2:  VO2 (ml/min)");
  EXPECT_EQ(rt::GetMenuItem(100, 2).text, "Ch. 2:  VO2 (ml/min)");
}

TEST_F(GasOptionsWindowTest, ChannelLabelsWindowOpensOverTheOptionsAndGoesOnReturn) {
  nChannels = 16;
  StoreChannelLabel(1, "flow (ml/min)");
  StoreChannelLabel(3, "% RH");
  StoreChannelLabel(8, "ambient pressure (kPa)");
  StoreChannelLabel(16, "event key");
  test::WindowDriver driver;
  driver.WaitFor(W)
      .Click(W, ShowLabels)
      .WaitFor(kChannelLabelsWindow)
      .Shot(kChannelLabelsWindow, Shot("w33-channel-labels.png"))
      .Key(kChannelLabelsWindow, Qt::Key_Return, "\r")
      .Then("labels gone", [] { return !rt::WindowExists(kChannelLabelsWindow); })
      .Check([] { EXPECT_TRUE(rt::WindowExists(W)) << "the options window stays"; })
      .Click(W, ShowLabels)
      .WaitFor(kChannelLabelsWindow)
      .Click(kChannelLabelsWindow, kChannelLabelsClose)
      .Then("labels gone", [] { return !rt::WindowExists(kChannelLabelsWindow); })
      .Click(W, ComputeVO2)
      .Click(W, GasOptionsControl::Done);
  Options(driver);
  EXPECT_EQ(Record()[GasField::Computation], 1.0f) << "clicks after the labels window still count";
  EXPECT_EQ(ChannelLabelLine(3).str(), " 3:  " + Padded("% RH"));
}

TEST_F(GasOptionsWindowTest, HelpOpensBesideTheWindowWhichStays) {
  test::WindowDriver driver;
  driver.WaitFor(W)
      .Click(W, Help)
      .Check([] {
        EXPECT_NE(rt::HelpPageShown().find("conversionOptions.html"), std::string::npos);
        EXPECT_TRUE(rt::WindowExists(W));
      })
      .Click(W, ComputeVCO2)
      .Click(W, GasOptionsControl::Done);
  Options(driver);
  rt::CloseHelpWindow();
  EXPECT_EQ(Record()[GasField::Computation], 2.0f);
}

TEST_F(GasOptionsWindowTest, ChannelsBeyondTheSetUpOpenNothing) {
  for (int16_t channel : {0, 4, 17}) {
    ConversionOptions(channel);
    EXPECT_FALSE(rt::WindowExists(W)) << channel;
  }
}

}  // namespace
}  // namespace mv
