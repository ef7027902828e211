// Program-wide values owned by this subsystem.
#pragma once
#include <array>
#include <cstdint>

#include "runtime/str255.h"

namespace mv {

// ---- channel table -------------------------------------------------------------------
// Row 0 holds each channel's conversion type code at the channel's number; rows 1 to
// 16 are the channels' records (input, a, b, c, plot maximum and minimum, readings
// averaged, strip geometry, switched device).
constexpr int kChannelFields = 18;
constexpr int kChannelRows = 17;
using ChannelVariablesRecord = std::array<float, kChannelFields>;
extern std::array<ChannelVariablesRecord, kChannelRows> ChannelVariables;

extern int16_t nChannels;
// Channel labels, 30-character blank-padded fields: channels 1-8 and 9-16.
extern Str255 datalabel;
extern Str255 datalabel2;

void ResetSetupState();

}  // namespace mv
