// Installs this group's windows and readers into the hooks that call them.
#include "devices/firmware_windows.h"
#include "kit/services.h"
#include "shell/wiring.h"

namespace mv {

void InstallWindows_diagnostics() {
  services::GetFirmware = [](int16_t atStartUp) { GetFirmware(atStartUp); };
}

}  // namespace mv
