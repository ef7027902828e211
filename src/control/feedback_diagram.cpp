#include "control/feedback_diagram.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "control/state.h"
#include "kit/builders.h"
#include "kit/drawing.h"
#include "kit/format.h"
#include "kit/state.h"
#include "runtime/windows.h"
#include "setup/state.h"

namespace mv {

namespace {

constexpr RGBColor kBlack{0, 0, 0}, kRed{65535, 0, 0}, kBlue{0, 0, 65535};

int16_t P(float v) {
  if (!(v > -32768.0f)) return -32768;
  return v >= 32767.0f ? int16_t{32767} : static_cast<int16_t>(std::trunc(v));
}

struct Layout {
  FeedbackTiming out;
  int e = 10;
  void Line(float x1, float y1, float x2, float y2, float width, RGBColor colour) {
    out.diagram.lines.push_back({P(x1), P(y1), P(x2), P(y2), width, colour});
  }
};

}  // namespace

int16_t FeedbackPanelShift() {
  return MaximumChans > 12 ? 78 : 10;
}

FeedbackTiming LayOutFeedbackTiming(int16_t steps) {
  Layout L;
  const int e = FeedbackPanelShift();
  steps = static_cast<int16_t>(std::min<int>(steps, kFeedbackRows - 1));
  float total = 0.0f;
  for (int r = 1; r <= steps; ++r) total += std::fabs(FeedbackArray[r][5]);
  if (steps < 1 || !(total > 0.0f)) return L.out;
  L.out.drawn = true;
  float largest = FeedbackArray[1][1], smallest = FeedbackArray[1][1];
  for (int r = 2; r <= steps; ++r) {
    largest = std::max(largest, FeedbackArray[r][1]);
    smallest = std::min(smallest, FeedbackArray[r][1]);
  }
  L.out.largest = largest;
  L.out.smallest = smallest;
  const float k = largest == smallest ? 95.0f : 95.0f / (largest - smallest);
  auto level = [&](float s) { return (largest - s) * k + static_cast<float>(285 + e); };
  float y0 = static_cast<float>(384 + e);
  if (smallest < 0.0f && largest > 0.0f) {
    y0 = level(0.0f);
    L.Line(60, y0, 420, y0, 1, DarkGray);
  }
  const float scale = 349.0f / total;
  std::vector<float> begins(static_cast<std::size_t>(steps) + 1, 60.0f);
  float x0 = 60.0f;
  bool looped = false;
  for (int r = 1; r <= steps; ++r) {
    begins[static_cast<std::size_t>(r)] = x0;
    const float duration = FeedbackArray[r][5];
    const float y = level(FeedbackArray[r][1]);
    const float x1 = x0 + std::fabs(duration) * scale;
    L.Line(x1, static_cast<float>(260 + e), x1, static_cast<float>(390 + e), 1,
           (r + 1) % 10 == 0 ? veryDarkGray : DarkGray);
    L.out.diagram.labels.push_back({P(x1), static_cast<int16_t>(390 + e), NumText(r + 1)});
    L.Line(x0, y0, x1, y, 2, kBlack);
    if (duration > 0.0f) L.Line(x0, y0, x0, y, 1, kBlack);
    // A step that comes back to itself loops too: the schedule never ends there, so
    // neither "no loop" nor the end state may be what the window shows.
    const float next = std::trunc(FeedbackArray[r][6]);
    if (next <= static_cast<float>(r) && next >= 1.0f) {
      const int t = static_cast<int>(next);
      const float xt = t == 1 ? 63.0f : begins[static_cast<std::size_t>(t)];
      const float yt =
          t > 1 && FeedbackArray[t][5] < 0.0f ? level(FeedbackArray[t - 1][1]) : level(FeedbackArray[t][1]);
      const float top = static_cast<float>(270 + e);
      L.Line(x1, y, x1, top, 2, kRed);
      L.Line(x1, top, xt, top, 2, kRed);
      L.Line(xt, top, xt, yt, 2, kRed);
      L.Line(xt - 3, yt - 6, xt, yt, 2, kRed);
      L.Line(xt + 3, yt - 6, xt, yt, 2, kRed);
      float loop = 0.0f;
      for (int s = t; s <= steps; ++s) loop += std::fabs(FeedbackArray[s][5]);
      L.out.loopText = NumText(loop).str() + " min";
      looped = true;
    }
    x0 = x1;
    y0 = y;
  }
  L.out.diagram.looped = looped;
  if (!looped) {
    L.Line(x0, y0, 418, y0, 2, kBlue);
    L.Line(413, y0 - 3, 418, y0, 2, kBlue);
    L.Line(413, y0 + 3, 418, y0, 2, kBlue);
    L.out.loopText = "no loop";
  }
  return L.out;
}

void DrawFeedbackTiming(int16_t steps) {
  const int16_t e = FeedbackPanelShift();
  CGdrawBox(1, lightBlue, 1, 60, static_cast<float>(259 + e), 420, static_cast<float>(391 + e), 0);
  BUILDBOX(60, static_cast<int16_t>(259 + e), 419, static_cast<int16_t>(391 + e));
  const FeedbackTiming t = LayOutFeedbackTiming(steps);
  if (t.drawn) {
    const RGBColor black{0, 0, 0};
    BUILDEF(kFeedbackLargestField, NumText(t.largest), 1, static_cast<int16_t>(276 + e), 57,
            static_cast<int16_t>(288 + e), 7, 3);
    BUILDEF(kFeedbackSmallestField, NumText(t.smallest), 1, static_cast<int16_t>(373 + e), 57,
            static_cast<int16_t>(385 + e), 7, 3);
    for (int16_t f : {kFeedbackLargestField, kFeedbackSmallestField}) {
      rt::SetEditColors(f, black, LightGray);
      rt::SetEditFont(f, KitFont(0, 12));
    }
    PaintDiagram(t.diagram);
    if (rt::EditFieldExists(kFeedbackLoopField)) rt::SetEditText(kFeedbackLoopField, t.loopText.str());
  }
  rt::FlushWindow();
}

}  // namespace mv
