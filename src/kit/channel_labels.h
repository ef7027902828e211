// The one rule for a channel's label: 30 characters at the channel's slot of
// datalabel (channels 1-8) or datalabel2 (9-16), blank-padded. Every window, file
// and display that reads or writes a label goes through here.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "runtime/str255.h"

namespace mv {

constexpr std::size_t kLabelWidth = 30;
// A label string is stored back with at most this many characters.
constexpr std::size_t kLabelStringLimit = 242;

// The label of channel 1-16 as stored: the 30 characters at its slot, fewer (or none)
// when the string ends inside the slot; nothing for any other channel number.
Str255 ChannelLabel(int16_t channel);
// The same, padded with blanks to the full 30 characters.
Str255 ChannelLabelField(int16_t channel);
// Writes a label into the channel's slot (cut at 30, padded with blanks), filling a
// short string with blanks up to the slot; the other slots keep their text. Any
// other channel number changes nothing.
void SetChannelLabel(int16_t channel, std::string_view text);
// A label string as stored: at most 242 characters.
Str255 LimitLabelString(const Str255& s);

}  // namespace mv
