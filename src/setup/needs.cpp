#include "setup/needs.h"

#include "acquisition/markers.h"
#include "control/switch_window.h"
#include "control/switching.h"
#include "control/trigger_window.h"
#include "conversions/conversions_window.h"
#include "conversions/needs.h"
#include "devices/adam_reader.h"
#include "devices/adam_windows.h"
#include "devices/datataker_inputs_window.h"
#include "devices/datataker_reader.h"
#include "setup/channel_check_window.h"
#include "setup/channel_dialogs.h"
#include "setup/interval_rules.h"
#include "setup/serial_instrument_windows.h"

namespace mv::setup_hooks {

namespace {

void ReducedMenuHandler(int16_t menu, int16_t item) {
  services::ShortMENU(menu, item);
}

}  // namespace

Hook<bool(int16_t, int16_t)> SELECTCHANNEL{"setup_hooks::SELECTCHANNEL", ::mv::SELECTCHANNEL};
Hook<bool(int16_t)> ConversionsWindow{"setup_hooks::ConversionsWindow", CONVERT};
Hook<bool(int16_t)> SCALE{"setup_hooks::SCALE", ::mv::SCALE};
Hook<void()> MAXAVERAGE{"setup_hooks::MAXAVERAGE", ::mv::MAXAVERAGE};
Hook<bool(int16_t)> AVERAGING{"setup_hooks::AVERAGING", ::mv::AVERAGING};
Hook<void()> ExternalDeviceControl{"setup_hooks::ExternalDeviceControl", ::mv::ExternalDeviceControl};
Hook<void()> SELECTNEXTVALVE{"setup_hooks::SELECTNEXTVALVE", ::mv::SELECTNEXTVALVE};
Hook<void()> DATATAKERSTATUS{"setup_hooks::DATATAKERSTATUS", ::mv::DATATAKERSTATUS};
Hook<void()> CLEARARRAY{"setup_hooks::CLEARARRAY", ::mv::CLEARARRAY};
Hook<void(int16_t, int16_t)> ADAMChannels{"setup_hooks::ADAMChannels", ::mv::ADAMChannels};
Hook<void(int16_t)> InspectSerialInput{"setup_hooks::InspectSerialInput", ::mv::InspectSerialInput};
Hook<void()> SwitchDT800ToHIGHSpeed{"setup_hooks::SwitchDT800ToHIGHSpeed", ::mv::SwitchDT800ToHIGHSpeed};
Hook<void()> SwitchDT800ToLOWSpeed{"setup_hooks::SwitchDT800ToLOWSpeed", ::mv::SwitchDT800ToLOWSpeed};
Hook<void(int16_t)> CHECKCHANNEL{"setup_hooks::CHECKCHANNEL", ::mv::CHECKCHANNEL};
Hook<void()> TRIGGER{"setup_hooks::TRIGGER", ::mv::TRIGGER};
Hook<void(int16_t, int16_t)> SetADAM{"setup_hooks::SetADAM", ::mv::SetADAM};
Hook<void()> MENU_100{"setup_hooks::MENU_100"};
Hook<void(int16_t, int16_t)> DoMENU{"setup_hooks::DoMENU", ReducedMenuHandler};

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
