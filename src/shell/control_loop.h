// The control loop: recording mode, sample interval, per-channel set-up, set-up
// window, recording, options window, and back. Entered once start-up is done;
// it never returns (the program ends through Quit).
#pragma once
#include <cstdint>

namespace mv {

// Where start-up enters the loop: at the mode choice, or (after a set-up file was
// loaded at launch) at the preparation that follows it.
enum class LoopEntry : int16_t { ModeChoice = 1, Preparation = 2 };

[[noreturn]] void ControlLoop(LoopEntry entry);

// How the control loop was last entered (0 not yet); tests read and clear it.
extern int16_t LastControlLoopEntry;

}  // namespace mv
