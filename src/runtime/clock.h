// The program's clocks: one epoch for the microsecond clock and the 1/60 s tick
// count. Tests may replace the real clock by a virtual one that only moves when
// told to (or when the program delays).
#pragma once
#include <cstdint>

namespace mv::rt {

// Microseconds since the epoch of this process (or of the virtual clock).
uint64_t Microseconds();
// Ticks of 1/60 s since the same epoch; 32-bit like the original counts.
uint32_t TickCount();
// The same ticks in 64 bits, for deadlines: a sum never wraps round.
uint64_t Ticks64();
// Pauses for ms milliseconds without pumping events. On the virtual clock it
// advances the clock instead of sleeping.
void Delay(int ms);
// Sleeps until the microsecond clock reaches the given value (at most the
// given cap of milliseconds, so a wrong deadline never hangs the program).
void SleepUntilMicroseconds(uint64_t target, int capMs = 1000);

// The wall clock (seconds since 1970, UTC) at a moment of the microsecond clock, which
// may lie ahead. On the virtual clock the wall clock moves with it: it stood at the real
// wall time when the virtual clock was turned on.
double WallClockSecondsAt(uint64_t microseconds);

// Virtual clock for tests.
void UseVirtualClock(bool on);
bool VirtualClockInUse();
void SetVirtualMicroseconds(uint64_t us);
void AdvanceVirtualClock(double seconds);
// Whole-program runs are scripted in real time (a script waits real seconds) while the
// program sleeps on the virtual clock: paced, the program's waits let its clock run at
// most virtualPerReal times faster than real time, so how far a run gets in a scripted
// wait does not hang on how fast the program is. 0 (the default, and after
// UseVirtualClock) paces nothing.
void SetVirtualClockPace(double virtualPerReal);

}  // namespace mv::rt
