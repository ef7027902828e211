// Menu commands in the calculators' real windows. The Edit menu's text commands are
// offered while a field of the front window has the focus, act on that field whatever
// the window's own menu handler (the calculators take no menu commands), and are dimmed
// when no field has the focus; Ctrl+C and Ctrl+V typed in a field stay text commands.
// The condition-changing calculators run from the menu bar while the file information
// window is open: the window ends and keeps what the calculator stored, whichever menu
// handler carried the choice out.
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <string>
#include <vector>

#include "calculators/simple_math.h"
#include "common/window_steps.h"
#include "conversions/needs.h"
#include "files/file_info_window.h"
#include "files/state.h"
#include "runtime/qt_bridge.h"
#include "runtime/windows.h"
#include "shell_test_support.h"

namespace mv {
namespace {

using namespace MenuNumber;

constexpr int16_t kCalculator = 8, kInfo = kFileInfoWindow, kX = calc::kSimpleMathX, kY = calc::kSimpleMathY,
                  kDone = 41;
constexpr int16_t kUndo = 3, kCut = 5, kCopy = 6, kPaste = 7, kClear = 8, kSelectAll = 9;
constexpr int16_t kTextItems[] = {kUndo, kCut, kCopy, kPaste, kClear, kSelectAll};

// The main menu bar, with the calculators behind it.
class CalculatorMenuTest : public test::MenusTest, public test::WindowSteps {
 protected:
  void SetUp() override {
    MenusTest::SetUp();
    MainMENU();
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
    return Do([field, text] { EXPECT_EQ(TextOf(kCalculator, field), text) << "field " << field; });
  }
  static Step ExpectFocus(int16_t field) {
    return Do([field] {
      rt::SetOutputWindow(kCalculator);
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
  // Runs the file information window with the steps, which end in a menu choice.
  void RunFileInfo(std::vector<Step> steps) {
    steps.insert(steps.begin(), Until(kInfo));
    steps.push_back(Gone(kInfo));  // it ends by itself
    Drive(std::move(steps), [] {
      for (int16_t w : {kCalculator, kInfo}) rt::CloseWindow(w);
    });
    GETFILECOMMENTS();
    rt::SetPumpHook(nullptr);
    EXPECT_LE(StepsLeft(), 1u) << "only the wait for the window's own end may be left";
    EXPECT_FALSE(rt::WindowExists(kInfo)) << "the handled menu choice ends the window";
  }
  static Step Choose(int16_t menu, int16_t menuItem) {
    return [menu, menuItem] {
      rt::bridge::ChooseMenuItem(menu, menuItem);
      return true;
    };
  }
};
using EditMenuTest = CalculatorMenuTest;
using CalculatorFromFileInfoTest = CalculatorMenuTest;

TEST_F(EditMenuTest, TypedTextCopiedAndPastedThroughTheMenuLandsInTheOtherField) {
  EXPECT_FALSE(AnyTextItemOffered()) << "no window, no field";
  Drive({Until(kCalculator), Do([] {
           for (int16_t item : kTextItems)
             EXPECT_TRUE(rt::MenuItemEnabled(Edit, item)) << "item " << item << " with X focused";
         }),
         Type(kCalculator, kX, ""), Keys(kCalculator, kX, "42"), Expect(kX, "42"), Menu(kSelectAll),
         Menu(kCopy), Key(kCalculator, kX, Qt::Key_Tab, "\t"), ExpectFocus(kY), Menu(kSelectAll),
         Menu(kPaste), Expect(kY, "42"), Shot(kCalculator, "w8-simple-math-pasted.png"),
         // Cut empties the field, Undo brings the text back, Clear removes the selection.
         Menu(kSelectAll), Menu(kCut), Expect(kY, ""), Menu(kUndo), Expect(kY, "42"), Menu(kSelectAll),
         Menu(kClear), Expect(kY, ""), Click(kCalculator, kDone)});
  calc::SIMPLECALC();
  EXPECT_TRUE(ScriptDone());
  EXPECT_FALSE(rt::WindowExists(kCalculator));
  EXPECT_FALSE(AnyTextItemOffered()) << "the window closed: no field has the focus";
}

TEST_F(EditMenuTest, CtrlCAndCtrlVInAFieldStayTextCommands) {
  Drive({Until(kCalculator), Type(kCalculator, kX, "7.5"), Menu(kSelectAll), CtrlKey(Qt::Key_C),
         Key(kCalculator, kX, Qt::Key_Tab, "\t"), ExpectFocus(kY), Menu(kSelectAll), CtrlKey(Qt::Key_V),
         Expect(kY, "7.5"), Expect(kX, "7.5"), Click(kCalculator, kDone)});
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

TEST_F(CalculatorFromFileInfoTest, StoredStpFlowWinsOverTheFieldsShown) {
  rt::SetMenuHandler(DoMENU);  // the file information window is opened from the full menu bar
  flowrate = 100;
  flowtemp = 20;
  RunFileInfo({Type(kInfo, kMassField, "31"), Choose(MenuNumber::Special, 5), Until(kCalculator),
               Type(kCalculator, 117, "0"), Type(kCalculator, 112, "250"), Click(kCalculator, 15),
               Click(kCalculator, 12), Click(kCalculator, 13)});
  EXPECT_EQ(MENUID, 255);
  EXPECT_EQ(flowrate, 250.0f) << "not the 100 the window showed";
  EXPECT_EQ(flowtemp, 0.0f) << "not the 20 the window showed";
  EXPECT_EQ(BarometricPressure, 760.0f);
  EXPECT_EQ(mass, 31.0f) << "what was typed in the window is kept";
}

TEST_F(CalculatorFromFileInfoTest, StoredPressureWinsThroughTheReducedMenuHandler) {
  rt::SetMenuHandler(services::ShortMENU);
  RunFileInfo({Type(kInfo, kFlowRateField, "180"), Choose(MenuNumber::Special, 6), Until(kCalculator),
               Type(kCalculator, 111, "700"), Click(kCalculator, 3), Click(kCalculator, 4)});
  EXPECT_EQ(BarometricPressure, 700.0f);
  EXPECT_EQ(flowrate, 180.0f);
}

TEST_F(CalculatorFromFileInfoTest, OpeningTheOxygenCalculatorsLeavesTheConditionsAlone) {
  rt::SetMenuHandler(DoMENU);
  BarometricPressure = 700;
  RunFileInfo({Choose(MenuNumber::Special, 8), Until(kCalculator), Click(kCalculator, 20)});
  EXPECT_EQ(BarometricPressure, 700.0f) << "not the 742.5 the pO2 window starts from";
  flowtemp = 0;
  rt::SetMenuHandler(DoMENU);  // the calculator left its own handlers installed
  RunFileInfo({Choose(MenuNumber::Special, 9), Until(kCalculator), Click(kCalculator, 14)});
  EXPECT_EQ(flowtemp, 0.0f) << "not the 10 C the dissolved-oxygen window starts from";
  EXPECT_EQ(BarometricPressure, 700.0f);
}
}  // namespace
}  // namespace mv
