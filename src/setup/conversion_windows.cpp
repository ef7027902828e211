#include "setup/conversion_windows.h"

#include "conversions/conversions_window.h"
#include "conversions/needs.h"
#include "setup/calibration_window.h"
#include "setup/needs.h"

namespace mv {

void InstallConversionWindows() {
  conversion_hooks::DIRECTCAL = [](int16_t channel) { DIRECTCAL(channel); };
}

}  // namespace mv
