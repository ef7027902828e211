// Installs this group's windows and readers into the hooks that call them.
#include "devices/adam_reader.h"
#include "devices/adam_windows.h"
#include "devices/needs.h"
#include "setup/needs.h"
#include "shell/commands.h"
#include "shell/wiring.h"

namespace mv {

void InstallWindows_adamadc() {
  commands::SetADAM = SetADAM;
  commands::ADAMseriesSTATUS = ADAMseriesSTATUS;
  commands::SetADAMaddress = SetADAMaddress;
}

}  // namespace mv
