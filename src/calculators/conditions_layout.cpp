#include "calculators/conditions_layout.h"

#include "calculators/frame.h"
#include "kit/builders.h"
#include "kit/state.h"
#include "kit/subscript.h"
#include "runtime/macroman.h"

namespace mv::calc {

namespace {

rt::FontSpec Font(double size, bool bold) {
  rt::FontSpec f = KitFont(KestraneFont, size);
  f.bold = bold;
  return f;
}

}  // namespace

void StyledField(int16_t number, const Str255& text, Rect where, int16_t type, int16_t justification,
                 RGBColor textColor, RGBColor background, double size, bool bold) {
  BUILDEF(number, text, where.left, where.top, where.right, where.bottom, type, justification);
  rt::SetEditColors(number, textColor, background);
  rt::SetEditFont(number, Font(size, bold));
  rt::SetEditText(number, text.str());
  if (type < 5) rt::SelectEditText(number, 0, -1);
}

void LabelField(int16_t number, const Str255& text, Rect where, int16_t justification, double size,
                bool bold) {
  StyledField(number, text, where, 7, justification, kBlackText, rt::WindowBackgroundColor(), size, bold);
}

void DrawLabel(int16_t x, int16_t baseline, std::string_view utf8, double size, bool bold) {
  rt::DrawTextUtf8(x, baseline, utf8, Font(size, bold), kBlackText);
}

void DrawLabelRight(int16_t xRight, int16_t baseline, std::string_view utf8, double size, bool bold) {
  const rt::FontSpec font = Font(size, bold);
  const int width = rt::TextWidth(Utf8ToMacRoman(utf8), font);
  rt::DrawTextUtf8(xRight - width, baseline, utf8, font, kBlackText);
}

void DrawMacLabel(int16_t x, int16_t baseline, const Str255& macRoman, double size, bool bold) {
  rt::DrawText(x, baseline, macRoman.str(), Font(size, bold), kBlackText);
}

void DrawMacLabelRight(int16_t xRight, int16_t baseline, const Str255& macRoman, double size, bool bold) {
  const rt::FontSpec font = Font(size, bold);
  rt::DrawText(xRight - rt::TextWidth(macRoman.str(), font), baseline, macRoman.str(), font, kBlackText);
}

void DrawSubscriptLabel(int16_t x, int16_t baseline, const Str255& before, const Str255& sub,
                        const Str255& after, double size) {
  rt::SetTextFont(Font(size, false));
  rt::SetTextColor(kBlackText);
  DoSubscript(x, baseline, before, sub, after, 4);
}

void DrawSubscriptLabelRight(int16_t xRight, int16_t baseline, const Str255& before, const Str255& sub,
                             const Str255& after, double size) {
  const int width = rt::TextWidth((before + sub + after).str(), Font(size, false));
  DrawSubscriptLabel(static_cast<int16_t>(xRight - width), baseline, before, sub, after, size);
}

void PushButton(int16_t number, const Str255& title, Rect where, bool isDefault) {
  rt::NewControl(number, isDefault ? rt::ControlType::DefaultButton : rt::ControlType::PushButton, title,
                 where, 1);
}

void RadioButton(int16_t number, const Str255& title, Rect where, bool selected) {
  rt::NewControl(number, rt::ControlType::RadioButton, title, where, selected ? 2 : 1);
}

void SelectRadio(int16_t selected, std::initializer_list<int16_t> group) {
  for (int16_t b : group) rt::SetControlState(b, b == selected ? 2 : 1);
}

}  // namespace mv::calc
