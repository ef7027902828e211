#include "setup/conversion_windows.h"

#include "conversions/conversions_window.h"
#include "conversions/needs.h"
#include "setup/calibration_window.h"
#include "setup/entry_points.h"

namespace mv {

void InstallConversionWindows() {
  setup_hooks::ConversionsWindow = [](int16_t channel) { return CONVERT(channel); };
  conversion_hooks::DIRECTCAL = [](int16_t channel) { DIRECTCAL(channel); };
}

}  // namespace mv
