#include "control/sequence_labels.h"

#include <string>

#include "control/state.h"
#include "control/switch_buttons.h"
#include "conversions/needs.h"
#include "kit/builders.h"
#include "kit/channel_labels.h"
#include "kit/format.h"
#include "kit/protocol.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/windows.h"
#include "setup/state.h"

namespace mv {

namespace {

constexpr int16_t W = kSequenceLabelsWindow;
constexpr int16_t kOKButton = 1, kChannelField = 9;
constexpr int kSlots = 8;
constexpr RGBColor kBlack{0, 0, 0};

rt::FontSpec Bold12() {
  rt::FontSpec font = KitFont(KestraneFont, 12);
  font.bold = true;
  return font;
}

Str255 SlotText(int16_t k) {
  Str255 slot = prefix.mid(static_cast<std::size_t>(kDeviceLabelWidth * (k - 1) + 1), kDeviceLabelWidth);
  TRUNCATE(slot);
  return slot;
}

void BuildLabelsWindow(const std::vector<int16_t>& used) {
  rt::CloseWindow(W);
  BuildWINDOW(W, "Sequential File Identifiers", 120, 50, 450, 360, 6);
  bup();
  BuildGrayBox(10, 50, 310, 270, 1);
  rt::DrawText(45, 18, "The switched channel is:", Bold12(), kBlack);
  BUILDEF(kChannelField, SwitchedChannelLine(static_cast<int16_t>(ChannelVariables[0][0])), 12, 25, 308, 40,
          5, 0);
  const rt::FontSpec plain = KitFont(KestraneFont, 12);
  rt::DrawText(20, 65, "Enter a unique label for each device used.", plain, kBlack);
  rt::DrawText(20, 82, "     (20 characters maximum)", plain, kBlack);
  for (std::size_t n = 0; n < used.size(); ++n) {
    const int16_t k = used[n];
    const int y = static_cast<int>(21 * n);
    rt::DrawText(22, 109 + y, (Str255("device") + NumText(k) + ":").str(), Bold12(), kBlack);
    BUILDEF(k, SlotText(k), 95, static_cast<int16_t>(96 + y), 240, static_cast<int16_t>(112 + y), 1, 0);
    rt::SetEditFont(k, plain);
    rt::SetEditColors(k, kBlack, RGBColor{0xFFFF, 0xFFFF, 0xFFFF});
  }
  rt::NewControl(kOKButton, rt::ControlType::DefaultButton, "Selection OK", Rect{150, 280, 300, 300}, 1);
  if (!used.empty()) rt::FocusEditField(used.front());
  rt::FlushWindow();
}

// Return moves on to the next listed field; true when it was the last.
bool ReturnLeavesLastField(const std::vector<int16_t>& used) {
  const int16_t current = rt::FocusedEditField();
  for (std::size_t n = 0; n < used.size(); ++n) {
    if (used[n] != current) continue;
    if (n + 1 == used.size()) return true;
    rt::FocusEditField(used[n + 1]);
    return false;
  }
  if (used.empty()) return true;
  rt::FocusEditField(used.front());
  return false;
}

}  // namespace

std::vector<int16_t> SequencePositionsInUse() {
  std::vector<int16_t> used;
  for (int16_t k = 1; k <= kSlots; ++k)
    if (ChannelVariables[k][ChanField::Device] > 0) used.push_back(k);
  return used;
}

Str255 WithDeviceLabel(const Str255& labels, int16_t k, std::string_view text) {
  if (k < 1 || k > kSlots) return labels;
  std::string all = labels.str();
  if (all.size() < static_cast<std::size_t>(kDeviceLabelWidth * kSlots))
    all.resize(kDeviceLabelWidth * kSlots, ' ');
  std::string slot(text.substr(0, kDeviceLabelWidth));
  slot.resize(kDeviceLabelWidth, ' ');
  all.replace(static_cast<std::size_t>(kDeviceLabelWidth * (k - 1)), kDeviceLabelWidth, slot);
  return Str255(all);
}

Str255 SwitchedChannelLine(int16_t channel) {
  return Str255("#") + std::string_view(std::to_string(channel)) + ": " + ChannelLabelField(channel);
}

void GetSequenceLabels() {
  const HandlerScope callersHandlers;
  services::SetUpMENUs(0);
  rt::SetMenuHandler([](int16_t menu, int16_t menuItem) { services::ShortMENU(menu, menuItem); });
  rt::SetDialogHandler(doDIALOG);
  rt::SetEditKeyHandler(CheckRETURN);
  // Zero links do not apply to a sequence of files: none is kept.
  zerolink[0] = 0;
  DropZeroLinksNotInForce();
  if (ChannelVariables[0][0] == 0) ChannelVariables[0][0] = 1;
  const std::vector<int16_t> used = SequencePositionsInUse();
  SwitchSequenceArray.fill(0);
  for (std::size_t n = 0; n < used.size(); ++n) SwitchSequenceArray[n + 1] = used[n];
  BuildLabelsWindow(used);
  Action = 0;
  EventID = 0;
  bool done = false;
  while (!done && rt::WindowExists(W)) {
    rt::PumpEvents();
    if (!rt::WindowExists(W)) break;
    rt::SetOutputWindow(W);
    if (Action == ActionCode::Click && EventID == kOKButton) done = true;
    if (Action == ActionCode::WindowActivity || Action == ActionCode::CloseBox) done = true;
    if (Action == ActionCode::Key) done = ReturnLeavesLastField(used);
    Action = 0;
    EventID = 0;
  }
  if (rt::WindowExists(W)) {
    rt::SetOutputWindow(W);
    for (const int16_t k : used) prefix = WithDeviceLabel(prefix, k, rt::EditText(k));
  }
  rt::CloseWindow(W);
  SequenceChecked = 1;
  services::SetUpMENUs(1);
}

}  // namespace mv
