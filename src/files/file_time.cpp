#include "files/file_time.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
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

// The number after `key` in `line`, up to " sec"; what follows is left in `rest`.
bool IntervalAfter(std::string_view line, std::string_view key, double& value, std::string_view& rest) {
  const std::size_t at = line.find(key);
  if (at == std::string_view::npos) return false;
  rest = line.substr(at + key.size());
  if (!LeadingNumber(rest, value) || !(value > 0)) return false;
  constexpr std::string_view kSec = " sec";
  if (rest.substr(0, kSec.size()) != kSec) return false;
  rest.remove_prefix(kSec.size());
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

std::vector<IntervalChange> IntervalChangesInPauseLog(std::string_view log) {
  std::vector<IntervalChange> changes;
  double old = 0;
  while (!log.empty()) {
    const std::size_t end = log.find('\r');
    const std::string_view line = log.substr(0, end);
    std::string_view rest;
    double value = 0;
    if (IntervalAfter(line, "CAUTION:  old sample interval =", value, rest) && rest.empty()) {
      old = value;
    } else if (old > 0 && IntervalAfter(line, "new sample interval =", value, rest)) {
      constexpr std::string_view kFrom = " from case";
      double from = 0;
      if (rest.substr(0, kFrom.size()) == kFrom) {
        rest.remove_prefix(kFrom.size());
        if (LeadingNumber(rest, from) && rest.empty() && from >= 0 &&
            from <= static_cast<double>(INT32_MAX) && from == std::trunc(from))
          changes.push_back({static_cast<int32_t>(from), old, value});
      }
      old = 0;
    } else {
      old = 0;
    }
    if (end == std::string_view::npos) break;
    log.remove_prefix(end + 1);
  }
  return changes;
}

std::string IntervalChangeNote(const std::vector<IntervalChange>& changes) {
  constexpr int kDigits = 10;
  std::string note;
  for (const IntervalChange& c : changes)
    note += "CAUTION: old sample interval =" + NumText(c.oldInterval, kDigits).str() +
            " sec / new sample interval =" + NumText(c.newInterval, kDigits).str() + " sec from case" +
            NumText(c.from).str() + "\r";
  return note;
}

std::string GapSecondsText(double seconds) {
  // To the microsecond: the log's minutes carry no more, and the digits of their
  // conversion beyond it would only crowd the comment.
  const std::string text = NumText(std::round(seconds * 1e6) / 1e6, kLoggedMinutesDigits).str();
  return text.substr(std::min(text.size(), text.find_first_not_of(' ')));
}

std::string PauseAndGapNote(const std::vector<LoggedGap>& gaps) {
  if (gaps.empty()) return "";
  double total = 0;
  for (const LoggedGap& g : gaps) total += g.seconds;
  std::string note = "CAUTION:" + NumText(static_cast<double>(gaps.size())).str() +
                     (gaps.size() == 1 ? " pause or gap = " : " pauses and gaps = ") + GapSecondsText(total) +
                     " sec in all\r";
  for (const LoggedGap& g : gaps)
    note += " " + GapSecondsText(g.seconds) + " sec at case" + NumText(g.before).str() + "\r";
  return note;
}

StoredSampleTimes::StoredSampleTimes(double interval, std::vector<LoggedGap> gaps,
                                     std::vector<IntervalChange> changes)
    : interval_(changes.empty() ? interval : changes.front().oldInterval),
      gaps_(std::move(gaps)),
      changes_(std::move(changes)) {}

StoredSampleTimes::StoredSampleTimes(double interval, std::string_view pauseLog)
    : StoredSampleTimes(interval, GapsInPauseLog(pauseLog), IntervalChangesInPauseLog(pauseLog)) {}

double StoredSampleTimes::At(int32_t index) {
  for (; next_ < gaps_.size() && gaps_[next_].before <= index; ++next_) skipped_ += gaps_[next_].seconds;
  for (; nextChange_ < changes_.size() && changes_[nextChange_].from <= index; ++nextChange_) {
    const IntervalChange& c = changes_[nextChange_];
    baseTime_ += static_cast<double>(c.from - baseIndex_) * interval_;
    baseIndex_ = c.from;
    interval_ = c.newInterval;
  }
  return baseTime_ + static_cast<double>(index - baseIndex_) * interval_ + skipped_;
}

}  // namespace mv
