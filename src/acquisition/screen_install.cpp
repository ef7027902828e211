#include "acquisition/screen_install.h"

#include "acquisition/channel_panel.h"
#include "acquisition/needs.h"
#include "acquisition/screen.h"
#include "acquisition/toolbar.h"
#include "kit/services.h"

namespace mv {

void InstallAcquisitionScreen() {
  acq_hooks::REDRAWSCREEN = [] { REDRAWSCREEN(); };
  acq_hooks::ScreenINFO = [] { ScreenINFO(); };
  services::ReadControlStrip = [] { ReadControlStrip(); };
  services::HandleNotes = [] { HandleNotes(); };
}

}  // namespace mv
