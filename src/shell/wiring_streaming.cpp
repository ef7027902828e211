// Installs this group's windows and readers into the hooks that call them.
#include "devices/needs.h"
#include "devices/sable_temp_windows.h"
#include "devices/stream_reader.h"
#include "setup/needs.h"
#include "setup/serial_instrument_windows.h"
#include "setup/stream_panel.h"
#include "shell/commands.h"
#include "shell/wiring.h"

namespace mv {

void InstallWindows_streaming() {
  commands::StreamingSerialChannels = [] { StreamingSerialChannels(); };
  commands::SABLETEMPCHANNELS = [] { SABLETEMPCHANNELS(); };
  commands::CheckUI2TempChannel = [](int16_t channel) { CheckUI2TempChannel(channel); };
  commands::SerialInstrumentInput = [] { SerialInstrumentInput(); };
  commands::InspectSerialInput = [](int16_t channel) { InspectSerialInput(channel); };
}

}  // namespace mv
