#include "calculators/state.h"

namespace mv {

void ResetCalculatorsState() {}

}  // namespace mv
