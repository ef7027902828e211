// What a soak run does, drawn from its seed: the interface and its channels, each a
// known function of time (a common rise from a base value of its own), the recording's
// interval, periods and backups, the instrument's faults (a schedule for mv-sim) and the
// user's pauses and markers (a script for mv-drive).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace mv::soak {

// One interface kind as the program and the simulator know it.
struct KindFacts {
  const char* name;       // mv-sim's --kind
  int16_t code;           // its item in the External A/D Device popup
  int maxChannels;        // distinct inputs that take the common rise
  double low, high;       // the readable range, in the stored unit
  double step;            // the reading's resolution, in the stored unit
  bool streams;           // talks unasked: its readings are its latest line's
  const char* faults;     // the faults drawn for it, space-separated
};
const KindFacts* FindKind(const std::string& name);
std::vector<std::string> KindNames();

struct Options {
  std::string kind = "ui3";
  double seconds = 120;      // of recording
  uint32_t seed = 1;
  double interval = 0.1;     // seconds between samples
  int channels = 0;          // 0: the kind's most, at most 8
  double periodSeconds = 0;  // automatic-repeat period; 0: a third of the run (at least 20 s)
  double backupSeconds = 0;  // timed backup; 0: a quarter of the run (at least 15 s)
  std::string workDir;       // kept after the run; empty: a new temporary folder
  bool recheck = false;      // check the files a kept run left in workDir again, without running
  std::string buildDir;      // where mv-sim, mv-drive and mvdump are
  std::string sourceDir;     // the resources
  double rssGrowthMiB = 64;  // the most memory may grow after the first minute
  double cpuCores = 0.6;     // the most CPU the program may take, on average
};

struct Fault {
  double at, seconds;  // from the recording's start
  std::string name;
};
struct Pause {
  double at, seconds;
};
struct Marker {
  double at;
  char key;
};

struct Plan {
  const KindFacts* kind = nullptr;
  int channels = 0;
  double rate = 0;                // the common rise, stored unit a second
  std::vector<double> bases;      // per channel, index 0 = channel 1
  double lead = 0;                // simulator start to the schedule's origin, seconds
  int32_t periodSamples = 0;
  double backupSeconds = 0;
  std::vector<Fault> faults;
  std::vector<Pause> pauses;
  std::vector<Marker> markers;
};

Plan MakePlan(const Options& o);
// The mv-sim schedule file's text: every fault at its time (the lead added).
std::string ScheduleText(const Plan& p);
// The set-up file's bytes: the channels on inputs 1..n, the interval, periods, backups.
std::string SetupBytes(const Plan& p, const Options& o);
// The mv-drive script: launch the set-up, connect, record with pauses and markers,
// stop, save the last period to `lastFile` and in text to `lastText`, quit.
std::string DriveScript(const Plan& p, const Options& o, const std::string& setup, const std::string& link,
                        const std::string& backup, const std::string& root, const std::string& lastFile,
                        const std::string& lastText);

}  // namespace mv::soak
