// The splash shows its whole photo: the caption in the photo's bottom right corner
// must not fall outside the window.
#include <QColor>
#include <QImage>
#include <QPainter>

#include <cstdlib>
#include <filesystem>

#include "common/test_support.h"
#include "runtime/windows.h"
#include "shell/about.h"

namespace mv {
namespace {

class SplashPictureTest : public test::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    resources_ = test::MakeTempDir("splash-resources");
    setenv("MV_RESOURCES_DIR", resources_.c_str(), 1);
  }
  void TearDown() override {
    unsetenv("MV_RESOURCES_DIR");
    std::filesystem::remove_all(resources_);
    ProgramTest::TearDown();
  }
  std::filesystem::path resources_;
};

// Every splash photo replaced by one with a thin red edge around a blue middle.
void EdgedPhotos(const std::filesystem::path& resources) {
  const auto folder = resources / "MVsplashscreens";
  std::filesystem::create_directories(folder);
  QImage photo(550, 297, QImage::Format_RGB32);
  photo.fill(QColor(255, 0, 0));
  QPainter(&photo).fillRect(QRect(3, 3, 544, 291), QColor(0, 0, 255));
  for (int16_t n = 1; n <= 52; ++n)
    ASSERT_TRUE(photo.save(QString::fromStdString((folder / SplashPhotoName(n)).string()), "JPG", 100));
}

bool Red(RGBColor c) { return c.red > 45000 && c.green < 20000 && c.blue < 20000; }

TEST_F(SplashPictureTest, TheWholePhotoShowsEdgeToEdge) {
  EdgedPhotos(resources_);
  SplashScreenJPEG();
  rt::SetOutputWindow(kSplashWindow);
  const Rect r = rt::WindowContentRect(kSplashWindow);
  const int right = r.width() - 1, bottom = r.height() - 1;
  const int midX = r.width() / 2, midY = r.height() / 2;
  struct Edge {
    const char* name;
    int x, y;
  };
  const Edge edges[] = {{"left edge", 0, midY},
                        {"right edge", right, midY},
                        {"top edge", midX, 0},
                        {"bottom edge", midX, bottom},
                        {"bottom right corner, where the caption is", right, bottom}};
  for (const Edge& e : edges) EXPECT_TRUE(Red(rt::CanvasPixel(e.x, e.y))) << e.name;
  EXPECT_FALSE(Red(rt::CanvasPixel(midX, midY)));
}

}  // namespace
}  // namespace mv
