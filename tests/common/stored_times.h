// The times a chart recording gives its samples, read from what its file records:
// sample k lies at the first sample's time plus k intervals plus every gap the pause
// log records before it (a line "... for M minutes at case N" puts M minutes before the
// sample that follows the N taken). With these, the rule that no sample is stored more
// than max(one interval, 50 ms) from when it was read, checked against when the
// recording took each sample.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace mv::test {

struct LoggedGap {
  int32_t before = 0;  // the samples taken before it
  double seconds = 0;
};

// Every pause and gap of a pause log, in order: each "for M minutes at case N".
inline std::vector<LoggedGap> GapsInPauseLog(const std::string& log) {
  std::vector<LoggedGap> gaps;
  const auto numberAfter = [&](std::size_t at, double& v) {
    while (at < log.size() && log[at] == ' ') ++at;
    return std::from_chars(log.data() + at, log.data() + log.size(), v).ec == std::errc();
  };
  const std::string tail = " minutes at case";
  for (std::size_t m = log.find(tail); m != std::string::npos; m = log.find(tail, m + 1)) {
    const std::size_t f = log.rfind(" for", m);
    double minutes = 0, n = 0;
    if (f != std::string::npos && numberAfter(f + 4, minutes) && numberAfter(m + tail.size(), n))
      gaps.push_back({static_cast<int32_t>(n), minutes * 60});
  }
  return gaps;
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
