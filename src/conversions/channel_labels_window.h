// The channel labels window (window 33, " Channel Labels "): every channel's label
// in two columns, channels 1 to 8 on the left and 9 to 16 on the right, until a
// click, the close box or Return.
#pragma once
#include <cstdint>

#include "runtime/str255.h"

namespace mv {

constexpr int16_t kChannelLabelsWindow = 33;
constexpr int16_t kChannelLabelsClose = 1;

void ChannelLabelsWindow();

// The line of a channel: its number, ":  " and its 30-character label.
Str255 ChannelLabelLine(int16_t channel);

}  // namespace mv
