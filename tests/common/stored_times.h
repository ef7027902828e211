// The times a chart recording gives its samples, read from what its file records:
// sample k lies at the first sample's time plus k intervals plus every gap the pause
// log records before it (the program's own reading of the log). With these, the rule
// that no sample is stored more than max(one interval, 50 ms) from when it was read,
// checked against when the recording took each sample.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <regex>
#include <string>
#include <vector>

#include "files/file_time.h"

namespace mv::test {

using mv::GapsInPauseLog;
using mv::LoggedGap;

// The gaps of the pause log in a file's dump, where the dump tool shows each CR as "\r".
inline std::vector<LoggedGap> GapsInDump(std::string dump) {
  for (std::size_t at = dump.find("\\r"); at != std::string::npos; at = dump.find("\\r", at + 1))
    dump.replace(at, 2, "\r");
  return GapsInPauseLog(dump);
}

// A marker as a file's dump shows it (the dump prints the sample + 1).
struct DumpedMarker {
  int32_t sample = 0;  // the column it stands at
  int32_t code = 0;
};
inline std::vector<DumpedMarker> MarkersInDump(const std::string& dump) {
  std::vector<DumpedMarker> markers;
  const std::regex marker(R"(marker \d+: sample\+1 (\d+) code (\d+))");
  for (std::sregex_iterator it(dump.begin(), dump.end(), marker), end; it != end; ++it)
    markers.push_back({std::stoi((*it)[1].str()) - 1, std::stoi((*it)[2].str())});
  return markers;
}

// Where the schedule restarted: the samples whose due time is more than an interval
// after the one before.
inline std::vector<int32_t> ScheduleRestarts(const std::vector<double>& dues, double interval) {
  std::vector<int32_t> at;
  for (std::size_t i = 1; i < dues.size(); ++i)
    if (dues[i] - dues[i - 1] > interval * (1 + 1e-6) + 1e-9) at.push_back(static_cast<int32_t>(i));
  return at;
}

// The longest run of samples taken back to back: each already due when the one
// before it was taken.
inline int LongestBurst(const std::vector<double>& dues, const std::vector<double>& taken) {
  int run = 1, longest = dues.empty() ? 0 : 1;
  for (std::size_t i = 1; i < dues.size(); ++i) {
    run = dues[i] <= taken[i - 1] ? run + 1 : 1;
    longest = std::max(longest, run);
  }
  return longest;
}

// Each sample k (taken at taken[k]) against its stored time; `slack` covers the
// rounding of the logged minutes.
inline void ExpectStoredWhenRead(const std::vector<double>& taken, double first, double interval,
                                 const std::vector<LoggedGap>& gaps, double slack = 0.005) {
  const double limit = std::max(interval, 0.05);
  double skipped = 0;
  std::size_t g = 0;
  for (std::size_t k = 0; k < taken.size(); ++k) {
    for (; g < gaps.size() && gaps[g].before <= static_cast<int32_t>(k); ++g) skipped += gaps[g].seconds;
    const double stored = first + static_cast<double>(k) * interval + skipped;
    EXPECT_LE(std::fabs(taken[k] - stored), limit + slack)
        << "sample " << k << " read at " << taken[k] - first << " s, stored at " << stored - first << " s";
  }
}

}  // namespace mv::test
