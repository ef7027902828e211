// The shutdown message file and its editor.
#include "files/shutdown_message.h"

#include <gtest/gtest.h>

#include "files_test_support.h"

namespace mv {
namespace {

using test::FilesTest;
constexpr int16_t W = kShutdownMessageWindow;

class ShutdownMessageTest : public FilesTest {
 protected:
  std::string File() { return ReadBytes(configDir / kShutdownMessageFileName); }
  void Edit(std::vector<Step> steps) {
    steps.insert(steps.begin(), Until(W));
    Drive(steps);
    ShutdownMessage();
    EXPECT_TRUE(ScriptDone());
    EXPECT_FALSE(rt::WindowExists(W));
  }
};

TEST_F(ShutdownMessageTest, TheFileHoldsTheTextAndTwoCRs) {
  ASSERT_TRUE(WriteShutdownMessage("text"));
  EXPECT_EQ(File(), "text\r\r");
  EXPECT_EQ(ReadShutdownMessage(), "text");
}

TEST_F(ShutdownMessageTest, ALongerEarlierMessageDoesNotSurviveBehindAShortOne) {
  ASSERT_TRUE(WriteShutdownMessage("a long message from last week, with commas"));
  ASSERT_TRUE(WriteShutdownMessage("short"));
  EXPECT_EQ(File(), "short\r\r");
}

TEST_F(ShutdownMessageTest, TheWholeFirstLineIsReadWhateverItsEndAndCommas) {
  WriteBytes(configDir / kShutdownMessageFileName, "Lab closes at six, sharp\nsecond line");
  EXPECT_EQ(ReadShutdownMessage(), "Lab closes at six, sharp");
  EXPECT_EQ(ShutdownMessageForEditor(), "Lab closes at six, sharp");
}

TEST_F(ShutdownMessageTest, AMissingFileOrAnEmptyLineShowsThePrompt) {
  EXPECT_EQ(ShutdownMessageForEditor(), kShutdownMessagePrompt);
  WriteBytes(configDir / kShutdownMessageFileName, "\r\r");
  EXPECT_EQ(ShutdownMessageForEditor(), kShutdownMessagePrompt);
}

TEST_F(ShutdownMessageTest, ALineEndInTheTextCannotStartASecondLine) {
  EXPECT_EQ(ShutdownMessageFileBytes("one\rtwo"), "one\r\r");
}

TEST_F(ShutdownMessageTest, TheEditorSavesTheTypedText) {
  Edit({Shot(W, "w666-shutdown-message.png"), Type(W, kShutdownMessageField, "Gone fishing, back Monday"),
        Click(W, kShutdownSaveButton)});
  EXPECT_EQ(File(), "Gone fishing, back Monday\r\r");
}

TEST_F(ShutdownMessageTest, ReturnSavesAndNeverStartsASecondLine) {
  Edit({Type(W, kShutdownMessageField, "Back soon"), Key(W, kShutdownMessageField, Qt::Key_Return, "\r")});
  EXPECT_EQ(File(), "Back soon\r\r");
}

TEST_F(ShutdownMessageTest, ClearSavesAnEmptyMessageSoThePromptShowsNextTime) {
  ASSERT_TRUE(WriteShutdownMessage("old message"));
  Edit({Do([] { EXPECT_EQ(rt::EditText(kShutdownMessageField), "old message"); }),
        Click(W, kShutdownClearButton)});
  EXPECT_EQ(File(), "\r\r");
  EXPECT_EQ(ShutdownMessageForEditor(), kShutdownMessagePrompt);
}

TEST_F(ShutdownMessageTest, AMessageThatCannotBeWrittenSaysSoAndKeepsTheOldOne) {
  ASSERT_TRUE(WriteShutdownMessage("old message"));
  {
    test::FileSizeLimit limit(5);
    Edit({Type(W, kShutdownMessageField, "a new message far longer than five bytes"),
          Click(W, kShutdownSaveButton)});
  }
  EXPECT_EQ(File(), "old message\r\r");
  EXPECT_EQ(notices.size(), 1u);
}

}  // namespace
}  // namespace mv
