// The whole program started the way a user starts it, driven by a script.
#include <filesystem>

#include "common/test_support.h"
#include "drive/script.h"
#include "runtime/clock.h"
#include "shell/main_body.h"

namespace mv {
namespace {

using FirstWindowTest = test::ProgramTest;

TEST_F(FirstWindowTest, ProgramOpensItsWindowAndQuitsOnCtrlQ) {
  rt::UseVirtualClock(false);
  auto shot = test::TestOutputDir() / "w1-first-window.png";
  drive::ScriptRunner runner("start\nuntil 1\nshot 1 " + shot.string() + "\nkey ctrl+q\nexpect-exit 0\n");
  auto result = runner.Run([](int argc, char** argv) { MainBody(argc, argv); });
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
  EXPECT_TRUE(std::filesystem::exists(shot));
}

}  // namespace
}  // namespace mv
