// Fixed-width text fields of the conversion texts (button titles and labels,
// channel labels).
#pragma once
#include <cstddef>
#include <string_view>

#include "runtime/str255.h"

namespace mv {

// Mac Roman bytes of the Greek capital delta and of "degrees C".
inline constexpr std::string_view kDeltaChar = "\xC6";
inline constexpr std::string_view kDegCText =
    "\xA1"
    "C";

// The text padded with blanks or cut to exactly width bytes.
Str255 PadOrCut(std::string_view text, std::size_t width);

// Field k (1-based) of a string of width-byte fields; bytes beyond the end of the
// string read as nothing.
Str255 TextField(const Str255& fields, int k, std::size_t width);

// Overwrites field k with the text padded or cut to width; a shorter string is first
// padded with blanks up to the field.
void SetTextField(Str255& fields, int k, std::size_t width, std::string_view text);

}  // namespace mv
