// The "Backup Interval" window driven from the event pump as a user would.
#include <gtest/gtest.h>

#include "files/save_commands.h"
#include "files/state.h"
#include "files_test_support.h"
#include "kit/state.h"
#include "runtime/menus.h"
#include "runtime/qt_bridge.h"
#include "runtime/windows.h"

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

// A click on the window's background takes the focus from the field; a digit typed
// then must not end the window and take the interval.
TEST_F(BackupIntervalWindowTest, OnlyReturnEndsTheWindowWhenNoFieldHasTheFocus) {
  const auto typeOnWindow = [](Qt::Key key, QString text) {
    return Do([key, text] {
      rt::BringWindowForward(W);
      QWidget* w = rt::bridge::WindowWidget(W);
      w->setFocus(Qt::OtherFocusReason);
      QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
      QApplication::sendEvent(w, &press);
    });
  };
  Drive({Until(W), Click(W, 1), typeOnWindow(Qt::Key_7, "7"),
         Do([] { EXPECT_TRUE(rt::WindowExists(W)) << "a digit is no command"; }),
         typeOnWindow(Qt::Key_Return, "\r")});
  SetTimedSAVE();
  EXPECT_TRUE(ScriptDone());
  EXPECT_FALSE(rt::WindowExists(W));
  EXPECT_EQ(TimedSaveINTERVAL, 5 * 3'600);
}

}  // namespace
}  // namespace mv
