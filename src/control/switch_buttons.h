// The device-selection rows and the reference-device buttons of the switching set-up
// window: the per-channel layout (each channel row chooses its device), the
// sequential layout (one switched channel, toggles for the device positions used),
// the reference radio buttons with their prompt, the group column, and the clicks on
// all of these.
#pragma once
#include <cstdint>
#include <optional>

#include "runtime/str255.h"

namespace mv {

constexpr int16_t kSwitchWindow = 3;

// Button and field numbers of the window that the rows use.
namespace SwitchItem {
constexpr int16_t NoRefsBetweenChannels = 201, DeviceButton = 200, ReferencePrompt = 303,
                  ChannelLabelBase = 450, GroupTextBase = 632, TwoGroups = 176, ZeroLinks = 179,
                  SetupOK = 177;
}

// The two-group patterns 2, 4, 6 and 8.
bool TwoGroupPattern(int16_t pattern);
bool SequentialPattern(int16_t pattern);

// Texts of the group column. Opening: the texts of the window as it opens;
// Relayout: after a switch back to the per-channel layout; Click: after a device
// click. Click with pattern 0 and a device leaves the text as it is (nullopt).
enum class GroupTextStyle { Opening, Relayout, Click };
std::optional<Str255> GroupText(int16_t pattern, int16_t device, int16_t deviceCount, GroupTextStyle style);

// The row's channel field: the number without its leading blank, ": " and the
// 30-character label.
Str255 ChannelRowText(int16_t channel);

// Makes the row buttons that fit SwitchingMode (per-channel up to pattern 8, the
// sequential toggles from 9) offering devices 1 to n.
void MakeTheDeviceButtons(int16_t n);
// Makes the row buttons (or the sequential toggles) again for the devices the interface
// switches with the coding now in force, and sets their states from the data.
void RelayDeviceButtons();
// 1: the sequential layout, 0: the per-channel layout; redraws the area.
void DRAWSWITCHBUTTONS(int16_t flag);
// Draws the per-channel or sequential headings and row texts of the window as it opens.
void DrawDeviceRows(bool atOpening);
// The reference radio buttons: one per device the interface switches with the coding.
void DRAWREFBUTTONS();
void DRAWREFLINE();
void DRAWGROUP(int16_t channel, int16_t device);
// Every group text of the per-channel layout.
void DrawGroupColumn(GroupTextStyle style);
void FixSWITCHBUTTON();
// Reference buttons 1 to 8 off.
void ReferenceButtonsOff();

// The click on reference button 1-8, device button 10-169 or check box 201.
void ClickReferenceButton(int16_t k);
void ClickDeviceButton(int16_t button);
void ClickNoRefsBetweenChannels();

}  // namespace mv
