#include "kit/channel_labels.h"

#include <string>

#include "kit/state.h"

namespace mv {
namespace {

bool ValidChannel(int16_t channel) {
  return channel >= 1 && channel <= 16;
}

Str255& LabelStringOf(int16_t channel) {
  return channel <= 8 ? datalabel : datalabel2;
}

// 1-based start of the channel's slot in its string.
std::size_t SlotStart(int16_t channel) {
  const int k = channel <= 8 ? channel : channel - 8;
  return static_cast<std::size_t>(k - 1) * kLabelWidth + 1;
}

}  // namespace

Str255 ChannelLabel(int16_t channel) {
  if (!ValidChannel(channel)) return {};
  return LabelStringOf(channel).mid(SlotStart(channel), kLabelWidth);
}

Str255 ChannelLabelField(int16_t channel) {
  Str255 label = ChannelLabel(channel);
  label.resize(kLabelWidth, ' ');
  return label;
}

void SetChannelLabel(int16_t channel, std::string_view text) {
  if (!ValidChannel(channel)) return;
  std::string s = LabelStringOf(channel).str();
  const std::size_t start = SlotStart(channel) - 1;
  if (s.size() < start + kLabelWidth) s.resize(start + kLabelWidth, ' ');
  std::string field(text.substr(0, kLabelWidth));
  field.resize(kLabelWidth, ' ');
  s.replace(start, kLabelWidth, field);
  LabelStringOf(channel) = LimitLabelString(Str255(s));
}

Str255 LimitLabelString(const Str255& s) {
  return s.mid(1, kLabelStringLimit);
}

}  // namespace mv
