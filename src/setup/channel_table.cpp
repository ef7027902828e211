#include "setup/channel_table.h"

#include <algorithm>
#include <cmath>

#include "devices/state.h"
#include "files/state.h"
#include "kit/format.h"
#include "kit/state.h"
#include "setup/needs.h"
#include "setup/state.h"

namespace mv {

namespace {

constexpr int16_t kDefaultWindowHeight = 768;
// Pixels of the window height the strips leave to the toolbar and margins.
constexpr int16_t kStripMargin = 60;
// The first strip's bottom edge in the equal layout is k * h + 46.
constexpr double kEqualTop = 46.0;

int16_t LaidOutCount() {
  return static_cast<int16_t>(std::clamp<int>(nChannels, 0, 16));
}

void EqualStrips(int16_t oldHeight) {
  int16_t& height = PrefsArray[PrefsSlot::WindowHeight];
  // An unset (or impossibly small) window height takes the default.
  if (oldHeight == 0 || height - kStripMargin <= 0) height = kDefaultWindowHeight;
  const int usable = height - kStripMargin;
  const int16_t n = LaidOutCount();
  if (n <= 0) return;
  const float h = static_cast<float>(static_cast<double>(usable) / n);
  for (int k = 1; k <= n; ++k) {
    auto& r = ChannelVariables[k];
    r[ChanField::StripHeight] = h;
    r[ChanField::StripBottom] = static_cast<float>(k * static_cast<double>(h) + kEqualTop);
    r[ChanField::StripTop] = r[ChanField::StripBottom] - h;
    r[ChanField::BottomLess2] = r[ChanField::StripBottom] - 2.0f;
    r[ChanField::BottomCopy] = r[ChanField::StripBottom];
  }
}

float FirstStripTop() {
  return RecordingMODE == RecordingModeCode::Chart ? 47.0f : 35.0f;
}

// Stretches every strip by factor, stacking them from the first strip's top with a
// one-pixel gap; channel 1's top field is left alone.
void StackStrips(float factor) {
  const int16_t n = LaidOutCount();
  for (int k = 1; k <= n; ++k) {
    auto& r = ChannelVariables[k];
    const float top =
        k == 1 ? FirstStripTop() : std::trunc(ChannelVariables[k - 1][ChanField::StripBottom] + 1.0f);
    r[ChanField::StripHeight] = r[ChanField::StripHeight] * factor;
    r[ChanField::StripBottom] = r[ChanField::StripHeight] + top;
    if (k < n) ChannelVariables[k + 1][ChanField::StripTop] = r[ChanField::StripBottom] + 1.0f;
    r[ChanField::BottomLess2] = r[ChanField::StripBottom] - 2.0f;
    r[ChanField::BottomCopy] = r[ChanField::StripBottom];
  }
}

void RescaleStrips(int16_t oldHeight) {
  const int16_t h = PrefsArray[PrefsSlot::WindowHeight];
  StackStrips(static_cast<float>(static_cast<double>(h - kStripMargin) /
                                 static_cast<double>(oldHeight - kStripMargin)));
}

}  // namespace

void WidenFlatPlotLimits(float& min, float& max) {
  if (std::isfinite(min) && std::isfinite(max) && max != min) {
    if (max < min) std::swap(min, max);
    return;
  }
  const float value = std::isfinite(min) ? min : (std::isfinite(max) ? max : 0.0f);
  const float half = std::fabs(value) * 0.1f;
  if (value == 0.0f || !std::isfinite(value + half) || !std::isfinite(value - half)) {
    min = 0.0f;
    max = 1.0f;
    return;
  }
  min = value - half;
  max = value + half;
}

// ---- labels ----------------------------------------------------------------------------------

void BlankChannelLabels() {
  datalabel = Str255(8 * kLabelWidth, ' ');
  datalabel2 = Str255(8 * kLabelWidth, ' ');
}

// ---- counts ----------------------------------------------------------------------------------

int16_t ChannelLimit(int16_t recordingMode) {
  switch (recordingMode) {
    case RecordingModeCode::Scope:
      return 1;
    case RecordingModeCode::ScopeChart:
      return 5;
    default:
      return 16;
  }
}

int16_t FirstMovableChannel(int16_t recordingMode) {
  return recordingMode == RecordingModeCode::ScopeChart ? 2 : 1;
}

// ---- strip layout ----------------------------------------------------------------------------

int16_t SetChanParams(int16_t oldHeight, int16_t rescale) {
  const int16_t height = PrefsArray[PrefsSlot::WindowHeight];
  if (rescale == 0) {
    EqualStrips(oldHeight);
  } else if (oldHeight - kStripMargin <= 0 || height - kStripMargin <= 0) {
    // No old strip area to stretch from (an unset height at start-up) or none to
    // stretch to: lay the strips out afresh over the height now stored.
    EqualStrips(height);
  } else {
    RescaleStrips(oldHeight);
  }
  setup_hooks::CLEARARRAY();
  return 0;
}

void EndStripsAt(float bottom) {
  const int16_t n = LaidOutCount();
  double heights = 0;
  for (int k = 1; k <= n; ++k) heights += ChannelVariables[k][ChanField::StripHeight];
  if (n <= 0 || !(heights > 0)) return;
  StackStrips(static_cast<float>((bottom - FirstStripTop() - (n - 1)) / heights));
  auto& last = ChannelVariables[n];
  last[ChanField::StripHeight] += bottom - last[ChanField::StripBottom];
  last[ChanField::StripBottom] = bottom;
  last[ChanField::BottomLess2] = bottom - 2.0f;
  last[ChanField::BottomCopy] = bottom;
}

// ---- new set-ups -----------------------------------------------------------------------------

void ClearChannelRecords() {
  for (int c = 1; c <= 16; ++c)
    for (int f = 1; f <= 16; ++f) ChannelVariables[c][f] = 0.0f;
}

void PrepareChannelsForMode(bool setupFromFile) {
  ChannelVariables[1][ChanField::PlotMax] = 5.0f;
  if (!setupFromFile && External_AD != ExternalADCode::SerialStream) BlankChannelLabels();
}

// ---- hardware inputs -------------------------------------------------------------------------

void HowManyHardwareADinputs() {
  PrefsArray[PrefsSlot::HardwareInputs] =
      HardwareInputCount(External_AD, DemonstrationMODE, AD_Device_Code, PrefsArray[PrefsSlot::Adam16Inputs]);
}

// ---- heading -----------------------------------------------------------------------------------

Str255 ChannelHeadingText(int16_t channel, int16_t count, int16_t recordingMode) {
  Str255 text = recordingMode == RecordingModeCode::Scope
                    ? Str255("Oscilloscope Mode")
                    : Str255("Channel") + NumText(channel) + " of" + NumText(count);
  return text + ":  data entry & parameter setup";
}

}  // namespace mv
