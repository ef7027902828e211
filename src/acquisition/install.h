// The services this subsystem provides to lower ones through the kit's hooks.
#pragma once

namespace mv {

// Installs them: the toolbar click reader as one pass of the event pump (until the
// toolbar's own reader is installed) and the end of the per-sample beep.
void InstallAcquisitionServices();

}  // namespace mv
