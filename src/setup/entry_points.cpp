#include "setup/entry_points.h"

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
std::function<void(int16_t, int16_t, int16_t)> PLACE_AD_ICON;

void ResetSetupHooks() {
  SELECTCHANNEL = [](int16_t, int16_t) { return false; };
  ConversionsWindow = [](int16_t) { return false; };
  SCALE = [](int16_t) { return false; };
  MAXAVERAGE = [] {};
  AVERAGING = [](int16_t) { return false; };
  ExternalDeviceControl = [] {};
  SELECTNEXTVALVE = [] {};
  DATATAKERSTATUS = [] {};
  CLEARARRAY = [] {};
  PLACE_AD_ICON = [](int16_t, int16_t, int16_t) {};
}

namespace {
// The hooks hold their defaults before main runs.
[[maybe_unused]] const bool kDefaultsSet = (ResetSetupHooks(), true);
}  // namespace

}  // namespace mv::setup_hooks
