// The popup menu builders: item counts, separators, texts placed last, disabled headings.
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

std::string Text(int16_t menu, int16_t i) {
  return rt::GetMenuItem(menu, i).text;
}
std::vector<int> Separators(int16_t menu) {
  std::vector<int> v;
  for (int16_t i = 1; i <= rt::MenuItemCount(menu); ++i)
    if (rt::GetMenuItem(menu, i).separator) v.push_back(i);
  return v;
}

TEST_F(PopupsTest, ItemCountsAndSeparatorsOfEveryList) {
  struct Row {
    void (*build)(int16_t);
    int count;
    std::vector<int> separators;
    const char* name;
  };
  const Row rows[] = {
      {Popup50, 12, {5, 11}, "Popup50"},
      {Popup51, 12, {5, 11}, "Popup51"},
      {Popup52, 12, {5, 11}, "Popup52"},
      {Popup61, 7, {}, "Popup61"},
      {Popup63, 13, {}, "Popup63"},
      {Popup64, 25, {}, "Popup64"},
      {popup65, 20, {}, "popup65"},
      {Popup66, 21, {}, "Popup66"},
      {Popup100, 7, {}, "Popup100"},
      {Popup128, 10, {}, "Popup128"},
      {Popup129, 3, {}, "Popup129"},
      {Popup130, 3, {}, "Popup130"},
      {Popup131, 6, {}, "Popup131"},
      {Popup132, 3, {}, "Popup132"},
      {Popup133, 6, {}, "Popup133"},
      {Popup134, 10, {3}, "Popup134"},
      {Popup140, 5, {3}, "Popup140"},
      {Popup141, 2, {}, "Popup141"},
      {Popup142, 4, {}, "Popup142"},
      {Popup143, 4, {}, "Popup143"},
      {Popup145, 3, {2}, "Popup145"},
      {Popup148, 7, {}, "Popup148"},
      {Popup180, 5, {2}, "Popup180"},
      {Popup181, 10, {2, 7, 9}, "Popup181"},
      {Popup182, 11, {10}, "Popup182"},
      {Popup250, 14, {}, "Popup250"},
      {MonthsPopupMenu, 12, {}, "Months"},
      {BuildUnitsPopMenu, 26, {}, "Units"},
      {WaterConditionsPopup, 3, {}, "Water"},
      {MainTaxonSelectPopup, 13, {2, 5, 12}, "MainTaxon"},
      {ArthropodsPopupMenu, 11, {10}, "Arthropods"},
      {FishPopupMenu, 9, {8}, "Fish"},
      {AmphibianPopupMenu, 6, {5}, "Amphibians"},
      {ReptilePopupMenu, 8, {7}, "Reptiles"},
      {BirdPopupMenu, 13, {12}, "Birds"},
      {MammalPopupMenu, 21, {20}, "Mammals"},
  };
  for (const Row& r : rows) {
    r.build(kPopupMenu);
    EXPECT_EQ(rt::MenuItemCount(kPopupMenu), r.count) << r.name;
    EXPECT_EQ(Separators(kPopupMenu), r.separators) << r.name;
  }
}

TEST_F(PopupsTest, Popup66EndsWithTwentyOneItemsAndTheTextsPlacedLast) {
  Popup66(kPopupMenu);
  ASSERT_EQ(rt::MenuItemCount(kPopupMenu), 21);
  EXPECT_EQ(Text(kPopupMenu, 17), "°C – > g H₂O vapor  ⁄ m³");
  EXPECT_EQ(Text(kPopupMenu, 18), "KPa H₂O – >  g H₂O vapor  ⁄ m³");
  EXPECT_EQ(Text(kPopupMenu, 20), "Torr H₂O – > g H₂O vapor  ⁄ meter³");
  EXPECT_EQ(Text(kPopupMenu, 19), "KPA H₂O – > % vol H₂O  [760 torr]");
  EXPECT_EQ(Text(kPopupMenu, 21), "Torr H₂O – > % vol H₂O [760  torr]");
  for (int16_t i = 1; i <= 21; ++i) EXPECT_EQ(Text(kPopupMenu, i).find("DUMMY"), std::string::npos) << i;
  popup65(kPopupMenu);
  EXPECT_EQ(rt::MenuItemCount(kPopupMenu), 20) << "building another list replaces the menu";
  EXPECT_EQ(Text(kPopupMenu, 19), "sun elevation – >  sunlight watts  ⁄ m²");
  EXPECT_EQ(Text(kPopupMenu, 20), "altitude – > max. noon sunlight");
}

TEST_F(PopupsTest, UnitsHeadingsCannotBeChosen) {
  BuildUnitsPopMenu(kUnitsPopupMenu);
  ASSERT_EQ(rt::MenuItemCount(kUnitsPopupMenu), 26);
  for (int16_t i = 1; i <= 26; ++i)
    EXPECT_EQ(rt::MenuItemEnabled(kUnitsPopupMenu, i), i != 12 && i != 22) << i;
  EXPECT_EQ(Text(kUnitsPopupMenu, 1), " ml O₂   ⁄ min");
  EXPECT_EQ(Text(kUnitsPopupMenu, 12), "  –  heat units [joules]  –  ");
  EXPECT_EQ(Text(kUnitsPopupMenu, 22), "  –   heat units [calories]  –   ");
  EXPECT_EQ(Text(kUnitsPopupMenu, 26), " Kcal  ⁄ [kg day] ");
  rt::OpenWindow(2, "units", Rect{0, 0, 300, 60}, 6);
  rt::NewPopupControl(7, kUnitsPopupMenu, "", Rect{10, 10, 250, 30}, 1);
  auto* combo = qobject_cast<QComboBox*>(rt::bridge::ControlWidget(2, 7));
  ASSERT_NE(combo, nullptr);
  auto* model = qobject_cast<QStandardItemModel*>(combo->model());
  ASSERT_NE(model, nullptr);
  EXPECT_FALSE(model->item(11)->flags() & Qt::ItemIsEnabled) << "item 12 in the popup button";
  EXPECT_FALSE(model->item(21)->flags() & Qt::ItemIsEnabled) << "item 22";
  EXPECT_TRUE(model->item(12)->flags() & Qt::ItemIsEnabled);
}

TEST_F(PopupsTest, TextsKeepTheirBlanksAndTypos) {
  Popup50(kPopupMenu);
  EXPECT_EQ(Text(kPopupMenu, 1), "'start'  ");
  EXPECT_EQ(Text(kPopupMenu, 6), "Plain beep  ");
  EXPECT_EQ(Text(kPopupMenu, 12), "'On with it!'");
  Popup52(kPopupMenu);
  EXPECT_EQ(Text(kPopupMenu, 10), "Switch ");
  EXPECT_EQ(Text(kPopupMenu, 12), "'bring out your dead'");
  Popup61(kActivityPopupMenu);
  EXPECT_EQ(Text(kActivityPopupMenu, 6), " ");
  EXPECT_EQ(Text(kActivityPopupMenu, 7), "100X MMR [insect flight]");
  Popup180(kPopupMenu);
  EXPECT_EQ(Text(kPopupMenu, 5), "Keyboard, Timed Refernce");
  Popup128(kPopupMenu);
  const char* baud[] = {"300",    "1200",   "2400",   "4800",    "9600",
                        "19,200", "38,400", "57,600", "115,200", "230,400"};
  for (int16_t i = 1; i <= 10; ++i) EXPECT_EQ(Text(kPopupMenu, i), baud[i - 1]);
  Popup182(kPopupMenu);
  EXPECT_EQ(Text(kPopupMenu, 1), "Sable Universal Interface 'UI2' ");
  EXPECT_EQ(Text(kPopupMenu, 9), "RMS ADC-1 ");
  EXPECT_EQ(Text(kPopupMenu, 11), "Streaming Serial Input");
  Popup250(kPopupMenu);
  EXPECT_EQ(Text(kPopupMenu, 4), "1 ⁄125 second");
  EXPECT_EQ(Text(kPopupMenu, 14), "10 seconds");
  Popup148(kPopupMenu);
  EXPECT_EQ(Text(kPopupMenu, 3), "∑  five");
  MonthsPopupMenu(kPopupMenu);
  EXPECT_EQ(Text(kPopupMenu, 12), "December");
  WaterConditionsPopup(kWaterPopupMenu);
  EXPECT_EQ(Text(kWaterPopupMenu, 3), "Ocean water [~35 ppt]");
  EXPECT_EQ(rt::MenuItemText(kWaterPopupMenu, 1).str(), "Freshwater [~ 1 ppt] ")
      << "Mac Roman view of the item";
}

TEST_F(PopupsTest, TaxonListsKeepTheirPositionsAndEndWithTheReturnItem) {
  MainTaxonSelectPopup(kPopupMenu);
  EXPECT_EQ(Text(kPopupMenu, 6), " Land Arthropods [sub-menu] ");
  EXPECT_EQ(Text(kPopupMenu, 11), " Mammals [sub-menu] ");
  EXPECT_EQ(Text(kPopupMenu, 13), " Custom coefficient and exponent");
  FishPopupMenu(kPopupMenu);
  EXPECT_EQ(Text(kPopupMenu, 2), "Routine  resting MR, all fish orders ");
  EXPECT_EQ(Text(kPopupMenu, 7), "   SMR, Agnathans");
  EXPECT_EQ(Text(kPopupMenu, 9), " Main Taxon Menu...");
  AmphibianPopupMenu(kPopupMenu);
  EXPECT_EQ(Text(kPopupMenu, 6), "  Main Taxon Menu...") << "two blanks in the amphibian list";
  MammalPopupMenu(kPopupMenu);
  EXPECT_EQ(Text(kPopupMenu, 6), "     Dasyurids");
  EXPECT_EQ(Text(kPopupMenu, 19), "    Xenartha");
  EXPECT_EQ(Text(kPopupMenu, 21), " Main Taxon Menu...");
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
