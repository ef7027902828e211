// The splash photos, and the About and More Info windows.
#include <gtest/gtest.h>

#include <filesystem>

#include "drive/script.h"
#include "launch_test_support.h"
#include "runtime/system.h"
#include "runtime/windows.h"
#include "shell/about.h"
#include "shell/state.h"

namespace mv {
namespace {

using AboutTest = test::LaunchTest;

TEST_F(AboutTest, SplashPhotosAreTheFilesOfTheSplashFolder) {
  EXPECT_STREQ(SplashPhotoName(0), "");
  EXPECT_STREQ(SplashPhotoName(53), "");
  for (int16_t n = 1; n <= 52; ++n)
    EXPECT_TRUE(rt::FileExistsAtPath(rt::ResourcePath("MVsplashscreens", SplashPhotoName(n))))
        << SplashPhotoName(n);
}

TEST_F(AboutTest, AboutYearIsTheCurrentYearButNeverBefore2015) {
  EXPECT_EQ(AboutYear("06/30/25").str(), "2025");
  EXPECT_EQ(AboutYear("12/31/15").str(), "2015");
  EXPECT_EQ(AboutYear("01/01/14").str(), "2015");
  EXPECT_EQ(AboutYear("").str(), "2015");
}

TEST_F(AboutTest, AboutAndMoreInfoOpenAndCloseFromTheirButtons) {
  PrefsArray[PrefsSlot::WeirdSounds] = 1;
  const auto about = test::TestOutputDir() / "w33-about.png";
  const auto more = test::TestOutputDir() / "w34-more-info.png";
  drive::ScriptRunner runner("start\nuntil 33\nwait 0.2\nshot 33 " + about.string() +
                             "\nclick 33 2\nuntil 34\nshot 34 " + more.string() +
                             "\nclick 34 1\ngone 34\nuntil 33\nclick 33 112\ngone 33\n");
  auto result = runner.Run([](int, char**) { AboutMV(); });
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
  EXPECT_TRUE(std::filesystem::exists(about));
  EXPECT_TRUE(std::filesystem::exists(more));
  EXPECT_TRUE(PlayedFile("MVsounds/piiing.mp3"));
  EXPECT_TRUE(PlayedFile("MVsounds/wsst.mp3")) << "the closing sound";
  EXPECT_GE(Nflies, 5);
}

}  // namespace
}  // namespace mv
