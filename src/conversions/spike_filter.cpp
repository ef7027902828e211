#include "conversions/spike_filter.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "conversions/state.h"
#include "conversions/text_fields.h"
#include "kit/format.h"
#include "kit/state.h"

namespace mv {
namespace {

int16_t LastChannel(int16_t nChannels) {
  return std::clamp<int16_t>(nChannels, 0, 16);
}

// A field's ratio; text that is no number, or a number beyond single precision,
// counts as 0 and so turns the filter off.
float FieldRatio(const Str255& text) {
  const float r = static_cast<float>(TextToNumber(text));
  return std::isfinite(r) ? r : 0.0f;
}

}  // namespace

Str255 SpikeRowTitle(int16_t channel) {
  Str255 s = Str255("Chan") + NumText(channel) + ":  ";
  if (channel < 10) s += "  ";
  return s + "spike threshold:";
}

Str255 SpikeRatioText(float ratio) {
  return PrintedNumber(ratio);
}

bool SpikeFilterInForce(float threshold) {
  return PrefsArray[PrefsSlot::SpikeFilterOn] != 0 && threshold > 1.0f;
}

bool SpikeChannelFiltered(int16_t channel) {
  return channel >= 1 && channel <= 16 && SpikeFilterInForce(SpikeFilterArray[channel]);
}

SpikeFilterRun CurrentSpikeFilter() {
  SpikeFilterRun run;
  run.on = PrefsArray[PrefsSlot::SpikeFilterOn] != 0;
  for (int16_t n = 1; n <= 16; ++n) run.thresholds[n] = SpikeChannelFiltered(n) ? SpikeFilterArray[n] : 0.0f;
  return run;
}

SpikeWindowState SpikeWindowAtOpening(int16_t nChannels) {
  const SpikeFilterRun now = CurrentSpikeFilter();
  SpikeWindowState s;
  for (int16_t n = 1; n <= LastChannel(nChannels); ++n) {
    s.ratios[n] = now.thresholds[n];
    s.fields[n] = SpikeRatioText(s.ratios[n]);
  }
  return s;
}

SpikeSound ClickSpikeBox(int16_t channel, SpikeWindowState& s) {
  if (channel < 1 || channel > 16) return SpikeSound::None;
  if (s.ratios[channel] != 0.0f) {
    s.ratios[channel] = 0.0f;
    s.fields[channel] = "off";
    return SpikeSound::Down;
  }
  const float r = FieldRatio(s.fields[channel]);
  if (r <= 1.0f) {
    s.ratios[channel] = 2.0f;
    s.fields[channel] = "2";
  } else {
    s.ratios[channel] = r;
  }
  return SpikeSound::Up;
}

void SpikeFiltersOff(int16_t nChannels, SpikeWindowState& s) {
  for (int16_t n = 1; n <= LastChannel(nChannels); ++n) {
    s.ratios[n] = 0.0f;
    s.fields[n] = "off";
  }
}

double SpikePresetRatio(int item) {
  switch (item) {
    case 291:
      return 1.2;
    case 292:
      return 1.5;
    case 293:
      return 2;
    case 294:
      return 5;
    case 295:
      return 10;
    default:
      return 0;
  }
}

void SpikeFiltersPreset(double ratio, int16_t nChannels, SpikeWindowState& s) {
  for (int16_t n = 1; n <= LastChannel(nChannels); ++n) {
    s.ratios[n] = static_cast<float>(ratio);
    s.fields[n] = PrintedNumber(ratio);
  }
}

void FlipDoubleFiltration() {
  int16_t& slot = PrefsArray[PrefsSlot::SpikeReread];
  slot = slot == 0 ? 1 : 0;
}

SpikeRefusal SpikeThresholdRefusal(int16_t nChannels, const SpikeWindowState& s) {
  for (int16_t n = 1; n <= LastChannel(nChannels); ++n) {
    if (s.ratios[n] == 0.0f || FieldRatio(s.fields[n]) > 1.0f) continue;
    Str255 typed = s.fields[n];
    TRUNCATE(typed);
    return {n, "Channel " + std::to_string(n) + ": \"" + typed.str() +
                   "\" is no spike threshold. Type a number greater than 1, or uncheck the channel."};
  }
  return {};
}

bool LeaveSpikeFilter(int16_t nChannels, const SpikeWindowState& s) {
  const bool wasOn = PrefsArray[PrefsSlot::SpikeFilterOn] != 0;
  std::array<float, 17> kept{};
  bool on = false;
  for (int16_t n = 1; n <= LastChannel(nChannels); ++n) {
    if (s.ratios[n] == 0.0f) continue;
    const float r = FieldRatio(s.fields[n]);
    SpikeFilterRatio = r;
    if (r > 1.0f) {
      kept[n] = r;
      on = true;
    }
  }
  for (int16_t n = 1; n <= LastChannel(nChannels); ++n) {
    if (kept[n] > 1.0f)
      SpikeFilterArray[n] = kept[n];
    else if (SpikeFilterArray[n] > 1.0f && (on || wasOn))
      SpikeFilterArray[n] = 0.0f;
  }
  PrefsArray[PrefsSlot::SpikeFilterOn] = on ? 1 : 0;
  return on;
}

}  // namespace mv
