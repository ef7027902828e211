// The window builders on real windows: frames, stripes, icons, labels, buttons,
// edit fields and their colour codes, the progress bar, and the gallery.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>

#include "kit_test_support.h"
#include "runtime/qt_bridge.h"
#include "runtime/system.h"
#include "shell/kit/builders.h"
#include "shell/kit/drawing.h"
#include "shell/kit/gallery.h"
#include "shell/state.h"

namespace mv {
namespace {

using BuildersTest = test::KitTest;

constexpr RGBColor kYellow{65535, 65535, 0};

bool IsBlack(RGBColor c) {
  return c.red < 3000 && c.green < 3000 && c.blue < 3000;
}

TEST_F(BuildersTest, BuildWindowPadsTheTitleAndClearsToTheThemeBackground) {
  BuildWINDOW(12, "Sample Rate", 100, 80, 420, 300, 6);
  ASSERT_TRUE(rt::WindowExists(12));
  EXPECT_EQ(rt::WindowTitle(12), " Sample Rate ");
  Rect r = rt::WindowContentRect(12);
  EXPECT_EQ(r.width(), 320);
  EXPECT_EQ(r.height(), 220);
  EXPECT_EQ(rt::CanvasPixel(160, 110), kThemeBackground);
  EXPECT_EQ(rt::TextFont().pixelSize, 12);
  EXPECT_EQ(rt::TextColor(), test::KitTest::kBlack);
}

TEST_F(BuildersTest, WindowBackgroundBrushesColoursAndZero) {
  BuildWINDOW(3, "bg", 0, 0, 60, 40, 6);
  SetWindowBackground(RGBColor{1000, 50000, 1000}, true);
  EXPECT_EQ(rt::CanvasPixel(30, 20), OnCanvas(RGBColor{1000, 50000, 1000}));  // stored as 8-bit components
  SetWindowBackground(0, true);
  EXPECT_EQ(rt::WindowBackgroundColor(), (RGBColor{1000, 50000, 1000})) << "0 does nothing";
  SetWindowBackground(0x10000 + 56, true);
  EXPECT_EQ(rt::WindowBackgroundColor(), (RGBColor{1000, 50000, 1000})) << "low half 56 is no theme brush";
  SetWindowBackground(0x70000 - 5, false);  // low half -5: a theme brush
  EXPECT_EQ(rt::WindowBackgroundColor(), kThemeBackground);
  EXPECT_EQ(rt::CanvasPixel(30, 20), OnCanvas(RGBColor{1000, 50000, 1000}))
      << "without the clear flag nothing is repainted";
}

TEST_F(BuildersTest, SunkenAndRaisedFramesAndTheEngravedLine) {
  WhiteWindow(4, 200, 120);
  rt::FillWindow(LightGray);
  BUILDBOX(10, 10, 60, 50);
  EXPECT_EQ(rt::CanvasPixel(30, 10), OnCanvas(mediumDarkGray)) << "top edge";
  EXPECT_EQ(rt::CanvasPixel(10, 30), OnCanvas(mediumDarkGray)) << "left edge";
  EXPECT_EQ(rt::CanvasPixel(30, 50), kWhite) << "bottom edge";
  EXPECT_EQ(rt::CanvasPixel(60, 30), kWhite) << "right edge";
  EXPECT_EQ(rt::CanvasPixel(30, 30), OnCanvas(LightGray)) << "inside untouched";
  BUILDBOX2(80, 10, 130, 50);
  EXPECT_EQ(rt::CanvasPixel(100, 10), kWhite);
  EXPECT_EQ(rt::CanvasPixel(80, 30), kWhite);
  EXPECT_EQ(rt::CanvasPixel(100, 51), OnCanvas(mediumDarkGray))
      << "the outline is one pixel wider at the bottom";
  EXPECT_EQ(rt::CanvasPixel(131, 30), OnCanvas(mediumDarkGray)) << "and at the right";
  BuildGrayBox(140, 10, 190, 50, 0);
  EXPECT_EQ(rt::CanvasPixel(165, 30), OnCanvas(LightGray));
  EXPECT_EQ(rt::CanvasPixel(165, 10), OnCanvas(mediumDarkGray)) << "unset flag: the sunken frame";
  rt::FillWindow(LightGray);
  DoubleLINE(10, 190, 80);
  EXPECT_EQ(rt::CanvasPixel(100, 80), kWhite);
  EXPECT_EQ(rt::CanvasPixel(100, 79), OnCanvas(mediumDarkGray));
  EXPECT_EQ(rt::CanvasPixel(100, 81), OnCanvas(LightGray));
}

// Stripe k's centre runs through the pixels whose x + y is 27k - 20.
TEST_F(BuildersTest, WarningStripesKeepYellowInside800By750AndEndAtTheFiftyFifthStripe) {
  BuildWINDOW(1776, "", 0, 0, 900, 760, 6);
  WARNINGSTRIPES(300);
  EXPECT_EQ(rt::CanvasPixel(795, 8), kYellow) << "between stripes, inside 800 by 750";
  EXPECT_EQ(rt::CanvasPixel(799, 31), kYellow);
  EXPECT_EQ(rt::CanvasPixel(805, 25), kThemeBackground) << "no yellow right of x 800";
  EXPECT_EQ(rt::CanvasPixel(52, 751), kThemeBackground) << "no yellow below y 750";
  EXPECT_EQ(rt::CanvasPixel(54, 749), kYellow);
  EXPECT_TRUE(IsBlack(rt::CanvasPixel(-20 + 27 * 30 - 300, 300))) << "stripe 31";
  EXPECT_TRUE(IsBlack(rt::CanvasPixel(890, 548))) << "the last stripe, x + y = 1438";
  EXPECT_EQ(rt::CanvasPixel(890, 575), kThemeBackground) << "no 56th stripe at x + y = 1465";
  EXPECT_EQ(rt::CanvasPixel(890, 562), kThemeBackground) << "and a gap after the last one";
  EXPECT_EQ(rt::CanvasPixel(450, 380), kThemeBackground) << "the message area is cleared";
  EXPECT_EQ(rt::CanvasPixel(450, 301), OnCanvas(mediumDarkGray)) << "and framed, sunken";
  EXPECT_EQ(rt::CanvasPixel(301, 380), OnCanvas(mediumDarkGray));
  EXPECT_EQ(rt::CanvasPixel(450, 458), test::KitTest::kWhite);
  EXPECT_EQ(rt::CanvasPixel(598, 380), test::KitTest::kWhite);
}

TEST_F(BuildersTest, IconNumbersDrawTheirPicturesAboveThePointAndOthersNothing) {
  const std::pair<int16_t, IconInfo> table[] = {
      {128, {"chart image.gif", 22}}, {129, {"scope image.gif", 22}}, {130, {"scope+chart image.gif", 22}},
      {138, {"CautionIcon.gif", 33}}, {139, {"stopIcon.gif", 32}},    {140, {"skullIcon.gif", 32}}};
  for (auto& [n, info] : table) {
    EXPECT_STREQ(IconFor(n).file, info.file);
    EXPECT_EQ(IconFor(n).height, info.height);
    EXPECT_TRUE(rt::FileExistsAtPath(rt::ResourcePath("MVimages", info.file))) << info.file;
  }
  WhiteWindow(5, 300, 100);
  auto blank = Snapshot(300, 100);
  for (int16_t n : {127, 131, 132, 135, 137, 141, 0, -1}) DrawIcon(n, 10, 60);
  EXPECT_EQ(Snapshot(300, 100), blank);
  DrawIcon(139, 100, 60);  // the stop sign: red, 32 by 32 above (100, 60)
  int changedInside = 0, changedOutside = 0;
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 300; ++x) {
      bool inside = x >= 100 && x < 132 && y >= 28 && y < 60;
      if (rt::CanvasPixel(x, y) != test::KitTest::kWhite) (inside ? changedInside : changedOutside)++;
    }
  EXPECT_GT(changedInside, 500);
  EXPECT_EQ(changedOutside, 0);
  RGBColor sign = rt::CanvasPixel(116, 36);
  EXPECT_GT(sign.red, 40000) << "red of the sign";
  EXPECT_LT(sign.green, 5000);
}

TEST_F(BuildersTest, EmbossedLabelsUseAquaOnlyWithTheFlagAndTheSlot) {
  auto countNear = [](RGBColor want) {
    int n = 0;
    for (int y = 0; y < 60; ++y)
      for (int x = 0; x < 220; ++x) n += rt::CanvasPixel(x, y) == want;
    return n;
  };
  const RGBColor secondShade = OnCanvas(RGBColor{0, 32700, 60535});
  for (int16_t flag : {0, 1}) {
    for (int16_t slot : {0, 1}) {
      WhiteWindow(6, 220, 60);
      PrefsArray[PrefsSlot::AquaLabels] = slot;
      PrefsArray[PrefsSlot::LabelFont] = 2;
      EmbossPrint(flag, "Heading", 28, 20, 40);
      bool aqua = flag && slot;
      EXPECT_EQ(countNear(secondShade) > 0, aqua) << flag << slot;
      EXPECT_EQ(countNear(test::KitTest::kBlack) > 0, !aqua) << flag << slot;
    }
  }
  WhiteWindow(6, 220, 60);
  PrefsArray[PrefsSlot::AquaLabels] = 1;
  EmbossPrint(1, "Heading", 28, 20, 40);
  auto first = Snapshot(220, 60);
  RGBColor aquaBefore = Aqua;
  WhiteWindow(6, 220, 60);
  EmbossPrint(1, "Heading", 28, 20, 40);
  EXPECT_EQ(Snapshot(220, 60), first) << "a second call draws the same two colours";
  EXPECT_EQ(Aqua, aquaBefore);
  EXPECT_EQ(rt::TextColor(), test::KitTest::kBlack);
}

TEST_F(BuildersTest, ButtonsGetTheirRectangleLabelAndFrame) {
  WhiteWindow(7, 240, 80);
  BUILDBUTTON(21, 2, "Audible", 20, 20, 2, 1);
  ASSERT_TRUE(rt::ControlExists(21));
  EXPECT_EQ(rt::ControlState(21), 2);
  QWidget* w = rt::bridge::ControlWidget(7, 21);
  EXPECT_EQ(w->geometry(), QRect(20, 20, 16, 13));
  EXPECT_EQ(rt::ControlTitle(21), "") << "the label is drawn, not the button's title";
  EXPECT_EQ(rt::CanvasPixel(27, 19), OnCanvas(mediumDarkGray)) << "the frame's top edge at y - 1";
  EXPECT_EQ(rt::CanvasPixel(27, 34), test::KitTest::kWhite);
  int ink = 0;
  for (int x = 41; x < 100; ++x)
    for (int y = 20; y < 34; ++y) ink += rt::CanvasPixel(x, y) != test::KitTest::kWhite;
  EXPECT_GT(ink, 20) << "the label starts at x + 21";
  BUILDBUTTON(22, 1, "", 120, 20, 3, 0);
  EXPECT_EQ(rt::CanvasPixel(127, 19), test::KitTest::kWhite) << "unframed: no frame";
}

TEST(EditFieldColours, CodesZeroToTenAndEverythingElse) {
  ResetShellState();
  const RGBColor black{0, 0, 0}, white{65535, 65535, 65535}, red{65535, 0, 0}, blue{0, 0, 55535},
      green{0, 65535, 0};
  const RGBColor fore[11] = {black,  black, red,  blue, rgbyellow, sunset, white, extremelyLightGray,
                             manila, black, green};
  const RGBColor back[11] = {black,  lightBlue,          red,  blue, rgbyellow, sunset, white, VeryLightGray,
                             manila, extremelyLightGray, green};
  for (int16_t c = 0; c <= 10; ++c) {
    EXPECT_EQ(EditFieldForeColor(c), fore[c]) << c;
    EXPECT_EQ(EditFieldBackColor(c), back[c]) << c;
  }
  for (int16_t c : {-1, -32768, 11, 99}) {
    EXPECT_EQ(EditFieldForeColor(c), black) << c;
    EXPECT_EQ(EditFieldBackColor(c), white) << c;
  }
}

TEST_F(BuildersTest, FieldTypesSelectionAndColoursOfBuildEF) {
  BuildWINDOW(8, "fields", 0, 0, 400, 200, 6);
  EFForeColor = 3;
  EFBackColor = 8;
  BUILDEF(1, "12.5", 10, 10, 100, 30, 3, 3);
  auto* line = qobject_cast<QLineEdit*>(rt::bridge::EditFieldWidget(8, 1));
  ASSERT_NE(line, nullptr) << "type 3: a single-line field";
  EXPECT_EQ(rt::EditSelection(1), (std::pair<int, int>{0, 4})) << "editable fields start all selected";
  EXPECT_EQ(line->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
  EXPECT_EQ(line->palette().color(QPalette::Text), QColor::fromRgbF(0, 0, 55535 / 65535.0));
  EXPECT_EQ(line->palette().color(QPalette::Base), QColor::fromRgbF(1, 65399 / 65535.0, 50461 / 65535.0));
  BUILDEF(2, "two\rlines", 10, 40, 200, 80, 0, 1);
  EXPECT_NE(qobject_cast<QPlainTextEdit*>(rt::bridge::EditFieldWidget(8, 2)), nullptr)
      << "type 0 counts as 2";
  EXPECT_EQ(rt::EditSelection(2), (std::pair<int, int>{0, 9}));
  EFForeColor = -4;
  EFBackColor = 42;
  BUILDEF(3, "static", 10, 90, 200, 110, 7, 2);
  auto* label = qobject_cast<QLabel*>(rt::bridge::EditFieldWidget(8, 3));
  ASSERT_NE(label, nullptr) << "type 7: static text";
  EXPECT_EQ(rt::EditText(3), "static");
  EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(Qt::black));
  EXPECT_EQ(label->palette().color(QPalette::Window), QColor(Qt::white));
  rt::FocusEditField(3);
  EXPECT_EQ(rt::FocusedEditField(), 0) << "static text never takes the focus";
  BUILDEF(1, "moved", 10, 120, 100, 140, 3, 1);
  EXPECT_EQ(rt::EditText(1), "moved");
  EXPECT_EQ(rt::EditSelection(1), (std::pair<int, int>{0, 5}));
}

TEST_F(BuildersTest, ProgressBarIsControl899AndIsResetWhenBuiltAgain) {
  BuildWINDOW(9, "progress", 0, 0, 300, 80, 5);
  buildProgressBAR(10, 10, 290, 30, 1, 2401);
  ASSERT_TRUE(rt::ControlExists(899));
  EXPECT_EQ(rt::ControlValue(899), 1);
  rt::SetControlValue(899, 5000);
  EXPECT_EQ(rt::ControlValue(899), 2400) << "maximum end - start";
  buildProgressBAR(10, 40, 200, 60, 1, 101);
  EXPECT_EQ(rt::ControlValue(899), 1);
  rt::SetControlValue(899, 500);
  EXPECT_EQ(rt::ControlValue(899), 100);
  EXPECT_EQ(rt::bridge::ControlWidget(9, 899)->geometry(), QRect(10, 40, 190, 20));
}

TEST_F(BuildersTest, GalleryShowsEveryBuilderAndIsSavedForReview) {
  BuildKitGallery();
  ASSERT_TRUE(rt::WindowExists(kGalleryWindow));
  auto path = test::TestOutputDir() / "w900-kit-builders.png";
  ASSERT_TRUE(rt::SaveWindowImage(kGalleryWindow, path.string()));
  EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_TRUE(sounds.empty()) << "the gallery makes no noise";
  EXPECT_EQ(PrefsArray[PrefsSlot::DashPattern], 0) << "dash slot put back";
  EXPECT_EQ(EFForeColor, 1);
  EXPECT_EQ(EFBackColor, 1);
  EXPECT_TRUE(rt::ControlExists(kProgressBarControl));
  EXPECT_EQ(rt::EditFields(kGalleryWindow).size(), 23u);
}

}  // namespace
}  // namespace mv
