// Calls from the channel-table code into dialogs and services that live elsewhere:
// the per-channel dialogs (input, conversions, scaling, averaging), the switching
// set-up, the DataTaker input-mode window, the scope rows and the
// interface picture. Each is a hook with a harmless default; the owner installs the
// real one at start-up and tests install recording fakes. A dialog hook returns true
// when the user changed something; the defaults change nothing and return false,
// so a channel added before its dialogs exist keeps its starting values.
#pragma once
#include <cstdint>
#include <functional>

namespace mv::setup_hooks {

// ---- per-channel dialogs ----------------------------------------------------------------
// The input selection dialog: leaves the chosen input in InputNumber (and in field 1
// of the channel's record when storeFlag is 1).
extern std::function<bool(int16_t channel, int16_t storeFlag)> SELECTCHANNEL;
// The conversions window: leaves a, b, c in aval, bval, exponent and may propose a
// plot range in miny, maxy.
extern std::function<bool(int16_t channel)> ConversionsWindow;
// The display scaling dialog: leaves the range in miny, maxy.
extern std::function<bool(int16_t channel)> SCALE;
// The most readings that fit into one chart interval (MaxAvrg).
extern std::function<void()> MAXAVERAGE;
// The averaging dialog: leaves the readings averaged in SamplesToAverage.
extern std::function<bool(int16_t channel)> AVERAGING;

// ---- services of other subsystems --------------------------------------------------------
// The switching set-up window.
extern std::function<void()> ExternalDeviceControl;
// Chooses the next sample device after PresentChan.
extern std::function<void()> SELECTNEXTVALVE;
// The DataTaker input-mode window.
extern std::function<void()> DATATAKERSTATUS;
// Clears the scope sample rows after every strip layout.
extern std::function<void()> CLEARARRAY;
// Draws the current interface's picture at (x, y), small when small is 1.
extern std::function<void(int16_t x, int16_t y, int16_t small)> PLACE_AD_ICON;

// Restores every hook to its default.
void ResetSetupHooks();

}  // namespace mv::setup_hooks
