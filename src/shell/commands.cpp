#include "shell/commands.h"

namespace mv::commands {

Command SAVEFILES{"commands::SAVEFILES"};
Command MAKESETUP{"commands::MAKESETUP"};
Command TURNVALVESOFF{"commands::TURNVALVESOFF"};
Command DISPLAYSETUP{"commands::DISPLAYSETUP"};
ChannelCommand DRAWSCREEN{"commands::DRAWSCREEN"};
Command SCOPESCANNING{"commands::SCOPESCANNING"};
Command SCOPEPLUSCHARTSCAN{"commands::SCOPEPLUSCHARTSCAN"};
Command StreamingSerialChannels{"commands::StreamingSerialChannels"};
Hook<bool()> QuickSAVE{"commands::QuickSAVE"};
Hook<void(const Str255&)> ScopeOrRepeatFileRoot{"commands::ScopeOrRepeatFileRoot"};
Command SHOWROOTFILE{"commands::SHOWROOTFILE"};
Hook<void(float, int16_t)> CHECKSAMPLERATE{"commands::CHECKSAMPLERATE"};

void ResetCommandHooks() {
  ResetHooks("commands::");
}

}  // namespace mv::commands
