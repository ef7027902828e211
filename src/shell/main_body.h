#pragma once

namespace mv {

// The program's main body: start-up, then the endless control loop. Never
// returns; the program ends through ExitProgram.
[[noreturn]] void MainBody(int argc, char** argv);

}  // namespace mv
