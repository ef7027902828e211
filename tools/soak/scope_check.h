// The fast scope's checks: every saved sweep, point by point, against what the logger
// sent at that point's place in its block.
#pragma once
#include <filesystem>
#include <vector>

#include "soak/check.h"

namespace mv::soak {

// The sweep files the run saved in `docs` ("sweep 1", "sweep 2", ...), each point the
// channel's a + b x the mean of the four millivolt values the burst sent for it (in
// volts), or -99999 where the block was not read; a sweep the program cut short says so
// in its comment.
Report CheckScope(const Plan& p, const Options& o, const std::filesystem::path& docs, const SimLog& log,
                  const std::vector<Usage>& usage);

}  // namespace mv::soak
