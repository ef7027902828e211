#include "kit/subscript.h"

#include "runtime/windows.h"

namespace mv {

void DoSubscript(int16_t x, int16_t y, const Str255& before, const Str255& subscript, const Str255& after,
                 int16_t drop) {
  rt::FontSpec font = rt::TextFont();
  RGBColor color = rt::TextColor();
  int w1 = rt::TextWidth(before.str(), font);
  int w2 = rt::TextWidth(subscript.str(), font);
  rt::DrawText(x, y, before.str(), font, color);
  rt::DrawText(x + w1, y + drop, subscript.str(), font, color);
  rt::DrawText(x + w1 + w2, y, after.str(), font, color);
}

}  // namespace mv
