// When a chart file's samples stand. A file starts when its first sample is due; sample
// k stands k intervals later plus every pause and gap its pause log records at or
// before it (a line "... for M minutes at case N" puts M minutes before sample N, the
// sample that follows the N taken).
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

// The stored times of a file's samples in turn, in seconds from its start: index x
// interval plus the gaps at or before the index.
class StoredSampleTimes {
 public:
  StoredSampleTimes(double interval, std::vector<LoggedGap> gaps) : interval_(interval), gaps_(std::move(gaps)) {}
  // Indexes must not go down from one call to the next.
  double At(int32_t index);

 private:
  double interval_;
  std::vector<LoggedGap> gaps_;
  std::size_t next_ = 0;
  double skipped_ = 0;
};

}  // namespace mv
