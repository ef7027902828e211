// The windows of the custom conversion buttons: the chooser ("Modify Voltage
// Conversions"), the transfer window ("Conversion Transfers") that copies a
// channel's conversion into a button, and the editor ("Custom voltage
// conversions") of the eight buttons and the three-way button.
#pragma once
#include <cstdint>

namespace mv {

constexpr int16_t kCustomChooserWindow = 11;
constexpr int16_t kCustomEditorWindow = 11;
constexpr int16_t kCustomTransferWindow = 12;

namespace CustomEditorControl {
constexpr int16_t SaveConversions = 1, ConversionsOK = 2, Help = 130;
// Row k (0 to 7, button k + 3): title 25 + 8k, label 26 + 8k, a, b, c, min, max 27 + 8k to 31 + 8k.
constexpr int16_t FirstRowField = 25, RowStep = 8;
constexpr int16_t ThreeWayTitle = 89, ThreeWayLabel = 90, FirstThreeWayValue = 91;  // p0-p3, K, m, min, max
}  // namespace CustomEditorControl

namespace CustomTransferControl {
constexpr int16_t SaveThisChange = 1, ConversionsOK = 2, Help = 130;
constexpr int16_t FirstSelect = 17;       // 16 + channel
constexpr int16_t FirstLabelField = 101;  // 100 + channel
}  // namespace CustomTransferControl

// The Edit menu's "Custom Conversions...": with channels, the chooser (and the
// transfer window when asked), then the editor in every case.
void CUSTOMCON();
// The transfer window.
void CUSTOMTRANSFER();
// The editor alone.
void CustomConversionEditor();

}  // namespace mv
