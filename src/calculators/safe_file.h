// Writes a whole file safely: the bytes go to a temporary file beside the
// destination, which is flushed to disk and then renamed over it, so a failed write
// never destroys what was there.
#pragma once
#include <string>
#include <string_view>

namespace mv::calc {

// True on success; otherwise false with a short reason, the destination untouched.
bool WriteFileReplacing(const std::string& path, std::string_view bytes, std::string* reason = nullptr);

}  // namespace mv::calc
