#include "acquisition/state.h"

namespace mv {

int32_t Sample = 0;
int16_t HavePaused = 0;
int16_t NoteWindowIsOpen = 0;

void ResetAcquisitionState() {
  Sample = 0;
  HavePaused = 0;
  NoteWindowIsOpen = 0;
}

}  // namespace mv
