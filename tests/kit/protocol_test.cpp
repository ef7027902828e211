// The modal window protocol against the real runtime under the offscreen platform:
// keys typed into real fields, real window activation, the virtual clock.
#include "kit/protocol.h"

#include <QAbstractButton>
#include <QTest>
#include <functional>
#include <vector>

#include "common/test_support.h"
#include "kit/needs.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "runtime/qt_bridge.h"
#include "runtime/system.h"
#include "runtime/windows.h"

namespace mv {
namespace {

class ProtocolTest : public test::ProgramTest {
 protected:
  void OpenFieldWindow(int16_t fieldType) {
    rt::OpenWindow(7, "Fields", Rect{50, 50, 350, 200}, 6);
    rt::NewEditField(1, "", Rect{10, 10, 200, 30}, fieldType, 1);
    rt::FocusEditField(1);
    InstallDialogHandlers(NoMENU);
    Drain();
    Action = 0;
    EventID = 0;
  }
  // Delivers everything queued; Action keeps the last effect.
  void Drain() {
    for (int i = 0; i < 50 && (rt::EventsPending() || i < 2); ++i) rt::PumpEvents(0);
  }
  QWidget* Field() { return rt::bridge::EditFieldWidget(7, 1); }
  void Type(Qt::Key key) {
    QTest::keyClick(Field(), key, Qt::NoModifier);
    Drain();
  }
  void TypeText(const char* text) {
    QTest::keyClicks(Field(), text);
    Drain();
  }
};

TEST_F(ProtocolTest, CheckReturnTableInSingleLineFieldsOfBothTypes) {
  for (int16_t type : {1, 3}) {
    SCOPED_TRACE(type);
    OpenFieldWindow(type);
    EventID = 77;
    for (auto [key, action] : {std::pair{Qt::Key_Return, 16}, {Qt::Key_Enter, 16}, {Qt::Key_Tab, 7}}) {
      Action = 0;
      Type(key);
      EXPECT_EQ(Action, action) << key;
    }
    EXPECT_EQ(EventID, 77) << "Return in a field leaves EventID alone";
    EXPECT_EQ(rt::EditText(1), "") << "Return, Enter and Tab are not inserted";
    Action = 0;  // read, as a window loop reads it
    TypeText("ab ");
    EXPECT_EQ(Action, -990) << "a space reports -990";
    Action = 0;
    TypeText("c");
    EXPECT_EQ(rt::EditText(1), "ab c") << "and is inserted";
    rt::CloseWindow(7);
  }
}

TEST_F(ProtocolTest, ArrowsBackspaceAndDeleteActInTheFieldWithoutSettingAction) {
  OpenFieldWindow(3);
  TypeText("1234");
  Action = 0;
  for (Qt::Key k : {Qt::Key_Left, Qt::Key_Left, Qt::Key_Up, Qt::Key_Down, Qt::Key_Left, Qt::Key_Backspace})
    Type(k);
  rt::SelectEditText(1, 1, 1);
  Type(Qt::Key_Delete);
  EXPECT_EQ(Action, 0);
  TypeText("x");
  EXPECT_EQ(rt::EditText(1).size(), 3u) << "one character went by each of Backspace and Delete";
  EXPECT_EQ(rt::EditText(1)[1], 'x');
}

TEST_F(ProtocolTest, CalculatorKeysSetTheOperationAndMinusIsASign) {
  OpenFieldWindow(3);
  rt::SetEditKeyHandler(CALCCHECKRETURN);
  const std::pair<const char*, int16_t> ops[] = {{"+", 1}, {"_", 2}, {"*", 3}, {"/", 4}, {"^", 5}};
  for (auto [key, op] : ops) {
    MathOperation = 0;
    TypeText(key);
    EXPECT_EQ(MathOperation, op) << key;
  }
  EXPECT_EQ(rt::EditText(1), "") << "operators are not inserted";
  TypeText("-2");
  EXPECT_EQ(MathOperation, 0) << "each key clears the pending operation first";
  EXPECT_EQ(rt::EditText(1), "-2");
  Type(Qt::Key_Return);
  EXPECT_EQ(Action, 16) << "Return and Tab act as in other fields";
}

TEST_F(ProtocolTest, CtrlQOutsideFieldsGoesThroughTheQuitProcedureWhichEndsTheProgram) {
  EXPECT_THROW(doDIALOG(24, 'Q'), rt::ProgramExit) << "the default quit procedure ends the program";
  int quits = 0;
  services::Quit = [&] { ++quits; };
  rt::OpenWindow(3, "Keys", Rect{50, 50, 250, 150}, 6);
  InstallDialogHandlers(NoMENU);
  Drain();
  Action = 0;
  QTest::keyClick(rt::bridge::WindowWidget(3), Qt::Key_Q, Qt::ControlModifier);
  Drain();
  EXPECT_EQ(quits, 1);
}

TEST_F(ProtocolTest, UserActionsOutsideFieldsReachTheLoopAsTheirCodes) {
  rt::OpenWindow(6, "Codes", Rect{50, 50, 250, 150}, 6);
  rt::NewControl(12, rt::ControlType::CheckBox, "Check", Rect{10, 10, 100, 30}, 1);
  InstallDialogHandlers(NoMENU);
  Drain();
  QWidget* window = rt::bridge::WindowWidget(6);
  struct Case {
    const char* what;
    std::function<void()> act;
    int16_t action;
    int32_t eventID;
  };
  const std::vector<Case> cases = {
      {"a control click", [] { QTest::mouseClick(rt::bridge::ControlWidget(6, 12), Qt::LeftButton); }, 1, 12},
      {"the close box", [window] { window->close(); }, 4, 6},
      {"a key", [window] { QTest::keyClick(window, Qt::Key_M); }, 16, 'm'},
      {"a Ctrl key other than Q", [window] { QTest::keyClick(window, Qt::Key_W, Qt::ControlModifier); }, 24,
       'w'}};
  for (const Case& c : cases) {
    Action = 0;
    EventID = 0;
    const uint64_t before = rt::Microseconds();
    c.act();
    Drain();
    EXPECT_EQ(Action, c.action) << c.what;
    EXPECT_EQ(EventID, c.eventID) << c.what;
    if (c.action == 1) {
      EXPECT_GE(rt::Microseconds() - before, 8000u) << "a click pauses eight ms";
    }
  }
  EXPECT_TRUE(rt::WindowVisible(6)) << "the close box only reports";
  EXPECT_EQ(rt::ControlState(12), 1) << "a click does not toggle: the program sets states";
}

TEST_F(ProtocolTest, RedrawWithin21TicksIsDropped) {
  rt::SetVirtualMicroseconds(1'000'000'000);  // far from tick 0
  doDIALOG(5, 9);
  EXPECT_EQ(Action, 5) << "the first redraw always passes";
  EXPECT_EQ(EventID, 9);
  rt::AdvanceVirtualClock(20.0 / 60.0);
  doDIALOG(5, 9);
  EXPECT_EQ(Action, 0) << "20 ticks later it is dropped";
  rt::AdvanceVirtualClock(1.0 / 60.0);
  doDIALOG(5, 9);
  EXPECT_EQ(Action, 5) << "21 ticks after the last accepted one it passes";
}

TEST_F(ProtocolTest, WindowClearAndMenusOffLeaveNoEventBehind) {
  rt::OpenWindow(3, "Keys", Rect{50, 50, 250, 150}, 6);
  InstallDialogHandlers(NoMENU);
  WINDOWCLEAR();
  EXPECT_EQ(Action, 0) << "the window's build events are spent";
  EXPECT_FALSE(rt::EventsPending());
  InstallDialogHandlers(MenusOFF);
  QTest::keyClick(rt::bridge::WindowWidget(3), Qt::Key_A);
  QTest::keyClick(rt::bridge::WindowWidget(3), Qt::Key_B);
  MenusOFF(1, 1);
  Action = 0;
  Drain();
  EXPECT_EQ(Action, 0) << "keys typed before the menus went off are dropped";
}

TEST(TogglePrefsTest, FlipsBetweenZeroAndOneAndIgnoresSlotsOutsideTheTable) {
  PrefsArray.fill(0);
  TogglePrefs(22);
  EXPECT_EQ(PrefsArray[22], 1);
  PrefsArray[22] = 2;
  TogglePrefs(22);
  EXPECT_EQ(PrefsArray[22], 0) << "any value but 0 counts as on";
  TogglePrefs(71);
  TogglePrefs(-1);
}

// A reader or a wait that pumps before the window loop reads Action must not let a
// second queued click overwrite the first.
TEST_F(ProtocolTest, AQueuedClickWaitsUntilTheLoopHasReadTheOneBefore) {
  rt::OpenWindow(7, "Buttons", Rect{50, 50, 350, 200}, 6);
  rt::NewControl(1, rt::ControlType::PushButton, "one", Rect{10, 10, 90, 30}, 1);
  rt::NewControl(2, rt::ControlType::PushButton, "two", Rect{100, 10, 180, 30}, 1);
  InstallDialogHandlers(NoMENU);
  Drain();
  Action = 0;
  for (int16_t b : {1, 2}) qobject_cast<QAbstractButton*>(rt::bridge::ControlWidget(7, b))->click();
  for (int pass = 0; pass < 3; ++pass) rt::PumpEvents(0);
  EXPECT_EQ(Action, ActionCode::Click);
  EXPECT_EQ(EventID, 1) << "the first click stays until it is read";
  EXPECT_TRUE(rt::EventsPending()) << "the second is still to come";
  Action = 0;
  rt::PumpEvents(0);
  EXPECT_EQ(Action, ActionCode::Click);
  EXPECT_EQ(EventID, 2);
}

}  // namespace
}  // namespace mv
