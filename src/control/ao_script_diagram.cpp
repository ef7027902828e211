#include "control/ao_script_diagram.h"

#include <algorithm>
#include <cmath>

#include "control/analog_output.h"
#include "control/state.h"
#include "kit/builders.h"
#include "kit/drawing.h"
#include "kit/format.h"
#include "kit/state.h"
#include "runtime/windows.h"

namespace mv {

namespace {

constexpr RGBColor kBlack{0, 0, 0}, kRed{65535, 0, 0}, kBlue{0, 0, 65535};
constexpr int kZeroY = 273, kLeftX = 49, kRightX = 618, kTopY = 191, kBottomY = 345, kLoopY = 193;
constexpr float kWidth = 555.0f;

int16_t P(float v) {
  if (!(v > -32768.0f)) return -32768;
  return v >= 32767.0f ? int16_t{32767} : static_cast<int16_t>(std::trunc(v));
}
// The panel's inside: a step's volts may lie far beyond what the panel shows, and
// its line must not be drawn over the window's buttons.
constexpr double kClipLeft = 40, kClipTop = 190, kClipRight = 619, kClipBottom = 346;

// Cuts the segment to the panel (Liang-Barsky); false when nothing of it is inside.
bool ClipToPanel(double& x1, double& y1, double& x2, double& y2) {
  const double dx = x2 - x1, dy = y2 - y1;
  double t0 = 0.0, t1 = 1.0;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {x1 - kClipLeft, kClipRight - x1, y1 - kClipTop, kClipBottom - y1};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0.0) {
      if (q[i] < 0.0) return false;
      continue;
    }
    const double t = q[i] / p[i];
    if (p[i] < 0.0)
      t0 = std::max(t0, t);
    else
      t1 = std::min(t1, t);
    if (t0 > t1) return false;
  }
  const double sx = x1, sy = y1;
  x1 = sx + t0 * dx, y1 = sy + t0 * dy;
  x2 = sx + t1 * dx, y2 = sy + t1 * dy;
  return true;
}

void Line(Diagram& d, float x1, float y1, float x2, float y2, float width, RGBColor colour) {
  double a = x1, b = y1, c = x2, e = y2;
  if (!std::isfinite(a) || !std::isfinite(b) || !std::isfinite(c) || !std::isfinite(e)) return;
  if (!ClipToPanel(a, b, c, e)) return;
  d.lines.push_back({P(static_cast<float>(a)), P(static_cast<float>(b)), P(static_cast<float>(c)),
                     P(static_cast<float>(e)), width, colour});
}

// A ramp sends its straight line held within the output's range: where the line runs
// beyond an end, the output stays at that end. Drawn as the pieces between the points
// where the line crosses an end.
template <class Level>
void RampLine(Diagram& d, float x0, float v0, float x1, float v1, Level level) {
  const AOVoltRange range = AOOutputRange();
  std::vector<float> at{0.0f, 1.0f};
  for (const float end : {range.low, range.high})
    if ((v0 - end) * (v1 - end) < 0.0f) at.push_back((end - v0) / (v1 - v0));
  std::sort(at.begin(), at.end());
  for (std::size_t i = 0; i + 1 < at.size(); ++i) {
    const float a = at[i], b = at[i + 1];
    Line(d, x0 + (x1 - x0) * a, level(v0 + (v1 - v0) * a), x0 + (x1 - x0) * b, level(v0 + (v1 - v0) * b), 2,
         kBlack);
  }
}

}  // namespace

Diagram LayOutAOdiagram(int16_t steps, float total, int16_t n) {
  Diagram d;
  if (steps < 1 || !(total > 0.0f)) return d;
  if (steps > kAOscriptRows - 1) steps = kAOscriptRows - 1;
  const int c = n == 2 ? 4 : 1;
  // The range's top lies 68 pixels above the zero line, where the window labels it.
  const float perVolt = 68.0f / AOOutputRange().high;
  // Every level is drawn at the volts the output is sent, not at a stored value it
  // cannot give.
  auto at = [&](float volts) { return static_cast<float>(kZeroY) - perVolt * LimitVolts(volts); };
  auto level = [&](int r) { return at(AOscript[r][c]); };
  const float scale = kWidth / total;
  // Where each step begins, for the loop's arrow.
  std::vector<float> begins(static_cast<std::size_t>(steps) + 1, static_cast<float>(kLeftX));
  float x0 = static_cast<float>(kLeftX), y0 = static_cast<float>(kZeroY), v0 = 0.0f;
  for (int r = 1; r <= steps; ++r) {
    begins[static_cast<std::size_t>(r)] = x0;
    const float minutes = AOscript[r][c + 1];
    const float y = level(r);
    const float x1 = x0 + std::fabs(minutes) * scale;
    Line(d, x1, kTopY, x1, kBottomY, 1, (r + 1) % 10 == 0 ? veryDarkGray : DarkGray);
    d.labels.push_back({P(x1), 343, NumText(r + 1)});
    if (minutes > 0.0f) {
      Line(d, x0, y, x1, y, 2, kBlack);
      Line(d, x0, y0, x0, y, 2, kBlack);
    } else {
      RampLine(d, x0, v0, x1, AOscript[r][c], at);
    }
    const float next = std::trunc(AOscript[r][c + 2]);
    // A loop to a step that is no step (below 1) is not drawn.
    if (next < static_cast<float>(r) && next >= 1.0f) {
      const int t = static_cast<int>(next);
      const float xt = begins[static_cast<std::size_t>(t)];
      const float yt = AOscript[t][c + 1] < 0.0f && t > 1 ? level(t - 1) : level(t);
      Line(d, x1, y, x1, kLoopY, 2, kRed);
      Line(d, x1, kLoopY, xt, kLoopY, 2, kRed);
      Line(d, xt, kLoopY, xt, yt, 2, kRed);
      Line(d, xt - 3, yt - 6, xt, yt, 2, kRed);
      Line(d, xt + 3, yt - 6, xt, yt, 2, kRed);
      d.looped = true;
    }
    x0 = x1;
    y0 = y;
    v0 = AOscript[r][c];
  }
  if (!d.looped) {
    Line(d, x0, y0, kRightX, y0, 2, kBlue);
    Line(d, 612, y0 - 3, kRightX, y0, 2, kBlue);
    Line(d, 612, y0 + 3, kRightX, y0, 2, kBlue);
  }
  return d;
}

void PaintDiagram(const Diagram& d) {
  const rt::FontSpec font = KitFont(3, 8);
  for (const DiagramLabel& l : d.labels) rt::DrawText(l.x, l.y, l.text.str(), font, kBlack);
  for (const DiagramLine& l : d.lines) PlotCGrgb(l.width, l.x1, l.y1, l.x2, l.y2, l.colour);
}

void DrawAOdiagram(int16_t steps, float total, int16_t n) {
  CGdrawBox(1, lightBlue, 1, 40, 190, 620, 346, 0);
  PlotCGrgb(1, 40, kZeroY, 619, kZeroY, DarkGray);
  BUILDBOX(40, 190, 619, 346);
  PaintDiagram(LayOutAOdiagram(steps, total, n));
  rt::FlushWindow();
}

}  // namespace mv
