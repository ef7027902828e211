// The window and popup-menu builders on real windows: icons, labels, buttons, edit
// fields and their colour codes, the progress bar, the gallery, and popup lists whose
// texts placed after the list replace its placeholders and whose headings cannot be chosen.
#include "kit/builders.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QStandardItemModel>
#include <algorithm>

#include "kit/drawing.h"
#include "kit/gallery.h"
#include "kit/kit_test_support.h"
#include "kit/popups.h"
#include "kit/state.h"
#include "runtime/menus.h"
#include "runtime/qt_bridge.h"
#include "runtime/system.h"

namespace mv {
namespace {

using BuildersTest = test::KitTest;

TEST_F(BuildersTest, BuildWindowPadsTheTitleAndClearsToTheThemeBackground) {
  BuildWINDOW(12, "Sample Rate", 100, 80, 420, 300, 6);
  ASSERT_TRUE(rt::WindowExists(12));
  EXPECT_EQ(rt::WindowTitle(12), " Sample Rate ");
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

TEST_F(BuildersTest, IconNumbersDrawTheirPicturesAboveThePointAndOthersNothing) {
  for (int16_t n = 100; n <= 160; ++n)
    EXPECT_TRUE(!*IconFor(n).file || rt::FileExistsAtPath(rt::ResourcePath("MVimages", IconFor(n).file)))
        << n;
  WhiteWindow(5, 300, 100);
  auto blank = Snapshot(300, 100);
  for (int16_t n : {127, 131, 137, 141, 0, -1}) DrawIcon(n, 10, 60);
  EXPECT_EQ(Snapshot(300, 100), blank);
  DrawIcon(139, 100, 60);  // the stop sign, 32 by 32 above (100, 60)
  EXPECT_NE(rt::CanvasPixel(116, 36), test::KitTest::kWhite);
  EXPECT_EQ(rt::CanvasPixel(116, 62), test::KitTest::kWhite) << "nothing below the point";
}

TEST_F(BuildersTest, EmbossedLabelsUseAquaOnlyWithTheFlagAndTheSlot) {
  const RGBColor secondShade = OnCanvas(RGBColor{0, 32700, 60535});
  for (auto [flag, slot] : {std::pair{0, 0}, {0, 1}, {1, 0}, {1, 1}}) {
    WhiteWindow(6, 220, 60);
    PrefsArray[PrefsSlot::AquaLabels] = static_cast<int16_t>(slot);
    PrefsArray[PrefsSlot::LabelFont] = 2;
    EmbossPrint(static_cast<int16_t>(flag), "Heading", 28, 20, 40);
    const auto canvas = Snapshot(220, 60);
    const bool aqua = flag && slot;
    EXPECT_EQ(std::count(canvas.begin(), canvas.end(), secondShade) > 0, aqua) << flag << slot;
    EXPECT_EQ(std::count(canvas.begin(), canvas.end(), test::KitTest::kBlack) > 0, !aqua) << flag << slot;
  }
  EXPECT_EQ(rt::TextColor(), test::KitTest::kBlack);
}

TEST_F(BuildersTest, FieldTypesSelectionAndColoursOfBuildEF) {
  BuildWINDOW(8, "fields", 0, 0, 400, 200, 6);
  EFForeColor = 3;
  EFBackColor = 8;
  BUILDEF(1, "12.5", 10, 10, 100, 30, 3, 3);
  auto* line = qobject_cast<QLineEdit*>(rt::bridge::EditFieldWidget(8, 1));
  ASSERT_NE(line, nullptr) << "type 3: a single-line field";
  EXPECT_EQ(rt::EditSelection(1), (std::pair<int, int>{0, 4})) << "editable fields start all selected";
  EXPECT_EQ(line->palette().color(QPalette::Text), QColor::fromRgbF(0, 0, 55535 / 65535.0)) << "colour codes";
  BUILDEF(2, "two\rlines", 10, 40, 200, 80, 0, 1);
  EXPECT_NE(qobject_cast<QPlainTextEdit*>(rt::bridge::EditFieldWidget(8, 2)), nullptr)
      << "type 0 counts as 2";
  EFForeColor = -4;
  EFBackColor = 42;
  BUILDEF(3, "static", 10, 90, 200, 110, 7, 2);
  auto* label = qobject_cast<QLabel*>(rt::bridge::EditFieldWidget(8, 3));
  ASSERT_NE(label, nullptr) << "type 7: static text";
  EXPECT_EQ(rt::EditText(3), "static");
  EXPECT_EQ(label->palette().color(QPalette::Window), QColor(Qt::white)) << "an unknown code is white";
  rt::FocusEditField(3);
  EXPECT_EQ(rt::FocusedEditField(), 0) << "static text never takes the focus";
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
}

using PopupsTest = test::KitTest;

TEST_F(PopupsTest, TextsPlacedLastLeaveNoPlaceholderAndABuildReplacesTheMenu) {
  Popup66(kPopupMenu);
  ASSERT_EQ(rt::MenuItemCount(kPopupMenu), 21);
  for (int16_t i = 1; i <= 21; ++i)
    EXPECT_EQ(rt::GetMenuItem(kPopupMenu, i).text.find("DUMMY"), std::string::npos) << i;
  popup65(kPopupMenu);
  EXPECT_EQ(rt::MenuItemCount(kPopupMenu), 20) << "building another list replaces the menu";
  WaterConditionsPopup(kWaterPopupMenu);
  EXPECT_EQ(rt::MenuItemText(kWaterPopupMenu, 1).str(), "Freshwater [~ 1 ppt] ")
      << "Mac Roman view of the item";
}

TEST_F(PopupsTest, UnitsHeadingsCannotBeChosen) {
  BuildUnitsPopMenu(kUnitsPopupMenu);
  ASSERT_EQ(rt::MenuItemCount(kUnitsPopupMenu), 26);
  for (int16_t i = 1; i <= 26; ++i)
    EXPECT_EQ(rt::MenuItemEnabled(kUnitsPopupMenu, i), i != 12 && i != 22) << i;
  rt::OpenWindow(2, "units", Rect{0, 0, 300, 60}, 6);
  rt::NewPopupControl(7, kUnitsPopupMenu, "", Rect{10, 10, 250, 30}, 1);
  auto* combo = qobject_cast<QComboBox*>(rt::bridge::ControlWidget(2, 7));
  ASSERT_NE(combo, nullptr);
  auto* model = qobject_cast<QStandardItemModel*>(combo->model());
  ASSERT_NE(model, nullptr);
  for (int row : {11, 21})
    EXPECT_FALSE(model->item(row)->flags() & Qt::ItemIsEnabled) << "in the popup button";
  EXPECT_TRUE(model->item(12)->flags() & Qt::ItemIsEnabled);
}

TEST(PopupItems, ListsArePlacedFromAPositionAndDashesBecomeSeparators) {
  rt::NewMenu(500, "");
  PlacePopupItems(500, 3, "a ; - ;-;b;");
  EXPECT_EQ(rt::MenuItemCount(500), 7);
  EXPECT_EQ(rt::GetMenuItem(500, 3).text, "a ");
  EXPECT_TRUE(rt::GetMenuItem(500, 4).separator) << "blanks around a dash still make a separator";
  EXPECT_TRUE(rt::GetMenuItem(500, 5).separator);
  EXPECT_EQ(rt::GetMenuItem(500, 7).text, "") << "a trailing ';' makes an empty last item";
  PlacePopupItems(500, 4, "c");
  EXPECT_EQ(rt::GetMenuItem(500, 4).text, "c") << "a later text replaces the earlier one";
  EXPECT_FALSE(rt::GetMenuItem(500, 4).separator);
  rt::DeleteMenu(500);
}
}  // namespace
}  // namespace mv
