#include "conversions/text_fields.h"

#include <string>

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

}  // namespace mv
