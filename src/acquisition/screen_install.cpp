#include "acquisition/screen_install.h"

#include "acquisition/channel_panel.h"
#include "acquisition/needs.h"
#include "acquisition/screen.h"
#include "acquisition/toolbar.h"
#include "devices/needs.h"
#include "files/needs.h"

namespace mv {

void InstallAcquisitionScreen() {
  acq_hooks::REDRAWSCREEN = [] { REDRAWSCREEN(); };
  acq_hooks::ScreenINFO = [] { ScreenINFO(); };
  services::ReadControlStrip = [] { ReadControlStrip(); };
  services::HandleNotes = [] { HandleNotes(); };
  InstallSaveStatusOnScreen();
}

void InstallSaveStatusOnScreen() {
  files_hooks::ShowOnAcquisitionScreen = [](int16_t field, const std::string& macRoman, bool failed) {
    ShowSaveStatus(field, Str255(macRoman), failed);
  };
}

}  // namespace mv
