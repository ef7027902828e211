// The windows the conversions window opens that come from elsewhere or are not
// part of the program yet: the gas-exchange options and the direct calibration.
// Each is a hook (see kit/hook.h) that starts "not built"; the owner installs
// the real window at start-up and tests install fakes. While a hook is not built,
// the conversions window shows its button dimmed.
#pragma once
#include <cstdint>

#include "kit/hook.h"

namespace mv::conversion_hooks {

// The gas-exchange options of a channel (" Conversion Options, Channel"); may
// change the channel's label.
extern Hook<void(int16_t channel)> ConversionOptions;
// The direct calibration of a channel. It leaves Action 4 when its window was
// closed by its close box (the conversions window is then built again), anything
// else when it handed back a fit in aval, bval, exponent, the type code and miny,
// maxy.
extern Hook<void(int16_t channel)> DIRECTCAL;

// Restores both hooks to their defaults.
void ResetConversionWindowHooks();

}  // namespace mv::conversion_hooks
