// The status strip (window 25) in which the per-channel dialogs of a set-up draw:
// the mode picture, the interface picture and which channel is being set up.
#pragma once
#include <cstdint>

namespace mv {

constexpr int16_t kStatusStripWindow = 25;

// Prepares the strip for one channel (1-based) of nChannels.
void CHANNELNUMBER(int16_t channel);

// Draws the small picture of the interface in use into the strip (the current output
// window), between the mode picture and the heading.
void DrawStripInterfacePicture();

}  // namespace mv
