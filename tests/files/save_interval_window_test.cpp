// The "Backup Interval" window driven from the event pump as a user would.
#include <gtest/gtest.h>

#include "files/save_commands.h"
#include "files/state.h"
#include "files_test_support.h"
#include "runtime/menus.h"
#include "shell/state.h"

namespace mv {
namespace {

constexpr int16_t W = kBackupIntervalWindow;

class BackupIntervalWindowTest : public test::FilesTest {
 protected:
  void SetUp() override {
    FilesTest::SetUp();
    Sound_Is_On = 1;
    rt::NewMenu(1, "File");
    for (int16_t i = 1; i <= 10; ++i) rt::SetMenuItem(1, i, "item");
  }
};

TEST_F(BackupIntervalWindowTest, FifteenDoubledTwiceIsAnHourAndSwitchesBackupOn) {
  Drive({Until(W), Do([] { EXPECT_EQ(rt::EditText(102), "(off)"); }), Click(W, 3), Click(W, 11), Click(W, 11),
         Click(W, 22), Shot(W, "w16-backup-interval.png"), Click(W, 20)});
  SetTimedSAVE();
  EXPECT_TRUE(ScriptDone());
  EXPECT_FALSE(rt::WindowExists(W));
  EXPECT_EQ(TimedSaveINTERVAL, 60 * 3'600);
  EXPECT_EQ(PrefsArray[PrefsSlot::AutomaticBackup], 1);
  EXPECT_TRUE(rt::MenuItemChecked(1, 7));
  EXPECT_EQ(appendDATE, 1);
  EXPECT_EQ(CountPlayed("upvip.mp3"), 1);
}

TEST_F(BackupIntervalWindowTest, OffAndAnIntervalLeftAtOffBothEndTimedBackups) {
  TimedSaveINTERVAL = 10 * 3'600;
  PrefsArray[PrefsSlot::AutomaticBackup] = 1;
  Drive({Until(W), Do([] { EXPECT_EQ(rt::EditText(102), " 10"); }), Click(W, 19)});
  SetTimedSAVE();
  EXPECT_EQ(TimedSaveINTERVAL, 0);
  EXPECT_EQ(PrefsArray[PrefsSlot::AutomaticBackup], 0);
  EXPECT_FALSE(rt::MenuItemChecked(1, 7));
  EXPECT_EQ(CountPlayed("downvip.mp3"), 1);

  Drive({Until(W), Click(W, 11), Click(W, 20)});  // "(off)" doubled is still nothing
  SetTimedSAVE();
  EXPECT_EQ(TimedSaveINTERVAL, 0);
  EXPECT_EQ(CountPlayed("downvip.mp3"), 2);
}

TEST_F(BackupIntervalWindowTest, ATypedIntervalTakesEffectOnReturn) {
  Drive({Until(W), Type(W, 102, "7.5"), Key(W, 102, Qt::Key_Return, "\r")});
  SetTimedSAVE();
  EXPECT_FALSE(rt::WindowExists(W));
  EXPECT_EQ(TimedSaveINTERVAL, 27'000);
  EXPECT_EQ(PrefsArray[PrefsSlot::AutomaticBackup], 1);
}

}  // namespace
}  // namespace mv
