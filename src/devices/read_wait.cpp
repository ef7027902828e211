#include "devices/read_wait.h"

#include "acquisition/state.h"
#include "devices/state.h"
#include "runtime/clock.h"
#include "shell/kit/services.h"
#include "shell/kit/sounds.h"

namespace mv {

bool TickPassed(uint32_t deadline) {
  return static_cast<int32_t>(rt::TickCount() - deadline) > 0;
}

void ServiceRecordingWait(int16_t duringRecording) {
  if (duringRecording != 1 || HavePaused != 0) return;
  if (NoteWindowIsOpen) services::HandleNotes();
  services::ReadControlStrip();
}

bool WaitForBytes(SerialPort& port, int need, uint32_t deadline, int16_t duringRecording) {
  for (;;) {
    // The clock is looked at first: a reply that shows up only after the deadline
    // has passed is late, even when the look at the port comes in the same pass.
    if (TickPassed(deadline)) return false;
    if (port.BytesWaiting() >= need) return true;
    ServiceRecordingWait(duringRecording);
    port.Pause(1);
  }
}

void DrainLateReply(SerialPort& port, uint32_t untilTick) {
  while (!TickPassed(untilTick)) {
    port.Discard();
    port.Pause(1);
  }
  port.Discard();
}

float BadReadingResult(float lastValue, bool keepLastValue) {
  return keepLastValue && Sample >= 2 ? lastValue : kBadReading;
}

void BuzzFailedRead() {
  if (SerialWarningBuzz) PlaySound("AlarmBUZZ.mp3", "MVsounds");
}

}  // namespace mv
