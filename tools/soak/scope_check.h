// The fast scope's checks: every saved sweep, point by point, against what the logger
// sent at that point's place in its block.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "soak/check.h"

namespace mv::soak {

// A saved sweep as mvdump decodes it.
struct ScopeSweep {
  std::string name;
  std::vector<double> points;
  std::string problem, comment;
  double saved = -1;  // when its save ended (wall clock); -1 unknown
};
// The sweep files the run kept in `dir` saved in its documents ("sweep 1", "sweep 2",
// ...), by number.
std::vector<ScopeSweep> LoadSweeps(const std::filesystem::path& dir);

// Every point the channel's a + b x the whole-number mean of the numbers the burst sent
// for it (in volts), which names its place and its block (modulo the tags' stride), or
// -99999 where the block was not read (a sweep the program cut short says so in its
// comment), and some point held somewhere unless the schedule cut every block; each
// sweep one block, each block saved once and after the blocks saved before it. A block
// is named by its class among the blocks asked for before the sweep's save: the latest.
Report CheckScope(const Plan& p, const Options& o, const std::filesystem::path& dir, const SimLog& log,
                  const std::vector<Usage>& usage);
Report CheckScopeSweeps(const Plan& p, const Options& o, const std::vector<ScopeSweep>& sweeps,
                        const SimLog& log, const std::vector<Usage>& usage);

}  // namespace mv::soak
