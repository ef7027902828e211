// When a chart file's samples stand. A file starts when its first sample is due; sample
// k stands k intervals later plus every pause and gap its pause log records at or
// before it (a line "... for M minutes at case N" puts M minutes before sample N, the
// sample that follows the N taken). An interval changed in a pause is recorded by the
// pause's two CAUTION lines, the second ending "from case N": the samples before N
// stand on the old interval, sample N at N x old, and sample k after it at
// N x old + (k - N) x new (pauses and gaps added as always).
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace mv {

// The file's start date and time (filestrings) for a first sample due at
// `firstDueSeconds` on the program's clock (GetCurrentTimeInSeconds()), which may lie a
// little ahead: the wall-clock date and time at that moment. The comment's header line
// ("Recorded ... at ...") is set to the same moment.
void StoreFileStartAt(double firstDueSeconds);

// The minutes of a pause-log line: ten significant digits, so that a pause or gap of a
// day or more keeps its milliseconds (the program-wide digits would lose seconds).
std::string LoggedMinutesText(double minutes);

struct LoggedGap {
  int32_t before = 0;  // the samples taken before it: it stands before sample `before`
  double seconds = 0;
};

// Every pause and gap of a pause log, in order: each line " *  ... for M minutes at
// case N" the recording wrote. Other lines (notes, interval cautions) are passed over.
std::vector<LoggedGap> GapsInPauseLog(std::string_view log);

struct IntervalChange {
  int32_t from = 0;  // the first sample at the new interval
  double oldInterval = 0, newInterval = 0;
};

// Every interval change of a pause log, in order: each pair of CAUTION lines whose
// second names the case the new interval runs from. Lines without it are passed over.
std::vector<IntervalChange> IntervalChangesInPauseLog(std::string_view log);

// The changes said in one line each, for a format that holds one interval and no
// pause log: "CAUTION: old sample interval = X sec / new sample interval = Y sec from
// case N" and a CR per change; empty when there is none.
std::string IntervalChangeNote(const std::vector<IntervalChange>& changes);

// The seconds of a pause or gap as such a format says them: to the microsecond, with
// no leading blank ("0.75").
std::string GapSecondsText(double seconds);

// The pauses and gaps said for a format that holds one interval and no pause log, so
// that a reader can time the samples after them: "CAUTION: N pauses and gaps = T sec in
// all" ("1 pause or gap") and a CR, then " S sec at case K" and a CR for each in turn;
// empty when there is none.
std::string PauseAndGapNote(const std::vector<LoggedGap>& gaps);

// The stored times of a file's samples in turn, in seconds from its start: the
// intervals the samples stand on up to the index plus the gaps at or before it.
// `interval` is the file's own, which holds where the log records no change.
class StoredSampleTimes {
 public:
  StoredSampleTimes(double interval, std::vector<LoggedGap> gaps, std::vector<IntervalChange> changes = {});
  StoredSampleTimes(double interval, std::string_view pauseLog);
  // Indexes must not go down from one call to the next.
  double At(int32_t index);

 private:
  double interval_;
  std::vector<LoggedGap> gaps_;
  std::vector<IntervalChange> changes_;
  std::size_t next_ = 0, nextChange_ = 0;
  double skipped_ = 0;
  int32_t baseIndex_ = 0;
  double baseTime_ = 0;
};

}  // namespace mv
