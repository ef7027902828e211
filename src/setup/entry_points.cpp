#include "setup/entry_points.h"

#include "conversions/needs.h"
#include "setup/channel_dialogs.h"
#include "setup/interval_rules.h"

namespace mv::setup_hooks {

namespace {

// The dialogs of this subsystem are the defaults of their hooks.
bool OwnInputDialog(int16_t channel, int16_t storeFlag) {
  return ::mv::SELECTCHANNEL(channel, storeFlag);
}
bool OwnScalingDialog(int16_t channel) {
  return ::mv::SCALE(channel);
}
void OwnAveragingLimit() {
  ::mv::MAXAVERAGE();
}
bool OwnAveragingDialog(int16_t channel) {
  return ::mv::AVERAGING(channel);
}
void ReducedMenuHandler(int16_t menu, int16_t item) {
  services::ShortMENU(menu, item);
}

}  // namespace

Hook<bool(int16_t, int16_t)> SELECTCHANNEL{"setup_hooks::SELECTCHANNEL", OwnInputDialog};
Hook<bool(int16_t)> ConversionsWindow{"setup_hooks::ConversionsWindow"};
Hook<bool(int16_t)> SCALE{"setup_hooks::SCALE", OwnScalingDialog};
Hook<void()> MAXAVERAGE{"setup_hooks::MAXAVERAGE", OwnAveragingLimit};
Hook<bool(int16_t)> AVERAGING{"setup_hooks::AVERAGING", OwnAveragingDialog};
Hook<void()> ExternalDeviceControl{"setup_hooks::ExternalDeviceControl"};
Hook<void()> SELECTNEXTVALVE{"setup_hooks::SELECTNEXTVALVE"};
Hook<void()> DATATAKERSTATUS{"setup_hooks::DATATAKERSTATUS"};
Hook<void()> CLEARARRAY{"setup_hooks::CLEARARRAY"};
Hook<void(int16_t, int16_t)> ADAMChannels{"setup_hooks::ADAMChannels"};
Hook<void(int16_t)> InspectSerialInput{"setup_hooks::InspectSerialInput"};
Hook<void()> SwitchDT800ToHIGHSpeed{"setup_hooks::SwitchDT800ToHIGHSpeed"};
Hook<void()> SwitchDT800ToLOWSpeed{"setup_hooks::SwitchDT800ToLOWSpeed"};
Hook<void(int16_t, int16_t)> DoMENU{"setup_hooks::DoMENU", ReducedMenuHandler};
Hook<void(int16_t)> CHECKCHANNEL{"setup_hooks::CHECKCHANNEL"};
Hook<void()> TRIGGER{"setup_hooks::TRIGGER"};
Hook<void()> SETCHARTVIEW{"setup_hooks::SETCHARTVIEW"};
Hook<void()> SETSCOPEVIEW{"setup_hooks::SETSCOPEVIEW"};
Hook<void()> ChangeCHARTHITE{"setup_hooks::ChangeCHARTHITE"};
Hook<void()> GetSequenceLabels{"setup_hooks::GetSequenceLabels"};
Hook<void(int16_t, int16_t)> SetADAM{"setup_hooks::SetADAM"};
Hook<void()> MENU_100{"setup_hooks::MENU_100"};
Hook<void()> COLORSELECT{"setup_hooks::COLORSELECT"};

void ResetSetupHooks() {
  ResetHooks("setup_hooks::");
}

}  // namespace mv::setup_hooks

namespace mv {

void InstallChannelDialogs() {
  setup_hooks::SELECTCHANNEL = [](int16_t channel, int16_t store) { return SELECTCHANNEL(channel, store); };
  setup_hooks::SCALE = [](int16_t channel) { return SCALE(channel); };
  setup_hooks::MAXAVERAGE = [] { MAXAVERAGE(); };
  setup_hooks::AVERAGING = [](int16_t channel) { return AVERAGING(channel); };
}

}  // namespace mv
