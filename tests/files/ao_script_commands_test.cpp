// "Save AO Data..." and "Open AO Data..." through the panels: what reaches the disk, and
// that a refused or unwritable file changes nothing.
#include "files/ao_script_commands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "control/ao_script_file.h"
#include "control/state.h"
#include "files_test_support.h"
#include "runtime/menus.h"
#include "runtime/panels.h"

namespace mv {
namespace {

class AOscriptCommandsTest : public test::FilesTest {
 protected:
  void SetUp() override {
    FilesTest::SetUp();
    dir = test::MakeTempDir("ao-scripts");
    rt::NewMenu(5, "D-A");
    for (int16_t i = 1; i <= 8; ++i) rt::SetMenuItem(5, i, "item");
  }
  std::filesystem::path dir;
};

TEST_F(AOscriptCommandsTest, SavedScriptLoadsBackAndChecksItsOutput) {
  AOscript[0][4] = 1.0f;
  AOscript[1][4] = 3.5f;
  AOscript[1][5] = 2.0f;
  AO2on = 1;  // as the script window leaves a script with steps
  FeedbackChan = 2;
  const auto path = (dir / "AO script.AOscr").string();
  rt::QueuePanelAnswer(path);
  SAVEAOscript();
  EXPECT_EQ(std::filesystem::file_size(path), 5682u);
  EXPECT_EQ(AOFileCFURL, path);

  ResetControlState();
  rt::QueuePanelAnswer(path);
  GETAOscript();
  EXPECT_TRUE(notices.empty());
  EXPECT_EQ(AOscript[1][4], 3.5f);
  EXPECT_EQ(FeedbackChan, 2);
  EXPECT_EQ(AO2on, 1);
  EXPECT_TRUE(rt::MenuItemChecked(5, 4));
}

TEST_F(AOscriptCommandsTest, ATruncatedFileIsReportedAndChangesNothing) {
  AOscript[0][1] = 1.0f;
  const std::string bytes = EncodeAOscriptFile(CaptureAOscriptFile());
  WriteBytes(dir / "short.AOscr", bytes.substr(0, 4000));
  AOscript[0][1] = 0.0f;
  AOscript[3][3] = 7.0f;
  rt::QueuePanelAnswer((dir / "short.AOscr").string());
  GETAOscript();
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(AOscript[3][3], 7.0f);
  EXPECT_EQ(AO1on, 0);
  EXPECT_FALSE(rt::MenuItemChecked(5, 1));
}

// The whole file is checked before any of it is taken: a file of the right length
// whose last value is spoilt leaves the scripts at its start untaken too.
TEST_F(AOscriptCommandsTest, AFileSpoiltAtItsEndChangesNothingAtItsStart) {
  AOscript[0][1] = 2.0f;
  AOscript[1][1] = 4.0f;
  AOscript[1][2] = 5.0f;
  FeedbackArray[1][5] = 3.0f;
  std::string bytes = EncodeAOscriptFile(CaptureAOscriptFile());
  ASSERT_EQ(bytes.size(), kAOscriptFileSize);
  bytes.replace(bytes.size() - 4, 4, std::string("\x7F\xC0\x00\x00", 4));  // end max volts: not a number
  WriteBytes(dir / "spoilt.AOscr", bytes);
  ResetControlState();
  AOscript[1][1] = 1.5f;
  rt::QueuePanelAnswer((dir / "spoilt.AOscr").string());
  GETAOscript();
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(AOscript[0][1], 0.0f);
  EXPECT_EQ(AOscript[1][1], 1.5f);
  EXPECT_EQ(FeedbackArray[1][5], 0.0f);
  EXPECT_EQ(AO1on, 0);
  EXPECT_FALSE(rt::MenuItemChecked(5, 1));
}

TEST_F(AOscriptCommandsTest, AFailedSaveLeavesTheOldFileAsItWas) {
  const auto path = dir / "old.AOscr";
  WriteBytes(path, "old contents");
  {
    test::FileSizeLimit limit(100);
    EXPECT_FALSE(WriteAOscriptFile(path.string()));
  }
  EXPECT_EQ(ReadBytes(path), "old contents");
  EXPECT_EQ(notices.size(), 1u);
}

TEST_F(AOscriptCommandsTest, CancellingEitherPanelDoesNothing) {
  rt::QueuePanelAnswer(std::nullopt);
  SAVEAOscript();
  rt::QueuePanelAnswer(std::nullopt);
  GETAOscript();
  EXPECT_TRUE(notices.empty());
  EXPECT_TRUE(std::filesystem::is_empty(dir));
}

}  // namespace
}  // namespace mv
