// The equation panel of the conversions window (and of the breakpoint window):
// the equation of a channel's conversion type with its coefficient fields, the
// three-way polynomial panel, and the small three-way editor of the set-up window.
//
// Each panel is first described by a pure function (texts, fields, rectangles),
// then drawn into the current output window.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "conversions/state.h"
#include "runtime/str255.h"
#include "runtime/types.h"

namespace mv {

// Edit fields of the panels, shared with the code that reads them back.
namespace EquationField {
constexpr int16_t A = 101, B = 102, C = 103, P3 = 104, K = 106, M = 107;
}

// The small three-way editor.
constexpr int16_t kThreeWayWindow = 6;

// A text of a panel: `text` on its baseline at (x, y), then `shifted` moved down by
// `shift` pixels (negative: raised), then `tail` back on the baseline.
struct PanelText {
  int16_t x = 0, y = 0;
  Str255 text, shifted, tail;
  int16_t shift = 0;
  double size = 13;
  int16_t colour = 7;    // line palette: 6 red, 7 black
  int16_t maxRight = 0;  // when set, the size shrinks until the whole text ends before it
};

struct PanelField {
  int16_t number = 0;
  Rect where;
  Str255 text;
};

struct PanelLayout {
  Rect box;
  bool greyBox = false;  // a light grey panel behind the fields instead of a frame
  std::vector<PanelText> texts;
  std::vector<PanelField> fields;
  int16_t fieldFont = 3;  // 3 the system font; KestraneFont the display font
  double fieldSize = 20;
  bool selectAll = true;  // each field's whole text selected as it is made
};

// A coefficient as its field shows it: the shortest text that reads back as the
// same single-precision value, so a field confirmed without typing returns exactly
// the stored coefficient.
Str255 CoefficientText(float value);
// A field's number: text that is no number (or lies beyond single precision) gives 0.
float CoefficientFromText(std::string_view text);

// The first coefficient field of the output window's panel that holds a value the channel
// cannot hold, with the line that says why (`b: "1e39" is too large for a channel (at most
// 3.4e38).`); nothing when every field can be stored. The three-way fields are p0 to p3, K
// and m; the plain ones a, b and c (the exponent for a power, type 3).
struct CoefficientFieldRefusal {
  int16_t field = 0;
  std::string text;
};
std::optional<CoefficientFieldRefusal> CoefficientFieldsRefusal(bool threeWay, int16_t type);

// The plain-type panel of a type code: linear heading and fields a, b for every
// type without its own (1, 4, 5, 6, 7, ...); type 2 adds c, type 3 the exponent.
PanelLayout PlainEquationPanel(int16_t type, float a, float b, float c);
// The three-way panel of the conversions window from a channel's record.
PanelLayout ThreeWayPanel(const ThreeWayPolyRecord& record);
// The small three-way editor's texts and fields.
PanelLayout ThreeWayEditorLayout(const ThreeWayPolyRecord& record);

// Closes the panel's fields and clears its area of the current window.
void ClearEquationPanel();
// Builds the plain-type panel for the channel's type code (row 0). Mode 0 only
// clears the panel.
void EQUATIONFIELDS(float a, float b, float c, int16_t mode, int16_t channel);
// Builds the three-way panel from the channel's polyarray row and marks button 14.
void ThreeWayPoly(int16_t channel);
// The panel for a button of the conversions window: button 14 the three-way panel;
// otherwise (never for the scope channel) marks the button and builds the plain
// panel; mode 0 clears only, 1 opening, 3 a type button was clicked. previous is
// the button whose panel was showing.
void EQUATION(int16_t button, int16_t mode, float a, float b, float c, int16_t previous, int16_t channel);

// The small three-way editor of a channel: every way out stores the six fields
// into the channel's polyarray row (field 4 untouched).
void ShowPoly(int16_t channel);

}  // namespace mv
