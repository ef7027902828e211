// Small building blocks shared by the experiment-condition calculators (altitude,
// STP flow, oxygen, Q10, washout): styled fields, labels and buttons.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/str255.h"
#include "runtime/types.h"
#include "runtime/windows.h"

namespace mv::calc {

constexpr RGBColor kBlackText{0, 0, 0};
constexpr RGBColor kRedText{65535, 0, 0};
constexpr RGBColor kBlueText{0, 0, 55535};

// An edit field (types below 5 editable, 7 display-only) in the display font at a
// size, with its own text and background colours. Editable fields start with
// their whole text selected, as BUILDEF leaves them.
void StyledField(int16_t number, const Str255& text, Rect where, int16_t type, int16_t justification,
                 RGBColor textColor, RGBColor background, double size, bool bold);
// A display-only label field on the window's own background.
void LabelField(int16_t number, const Str255& text, Rect where, int16_t justification, double size,
                bool bold = false);

// Text drawn in the display font: from x, or ending at x (right-aligned). UTF-8,
// so subscripts and signs outside the Mac Roman set can be drawn.
void DrawLabel(int16_t x, int16_t baseline, std::string_view utf8, double size, bool bold = false);
void DrawLabelRight(int16_t xRight, int16_t baseline, std::string_view utf8, double size, bool bold = false);
// Mac Roman text (degC, delta and the program's other one-character strings).
void DrawMacLabel(int16_t x, int16_t baseline, const Str255& macRoman, double size, bool bold = false);
void DrawMacLabelRight(int16_t xRight, int16_t baseline, const Str255& macRoman, double size,
                       bool bold = false);
// A label with a subscript in the middle (O2, H2O) in the display font, from x or
// ending at xRight; the subscript sits 4 pixels below the baseline.
void DrawSubscriptLabel(int16_t x, int16_t baseline, const Str255& before, const Str255& sub,
                        const Str255& after, double size);
void DrawSubscriptLabelRight(int16_t xRight, int16_t baseline, const Str255& before, const Str255& sub,
                             const Str255& after, double size);

void PushButton(int16_t number, const Str255& title, Rect where, bool isDefault = false);
void RadioButton(int16_t number, const Str255& title, Rect where, bool selected);
// Selects one radio of a group and clears the others.
void SelectRadio(int16_t selected, std::initializer_list<int16_t> group);

}  // namespace mv::calc
