#include "calculators/simple_math.h"

#include <string>

#include "calculators/frame.h"
#include "calculators/simple_math_rules.h"
#include "kit/builders.h"
#include "kit/protocol.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "runtime/windows.h"

namespace mv::calc {

namespace {

constexpr int16_t kHelpButton = 40;
constexpr int16_t kDoneButton = 41;
constexpr int16_t kHelpTopic = 178;
constexpr RGBColor kLabelColor{0, 0, 0};

// The field the calculator made active itself (a click into a field does not
// change it): operator keys act only while it is Y.
int16_t currentEF = kSimpleMathX;

// A working register: the value it holds in full and the text its field was given.
// While the field still shows that text the register keeps its value, so a result
// carried into the next step is not the rounded text; a field the user has typed
// into is read again.
struct Register {
  double value = 0;
  std::string shown;
};
Register registerX, registerY;

Register& RegisterOf(int16_t field) {
  return field == kSimpleMathX ? registerX : registerY;
}

std::string TextOf(int16_t field) {
  return rt::EditFieldExists(field) ? rt::EditText(field) : std::string();
}

double Read(int16_t field) {
  Register& r = RegisterOf(field);
  const std::string text = TextOf(field);
  if (text != r.shown) {
    r.value = FieldValueDouble(field);
    r.shown = text;
  }
  return r.value;
}

void Write(int16_t field, double value) {
  Register& r = RegisterOf(field);
  SetFieldPlain(field, value);
  r.value = value;
  r.shown = TextOf(field);
}

void MakeActive(int16_t field) {
  currentEF = field;
  ActivateField(field);
}

struct ButtonDef {
  int16_t number;
  const char* title;
  int16_t width = 0;  // 0: the row's width
};

// One row of buttons across the window, 2 pixels apart.
void ButtonRow(int16_t top, std::initializer_list<ButtonDef> buttons, int16_t width, int16_t left = 6) {
  int16_t x = left;
  for (const ButtonDef& b : buttons) {
    const int16_t w = b.width != 0 ? b.width : width;
    rt::NewControl(b.number, rt::ControlType::PushButton, b.title,
                   Rect{x, top, static_cast<int16_t>(x + w), static_cast<int16_t>(top + 20)}, 1);
    x = static_cast<int16_t>(x + w + 2);
  }
}

void DrawLabels() {
  rt::FontSpec label = KitFont(KestraneFont, 13);
  label.bold = true;
  rt::DrawText(12, 21, "X value:", label, RGBred);
  rt::DrawText(12, 50, "Y value:", label, RGBblue);

  const rt::FontSpec plain = KitFont(KestraneFont, 12);
  rt::FontSpec italic = plain;
  italic.italic = true;
  rt::FontSpec bold = plain;
  bold.bold = true;
  // "Use the '_' key for subtraction in RPN", the middle word in italics.
  const Str255 first = "Use the '_' key for ", middle = "subtraction ", last = "in RPN";
  const int width = rt::TextWidth(first.str(), plain) + rt::TextWidth(middle.str(), italic) +
                    rt::TextWidth(last.str(), plain);
  int x = (320 - width) / 2;
  rt::DrawText(x, 78, first.str(), plain, kLabelColor);
  x += rt::TextWidth(first.str(), plain);
  rt::DrawText(x, 78, middle.str(), italic, kLabelColor);
  x += rt::TextWidth(middle.str(), italic);
  rt::DrawText(x, 78, last.str(), plain, kLabelColor);
  DoubleLINE(0, 320, 90);
  // "X in degrees", the second word bold, at the right of the trigonometry row.
  rt::DrawText(222, 218, "X in ", plain, kLabelColor);
  rt::DrawText(222 + rt::TextWidth("X in ", plain), 218, "degrees ", bold, kLabelColor);
  DoubleLINE(0, 320, 235);
}

void BuildButtons() {
  ButtonRow(95, {{1, "X + Y"}, {2, "X - Y"}, {3, "X * Y"}, {4, "X \xD6 Y"}, {5, "1/X"}, {6, "Y =  \xB9"}},
            49);
  ButtonRow(120,
            {{7, "ln X"}, {8, "e^X"}, {9, "log X"}, {10, "10^X"}, {11, "\xC3 X"}, {22, "x^2"}, {12, "X^Y"}},
            42);
  ButtonRow(150,
            {{13,
              "X\xD6"
              "10"},
             {14, "X*10"},
             {15,
              "X\xD6"
              "60"},
             {16, "X*60"},
             {17,
              "X\xD6"
              "24"},
             {18, "X*24"}},
            49);
  ButtonRow(177,
            {{19,
              "X\xD6"
              "760",
              45},
             {20,
              "X\xD6"
              "101.325",
              70},
             {21,
              "X\xD6"
              "273.1",
              55},
             {23, " x+273.1", 56},
             {24, "X=Y", 40},
             {25, "Y=X", 40}},
            0, 3);
  ButtonRow(204, {{51, "sine (X)"}, {52, "cosine (X)"}, {53, "tangent (X)"}}, 68);
  static constexpr ButtonDef kGeometry[] = {
      {31, "Circumferance of a Circle with Radius X   (2 \xB9 r) "},
      {32, "Area of a Circle with Radius X (\xB9 r^2) "},
      {33, "Cylinder Volume,  Radius X and Height Y   (\xB9 r^2 h) "},
      {34, "Surface Area of a Sphere with Radius X   (4 \xB9r^2) "},
      {35, "Volume of a Sphere with Radius X   (4/3 \xB9 r^3) "},
  };
  int16_t top = 245;
  for (const ButtonDef& b : kGeometry) {
    rt::NewControl(b.number, rt::ControlType::PushButton, b.title,
                   Rect{2, top, 318, static_cast<int16_t>(top + 20)}, 1);
    top = static_cast<int16_t>(top + 25);
  }
  rt::NewControl(kHelpButton, rt::ControlType::PushButton, "?", Rect{170, 380, 200, 400}, 1);
  rt::NewControl(kDoneButton, rt::ControlType::PushButton, "Done", Rect{220, 380, 300, 400}, 1);
}

void BuildRegister(int16_t field, const char* text, int16_t top, int16_t fore, int16_t back, double size) {
  EFForeColor = fore;
  EFBackColor = back;
  BUILDEF(field, text, 90, top, 300, static_cast<int16_t>(top + 21), 3, 3);
  rt::FontSpec font = KitFont(3, size);
  font.bold = true;
  rt::SetEditFont(field, font);
}

void BuildSimpleMathWindow() {
  OpenCalculatorWindow("Simple Math  (RPN for +, -, *, /, ^)", 300, 80, 620, 489);
  DrawLabels();
  BuildButtons();
  BuildRegister(kSimpleMathX, "1", 5, 2, 8, 18);   // red on manila
  BuildRegister(kSimpleMathY, "0", 34, 3, 1, 16);  // blue on light blue
  EFForeColor = 0;
  EFBackColor = 6;
  rt::FlushWindow();
}

// A button: X and Y are read, the result written into X or Y as the button says;
// a refused result flashes the math error and leaves both as they stand. "?" only
// shows the help.
bool OnButton(int16_t button) {
  if (button == kHelpButton) {
    ShowCalculatorHelp(kHelpTopic);
    return false;
  }
  const SimpleMathOutcome out = SimpleMathButton(button, Read(kSimpleMathX), Read(kSimpleMathY));
  if (out.mathError) {
    CALCERROR();
    return false;
  }
  if (out.newX) Write(kSimpleMathX, out.x);
  if (out.yWrite == SimpleMathOutcome::YWrite::Value) Write(kSimpleMathY, out.y);
  if (out.yWrite == SimpleMathOutcome::YWrite::PiText) SetFieldText(kSimpleMathY, kSimpleMathPiText);
  return false;
}

}  // namespace

void CALCERROR() {
  const std::string saved = TextOf(kSimpleMathX);
  zap();
  for (int i = 0; i < 6; ++i) {
    SetFieldText(kSimpleMathX, kMathErrorText);
    rt::FlushWindow();
    rt::Delay(150);
    SetFieldText(kSimpleMathX, " ");
    rt::FlushWindow();
    rt::Delay(150);
  }
  SetFieldText(kSimpleMathX, saved);
}

void HandleMathOperation() {
  const int16_t operation = MathOperation;
  MathOperation = 0;
  if (currentEF != kSimpleMathY || operation == 0) return;
  const double y = Read(kSimpleMathY);
  const double x = Read(kSimpleMathX);
  const OperatorOutcome out = SimpleMathOperator(operation, x, y);
  Action = 0;
  EventID = 0;
  if (out.mathError) {
    CALCERROR();
    return;
  }
  Write(kSimpleMathX, out.result);
  if (Sound_Is_On) PlaySound("upvip.mp3", "MVsounds");
  MakeActive(kSimpleMathX);
}

void SIMPLECALC() {
  registerX = registerY = Register{};
  BuildSimpleMathWindow();
  MathOperation = 0;
  MakeActive(kSimpleMathX);

  LoopRules rules;
  rules.doneButton = kDoneButton;
  rules.onReturn = [] {
    MakeActive(kSimpleMathY);
    FocusClick();
  };
  rules.onOther = [](int16_t action, int32_t) {
    if (action == ActionCode::Tab) {
      MakeActive(currentEF == kSimpleMathX ? kSimpleMathY : kSimpleMathX);
      FocusClick();
    }
    return false;
  };
  rules.afterPass = [] {
    if (MathOperation != 0) HandleMathOperation();
  };
  RunCalculatorLoop(rules, OnButton, CALCCHECKRETURN);
  bup();
}

}  // namespace mv::calc
