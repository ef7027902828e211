// Plain value types shared by the runtime and the program.
#pragma once
#include <cstdint>

namespace mv {

// A window rectangle in pixels, as left, top, right, bottom.
struct Rect {
  int16_t left = 0, top = 0, right = 0, bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
};

// A rectangle from the int coordinates window layouts compute with.
constexpr Rect RectOf(int left, int top, int right, int bottom) {
  return Rect{static_cast<int16_t>(left), static_cast<int16_t>(top), static_cast<int16_t>(right),
              static_cast<int16_t>(bottom)};
}

struct Point {
  int16_t h = 0, v = 0;  // x, y
};

// Three unsigned 16-bit components; drawing divides each by 65535.
struct RGBColor {
  uint16_t red = 0, green = 0, blue = 0;
  bool operator==(const RGBColor&) const = default;
};

}  // namespace mv
