// The breakpoint conversion window (window 4) as its loop, and the rules of its
// rows and radio pairs.
#include "conversions/breakpoint_window.h"

#include "conversions/equation_panel.h"
#include "conversions/evaluate.h"
#include "conversions/needs.h"
#include "conversions/text_fields.h"
#include "kit/builders.h"
#include "kit/format.h"
#include "kit/help.h"
#include "kit/protocol.h"
#include "kit/refusal_line.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/windows.h"
#include "setup/state.h"

namespace mv {

// ---- rules ---------------------------------------------------------------------------------------

Str255 BreakpointKindName(int16_t kind) {
  switch (kind) {
    case BreakpointKindCode::Linear:
      return "linear";
    case BreakpointKindCode::Polynomial:
      return "2-way poly";
    case BreakpointKindCode::Power:
      return "power";
    case BreakpointKindCode::Reciprocal:
      return "reciprocal";
    default:
      return "";
  }
}

int16_t KindOfButton(int16_t button) {
  switch (button) {
    case BreakpointControl::Linear:
      return BreakpointKindCode::Linear;
    case BreakpointControl::Reciprocal:
      return BreakpointKindCode::Reciprocal;
    case BreakpointControl::Polynomial:
      return BreakpointKindCode::Polynomial;
    case BreakpointControl::Power:
      return BreakpointKindCode::Power;
    default:
      return 0;
  }
}

BreakpointRowTexts BreakpointRowTextsOf(const BreakpointRecord& r, int row) {
  const int on = BreakpointOnField(row);
  const int16_t kind = WholeCode(r[on + 1]);
  BreakpointRowTexts t;
  t.kind = BreakpointKindName(kind);
  t.a = CoefficientText(r[on + 2]);
  t.b = CoefficientText(r[on + 3]);
  t.c = kind == BreakpointKindCode::Linear ? Str255(" ") : CoefficientText(r[on + 4]);
  return t;
}

BreakpointRadios RadioSelection(const BreakpointRecord& r) {
  using namespace BreakpointControl;
  return BreakpointRadios{
      r[18] != 0.0f ? BelowMultiply : BelowAdd,
      r[19] != 0.0f ? AboveMultiply : AboveAdd,
      r[20] != 0.0f ? BelowVolts : BelowInitial,
      r[21] != 0.0f ? AboveVolts : AboveInitial,
  };
}

bool ApplyRadioClick(BreakpointRecord& r, int16_t control) {
  using namespace BreakpointControl;
  switch (control) {
    case BelowAdd:
    case BelowMultiply:
      r[18] = control == BelowMultiply ? 1.0f : 0.0f;
      return true;
    case AboveAdd:
    case AboveMultiply:
      r[19] = control == AboveMultiply ? 1.0f : 0.0f;
      return true;
    case BelowVolts:
    case BelowInitial:
      r[20] = control == BelowVolts ? 1.0f : 0.0f;
      return true;
    case AboveVolts:
    case AboveInitial:
      r[21] = control == AboveVolts ? 1.0f : 0.0f;
      return true;
    default:
      return false;
  }
}

void SetBreakpointEquation(BreakpointRecord& r, int row, int16_t kind, float a, float b, float c) {
  const int on = BreakpointOnField(row);
  r[on + 1] = kind;
  r[on + 2] = a;
  r[on + 3] = b;
  r[on + 4] = c;
}

// ---- the window ----------------------------------------------------------------------------------

namespace {

constexpr int16_t kWindow = kBreakpointWindow;
constexpr int16_t kHelpTopic = 187;
constexpr RGBColor kBlack{0, 0, 0};
// 632 x 430 pixels: the window and its frame fit the smallest display (640 x 480).
constexpr int16_t kWidth = 632, kHeight = 430;
constexpr int16_t kRowTop = 204, kRowStep = 64;

void BreakpointMenuHandler(int16_t menu, int16_t menuItem) {
  services::ShortMENU(menu, menuItem);
}

int16_t RowTop(int row) {
  return static_cast<int16_t>(kRowTop + kRowStep * row);
}

int16_t RowField(int row, int column) {
  return static_cast<int16_t>(BreakpointControl::FirstRowField + 10 * row + column);
}

class BreakpointWindow {
 public:
  explicit BreakpointWindow(int16_t channel) : channel_(channel) {}

  void Run() {
    entryType_ = TypeCode();
    TypeCode() = BreakpointKindCode::Linear;
    const BreakpointRecord& r = Record();
    a_ = r[3];
    b_ = r[4];
    c_ = r[5];
    MENUID = 0;
    Build();
    for (;;) {
      ShowChoices();
      rt::PumpEvents();
      const int16_t action = Action;
      const int32_t item = EventID;
      Action = 0;
      EventID = 0;
      bool ends = action == ActionCode::WindowActivity || action == ActionCode::Key ||
                  action == ActionCode::CloseBox || !rt::WindowExists(kWindow);
      if (action == ActionCode::Click) ends = Click(static_cast<int16_t>(item));
      if (MENUID == 255) ends = true;
      if (!ends) continue;

      TypeCode() = action == ActionCode::CloseBox ? entryType_ : float{ConversionTypeCode::Breakpoint};
      CommitBreakpoint();
      if (MENUID == 255 && action != ActionCode::CloseBox) {
        MENUID = 0;
        TypeCode() = BreakpointKindCode::Linear;
        Build();
        continue;
      }
      if (rt::WindowExists(kWindow)) rt::CloseWindow(kWindow);
      return;
    }
  }

 private:
  BreakpointRecord& Record() { return BreakpointArray[channel_]; }
  float& TypeCode() { return ChannelVariables[0][channel_]; }
  int16_t Kind() { return WholeCode(TypeCode()); }

  void Build() {
    using namespace BreakpointControl;
    if (rt::WindowExists(kWindow)) rt::CloseWindow(kWindow);
    BuildWINDOW(kWindow, Str255(" Breakpoint Conversion, Channel") + NumText(channel_) + " ", 20, 50,
                20 + kWidth, 50 + kHeight, 6);
    const rt::FontSpec font = KitFont(KestraneFont, 13);
    rt::DrawText(12, 18, "select conversion type", font, kBlack);
    const char* kinds[] = {"Linear", "Reciprocal", "Polynomial", "Power"};
    for (int16_t k = 0; k < 4; ++k) {
      const auto top = static_cast<int16_t>(26 + 24 * k);
      rt::NewControl(static_cast<int16_t>(Linear + k), rt::ControlType::PushButton, kinds[k],
                     Rect{10, top, 200, static_cast<int16_t>(top + 22)}, 1);
    }
    rt::DrawText(12, 152, "breakpoint:", font, kBlack);
    BUILDEF(BreakpointField, CoefficientText(Record()[0]), 95, 136, 200, 158, 3, 2);
    rt::DrawText(100, 176, "volts", KitFont(KestraneFont, 11), kBlack);
    BuildStoredButtons(font);
    BuildRows(font);
    rt::NewControl(StoreValues, rt::ControlType::PushButton, "Store Values", Rect{300, 398, 430, 422}, 1);
    rt::NewControl(Help, rt::ControlType::PushButton, "?", Rect{440, 398, 480, 422}, 1);
    rt::NewControl(Done, rt::ControlType::DefaultButton, "Done", Rect{510, 398, 626, 422}, 1);
    DoubleLINE(0, kWidth, 390);

    EQUATIONFIELDS(a_, b_, c_, 1, channel_);
    SHOWBREAKPOINT(channel_);
    if (PrefsArray[PrefsSlot::AlwaysShowHelpData] != 0) {
      DoHelpWindow(kHelpTopic);
      rt::SetOutputWindow(kWindow);
    }
    Action = 0;
    EventID = 0;
    InstallDialogHandlers(BreakpointMenuHandler);
    rt::FlushWindow();
  }

  void BuildStoredButtons(const rt::FontSpec& font) {
    using namespace BreakpointControl;
    rt::DrawText(500, 18, "stored conversions", font, kBlack);
    for (int16_t k = 1; k <= StoredCount; ++k) {
      const auto top = static_cast<int16_t>(26 + 25 * (k - 1));
      const Rect get{490, top, 546, static_cast<int16_t>(top + 22)};
      const Rect store{550, top, 626, static_cast<int16_t>(top + 22)};
      rt::NewControl(static_cast<int16_t>(FirstGet + k - 1), rt::ControlType::PushButton, "Get" + NumText(k),
                     get, 1);
      rt::NewControl(static_cast<int16_t>(FirstStoreAs + k - 1), rt::ControlType::PushButton,
                     "Store As" + NumText(k), store, 1);
    }
  }

  void BuildRows(const rt::FontSpec& font) {
    using namespace BreakpointControl;
    const Str255 atOrAbove = "\xB3";  // the greater-or-equal sign
    const Str255 labels[3] = {"initial:", "< breakpoint:", atOrAbove + "  breakpoint:"};
    const Str255 boxes[3] = {"Use Initial Conversion", "Convert Data < Breakpoint",
                             "Convert Data " + atOrAbove + " Breakpoint"};
    const Str255 sets[3] = {"Set Initial Conversion (All Data)", "Set for Volts < Breakpoint",
                            "Set for Volts " + atOrAbove + " Breakpoint"};
    const int16_t left[4] = {104, 182, 266, 350}, right[4] = {178, 262, 346, 430};
    const char* heads[4] = {"equation", "a value", "b value", "c value"};
    for (int col = 0; col < 4; ++col) {
      const int width = rt::TextWidth(heads[col], font);
      rt::DrawText((left[col] + right[col] - width) / 2, kRowTop - 6, heads[col], font, kBlack);
    }
    rt::DrawText(438, kRowTop - 6, "operator", font, kBlack);
    rt::DrawText(532, kRowTop - 6, "apply to:", font, kBlack);
    for (int row = 0; row < 3; ++row) {
      const int16_t top = RowTop(row);
      const auto bottom = static_cast<int16_t>(top + 20);
      rt::DrawText(10, top + 15, labels[row], font, kBlack);
      for (int col = 0; col < 4; ++col)
        BUILDEF(RowField(row, col), "", left[col], top, right[col], bottom, 7, 2);
      const bool on = Record()[BreakpointOnField(row)] != 0.0f;
      rt::NewControl(static_cast<int16_t>(UseInitial + row), rt::ControlType::CheckBox, boxes[row],
                     Rect{10, static_cast<int16_t>(top + 28), 245, static_cast<int16_t>(top + 48)},
                     on ? 2 : 1);
      rt::NewControl(static_cast<int16_t>(SetInitial + row), rt::ControlType::PushButton, sets[row],
                     Rect{250, static_cast<int16_t>(top + 27), 540, static_cast<int16_t>(top + 49)},
                     on ? 1 : 0);
      if (row == 0) continue;
      const int16_t add = row == 1 ? BelowAdd : AboveAdd;
      const int16_t volts = row == 1 ? BelowVolts : AboveVolts;
      Radio(add, " + ", Rect{436, top, 474, bottom});
      Radio(static_cast<int16_t>(add + 1), "*", Rect{476, top, 506, bottom});
      Radio(volts, "Volts", Rect{512, top, 566, bottom});
      Radio(static_cast<int16_t>(volts + 1), "Initial", Rect{568, top, 628, bottom});
    }
  }

  static void Radio(int16_t number, const Str255& title, Rect where) {
    rt::NewControl(number, rt::ControlType::RadioButton, title, where, 1);
  }

  void ShowChoices() {
    using namespace BreakpointControl;
    if (!rt::WindowExists(kWindow)) return;
    rt::SetOutputWindow(kWindow);
    const BreakpointRadios sel = RadioSelection(Record());
    const int16_t pairs[4][2] = {{BelowAdd, BelowMultiply},
                                 {AboveAdd, AboveMultiply},
                                 {BelowVolts, BelowInitial},
                                 {AboveVolts, AboveInitial}};
    const int16_t chosen[4] = {sel.belowOperator, sel.aboveOperator, sel.belowInput, sel.aboveInput};
    for (int i = 0; i < 4; ++i)
      for (int16_t b : pairs[i]) SetState(b, b == chosen[i] ? 2 : 1);
    for (int16_t b = Linear; b <= Power; ++b) SetState(b, KindOfButton(b) == Kind() ? 2 : 1);
    for (int row = 0; row < 3; ++row) {
      const bool on = Record()[BreakpointOnField(row)] != 0.0f;
      SetState(static_cast<int16_t>(UseInitial + row), on ? 2 : 1);
      SetState(static_cast<int16_t>(SetInitial + row), on ? 1 : 0);
    }
  }

  static void SetState(int16_t control, int16_t state) {
    if (rt::ControlExists(control) && rt::ControlState(control) != state) rt::SetControlState(control, state);
  }

  // True when the click ends the window.
  bool Click(int16_t control) {
    using namespace BreakpointControl;
    rt::SetOutputWindow(kWindow);
    if (control >= Linear && control <= Power) {
      ReadEquationFields();
      TypeCode() = KindOfButton(control);
      EQUATION(control, 3, a_, b_, c_, 0, channel_);
    } else if (control >= SetInitial && control <= SetAbove) {
      SetEquation(control - SetInitial);
    } else if (control >= UseInitial && control <= UseAbove) {
      float& on = Record()[BreakpointOnField(control - UseInitial)];
      on = on != 0.0f ? 0.0f : 1.0f;
    } else if (ApplyRadioClick(Record(), control)) {
    } else if (control >= FirstGet && control < FirstGet + StoredCount) {
      Record() = BreakpointArray[StoredBreakpointRow(control - FirstGet + 1)];
      rt::SetEditText(BreakpointField, CoefficientText(Record()[0]));
      SHOWBREAKPOINT(channel_);
      downVipSOUND();
    } else if (control >= FirstStoreAs && control < FirstStoreAs + StoredCount) {
      CommitBreakpoint();
      BreakpointArray[StoredBreakpointRow(control - FirstStoreAs + 1)] = Record();
      upVipSOUND();
    } else if (control == StoreValues) {
      CommitBreakpoint();
      services::SAVEsettings();
      MENUID = 255;
    } else if (control == Help) {
      DoHelpWindow(kHelpTopic);
      rt::SetOutputWindow(kWindow);
    } else if (control == Done) {
      return true;
    }
    return false;
  }

  // The equation fields as typed; a field the kind does not show keeps its value.
  void ReadEquationFields() {
    if (rt::EditFieldExists(EquationField::A)) a_ = CoefficientFromText(rt::EditText(EquationField::A));
    if (rt::EditFieldExists(EquationField::B)) b_ = CoefficientFromText(rt::EditText(EquationField::B));
    if (rt::EditFieldExists(EquationField::C)) c_ = CoefficientFromText(rt::EditText(EquationField::C));
  }

  void SetEquation(int row) {
    // A coefficient the channel cannot hold is not set into the row: the line says why and
    // the field is selected.
    constexpr int16_t kRefusalField = 140;
    if (const auto refusal = CoefficientFieldsRefusal(false, Kind())) {
      zap();
      ShowRefusalLine(kRefusalField, Rect{8, 394, 292, 428}, refusal->text);
      rt::FocusEditField(refusal->field);
      rt::SelectEditText(refusal->field, 0, -1);
      return;
    }
    ClearRefusalLine(kRefusalField);
    const bool hasC = rt::EditFieldExists(EquationField::C);
    const Str255 aText =
        rt::EditFieldExists(EquationField::A) ? Str255(rt::EditText(EquationField::A)) : Str255();
    const Str255 bText =
        rt::EditFieldExists(EquationField::B) ? Str255(rt::EditText(EquationField::B)) : Str255();
    const Str255 cText = hasC ? Str255(rt::EditText(EquationField::C)) : Str255();
    const int16_t kind = Kind();
    SetBreakpointEquation(Record(), row, kind, CoefficientFromText(aText), CoefficientFromText(bText),
                          hasC ? CoefficientFromText(cText) : 0.0f);
    const BreakpointRowTexts shown = BreakpointRowTextsOf(Record(), row);
    rt::SetEditText(RowField(row, 0), shown.kind);
    rt::SetEditText(RowField(row, 1), aText);
    rt::SetEditText(RowField(row, 2), bText);
    rt::SetEditText(RowField(row, 3), hasC ? cText : shown.c);
  }

  // The breakpoint as typed goes into the record before anything stores or redraws it.
  void CommitBreakpoint() {
    if (!rt::WindowExists(kWindow)) return;
    rt::SetOutputWindow(kWindow);
    if (rt::EditFieldExists(BreakpointControl::BreakpointField))
      Record()[0] = CoefficientFromText(rt::EditText(BreakpointControl::BreakpointField));
  }

  int16_t channel_;
  float entryType_ = 1;
  float a_ = 0, b_ = 1, c_ = 0;
};

}  // namespace

void BREAKPOINT(int16_t channel) {
  const HandlerScope callersHandlers;
  if (channel < 1 || channel > 16) return;
  BreakpointWindow(channel).Run();
}

void SHOWBREAKPOINT(int16_t channel) {
  if (channel < 1 || channel > 16 || !rt::WindowExists(kWindow)) return;
  rt::SetOutputWindow(kWindow);
  for (int row = 0; row < 3; ++row) {
    const BreakpointRowTexts t = BreakpointRowTextsOf(BreakpointArray[channel], row);
    const Str255 texts[4] = {t.kind, t.a, t.b, t.c};
    for (int col = 0; col < 4; ++col) rt::SetEditText(RowField(row, col), texts[col]);
  }
}

}  // namespace mv
