// The soak's checks, from the saved files (as mvdump decodes them) and the simulator's
// log alone. A reading's time is told by its value: every input rises at one rate
// from a base of its own, from the ramp's origin that the log gives on the wall clock.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "soak/plan.h"

namespace mv::soak {

// A chart file as mvdump prints it.
struct StoredFile {
  std::string name;
  double interval = 0;
  std::vector<std::vector<double>> cells;     // [channel][sample]
  std::vector<std::pair<int32_t, int>> markers;  // (stored sample number, code)
  std::vector<std::pair<int32_t, double>> gaps;  // pause log: (samples before, seconds)
  struct IntervalChange {
    int32_t from = 0;  // the first sample at the new interval
    double before = 0, after = 0;
  };
  std::vector<IntervalChange> changes;  // pause log: intervals changed in a pause
  std::string problem;                  // why it did not decode
};
StoredFile ParseDump(const std::string& name, const std::string& dump);
// A text save as mvdump prints it: each row's time and values.
std::vector<std::vector<double>> ParseTextDump(const std::string& dump);

// What the simulator's log tells, every time in wall-clock seconds.
struct SimLog {
  double start = 0, origin = -1;
  std::vector<double> replies;                    // each "tx" line
  std::vector<std::pair<double, double>> faults;  // begins .. ends (hang-up .. back)
};
SimLog ParseSimLog(const std::string& text);

// Memory and CPU of the program, sampled through the run.
struct Usage {
  double seconds = 0;  // since the recording's start
  double rssMiB = 0;
  double cpuSeconds = 0;
};

// The count of one invariant's cases and its first violations.
struct Invariant {
  explicit Invariant(std::string n) : name(std::move(n)) {}
  std::string name;
  long checked = 0, counted = 0;  // counted: what is reported aside (held values, ...)
  long violations = 0;
  std::vector<std::string> first;
  void Fail(const std::string& what);
};

struct Report {
  std::vector<Invariant> invariants;
  long goodSamples = 0, badSamples = 0;
  bool ok() const;
  std::string Text() const;
};

// Files in the order they were written: the period files, then the last save, whose
// text form (rows of time and values) is `text`.
Report Check(const Plan& plan, const Options& o, const std::vector<StoredFile>& files,
             const std::vector<std::vector<double>>& text, const SimLog& log, const std::vector<Usage>& usage);

}  // namespace mv::soak
