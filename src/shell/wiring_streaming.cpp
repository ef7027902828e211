// Installs this group's windows and readers into the hooks that call them.
#include "devices/sable_temp_windows.h"
#include "devices/stream_reader.h"
#include "kit/services.h"
#include "setup/entry_points.h"
#include "setup/serial_instrument_windows.h"
#include "setup/stream_panel.h"
#include "shell/commands.h"
#include "shell/wiring.h"

namespace mv {

void InstallWindows_streaming() {
  services::ReadSerialStream = [](int16_t mode) { ReadSerialStream(mode); };
  commands::StreamingSerialChannels = [] { StreamingSerialChannels(); };
  setup_hooks::InspectSerialInput = [](int16_t channel) { InspectSerialInput(channel); };
}

}  // namespace mv
