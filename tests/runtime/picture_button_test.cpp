// Picture buttons show their picture over the whole of their rectangle, so a
// column of them with rectangles a pixel or two apart in height still lines up.
#include <QColor>
#include <QImage>
#include <QPainter>
#include <QWidget>

#include "common/test_support.h"
#include "runtime/qt_bridge.h"
#include "runtime/windows.h"

namespace mv {
namespace {

using PictureButtonTest = test::ProgramTest;

// A wide picture with a thick red frame around a blue middle, like the options
// window's button pictures (320 by 44).
std::string FramedPicture() {
  const auto path = test::MakeTempDir("picture-button") / "framed.png";
  QImage image(320, 44, QImage::Format_RGB32);
  image.fill(QColor(0, 0, 255));
  QPainter p(&image);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 0, 0));
  for (const QRect& band : {QRect(0, 0, 320, 5), QRect(0, 39, 320, 5), QRect(0, 0, 5, 44), QRect(315, 0, 5, 44)})
    p.drawRect(band);
  p.end();
  EXPECT_TRUE(image.save(QString::fromStdString(path.string())));
  return path.string();
}

bool Red(QRgb c) { return qRed(c) > 180 && qBlue(c) < 90; }
bool Blue(QRgb c) { return qBlue(c) > 180 && qRed(c) < 90; }

TEST_F(PictureButtonTest, ThePictureFillsItsRectangleWhateverItsHeight) {
  const std::string picture = FramedPicture();
  rt::OpenWindow(112, "Buttons", Rect{0, 0, 340, 170}, 6);
  struct Case {
    int16_t number;
    Rect where;
  };
  // Rectangles 44, 43 and 42 pixels high, as a column of buttons has them.
  const Case cases[] = {{1, {5, 5, 325, 49}}, {2, {5, 54, 325, 97}}, {3, {5, 103, 325, 145}}};
  for (const Case& c : cases) rt::NewPictureButton(c.number, picture, c.where, 1);
  rt::FlushWindow();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.number);
    QWidget* button = rt::bridge::ControlWidget(112, c.number);
    ASSERT_NE(button, nullptr);
    const QImage shown = button->grab().toImage();
    ASSERT_EQ(shown.height(), c.where.height());
    const int right = shown.width() - 1, bottom = shown.height() - 1;
    for (const QPoint corner : {QPoint(0, 0), QPoint(right, 0), QPoint(0, bottom), QPoint(right, bottom)})
      EXPECT_TRUE(Red(shown.pixel(corner))) << "the frame reaches the corner " << corner.x() << "," << corner.y();
    EXPECT_TRUE(Blue(shown.pixel(shown.width() / 2, shown.height() / 2)));
  }
}

TEST_F(PictureButtonTest, AMarkedPictureButtonLooksDifferentFromAnEnabledOne) {
  const std::string picture = FramedPicture();
  rt::OpenWindow(112, "Buttons", Rect{0, 0, 340, 60}, 6);
  rt::NewPictureButton(1, picture, Rect{5, 5, 325, 49}, 1);
  QWidget* button = rt::bridge::ControlWidget(112, 1);
  ASSERT_NE(button, nullptr);
  const QImage enabled = button->grab().toImage();
  rt::SetControlState(1, 2);
  const QImage marked = button->grab().toImage();
  EXPECT_NE(enabled, marked);
  rt::SetControlState(1, 0);
  EXPECT_NE(button->grab().toImage(), enabled) << "a dimmed picture button looks dimmed";
}

}  // namespace
}  // namespace mv
