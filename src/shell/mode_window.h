// The "Modes and Channels" window that opens every pass of the control loop: the
// recording mode on three tabs and the number of channels, or a set-up file instead.
// The rules it applies are plain functions below.
#pragma once
#include <cstdint>

#include "runtime/str255.h"
#include "runtime/types.h"

namespace mv {

constexpr int16_t kModeWindow = 310;
constexpr int16_t kModeHelpTopic = 129;

// Controls of the mode window (ModeWindowControl).
namespace ModeControl {
constexpr int16_t SelectionOK = 23, SetupFile = 24, Help = 30, Tabs = 500;
// Channel-count button n is FirstChannel - 1 + n.
constexpr int16_t FirstChannel = 101, LastChannel = 116;
}  // namespace ModeControl

// ---- rules ----------------------------------------------------------------------------------
// Button of n channels: four columns (left edges 15, 121, 227, 333), four rows (tops
// 148, 170, 192, 214), 104 by 20 pixels.
Rect ChannelButtonRect(int16_t channels);
// "1 Channel", "2 Channels", ... "16 Channels".
Str255 ChannelButtonTitle(int16_t channels);
// The state of the button of n channels (0 dimmed, 1 enabled): 1 only in chart mode; 2
// to 5 in chart and scope-plus-chart mode; 6 and more only in chart mode; never more
// than maximumChans. Mode 0 (nothing chosen yet) counts as chart, as the loop takes it.
int16_t ChannelButtonState(int16_t channels, int16_t recordingMode, int16_t maximumChans);
// DT500/DT600, DT50 and ADC-1 are too slow for the scope modes: no tabs.
bool IsSlowInterface(int16_t externalAD);
// The interface's picture in the window (in "MVimages") and where it goes.
struct ModePicture {
  const char* file = "";
  Rect where;
};
ModePicture ModeWindowPicture(int16_t externalAD, int16_t demonstrationMode);
// "Selection OK" takes a typed key only while it may be clicked: a key never ends the
// window with no channels chosen.
bool TypedKeySelects(int16_t okButtonState);

// ---- the window -----------------------------------------------------------------------------
// Builds the channel-count buttons: 16 or more the buttons 101 to 116, 5 the buttons 102
// to 105, fewer nothing. The caller sets their states with FixRMchans.
void ChannelSelectButtons(int16_t count);
// Sets the states of the channel-count buttons that exist from RecordingMODE and
// MaximumChans; the chosen count stays marked.
void FixRMchans();
// The menu states that follow the mode: the scope mode has no timed saves, status
// displays, switch status, slope trends, triggers or analog outputs.
void ModeMenuStates();
// The window: leaves RecordingMODE, nChannels and, when a set-up file was loaded,
// slot 45 set. With the streaming serial input its panel stands in for the window.
void SelectRecordingModeTabWindow();

}  // namespace mv
