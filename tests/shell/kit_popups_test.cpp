// The popup menu builders: texts placed after the list replace its placeholders,
// headings that cannot be chosen, and the list syntax.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QStandardItemModel>

#include "kit_test_support.h"
#include "runtime/menus.h"
#include "runtime/qt_bridge.h"
#include "shell/kit/popups.h"

namespace mv {
namespace {

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
