#include "setup/conversion_windows.h"

#include "conversions/conversions_window.h"
#include "setup/entry_points.h"

namespace mv {

void InstallConversionWindows() {
  setup_hooks::ConversionsWindow = [](int16_t channel) { return CONVERT(channel); };
}

}  // namespace mv
