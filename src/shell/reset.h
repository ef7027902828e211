#pragma once

namespace mv {

// Returns every program-wide value of every subsystem to its start-up value.
void ResetProgramState();

}  // namespace mv
