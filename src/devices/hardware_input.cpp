#include "devices/hardware_input.h"

#include <cmath>

#include "setup/state.h"

namespace mv {

int16_t HardwareInputOf(int16_t channel) {
  if (channel < 1 || channel > 16) return 0;
  const float f = ChannelVariables[channel][ChanField::Input];
  if (!std::isfinite(f) || f < 1.0f || f >= 32768.0f) return 0;
  return static_cast<int16_t>(std::trunc(f));
}

}  // namespace mv
