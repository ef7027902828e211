// The runtime's numbered windows, controls, fields, canvas, menus and key map
// under the offscreen platform.
#include "runtime/windows.h"

#include <QComboBox>
#include <QTest>

#include "common/test_support.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "runtime/menus.h"
#include "runtime/qt_bridge.h"
#include "runtime/str255.h"
#include "runtime/system.h"

namespace mv {
namespace {

using RuntimeTest = test::ProgramTest;

void Drain() {
  for (int i = 0; i < 50 && rt::EventsPending(); ++i) rt::PumpEvents(0);
}

TEST_F(RuntimeTest, WindowContentRectangleAndCurrentOutputWindow) {
  rt::OpenWindow(12, "Twelve", Rect{100, 120, 420, 360}, 6);
  EXPECT_EQ(rt::WindowContentRect(12).width(), 320);
  EXPECT_EQ(rt::OutputWindow(), 12);
  rt::OpenWindow(13, "Thirteen", Rect{0, 0, 50, 50}, 262);
  EXPECT_EQ(rt::OutputWindow(), 13);
  rt::SetOutputWindow(12);
  rt::SetOutputWindow(99);  // not open: unchanged
  EXPECT_EQ(rt::OutputWindow(), 12);
  rt::CloseWindow(12);
  EXPECT_FALSE(rt::WindowExists(12));
  EXPECT_EQ(rt::OutputWindow(), 0);
  rt::FillWindow(RGBColor{1, 2, 3});  // no output window: nothing happens
  EXPECT_EQ(rt::NextFreeWindowNumber(), 1);
}

TEST_F(RuntimeTest, FieldsKeepMacRomanTextAndMoveWhenRecreated) {
  rt::OpenWindow(2, "Fields", Rect{0, 0, 300, 200}, 6);
  std::string degrees = "25\xA1" "C";  // Mac Roman degree sign
  rt::NewEditField(1, degrees, Rect{10, 10, 100, 30}, 3, 3);
  EXPECT_EQ(rt::EditText(1), degrees);
  EXPECT_EQ(rt::EditSelection(1), (std::pair<int, int>{0, 4})) << "editable fields start all selected";
  rt::NewEditField(1, "moved", Rect{20, 40, 120, 60}, 3, 1);
  EXPECT_EQ(rt::bridge::EditFieldWidget(2, 1)->geometry().topLeft(), QPoint(20, 40));
  rt::NewEditField(2, "line one\rline two", Rect{10, 70, 200, 150}, 2, 1);
  EXPECT_EQ(rt::EditText(2), "line one\rline two") << "several-line fields keep CR line ends";
  rt::FocusEditField(1);
  EXPECT_EQ(rt::FocusedEditField(), 1);
  rt::InsertIntoFocusedField("\x1b");  // control characters are never text
  EXPECT_EQ(rt::EditText(1), "moved");
}

TEST_F(RuntimeTest, CrStartsALineOnlyInSeveralLineFields) {
  rt::OpenWindow(2, "Fields", Rect{0, 0, 300, 200}, 6);
  rt::NewEditField(1, "one", Rect{10, 10, 100, 30}, 3, 1);
  rt::NewEditField(2, "ab", Rect{10, 40, 200, 150}, 2, 1);
  rt::FocusEditField(1);
  rt::SelectEditText(1, 3, 3);
  rt::InsertIntoFocusedField("\r");
  EXPECT_EQ(rt::EditText(1), "one");
  rt::FocusEditField(2);
  rt::SelectEditText(2, 1, 1);
  rt::InsertIntoFocusedField("\r");
  EXPECT_EQ(rt::EditText(2), "a\rb");
}

TEST_F(RuntimeTest, PopupControlTakesItsItemsFromANumberedMenu) {
  rt::NewMenu(128, "");
  rt::AppendMenuItems(128, 1, "300;1200;-;4800;9600;19,200");
  rt::OpenWindow(2, "Popup", Rect{0, 0, 300, 60}, 6);
  rt::NewPopupControl(4, 128, "", Rect{10, 10, 150, 30}, 5);
  auto* combo = qobject_cast<QComboBox*>(rt::bridge::ControlWidget(2, 4));
  ASSERT_NE(combo, nullptr);
  EXPECT_EQ(combo->count(), 6);
  EXPECT_EQ(combo->currentText(), "9600");
  Drain();
  std::vector<std::pair<int16_t, int16_t>> events;
  rt::SetDialogHandler([&](int16_t k, int16_t i) { events.push_back({k, i}); });
  combo->setCurrentIndex(5);
  emit combo->activated(5);
  Drain();
  EXPECT_EQ(rt::ControlValue(4), 6);
  EXPECT_EQ(events, (std::vector<std::pair<int16_t, int16_t>>{{1, 4}}));
}

TEST_F(RuntimeTest, MenuKeyEquivalentsReachTheMenuHandlerFromAnyWindow) {
  rt::NewMenu(1, "File");
  rt::SetMenuItem(1, 1, "Open");
  rt::SetMenuItemKey(1, 1, 'o');
  rt::SetMenuItem(1, 2, "Close");
  rt::SetMenuItemKey(1, 2, 'W');
  rt::EnableMenuItem(1, 2, false);
  rt::SetMenuBar({1});
  rt::DrawMenuBar();
  rt::OpenWindow(2, "Any", Rect{0, 0, 200, 100}, 6);
  std::vector<std::pair<int16_t, int16_t>> menus, dialogs;
  rt::SetMenuHandler([&](int16_t m, int16_t i) { menus.push_back({m, i}); });
  rt::SetDialogHandler([&](int16_t k, int16_t i) { dialogs.push_back({k, i}); });
  Drain();
  dialogs.clear();
  QTest::keyClick(rt::bridge::WindowWidget(2), Qt::Key_O, Qt::ControlModifier);
  QTest::keyClick(rt::bridge::WindowWidget(2), Qt::Key_W, Qt::ControlModifier);
  Drain();
  EXPECT_EQ(menus, (std::vector<std::pair<int16_t, int16_t>>{{1, 1}}));
  EXPECT_EQ(dialogs, (std::vector<std::pair<int16_t, int16_t>>{{24, 'w'}}))
      << "a dimmed item's key is a Ctrl key";
}

TEST_F(RuntimeTest, MenuModelItemsTextsAndStates) {
  rt::NewMenu(66, "");
  rt::AppendMenuItems(66, 16, "a;DUMMY;DUMMY;b");
  rt::SetMenuItemUtf8(66, 17, "\xC2\xB0" "C - g H\xE2\x82\x82O");  // °C, subscript two
  EXPECT_EQ(rt::MenuItemCount(66), 19);
  EXPECT_EQ(rt::GetMenuItem(66, 17).text, "\xC2\xB0" "C - g H\xE2\x82\x82O");
  EXPECT_EQ(rt::MenuItemText(66, 17).str(), "\xA1" "C - g H?O") << "Mac Roman lacks the subscript";
  rt::CheckMenuItem(66, 16, true);
  EXPECT_TRUE(rt::MenuItemChecked(66, 16));
  rt::EnableMenuItem(66, 0, false);
  EXPECT_FALSE(rt::MenuItemEnabled(66, 16)) << "a dimmed menu dims its items";
}

TEST_F(RuntimeTest, KeyMapWordsFollowTheClassicLayout) {
  rt::ClearKeyMap();
  rt::SetKeyDown(rt::key::Option, true);
  EXPECT_EQ(rt::KeyMapWord(rt::GetKeys(), 3), 1024);
  rt::ClearKeyMap();
  rt::OpenWindow(2, "Keys", Rect{0, 0, 100, 100}, 6);
  QTest::keyPress(rt::bridge::WindowWidget(2), Qt::Key_Control);
  EXPECT_TRUE(rt::KeyIsDown(rt::key::Command)) << "Ctrl stands for Command";
  QTest::keyRelease(rt::bridge::WindowWidget(2), Qt::Key_Control);
  EXPECT_FALSE(rt::KeyIsDown(rt::key::Command));
}

TEST_F(RuntimeTest, VirtualClockTicksAndDelays) {
  rt::SetVirtualMicroseconds(0);
  rt::Delay(1000);
  EXPECT_EQ(rt::TickCount(), 60u);
  rt::AdvanceVirtualClock(0.5);
  EXPECT_EQ(rt::Microseconds(), 1'500'000u);
  rt::SleepUntilMicroseconds(1'600'000);
  EXPECT_EQ(rt::Microseconds(), 1'600'000u);
  rt::SetVirtualMicroseconds(uint64_t{1} << 40);  // past 32-bit microseconds
  EXPECT_EQ(rt::TickCount(), static_cast<uint32_t>((uint64_t{1} << 40) * 60 / 1'000'000));
}

TEST(Str255Test, TruncatesAt255Bytes) {
  Str255 s(std::string(300, 'a'));
  EXPECT_EQ(s.size(), 255u);
  Str255 t("abc");
  t += std::string(260, 'b');
  EXPECT_EQ(t.size(), 255u);
  EXPECT_EQ(Str255("hello").mid(2, 3).str(), "ell");
  EXPECT_EQ(Str255("hello").mid(9).str(), "");
}

TEST_F(RuntimeTest, KeyEquivalentsOfSubmenuItemsWork) {
  rt::NewMenu(4, "View");
  rt::SetMenuItem(4, 1, "Grids");
  rt::SetSubmenu(4, 1, 91);
  rt::NewMenu(91, "");
  rt::SetMenuItem(91, 1, "Show Scale Grid");
  rt::SetMenuItemKey(91, 1, 'Y');
  rt::SetMenuBar({4});
  int16_t menu = 0, entry = 0;
  ASSERT_TRUE(rt::FindMenuKey('y', menu, entry));
  EXPECT_EQ(std::pair(menu, entry), (std::pair<int16_t, int16_t>{91, 1}));
  rt::EnableMenuItem(4, 1, false);
  EXPECT_FALSE(rt::FindMenuKey('y', menu, entry)) << "a dimmed parent item hides its submenu's keys";
}

TEST_F(RuntimeTest, ScrollCanvasMovesOnlyTheAreaAndFillsTheUncoveredStrip) {
  const RGBColor white{65535, 65535, 65535}, grey{0x8080, 0x8080, 0x8080};
  const RGBColor red{65535, 0, 0}, blue{0, 0, 65535};
  rt::OpenWindow(2, "Scroll", Rect{0, 0, 100, 60}, 6);
  rt::SetWindowBackground(grey);
  rt::FillWindow(white);
  rt::StrokeLine(60.5, 0, 60.5, 60, rt::StrokeStyle{1, 0, 0, 1, 1});  // crosses the area's top and bottom
  rt::StrokeLine(25.5, 0, 25.5, 60, rt::StrokeStyle{0, 0, 1, 1, 1});  // leaves the area when moved 30 left
  rt::ScrollCanvas(Rect{20, 10, 90, 50}, -30);
  EXPECT_EQ(rt::CanvasPixel(30, 10), red) << "the red column arrives at x 30";
  EXPECT_EQ(rt::CanvasPixel(89, 30), grey) << "the uncovered strip is the background";
  EXPECT_EQ(rt::CanvasPixel(19, 30), white) << "the blue column is dropped, not spilled left of the area";
  EXPECT_EQ(rt::CanvasPixel(60, 9), red) << "outside the area nothing moved";
  EXPECT_EQ(rt::CanvasPixel(25, 55), blue);
  rt::ScrollCanvas(Rect{0, 0, 200, 60}, 5);  // an area reaching past the canvas is clipped to it
  EXPECT_EQ(rt::CanvasPixel(2, 30), grey);
}

}  // namespace
}  // namespace mv
