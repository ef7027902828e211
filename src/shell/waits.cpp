#include "shell/waits.h"

#include <algorithm>
#include <cstdint>

#include "runtime/clock.h"
#include "runtime/events.h"

namespace mv {

void PumpFor(int ms) {
  if (ms <= 0) return;
  const uint64_t end = rt::Microseconds() + static_cast<uint64_t>(ms) * 1000;
  for (;;) {
    rt::PumpEvents(0);
    const uint64_t now = rt::Microseconds();
    if (now >= end) return;
    rt::Delay(static_cast<int>(std::min<uint64_t>(5, (end - now + 999) / 1000)));
  }
}

}  // namespace mv
