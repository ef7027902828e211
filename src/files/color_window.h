// The "Select Chart and Scope Colors" window: each of the eight stored colours
// is picked with the system colour picker while a preview shows a sample chart
// and a sample scope in the current colours. Choices change the colours in
// memory; the preferences window saves them.
#pragma once
#include <cstdint>
#include <optional>

#include "runtime/str255.h"
#include "runtime/types.h"

namespace mv {

constexpr int16_t kColorWindow = 19;
constexpr int16_t kDefaultColorsButton = 7, kStoredPrefsButton = 8, kColorsOKButton = 10;
constexpr int16_t kContinuousScopeRadio = 20, kHighSpeedScopeRadio = 21;
// The scope background shown and edited: 0 continuous, 1 high-speed.
constexpr int16_t kContinuousScopeMode = 0, kHighSpeedScopeMode = 1;

// The colour a picker button edits, and its prompt.
struct ColorChoice {
  RGBColor* color = nullptr;
  Str255 prompt;
};
// Buttons 1-6 and 11; nothing for other numbers. Button 6 edits the scope background
// of the mode shown, starting from that colour.
std::optional<ColorChoice> ColorChoiceFor(int16_t button, int16_t mode);

// The window; returns when it closes.
void SETCOLORS();
// Draws the preview into the current window with the scope background of the mode.
void COLORPLOT(int16_t mode);

}  // namespace mv
