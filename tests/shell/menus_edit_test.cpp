// The Edit menu's text commands in a real window of the program: offered while a
// field of the front window has the focus, acting on that field whatever the
// window's own menu handler (the calculators take no menu commands), and dimmed
// when no field has the focus. Ctrl+C and Ctrl+V typed in a field stay text commands.
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include <string>

#include "calculators/simple_math.h"
#include "common/window_steps.h"
#include "menus_test_support.h"
#include "runtime/qt_bridge.h"
#include "runtime/windows.h"

namespace mv {
namespace {

using namespace MenuNumber;

constexpr int16_t kMath = 8, kX = calc::kSimpleMathX, kY = calc::kSimpleMathY, kDone = 41;
constexpr int16_t kUndo = 3, kCut = 5, kCopy = 6, kPaste = 7, kClear = 8, kSelectAll = 9;
constexpr int16_t kTextItems[] = {kUndo, kCut, kCopy, kPaste, kClear, kSelectAll};

class EditMenuTest : public test::MenusTest, public test::WindowSteps {
 protected:
  void SetUp() override {
    MenusTest::SetUp();
    MainMENU();
  }
  void TearDown() override {
    rt::SetPumpHook(nullptr);
    MenusTest::TearDown();
  }

  static bool AnyTextItemOffered() {
    for (int16_t item : kTextItems)
      if (rt::MenuItemEnabled(Edit, item)) return true;
    return false;
  }
  // Chooses an Edit item as the user would: only a shown (enabled) item can be chosen.
  static Step Menu(int16_t item) {
    return [item] {
      EXPECT_TRUE(rt::MenuItemEnabled(Edit, item)) << "Edit item " << item << " is dimmed";
      if (rt::MenuItemEnabled(Edit, item)) rt::bridge::ChooseMenuItem(Edit, item);
      return true;
    };
  }
  static Step Expect(int16_t field, std::string text) {
    return Do([field, text] { EXPECT_EQ(TextOf(kMath, field), text) << "field " << field; });
  }
  static Step ExpectFocus(int16_t field) {
    return Do([field] {
      rt::SetOutputWindow(kMath);
      EXPECT_EQ(rt::FocusedEditField(), field);
    });
  }
  // Ctrl plus a letter pressed in the focused field.
  static Step CtrlKey(Qt::Key key) {
    return Do([key] {
      QWidget* field = QApplication::focusWidget();
      ASSERT_NE(field, nullptr);
      const QString control(QChar(static_cast<char16_t>(key - Qt::Key_A + 1)));
      QKeyEvent press(QEvent::KeyPress, key, Qt::ControlModifier, control);
      QKeyEvent release(QEvent::KeyRelease, key, Qt::ControlModifier, control);
      QApplication::sendEvent(field, &press);
      QApplication::sendEvent(field, &release);
    });
  }
};

TEST_F(EditMenuTest, TypedTextCopiedAndPastedThroughTheMenuLandsInTheOtherField) {
  EXPECT_FALSE(AnyTextItemOffered()) << "no window, no field";
  Drive({Until(kMath), Do([] {
           for (int16_t item : kTextItems)
             EXPECT_TRUE(rt::MenuItemEnabled(Edit, item)) << "item " << item << " with X focused";
         }),
         Type(kMath, kX, ""), Keys(kMath, kX, "42"), Expect(kX, "42"), Menu(kSelectAll), Menu(kCopy),
         Key(kMath, kX, Qt::Key_Tab, "\t"), ExpectFocus(kY), Menu(kSelectAll), Menu(kPaste), Expect(kY, "42"),
         Shot(kMath, "w8-simple-math-pasted.png"),
         // Cut empties the field, Undo brings the text back, Clear removes the selection.
         Menu(kSelectAll), Menu(kCut), Expect(kY, ""), Menu(kUndo), Expect(kY, "42"), Menu(kSelectAll),
         Menu(kClear), Expect(kY, ""), Click(kMath, kDone)});
  calc::SIMPLECALC();
  EXPECT_TRUE(ScriptDone());
  EXPECT_FALSE(rt::WindowExists(kMath));
  EXPECT_FALSE(AnyTextItemOffered()) << "the window closed: no field has the focus";
}

TEST_F(EditMenuTest, CtrlCAndCtrlVInAFieldStayTextCommands) {
  Drive({Until(kMath), Type(kMath, kX, "7.5"), Menu(kSelectAll), CtrlKey(Qt::Key_C),
         Key(kMath, kX, Qt::Key_Tab, "\t"), ExpectFocus(kY), Menu(kSelectAll), CtrlKey(Qt::Key_V),
         Expect(kY, "7.5"), Expect(kX, "7.5"), Click(kMath, kDone)});
  calc::SIMPLECALC();
  EXPECT_TRUE(ScriptDone());
}

TEST_F(EditMenuTest, AWindowWithoutAFocusedFieldOffersNoTextCommand) {
  rt::OpenWindow(40, "Picture", Rect{40, 60, 340, 200}, 6);
  rt::BringWindowForward(40);
  EXPECT_FALSE(AnyTextItemOffered());
  EXPECT_TRUE(rt::MenuItemEnabled(Edit, 10)) << "the other Edit items keep their own states";
  EXPECT_TRUE(rt::MenuItemEnabled(Edit, 21));
  rt::NewEditField(1, "12", Rect{10, 10, 100, 30}, 3, 1);
  rt::FocusEditField(1);
  EXPECT_TRUE(AnyTextItemOffered());
  SetUpMENUs(0);
  EXPECT_FALSE(AnyTextItemOffered()) << "a window that switches the menus off gets no text command either";
}

}  // namespace
}  // namespace mv
