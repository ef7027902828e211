#include "control/switch_diagram.h"

#include <algorithm>

#include "control/device_outputs.h"
#include "control/state.h"
#include "control/switch_buttons.h"
#include "devices/state.h"
#include "kit/builders.h"
#include "kit/drawing.h"
#include "kit/state.h"
#include "runtime/windows.h"
#include "setup/state.h"

namespace mv {

namespace {

constexpr int16_t kBlackColour = 7;
constexpr int16_t kColumnLeft = 540, kColumnRight = 640;
constexpr RGBColor kBlack{0, 0, 0};

int16_t RowBase(int16_t row) {
  return static_cast<int16_t>(234 + 20 * (row - 1));
}

void Block(float l, float t, float r, float b) {
  CGdrawBox(0, {}, 1, l, t, r, b, kBlackColour);
}
void SamplingBlock(int16_t y, float l, float r) {
  Block(l, y - 12, r, y);
}
void ReferenceStrip(int16_t y, float l, float r) {
  Block(l, y - 3, r, y);
}
void RowBackground(int16_t y) {
  CGdrawBox(1, extremelyLightGray, 1, 539, y - 13, kColumnRight, y, 0);
}

std::vector<int16_t> RowDevices() {
  std::vector<int16_t> devices(static_cast<std::size_t>(std::max<int16_t>(nChannels, 0)) + 1, 0);
  for (int16_t r = 1; r <= nChannels && r <= 16; ++r)
    devices[r] = static_cast<int16_t>(ChannelVariables[r][ChanField::Device]);
  return devices;
}

void RowText(int16_t x, int16_t y, const Str255& text, RGBColor colour) {
  rt::DrawText(x, y - 2, text.str(), KitFont(KestraneFont, 10), colour);
}

Str255 NotUsedText() {
  return Str255(" ") + bullet + bullet + " not used! " + bullet + bullet + " ";
}

void DrawLabelledRows(int16_t pattern, const std::vector<int16_t>& devices) {
  const bool startEnd = pattern == 3 || pattern == 4;
  const std::vector<int16_t> labels = RowLabels(pattern, devices, External_AD);
  for (int16_t r = 1; r < static_cast<int16_t>(devices.size()); ++r) {
    const int16_t y = RowBase(r);
    if (devices[r] <= 0) {
      SamplingBlock(y, kColumnLeft, kColumnRight);
      continue;
    }
    RowBackground(y);
    if (startEnd) {
      ReferenceStrip(y, kColumnLeft, kColumnRight);
      SamplingBlock(y, 545, 636);
    } else {
      SamplingBlock(y, kColumnLeft, kColumnRight);
    }
    if (labels[r] == 1 && !startEnd) RowText(545, y, " ? manual timing", RGBColor{0xFFFF, 0xFFFF, 0xFFFF});
    if (labels[r] == 2) RowText(startEnd ? 549 : 548, y, NotUsedText(), RGBColor{0xFFFF, 0xFFFF, 0xFFFF});
  }
}

void DrawPeriodicRows(int16_t pattern, const std::vector<int16_t>& devices) {
  for (int16_t r = 1; r < static_cast<int16_t>(devices.size()); ++r) {
    const int16_t y = RowBase(r);
    if (devices[r] <= 0)
      SamplingBlock(y, kColumnLeft, kColumnRight);
    else
      RowBackground(y);
    PlotCG(1, kColumnLeft, y, kColumnRight, y, kBlackColour);
  }
  for (const PeriodicSlot& s : PeriodicSlots(pattern, devices, External_AD)) {
    const int16_t y = RowBase(s.row);
    SamplingBlock(y, s.left, s.right);
    ReferenceStrip(y, s.stripLeft, s.stripRight);
  }
}

}  // namespace

int16_t DiagramGroupOneLimit(int16_t pattern, int16_t externalAD) {
  if (pattern == 5) return 9;
  if (pattern == 2 || pattern == 4 || pattern == 6 || pattern == 8) return GroupOneLastDevice(externalAD);
  return 10;
}

std::vector<int16_t> RowLabels(int16_t pattern, const std::vector<int16_t>& devices, int16_t externalAD) {
  std::vector<int16_t> labels(devices.size(), 0);
  const int16_t limit = DiagramGroupOneLimit(pattern, externalAD);
  int count[2] = {0, 0};
  for (std::size_t r = 1; r < devices.size(); ++r) {
    if (devices[r] <= 0) continue;
    const int g = devices[r] <= limit ? 0 : 1;
    labels[r] = ++count[g] == 1 ? 1 : 2;
  }
  return labels;
}

std::vector<PeriodicSlot> PeriodicSlots(int16_t pattern, const std::vector<int16_t>& devices,
                                        int16_t externalAD) {
  const int16_t limit = DiagramGroupOneLimit(pattern, externalAD);
  int count1 = 0, count2 = 0;
  for (std::size_t r = 1; r < devices.size(); ++r) {
    if (devices[r] <= 0) continue;
    (devices[r] <= limit ? count1 : count2)++;
  }
  const int w = 80 / (std::max(count1, count2) + 1);
  std::vector<PeriodicSlot> slots;
  for (int group = 0; group < 2; ++group) {
    if ((group == 0 ? count1 : count2) == 0) continue;  // a sweep with no channel never moves on
    int x = 543;
    for (int pass = 0; pass < 16 && x < kColumnRight; ++pass) {
      for (std::size_t r = 1; r < devices.size(); ++r) {
        const int d = devices[r];
        if (d <= 0 || (d <= limit) != (group == 0)) continue;
        if (x <= 639) {
          const int right = std::min(x + w - 3, static_cast<int>(kColumnRight));
          const int stripRight = right >= 638 ? kColumnRight : x + w;
          slots.push_back({static_cast<int16_t>(r), static_cast<int16_t>(x), static_cast<int16_t>(right),
                           static_cast<int16_t>(x - 3), static_cast<int16_t>(stripRight)});
        }
        x += w;
      }
    }
  }
  return slots;
}

void SWITCHDIAGRAM() {
  const int16_t p = SwitchingMode;
  if (p < 0 || p > 8 || !rt::WindowExists(kSwitchWindow)) return;
  rt::SetOutputWindow(kSwitchWindow);
  const std::vector<int16_t> devices = RowDevices();
  // The column is drawn afresh: the marks of the pattern shown before go first.
  if (nChannels > 0) ClearArea(538, RowBase(1) - 14, kColumnRight + 2, RowBase(nChannels) + 2);
  if (p == 0) {
    for (int16_t r = 1; r <= nChannels; ++r) SamplingBlock(RowBase(r), kColumnLeft, kColumnRight);
  } else if (p == 5 || p == 6) {
    DrawPeriodicRows(p, devices);
  } else {
    DrawLabelledRows(p, devices);
  }
  rt::FlushWindow();
}

void DrawSwitchingPatternCode() {
  if (SwitchingMode < 0 || SwitchingMode > 8 || !rt::WindowExists(kSwitchWindow)) return;
  rt::SetOutputWindow(kSwitchWindow);
  const rt::FontSpec font = KitFont(KestraneFont, 11);
  PlotCG(2, 370, 197, 385, 197, kBlackColour);
  rt::DrawText(393, 197, "set to zero", font, kBlack);
  Block(460, 194, 475, 197);
  rt::DrawText(483, 197, "reference", font, kBlack);
  Block(550, 186, 565, 197);
  rt::DrawText(573, 197, "sampling", font, kBlack);
}

}  // namespace mv
