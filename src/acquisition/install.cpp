#include "acquisition/install.h"

#include "runtime/events.h"
#include "runtime/sound.h"
#include "shell/kit/services.h"

namespace mv {

void InstallAcquisitionServices() {
  services::ReadControlStrip = [] { rt::PumpEvents(0); };
  services::StopSampleBeep = [] { rt::StopSounds(); };
}

}  // namespace mv
