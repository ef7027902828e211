// The "Switch Marker and Zero Options" window of the switching set-up: what a switch
// marker shows, and the value recorded for channels that are not read while their
// device is off.
#pragma once
#include <cstdint>

namespace mv {

constexpr int16_t kSwitchOptionsWindow = 111;
namespace SwitchOptionsItem {
constexpr int16_t LetterMarkers = 1, DeviceNumberMarkers = 2, Done = 10, ZeroLabel = 20, ZeroValue = 21;
}

// Runs under the handlers of the window that opens it.
void SetSwitchOptions();

}  // namespace mv
