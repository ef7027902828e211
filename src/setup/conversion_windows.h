// Puts the conversion windows into the hooks through which the channel set-up
// reaches them.
#pragma once

namespace mv {

// setup_hooks::ConversionsWindow := the conversions window, and the conversions
// window's direct calibration := the calibration window. Start-up calls it once.
void InstallConversionWindows();

}  // namespace mv
