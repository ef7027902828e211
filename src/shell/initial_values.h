// Every program-wide value before the first window: the preference slots, the
// display test, limits, intervals, the custom conversion buttons, the device,
// output, feedback and alert defaults; then the preferences file.
#pragma once
#include <cstdint>

namespace mv {

// A display lower than this cannot hold the program's windows.
constexpr int kMinimumDisplayHeight = 480;

// The recording window's size (slots 11 and 12) on a display of this size:
// 50 pixels less than a display narrower than 1024, otherwise 1024 wide and
// 768 high but never taller than the display less 50, so the window fits
// 1366 x 768 and 1280 x 720 displays.
struct WindowSize {
  int16_t width = 0, height = 0;
};
WindowSize RecordingWindowSizeForDisplay(int displayWidth, int displayHeight);
// 12 channels on a display exactly 480 pixels high, else 16.
int16_t MaximumChansForDisplayHeight(int displayHeight);
// True when the display is too low: the program then ends before any window.
bool DisplayTooLow(int displayHeight);

// Sets every value above in order. A display lower than 480 pixels ends the
// program (a one-line reason on standard error, exit status 1). Returns 0.
int16_t SetInitialVariableValues();

}  // namespace mv
