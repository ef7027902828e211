// Three small dialogs that set how the acquisition screen shows a recording: the
// slope indicators of the chart channels, the recording window's size, and the
// sampling rate above which the numeric status displays are switched off.
#pragma once
#include <cstdint>

namespace mv {

constexpr int16_t kSlopeTrendWindow = 15, kWindowSizeExample = 33, kStatusDisplayWindow = 20;

// "Set Slope Trends Option for Each Channel"; chart mode only.
int16_t SETSLOPETREND();
// " Acquisition Window Example ": the window's size becomes the recording window size
// (slots 11 and 12) and the strips are laid out again for it.
int16_t ChartWindowSize();
// "Acquisition Window Status Displays": Max_Display_Speed.
int16_t STATUS_DISPLAYS();

// The status button of a Max_Display_Speed value, and the value of a button (11-20).
int16_t StatusButtonFor(int32_t maxDisplaySpeed);
int32_t StatusSpeedFor(int16_t button);

}  // namespace mv
