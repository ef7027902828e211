// Installs this group of recording windows into the hooks that call them.
#include "files/needs.h"
#include "files/setup_commands.h"
#include "kit/state.h"
#include "setup/channel_check_window.h"
#include "setup/interval_rules.h"
#include "setup/needs.h"
#include "setup/rate_check_window.h"
#include "shell/commands.h"
#include "shell/wiring.h"

namespace mv {

void InstallWindows_checks() {
  // The rate check after a run: the "Recording Check" window and the decision of
  // the interval every save stores.
  commands::CHECKSAMPLERATE = [](float requested, int16_t soundFlag) {
    CHECKSAMPLERATE(ChartTiming, requested, soundFlag);
  };
  commands::SampleRatePRECISION = [] { SampleRatePRECISION(); };
  // The set-up file: written from the menu and the options window, loaded at launch
  // and from the recording-mode window.
  commands::MAKESETUP = [] { MAKESETUP(); };
  files_hooks::SetupLoadedMaxAverage = [] { MAXAVERAGE(); };
}

}  // namespace mv
