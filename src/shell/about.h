// The About and More Info windows, the splash picture and the flies.
#pragma once
#include <cstdint>

namespace mv {

void AboutMV();
void ShowMoreInfo();
void SplashScreenJPEG();
void StartTheFlies(int16_t mode);
void MoveTheFlies(int16_t mode);

}  // namespace mv
