// The splash photos, and the About and More Info windows.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QPainter>
#include <cstdlib>
#include <filesystem>

#include "drive/script.h"
#include "kit/state.h"
#include "runtime/system.h"
#include "runtime/windows.h"
#include "shell/about.h"
#include "shell_test_support.h"

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

bool Red(RGBColor c) {
  return c.red > 45000 && c.green < 20000 && c.blue < 20000;
}

// The caption in the photo's bottom right corner must not fall outside the window.
TEST_F(AboutTest, TheSplashShowsItsWholePhotoEdgeToEdge) {
  // Every splash photo replaced by one with a thin red edge around a blue middle.
  const auto resources = test::MakeTempDir("splash-resources");
  std::filesystem::create_directories(resources / "MVsplashscreens");
  QImage photo(550, 297, QImage::Format_RGB32);
  photo.fill(QColor(255, 0, 0));
  QPainter(&photo).fillRect(QRect(3, 3, 544, 291), QColor(0, 0, 255));
  for (int16_t n = 1; n <= 52; ++n) {
    const auto file = resources / "MVsplashscreens" / SplashPhotoName(n);
    ASSERT_TRUE(photo.save(QString::fromStdString(file.string()), "JPG", 100));
  }
  setenv("MV_RESOURCES_DIR", resources.c_str(), 1);
  SplashScreenJPEG();
  std::filesystem::remove_all(resources);
  rt::SetOutputWindow(kSplashWindow);
  const Rect r = rt::WindowContentRect(kSplashWindow);
  const int right = r.width() - 1, bottom = r.height() - 1, midX = r.width() / 2, midY = r.height() / 2;
  EXPECT_TRUE(Red(rt::CanvasPixel(0, midY))) << "left edge";
  EXPECT_TRUE(Red(rt::CanvasPixel(right, midY))) << "right edge";
  EXPECT_TRUE(Red(rt::CanvasPixel(midX, 0))) << "top edge";
  EXPECT_TRUE(Red(rt::CanvasPixel(midX, bottom))) << "bottom edge";
  EXPECT_TRUE(Red(rt::CanvasPixel(right, bottom))) << "the bottom right corner, where the caption is";
  EXPECT_FALSE(Red(rt::CanvasPixel(midX, midY)));
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
