// What the device readers need from above, and the readers tests stand in for. Each is
// a hook (see kit/hook.h): the floor that owns the real function installs it at
// start-up; tests install fakes.
#pragma once
#include <cstdint>

#include "kit/hook.h"

// ---- services: called by the readers' waits on the line -----------------------------
namespace mv::services {

// The recording's note window and toolbar click reader: one pass of the event pump
// each. Hooks because the note window and the toolbar are the acquisition floor's,
// which links the devices, and a reader waiting on the line keeps them answering.
extern Hook<void()> HandleNotes;
extern Hook<void()> ReadControlStrip;
// Ends the per-sample beep if it is still playing. A hook because the beep belongs to
// the acquisition floor's sample taker, above the readers that end it once the
// instrument answered.
extern Hook<void()> StopSampleBeep;

}  // namespace mv::services

// ---- services: the readers the dispatcher calls (a seam, not a need from above) ------
namespace mv::services {

// The readers of the other interfaces: each leaves its reading in volts. They live in
// this floor and hold the real readers from the start; they stay hooks only as the
// instrument seam through which the tests of the dispatcher, the sample taker, the
// calibration window and the spike filter stand in for an interface.
extern Hook<void(int16_t channel, int16_t duringRecording)> ReadDataTaker500;
extern Hook<void(int16_t channel, int16_t duringRecording)> ReadDataTaker800;
extern Hook<void(int16_t channel, int16_t duringRecording)> ReadADAM;
extern Hook<void(int16_t channel)> ReadADC1;
extern Hook<void(int16_t mode)> ReadSerialStream;

}  // namespace mv::services
