// mv-sim: a simulated instrument on a pseudo-terminal (see sim.h).
#include "sim/sim.h"

int main(int argc, char** argv) {
  return mv::sim::RunCommandLine(argc, argv);
}
