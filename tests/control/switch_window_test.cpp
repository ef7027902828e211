// The switching set-up window and the sequential file identifiers window, driven from
// the event pump as a user would.
#include "control/switch_window.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "common/test_support.h"
#include "common/window_steps.h"
#include "control/sequence_labels.h"
#include "control/state.h"
#include "devices/state.h"
#include "kit/state.h"
#include "runtime/menus.h"
#include "runtime/sound.h"
#include "runtime/windows.h"
#include "setup/state.h"

namespace mv::test {
namespace {

constexpr int16_t W = 3;
constexpr int16_t kLabels = kSequenceLabelsWindow;

class SwitchWindowTest : public ProgramTest, public WindowSteps {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    setenv("MV_RESOURCES_DIR", SourcePath("resources").c_str(), 1);
    rt::SetSoundSink([this](const std::string& path) { sounds.push_back(SoundFileName(path)); });
    Sound_Is_On = 1;
    switch_window_hooks::ResetSwitchWindowHooks();
    switch_window_hooks::SWITCHTOREFERENCE = [this] { calls.push_back("reference"); };
    switch_window_hooks::EXTRAZERO = [this] { calls.push_back("zero links"); };
    // The plot colours live in acquisition, above this window.
    switch_window_hooks::COLORSELECT = [] {};
    rt::NewMenu(3, "View");
    for (int16_t i = 1; i <= 13; ++i) rt::SetMenuItem(3, i, "item");
    MaximumChans = 16;
    RecordingMODE = RecordingModeCode::Chart;
    ChartIntervalInSeconds = 1;
    External_AD = ExternalADCode::DT500;
    nChannels = 3;
    datalabel = "O2 analyser                   CO2 analyser                  flow                          ";
  }
  void TearDown() override {
    rt::SetPumpHook(nullptr);
    for (int16_t w : {W, kLabels})
      if (rt::WindowExists(w)) rt::CloseWindow(w);
    switch_window_hooks::ResetSwitchWindowHooks();
    unsetenv("MV_RESOURCES_DIR");
    ProgramTest::TearDown();
  }
  int Played(const std::string& name) const {
    int n = 0;
    for (const auto& s : sounds) n += s == name ? 1 : 0;
    return n;
  }
  static Step ExpectState(int16_t control, int16_t state) {
    return Do([control, state] {
      rt::SetOutputWindow(W);
      EXPECT_EQ(rt::ControlState(control), state) << "control " << control;
    });
  }
  std::vector<std::string> sounds;
  std::vector<std::string> calls;
};

TEST_F(SwitchWindowTest, ReferenceAtStartAndEndNeedsAnIntervalAboveZero) {
  Drive({Until(W), ExpectState(177, 1), Pick(W, 181, 4), Click(W, 1), Click(W, 12), Click(W, 33),
         Type(W, 340, "0"), Click(W, 178), ExpectState(177, 0), Do([] { EXPECT_EQ(SwitchingMode, 3); }),
         Return(W, 340), Do([this] { EXPECT_EQ(Played("bzot.mp3"), 1) << "the refusal buzz"; }),
         Type(W, 340, "1e40"), Return(W, 340), Type(W, 340, "2.5"), Click(W, 178), ExpectState(177, 1),
         Shot(W, "w3-switching-start-end.png"), Click(W, 177)});
  ExternalDeviceControl();
  EXPECT_TRUE(ScriptDone());
  EXPECT_FALSE(rt::WindowExists(W));
  EXPECT_EQ(Played("bzot.mp3"), 2);
  EXPECT_EQ(SwitchingMode, 3);
  EXPECT_FLOAT_EQ(refint, 2.5f);
  EXPECT_EQ(RefChan, 1);
  EXPECT_EQ(ChannelVariables[1][ChanField::Device], 2.0f);
  EXPECT_EQ(ChannelVariables[3][ChanField::Device], 3.0f);
  EXPECT_EQ(calls, (std::vector<std::string>{"reference"})) << "only the move to the reference on closing";
  EXPECT_EQ(FinishFlag, 0);
  EXPECT_TRUE(rt::MenuItemEnabled(3, 13));
}

TEST_F(SwitchWindowTest, SequentialFilesAskForTheDeviceLabelsOnClosing) {
  SwitchingMode = 3;
  refint = 4;
  RefChan = 2;
  ChannelVariables[1][ChanField::Device] = 1;
  zerolink[0] = 1;
  PrefsArray[PrefsSlot::DigitalOutputCoding] = 1;  // a word reaches positions 5 to 8
  Drive({Until(W),
         Pick(W, 181, 8),
         Do([] {
           EXPECT_EQ(SwitchingMode, 9);
           EXPECT_EQ(PrefsArray[PrefsSlot::Autorepeat], 1);
           EXPECT_EQ(ChannelVariables[1][ChanField::Device], 0.0f) << "the rows' devices are cleared";
         }),
         Click(W, 20),
         Click(W, 12),
         Click(W, 15),
         Click(W, 17),
         Click(W, 2),
         Type(W, 340, "10"),
         Click(W, 178),
         ExpectState(177, 1),
         Shot(W, "w3-switching-sequential.png"),
         Click(W, 177),
         Until(kLabels),
         Do([] {
           rt::SetOutputWindow(kLabels);
           EXPECT_EQ(rt::EditText(9), "#2: CO2 analyser                  ");
           EXPECT_EQ(rt::FocusedEditField(), 2);
         }),
         Type(kLabels, 5, "chamber five"),
         Shot(kLabels, "w7-sequence-labels.png"),
         Return(kLabels, 2),
         Do([] { EXPECT_EQ(rt::FocusedEditField(), 5); }),
         Click(kLabels, 1)});
  ExternalDeviceControl();
  EXPECT_TRUE(ScriptDone());
  EXPECT_FALSE(rt::WindowExists(kLabels));
  EXPECT_EQ(ChannelVariables[0][0], 2.0f);
  EXPECT_EQ(SwitchSequenceArray[1], 2);
  EXPECT_EQ(SwitchSequenceArray[2], 5);
  EXPECT_EQ(SwitchSequenceArray[3], 7);
  EXPECT_EQ(SwitchSequenceArray[4], 0);
  EXPECT_EQ(prefix.mid(81, 20).str(), "chamber five        ");
  EXPECT_EQ(prefix.mid(21, 20).str(), "device 2            ");
  EXPECT_EQ(prefix.mid(1, 20).str(), "device 1            ") << "a position not in use keeps its label";
  EXPECT_EQ(SequenceChecked, 1);
  EXPECT_EQ(zerolink[0], 0) << "the labels window switches zero links off";
  EXPECT_FLOAT_EQ(refint, 10.0f);
  EXPECT_EQ(calls, (std::vector<std::string>{"reference"}));
}

TEST_F(SwitchWindowTest, LeavingASequentialPatternClearsEveryDevice) {
  SwitchingMode = 10;
  RefChan = 1;
  RefChan2 = 6;
  PrefsArray[PrefsSlot::Autorepeat] = 1;
  for (int16_t r = 1; r <= 3; ++r) ChannelVariables[r][ChanField::Device] = 1;
  Drive({Until(W), Pick(W, 181, 3), Do([] {
           for (int16_t r = 1; r <= 16; ++r) EXPECT_EQ(ChannelVariables[r][ChanField::Device], 0.0f) << r;
           EXPECT_EQ(RefChan2, 0);
           EXPECT_EQ(PrefsArray[PrefsSlot::Autorepeat], 0);
           EXPECT_EQ(SwitchingMode, 1);
         }),
         ExpectState(177, 0), Click(W, 24), ExpectState(177, 1), Shot(W, "w3-switching-keyboard.png"),
         Click(W, 177)});
  ExternalDeviceControl();
  EXPECT_TRUE(ScriptDone());
  EXPECT_EQ(ChannelVariables[2][ChanField::Device], 4.0f);
}

TEST_F(SwitchWindowTest, TwoGroupsWithTheADC1DropAReferenceBeyondGroupOne) {
  External_AD = ExternalADCode::ADC1;
  SwitchingMode = 3;
  refint = 1;
  RefChan = 4;
  ChannelVariables[1][ChanField::Device] = 1;
  Drive({Until(W), Click(W, 176), Do([] {
           EXPECT_EQ(SwitchingMode, 4);
           EXPECT_EQ(nGroups, 2);
           EXPECT_EQ(RefChan, 0);
         }),
         ExpectState(177, 0), Click(W, 5), Click(W, 2), Click(W, 25), ExpectState(177, 1),
         Shot(W, "w3-switching-two-groups.png"), Click(W, 177)});
  ExternalDeviceControl();
  EXPECT_TRUE(ScriptDone());
  EXPECT_EQ(RefChan, 2);
  EXPECT_EQ(RefChan2, 5);
  EXPECT_EQ(calls, (std::vector<std::string>{"reference", "reference"}));
}

TEST_F(SwitchWindowTest, ScopePlusChartShowsTheShortListWithOneGroup) {
  RecordingMODE = RecordingModeCode::ScopeChart;
  SwitchingMode = 6;
  refint = 1;
  switchint = 1;
  RefChan = 1;
  RefChan2 = 5;
  ChannelVariables[2][ChanField::Device] = 2;
  zerolink[0] = 1;
  Drive({Until(W), Do([] {
           rt::SetOutputWindow(W);
           EXPECT_EQ(rt::ControlValue(180), 4);
           EXPECT_FALSE(rt::ControlExists(181));
           EXPECT_EQ(SwitchingMode, 3);
           EXPECT_EQ(nGroups, 0);
         }),
         ExpectState(176, 0), ExpectState(179, 0), Click(W, 177)});
  ExternalDeviceControl();
  EXPECT_TRUE(ScriptDone());
  EXPECT_EQ(SwitchingMode, 3);
  // The dimmed box shows zero links off, so they are off: no link window opens.
  EXPECT_EQ(zerolink[0], 0);
  EXPECT_EQ(calls, (std::vector<std::string>{"reference"}));
}

// "Extra Zero Links" holds what it shows: dimmed (any pattern but the periodic ones) it
// is off, so "Setup OK" never opens the zero-link window for a box the user saw dimmed
// and unchecked.
TEST_F(SwitchWindowTest, ADimmedZeroLinkBoxIsOffAndOpensNoLinkWindow) {
  RecordingMODE = RecordingModeCode::Chart;
  ChartIntervalInSeconds = 1;
  SwitchingMode = 0;
  refint = 1;
  switchint = 1;
  RefChan = 1;
  ChannelVariables[1][ChanField::Device] = 2;
  zerolink[0] = 1;  // kept from an earlier set-up
  Drive({Until(W), ExpectState(179, 0), Do([] { EXPECT_EQ(zerolink[0], 0) << "dimmed at opening: off"; }),
         Pick(W, 181, 5), ExpectState(179, 1), Click(W, 179), ExpectState(179, 2),
         Do([] { EXPECT_EQ(zerolink[0], 1); }), Shot(W, "w3-switching-zero-links.png"), Pick(W, 181, 4),
         ExpectState(179, 0), Do([] { EXPECT_EQ(zerolink[0], 0) << "dimmed by the pattern: off"; }),
         Click(W, 177)});
  ExternalDeviceControl();
  EXPECT_TRUE(ScriptDone());
  EXPECT_EQ(SwitchingMode, 3);
  EXPECT_EQ(calls, (std::vector<std::string>{"reference"}));
}

TEST_F(SwitchWindowTest, ReturnLeavesAnIncompleteSetupOpen) {
  // Pattern 3 with devices but no reference device: "Setup OK" is dimmed, and Return
  // must not finish what the button cannot.
  SwitchingMode = 3;
  refint = 2;
  RefChan = 0;
  ChannelVariables[1][ChanField::Device] = 2;
  Drive({Until(W), ExpectState(177, 0), Return(W, 340), Do([] { EXPECT_TRUE(rt::WindowExists(W)); }),
         Click(W, 3), ExpectState(177, 1), Return(W, 340)});
  ExternalDeviceControl();
  EXPECT_TRUE(ScriptDone());
  EXPECT_FALSE(rt::WindowExists(W)) << "a complete set-up finishes on Return";
  EXPECT_EQ(RefChan, 3);
  EXPECT_EQ(Played("bzot.mp3"), 1) << "the refused Return buzzes";
}

TEST_F(SwitchWindowTest, WordCodingKeepsTheSecondGroupOff) {
  // A three-bit word names one device at a time: two groups are never on offer with it,
  // whichever pattern is chosen, and a saved two-group pattern opens as its partner.
  PrefsArray[PrefsSlot::DigitalOutputCoding] = 1;
  SwitchingMode = 6;
  refint = 1;
  switchint = 2;
  RefChan = 1;
  RefChan2 = 5;
  ChannelVariables[1][ChanField::Device] = 2;
  Drive({Until(W), ExpectState(176, 0), Do([] {
           EXPECT_EQ(SwitchingMode, 5);
           EXPECT_EQ(nGroups, 0);
         }),
         // One line per device on this DT500 gives group 2 no lines either.
         Pick(W, 181, 4), ExpectState(176, 0), Pick(W, 181, 3), ExpectState(176, 0), Click(W, 174),
         ExpectState(176, 0), Click(W, 175), ExpectState(176, 0), Pick(W, 181, 6), ExpectState(176, 0),
         Do([] { EXPECT_NE(nGroups, 2); }), Click(W, 177)});
  ExternalDeviceControl();
  EXPECT_TRUE(ScriptDone());
  EXPECT_NE(nGroups, 2);
}

TEST_F(SwitchWindowTest, OneLinePerDeviceOnTheDT500OffersFourDevices) {
  PrefsArray[PrefsSlot::DigitalOutputCoding] = 0;
  SwitchingMode = 3;
  refint = 1;
  RefChan = 1;
  Drive({Until(W), Do([] {
           rt::SetOutputWindow(W);
           for (int16_t k = 1; k <= 4; ++k) {
             EXPECT_TRUE(rt::ControlExists(static_cast<int16_t>(10 + k))) << "device " << k;
             EXPECT_TRUE(rt::ControlExists(k)) << "reference " << k;
           }
           for (int16_t k = 5; k <= 8; ++k) {
             EXPECT_FALSE(rt::ControlExists(static_cast<int16_t>(10 + k))) << "device " << k;
             EXPECT_FALSE(rt::ControlExists(k)) << "reference " << k;
           }
         }),
         Click(W, 175), Do([] {
           rt::SetOutputWindow(W);
           EXPECT_TRUE(rt::ControlExists(8)) << "a word reaches device 8";
         }),
         Click(W, 174), Click(W, 12), Click(W, 177)});
  ExternalDeviceControl();
  EXPECT_TRUE(ScriptDone());
}

TEST_F(SwitchWindowTest, PatternsOnEachInterfaceLookRight) {
  struct Row {
    int16_t iface;
    const char* name;
    std::vector<int16_t> patterns;
  };
  // A DT500 wired one line per device has devices 1 to 4 only: no second group.
  const Row ifaces[] = {{ExternalADCode::SableUI2, "sable", {0, 3, 5, 6, 9, 10}},
                        {ExternalADCode::DT500, "dt500", {0, 3, 5, 9, 10}},
                        {ExternalADCode::ADC1, "adc1", {0, 3, 5, 6, 9, 10}}};
  for (const Row& row : ifaces) {
    for (int16_t pattern : row.patterns) {
      External_AD = row.iface;
      PrefsArray[PrefsSlot::DigitalOutputCoding] = 0;
      SwitchingMode = pattern;
      nGroups = pattern == 6 ? 2 : 0;
      refint = 1;
      switchint = 2;
      RefChan = 1;
      RefChan2 = pattern == 6 ? 5 : 0;
      for (int16_t r = 1; r <= 16; ++r) ChannelVariables[r][ChanField::Device] = 0;
      if (pattern == 9 || pattern == 10) {
        ChannelVariables[0][0] = 2;
        ChannelVariables[2][ChanField::Device] = 1;
        ChannelVariables[3][ChanField::Device] = 1;
      } else if (pattern != 0) {
        ChannelVariables[1][ChanField::Device] = 2;
        ChannelVariables[2][ChanField::Device] = pattern == 6 ? 6 : 3;
      }
      const std::string shot =
          std::string("w3-switching-") + row.name + "-pattern-" + std::to_string(pattern) + ".png";
      std::vector<Step> steps{Until(W), ExpectState(177, 1), Shot(W, shot), Click(W, 177)};
      if (pattern == SwitchingPatternCode::SequentialFiles) {
        steps.push_back(Until(kLabels));
        steps.push_back(Click(kLabels, 1));
      }
      Drive(steps);
      ExternalDeviceControl();
      EXPECT_TRUE(ScriptDone()) << shot;
      EXPECT_FALSE(rt::WindowExists(W)) << shot;
    }
  }
}

// The demonstration's three-bit word drives one device group, so a two-group pattern
// kept from before opens as its one-group partner rather than as an even pattern whose
// second group is never switched.
TEST_F(SwitchWindowTest, DemonstrationWithTheWordOpensATwoGroupPatternAsItsPartner) {
  External_AD = ExternalADCode::Demonstration;
  PrefsArray[PrefsSlot::DigitalOutputCoding] = 1;
  for (const auto& [pattern, partner] :
       {std::pair{6, 5}, std::pair{4, 3}, std::pair{8, 7}, std::pair{2, 1}}) {
    SwitchingMode = static_cast<int16_t>(pattern);
    nGroups = 2;
    refint = 1;
    switchint = 1;
    RefChan = 1;
    RefChan2 = 5;
    ChannelVariables[2][ChanField::Device] = 2;
    Drive({Until(W), Do([partner] {
             rt::SetOutputWindow(W);
             EXPECT_EQ(SwitchingMode, partner);
             EXPECT_EQ(nGroups, 0);
             EXPECT_EQ(rt::ControlValue(181), PatternListEntry(static_cast<int16_t>(partner), false));
           }),
           ExpectState(176, 0), ExpectState(177, 1), Shot(W, "w3-demo-word.png"), Click(W, 177)});
    ExternalDeviceControl();
    EXPECT_TRUE(ScriptDone());
    EXPECT_EQ(SwitchingMode, partner) << "from " << pattern;
    EXPECT_EQ(nGroups, 0);
  }
}

// "Use Two Device Groups" is offered only where the coding gives group 2 lines of its
// own: never with a word (the ADAM's always is one), never on a DT500 or DT50 wired one
// line per device (lines 1 to 4), always on the ADC-1. A two-group set-up opened without
// such lines opens as its one-group partner; the box comes back with a coding that has
// them, and ticking it gives two groups again.
TEST_F(SwitchWindowTest, TwoGroupsAreOfferedOnlyWhereGroupTwoHasLines) {
  namespace I = ExternalADCode;
  struct Case {
    int16_t iface;
    bool groups[2];  // group 2 has lines: one line per device, three-bit word
  };
  const Case cases[] = {{I::Demonstration, {true, false}}, {I::SableUI2, {true, false}},
                        {I::SableUI3, {true, false}},      {I::DT500, {false, false}},
                        {I::DT50, {false, false}},         {I::DT800, {true, false}},
                        {I::DT80, {true, false}},          {I::DT85, {true, false}},
                        {I::ADAM, {false, false}},         {I::ADC1, {true, true}}};
  for (const Case& c : cases) {
    for (const int16_t coding : {0, 1}) {
      const std::string name = "interface " + std::to_string(c.iface) + " coding " + std::to_string(coding);
      const bool adc1 = c.iface == I::ADC1, offered = c.groups[coding], other = c.groups[1 - coding];
      External_AD = c.iface;
      PrefsArray[PrefsSlot::DigitalOutputCoding] = coding;
      SwitchingMode = 6;
      nGroups = 2;
      refint = switchint = 1;
      RefChan = 1;
      RefChan2 = adc1 ? 4 : 5;
      ChannelVariables[1][ChanField::Device] = 2;
      ChannelVariables[2][ChanField::Device] = adc1 ? 5 : 6;
      const auto expect = [name](bool groups, int16_t pattern) {
        return Do([=] {
          rt::SetOutputWindow(W);
          EXPECT_EQ(rt::ControlState(176) != 0, groups) << name;
          EXPECT_EQ(nGroups == 2, groups && pattern == 6) << name;
          EXPECT_EQ(SwitchingMode, pattern) << name;
        });
      };
      std::vector<Step> steps{Until(W), expect(offered, offered ? 6 : 5)};
      if (c.iface == I::DT500 && coding == 0) steps.push_back(Shot(W, "w3-switching-dt500-one-group.png"));
      if (!adc1 && c.iface != I::ADAM) {
        // The other coding, then back: the box follows each; ticked, two groups again.
        const int16_t to = coding == 0 ? 175 : 174, back = coding == 0 ? 174 : 175;
        steps.insert(steps.end(), {Click(W, to), expect(other, 5), Click(W, back), expect(offered, 5)});
      }
      if (offered && !adc1) steps.insert(steps.end(), {Click(W, 176), expect(true, 6)});
      steps.push_back(Do([] { rt::CloseWindow(W); }));
      Drive(steps);
      ExternalDeviceControl();
      EXPECT_TRUE(ScriptDone()) << name;
    }
  }
}

// The line the window shows under the rows, empty when it shows none.
std::string RefusalLine() {
  rt::SetOutputWindow(W);
  return rt::EditFieldExists(760) ? rt::EditText(760) : std::string();
}

// A DT500 wired one line per device has lines 1 to 4. Choosing that coding inside the
// window lays the rows out again with those devices only, and a device kept from the
// word coding is refused at "Setup OK" with a line that says why.
TEST_F(SwitchWindowTest, ChoosingOneLinePerDeviceOnADT500OffersItsFourLinesOnly) {
  PrefsArray[PrefsSlot::DigitalOutputCoding] = 1;
  SwitchingMode = 3;
  refint = 1;
  RefChan = 7;
  ChannelVariables[1][ChanField::Device] = 6;
  ChannelVariables[2][ChanField::Device] = 2;
  const auto offered = [](int16_t first) {
    rt::SetOutputWindow(W);
    std::string on;
    for (int16_t k = 1; k <= 8; ++k) on += rt::ControlExists(static_cast<int16_t>(first + k)) ? '1' : '.';
    return on;
  };
  Drive({Until(W), Do([&] {
           EXPECT_EQ(offered(10), "11111111") << "a word reaches eight devices";
           EXPECT_EQ(RefusalLine(), "");
         }),
         Click(W, 174), Do([&] {
           for (int16_t row : {10, 20, 30}) EXPECT_EQ(offered(row), "1111....") << "row " << row / 10;
           EXPECT_EQ(offered(0), "1111....") << "reference buttons";
           EXPECT_EQ(RefusalLine(),
                     "Reference device 7: one line per device on the DT500 reaches devices 1 to 4 only.");
         }),
         ExpectState(177, 1), Click(W, 177), Do([this] {
           EXPECT_TRUE(rt::WindowExists(W)) << "refused";
           EXPECT_EQ(Played("bzot.mp3"), 1);
         }),
         Click(W, 1), Do([] {
           EXPECT_EQ(
               RefusalLine(),
               "Channel 1 uses device 6: one line per device on the DT500 reaches devices 1 to 4 only.");
         }),
         Shot(W, "w3-switching-dt500-one-line.png"), Return(W, 340),
         Do([] { EXPECT_TRUE(rt::WindowExists(W)); }), Click(W, 12), Do([] { EXPECT_EQ(RefusalLine(), ""); }),
         Click(W, 177)});
  ExternalDeviceControl();
  EXPECT_TRUE(ScriptDone());
  EXPECT_FALSE(rt::WindowExists(W));
  EXPECT_EQ(PrefsArray[PrefsSlot::DigitalOutputCoding], 0);
  EXPECT_EQ(RefChan, 1);
  EXPECT_EQ(ChannelVariables[1][ChanField::Device], 2.0f);
  EXPECT_EQ(Played("bzot.mp3"), 2) << "Setup OK and Return each refused";
}

// The ADC-1 switches six devices with any coding preference: six reference buttons,
// and a reference device 7 kept in a set-up file is refused rather than switching
// every valve off at each reference.
TEST_F(SwitchWindowTest, TheADC1OffersSixReferenceDevicesWhateverTheCoding) {
  External_AD = ExternalADCode::ADC1;
  PrefsArray[PrefsSlot::DigitalOutputCoding] = 1;
  SwitchingMode = 3;
  refint = 1;
  RefChan = 7;
  ChannelVariables[1][ChanField::Device] = 2;
  Drive({Until(W), Do([] {
           rt::SetOutputWindow(W);
           for (int16_t k = 1; k <= 8; ++k) EXPECT_EQ(rt::ControlExists(k), k <= 6) << "reference " << k;
           EXPECT_EQ(RefusalLine(), "Reference device 7: the ADC-1 switches devices 1 to 6 only.");
         }),
         Click(W, 177), Do([] { EXPECT_TRUE(rt::WindowExists(W)); }), Click(W, 6),
         Do([] { EXPECT_EQ(RefusalLine(), ""); }), Shot(W, "w3-switching-adc1-references.png"),
         Click(W, 177)});
  ExternalDeviceControl();
  EXPECT_TRUE(ScriptDone());
  EXPECT_EQ(RefChan, 6);
}

// The reference prompt says how many reference devices the pattern in force needs,
// also after the window moved the pattern as it opened or after a one-group pattern
// was chosen in place of a two-group one.
TEST_F(SwitchWindowTest, TheReferencePromptFollowsThePatternInForce) {
  const std::string one = "  Select 1 reference device:", two = "  Select 2 reference devices:";
  struct Case {
    const char* name;
    int16_t coding, mode;
    std::vector<Step> steps;
    const std::string& prompt;
  };
  const Case cases[] = {
      {"opened with the word", 1, RecordingModeCode::Chart, {}, one},
      {"opened in scope-plus-chart mode", 0, RecordingModeCode::ScopeChart, {}, one},
      {"switching off", 0, RecordingModeCode::Chart, {Pick(W, 181, 1)}, one},
      {"sequential devices", 0, RecordingModeCode::Chart, {Pick(W, 181, 10)}, one},
      {"keyboard switching", 0, RecordingModeCode::Chart, {Pick(W, 181, 3)}, two},
  };
  for (const Case& c : cases) {
    External_AD = ExternalADCode::SableUI3;
    PrefsArray[PrefsSlot::DigitalOutputCoding] = c.coding;
    RecordingMODE = c.mode;
    SwitchingMode = 6;
    nGroups = 2;
    refint = switchint = 1;
    RefChan = 1;
    RefChan2 = 5;
    ChannelVariables[1][ChanField::Device] = 2;
    ChannelVariables[2][ChanField::Device] = 6;
    std::vector<Step> steps{Until(W)};
    steps.insert(steps.end(), c.steps.begin(), c.steps.end());
    steps.push_back(Do([&c] {
      rt::SetOutputWindow(W);
      EXPECT_EQ(rt::EditText(303), c.prompt) << c.name;
      rt::CloseWindow(W);
    }));
    Drive(steps);
    ExternalDeviceControl();
    EXPECT_TRUE(ScriptDone()) << c.name;
  }
}

// With two groups the gate names the group that no channel uses (its device never goes
// out) until a channel takes one of its devices.
TEST_F(SwitchWindowTest, TheGateNamesTheGroupThatHasNoChannel) {
  External_AD = ExternalADCode::SableUI3;
  PrefsArray[PrefsSlot::DigitalOutputCoding] = 0;
  SwitchingMode = 6;
  nGroups = 2;
  refint = switchint = 1;
  RefChan = 1;
  RefChan2 = 5;
  ChannelVariables[1][ChanField::Device] = 2;
  ChannelVariables[2][ChanField::Device] = 3;
  Drive({Until(W), ExpectState(177, 1), Do([] {
           EXPECT_EQ(RefusalLine(),
                     "Group 2 (devices 5 to 8) has no channel: only group 1's device goes out in a sample.");
         }),
         Shot(W, "w3-switching-group-without-channel.png"), Click(W, 26), ExpectState(177, 1),
         Do([] { EXPECT_EQ(RefusalLine(), ""); }), Click(W, 177)});
  ExternalDeviceControl();
  EXPECT_TRUE(ScriptDone());
  EXPECT_EQ(ChannelVariables[2][ChanField::Device], 6.0f);
}

// The ADAM takes the device as a word whatever the coding: it is shown, not offered.
TEST_F(SwitchWindowTest, TheAdamShowsItsOneCodingWithoutRadios) {
  External_AD = ExternalADCode::ADAM;
  PrefsArray[PrefsSlot::DigitalOutputCoding] = 0;
  SwitchingMode = 1;
  RefChan = 1;
  ChannelVariables[1][ChanField::Device] = 2;
  Drive({Until(W), Do([] {
           rt::SetOutputWindow(W);
           EXPECT_FALSE(rt::ControlExists(174));
           EXPECT_FALSE(rt::ControlExists(175));
         }),
         Shot(W, "w3-switching-adam.png"), Click(W, 177)});
  ExternalDeviceControl();
  EXPECT_TRUE(ScriptDone());
}

// A pattern choice that turns Automatic Repeat off says so; one that leaves it does not.
TEST_F(SwitchWindowTest, TurningAutomaticRepeatOffIsSaid) {
  const std::string off = "Automatic Repeat is now off: the recording stops after its first period.";
  const struct {
    int16_t from;
    int16_t entry;  // of the full list
    int16_t repeat;
    int16_t repeatAfter;
    bool said;
  } rows[] = {
      {3, 10, 1, 0, true},   // Sequential Devices after a per-channel pattern
      {3, 10, 0, 0, false},  // it was off already
      {9, 5, 1, 0, true},    // a per-channel pattern after a sequential one
      {9, 10, 1, 1, false},  // between the two sequential patterns it stays
  };
  for (const auto& row : rows) {
    SwitchingMode = row.from;
    PrefsArray[PrefsSlot::Autorepeat] = row.repeat;
    refint = switchint = 1;
    RefChan = 1;
    ChannelVariables[1][ChanField::Device] = 1;
    const std::string name = std::to_string(row.from) + " to entry " + std::to_string(row.entry);
    Drive({Until(W), Pick(W, 181, row.entry), Do([&] {
             EXPECT_EQ(PrefsArray[PrefsSlot::Autorepeat], row.repeatAfter) << name;
             EXPECT_EQ(RefusalLine().find(off) != std::string::npos, row.said)
                 << name << ": " << RefusalLine();
           }),
           Do([] { rt::CloseWindow(W); })});
    ExternalDeviceControl();
    EXPECT_TRUE(ScriptDone()) << name;
  }
}

}  // namespace
}  // namespace mv::test
