#include "acquisition/install.h"

#include "devices/needs.h"
#include "kit/sounds.h"
#include "runtime/events.h"

namespace mv {

void InstallAcquisitionServices() {
  services::ReadControlStrip = [] { rt::PumpEvents(0); };
  // The readers end the per-sample beep only, never the other sounds playing.
  services::StopSampleBeep = [] { StopSampleBeepSound(); };
}

}  // namespace mv
