// The pictures of the output scripts and of the feedback schedule: level against
// time, one segment per step, grid lines where steps end, the loop back to an earlier
// step or an arrow to the right edge. Each picture is first laid out as lines and
// labels (which tests read), then painted into the current window.
#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "runtime/str255.h"
#include "runtime/types.h"

namespace mv {

struct DiagramLine {
  int16_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  float width = 1;
  RGBColor colour{};
};
struct DiagramLabel {
  int16_t x = 0, y = 0;
  Str255 text;
};
struct Diagram {
  std::vector<DiagramLine> lines;    // in drawing order, after the panel
  std::vector<DiagramLabel> labels;  // step numbers, font 3 at 8 pt
  bool looped = false;
};

// The script of output n (1 or 2) with `steps` steps and `total` absolute minutes.
// Nothing but the panel when there are no steps or no time to spread them over.
Diagram LayOutAOdiagram(int16_t steps, float total, int16_t n);
// Paints the panel (40, 190, 620, 346) with its zero line and the laid-out script.
void DrawAOdiagram(int16_t steps, float total, int16_t n);

// Shared by both pictures: the labels in font 3 at 8 pt, then the lines.
void PaintDiagram(const Diagram& d);

}  // namespace mv
