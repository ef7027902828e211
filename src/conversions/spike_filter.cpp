#include "conversions/spike_filter.h"

#include <algorithm>
#include <cmath>

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

SpikeFieldTexts SpikeFieldsFromRatios(int16_t nChannels) {
  SpikeFieldTexts fields;
  for (int16_t n = 1; n <= LastChannel(nChannels); ++n) fields[n] = SpikeRatioText(SpikeFilterArray[n]);
  return fields;
}

bool SpikeBoxChecked(int16_t channel) {
  return channel >= 1 && channel <= 16 && SpikeFilterArray[channel] > 1.0f;
}

SpikeSound ClickSpikeBox(int16_t channel, SpikeFieldTexts& fields) {
  if (channel < 1 || channel > 16) return SpikeSound::None;
  if (SpikeFilterArray[channel] != 0.0f) {
    SpikeFilterArray[channel] = 0.0f;
    fields[channel] = "off";
    return SpikeSound::Down;
  }
  const float r = FieldRatio(fields[channel]);
  if (r <= 1.0f) {
    SpikeFilterArray[channel] = 2.0f;
    fields[channel] = "2";
  } else {
    SpikeFilterArray[channel] = r;
  }
  return SpikeSound::Up;
}

void SpikeFiltersOff(int16_t nChannels, SpikeFieldTexts& fields) {
  for (int16_t n = 1; n <= LastChannel(nChannels); ++n) {
    SpikeFilterArray[n] = 0.0f;
    fields[n] = "off";
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

void SpikeFiltersPreset(double ratio, int16_t nChannels, SpikeFieldTexts& fields) {
  for (int16_t n = 1; n <= LastChannel(nChannels); ++n) {
    SpikeFilterArray[n] = static_cast<float>(ratio);
    fields[n] = PrintedNumber(ratio);
  }
}

void FlipDoubleFiltration() {
  int16_t& slot = PrefsArray[PrefsSlot::SpikeReread];
  slot = slot == 0 ? 1 : 0;
}

bool LeaveSpikeFilter(int16_t nChannels, const SpikeFieldTexts& fields) {
  bool checked = false;
  PrefsArray[PrefsSlot::SpikeFilterOn] = 0;
  for (int16_t n = 1; n <= LastChannel(nChannels); ++n) {
    if (SpikeFilterArray[n] == 0.0f) continue;
    const float r = FieldRatio(fields[n]);
    SpikeFilterRatio = r;
    if (r > 1.0f) {
      SpikeFilterArray[n] = r;
      PrefsArray[PrefsSlot::SpikeFilterOn] = 1;
      checked = true;
    } else {
      SpikeFilterArray[n] = 0.0f;
    }
  }
  return checked;
}

}  // namespace mv
