// The zero-link window and the switch marker and zero options window, driven as a user
// would, and the link rules.
#include "control/zero_link_window.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "common/test_support.h"
#include "common/window_steps.h"
#include "control/state.h"
#include "control/switch_options_window.h"
#include "kit/protocol.h"
#include "kit/state.h"
#include "runtime/menus.h"
#include "runtime/sound.h"
#include "runtime/windows.h"
#include "setup/state.h"

namespace mv::test {
namespace {

constexpr int16_t W = kZeroLinkWindow;

class ZeroLinkWindowTest : public ProgramTest, public WindowSteps {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    setenv("MV_RESOURCES_DIR", SourcePath("resources").c_str(), 1);
    rt::SetSoundSink([this](const std::string& path) { sounds.push_back(SoundFileName(path)); });
    MaximumChans = 16;
    nChannels = 3;
    datalabel = "O2 analyser                   CO2 analyser                  flow                          ";
    for (int16_t ch = 1; ch <= 3; ++ch) ChannelVariables[ch][ChanField::Input] = static_cast<float>(ch + 1);
    ChannelVariables[1][ChanField::Device] = 1;
    ChannelVariables[2][ChanField::Device] = 2;
    zerolink[0] = 1;
  }
  void TearDown() override {
    rt::SetPumpHook(nullptr);
    for (int16_t w : {kZeroLinkWindow, kSwitchOptionsWindow})
      if (rt::WindowExists(w)) rt::CloseWindow(w);
    unsetenv("MV_RESOURCES_DIR");
    ProgramTest::TearDown();
  }
  std::vector<std::string> sounds;
};

TEST(ZeroLinkRules, ButtonNumbersNameTheirRowAndChannel) {
  EXPECT_EQ(ZeroLinkButton(1, 3), 19);
  const LinkPair a = LinkButtonPair(19);
  EXPECT_EQ(a.row, 1);
  EXPECT_EQ(a.channel, 3);
  const LinkPair b = LinkButtonPair(32);  // channel 16 in row 1
  EXPECT_EQ(b.row, 1);
  EXPECT_EQ(b.channel, 16);
  const LinkPair c = LinkButtonPair(272);
  EXPECT_EQ(c.row, 16);
  EXPECT_EQ(c.channel, 16);
}

TEST(ZeroLinkRules, ASecondClickRemovesTheLinkAndClearAllKeepsTheSwitch) {
  ZeroLinkTable links{};
  links[0] = 1;
  EXPECT_EQ(ToggleZeroLink(links, 1, 3), 0);
  EXPECT_EQ(links[4], 3);
  EXPECT_EQ(ToggleZeroLink(links, 1, 3), 3);
  EXPECT_EQ(links[4], 0);
  ToggleZeroLink(links, 1, 2);
  EXPECT_EQ(ToggleZeroLink(links, 1, 3), 2) << "a new channel replaces the old link";
  EXPECT_EQ(links[4], 3);
  links[5] = 7;
  ClearZeroLinks(links);
  for (int w = 1; w < kZeroLinkWords; ++w)
    if (w % 3 != 0) {
      EXPECT_EQ(links[static_cast<std::size_t>(w)], 0) << w;
    }
  EXPECT_EQ(links[0], 1);
}

TEST_F(ZeroLinkWindowTest, RowTextsCarryTheInputAndTheDeviceWithTheirLeadingBlanks) {
  EXPECT_EQ(ZeroLinkRowText(2).str(), "2, 3, 2: CO2 analyser                  ");
  EXPECT_EQ(ZeroLinkRowText(3).str(), "3, 4, 0: flow                          ");
}

TEST_F(ZeroLinkWindowTest, LinksAreSetByClickingAndTheBackLinksRebuiltOnClosing) {
  zerolink[10] = 1;  // unswitched channel 3 keeps the link it had
  Drive({Until(W), Do([] {
           EXPECT_EQ(rt::ControlState(ZeroLinkButton(1, 1)), 0) << "no link to itself";
           EXPECT_FALSE(rt::ControlExists(ZeroLinkButton(3, 1))) << "an unswitched channel has no buttons";
         }),
         Click(W, ZeroLinkButton(1, 3)), Click(W, ZeroLinkButton(1, 3)),
         Do([] { EXPECT_EQ(rt::ControlState(ZeroLinkButton(1, 3)), 1); }), Click(W, ZeroLinkButton(1, 2)),
         Click(W, ZeroLinkButton(1, 3)), Click(W, ZeroLinkButton(2, 3)), Do([] {
           EXPECT_EQ(rt::ControlState(ZeroLinkButton(1, 2)), 1);
           EXPECT_EQ(rt::ControlState(ZeroLinkButton(1, 3)), 2);
         }),
         Shot(W, "w5-zero-links.png"), Click(W, kZeroLinkOK)});
  EXTRAZERO();
  EXPECT_TRUE(ScriptDone());
  EXPECT_FALSE(rt::WindowExists(W));
  EXPECT_EQ(zerolink[4], 3);
  EXPECT_EQ(zerolink[7], 3);
  EXPECT_EQ(zerolink[11], 2) << "two channels link to 3: the higher one is kept";
  EXPECT_EQ(zerolink[10], 1);
  EXPECT_EQ(zerolink[5], 3);
  EXPECT_EQ(zerolink[0], 1);
}

TEST_F(ZeroLinkWindowTest, ClearAllRemovesEveryLinkAndTheMenuCommandSwitchesTheMenusBackOn) {
  for (int16_t m = 1; m <= 6; ++m) rt::NewMenu(m, "menu");
  Sound_Is_On = 1;
  zerolink[4] = 2;
  zerolink[10] = 1;
  RebuildZeroBackLinks();
  Drive({Until(W), Do([] { EXPECT_FALSE(rt::MenuItemEnabled(1, 0)); }), Click(W, kZeroLinkClearAll),
         Do([] { EXPECT_EQ(rt::ControlState(ZeroLinkButton(1, 2)), 1); }), CloseBox(W)},
        [] { rt::CloseWindow(W); });
  ExtraZeroLinkagesCommand();
  EXPECT_TRUE(rt::MenuItemEnabled(1, 0));
  for (int w = 1; w < kZeroLinkWords; ++w)
    if (w % 3 != 0) {
      EXPECT_EQ(zerolink[static_cast<std::size_t>(w)], 0) << w;
    }
  EXPECT_EQ(zerolink[0], 1);
  EXPECT_EQ(sounds, std::vector<std::string>{"rip.mp3"});
}

TEST_F(ZeroLinkWindowTest, TheLinkButtonsOfRowTwelveAreNotTakenForTheBottomButtons) {
  nChannels = 12;
  ChannelVariables[12][ChanField::Device] = 3;
  Drive({Until(W), Click(W, ZeroLinkButton(12, 9)), Click(W, ZeroLinkButton(12, 10)),
         Click(W, ZeroLinkButton(12, 11)), Do([] { EXPECT_TRUE(rt::WindowExists(W)); }),
         Shot(W, "w5-zero-links-12.png"), Click(W, kZeroLinkOK)},
        [] { rt::CloseWindow(W); });
  EXTRAZERO();
  EXPECT_EQ(zerolink[37], 11);
  EXPECT_EQ(zerolink[35], 12);
}

TEST_F(ZeroLinkWindowTest, TheWindowIsSmallerWhenTwelveChannelsAreAllowed) {
  MaximumChans = 12;
  Drive({Until(W), Do([] {
           const Rect r = rt::WindowContentRect(W);
           EXPECT_EQ(r.right - r.left, 643);
           EXPECT_EQ(r.bottom - r.top, 295);
         }),
         Click(W, kZeroLinkOK)});
  EXTRAZERO();
  EXPECT_TRUE(ScriptDone());
}

// ---- switch marker and zero options ------------------------------------------------------------

TEST_F(ZeroLinkWindowTest, TheMarkerChoiceActsAtOnceAndTheZeroValueWhenTheWindowEnds) {
  constexpr int16_t S = kSwitchOptionsWindow;
  using namespace SwitchOptionsItem;
  InstallDialogHandlers();  // the switching window's handlers
  Drive({Until(S), Do([] {
           EXPECT_EQ(rt::ControlState(LetterMarkers), 2);
           EXPECT_EQ(TextOf(S, ZeroValue), " 0");
         }),
         Click(S, DeviceNumberMarkers), Type(S, ZeroValue, "-99999"), Do([] {
           EXPECT_EQ(ShowSwitchDeviceAsMarker, 1);
           EXPECT_EQ(rt::ControlState(LetterMarkers), 1);
           EXPECT_EQ(DeviceSwitchZeroValue, 0.0f);
         }),
         Shot(S, "w111-switch-options.png"), Click(S, Done)});
  SetSwitchOptions();
  EXPECT_TRUE(ScriptDone());
  EXPECT_FALSE(rt::WindowExists(S));
  EXPECT_EQ(DeviceSwitchZeroValue, -99999.0f);
  Drive({Until(S), Click(S, LetterMarkers), Type(S, ZeroValue, "none"), CloseBox(S)});
  SetSwitchOptions();
  EXPECT_EQ(ShowSwitchDeviceAsMarker, 0);
  EXPECT_EQ(DeviceSwitchZeroValue, 0.0f) << "text that is no number reads as 0";
}

}  // namespace
}  // namespace mv::test
