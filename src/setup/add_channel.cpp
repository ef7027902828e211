#include "setup/add_channel.h"

#include "conversions/state.h"
#include "devices/state.h"
#include "kit/builders.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/menus.h"
#include "runtime/windows.h"
#include "setup/channel_heading.h"
#include "setup/channel_table.h"
#include "setup/needs.h"
#include "setup/state.h"

namespace mv {

namespace {

constexpr int16_t kADMenu = 4, kAutorepeatItem = 19, kAddChannelItem = 21;

// The added channel's slot becomes 30 blanks; its string ends there. A short string
// is first filled with blanks up to the slot, so the new label lands in its own slot.
void StartLabelSlot(int16_t channel) {
  Str255& s = channel <= 8 ? datalabel : datalabel2;
  const int k = channel <= 8 ? channel : channel - 8;
  const std::size_t before = static_cast<std::size_t>(k - 1) * kLabelWidth;
  Str255 kept = s.mid(1, before);
  kept.resize(before, ' ');
  s = LimitLabelString(kept + Str255(kLabelWidth, ' '));
}

void SetLinearConversion(int16_t channel) {
  auto& r = ChannelVariables[channel];
  aval = 0.0f;
  bval = 1.0f;
  exponent = 0.0f;
  ChannelVariables[0][channel] = 1.0f;
  r[ChanField::A] = 0.0f;
  r[ChanField::B] = 1.0f;
  r[ChanField::C] = 0.0f;
}

bool ScopeThermocoupleOnDT800(int16_t channel) {
  return External_AD == ExternalADCode::DT800 && RecordingMODE == RecordingModeCode::Scope && channel == 1 &&
         DataTakerChannels[1][DataTakerWord::Kind] == 0;
}

}  // namespace

PlotRange StartingPlotRange(ChannelSetupRoute route, int16_t externalAD) {
  if (route == ChannelSetupRoute::Added)
    return externalAD == ExternalADCode::ADC1 ? PlotRange{-0.42f, 0.42f} : PlotRange{-5.0f, 5.0f};
  switch (externalAD) {
    case ExternalADCode::ADC1:
      return {-0.4f, 0.4f};
    case ExternalADCode::DT800:
      return {-10.0f, 10.0f};
    case ExternalADCode::DT500:
      return {-2.5f, 2.5f};
    case ExternalADCode::DT80:
    case ExternalADCode::DT85:
      return {-3.0f, 3.0f};
    default:
      return {-5.0f, 5.0f};
  }
}

void SetUpChannelRecord(int16_t channel, ChannelSetupRoute route) {
  if (channel < 1 || channel > 16) return;
  auto& r = ChannelVariables[channel];
  const PlotRange range = StartingPlotRange(route, External_AD);
  if (route == ChannelSetupRoute::Added) {
    setup_hooks::SELECTCHANNEL(channel, 1);
    r[ChanField::Input] = InputNumber;
    StartLabelSlot(channel);
    SetLinearConversion(channel);
  } else {
    r[ChanField::Input] = InputNumber;
    SetLinearConversion(channel);
  }
  r[ChanField::PlotMax] = range.max;
  r[ChanField::PlotMin] = range.min;
  if (route == ChannelSetupRoute::FirstSetup) setup_hooks::SELECTCHANNEL(channel, 1);

  // The conversions window may propose a range; the scaling dialog starts from it,
  // or from the starting range when nothing was proposed.
  miny = range.min;
  maxy = range.max;
  setup_hooks::ConversionsWindow(channel);
  r[ChanField::A] = aval;
  r[ChanField::B] = bval;
  r[ChanField::C] = exponent;
  setup_hooks::SCALE(channel);
  r[ChanField::PlotMin] = miny;
  r[ChanField::PlotMax] = maxy;
  if (route == ChannelSetupRoute::FirstSetup && ScopeThermocoupleOnDT800(channel)) {
    r[ChanField::PlotMin] = 0.0f;
    r[ChanField::PlotMax] = 40.0f;
  }

  SamplesToAverage = 1;
  if (RecordingMODE < RecordingModeCode::ScopeChart) {
    setup_hooks::MAXAVERAGE();
    setup_hooks::AVERAGING(channel);
  }
  r[ChanField::Averaged] = static_cast<float>(SamplesToAverage);
}

bool ADD_a_CHANNEL() {
  // A 17th channel would run past every per-channel table and the label strings.
  if (RecordingMODE == RecordingModeCode::Scope || nChannels >= ChannelLimit(RecordingMODE) ||
      nChannels < 0) {
    zap();
    return false;
  }
  const int16_t n = ++nChannels;
  CHANNELNUMBER(n);
  rt::SetTextFont(KitFont(KestraneFont, 12));
  rt::SetTextColor(RGBColor{0, 0, 0});
  SetUpChannelRecord(n, ChannelSetupRoute::Added);
  SetChanParams(0, 0);
  if (RecordingMODE == RecordingModeCode::ScopeChart) {
    rt::EnableMenuItem(kADMenu, kAddChannelItem, n <= 4);
  } else {
    rt::EnableMenuItem(kADMenu, kAddChannelItem, n <= 15);
  }
  rt::EnableMenuItem(kADMenu, kAutorepeatItem, true);
  return true;
}

void SetUpChannelsOfNewSetup() {
  const int16_t n = nChannels > 16 ? 16 : nChannels;
  if (External_AD == ExternalADCode::SerialStream) {
    // The streaming panel chose the variables and labels already.
    if (n <= 0) zap();
    for (int16_t c = 1; c <= n; ++c) {
      auto& r = ChannelVariables[c];
      r[ChanField::A] = 0.0f;
      r[ChanField::B] = 1.0f;
      r[ChanField::C] = 0.0f;
      r[ChanField::Averaged] = 1.0f;
    }
    return;
  }
  for (int16_t c = 1; c <= n; ++c) {
    CHANNELNUMBER(c);
    SetUpChannelRecord(c, ChannelSetupRoute::FirstSetup);
  }
}

}  // namespace mv
