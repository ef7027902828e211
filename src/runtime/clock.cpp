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
// The wall clock's seconds at virtual microsecond 0.
double gVirtualWallBase = 0;

double RealWallSeconds() {
  return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

// Pacing of the virtual clock: at most gPace virtual seconds per real second from the
// moment it was set (0: no pacing).
double gPace = 0;
uint64_t gPaceFromUs = 0;
SteadyClock::time_point gPaceFromReal;

// A virtual wait made: when the virtual clock has run ahead of its pace by a
// millisecond or more, the real clock catches up. Real time the program spent without
// virtual waits is no credit: the pace starts again from the present.
void KeepPace() {
  if (gPace <= 0) return;
  const auto now = SteadyClock::now();
  if (gVirtualUs < gPaceFromUs) {
    gPaceFromUs = gVirtualUs;
    gPaceFromReal = now;
    return;
  }
  const auto due =
      gPaceFromReal +
      std::chrono::microseconds(static_cast<int64_t>(static_cast<double>(gVirtualUs - gPaceFromUs) / gPace));
  if (due - now >= std::chrono::milliseconds(1)) {
    std::this_thread::sleep_until(due);
  } else if (due < now) {
    gPaceFromUs = gVirtualUs;
    gPaceFromReal = now;
  }
}

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
    KeepPace();
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
    KeepPace();
    return;
  }
  std::this_thread::sleep_until(SteadyClock::now() + std::chrono::microseconds(wait));
}

double WallClockSecondsAt(uint64_t microseconds) {
  if (gVirtual) return gVirtualWallBase + static_cast<double>(microseconds) * 1e-6;
  const uint64_t now = Microseconds();
  return RealWallSeconds() - (static_cast<double>(now) - static_cast<double>(microseconds)) * 1e-6;
}

void UseVirtualClock(bool on) {
  if (on && !gVirtual) {
    gVirtualUs = Microseconds();
    gVirtualWallBase = RealWallSeconds() - static_cast<double>(gVirtualUs) * 1e-6;
  }
  gVirtual = on;
  gPace = 0;
}

void SetVirtualClockPace(double virtualPerReal) {
  gPace = virtualPerReal;
  gPaceFromUs = gVirtualUs;
  gPaceFromReal = SteadyClock::now();
}

bool VirtualClockInUse() { return gVirtual; }
void SetVirtualMicroseconds(uint64_t us) { gVirtualUs = us; }
void AdvanceVirtualClock(double seconds) {
  if (seconds > 0) gVirtualUs += static_cast<uint64_t>(seconds * 1e6 + 0.5);
}

}  // namespace mv::rt
