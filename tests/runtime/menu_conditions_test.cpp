// Menu items that are offered only under a condition: a command whose window may not
// exist, and the standard text commands, which need a focused field to act on.
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

#include <utility>
#include <vector>

#include "common/test_support.h"
#include "runtime/events.h"
#include "runtime/menus.h"
#include "runtime/qt_bridge.h"
#include "runtime/windows.h"

namespace mv {
namespace {

using MenuConditionTest = test::ProgramTest;

void Drain() {
  for (int i = 0; i < 5; ++i) rt::PumpEvents(0);
}

// The action of an item as the menu bar shows it, after the menu announced that it opens.
QAction* ShownAction(const QString& menuTitle, const QString& itemText) {
  auto* bar = rt::bridge::MenuBarWindow() ? rt::bridge::MenuBarWindow()->findChild<QMenuBar*>() : nullptr;
  if (!bar) return nullptr;
  for (QAction* top : bar->actions()) {
    QMenu* menu = top->menu();
    if (!menu || top->text() != menuTitle) continue;
    emit menu->aboutToShow();
    for (QAction* a : menu->actions())
      if (a->text().startsWith(itemText)) return a;
  }
  return nullptr;
}

TEST_F(MenuConditionTest, AConditionDimsTheItemWhateverItsOwnStateAndHidesItsKey) {
  bool built = false;
  rt::NewMenu(3, "View");
  rt::SetMenuItem(3, 1, "Chart Views...");
  rt::SetMenuItemKey(3, 1, 'G');
  rt::SetMenuItemCondition(3, 1, [&built] { return built; });
  rt::SetMenuBar({3});
  rt::DrawMenuBar();
  int16_t menu = 0, item = 0;

  EXPECT_FALSE(rt::MenuItemEnabled(3, 1));
  EXPECT_FALSE(rt::FindMenuKey('g', menu, item)) << "a dimmed item's key equivalent chooses nothing";
  QAction* shown = ShownAction("View", "Chart Views...");
  ASSERT_NE(shown, nullptr);
  EXPECT_FALSE(shown->isEnabled());

  built = true;
  EXPECT_TRUE(rt::MenuItemEnabled(3, 1)) << "the condition is asked each time, not kept";
  EXPECT_TRUE(rt::FindMenuKey('g', menu, item));
  EXPECT_TRUE(ShownAction("View", "Chart Views...")->isEnabled()) << "the bar asks again as the menu opens";

  rt::EnableMenuItem(3, 1, false);
  EXPECT_FALSE(rt::MenuItemEnabled(3, 1)) << "the item's own state still counts";
  rt::EnableMenuItem(3, 1, true);
  rt::NewMenu(3, "View");
  rt::SetMenuItem(3, 1, "Chart Views...");
  built = false;
  EXPECT_TRUE(rt::MenuItemEnabled(3, 1)) << "a menu made again starts without conditions";
}

class TextCommandTest : public MenuConditionTest {
 protected:
  void SetUp() override {
    MenuConditionTest::SetUp();
    rt::NewMenu(2, "Edit");
    const std::pair<const char*, rt::FieldCommand> items[] = {{"Undo", rt::FieldCommand::Undo},
                                                              {"Cut", rt::FieldCommand::Cut},
                                                              {"Copy", rt::FieldCommand::Copy},
                                                              {"Paste", rt::FieldCommand::Paste}};
    int16_t n = 0;
    for (auto [text, command] : items) {
      rt::SetMenuItem(2, ++n, text);
      rt::SetMenuItemFieldCommand(2, n, command);
    }
    rt::SetMenuBar({2});
    rt::DrawMenuBar();
    rt::SetMenuHandler([this](int16_t m, int16_t i) { handled.push_back({m, i}); });
  }
  static bool AnyOffered() {
    for (int16_t i = 1; i <= 4; ++i)
      if (rt::MenuItemEnabled(2, i)) return true;
    return false;
  }
  std::vector<std::pair<int16_t, int16_t>> handled;
};

TEST_F(TextCommandTest, OfferedOnlyWhileAnEditableFieldHasTheFocus) {
  EXPECT_FALSE(AnyOffered()) << "no window";
  rt::OpenWindow(20, "Fields", Rect{40, 60, 340, 200}, 6);
  EXPECT_FALSE(AnyOffered()) << "a window without a field";
  rt::NewEditField(1, "abc", Rect{10, 10, 200, 30}, 3, 1);
  rt::NewEditField(2, "a label", Rect{10, 40, 200, 60}, 5, 1);
  rt::FocusEditField(2);
  EXPECT_FALSE(AnyOffered()) << "a static text takes no focus and no text command";
  rt::FocusEditField(1);
  for (int16_t i = 1; i <= 4; ++i) EXPECT_TRUE(rt::MenuItemEnabled(2, i)) << "item " << i;
  EXPECT_TRUE(ShownAction("Edit", "Paste")->isEnabled());
  rt::FocusEditField(0);
  EXPECT_FALSE(AnyOffered()) << "the focus taken away";
  EXPECT_FALSE(ShownAction("Edit", "Paste")->isEnabled()) << "the bar asks again as the menu opens";
  rt::FocusEditField(1);
  rt::CloseWindow(20);
  EXPECT_FALSE(AnyOffered()) << "the window closed with its field";
}

TEST_F(TextCommandTest, ChoosingOneActsOnTheFieldAndNeverReachesTheMenuHandler) {
  rt::OpenWindow(20, "Fields", Rect{40, 60, 340, 200}, 6);
  rt::NewEditField(1, "oxygen", Rect{10, 10, 200, 30}, 3, 1);
  rt::NewEditField(2, "", Rect{10, 40, 200, 60}, 1, 1);
  rt::FocusEditField(1);
  rt::SelectEditText(1, 0, 2);
  rt::bridge::ChooseMenuItem(2, 3);  // Copy
  Drain();
  rt::FocusEditField(2);
  rt::bridge::ChooseMenuItem(2, 4);  // Paste
  Drain();
  EXPECT_EQ(rt::EditText(2), "ox");
  rt::FocusEditField(1);
  rt::SelectEditText(1, 0, 2);
  rt::bridge::ChooseMenuItem(2, 2);  // Cut
  Drain();
  EXPECT_EQ(rt::EditText(1), "ygen");
  rt::bridge::ChooseMenuItem(2, 1);  // Undo
  Drain();
  EXPECT_EQ(rt::EditText(1), "oxygen");
  EXPECT_TRUE(handled.empty()) << "the window's menu handler is not asked to do the field's work";
}

}  // namespace
}  // namespace mv
