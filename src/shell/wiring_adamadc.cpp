// Installs this group's windows and readers into the hooks that call them.
#include "devices/adam_reader.h"
#include "devices/adam_windows.h"
#include "kit/services.h"
#include "setup/entry_points.h"
#include "shell/wiring.h"

namespace mv {

void InstallWindows_adamadc() {
  services::ReadADAM = ReadADAM;
  setup_hooks::SetADAM = SetADAM;
  setup_hooks::ADAMChannels = ADAMChannels;
}

}  // namespace mv
