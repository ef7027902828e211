// Whole-program switching runs against simulated instruments, each reaching its switching
// by another road than the switching window alone: the coding set in the Preferences, a
// set-up file opened under preferences that cannot switch its two groups, an interface
// chosen after the file that cannot switch them, a group no channel uses, a digit key
// pressed while the reference is on, a set-up whose device the interface cannot reach
// (refused at "Setup OK", or met in a run started again after the Preferences changed the
// coding), "+" and "-" with the device number as the switch marker, and a zero link whose
// primary reads exactly 0 V. Every switching
// command the simulator received is compared with the lines that may open, and the saved
// file with them: in each sample the switched channels stored as read are exactly the
// channels of the devices switched on (all of them while the reference is on, none while
// a reference left every valve shut), every other switched channel holds the zero value.
// The recording runs on the virtual clock (the instrument answers in real time).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <regex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "acquisition/chart_loop.h"
#include "acquisition/state.h"
#include "common/stored_times.h"
#include "control/state.h"
#include "drive/keyboard.h"
#include "drive/script.h"
#include "e2e/program_run_fixture.h"
#include "e2e/simulated_run_fixture.h"
#include "e2e/switching_commands.h"
#include "files/needs.h"
#include "files/prefs_file.h"
#include "files/setup_file.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "setup/state.h"
#include "shell/control_loop.h"
#include "shell/main_body.h"
#include "sim/sim.h"

namespace mv {
namespace {

namespace fs = std::filesystem;
using namespace test::switching;

// A key pressed at a sample and let go `held` samples later: a digit with Alt, '+' (the
// = key) or '-' alone, through the keyboard as the window system delivers it (its
// auto-repeat after half a second included). The runs that press keys sample every 15
// ticks: held three samples, a key stays down 0.75 s, past the key throttle.
struct KeyAt {
  int32_t sample;
  char key;
  int32_t held = 1;
};

struct RoadRun {
  const char* name;
  sim::Kind kind;
  int16_t code;             // the interface's item in the device window's popup
  bool linePerDevice;       // the preferences file holds one line per device (else the word)
  int16_t pattern;          // as the set-up file holds it
  float refint, switchint;  // minutes
  int16_t refChan, refChan2;
  std::vector<float> devices;  // of channels 1, 2, ... (0: not switched)
  int chartTicks, samples;
  // What the user does in the set-up window (104) before starting the run ("%" stands
  // for a screenshot's path), and a text the program must have shown meanwhile.
  std::string beforeRun;
  const char* shown;
  std::vector<KeyAt> keys;
  std::vector<std::string> (*decode)(const std::string&);
  std::vector<std::string> commands;  // every switching command received, in order
  // The file's samples, run by run: "R" while every switched channel is read, else the
  // devices whose channels are read ("2", "2+6").
  std::vector<std::string> stored;
  int16_t patternAfter;
  bool noGaps;                    // no switch may hold the schedule back
  std::vector<int> notUsed = {};  // channels the user set "not used" before the run
  // What the user does in the options window (112) after the first run was saved, ending
  // with a second run started from there ("%" a screenshot's path): the file then checked
  // is the second run's.
  std::string afterSave = "";
  // The set-up file asks for a marker at each switch that shows the device number, and
  // the markers the file must hold, in order.
  bool deviceMarkers = false;
  std::vector<char> markers = {};
  // Further texts the program must have shown (a window's listing: "5 radio ... marked").
  std::vector<std::string> alsoShown = {};
  // A channel zero-linked to channel 1, whose input reads exactly 0 V (0: none).
  int zeroLinked = 0;
};

void PrintTo(const RoadRun& run, std::ostream* out) {
  *out << run.name;
}

const char* const kPrefsToWord =
    "menu 2 21\nuntil 13\npick 13 500 2\nclick 13 17\nlist 13\nshot 13 %\nclick 13 220\ngone 13\n";
const char* const kWindowToTwoGroups =
    "click 104 209\nuntil 3\nclick 3 174\nclick 3 176\nclick 3 177\ngone 3\n";
// The Preferences' coding radios: one line per device, and the word.
const char* const kPrefsToOneLine =
    "menu 2 21\nuntil 13\npick 13 500 2\nclick 13 16\nlist 13\nshot 13 %\nclick 13 220\ngone 13\n";
const char* const kPrefsToTheWord =
    "menu 2 21\nuntil 13\npick 13 500 2\nclick 13 17\nclick 13 220\ngone 13\n";
// "Setup OK" refused: the set-up window stays, and says why.
const char* const kRefusedStart = "list 104\nshot 104 %\nclick 104 203\nwait 0.2\nlist 104\n";
// "Setup OK" refused, then Device Control opened with the listing of its buttons, a
// reference button clicked and the window closed.
std::string RefusedThenReference(int device) {
  return std::string(kRefusedStart) + "click 104 209\nuntil 3\nlist 3\nclick 3 " + std::to_string(device) +
         "\nclick 3 177\ngone 3\n";
}
// Restart from the options window, and the second run to its end.
const char* const kRestart = "click 112 1\ngone 112\nuntil 112 120\n";

// Periodic references over devices 2, 3, 6 and 7 under the word: reference 1 (word 0),
// then each device's word alone, and its channel alone in the file.
const std::vector<std::string> kWordCycle = {SableWord(2), SableWord(1), SableWord(3),
                                             SableWord(1), SableWord(6), SableWord(1),
                                             SableWord(7), SableWord(1), SableWord(2)};
const std::vector<std::string> kWordCycleStored = {"R", "2", "R", "3", "R", "6", "R", "7", "R", "2"};

std::vector<std::string> Join(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// clang-format off
const RoadRun kRuns[] = {
    // A UI3 set up with two groups in one line per device (pattern 6, references 1 and 5);
    // the word is then chosen in the Preferences: the pattern moves to its one-group
    // partner there, and a line says so. Group 2 is never left unswitched while stored.
    {"UI3WordChosenInPreferences", sim::Kind::UI3, 2, false, 6, 0.5f, 1.0f, 1, 5, {2, 3, 6, 7}, 120, 210,
     std::string(kWindowToTwoGroups) + kPrefsToWord, "The word switches one device: two groups became one.", {},
     SableSwitches,
     Join({SableWord(1), SableLines({1, 5}), SableLines({1, 5}), SableWord(1)},
          Join(kWordCycle, {SableWord(1), SableLines({})})),
     kWordCycleStored, 5, false},
    // The same set-up file opened under the default preferences (the word): it runs as
    // its one-group partner, and the set-up window says so.
    {"UI3SetupFileUnderTheWord", sim::Kind::UI3, 2, false, 6, 0.5f, 1.0f, 1, 5, {2, 3, 6, 7}, 120, 210,
     "list 104\nshot 104 %\n",
     "The three-bit word switches one device at a time: the set-up's two device groups now run as one.",
     {}, SableSwitches,
     Join({SableWord(1), SableWord(1)}, Join(kWordCycle, {SableWord(1), SableLines({})})),
     kWordCycleStored, 5, false},
    // One line per device when the file was opened, and the interface then chosen is an
    // ADAM, which switches one device at a time: the set-up window says the groups became
    // one, before anything was sent in them.
    {"AdamChosenAfterTheSetupFile", sim::Kind::ADAM, 8, true, 6, 0.5f, 1.0f, 1, 5, {2, 3, 6, 7}, 120, 210,
     "list 104\nshot 104 %\n",
     "The ADAM switches one device at a time: the set-up's two device groups now run as one.", {},
     AdamSwitches,
     {AdamDevice(1), AdamDevice(1), AdamDevice(2), AdamDevice(1), AdamDevice(3), AdamDevice(1), AdamDevice(6),
      AdamDevice(1), AdamDevice(7), AdamDevice(1), AdamDevice(2), AdamDevice(1), AdamDevice(1)},
     kWordCycleStored, 5, false},
    // Two groups in one line per device; channels 3 and 4 (devices 6 and 7) are then set
    // "not used" in Device Control, which names the group left without a channel: line 5
    // (the group-2 reference) goes off in each sample period and no group-2 line opens.
    {"UI3GroupTwoWithoutChannels", sim::Kind::UI3, 2, true, 6, 0.5f, 1.0f, 1, 5, {2, 3, 6, 7}, 120, 210,
     "click 104 209\nuntil 3\nclick 3 30\nclick 3 40\nlist 3\nshot 3 %\nclick 3 177\ngone 3\n",
     "Group 2 (devices 5 to 8) has no channel: only group 1's device goes out in a sample.", {}, SableSwitches,
     {SableLines({1, 5}), SableLines({1, 5}), SableLines({1, 5}), SableLines({2}), SableLines({1, 5}),
      SableLines({3}), SableLines({1, 5}), SableLines({2}), SableLines({1, 5}), SableLines({3}), SableLines({1, 5}),
      SableLines({2}), SableLines({1, 5}), SableLines({})},
     {"R", "2", "R", "3", "R", "2", "R", "3", "R", "2"}, 6, false, {3, 4}},
    // Keyboard switching, reference 1, channels on devices 2, 3 and 4: Alt+3 and then
    // Alt+4 from the reference. Each ends the reference: only its device's channel is read.
    {"UI3KeyboardDigitKeys", sim::Kind::UI3, 2, true, 1, 0.1f, 0.0f, 1, 0, {2, 3, 4}, 15, 150,
     "", nullptr, {{20, '3'}, {60, '4'}}, SableSwitches,
     {SableLines({1}), SableLines({1}), SableLines({3}), SableLines({4}), SableLines({1}), SableLines({1}),
      SableLines({})},
     {"R", "3", "4", "R"}, 1, false},
    // Periodic references: Alt+3 during the first reference; the cycle then goes on.
    {"UI3PeriodicDigitKey", sim::Kind::UI3, 2, true, 5, 0.1f, 0.2f, 1, 0, {2, 3, 4}, 15, 88,
     "", nullptr, {{10, '3'}}, SableSwitches,
     {SableLines({1}), SableLines({1}), SableLines({3}), SableLines({2}), SableLines({1}), SableLines({1}),
      SableLines({})},
     {"R", "3", "2", "R"}, 5, false},
    {"DT500KeyboardDigitKeys", sim::Kind::DT500, 3, true, 1, 0.1f, 0.0f, 1, 0, {2, 3, 4}, 15, 150,
     "", nullptr, {{20, '3'}, {60, '4'}}, DataTakerSwitches,
     {DT500Lines({}), DT500Lines({1}), DT500Lines({1}), DT500Lines({3}), DT500Lines({4}), DT500Lines({1}),
      DT500Lines({1}), DT500Lines({})},
     {"R", "3", "4", "R"}, 1, false},
    {"DT500PeriodicDigitKey", sim::Kind::DT500, 3, true, 5, 0.1f, 0.2f, 1, 0, {2, 3, 4}, 15, 88,
     "", nullptr, {{10, '3'}}, DataTakerSwitches,
     {DT500Lines({}), DT500Lines({1}), DT500Lines({1}), DT500Lines({3}), DT500Lines({2}), DT500Lines({1}),
      DT500Lines({1}), DT500Lines({})},
     {"R", "3", "2", "R"}, 5, false},
    // The ADC-1 answers each output byte: at a quarter of a second a switch that waited
    // its limit would hold the schedule back. Two groups under the word: the ADC-1
    // switches a bit per device whatever the coding.
    {"Adc1TwoGroupsNoGap", sim::Kind::ADC1, 9, false, 6, 0.05f, 0.1f, 1, 4, {2, 3, 5, 6}, 15, 140,
     "", nullptr, {}, Adc1Switches,
     {Adc1Devices({1, 4}), Adc1Devices({1, 4}), Adc1Devices({2, 5}), Adc1Devices({1, 4}), Adc1Devices({3, 6}),
      Adc1Devices({1, 4}), Adc1Devices({2, 5}), Adc1Devices({1, 4}), Adc1Devices({3, 6}), Adc1Devices({1, 4}),
      Adc1Devices({})},
     {"R", "2+5", "R", "3+6", "R", "2+5", "R", "3+6"}, 6, true},
    {"AdamNoGap", sim::Kind::ADAM, 8, false, 5, 0.05f, 0.1f, 1, 0, {2, 3}, 15, 140,
     "", nullptr, {}, AdamSwitches,
     {AdamDevice(1), AdamDevice(1), AdamDevice(2), AdamDevice(1), AdamDevice(3), AdamDevice(1), AdamDevice(2),
      AdamDevice(1), AdamDevice(3), AdamDevice(1), AdamDevice(1)},
     {"R", "2", "R", "3", "R", "2", "R", "3"}, 5, true},
    // A set-up made under the word (channel 2 on device 6) opened on a DT500 wired one line
    // per device: the set-up window names the device from the start and "Setup OK" refuses;
    // the word chosen in the Preferences reaches it, and the run goes out in the word.
    {"DT500DeviceOutOfReachRefusedAtSetupOK", sim::Kind::DT500, 3, true, 5, 0.05f, 0.1f, 1, 0, {2, 6}, 15,
     140, std::string(kRefusedStart) + kPrefsToTheWord,
     "Channel 2 uses device 6: one line per device on the DT500 reaches devices 1 to 4 only.", {},
     DataTakerSwitches,
     {DT500Lines({}), DT500Lines({1}), DT500Word(1), DT500Word(2), DT500Word(1), DT500Word(6), DT500Word(1),
      DT500Word(2), DT500Word(1), DT500Word(6), DT500Word(1), DT500Lines({})},
     {"R", "2", "R", "6", "R", "2", "R", "6"}, 5, false},
    // Reference 7 under the word on a DT500; after the first run the Preferences choose one
    // line per device (and name reference 7, now beyond line 4), and the run is started
    // again from the options window. Each reference then switches every line off: no
    // channel is stored as read while every valve is shut.
    {"DT500ReferenceWithoutALineAfterARestart", sim::Kind::DT500, 3, false, 5, 0.05f, 0.1f, 7, 0, {2, 3},
     15, 140, "", "Reference device 7: one line per device on the DT500 reaches devices 1 to 4 only.", {},
     DataTakerSwitches,
     {DT500Lines({}), DT500Word(7), DT500Word(7), DT500Word(2), DT500Word(7), DT500Word(3), DT500Word(7),
      DT500Word(2), DT500Word(7), DT500Word(3), DT500Word(7), DT500Lines({}), DT500Lines({}),
      DT500Lines({2}), DT500Lines({}), DT500Lines({3}), DT500Lines({}), DT500Lines({2}), DT500Lines({}),
      DT500Lines({3}), DT500Lines({}), DT500Lines({})},
     {"none", "2", "none", "3", "none", "2", "none", "3"}, 5, false, {},
     std::string(kPrefsToOneLine) + kRestart},
    // Two groups made on an interface of eight devices (group 2's reference 7) opened on an
    // ADC-1: refused at "Setup OK" with the line; reference 6 chosen in Device Control.
    // The refused pair (device 1 alone, every valve of group 2 shut) never goes out.
    {"Adc1GroupTwoReferenceOutOfReachRefused", sim::Kind::ADC1, 9, false, 6, 0.05f, 0.1f, 1, 7, {2, 3, 5}, 15,
     140, std::string(kRefusedStart) + "click 104 209\nuntil 3\nclick 3 6\nclick 3 177\ngone 3\n",
     "Reference device 7: the ADC-1 switches devices 1 to 6 only.", {}, Adc1Switches,
     {Adc1Devices({1, 6}), Adc1Devices({1, 6}), Adc1Devices({2, 5}), Adc1Devices({1, 6}), Adc1Devices({3, 5}),
      Adc1Devices({1, 6}), Adc1Devices({2, 5}), Adc1Devices({1, 6}), Adc1Devices({3, 5}), Adc1Devices({1, 6}),
      Adc1Devices({})},
     {"R", "2+5", "R", "3+5", "R", "2+5", "R", "3+5"}, 6, true},
    // One group with reference 7 opened on an ADC-1: refused at "Setup OK", and never put
    // out (it would shut every valve) until reference 1 is chosen in Device Control.
    {"Adc1OneGroupReferenceOutOfReachRefused", sim::Kind::ADC1, 9, false, 5, 0.05f, 0.1f, 7, 0, {2, 3}, 15, 140,
     RefusedThenReference(1), "Reference device 7: the ADC-1 switches devices 1 to 6 only.", {}, Adc1Switches,
     {Adc1Devices({1}), Adc1Devices({1}), Adc1Devices({2}), Adc1Devices({1}), Adc1Devices({3}), Adc1Devices({1}),
      Adc1Devices({2}), Adc1Devices({1}), Adc1Devices({3}), Adc1Devices({1}), Adc1Devices({})},
     {"R", "2", "R", "3", "R", "2", "R", "3"}, 5, true},
    // Keyboard switching with the device number as the switch marker: "+" marks the sample
    // device it turned on (3), "-" the reference (1), Alt+4 device 4, and the closing
    // reference 1 again.
    // Two groups made on an ADC-1 (references 1 and 4, groups 1 to 3 and 4 to 6) opened on
    // a UI3, where group 1 is devices 1 to 4: both references fall in group 1, and group 2
    // would be shut in every reference period. The set-up window names them from the
    // start and "Setup OK" refuses; Device Control shows both references marked, and
    // reference 5 chosen there gives group 2 its own. The refused pair never goes out: the
    // lines stay as they were until Device Control closes with references 1 and 5.
    {"Adc1ReferencesOnAUI3RefusedAtSetupOK", sim::Kind::UI3, 2, true, 6, 0.05f, 0.1f, 1, 4, {2, 3, 5, 6}, 15,
     140, RefusedThenReference(5),
     "Reference devices 1 and 4 are both in group 1: group 1 is devices 1 to 4 and group 2 devices 5 to 8 "
     "here, one reference each.",
     {}, SableSwitches,
     {SableLines({1, 5}), SableLines({1, 5}), SableLines({2, 5}), SableLines({1, 5}), SableLines({3, 6}),
      SableLines({1, 5}), SableLines({2, 5}), SableLines({1, 5}), SableLines({3, 6}), SableLines({1, 5}),
      SableLines({})},
     {"R", "2+5", "R", "3+6", "R", "2+5", "R", "3+6"}, 6, false, {}, "", false, {},
     {"1 radio \"Device # 1\" marked", "4 radio \"Device # 4\" marked"}},
    {"Adc1ReferencesOnADT800RefusedAtSetupOK", sim::Kind::DT800, 5, true, 6, 0.05f, 0.1f, 1, 4, {2, 3, 5, 6},
     15, 140, RefusedThenReference(5),
     "Reference devices 1 and 4 are both in group 1: group 1 is devices 1 to 4 and group 2 devices 5 to 8 "
     "here, one reference each.",
     {}, DataTakerSwitches,
     {DT800Lines({}), DT800Lines({1, 5}), DT800Lines({1, 5}), DT800Lines({2, 5}), DT800Lines({1, 5}),
      DT800Lines({3, 6}), DT800Lines({1, 5}), DT800Lines({2, 5}), DT800Lines({1, 5}), DT800Lines({3, 6}),
      DT800Lines({1, 5}), DT800Lines({})},
     {"R", "2+5", "R", "3+6", "R", "2+5", "R", "3+6"}, 6, false, {}, "", false, {},
     {"1 radio \"Device # 1\" marked", "4 radio \"Device # 4\" marked"}},
    // Two groups made on a UI3 (references 4 and 5) opened on an ADC-1, where group 2 is
    // devices 4 to 6: both references in group 2, group 1 shut in every reference period.
    // Refused, and never put out, until reference 1 is chosen for group 1.
    {"UI3ReferencesOnAnAdc1RefusedAtSetupOK", sim::Kind::ADC1, 9, false, 6, 0.05f, 0.1f, 4, 5, {2, 3, 5, 6},
     15, 140, RefusedThenReference(1),
     "Reference devices 4 and 5 are both in group 2: group 1 is devices 1 to 3 and group 2 devices 4 to 6 "
     "here, one reference each.",
     {}, Adc1Switches,
     {Adc1Devices({1, 5}), Adc1Devices({1, 5}), Adc1Devices({2, 5}), Adc1Devices({1, 5}), Adc1Devices({3, 6}),
      Adc1Devices({1, 5}), Adc1Devices({2, 5}), Adc1Devices({1, 5}), Adc1Devices({3, 6}), Adc1Devices({1, 5}),
      Adc1Devices({})},
     {"R", "2+5", "R", "3+6", "R", "2+5", "R", "3+6"}, 6, true, {}, "", false, {},
     {"4 radio \"Device # 4\" marked", "5 radio \"Device # 5\" marked"}},
    // Two groups on an ADC-1 (group 2 is devices 4 to 6); the channel on device 5 is then
    // cut in the set-up window, which leaves device 4 as group 2's only device. The groups
    // stay two: each sample opens device 4 beside group 1's, never group 1's alone with
    // device 4's channel stored as read.
    {"Adc1CutChannelLeavesDevice4InGroupTwo", sim::Kind::ADC1, 9, false, 6, 0.05f, 0.1f, 1, 4, {2, 3, 4, 5},
     15, 140, "menu 4 20\nuntil 6\nclick 6 4\nclick 6 23\ngone 6\n", nullptr, {}, Adc1Switches,
     {Adc1Devices({1, 4}), Adc1Devices({1, 4}), Adc1Devices({2, 4}), Adc1Devices({1, 4}), Adc1Devices({3, 4}),
      Adc1Devices({1, 4}), Adc1Devices({2, 4}), Adc1Devices({1, 4}), Adc1Devices({3, 4}), Adc1Devices({1, 4}),
      Adc1Devices({})},
     {"R", "2+4", "R", "3+4", "R", "2+4", "R", "3+4"}, 6, true, {4}},
    {"UI3DeviceNumberMarkers", sim::Kind::UI3, 2, true, 1, 0.1f, 0.0f, 1, 0, {3, 4}, 15, 150,
     "", nullptr, {{20, '+'}, {60, '-'}, {90, '4'}}, SableSwitches,
     {SableLines({1}), SableLines({1}), SableLines({3}), SableLines({1}), SableLines({4}), SableLines({1}),
      SableLines({1}), SableLines({})},
     {"R", "3", "R", "4", "R"}, 1, false, {}, "", true, {'3', '1', '4', '1'}},
    // Periodic references, channels 1 and 2 on device 2 (two sample periods in turn),
    // channel 3 on device 3, channel 4 on none and zero-linked to channel 1, whose input
    // reads exactly 0 V (an analyser on CO2-free air): channel 4 is zeroed while device 2
    // is off, never for channel 1's 0. Channel 1 is never stored as read (its 0).
    {"UI3ZeroLinkWithThePrimaryAtZero", sim::Kind::UI3, 2, true, 5, 0.05f, 0.1f, 1, 0, {2, 2, 3, 0}, 15, 140,
     "", nullptr, {}, SableSwitches,
     {SableLines({1}), SableLines({1}), SableLines({2}), SableLines({1}), SableLines({2}), SableLines({1}),
      SableLines({3}), SableLines({1}), SableLines({2}), SableLines({1}), SableLines({})},
     {"2+3", "2", "2+3", "2", "2+3", "3", "2+3", "2"}, 5, false, {}, "", false, {}, {}, 4},
    {"DT800ZeroLinkWithThePrimaryAtZero", sim::Kind::DT800, 5, true, 5, 0.05f, 0.1f, 1, 0, {2, 2, 3, 0}, 15, 140,
     "", nullptr, {}, DataTakerSwitches,
     {DT800Lines({}), DT800Lines({1}), DT800Lines({1}), DT800Lines({2}), DT800Lines({1}), DT800Lines({2}),
      DT800Lines({1}), DT800Lines({3}), DT800Lines({1}), DT800Lines({2}), DT800Lines({1}), DT800Lines({})},
     {"2+3", "2", "2+3", "2", "2+3", "3", "2+3", "2"}, 5, false, {}, "", false, {}, {}, 4},
    // The same keys each held 0.75 s: one press is one switch and one marker, however long
    // the key stays down and however often it repeats. Alt+9 then names no device: it
    // sends nothing and marks nothing (no typed "9" either); on the DT500 wired one line
    // per device Alt+5 is past its lines and does the same.
    {"UI2HeldKeysSwitchOnce", sim::Kind::UI2, 1, true, 1, 0.1f, 0.0f, 1, 0, {3, 4}, 15, 150,
     "", nullptr, {{20, '+', 3}, {60, '-', 3}, {90, '4', 3}, {105, '9', 3}}, SableSwitches,
     {SableLines({1}), SableLines({1}), SableLines({3}), SableLines({1}), SableLines({4}), SableLines({1}),
      SableLines({1}), SableLines({})},
     {"R", "3", "R", "4", "R"}, 1, false, {}, "", true, {'3', '1', '4', '1'}},
    {"DT500HeldKeysSwitchOnce", sim::Kind::DT500, 3, true, 1, 0.1f, 0.0f, 1, 0, {3, 4}, 15, 150,
     "", nullptr, {{20, '+', 3}, {60, '-', 3}, {90, '4', 3}, {100, '5', 3}, {110, '9', 3}}, DataTakerSwitches,
     {DT500Lines({}), DT500Lines({1}), DT500Lines({1}), DT500Lines({3}), DT500Lines({1}), DT500Lines({4}),
      DT500Lines({1}), DT500Lines({1}), DT500Lines({})},
     {"R", "3", "R", "4", "R"}, 1, false, {}, "", true, {'3', '1', '4', '1'}},
    // A key held after the closing reference came on (sample 126): its device goes on once,
    // and the reference does not come straight back over it; the run's end puts it on.
    {"UI2DigitKeyHeldInTheClosingReference", sim::Kind::UI2, 1, true, 1, 0.1f, 0.0f, 1, 0, {3, 4}, 15, 150,
     "", nullptr, {{20, '+', 3}, {130, '4', 3}}, SableSwitches,
     {SableLines({1}), SableLines({1}), SableLines({3}), SableLines({1}), SableLines({4}), SableLines({1}),
      SableLines({})},
     {"R", "3", "R", "4"}, 1, false, {}, "", true, {'3', '1', '4'}},
    {"DT500SampleKeyHeldInTheClosingReference", sim::Kind::DT500, 3, true, 1, 0.1f, 0.0f, 1, 0, {3, 4}, 15, 150,
     "", nullptr, {{20, '4', 3}, {130, '+', 3}}, DataTakerSwitches,
     {DT500Lines({}), DT500Lines({1}), DT500Lines({1}), DT500Lines({4}), DT500Lines({1}), DT500Lines({3}),
      DT500Lines({1}), DT500Lines({})},
     {"R", "4", "R", "3"}, 1, false, {}, "", true, {'4', '1', '3'}},
};
// clang-format on

class SwitchingRoadFixture : public test::SimulatedRunTest {
 protected:
  void SetUp() override {
    SimulatedRunTest::SetUp();
    SetControlLoopTap([this](const std::string& step) {
      log_.push_back(step);
      if (step == "run preparation") rt::UseVirtualClock(true);
    });
  }
  void TearDown() override {
    SetSampleTimingTap(nullptr);
    files_hooks::ResetFilesHooks();
    SimulatedRunTest::TearDown();
  }

  fs::path WriteSetup(const RoadRun& run, int16_t autorepeat = 0) {
    SetupRecord setup;
    setup.recordingMode = RecordingModeCode::Chart;
    setup.channels = static_cast<int16_t>(run.devices.size());
    setup.chartTicks = static_cast<float>(run.chartTicks);
    setup.scopeTicks = 1;
    setup.scopeMax = 256;
    setup.maxSamples = run.samples;
    setup.switchingMode = run.pattern;
    setup.refint = run.refint;
    setup.switchint = run.switchint;
    setup.refChan = run.refChan;
    setup.refChan2 = run.refChan2;
    for (std::size_t i = 0; i < run.devices.size(); ++i) {
      auto& ch = setup.channelTable[i + 1];
      ch[ChanField::Gain] = 2;
      ch[ChanField::Input] = static_cast<float>(i + 1);
      ch[ChanField::B] = 1;
      ch[ChanField::PlotMax] = 8;
      ch[ChanField::Averaged] = 1;
      ch[ChanField::Device] = run.devices[i];
      setup.dataTaker[i + 1] = {1, 0, 0, 0, 0};  // a voltage input
    }
    if (run.zeroLinked > 0) {
      setup.zeroLinks[0] = 1;
      setup.zeroLinks[3 * 1 + 1] = static_cast<int16_t>(run.zeroLinked);
      setup.zeroLinks[3 * run.zeroLinked + 2] = 1;
    }
    setup.prefSlots[PrefsSlot::Autorepeat] = autorepeat;
    if (run.deviceMarkers) {
      setup.showSwitchDeviceAsMarker = 1;
      setup.prefSlots[PrefsSlot::MarkerAtSwitch] = 1;
    }
    EXPECT_EQ(SetupRecordProblem(setup), "");
    const fs::path file = documents_ / "roads.MVsetup";
    std::ofstream(file, std::ios::binary) << EncodeSetup(setup);
    return file;
  }

  // A script of the user's with its screenshot's path put in for "%".
  std::string WithShot(std::string text, const char* when, const RoadRun& run) const {
    if (const auto at = text.find('%'); at != std::string::npos)
      text.replace(at, 1, Shot((std::string("w-switching-road-") + run.name + when + ".png").c_str()));
    return text;
  }

  // The recording saved from the options window.
  static std::string Save(const fs::path& data) {
    return "panel " + data.string() + "\nclick 112 2\nuntil 15\nclick 15 11\ngone 15\nuntil 2\n";
  }

  std::string Script(const RoadRun& run, const fs::path& setup, const fs::path& data) const {
    std::string script =
        "start " + setup.string() + "\nuntil 11 20\nclick-label 11 Reset\nuntil 21 20\npick 21 182 " +
        std::to_string(run.code) + "\nclick-label 21 Selection OK\nuntil 88\nclick-label 88 " + link_ +
        "\nclick-label 88 Selection OK\ngone 88\nuntil 104 30\n" + WithShot(run.beforeRun, "", run) +
        "click 104 203\ngone 104\nuntil 112 120\n";
    if (!run.afterSave.empty())
      script += Save(documents_ / "first run.kstr") + WithShot(run.afterSave, "-after-save", run);
    return script + Save(data) + "click 112 6\nexpect-exit 0\n";
  }

  // Each key held down at its sample, let go `held` samples later (a digit with Alt).
  void PressKeysAt(const std::vector<KeyAt>& keys) {
    SetSampleTimingTap([keys](double, double) {
      for (const KeyAt& k : keys) {
        if (Sample != k.sample && Sample != k.sample + k.held) continue;
        const std::string name = k.key == '+' ? "=" : k.key == '-' ? "-" : std::string("alt+") + k.key;
        std::string why;
        const auto pressed = drive::ParseKey(name, &why);
        ASSERT_TRUE(pressed) << why;
        if (Sample == k.sample)
          drive::HoldKey(*pressed);
        else
          drive::ReleaseKey(*pressed);
      }
    });
  }
};

class SwitchingRoadRunE2E : public SwitchingRoadFixture, public ::testing::WithParamInterface<RoadRun> {};

// The file's samples as runs of the devices whose switched channels were read.
std::vector<std::string> StoredRuns(const std::string& dump, const std::vector<float>& devices) {
  std::vector<std::vector<double>> values;
  for (std::size_t k = 1; k <= devices.size(); ++k)
    values.push_back(test::BlockValues(dump, static_cast<int>(k)));
  std::vector<std::string> runs;
  for (std::size_t i = 0; !values.empty() && i < values[0].size(); ++i) {
    std::set<int> read;
    bool all = true;
    for (std::size_t k = 0; k < devices.size(); ++k) {
      if (devices[k] <= 0) continue;
      if (i < values[k].size() && values[k][i] != 0.0)
        read.insert(static_cast<int>(devices[k]));
      else
        all = false;
    }
    std::string state;
    for (int d : read) state += (state.empty() ? "" : "+") + std::to_string(d);
    if (all) state = "R";
    if (state.empty()) state = "none";
    if (runs.empty() || runs.back() != state) runs.push_back(state);
  }
  return runs;
}

// The markers' characters, in the order the dump tool lists them ("marker 1: sample+1
// 21 code 51").
std::vector<char> MarkerCodes(const std::string& dump) {
  std::vector<char> codes;
  const std::regex re(R"(marker \d+: sample\+1 \d+ code (\d+))");
  for (auto it = std::sregex_iterator(dump.begin(), dump.end(), re); it != std::sregex_iterator(); ++it)
    codes.push_back(static_cast<char>(std::stoi((*it)[1].str())));
  return codes;
}

TEST_P(SwitchingRoadRunE2E, OnlyChannelsWhoseValveIsOpenAreStoredAsSampled) {
  const RoadRun& run = GetParam();
  if (run.linePerDevice) {
    PrefsArray[PrefsSlot::DigitalOutputCoding] = 0;
    const FileResult saved = SavePreferencesFile();
    ASSERT_TRUE(saved) << saved.reason;
  }
  sim::Options o;
  o.kind = run.kind;
  // Each input its own value, rising: a reading stored for another channel shows.
  for (int k = 1; k <= 4; ++k) o.values.push_back({k, k == 1 && run.zeroLinked > 0 ? 0.0 : 1.1 * k});
  o.ramp = 0.01;
  ASSERT_NO_FATAL_FAILURE(StartSimulatorWith(o));
  if (run.zeroLinked > 0) {
    ASSERT_TRUE(sim_->SetRate(1, 0));  // exactly 0 V all along
  }
  const fs::path setup = WriteSetup(run);
  const fs::path data = documents_ / (std::string(run.name) + ".kstr");
  PressKeysAt(run.keys);

  drive::ScriptRunner runner(Script(run, setup, data));
  const auto result = runner.Run([](int argc, char** argv) { MainBody(argc, argv); });
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result) << "\nreceived: " << sim_->Received();
  if (run.shown) {
    EXPECT_NE(result.output.find(run.shown), std::string::npos) << result.output;
  }
  for (const std::string& text : run.alsoShown) EXPECT_NE(result.output.find(text), std::string::npos) << text;

  std::vector<std::string> seen;
  for (int i = 0; i < 600; ++i) {
    seen = run.decode(sim_->Received());
    if (seen == run.commands) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_EQ(seen, run.commands) << ::testing::PrintToString(sim_->Received());
  EXPECT_EQ(SwitchingMode, run.patternAfter);

  const std::string dump = test::DumpDataFile(data, "--values 100000 ");
  std::vector<float> devices = run.devices;
  for (int ch : run.notUsed) devices[static_cast<std::size_t>(ch - 1)] = 0;
  EXPECT_EQ(StoredRuns(dump, devices), run.stored) << dump;
  if (run.noGaps) {
    EXPECT_TRUE(test::GapsInPauseLog(dump).empty()) << "no switch held the schedule back";
  }
  if (run.deviceMarkers) {
    EXPECT_EQ(MarkerCodes(dump), run.markers) << dump;
  }
  if (run.zeroLinked > 0) {
    // Channel 2, on channel 1's device and rising, tells when that device was on: the
    // linked channel holds its own reading exactly then, and zero otherwise.
    const std::vector<double> on = test::BlockValues(dump, 2),
                              linked = test::BlockValues(dump, run.zeroLinked);
    int realZeros = 0, missed = 0;
    for (std::size_t i = 0; i < on.size() && i < linked.size(); ++i) {
      realZeros += on[i] != 0 && linked[i] == 0;
      missed += on[i] == 0 && linked[i] != 0;
    }
    std::printf("%s: %zu samples, %d zeros for real readings, %d readings while the device was off\n",
                run.name, linked.size(), realZeros, missed);
    EXPECT_EQ(realZeros, 0) << dump;
    EXPECT_EQ(missed, 0) << dump;
  }
}

INSTANTIATE_TEST_SUITE_P(Roads, SwitchingRoadRunE2E, ::testing::ValuesIn(kRuns),
                         [](const ::testing::TestParamInfo<RoadRun>& info) { return info.param.name; });

}  // namespace
}  // namespace mv

namespace mv {
namespace {

// A run whose references stop being one in each group while it records: no window lets
// that happen once "Setup OK" has checked them, so the reference of group 2 is changed to
// device 4 under the running loop, as a set-up for another interface would hold it. The
// next reference opens lines 1 and 4 only, and group 2's channels are zeroed while it
// lasts; the automatic repeat's next period does not start, nor does Restart, each with
// the reason.
TEST_F(SwitchingRoadFixture, ReferencesInOneGroupStartNoPeriodAndNoRestart) {
  const RoadRun run{"UI3ReferencesMovedIntoOneGroup", sim::Kind::UI3, 2, true, 6, 0.05f, 0.1f, 1, 5, {2, 3, 6, 7},
                    15, 60, "", nullptr, {}, SableSwitches, {}, {}, 6, false};
  PrefsArray[PrefsSlot::DigitalOutputCoding] = 0;
  const FileResult saved = SavePreferencesFile();
  ASSERT_TRUE(saved) << saved.reason;
  sim::Options o;
  o.kind = run.kind;
  for (int k = 1; k <= 4; ++k) o.values.push_back({k, 1.1 * k});
  o.ramp = 0.01;
  ASSERT_NO_FATAL_FAILURE(StartSimulatorWith(o));
  const fs::path setup = WriteSetup(run, 1);
  const fs::path data = documents_ / "moved.kstr";
  SetSampleTimingTap([](double, double) {
    if (Sample == 20) RefChan2 = 4;
  });
  std::vector<std::string> notices;
  auto notice = files_hooks::FileNotice;
  files_hooks::FileNotice = [&notices, notice](const std::string& title, const std::string& message) {
    notices.push_back(title + ": " + message);
    notice(title, message);
  };
  const std::string alert = "until 668 60\nlist 668\nclick 668 1\ngone 668\n";
  const std::string script =
      "start " + setup.string() + "\nuntil 11 20\nclick-label 11 Reset\nuntil 21 20\npick 21 182 2" +
      "\nclick-label 21 Selection OK\nuntil 88\nclick-label 88 " + link_ +
      "\nclick-label 88 Selection OK\ngone 88\nuntil 104 30\npanel " +
      (documents_ / "period 1.kssc").string() + "\nclick 104 203\ngone 104\nuntil 15\nclick 15 11\ngone 15\n" + alert + "until 112 60\nclick 112 1\n" + alert +
      "until 112\n" + Save(data) + "click 112 6\nexpect-exit 0\n";
  const auto result = drive::ScriptRunner(script).Run([](int argc, char** argv) { MainBody(argc, argv); });
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result) << "\nreceived: " << sim_->Received();
  const std::string reason =
      "Reference devices 1 and 4 are both in group 1: group 1 is devices 1 to 4 and group 2 devices 5 to 8 "
      "here, one reference each.";
  EXPECT_EQ(notices, (std::vector<std::string>{"The next period was not started: " + reason,
                                                "The run was not started again: " + reason}));

  // The start-up reference and the run's, device 2 with 6, then the reference with 4 in
  // group 2's place (lines 1 and 4), device 3 with 7, the reference at the run's end, and
  // every line off at Quit: nothing after the refused Restart.
  const std::vector<std::string> expected = {SableLines({1, 5}), SableLines({1, 5}), SableLines({2, 6}),
                                             SableLines({1, 4}), SableLines({3, 7}), SableLines({1, 4}),
                                             SableLines({})};
  std::vector<std::string> seen;
  for (int i = 0; i < 600 && seen != expected; ++i) {
    seen = SableSwitches(sim_->Received());
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_EQ(seen, expected) << ::testing::PrintToString(sim_->Received());
  // While lines 1 and 4 are open, devices 6 and 7 (group 2) are shut: their channels
  // hold the zero value, and devices 2 and 3 read the reference.
  const std::string dump = test::DumpDataFile(data, "--values 100000 ");
  EXPECT_EQ(StoredRuns(dump, run.devices), (std::vector<std::string>{"R", "2+6", "2+3", "3+7"})) << dump;
  EXPECT_EQ(nSamples, run.samples) << "the period that did not repeat is kept whole";
}

}  // namespace
}  // namespace mv
