// The program-wide reset: every floor's values back to their start-up values, the
// kit's first.
#include "acquisition/state.h"

#include "calculators/state.h"
#include "control/state.h"
#include "conversions/state.h"
#include "devices/state.h"
#include "files/state.h"
#include "kit/state.h"
#include "setup/state.h"
#include "shell/reset.h"

namespace mv {

void ResetProgramState() {
  ResetKitState();
  ResetDevicesState();
  ResetAcquisitionState();
  ResetConversionsState();
  ResetFilesState();
  ResetSetupState();
  ResetControlState();
  ResetCalculatorsState();
}

}  // namespace mv
