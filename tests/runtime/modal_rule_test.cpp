// The event layer's modal rule: the loop that pumps answers only the front window,
// user clicks never change which window is in front, and activation changes the
// program causes are never reported as the user's.
#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QTest>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "common/test_support.h"
#include "runtime/events.h"
#include "runtime/qt_bridge.h"
#include "runtime/windows.h"

namespace mv {
namespace {

using Event = std::pair<int16_t, int16_t>;  // dialog kind, item

class ModalRuleTest : public test::ProgramTest {
 protected:
  // Window 4 with button 1, field 2 and a canvas behind dialog 5 with button 1.
  void SetUp() override {
    ProgramTest::SetUp();
    rt::OpenWindow(4, "Behind", Rect{0, 0, 200, 100}, 6);
    rt::NewControl(1, rt::ControlType::PushButton, "Save", Rect{10, 10, 80, 30}, 1);
    rt::NewEditField(2, "", Rect{10, 40, 100, 60}, 1, 1);
    rt::OpenWindow(5, "Front", Rect{300, 0, 500, 100}, 6);
    rt::NewControl(1, rt::ControlType::PushButton, "No", Rect{10, 10, 80, 30}, 1);
    rt::SetDialogHandler([this](int16_t k, int16_t i) { events.push_back({k, i}); });
    rt::SetEditKeyHandler([this](const std::string& key) { keys += key; });
    rt::SetMouseHandler([this](int) { ++canvasClicks; });
    Drain();
    events.clear();
  }
  void Drain() {
    for (int i = 0; i < 20; ++i) rt::PumpEvents(0);
  }
  static QAbstractButton* Button(int16_t w, int16_t n) {
    return qobject_cast<QAbstractButton*>(rt::bridge::ControlWidget(w, n));
  }

  std::vector<Event> events;
  std::string keys;
  int canvasClicks = 0;
};

TEST_F(ModalRuleTest, ClicksAndKeysFromAWindowBehindNeverReachTheLoopAsTheirs) {
  struct Case {
    const char* what;
    std::function<void()> act;
    std::vector<Event> delivered;
  };
  const std::vector<Case> cases = {
      {"a mouse click on a button behind",
       [] { QTest::mouseClick(Button(4, 1), Qt::LeftButton); }, {{3, 4}}},
      {"a button behind clicked without the mouse",
       [] { Button(4, 1)->click(); }, {{3, 4}}},
      {"a click on the canvas behind",
       [] { QTest::mouseClick(rt::bridge::WindowWidget(4), Qt::LeftButton, {}, QPoint(150, 80)); }, {{3, 4}}},
      {"a key typed into a field behind",
       [] {
         QWidget* f = rt::bridge::EditFieldWidget(4, 2);
         QKeyEvent press(QEvent::KeyPress, Qt::Key_Y, Qt::NoModifier, "y");
         QApplication::sendEvent(f, &press);
       },
       {}},
      {"the front window's own button", [] { QTest::mouseClick(Button(5, 1), Qt::LeftButton); }, {{1, 1}}},
  };
  for (const Case& c : cases) {
    events.clear();
    c.act();
    Drain();
    EXPECT_EQ(events, c.delivered) << c.what;
    EXPECT_EQ(rt::FrontWindow(), 5) << c.what << ": a user click never changes the front window";
  }
  EXPECT_EQ(keys, "");
  EXPECT_EQ(canvasClicks, 0);
}

TEST_F(ModalRuleTest, TheProgramChoosesTheFrontWindowAndCompanionsKeepTheirClicks) {
  rt::BringWindowForward(4);
  Drain();
  QTest::mouseClick(Button(4, 1), Qt::LeftButton);
  Drain();
  EXPECT_EQ(events, (std::vector<Event>{{1, 1}})) << "brought forward by the program, window 4 answers";

  // A frameless strip beside the front window serves its loop: its buttons count,
  // and the front window stays in front with the keyboard.
  rt::OpenWindow(6, "", Rect{0, 200, 200, 230}, 14);
  rt::NewControl(3, rt::ControlType::PushButton, "Zoom", Rect{5, 5, 60, 25}, 1);
  Drain();
  events.clear();
  EXPECT_EQ(rt::FrontWindow(), 4);
  QTest::mouseClick(Button(6, 3), Qt::LeftButton);
  Drain();
  EXPECT_EQ(events, (std::vector<Event>{{1, 3}}));
}

TEST_F(ModalRuleTest, SettlingPassesKeepTheUsersClickForTheLoopThatRunsNext) {
  // The dialog in front closes, and the user clicks at once in the window now in front.
  rt::CloseWindow(5);
  QTest::mouseClick(Button(4, 1), Qt::LeftButton);
  for (int i = 0; i < 5; ++i) rt::SettleEvents();
  EXPECT_EQ(events, std::vector<Event>{}) << "settling hands out no click";
  Drain();
  EXPECT_EQ(events, (std::vector<Event>{{1, 1}})) << "the next loop gets the click";

  // What the window system raised by itself runs out while settling.
  events.clear();
  rt::OpenWindow(7, "Another", Rect{0, 300, 100, 360}, 6);
  for (int i = 0; i < 5; ++i) rt::SettleEvents();
  EXPECT_EQ(events, (std::vector<Event>{{5, 7}}));
}

TEST_F(ModalRuleTest, OnlyTheUsersActivationChangesAreReported) {
  // The program's own calls, one after another: nothing reaches the loop.
  rt::OpenWindow(7, "Another", Rect{0, 300, 100, 360}, 6);
  rt::OpenWindow(8, "", Rect{0, 400, 100, 460}, 14);
  rt::HideWindow(8);
  rt::ShowWindow(8);
  rt::BringWindowForward(5);
  rt::CloseWindow(7);
  rt::CloseWindow(8);
  Drain();
  EXPECT_EQ(events, std::vector<Event>{}) << "opening, hiding, showing, bringing forward and closing";
  EXPECT_EQ(rt::FrontWindow(), 5);

  // The window system activating window 4 on its own is the user's doing.
  QApplication::setActiveWindow(rt::bridge::WindowWidget(4));
  Drain();
  auto seen = [this](Event e) { return std::find(events.begin(), events.end(), e) != events.end(); };
  EXPECT_TRUE(seen({18, -5})) << "the front window lost the keyboard";
  EXPECT_TRUE(seen({18, 4})) << "another window took it";
  EXPECT_EQ(rt::FrontWindow(), 5);
}

TEST_F(ModalRuleTest, AWindowShownBehindTheFrontOneNeverTakesTheKeyboard) {
  // Long enough for a window manager to have answered the program's calls (X11).
  auto settle = [] {
    for (int i = 0; i < 40; ++i) rt::PumpEvents(10);
  };
  settle();
  events.clear();
  struct Case {
    const char* what;
    std::function<void()> act;
  };
  const std::vector<Case> cases = {
      {"a strip opened beside it", [] { rt::OpenWindow(6, "", Rect{0, 200, 200, 230}, 14); }},
      {"a tag opened beside it", [] { rt::OpenWindow(9, "", Rect{0, 240, 200, 270}, 13); }},
      {"a tag hidden and shown again", [] { rt::HideWindow(9); rt::ShowWindow(9); }},
      {"the window behind hidden and shown again", [] { rt::HideWindow(4); rt::ShowWindow(4); }},
  };
  auto activations = [this] {
    std::vector<Event> seen;
    for (Event e : events)
      if (e.first == 18 || e.first == 19) seen.push_back(e);
    return seen;
  };
  for (const Case& c : cases) {
    c.act();
    settle();
    EXPECT_EQ(activations(), std::vector<Event>{}) << c.what << ": nothing the user did";
    EXPECT_EQ(QApplication::activeWindow(), rt::bridge::WindowWidget(5))
        << c.what << ": the front window keeps the keyboard";
    events.clear();
  }
}

TEST_F(ModalRuleTest, ThePressTargetIsKnown) {
  QTest::mousePress(Button(5, 1), Qt::LeftButton);
  EXPECT_TRUE(rt::LastPressOnControl());
  QTest::mouseRelease(Button(5, 1), Qt::LeftButton);
  QTest::mousePress(rt::bridge::WindowWidget(5), Qt::LeftButton, {}, QPoint(150, 80));
  EXPECT_FALSE(rt::LastPressOnControl());
  EXPECT_EQ(rt::LastClickWindow(), 5);
  QTest::mouseRelease(rt::bridge::WindowWidget(5), Qt::LeftButton, {}, QPoint(150, 80));
}

}  // namespace
}  // namespace mv
