// The "Sequential File Identifiers" window (window 7): a label of up to 20 characters
// for each device position the sequential-files pattern uses; each recording of the
// sequence carries its device's label at the head of its file comment.
#pragma once
#include <cstdint>
#include <string_view>
#include <vector>

#include "runtime/str255.h"

namespace mv {

constexpr int16_t kSequenceLabelsWindow = 7;

// The device positions 1-8 in use (field 13 of rows 1-8 above 0), ascending.
std::vector<int16_t> SequencePositionsInUse();
// The labels with slot k (1-8) replaced by text padded with blanks and cut to 20
// characters; the other slots keep their text.
Str255 WithDeviceLabel(const Str255& labels, int16_t k, std::string_view text);
// The switched channel's line: "#", the number, ": " and the 30-character label.
Str255 SwitchedChannelLine(int16_t channel);

void GetSequenceLabels();

}  // namespace mv
