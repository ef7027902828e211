// The line a set-up window shows when it refuses what was typed or asked for: one line
// of dark red text that says why, standing until the window clears it.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "runtime/types.h"

namespace mv {

// Shows (or replaces) the line in static field `field` of the output window.
void ShowRefusalLine(int16_t field, Rect where, const std::string& text);
// Takes the line away; nothing happens when none is shown.
void ClearRefusalLine(int16_t field);
// A value a window cannot take: with `why`, the buzz, the line at `where` and edit field
// `refused` selected for retyping; without, the line taken away. True when refused.
bool RefuseField(int16_t field, Rect where, int16_t refused, const std::optional<std::string>& why);

}  // namespace mv
