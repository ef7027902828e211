// The stored cells looked up in the simulator's log of readings: each sample is the
// sweep of requests it came from, every cell its own reading's value as the instrument
// sent it, a copy of the sample before or -99999 only where that very request failed,
// and every reading answered in time stored.
#pragma once
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "soak/check.h"
#include "soak/plan.h"

namespace mv::soak {

// One stored sample as the files give it, in the order written.
struct StoredSample {
  std::size_t file = 0;
  int32_t index = 0;
  std::vector<double> cells;
};

// The value a reading is stored as: the instrument's own rounding (a Sable's word, an
// ADAM's four decimals, an ADC-1's counts at its gain) and the program's conversion to
// a single-precision number (a = 0, b = 1).
double AsStored(const KindFacts& kind, double value, bool high = false);
// Whether a stored cell is that value, to a single-precision number's digits.
bool SameValue(double cell, double stored);

// A spike filter's re-read that judged the first reading a spike: the channel keeps the
// reference (its first reading of the sweep before, or its last good reading where that
// turn failed) in its place.
struct SpikeKept {
  int input = 0;
  double t = 0;          // the re-read's time
  double reference = 0;  // the value kept, as the instrument sent it
};
std::vector<SpikeKept> SpikesKept(const Plan& p, const SimLog& log);
struct LookupResult {
  Invariant lookup{"every cell its own input's reply by exact value, in its own sweep"};
  Invariant answered{"every reply answered in time stored (no copy or -99999 in its place)"};
  Invariant held{"a copy of the sample before or -99999 only where its own request failed"};
  Invariant switches{
      "every switch marker with its own device command, sent before its sample's sweep and after the sweep "
      "before; one command a switching key press"};
  Invariant zeros{
      "a zero exactly where the switching shut the channel's device (or its link's) before its sweep, on no "
      "other channel unless the instrument sent it"};
  // When each sample's sweep sent its first and last request that were looked up (wall
  // clock; a streamed line's: when it was sent), by file * 100000000 + sample.
  std::map<long, std::pair<double, double>> asked;
};

// `settledFrom`: the run's first request (earlier readings are the set-up's);
// `primeSweeps`: the sweeps the run reads before its first sample.
LookupResult LookUp(const Plan& p, const Options& o, const SimLog& log, const std::vector<StoredFile>& files,
                    double settledFrom, int primeSweeps);

}  // namespace mv::soak
