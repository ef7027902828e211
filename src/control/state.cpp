#include "control/state.h"

namespace mv {

void ResetControlState() {}

}  // namespace mv
