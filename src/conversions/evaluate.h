// The one rule by which a channel's averaged reading in volts becomes its value in
// units: the nine conversion types, the breakpoint and three-way records.
#pragma once
#include <cstdint>

#include "conversions/state.h"
#include "devices/state.h"

namespace mv {

namespace ConversionTypeCode {
constexpr int16_t Linear = 1, Polynomial = 2, Power = 3, None = 4, Breakpoint = 5, ThreeWay = 6, Keyboard = 7,
                  Logarithmic = 8, Reciprocal = 9;
}

// Kinds of the three equations of a breakpoint record, numbered as the main types.
namespace BreakpointKindCode {
constexpr int16_t Linear = 1, Polynomial = 2, Power = 3, Reciprocal = 9;
}

// A whole number kept in a float table, truncated toward zero. Values that are no
// number or lie outside 16 bits give 0, which no table reads as a valid code.
int16_t WholeCode(float stored);

struct ConvResult {
  float value;  // the converted value
  float volts;  // the reading as the caller keeps it (a three-way channel scales it)
};

// Equation E of a breakpoint record: kind, coefficients, input x, guard value g and
// the averaged volts V (the reciprocal always divides by V). A failed guard (a power
// whose guard value is 0 or less, a reciprocal of 0 V) has no result and gives no
// number; so may an overflow. The record's evaluation marks either. An unknown kind
// gives exactly 0.
float BreakpointEquation(int16_t kind, float a, float b, float c, float x, float g, float V);

// The breakpoint conversion of reading V by record r; kBadReading when any equation
// it uses, or the whole value, is no finite number.
float EvaluateBreakpoint(const BreakpointRecord& r, float V);

// The three-way polynomial of reading V by record p: the scaled volts and the value
// (kBadReading when it is no finite number).
ConvResult EvaluateThreeWay(const ThreeWayPolyRecord& p, float V);

// The conversion of reading V by type code and coefficients; a, b, c are the
// working coefficients, the records those of the channel, asciiValue the keyboard
// value. A conversion with no result (log10 of V <= 0, a reciprocal of V = 0, a
// fractional power of V < 0, a breakpoint equation that fails its guard) and a result
// that is no finite number (an overflow) are kBadReading, a number nobody measured; a
// reading of exactly kBadReading stays kBadReading (except on a keyboard channel,
// which ignores V).
ConvResult ConvertReading(int16_t type, float a, float b, float c, const BreakpointRecord& bp,
                          const ThreeWayPolyRecord& poly, int16_t asciiValue, float V);

// Loads ConversionType from row 0 of the channel table and aval, bval, exponent
// from the channel's fields 2, 3, 4. A channel outside 1 to 16 loads type 4 and
// leaves the coefficients alone.
void LoadWorkingCoefficients(int16_t channel);

// Converts channel's averaged reading V by its type code (row 0), the working
// coefficients already loaded, and the channel's breakpoint or three-way record;
// leaves the value in v and returns it. A three-way channel also rewrites the
// reading: volts receives the scaled volts. A channel outside 1 to 16 returns V.
// asciiValue is the keyboard value a keyboard channel records. The bad-reading mark
// (kBadReading) survives conversion so stores, displays and files still show it.
float EvaluateConversion(int16_t channel, float V, int16_t asciiValue);

// The conversions as they stand now, taken (taken = true) for the run about to start.
ConversionsRun CurrentConversions();

// Whether a run's data are in hand, converted as it started: a conversion changed now
// applies to the next run, and the windows that change one say so.
bool RunConversionsInHand();

// Takes again into the run's record what changes while the run records, as the run
// ended: each channel's plot range and strip as its screen last showed them and its
// alarm record with the run's counts, and the run's requested intervals and sweep
// length. Called when the run stops.
void KeepRunAsItEnded(ConversionsRun& run);

// The run a window or save after it shows or measures: once a run has stopped, as it
// was recorded, whatever the set-up became since; during a recording (or before any
// run), the set-up as it stands.
ConversionsRun RunAsRecorded();

// Keyboard and three-way channels, by type code, or by the a = -9999 / 9999 marks
// that older set-up files carry.
bool IsKeyboardChannel(int16_t channel);
bool IsThreeWayChannel(int16_t channel);

}  // namespace mv
