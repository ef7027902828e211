#include "control/switch_buttons.h"

#include <string>

#include "control/device_outputs.h"
#include "control/state.h"
#include "control/switch_diagram.h"
#include "control/switch_window.h"
#include "devices/state.h"
#include "kit/builders.h"
#include "kit/channel_labels.h"
#include "kit/drawing.h"
#include "kit/state.h"
#include "runtime/windows.h"
#include "setup/state.h"

namespace mv {

namespace {

constexpr RGBColor kBlack{0, 0, 0};
constexpr int16_t kMaxDevices = 8;

int16_t I16(int v) {
  return static_cast<int16_t>(v);
}

int16_t DeviceOf(int16_t row) {
  return static_cast<int16_t>(ChannelVariables[row][ChanField::Device]);
}
int16_t SwitchedChannel() {
  return static_cast<int16_t>(ChannelVariables[0][0]);
}
int16_t DeviceCount() {
  return SwitchDeviceCount(External_AD, PrefsArray[PrefsSlot::DigitalOutputCoding]);
}

void SetState(int16_t button, int16_t state) {
  if (rt::ControlExists(button)) rt::SetControlState(button, state);
}
// On (2) or off (1), leaving a disabled button disabled.
void Mark(int16_t button, bool on) {
  if (!rt::ControlExists(button)) return;
  if (rt::ControlState(button) == 0 && !on) return;
  rt::SetControlState(button, on ? 2 : 1);
}
bool ValidRef(int16_t k) {
  return k >= 1 && k <= kMaxDevices;
}

void Heading(const char* text, int x, int y, double size, bool bold) {
  rt::FontSpec font = KitFont(KestraneFont, size);
  font.bold = bold;
  rt::DrawText(x, y, text, font, kBlack);
}

Rect RowButtons(int16_t row) {
  return RectOf(250, 200 + 20 * row, 329, 217 + 20 * row);
}

void MakeChannelField(int16_t row) {
  const int16_t field = I16(SwitchItem::ChannelLabelBase + row);
  EFForeColor = 1;
  EFBackColor = 7;
  BUILDEF(field, ChannelRowText(row), 4, I16(200 + 20 * row), 244, I16(217 + 20 * row), 5, 0);
  rt::SetEditFont(field, KitFont(KestraneFont, 11));
}

void SetGroupField(int16_t row, const Str255& text) {
  const int16_t field = I16(SwitchItem::GroupTextBase + row);
  if (!rt::EditFieldExists(field)) {
    EFForeColor = 1;
    EFBackColor = 7;
    BUILDEF(field, text, 486, I16(200 + 20 * row), 535, I16(217 + 20 * row), 5, 2);
    rt::SetEditFont(field, KitFont(KestraneFont, 10));
  } else {
    rt::SetEditText(field, text.str());
  }
}

void MakeRowDeviceButtons(int16_t row, int16_t n) {
  for (int16_t k = 1; k <= n && k <= kMaxDevices; ++k) {
    const int16_t button = I16(10 * row + k);
    rt::DisposeControl(button);
    // Marked push buttons: a radio or check box this narrow would hide its number.
    rt::NewControl(button, rt::ControlType::PushButton, std::to_string(k),
                   RectOf(311 + 19 * k, 200 + 20 * row, 330 + 19 * k, 217 + 20 * row), 1);
  }
}

void RemoveRowDeviceButtons(int16_t row) {
  for (int16_t k = 1; k <= kMaxDevices; ++k) rt::DisposeControl(I16(10 * row + k));
}

void MakeSequenceToggles(int16_t n) {
  // Below the first row, so the toggles share no space with the rows' buttons.
  for (int16_t k = 1; k <= n && k <= kMaxDevices; ++k) {
    const int16_t button = I16(10 + k);
    rt::DisposeControl(button);
    rt::NewControl(button, rt::ControlType::PushButton, std::to_string(k),
                   RectOf(321 + 18 * k, 240, 339 + 18 * k, 257), 1);
  }
  rt::DisposeControl(SwitchItem::NoRefsBetweenChannels);
  rt::NewControl(SwitchItem::NoRefsBetweenChannels, rt::ControlType::CheckBox,
                 "No References Between Channels", RectOf(370, 274, 640, 292),
                 SkipRefsBetweenChannels != 0 ? 2 : 1);
  SetState(SwitchItem::ZeroLinks, 0);
}

void RedrawPanelTitle() {
  EmbossPrint(0, "Device control", 12, 36, 20);
}

}  // namespace

// ---- rules ----------------------------------------------------------------------------------------

bool TwoGroupPattern(int16_t p) {
  return p == 2 || p == 4 || p == 6 || p == 8;
}
bool SequentialPattern(int16_t p) {
  return p == 9 || p == 10;
}

std::optional<Str255> GroupText(int16_t pattern, int16_t device, int16_t deviceCount, GroupTextStyle style) {
  const bool groupTwo = device > deviceCount / 2;
  if (style == GroupTextStyle::Click) {
    if (device <= 0) return Str255(" ");
    if (pattern == 0) return std::nullopt;
    if (!TwoGroupPattern(pattern)) return Str255("combined");
    if (device > deviceCount) return Str255(" ");
    return Str255(groupTwo ? "  Group 2" : "  Group 1");
  }
  if (device <= 0 || device > deviceCount) return Str255(" ");
  const char* lead = style == GroupTextStyle::Opening ? "  " : " ";
  if (pattern == 2 || pattern == 4 || pattern == 8) return Str255(lead) + (groupTwo ? "Group 2" : "Group 1");
  if (pattern == 6) return Str255(lead) + (groupTwo ? "Group 2 " : "Group 1");
  return Str255("Combined");
}

Str255 ChannelRowText(int16_t channel) {
  return Str255(std::to_string(channel)) + ": " + ChannelLabelField(channel);
}

// ---- the rows ----------------------------------------------------------------------------------------

void MakeTheDeviceButtons(int16_t n) {
  rt::SetOutputWindow(kSwitchWindow);
  if (SequentialPattern(SwitchingMode)) {
    MakeSequenceToggles(n);
    return;
  }
  for (int16_t row = 1; row <= nChannels; ++row) MakeRowDeviceButtons(row, n);
}

void DrawGroupColumn(GroupTextStyle style) {
  for (int16_t row = 1; row <= nChannels; ++row)
    SetGroupField(row, *GroupText(SwitchingMode, DeviceOf(row), DeviceCount(), style));
}

void DrawDeviceRows(bool atOpening) {
  const bool sequential = SequentialPattern(SwitchingMode);
  const double size = atOpening ? 15 : 14;
  if (!atOpening) ClearArea(0, 182, 642, 220);
  if (sequential) {
    Heading("Channel to switch:", 40, 212, size, !atOpening);
    Heading("Devices to use:", 365, 212, size, !atOpening);
  } else {
    if (!atOpening) CGdrawBox(1, LightGray, 1, 0, 182, 640, 219, 0);
    Heading("Select the devices for switched channels:", 10, 197, size, !atOpening);
    const rt::FontSpec font = KitFont(KestraneFont, 12);
    rt::DrawText(35, 216, "Channel number and label", font, kBlack);
    rt::DrawText(240, 216, "Status (on/off)", font, kBlack);
    rt::DrawText(355, 216, "Device number", font, kBlack);
    rt::DrawText(490, 216, "Group", font, kBlack);
    rt::DrawText(540, 216, "Switch pattern", font, kBlack);
  }
  for (int16_t row = 1; row <= nChannels; ++row) {
    MakeChannelField(row);
    const int16_t first = I16(10 * row);
    rt::DisposeControl(first);
    const char* title = sequential ? (atOpening ? "<- select" : "<- Select") : "not used";
    rt::NewControl(first, rt::ControlType::RadioButton, title, RowButtons(row), 1);
  }
  if (!sequential) DrawGroupColumn(atOpening ? GroupTextStyle::Opening : GroupTextStyle::Relayout);
}

void RelayDeviceButtons() {
  rt::SetOutputWindow(kSwitchWindow);
  const int16_t n = DeviceCount();
  if (SequentialPattern(SwitchingMode)) {
    for (int16_t k = 1; k <= kMaxDevices; ++k) rt::DisposeControl(I16(10 + k));
    MakeSequenceToggles(n);
  } else {
    for (int16_t row = 1; row <= nChannels; ++row) {
      RemoveRowDeviceButtons(row);
      MakeRowDeviceButtons(row, n);
    }
    DrawGroupColumn(GroupTextStyle::Opening);
  }
  FixSWITCHBUTTON();
}

void DRAWSWITCHBUTTONS(int16_t flag) {
  rt::SetOutputWindow(kSwitchWindow);
  if (flag == 1) {
    ClearArea(0, 182, 642, 220);
    ClearArea(483, 210, 642, 542);
    for (int16_t row = 1; row <= nChannels; ++row) {
      RemoveRowDeviceButtons(row);
      rt::DisposeEditField(I16(SwitchItem::GroupTextBase + row));
    }
    SwitchingMode = SwitchingPatternCode::SequentialDevices;
    DrawDeviceRows(false);
    MakeSequenceToggles(DeviceCount());
    FixSWITCHBUTTON();
    for (int16_t row = 1; row <= 16; ++row) ChannelVariables[row][ChanField::Device] = 0;
    if (ValidRef(RefChan)) Mark(RefChan, true);
  } else {
    for (int16_t k = 1; k <= kMaxDevices; ++k) rt::DisposeControl(I16(10 + k));
    rt::DisposeControl(SwitchItem::NoRefsBetweenChannels);
    ClearArea(0, 182, 642, 220);
    ClearArea(250, 238, 640, 300);
    DrawDeviceRows(false);
    MakeIntervalFields();
    DrawSwitchingPatternCode();
    SWITCHDIAGRAM();
    MakeRowDeviceButtons(1, DeviceCount());
    for (int16_t row = 1; row <= nChannels; ++row)
      for (int16_t k = 1; k <= kMaxDevices; ++k) Mark(I16(10 * row + k), false);
  }
  RedrawPanelTitle();
  rt::FlushWindow();
}

// ---- the reference buttons --------------------------------------------------------------------------

void DRAWREFBUTTONS() {
  rt::SetOutputWindow(kSwitchWindow);
  // A reference is a device like any other: only those the outputs can switch.
  const int16_t count = DeviceCount();
  const int16_t perColumn = count / 2;
  for (int16_t k = 1; k <= kMaxDevices; ++k) rt::DisposeControl(k);
  for (int16_t k = 1; k <= count; ++k) {
    const bool left = k <= perColumn;
    const int x = left ? 35 : 185;
    const int y = 88 + 20 * ((left ? k : k - perColumn) - 1);
    rt::NewControl(k, rt::ControlType::RadioButton, Str255("Device # ") + std::string_view(std::to_string(k)),
                   RectOf(x, y, x + 100, y + 18), 1);
  }
}

void DRAWREFLINE() {
  rt::SetOutputWindow(kSwitchWindow);
  const bool two = TwoGroupPattern(SwitchingMode);
  const int16_t field = SwitchItem::ReferencePrompt;
  EFForeColor = 1;
  EFBackColor = 7;
  BUILDEF(field, two ? "  Select 2 reference devices:" : "  Select 1 reference device:", 40, 64, 280, 80, 5,
          0);
  rt::SetEditColors(field, kBlack, LightGray);
  rt::SetEditFont(field, KitFont(KestraneFont, 14));
  // One group has one reference: group 2's button goes off, unless it is that one.
  if (ValidRef(RefChan2) && (two || RefChan2 != RefChan)) Mark(RefChan2, two);
}

void DRAWGROUP(int16_t channel, int16_t device) {
  if (channel < 1 || channel > nChannels) return;
  if (const auto text = GroupText(SwitchingMode, device, DeviceCount(), GroupTextStyle::Click))
    SetGroupField(channel, *text);
}

void ReferenceButtonsOff() {
  for (int16_t k = 1; k <= kMaxDevices; ++k) Mark(k, false);
}

void FixSWITCHBUTTON() {
  rt::SetOutputWindow(kSwitchWindow);
  const int16_t p = SwitchingMode;
  if (p == 9) {
    Mark(I16(10 * SwitchedChannel()), true);
    ReferenceButtonsOff();
    for (int16_t k = 1; k <= kMaxDevices; ++k) Mark(I16(10 + k), DeviceOf(k) > 0);
  } else if (p == 10) {
    Mark(SwitchItem::NoRefsBetweenChannels, SkipRefsBetweenChannels != 0);
    if (ValidRef(RefChan)) Mark(RefChan, true);
    for (int16_t row = 1; row <= nChannels; ++row) Mark(I16(10 * row), row == SwitchedChannel());
    for (int16_t k = 1; k <= kMaxDevices; ++k) Mark(I16(10 + k), DeviceOf(k) > 0);
  } else {
    ReferenceButtonsOff();
    for (int16_t row = 1; row <= nChannels; ++row) {
      const int16_t d = DeviceOf(row);
      for (int16_t k = 0; k <= kMaxDevices; ++k) Mark(I16(10 * row + k), d > 0 ? k == d : k == 0);
    }
  }
  if (p == 1 || p == 3 || p == 5 || p == 7) {
    SetState(SwitchItem::TwoGroups, 1);
    if (ValidRef(RefChan)) Mark(RefChan, true);
  } else if (p == 0) {
    SetState(SwitchItem::TwoGroups, 0);
  } else if (p == 9 || p == 10) {
    SetState(SwitchItem::ZeroLinks, 0);
  } else if (TwoGroupPattern(p)) {
    SetState(SwitchItem::TwoGroups, 2);
    // Every reference the set-up holds is shown, in its group or not: one in the wrong
    // group is named under the rows and refused at "Setup OK", never dropped unseen.
    if (ValidRef(RefChan2)) Mark(RefChan2, true);
    if (ValidRef(RefChan)) Mark(RefChan, true);
  }
  // Scope-plus-chart recordings switch one group only, and so does a coding that gives
  // group 2 no lines.
  if (!SecondGroupSwitchable(External_AD, PrefsArray[PrefsSlot::DigitalOutputCoding]) || p == 9 ||
      RecordingMODE == RecordingModeCode::ScopeChart)
    SetState(SwitchItem::TwoGroups, 0);
}

// ---- clicks --------------------------------------------------------------------------------------

void ClickReferenceButton(int16_t k) {
  const int16_t p = SwitchingMode;
  if (p == 0 || !ValidRef(k)) return;
  const int16_t previous = RefChan;
  SampleValve = previous < 0 ? 0 : previous;
  if (!TwoGroupPattern(p)) {
    RefChan = k;
    ReferenceButtonsOff();
    Mark(k, true);
    return;
  }
  const int16_t last1 = GroupOneLastDevice(External_AD);
  if (k <= last1)
    RefChan = k;
  else
    RefChan2 = k;
  // The buttons show the two references as they now stand (a set-up from another
  // interface may have held both in one group).
  ReferenceButtonsOff();
  if (ValidRef(RefChan)) Mark(RefChan, true);
  if (ValidRef(RefChan2)) Mark(RefChan2, true);
}

void ClickDeviceButton(int16_t button) {
  const int16_t row = I16(button / 10);
  const int16_t k = I16(button % 10);
  if (SequentialPattern(SwitchingMode)) {
    if (k == 0) {
      if (row < 1 || row > nChannels) return;
      for (int16_t r = 1; r <= nChannels; ++r) Mark(I16(10 * r), false);
      Mark(button, true);
      ChannelVariables[0][0] = row;
    } else if (row == 1 && k <= kMaxDevices) {
      float& used = ChannelVariables[k][ChanField::Device];
      used = used > 0 ? 0.0f : 1.0f;
      Mark(button, used > 0);
    }
    return;
  }
  if (row < 1 || row > nChannels || k > kMaxDevices) return;
  for (int16_t b = 0; b <= kMaxDevices; ++b) Mark(I16(10 * row + b), false);
  ChannelVariables[row][ChanField::Device] = k;
  DRAWGROUP(row, k);
  Mark(button, true);
}

void ClickNoRefsBetweenChannels() {
  SkipRefsBetweenChannels = SkipRefsBetweenChannels != 0 ? 0 : 1;
  Mark(SwitchItem::NoRefsBetweenChannels, SkipRefsBetweenChannels != 0);
}

}  // namespace mv
