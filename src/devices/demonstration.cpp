#include "devices/demonstration.h"

#include <cmath>

#include "conversions/spike_filter.h"
#include "conversions/state.h"
#include "devices/dispatcher.h"
#include "devices/state.h"
#include "runtime/system.h"

namespace mv {

float RandomReading(int n, double offset) {
  return static_cast<float>(rt::Rnd(n) * 0.001 + offset);
}

float DemonstrationReading() {
  return volts = RandomReading(800, 0.2);
}

float DemonstrationReadingFiltered(int16_t channel) {
  const float first = DemonstrationReading();
  if (channel < 1 || channel > 16) return first;
  const float ratio = SpikeFilterArray[channel];
  SpikeFilterRatio = ratio;
  float& last = LastVoltageArray[channel + 17];
  if (SpikeFilterInForce(ratio) && std::fabs(first - last) > ratio) {
    const float second = RandomReading(800, 0.2);
    if (IsSpike(first, second, last)) {
      volts = last;
      voltagespikes[channel] += 1;
    } else {
      volts = second;
    }
    last = volts;
  }
  return volts;
}

float DemonstrationScopeReading() {
  return volts = RandomReading(600, 1.0);
}

float DemonstrationPauseReading() {
  return volts = RandomReading(800, 0.3);
}

float DemonstrationTriggerReading() {
  float v = RandomReading(800, 0.0);
  return volts = v > 0.795f ? 5.0f : v;
}

}  // namespace mv
