// The soak's own test of its checks (mv-soak --self-test).
#pragma once
#include <filesystem>

#include "soak/plan.h"

namespace mv::soak {

// Breaks the files of the run kept in `dir` by hand, one rule at a time, each on a
// fresh copy, and prints which check reported each; 0 when every break was reported
// by the check of the rule it breaks.
int SelfTest(const Plan& plan, const Options& o, const std::filesystem::path& dir);

}  // namespace mv::soak
