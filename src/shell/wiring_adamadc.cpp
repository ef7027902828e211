// Installs this group's windows and readers into the hooks that call them.
#include "devices/adam_reader.h"
#include "devices/adam_windows.h"
#include "kit/services.h"
#include "setup/needs.h"
#include "shell/commands.h"
#include "shell/wiring.h"

namespace mv {

void InstallWindows_adamadc() {
  services::ReadADAM = ReadADAM;
  commands::SetADAM = SetADAM;
  commands::ADAMseriesSTATUS = ADAMseriesSTATUS;
  commands::SetADAMaddress = SetADAMaddress;
}

}  // namespace mv
