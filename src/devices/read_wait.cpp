#include "devices/read_wait.h"

#include <algorithm>
#include <chrono>

#include "acquisition/state.h"
#include "devices/needs.h"
#include "devices/state.h"
#include "kit/sounds.h"
#include "runtime/clock.h"

namespace mv {

bool TickPassed(uint32_t deadline) {
  return static_cast<int32_t>(rt::TickCount() - deadline) > 0;
}

void ServiceRecordingWait(int16_t duringRecording) {
  if (duringRecording != 1 || HavePaused != 0) return;
  if (NoteWindowIsOpen) services::HandleNotes();
  services::ReadControlStrip();
}

namespace {

// From now until the tick after `deadline` begins (the first moment TickPassed holds),
// at most one tick: the notes and toolbar are looked after at least that often.
std::chrono::microseconds NextLookIn(uint32_t deadline) {
  constexpr uint64_t kTickUs = 1'000'000 / 60 + 1;
  const uint64_t now = rt::Microseconds();
  const uint64_t tick = now * 60 / 1'000'000;
  const int64_t ticksLeft = static_cast<int32_t>(deadline - static_cast<uint32_t>(tick)) + int64_t{1};
  if (ticksLeft <= 0) return {};
  const uint64_t passedAt = ((tick + static_cast<uint64_t>(ticksLeft)) * 1'000'000 + 59) / 60;
  return std::chrono::microseconds(std::min(passedAt - now, kTickUs));
}

}  // namespace

bool WaitForBytes(SerialPort& port, int need, uint32_t deadline, int16_t duringRecording) {
  for (;;) {
    // The clock is looked at first: a reply that shows up only after the deadline
    // has passed is late, even when the look at the port comes in the same pass.
    if (TickPassed(deadline)) return false;
    if (port.BytesWaiting() >= need) return true;
    ServiceRecordingWait(duringRecording);
    port.AwaitBytes(need, NextLookIn(deadline));
  }
}

bool LineFallsQuiet(SerialPort& port) {
  return !port.AwaitBytes(1, std::max(port.QuietGap(), kLeastQuietTime));
}

float BadReadingResult(float lastValue, bool keepLastValue) {
  return keepLastValue && Sample >= 2 ? lastValue : kBadReading;
}

bool HoldsLineNoise(std::string_view line, bool asciiOnly) {
  for (const char c : line) {
    const auto b = static_cast<unsigned char>(c);
    if ((b < 32 && b != '\t') || b == 127 || (asciiOnly && b > 127)) return true;
  }
  return false;
}

void BuzzFailedRead() {
  if (SerialWarningBuzz) PlaySound("AlarmBUZZ.mp3", "MVsounds");
}

}  // namespace mv
