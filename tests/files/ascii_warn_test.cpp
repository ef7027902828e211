// The caution before a text save and the text save with its progress window.
#include "files/ascii_warn.h"

#include <gtest/gtest.h>

#include "acquisition/state.h"
#include "files/state.h"
#include "files/text_file.h"
#include "files_test_support.h"
#include "kit/state.h"
#include "runtime/menus.h"
#include "setup/state.h"
#include "writers_test_support.h"

namespace mv {
namespace {

using test::FilesTest;
constexpr int16_t W = kTextCautionWindow;

class AsciiWarnTest : public FilesTest {
 protected:
  void SetUp() override {
    FilesTest::SetUp();
    for (int16_t m = 1; m <= 5; ++m) rt::NewMenu(m, "menu");
    rt::EnableMenuItem(4, 0, false);
  }
};

TEST_F(AsciiWarnTest, CheckBoxSetsTheTimeColumnAndContinueReturns) {
  PrefsArray[PrefsSlot::TimeColumn] = 0;
  Drive({Until(W), Click(W, kTextCautionTimeColumn), Shot(W, "w3-text-caution.png"), Do([] {
           EXPECT_EQ(rt::ControlState(kTextCautionTimeColumn), 2);
           EXPECT_FALSE(rt::MenuItemEnabled(2, 0));
           EXPECT_FALSE(rt::MenuItemEnabled(5, 0));
           EXPECT_TRUE(rt::MenuItemEnabled(1, 0));
         }),
         Click(W, kTextCautionContinue)});
  ASCIIWARN();
  EXPECT_TRUE(ScriptDone());
  EXPECT_FALSE(rt::WindowExists(W));
  EXPECT_EQ(PrefsArray[PrefsSlot::TimeColumn], 1);
  EXPECT_TRUE(rt::MenuItemEnabled(2, 0)) << "menus come back as they were";
  EXPECT_FALSE(rt::MenuItemEnabled(4, 0));

  Drive({Until(W), Click(W, kTextCautionTimeColumn), Click(W, kTextCautionTimeColumn),
         Click(W, kTextCautionContinue)});
  ASCIIWARN();
  EXPECT_EQ(PrefsArray[PrefsSlot::TimeColumn], 1) << "two clicks leave the slot as it was";
}

TEST(TextProgress, AboutThreeHundredStepsAndTheSameBytes) {
  test::FakeRecording r;
  DataFileFacts f = test::SmallFacts();
  f.nChannels = 1;
  f.samples = 3000;
  r.rows[1].assign(3001, 1.5f);
  std::vector<int32_t> done;
  const auto dir = test::MakeTempDir("text-progress");
  ASSERT_TRUE(WriteTextFile((dir / "a.txt").string(), r, f, [&](int32_t d, int32_t rows) {
    EXPECT_EQ(rows, 3000);
    done.push_back(d);
  }));
  EXPECT_EQ(done.size(), 300u);
  EXPECT_EQ(done.front(), 10);
  EXPECT_EQ(done.back(), 3000);
  EXPECT_EQ(test::Slurp(dir / "a.txt"), EncodeTextFile(r, f));
  std::filesystem::remove_all(dir);
}

TEST_F(AsciiWarnTest, SaveWithProgressWritesTheSameFileMarksItSavedAndCloses) {
  Sound_Is_On = 1;
  PrefsArray[PrefsSlot::WeirdSounds] = 1;
  nChannels = 1;
  FirstChan = 1;
  nSamples = 5;  // a stopped run of five samples
  Sample = 4;
  SampleInterval = 1.0f;
  for (int c = 0; c <= 4; ++c) ChartDataArray.Set(1, c, 0.5f * c);
  const auto dir = test::MakeTempDir("text-save");
  ASSERT_TRUE(SaveASCII((dir / "quiet.txt").string(), 0));
  PrefsArray[PrefsSlot::LastRunSaved] = 0;
  ASSERT_TRUE(SaveASCII((dir / "shown.txt").string(), 1));
  EXPECT_FALSE(rt::WindowExists(kTextSaveProgressWindow));
  EXPECT_EQ(PrefsArray[PrefsSlot::LastRunSaved], 1);
  EXPECT_EQ(test::Slurp(dir / "shown.txt"), test::Slurp(dir / "quiet.txt"));
  EXPECT_EQ(CountPlayed("wsst.mp3"), 2);
  EXPECT_FALSE(SaveASCII((dir / "none" / "x.txt").string(), 1));
  EXPECT_EQ(CountPlayed("wsst.mp3"), 2) << "no success sound for a failed save";
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace mv
