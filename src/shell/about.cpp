#include "shell/about.h"

namespace mv {

// Filled in with the launch windows.
void AboutMV() {}
void ShowMoreInfo() {}
void SplashScreenJPEG() {}
void StartTheFlies(int16_t) {}
void MoveTheFlies(int16_t) {}

}  // namespace mv
