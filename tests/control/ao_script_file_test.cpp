// The analog-output script file: bytes written out by hand from the layout, the round
// trip, the flags and check marks a load derives, and files that must be refused.
#include "control/ao_script_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <utility>

#include "common/test_support.h"
#include "control/state.h"
#include "devices/state.h"
#include "runtime/clock.h"
#include "runtime/menus.h"

namespace mv {
namespace {

constexpr int16_t kDA = 5;

class AOscriptFileTest : public test::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    rt::NewMenu(kDA, "D-A");
    for (int16_t i = 1; i <= 8; ++i) rt::SetMenuItem(kDA, i, "item");
  }
  static void Put(std::string& bytes, std::size_t at, std::initializer_list<int> b) {
    for (int v : b) bytes[at++] = static_cast<char>(v);
  }
};

TEST_F(AOscriptFileTest, FieldsLieBigEndianAtTheirOffsets) {
  AOscript[0][1] = 3.0f;
  AO1on = 1;
  AOscript[1][1] = 2.0f;
  AOscript[1][2] = -2.0f;
  AOscript[100][6] = 0.5f;
  FeedbackArray[1][5] = 10.0f;
  FeedbackChan = 3;
  FeedbackUpdateInterval = 60;
  NegativeFEEDBACK = 1;
  FeedbackEndMode = 2;
  FdBkEndSetpoint = 20.0f;
  FdBkEndRange = 1.0f;
  FdBkEndMinV = -1.5f;
  FdBkEndMaxV = 5.0f;
  for (int row = 7; row <= 10; ++row) AOscript[row][0] = 0.0f;

  std::string want(5682, '\0');
  Put(want, 4, {0x40, 0x40, 0, 0});           // row 0 column 1: 3
  Put(want, 32, {0x40, 0x00, 0, 0});          // row 1 column 1: 2
  Put(want, 36, {0xC0, 0x00, 0, 0});          // row 1 column 2: -2
  Put(want, 2824, {0x3F, 0x00, 0, 0});        // row 100 column 6: 0.5
  Put(want, 2828 + 48, {0x41, 0x20, 0, 0});   // feedback row 1 column 5: 10
  Put(want, 5656, {0x00, 0x03});              // channel
  Put(want, 5658, {0x00, 0x00, 0x00, 0x3C});  // 60 ticks
  Put(want, 5662, {0x00, 0x01});
  Put(want, 5664, {0x00, 0x02});
  Put(want, 5666, {0x41, 0xA0, 0, 0});  // 20
  Put(want, 5670, {0x3F, 0x80, 0, 0});  // 1
  Put(want, 5674, {0xBF, 0xC0, 0, 0});  // -1.5
  Put(want, 5678, {0x40, 0xA0, 0, 0});  // 5
  EXPECT_EQ(EncodeAOscriptFile(CaptureAOscriptFile()), want);
}

TEST_F(AOscriptFileTest, LoadingGivesBackEveryValueBitForBitAndSetsTheFlags) {
  AnalogOutputScriptFile f;
  for (int r = 0; r < kAOscriptRows; ++r)
    for (int c = 0; c < kAOscriptColumns; ++c) f.script[r][c] = static_cast<float>(r * 7 + c) / 3.0f;
  f.script[0][1] = 2.0f;
  f.script[0][4] = 0.0f;  // output 2 has no script
  for (int r = 0; r < kFeedbackRows; ++r)
    for (int c = 0; c < kFeedbackColumns; ++c) f.feedback[r][c] = -static_cast<float>(r + c) * 0.1f;
  for (int r = 1; r <= 40; ++r) f.feedback[r][6] = 0.0f;
  f.feedback[2][6] = 3.0f;
  f.feedbackChan = 4;
  f.updateInterval = 120;
  f.negativeFeedback = 0;
  f.endMode = 3;
  f.endSetpoint = 0.1f;
  f.endRange = 1e-30f;
  f.endMinV = -0.0f;
  f.endMaxV = 9.75f;
  AO2on = 1;
  rt::CheckMenuItem(kDA, 4, true);
  rt::AdvanceVirtualClock(20.0);
  const auto now = static_cast<int32_t>(rt::TickCount());

  const DecodedAOscriptFile back = DecodeAOscriptFile(EncodeAOscriptFile(f));
  ASSERT_TRUE(back.file) << back.reason;
  ApplyAOscriptFile(*back.file);
  const AnalogOutputScriptFile after = CaptureAOscriptFile();
  EXPECT_EQ(0, std::memcmp(&after.script, &f.script, sizeof f.script));
  EXPECT_EQ(0, std::memcmp(&after.feedback, &f.feedback, sizeof f.feedback));
  EXPECT_EQ(std::signbit(FdBkEndMinV), true);
  EXPECT_EQ(FdBkEndRange, 1e-30f);
  EXPECT_EQ(FeedbackChan, 4);
  EXPECT_EQ(FeedbackEndMode, 3);
  EXPECT_EQ(AO1on, 1);
  EXPECT_TRUE(rt::MenuItemChecked(kDA, 1));
  EXPECT_EQ(AO2on, 0) << "0 steps for output 2 clears it even though a script was open";
  EXPECT_FALSE(rt::MenuItemChecked(kDA, 4));
  EXPECT_EQ(FeedbackON, 1);
  EXPECT_TRUE(rt::MenuItemChecked(kDA, 2));
  EXPECT_EQ(NextFeedbackUpdateTime, now + 120);
  EXPECT_EQ(DoFeedback, 1) << "a schedule with steps runs as its mark shows";
}

// The file has no mark for "no end state": one that carries the start-up end state
// (setpoint 20, range 1, 0 to 5 V) loads as none entered, so it is never driven.
TEST_F(AOscriptFileTest, AFileWithTheStartUpEndStateLoadsWithoutAnEndState) {
  AnalogOutputScriptFile f = CaptureAOscriptFile();
  f.feedback[1][5] = 10.0f;  // one step
  FdBkEndStateEntered = 1;
  ApplyAOscriptFile(f);
  EXPECT_EQ(FdBkEndStateEntered, 0);
  f.endMaxV = 4.5f;
  ApplyAOscriptFile(f);
  EXPECT_EQ(FdBkEndStateEntered, 1);
  EXPECT_EQ(FdBkEndMaxV, 4.5f);
}

// A file whose schedule has no step turns feedback off, its mark too, and its end
// state is not in force, whatever ran before.
TEST_F(AOscriptFileTest, AFileWithoutStepsTurnsFeedbackOffWithItsEndState) {
  AnalogOutputScriptFile f = CaptureAOscriptFile();
  f.feedback[41][6] = 42.0f;
  f.endMaxV = 4.5f;  // an end state entered
  FeedbackON = DoFeedback = 1;
  rt::CheckMenuItem(kDA, 2, true);
  ApplyAOscriptFile(f);
  EXPECT_FALSE(rt::MenuItemChecked(kDA, 2));
  EXPECT_EQ(FeedbackON, 0);
  EXPECT_EQ(DoFeedback, 0);
  EXPECT_EQ(FdBkEndStateEntered, 0);
}

// The file has no on/off of a script: one the feedback's warning shut down is saved
// with no steps (they stay in their rows), and a file that holds both an output-2
// script and a feedback schedule in force (as one saved before did) leaves the script
// off.
TEST_F(AOscriptFileTest, AScriptShutDownForTheFeedbackStaysOffThroughTheFile) {
  AOscript[0][4] = 2.0f;
  AOscript[1][4] = 4.5f;
  AOscript[1][5] = 1.0f;
  AO2on = 0;
  FeedbackArray[1] = {0, 0, 2, 3, 1, 0.4f, 2};
  AnalogOutputScriptFile f = CaptureAOscriptFile();
  EXPECT_EQ(f.script[0][4], 0.0f);
  EXPECT_EQ(f.script[1][4], 4.5f);
  f.script[0][4] = 2.0f;
  AO2on = 1;
  ApplyAOscriptFile(f);
  EXPECT_EQ(AO2on, 0);
  EXPECT_FALSE(rt::MenuItemChecked(kDA, 4));
  EXPECT_EQ(DoFeedback, 1);
  EXPECT_TRUE(rt::MenuItemChecked(kDA, 2));
  // Nor where output 2 is missing: moved to an interface with it, both would drive it.
  External_AD = ExternalADCode::DT800;
  AO2on = 1;
  ApplyAOscriptFile(f);
  EXPECT_EQ(AO2on, 0);
}

TEST_F(AOscriptFileTest, AShortLongOrHostileFileIsRefusedWhole) {
  AOscript[1][1] = 2.5f;
  const std::string good = EncodeAOscriptFile(CaptureAOscriptFile());
  EXPECT_FALSE(DecodeAOscriptFile(good.substr(0, 5681)).file);
  EXPECT_FALSE(DecodeAOscriptFile(good + '\0').file);
  EXPECT_FALSE(DecodeAOscriptFile("").file);

  std::string nan = good;
  Put(nan, 32, {0x7F, 0xC0, 0, 0});  // step 1's volts not a number
  EXPECT_FALSE(DecodeAOscriptFile(nan).file);
  std::string inf = good;
  Put(inf, 5678, {0x7F, 0x80, 0, 0});
  EXPECT_FALSE(DecodeAOscriptFile(inf).file);
  std::string tooMany = good;
  Put(tooMany, 16, {0x43, 0x16, 0, 0});  // output 2: 150 steps
  const DecodedAOscriptFile refused = DecodeAOscriptFile(tooMany);
  EXPECT_FALSE(refused.file);
  EXPECT_FALSE(refused.reason.empty());
  std::string negative = good;
  Put(negative, 5658, {0xFF, 0xFF, 0xFF, 0xFF});
  EXPECT_FALSE(DecodeAOscriptFile(negative).file);
  EXPECT_TRUE(DecodeAOscriptFile(good).file);
}

// The reader's fuzz target starts from these files (written anew with
// MV_WRITE_FUZZ_SEEDS=1 when the encoding changes): no scripts, both outputs' scripts
// with a loop back to step 2, and a looping feedback schedule.
TEST_F(AOscriptFileTest, TheFuzzSeedsAreFilesThisEncoderWrites) {
  AnalogOutputScriptFile none;
  AnalogOutputScriptFile scripts;
  scripts.script[0][1] = 3.0f;
  const float out1[3][3] = {{1.0f, 2.0f, 2.0f}, {4.0f, -3.0f, 3.0f}, {2.5f, 2.0f, 2.0f}};
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) scripts.script[r + 1][c + 1] = out1[r][c];
  scripts.script[0][4] = 2.0f;
  scripts.script[1][4] = 0.5f, scripts.script[1][5] = 10.0f, scripts.script[1][6] = 2.0f;
  scripts.script[2][4] = 5.0f, scripts.script[2][5] = -20.0f, scripts.script[2][6] = 3.0f;
  scripts.script[1][0] = 1.0f, scripts.script[2][0] = 0.0f;  // pre-run and end volts
  scripts.script[7][0] = 2.0f, scripts.script[8][0] = 3.0f;  // start and stop events
  AnalogOutputScriptFile feedback;
  for (int r = 1; r <= 4; ++r) {
    feedback.feedback[r][1] = 20.0f + static_cast<float>(r);
    feedback.feedback[r][2] = 0.0f;
    feedback.feedback[r][3] = 5.0f;
    feedback.feedback[r][4] = 1.0f;
    feedback.feedback[r][5] = r == 2 ? -5.0f : 5.0f;
    feedback.feedback[r][6] = static_cast<float>(r == 4 ? 2 : r + 1);
  }
  feedback.feedbackChan = 2;
  feedback.updateInterval = 60;
  feedback.negativeFeedback = 1;
  feedback.endMode = 1;
  feedback.endSetpoint = 20.0f, feedback.endRange = 1.0f, feedback.endMinV = 0.0f, feedback.endMaxV = 5.0f;
  const std::pair<const char*, const AnalogOutputScriptFile*> seeds[] = {
      {"none.AOscr", &none}, {"scripts.AOscr", &scripts}, {"feedback.AOscr", &feedback}};
  const auto dir = test::SourcePath("tools/fuzz/corpus/aoscr");
  for (const auto& [name, file] : seeds) {
    const std::string bytes = EncodeAOscriptFile(*file);
    ASSERT_TRUE(DecodeAOscriptFile(bytes).file) << name;
    if (std::getenv("MV_WRITE_FUZZ_SEEDS")) {
      std::filesystem::create_directories(dir);
      std::ofstream(dir / name, std::ios::binary) << bytes;
    }
    std::ifstream in(dir / name, std::ios::binary);
    const std::string stored{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(stored, bytes) << name;
  }
}

}  // namespace
}  // namespace mv
