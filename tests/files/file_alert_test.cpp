// The alert of a file that could not be read or written.
#include "files/file_alert.h"

#include <gtest/gtest.h>

#include "files/needs.h"
#include "files/prefs_file.h"
#include "files_test_support.h"

namespace mv {
namespace {

using test::FilesTest;
constexpr int16_t W = kFileAlertWindow;

TEST(FileAlertText, WrapsAtBlanksAndCutsAWordLongerThanALine) {
  EXPECT_EQ(WrapText("one two three", 7), (std::vector<std::string>{"one two", "three"}));
  EXPECT_EQ(WrapText("abcdefghij x", 4), (std::vector<std::string>{"abcd", "efgh", "ij x"}));
  EXPECT_EQ(WrapText("caf\xC3\xA9 au lait", 4), (std::vector<std::string>{"caf\xC3\xA9", "au", "lait"}))
      << "characters are counted, not bytes";
  EXPECT_TRUE(WrapText("", 10).empty());
}

TEST_F(FilesTest, TheAlertWaitsForOKAndGivesTheWindowBack) {
  rt::OpenWindow(5, "behind", Rect{10, 10, 300, 200}, 6);
  Drive({Until(W), Shot(W, "w668-file-alert.png"), Click(W, kFileAlertOK)});
  FileAlert("Preferences not saved",
            "The preferences could not be saved (could not create a temporary file in "
            "/home/someone/.config/mirevant: "
            "Permission denied). The file that was there is unchanged.");
  EXPECT_TRUE(ScriptDone());
  EXPECT_FALSE(rt::WindowExists(W));
  EXPECT_EQ(rt::OutputWindow(), 5);
}

TEST_F(FilesTest, ARefusedPreferencesFileIsAnnouncedOnceByTheRealAlert) {
  files_hooks::ResetFilesHooks();  // the real alert, not the test's recorder
  WriteBytes(configDir / kPreferencesFileName, "not a preferences file");
  int shown = 0;
  Drive({Until(W), Do([&shown] { ++shown; }), Click(W, kFileAlertOK)});
  EXPECT_EQ(GETSettings(), PrefsLoad::Refused);
  EXPECT_EQ(shown, 1);
  EXPECT_TRUE(ScriptDone());
}

}  // namespace
}  // namespace mv
