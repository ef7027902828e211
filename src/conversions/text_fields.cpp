#include "conversions/text_fields.h"

#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

#include "shell/kit/format.h"

namespace mv {

Str255 PadOrCut(std::string_view text, std::size_t width) {
  std::string s(text.substr(0, width));
  s.resize(width, ' ');
  return Str255(s);
}

Str255 TextField(const Str255& fields, int k, std::size_t width) {
  if (k < 1) return {};
  return fields.mid(static_cast<std::size_t>(k - 1) * width + 1, width);
}

void SetTextField(Str255& fields, int k, std::size_t width, std::string_view text) {
  if (k < 1) return;
  const std::size_t start = static_cast<std::size_t>(k - 1) * width;
  if (start + width > Str255::kMax) return;
  std::string s = fields.str();
  if (s.size() < start + width) s.resize(start + width, ' ');
  s.replace(start, width, PadOrCut(text, width).str());
  fields = Str255(s);
}

Str255 PrintedFloat(float value) {
  if (!std::isfinite(value)) return PrintedNumber(value);
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, value);
  double shortest = value;
  if (res.ec == std::errc()) std::from_chars(buf, res.ptr, shortest);
  return PrintedNumber(shortest);
}

}  // namespace mv
