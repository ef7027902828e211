// Entry points of higher subsystems that lower ones call. Each is a hook with a
// harmless default; the owning subsystem installs the real one at start-up
// (InstallServices in the shell), and tests install fakes. This keeps the link
// graph free of cycles while the code reads as the direct calls it is.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

namespace mv::services {

// The program's Quit procedure: the data-loss guard, devices off, exit. The
// default only ends the program.
extern std::function<void()> Quit;

// ---- called by the serial readers (devices) ----------------------------------------
// The recording's note window and toolbar click reader: one pass of the event pump each.
// Defaults: nothing.
extern std::function<void()> HandleNotes;
extern std::function<void()> ReadControlStrip;
// Plays a sound file from a resource folder, e.g. ("AlarmBUZZ.mp3", "MVsounds"), whether
// or not sounds are switched on. Default: the kit's PlaySound; tests listen here.
extern std::function<void(const std::string& file, const std::string& folder)> PlaySound;
// Ends the per-sample beep if it is still playing. Default: nothing.
extern std::function<void()> StopSampleBeep;
// Readers of the other interfaces: each leaves its reading in volts. Defaults: nothing
// is read and volts keeps its value.
extern std::function<void(int16_t channel, int16_t duringRecording)> ReadDataTaker500;
extern std::function<void(int16_t channel, int16_t duringRecording)> ReadDataTaker800;
extern std::function<void(int16_t channel, int16_t duringRecording)> ReadADAM;
extern std::function<void(int16_t channel)> ReadADC1;
extern std::function<void(int16_t mode)> ReadSerialStream;

// Restores every hook to its default.
void ResetServices();

}  // namespace mv::services
