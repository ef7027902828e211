// The "2 Channel X-Y Plot" dialog (window 200): switches the X-Y plot of chart
// recordings on or off and chooses its X-axis and Y-axis channels.
#pragma once
#include <cstdint>

namespace mv {

constexpr int16_t kXYDialogWindow = 200;
constexpr int16_t kXYShowBox = 40, kXYDoneButton = 41, kXYHelpButton = 50;
// Radio buttons: 1..16 the X-axis channel, 21..36 the Y-axis channel.
constexpr int16_t kXYYRadioBase = 20;
// The note, while the plot is asked for, that the screen has no room for it.
constexpr int16_t kXYNoRoomField = 101;

int16_t XYPlotSetup();

}  // namespace mv
