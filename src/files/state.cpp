#include "files/state.h"

namespace mv {

void ResetFilesState() {}

}  // namespace mv
