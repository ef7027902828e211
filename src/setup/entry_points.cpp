#include "setup/entry_points.h"

#include "setup/channel_dialogs.h"
#include "setup/interval_rules.h"
#include "shell/kit/services.h"

namespace mv::setup_hooks {

std::function<bool(int16_t, int16_t)> SELECTCHANNEL;
std::function<bool(int16_t)> ConversionsWindow;
std::function<bool(int16_t)> SCALE;
std::function<void()> MAXAVERAGE;
std::function<bool(int16_t)> AVERAGING;
std::function<void()> ExternalDeviceControl;
std::function<void()> SELECTNEXTVALVE;
std::function<void()> DATATAKERSTATUS;
std::function<void()> CLEARARRAY;
std::function<void(int16_t, int16_t)> ADAMChannels;
std::function<void(int16_t)> InspectSerialInput;
std::function<void()> SwitchDT800ToHIGHSpeed;
std::function<void()> SwitchDT800ToLOWSpeed;
std::function<void(int16_t, int16_t)> DoMENU;
std::function<void(int16_t)> CHECKCHANNEL;
std::function<void()> TRIGGER;
std::function<void()> SETCHARTVIEW;
std::function<void()> SETSCOPEVIEW;
std::function<void()> ChangeCHARTHITE;
std::function<void()> GetSequenceLabels;
std::function<void(int16_t, int16_t)> SetADAM;
std::function<void()> MENU_100;
std::function<void()> COLORSELECT;

void ResetSetupHooks() {
  SELECTCHANNEL = [](int16_t channel, int16_t store) { return ::mv::SELECTCHANNEL(channel, store); };
  ConversionsWindow = [](int16_t) { return false; };
  SCALE = [](int16_t channel) { return ::mv::SCALE(channel); };
  MAXAVERAGE = [] { ::mv::MAXAVERAGE(); };
  AVERAGING = [](int16_t channel) { return ::mv::AVERAGING(channel); };
  ExternalDeviceControl = [] {};
  SELECTNEXTVALVE = [] {};
  DATATAKERSTATUS = [] {};
  CLEARARRAY = [] {};
  ADAMChannels = [](int16_t, int16_t) {};
  InspectSerialInput = [](int16_t) {};
  SwitchDT800ToHIGHSpeed = [] {};
  SwitchDT800ToLOWSpeed = [] {};
  DoMENU = [](int16_t menu, int16_t item) { services::ShortMENU(menu, item); };
  CHECKCHANNEL = [](int16_t) {};
  TRIGGER = [] {};
  SETCHARTVIEW = [] {};
  SETSCOPEVIEW = [] {};
  ChangeCHARTHITE = [] {};
  GetSequenceLabels = [] {};
  SetADAM = [](int16_t, int16_t) {};
  MENU_100 = [] {};
  COLORSELECT = [] {};
}

namespace {
// The hooks hold their defaults before main runs.
[[maybe_unused]] const bool kDefaultsSet = (ResetSetupHooks(), true);
}  // namespace

}  // namespace mv::setup_hooks

namespace mv {

void InstallChannelDialogs() {
  setup_hooks::SELECTCHANNEL = [](int16_t channel, int16_t store) { return SELECTCHANNEL(channel, store); };
  setup_hooks::SCALE = [](int16_t channel) { return SCALE(channel); };
  setup_hooks::MAXAVERAGE = [] { MAXAVERAGE(); };
  setup_hooks::AVERAGING = [](int16_t channel) { return AVERAGING(channel); };
}

}  // namespace mv
