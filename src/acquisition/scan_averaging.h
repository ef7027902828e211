// Continuous scanning (preference slot 30): every channel is read over and over for
// the whole interval, and the means make one chart sample.
#pragma once
#include <cstdint>

namespace mv {

struct ScanIntervalOutcome {
  bool takeSample = false;  // at least one scan was made: SHOWSCANRESULTS follows
  bool stopRun = false;     // Escape or Command-Q (after its "Q" marker) ended the run
  bool commandQ = false;    // the stop was Command-Q
};

// Scans until the clock is within 50 microseconds of the next sample time (the first
// scan comes before that test), keeping keys and the toolbar alive. A Stop seen before
// the first scan takes no sample for the interval.
ScanIntervalOutcome GetSCANDATA();

// The interval's means handled as the chart sample taker handles a reading; the
// schedule advances by exactly one interval.
void SHOWSCANRESULTS();

}  // namespace mv
