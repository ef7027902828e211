// Program-wide values owned by this subsystem.
#pragma once
#include <cstdint>

namespace mv {

// Chart samples taken in the current run.
extern int32_t Sample;
// 1 once the current run has been paused.
extern int16_t HavePaused;
// 1 while the recording's note window is open.
extern int16_t NoteWindowIsOpen;

void ResetAcquisitionState();

}  // namespace mv
