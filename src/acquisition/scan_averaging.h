// Continuous scanning: every channel (preference slot 30), or the last channel alone
// (continuous averaging of the last channel), is read over and over for the whole
// interval, and the means make one chart sample.
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

// Continuous averaging of the last channel only: a chart recording whose last channel
// is set to 0 readings averaged, all-channel scanning off and an interface read channel
// by channel (a streaming instrument's line serves a whole sample). The scans read the
// last channel alone; the chart sample taker reads the others at the sample's time.
bool LastChannelScanned();

// What the interval's scans gathered of channel ch: the mean of its readings that
// stood (of their absolute values when the last channel's absolute value is asked),
// else the bad-reading code; whether any of its readings, stood or (when none stood)
// failed, reached the over-range limit with its over-range alarm on.
struct ScannedReading {
  float volts = 0;
  bool stood = false;
  bool overRange = false;
  double at = -1;  // when the interval's last scan with a reading that stood ended
};
ScannedReading ScannedReadingOf(int16_t ch);

// The interval's means handled as the chart sample taker handles a reading; the
// schedule advances by exactly one interval.
void SHOWSCANRESULTS();

// Channel ch's readings of the interval that stood go to the count of what the stored
// samples averaged (ScansStored): called for a sample that is stored.
void CountScansStored(int16_t ch);

}  // namespace mv
