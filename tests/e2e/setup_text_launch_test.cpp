// The program started with a set-up file of the old text form on its command line,
// as a file manager starts it: the file's set-up reaches the set-up window.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "common/test_support.h"
#include "drive/script.h"
#include "e2e/program_run_fixture.h"
#include "files/state.h"
#include "kit/state.h"
#include "setup/setup_window.h"
#include "setup/state.h"
#include "shell/commands.h"
#include "shell/main_body.h"

namespace mv {
namespace {

class SetupTextLaunchE2E : public test::ProgramRunTest {
 protected:
  void SetUp() override {
    ProgramRunTest::SetUp();
    commands::DISPLAYSETUP = [] { DISPLAYSETUP(); };
  }
};

std::string Label(const std::string& text) {
  return text + std::string(30 - text.size(), ' ');
}

TEST_F(SetupTextLaunchE2E, ATextFormSetupFileOpensTheSetupWindowWithItsChannels) {
  // Three chart channels at 1 s, written as the old text form, one field a line;
  // their strips were laid out for a smaller window, so the loader asks about the
  // screen size and the strips are laid out afresh. With no preferences the
  // interface is chosen next (demonstration mode), then the set-up window opens.
  std::string text =
      "1\r3\r60\r1\r0\r0,0,0\r" + Label("oxygen") + Label("carbon dioxide") + Label("flow") + "\r";
  for (int ch = 1; ch <= 3; ++ch) text += std::to_string(ch) + ",0,1,0,10,0,1,100,100,100,98,100,0\r";
  const auto file = documents_ / "chamber-text.MVsetup";
  std::ofstream(file, std::ios::binary) << text;

  const std::string script = "start " + file.string() +
                             "\nuntil 11\nclick 11 1\ngone 11\nuntil 21\nclick-label 21 "
                             "Test/demonstration\ngone 21\nuntil 104 20\nshot 104 " +
                             Shot("w104-text-form-setup.png") + "\nwait 0.2\n";
  const auto result = drive::ScriptRunner(script).Run([](int argc, char** argv) { MainBody(argc, argv); });
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
  EXPECT_EQ(SetupFileName.str(), "chamber-text.MVsetup");
  EXPECT_EQ(nChannels, 3);
  EXPECT_EQ(ChartIntervalInSeconds, 1.0);
  EXPECT_EQ(datalabel.str().substr(30, 14), "carbon dioxide");
  EXPECT_TRUE(std::filesystem::exists(test::TestOutputDir() / "w104-text-form-setup.png"));
}

}  // namespace
}  // namespace mv
