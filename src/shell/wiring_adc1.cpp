// Installs this group's windows and readers into the hooks that call them.
#include "devices/adc1_reader.h"
#include "kit/services.h"
#include "shell/wiring.h"

namespace mv {

void InstallWindows_adc1() { services::ReadADC1 = ReadADC1; }

}  // namespace mv
