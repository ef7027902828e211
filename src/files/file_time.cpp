#include "files/file_time.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cmath>
#include <utility>

#include "files/state.h"
#include "kit/comment_header.h"
#include "kit/date_text.h"
#include "kit/format.h"
#include "runtime/clock.h"

namespace mv {
namespace {

constexpr int kLoggedMinutesDigits = 10;

// The number at the start of `text` after any blanks, and what follows it.
bool LeadingNumber(std::string_view& text, double& value) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || !std::isfinite(value)) return false;
  text.remove_prefix(static_cast<std::size_t>(end - text.data()));
  return true;
}

// A pause or gap line: " *  <what> for M minutes at case N", nothing after N.
bool GapLine(std::string_view line, LoggedGap& gap) {
  constexpr std::string_view kStart = " *  ", kFor = " for", kMinutes = " minutes at case";
  if (line.substr(0, kStart.size()) != kStart) return false;
  const std::size_t m = line.find(kMinutes);
  if (m == std::string_view::npos) return false;
  const std::size_t f = line.rfind(kFor, m);
  if (f == std::string_view::npos) return false;
  std::string_view minutesText = line.substr(f + kFor.size(), m - f - kFor.size());
  std::string_view caseText = line.substr(m + kMinutes.size());
  double minutes = 0, sample = 0;
  if (!LeadingNumber(minutesText, minutes) || !minutesText.empty()) return false;
  if (!LeadingNumber(caseText, sample) || !caseText.empty()) return false;
  if (minutes < 0 || sample < 0 || sample > static_cast<double>(INT32_MAX) || sample != std::trunc(sample)) return false;
  gap = {static_cast<int32_t>(sample), minutes * 60};
  return true;
}

}  // namespace

void StoreFileStartAt(double firstDueSeconds) {
  const double us = std::max(0.0, std::round(firstDueSeconds * 1e6));
  const std::tm when = LocalTimeAt(rt::WallClockSecondsAt(static_cast<uint64_t>(us)));
  filestrings.startDate = DateText(when);
  filestrings.startTime = TimeText(when);
  CommentContainer =
      WithCommentHeader(CommentContainer, RunCommentHeader(filestrings.startDate, filestrings.startTime));
}

std::string LoggedMinutesText(double minutes) {
  return NumText(minutes, kLoggedMinutesDigits).str();
}

std::vector<LoggedGap> GapsInPauseLog(std::string_view log) {
  std::vector<LoggedGap> gaps;
  while (!log.empty()) {
    const std::size_t end = log.find('\r');
    LoggedGap gap;
    if (GapLine(log.substr(0, end), gap)) gaps.push_back(gap);
    if (end == std::string_view::npos) break;
    log.remove_prefix(end + 1);
  }
  return gaps;
}

double StoredSampleTimes::At(int32_t index) {
  for (; next_ < gaps_.size() && gaps_[next_].before <= index; ++next_) skipped_ += gaps_[next_].seconds;
  return static_cast<double>(index) * interval_ + skipped_;
}

}  // namespace mv
