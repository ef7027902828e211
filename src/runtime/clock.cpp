#include "runtime/clock.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace mv::rt {
namespace {

using SteadyClock = std::chrono::steady_clock;

const SteadyClock::time_point& Epoch() {
  static const SteadyClock::time_point epoch = SteadyClock::now();
  return epoch;
}

bool gVirtual = false;
uint64_t gVirtualUs = 0;

}  // namespace

uint64_t Microseconds() {
  if (gVirtual) return gVirtualUs;
  return static_cast<uint64_t>(
      std::chrono::duration_cast<std::chrono::microseconds>(SteadyClock::now() - Epoch()).count());
}

uint64_t Ticks64() { return Microseconds() * 60 / 1'000'000; }

uint32_t TickCount() {
  // 64-bit arithmetic first, then the 32-bit count the program compares.
  return static_cast<uint32_t>(Ticks64());
}

void Delay(int ms) {
  if (ms <= 0) return;
  if (gVirtual) {
    gVirtualUs += static_cast<uint64_t>(ms) * 1000;
    return;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void SleepUntilMicroseconds(uint64_t target, int capMs) {
  uint64_t now = Microseconds();
  if (target <= now) return;
  uint64_t wait = std::min<uint64_t>(target - now, static_cast<uint64_t>(std::max(capMs, 0)) * 1000);
  if (gVirtual) {
    gVirtualUs += wait;
    return;
  }
  std::this_thread::sleep_until(SteadyClock::now() + std::chrono::microseconds(wait));
}

void UseVirtualClock(bool on) {
  if (on && !gVirtual) gVirtualUs = Microseconds();
  gVirtual = on;
}

bool VirtualClockInUse() { return gVirtual; }
void SetVirtualMicroseconds(uint64_t us) { gVirtualUs = us; }
void AdvanceVirtualClock(double seconds) {
  if (seconds > 0) gVirtualUs += static_cast<uint64_t>(seconds * 1e6 + 0.5);
}

}  // namespace mv::rt
