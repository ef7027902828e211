// The breakpoint conversion window (window 4): the editor of one channel's
// breakpoint record, with six stored conversions to fetch from and store into.
// Leaving it normally makes the channel's conversion type 5.
#pragma once
#include <cstdint>

#include "conversions/state.h"
#include "runtime/str255.h"

namespace mv {

constexpr int16_t kBreakpointWindow = 4;

namespace BreakpointControl {
constexpr int16_t Linear = 1, Reciprocal = 2, Polynomial = 3, Power = 4;
constexpr int16_t SetInitial = 5, SetBelow = 6, SetAbove = 7;
constexpr int16_t UseInitial = 8, UseBelow = 9, UseAbove = 10;
constexpr int16_t BelowAdd = 11, BelowMultiply = 12, AboveAdd = 13, AboveMultiply = 14;
constexpr int16_t BelowVolts = 15, BelowInitial = 16, AboveVolts = 17, AboveInitial = 18;
constexpr int16_t FirstGet = 21, FirstStoreAs = 31, StoredCount = 6;
constexpr int16_t StoreValues = 44, Done = 45, Help = 46;
constexpr int16_t BreakpointField = 105;
// Display fields of the three rows: kind name, a, b, c from 111, 121 and 131.
constexpr int16_t FirstRowField = 111;
}  // namespace BreakpointControl

// The window for channel 1 to 16; other channels return at once.
void BREAKPOINT(int16_t channel);
// Refreshes the three equation rows of the open window from the channel's record.
void SHOWBREAKPOINT(int16_t channel);

// ---- rules -----------------------------------------------------------------------------------
// The three equations of a record: 0 initial, 1 below the breakpoint, 2 at or above.
// Each has its on field, kind field and a, b, c from on + 1 on.
constexpr int BreakpointOnField(int row) {
  return 1 + 5 * row;
}
// Kind names shown in the rows; "" for a kind the window does not offer.
Str255 BreakpointKindName(int16_t kind);
// The kind each kind button gives: 1 linear, 2 reciprocal, 3 polynomial, 4 power.
int16_t KindOfButton(int16_t button);
// The texts of a row: kind name, a, b, c (a kind-1 row shows a single blank for c).
struct BreakpointRowTexts {
  Str255 kind, a, b, c;
};
BreakpointRowTexts BreakpointRowTextsOf(const BreakpointRecord& r, int row);
// The selected button of each radio pair from the record's operator and input fields.
struct BreakpointRadios {
  int16_t belowOperator, aboveOperator, belowInput, aboveInput;
};
BreakpointRadios RadioSelection(const BreakpointRecord& r);
// A radio click's effect on the record (11 to 18); false for other controls.
bool ApplyRadioClick(BreakpointRecord& r, int16_t control);
// "Set": the row's kind and a, b, c.
void SetBreakpointEquation(BreakpointRecord& r, int row, int16_t kind, float a, float b, float c);
// The stored conversion k (1 to 6) lives in row 16 + k.
constexpr int StoredBreakpointRow(int k) {
  return 16 + k;
}

}  // namespace mv
