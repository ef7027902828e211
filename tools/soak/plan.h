// What a soak run does, drawn from its seed: the interface and its channels, each a
// known function of time (a common rise from a base value of its own, one input a fast
// sawtooth so that no two sweeps of a run read alike), the recording's interval,
// periods and backups, the instrument's faults (a schedule for mv-sim) and the user's
// pauses, interval changes and markers (a script for mv-drive). A road names the part
// of the program a run drives hardest: each adds its own events to the seeded schedule.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace mv::soak {

// One interface kind as the program and the simulator know it.
struct KindFacts {
  const char* name;    // mv-sim's --kind
  int16_t code;        // its item in the External A/D Device popup
  int16_t fileCode;    // the interface code a chart file's header gives it
  int inputs;          // distinct inputs that take the common rise
  int maxChannels;     // channels a run may have: beyond `inputs` they read the inputs again
  double low, high;    // the readable range, in the stored unit
  double step;         // the reading's resolution, in the stored unit
  bool streams;        // talks unasked: its readings are its latest line's
  const char* faults;  // the faults drawn for it, space-separated
  int timeoutMs;       // the program's wait for one reply
  int primeSweeps;     // sweeps its own priming reads when a run starts (a chart run times one more)
  int requests = 1;    // the program's requests for one reading
  bool text = false;   // its replies are lines of text, each ended by CR (an LF may follow)
  bool rests = false;  // a module silent through two late-reply windows is rested a while
};
const KindFacts* FindKind(const std::string& name);
std::vector<std::string> KindNames();

// The roads: what a run drives besides the plain schedule.
struct RoadFacts {
  const char* name;
  const char* what;  // for --help
};
const std::vector<RoadFacts>& Roads();

struct Options {
  std::string kind = "ui3";
  std::string road = "plain";
  double seconds = 120;  // of recording
  uint32_t seed = 1;
  double interval = 0;       // seconds between samples; 0: the road's (0.1 s for most)
  int channels = 0;          // 0: the kind's inputs, at most 8
  double periodSeconds = 0;  // automatic-repeat period; 0: a third of the run (at least 6 s)
  double backupSeconds = 0;  // timed backup; 0: a quarter of the run (at least 5 s)
  int baud = 0;              // the line's pace; 0: the road's (unpaced for most)
  std::string workDir;       // kept after the run; empty: a new temporary folder
  bool recheck = false;      // check the files a kept run left in workDir again, without running
  bool selfTest = false;     // break a kept run's files by hand, one rule at a time
  double rssGrowthMiB = 64;  // the most memory may grow after the first minute
  double cpuCores = 0.6;     // the most CPU the program may take, on average
};
// Why the options cannot make a run (the kind's channel limit, an unknown road, ...);
// empty when they can. Fills in the road's interval and pace where none was given.
std::string SettleOptions(Options& o);

struct Fault {
  double at, seconds;  // from the recording's start
  std::string name;
  int module = -1;  // an ADAM module's address: only its replies; -1 every reply
};
struct Pause {
  double at, seconds;
  double newInterval = 0;  // > 0: chosen in the pause window before resuming
};
struct Marker {
  double at;
  char key;
};
// A key held down that switches the devices ("=" to the sample, "-" to the reference,
// "alt+N" device N): one press, held `hold` seconds.
struct SwitchKey {
  double at;
  std::string key;
  double hold;
};

// How the channels are averaged: each sample read once, or the readings of the whole
// interval averaged (the last channel's, or every channel's).
enum class Averaging { Each, ContinuousLast, ContinuousAll };

struct Plan {
  const KindFacts* kind = nullptr;
  int channels = 0;
  std::vector<int> inputs;    // per channel, index 0 = channel 1
  std::vector<int> readings;  // per channel: the readings each sample averages (its "readings averaged")
  std::vector<std::string> labels;  // per channel: its label in the set-up
  int conversionType = 0;           // every channel's conversion (0 linear, as the set-up file gives it)
  double rate = 0;            // the common rise, stored unit a second
  std::vector<double> bases;  // per input, index 0 = input 1
  int fastInput = 0;          // the input that rises as a sawtooth; 0 none
  double fastRate = 0;        // its rise, stored unit a second, over low..high
  double lead = 0;            // simulator start to the schedule's origin, seconds
  double interval = 0;        // the interval the run starts at
  int32_t periodSamples = 0;
  double backupSeconds = 0;
  int baud = 0;
  int lateMs = 84, slowMs = 300;
  std::vector<std::string> modules;  // an ADAM's modules at 01, 02, ...
  Averaging averaging = Averaging::Each;
  int cutChannel = 0;  // cut between stopping and saving; 0 none
  // Switching: each channel's device (0: not switched), the reference device, and the
  // periodic pattern's reference and sample periods (minutes).
  std::vector<int> devices;
  int reference = 0;
  double refMinutes = 0, sampleMinutes = 0;
  // Two device groups (periodic references, each group's reference and devices), the
  // set-up made on the interface `madeOn` (its code) and run on this one.
  int reference2 = 0;
  int16_t madeOn = 0;
  // Zero links: per channel, the channel whose zero value zeroes it (-1 none); whether
  // they are on ("Extra Zero Links" ticked) or made and then unticked.
  std::vector<int> zeroLinkOf;
  bool zeroLinksOn = false;
  // The spike filter's ratio (0: off) and whether the channels are set up again through
  // the set-up windows after "Restart..." (a DataTaker's input, mode, conversion,
  // scaling and averaging windows, channel by channel).
  double spikeRatio = 0;
  bool setUpInWindows = false;
  // A second program started on the instrument's port in mid-run (seconds from the
  // recording's start), which must not take the port from the first.
  double secondProgramAt = -1;
  // Feedback on analog output 2 from channel 1, its steps entered in the feedback window
  // and no end state.
  struct FeedbackStep {
    double setpoint, range, minVolts, maxVolts, minutes;
  };
  std::vector<FeedbackStep> feedback;
  // The steps loaded from an analog-output script file ("Open AO Data...") with the
  // feedback window never opened, the last step looping to step 1 (as "Loop to Step:"
  // with 0 makes it): the schedule runs again and again.
  bool feedbackFromFile = false;
  // The DT800's fast scope: one channel read as a = 0.5, b = 2 of the logger's
  // millivolts, blocks of `scopePoints` points (each the mean of the numbers the interval
  // gives it); burst n's k-th number is S x k + (n mod S) - 10000 mV (mv-sim
  // --burst-tagged-in-range: S the widest stride the count leaves within +-10 V), so
  // that a point tells its place and its block (modulo S);
  // Tab pressed at `tabs` (seconds from the start). `burstGaps`: mv-sim's --burst-gap
  // N:BYTE:MS, a block's rest held back.
  bool fastScope = false;
  std::vector<std::string> burstGaps;
  int scopePoints = 0;
  double scopeA = 0, scopeB = 1;
  std::vector<double> tabs;
  // The input held at exactly 0 V (no rise) for the whole run; 0 none.
  int zeroInput = 0;
  // Switching by the keyboard alone (no timed pattern), the keys held at their times.
  bool keyboardSwitching = false;
  std::vector<SwitchKey> switchKeys;
  std::vector<Fault> faults;
  std::vector<Pause> pauses;
  std::vector<Marker> markers;
};

// A streaming instrument sends a line this often (seconds).
inline constexpr double kLinePeriod = 0.05;

Plan MakePlan(const Options& o);
// The mv-sim schedule file's text: the fast input's rise and every fault at its time
// (the lead added).
std::string ScheduleText(const Plan& p);
// mv-sim's arguments after its path, the link, the schedule and the log.
std::vector<std::string> SimArguments(const Plan& p, const Options& o);
// The analog-output script file of a feedback schedule loaded from a file: its steps,
// the last looping to the first, on channel 1, updated every second.
std::string FeedbackFileBytes(const Plan& p);
inline constexpr const char* kFeedbackFile = "feedback.AOscr";
// The set-up file's bytes: the channels on their inputs, the interval, periods, backups,
// averaging.
std::string SetupBytes(const Plan& p, const Options& o);
// The mv-drive script: launch the set-up, connect, record with pauses and markers,
// stop, save the last period to `lastFile` and in text to `lastText`, quit.
std::string DriveScript(const Plan& p, const Options& o, const std::string& setup, const std::string& link,
                        const std::string& backup, const std::string& root, const std::string& lastFile,
                        const std::string& lastText);

}  // namespace mv::soak
