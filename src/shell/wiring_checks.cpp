// Installs this group of recording windows into the hooks that call them.
#include "devices/datataker_reader.h"
#include "files/setup_commands.h"
#include "kit/services.h"
#include "kit/state.h"
#include "setup/channel_check_window.h"
#include "setup/entry_points.h"
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
  // The set-up window's live test of one channel.
  setup_hooks::CHECKCHANNEL = [](int16_t channel) { CHECKCHANNEL(channel); };
  CheckChannelFlushDT800 = [] { FlushDT800Buffer(0); };
  // The set-up file: written from the menu and the options window, loaded at launch
  // and from the recording-mode window.
  commands::MAKESETUP = [] { MAKESETUP(); };
  services::GETSETUP = [](int16_t kind) { return GETSETUP(kind); };
  SetupLoadedMaxAverage = [] { setup_hooks::MAXAVERAGE(); };
}

}  // namespace mv
