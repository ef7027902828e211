// Program-wide values owned by this subsystem.
#pragma once
#include <cstdint>

namespace mv {

void ResetFilesState();

}  // namespace mv
