#include "setup/state.h"

namespace mv {

std::array<ChannelVariablesRecord, kChannelRows> ChannelVariables{};
int16_t nChannels = 0;
Str255 datalabel;
Str255 datalabel2;

void ResetSetupState() {
  for (auto& row : ChannelVariables) row.fill(0.0f);
  for (int c = 1; c <= 16; ++c) ChannelVariables[0][c] = 1.0f;
  nChannels = 0;
  datalabel.clear();
  datalabel2.clear();
}

}  // namespace mv
