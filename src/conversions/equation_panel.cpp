#include "conversions/equation_panel.h"

#include <cmath>
#include <string>

#include "conversions/evaluate.h"
#include "conversions/text_fields.h"
#include "kit/builders.h"
#include "kit/channel_values.h"
#include "kit/drawing.h"
#include "kit/format.h"
#include "kit/protocol.h"
#include "kit/refusal_line.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "kit/subscript.h"
#include "runtime/events.h"
#include "runtime/windows.h"
#include "setup/state.h"

namespace mv {
namespace {

constexpr int16_t kThreeWayButton = 14;
constexpr int16_t kPolynomialOK = 1;
constexpr Rect kPanelArea{213, 2, 483, 183};  // one row below the three-way box, so no edge is left behind

RGBColor PaletteColour(int16_t colour) {
  const RGBf c = LinePalette(colour);
  auto u16 = [](double f) { return static_cast<uint16_t>(std::lround(f * 65535.0)); };
  return RGBColor{u16(c.red), u16(c.green), u16(c.blue)};
}

PanelText Text(int16_t x, int16_t y, Str255 text, double size, int16_t colour = 7) {
  PanelText t;
  t.x = x;
  t.y = y;
  t.text = std::move(text);
  t.size = size;
  t.colour = colour;
  return t;
}

PanelText Shifted(int16_t x, int16_t y, Str255 text, Str255 shifted, int16_t shift, Str255 tail, double size,
                  int16_t colour = 7) {
  PanelText t = Text(x, y, std::move(text), size, colour);
  t.shifted = std::move(shifted);
  t.shift = shift;
  t.tail = std::move(tail);
  return t;
}

PanelText HeadingText(int16_t type) {
  constexpr int16_t x = 225, y = 20;
  constexpr double size = 14;
  constexpr int16_t colour = 6;
  const Str255 base = "equation:   a + b ";
  switch (type) {
    case ConversionTypeCode::Polynomial:
      return Shifted(x, y, base + "* volts + c * volts", "2", -4, "", size, colour);
    case ConversionTypeCode::Power:
      return Shifted(x, y, base + "* volts", " exponent", -4, " ", size, colour);
    case ConversionTypeCode::Logarithmic:
      return Shifted(x, y, base + "* log", "10", 4, " (volts)", size, colour);
    case ConversionTypeCode::Reciprocal:
      return Text(x, y, base + divideBy + " volts", size, colour);
    default:
      return Text(x, y, base + "* volts", size, colour);
  }
}

PanelText Heading(int16_t type) {
  PanelText t = HeadingText(type);
  t.maxRight = 466;  // inside the panel's box, whatever the width of the display font
  return t;
}

// The size at which the whole text ends before maxRight (never below 9).
double FittingSize(const PanelText& t) {
  double size = t.size;
  if (t.maxRight <= t.x) return size;
  const std::string whole = t.text.str() + t.shifted.str() + t.tail.str();
  while (size > 9 && t.x + rt::TextWidth(whole, KitFont(KestraneFont, size)) > t.maxRight) size -= 0.5;
  return size;
}

void DrawPanelText(const PanelText& t) {
  rt::SetTextFont(KitFont(KestraneFont, FittingSize(t)));
  rt::SetTextColor(PaletteColour(t.colour));
  DoSubscript(t.x, t.y, t.text, t.shifted, t.tail, t.shift);
}

void DrawPanel(const PanelLayout& p) {
  if (p.greyBox)
    BuildGrayBox(p.box.left, p.box.top, p.box.right, p.box.bottom, 0);
  else
    BUILDBOX(p.box.left, p.box.top, p.box.right, p.box.bottom);
  for (const PanelText& t : p.texts) DrawPanelText(t);
  const int16_t oldFore = EFForeColor, oldBack = EFBackColor;
  EFForeColor = 1;
  EFBackColor = 1;
  for (const PanelField& f : p.fields) {
    BUILDEF(f.number, f.text, f.where.left, f.where.top, f.where.right, f.where.bottom, 3, 2);
    rt::SetEditFont(f.number, KitFont(p.fieldFont, p.fieldSize));
    if (!p.selectAll) rt::SelectEditText(f.number, 0, 0);
  }
  EFForeColor = oldFore;
  EFBackColor = oldBack;
  rt::SetTextColor(RGBColor{0, 0, 0});
  rt::FlushWindow();
}

int16_t ChannelTypeCode(int16_t channel) {
  if (channel < 1 || channel > 16) return ConversionTypeCode::None;
  return WholeCode(ChannelVariables[0][channel]);
}

bool ScopeChannel(int16_t channel) {
  return RecordingMODE == RecordingModeCode::Scope ||
         (channel == 1 && RecordingMODE == RecordingModeCode::ScopeChart);
}

}  // namespace

Str255 CoefficientText(float value) {
  return PrintedNumber(value);
}

float CoefficientFromText(std::string_view text) {
  const auto value = static_cast<float>(TextToNumber(text));
  return std::isfinite(value) ? value : 0.0f;
}

std::optional<CoefficientFieldRefusal> CoefficientFieldsRefusal(bool threeWay, int16_t type) {
  using namespace EquationField;
  const char* c = type == ConversionTypeCode::Power ? "exponent" : "c";
  const std::pair<int16_t, const char*> plain[] = {{A, "a"}, {B, "b"}, {C, c}};
  const std::pair<int16_t, const char*> poly[] = {{A, "p0"},  {B, "p1"}, {C, "p2"},
                                                  {P3, "p3"}, {K, "K"},  {M, "m"}};
  const auto first = [](const auto& fields) -> std::optional<CoefficientFieldRefusal> {
    for (const auto& [field, name] : fields) {
      if (!rt::EditFieldExists(field)) continue;
      const std::string text = rt::EditText(field);
      if (const auto why = TypedCoefficientProblem(text))
        return CoefficientFieldRefusal{field, std::string(name) + ": \"" + text + "\" " + *why + "."};
    }
    return std::nullopt;
  };
  return threeWay ? first(poly) : first(plain);
}

PanelLayout PlainEquationPanel(int16_t type, float a, float b, float c) {
  PanelLayout p;
  p.box = Rect{213, 2, 470, 180};
  p.texts.push_back(Heading(type));
  p.texts.push_back(Text(226, 66, "value of 'a':", 13));
  p.texts.push_back(Text(226, 108, "value of 'b':", 13));
  p.fields.push_back({EquationField::A, Rect{302, 48, 455, 72}, CoefficientText(a)});
  p.fields.push_back({EquationField::B, Rect{302, 90, 455, 114}, CoefficientText(b)});
  if (type == ConversionTypeCode::Power || type == ConversionTypeCode::Polynomial) {
    p.texts.push_back(type == ConversionTypeCode::Power ? Text(233, 150, "exponent:", 13)
                                                        : Text(226, 150, "value of 'c':", 13));
    p.fields.push_back({EquationField::C, Rect{302, 132, 455, 156}, CoefficientText(c)});
  }
  p.fieldFont = 3;
  p.fieldSize = 20;
  return p;
}

PanelLayout ThreeWayPanel(const ThreeWayPolyRecord& r) {
  PanelLayout p;
  p.box = Rect{213, 2, 462, 182};
  constexpr double size = 13;
  p.texts.push_back(Text(238, 20, "V = volts *", size));
  p.texts.push_back(Text(224, 78, " + ", size));
  p.texts.push_back(Text(419, 78, "* V", size));
  p.texts.push_back(Text(224, 104, " + ", size));
  p.texts.push_back(Shifted(419, 104, "* V", "2", -4, "", size));
  p.texts.push_back(Text(224, 130, " + ", size));
  p.texts.push_back(Shifted(419, 130, "* V", "3", -4, "", size));
  p.texts.push_back(Text(235, 170, "result *", size));
  p.fields = {
      {EquationField::M, Rect{321, 6, 400, 25}, CoefficientText(r[6])},
      {EquationField::A, Rect{242, 36, 412, 56}, CoefficientText(r[0])},
      {EquationField::B, Rect{242, 62, 412, 82}, CoefficientText(r[1])},
      {EquationField::C, Rect{242, 88, 412, 108}, CoefficientText(r[2])},
      {EquationField::P3, Rect{242, 114, 412, 134}, CoefficientText(r[3])},
      {EquationField::K, Rect{296, 154, 450, 174}, CoefficientText(r[5])},
  };
  p.fieldFont = 3;
  p.fieldSize = 15;
  p.selectAll = false;
  return p;
}

PanelLayout ThreeWayEditorLayout(const ThreeWayPolyRecord& r) {
  PanelLayout p;
  p.box = Rect{8, 36, 332, 224};
  p.greyBox = true;
  constexpr double size = 14;
  p.texts = {
      Text(16, 23, " V = input volts x", size),
      Text(70, 65, "Conversion equation", size),
      Text(28, 92, "[", size),
      Text(28, 118, " + ", size),
      Text(28, 144, " + ", size),
      Text(28, 170, " + ", size),
      Text(266, 118, "x V", size),
      Text(266, 144, "x V", size),
      Text(266, 170, "x V   ", size),
      Text(294, 139, "2", size),
      Text(294, 165, "3", size),
      Text(28, 210, " result X", size),
  };
  p.fields = {
      {EquationField::A, Rect{45, 76, 256, 96}, CoefficientText(r[0])},
      {EquationField::B, Rect{45, 102, 256, 122}, CoefficientText(r[1])},
      {EquationField::C, Rect{45, 128, 256, 148}, CoefficientText(r[2])},
      {EquationField::P3, Rect{45, 154, 256, 174}, CoefficientText(r[3])},
      {EquationField::K, Rect{106, 194, 256, 214}, CoefficientText(r[5])},
      {EquationField::M, Rect{172, 8, 300, 28}, CoefficientText(r[6])},
  };
  p.fieldFont = KestraneFont;
  p.fieldSize = 17;
  p.selectAll = false;
  return p;
}

void ClearEquationPanel() {
  for (int16_t f : {EquationField::K, EquationField::M, EquationField::A, EquationField::B, EquationField::C,
                    EquationField::P3})
    if (rt::EditFieldExists(f)) rt::DisposeEditField(f);
  ClearArea(kPanelArea.left, kPanelArea.top, kPanelArea.right, kPanelArea.bottom);
}

void EQUATIONFIELDS(float a, float b, float c, int16_t mode, int16_t channel) {
  ConversionType = ChannelTypeCode(channel);
  ClearEquationPanel();
  if (mode == 0) {
    rt::FlushWindow();
    return;
  }
  DrawPanel(PlainEquationPanel(ConversionType, a, b, c));
}

void ThreeWayPoly(int16_t channel) {
  if (channel < 1 || channel > 16) return;
  ClearEquationPanel();
  for (int16_t button = 1; button <= 13; ++button)
    if (rt::ControlExists(button)) rt::SetControlState(button, 1);
  if (rt::ControlExists(kThreeWayButton)) rt::SetControlState(kThreeWayButton, 2);
  DrawPanel(ThreeWayPanel(polyarray[channel]));
  rt::FocusEditField(0);
}

void EQUATION(int16_t button, int16_t mode, float a, float b, float c, int16_t previous, int16_t channel) {
  if (button == kThreeWayButton) {
    ThreeWayPoly(channel);
    return;
  }
  if (ScopeChannel(channel)) return;
  if (button > 0 && rt::ControlExists(button)) rt::SetControlState(button, 2);
  EQUATIONFIELDS(a, b, c, mode, channel);
  if (mode == 0 || previous < 2 || previous > 12) return;
  // After a type button the coefficients are shown again in the display font.
  const rt::FontSpec font = KitFont(KestraneFont, 18);
  const float values[3] = {a, b, c};
  const int16_t last =
      ConversionType == ConversionTypeCode::Polynomial || ConversionType == ConversionTypeCode::Power ? 3 : 2;
  for (int16_t i = 0; i < last; ++i) {
    const auto field = static_cast<int16_t>(EquationField::A + i);
    if (!rt::EditFieldExists(field)) continue;
    rt::SetEditFont(field, font);
    rt::SetEditText(field, CoefficientText(values[i]));
  }
}

// ---- the small three-way editor ---------------------------------------------------------

namespace {

bool ShowPolyEnds(int16_t action, int32_t item) {
  switch (action) {
    case ActionCode::Key:
      return true;
    case ActionCode::Click:
      return item == kPolynomialOK;
    case ActionCode::CloseBox:
      return true;  // every way out stores, the close box included
    case ActionCode::WindowActivity:
      return item != kThreeWayWindow;
    default:
      return false;
  }
}

float FieldValue(int16_t field) {
  return rt::EditFieldExists(field) ? CoefficientFromText(rt::EditText(field)) : 0.0f;
}

// Every way out stores the six fields, so none is left while a field holds a coefficient
// the channel cannot hold: the window stays, with a line that says why and the field
// selected.
bool PolyFieldRefused() {
  constexpr int16_t kRefusalField = 120;
  rt::SetOutputWindow(kThreeWayWindow);
  const auto refusal = CoefficientFieldsRefusal(true, ConversionTypeCode::ThreeWay);
  return RefuseField(kRefusalField, Rect{8, 218, 332, 242}, refusal ? refusal->field : 0,
                     refusal ? std::optional(refusal->text) : std::nullopt);
}

}  // namespace

void ShowPoly(int16_t channel) {
  const HandlerScope callersHandlers;
  if (channel < 1 || channel > 16) return;
  BuildWINDOW(kThreeWayWindow, Str255("3-order Polynomial, Channel") + NumText(channel), 115, 110, 455, 390,
              6);
  DrawPanel(ThreeWayEditorLayout(polyarray[channel]));
  rt::NewControl(kPolynomialOK, rt::ControlType::PushButton, "Polynomial OK", Rect{130, 244, 320, 265}, 1);
  InstallDialogHandlers(NoMENU);
  Action = 0;
  EventID = 0;
  rt::FlushWindow();
  for (;;) {
    rt::PumpEvents();
    if (!rt::WindowExists(kThreeWayWindow)) return;
    if (ShowPolyEnds(Action, EventID) && !PolyFieldRefused()) break;
    Action = 0;
    EventID = 0;
  }
  rt::SetOutputWindow(kThreeWayWindow);
  ThreeWayPolyRecord& r = polyarray[channel];
  r[0] = FieldValue(EquationField::A);
  r[1] = FieldValue(EquationField::B);
  r[2] = FieldValue(EquationField::C);
  r[3] = FieldValue(EquationField::P3);
  r[5] = FieldValue(EquationField::K);
  r[6] = FieldValue(EquationField::M);
  Action = 0;
  EventID = 0;
  rt::CloseWindow(kThreeWayWindow);
}

}  // namespace mv
