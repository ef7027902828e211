// Entry points of higher subsystems that lower ones call. Each is a hook (see
// kit/hook.h): "not built" until the owning subsystem installs the real one at
// start-up (InstallServices in the shell), unless its default is said below; tests
// install fakes. This keeps the link graph free of cycles while the code reads as the
// direct calls it is.
#pragma once
#include <cstdint>
#include <string>

#include "kit/hook.h"

namespace mv::services {

// The program's Quit procedure: the data-loss guard, devices off, exit. The
// default only ends the program.
extern Hook<void()> Quit;

// ---- called by the serial readers (devices) ----------------------------------------
// The recording's note window and toolbar click reader: one pass of the event pump each.
extern Hook<void()> HandleNotes;
extern Hook<void()> ReadControlStrip;
// Ends the per-sample beep if it is still playing.
extern Hook<void()> StopSampleBeep;
// Readers of the other interfaces: each leaves its reading in volts (while not built,
// nothing is read and volts keeps its value).
extern Hook<void(int16_t channel, int16_t duringRecording)> ReadDataTaker500;
extern Hook<void(int16_t channel, int16_t duringRecording)> ReadDataTaker800;
extern Hook<void(int16_t channel, int16_t duringRecording)> ReadADAM;
extern Hook<void(int16_t channel)> ReadADC1;
extern Hook<void(int16_t mode)> ReadSerialStream;

// ---- called by the interface connection (devices) ------------------------------------
// The six menus of the bar off (0) or on (1) as wholes, with their marks. Default: menus
// 1 to 6 of the runtime's menu model enabled or disabled, nothing else.
extern Hook<void(int16_t state)> SetUpMENUs;
// The reduced menu handler of windows that let a few menu commands through.
extern Hook<void(int16_t menu, int16_t item)> ShortMENU;
// Writes the preferences file.
extern Hook<void()> SAVEsettings;
// Asks the interface for its firmware; non-zero atStartUp writes into the start-up
// window.
extern Hook<void(int16_t atStartUp)> GetFirmware;

// ---- called by the start-up (shell) --------------------------------------------------
// Sets the fixed palette colours and reads the preferences file (colours, custom
// buttons, the stored slots, the remembered interface into slot 54, the stored
// breakpoint rows).
extern Hook<void()> SetInitialColorValues;
// Loads a set-up file: kind 1 the one handed over at launch (CLICKEDSetupFileCFURL),
// 0 asks with the open panel. True when a set-up was loaded; a file that does not
// load leaves every value as it was (while not built: nothing is loaded, false).
extern Hook<bool(int16_t kind)> GETSETUP;

// Restores every hook to its default.
void ResetServices();

}  // namespace mv::services
