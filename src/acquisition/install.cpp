#include "acquisition/install.h"

#include "runtime/events.h"
#include "shell/kit/services.h"
#include "shell/kit/sounds.h"

namespace mv {

void InstallAcquisitionServices() {
  services::ReadControlStrip = [] { rt::PumpEvents(0); };
  // The readers end the per-sample beep only, never the other sounds playing.
  services::StopSampleBeep = [] { StopSampleBeepSound(); };
}

}  // namespace mv
