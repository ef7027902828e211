// The soak's checks, from the saved files (as mvdump decodes them) and the simulator's
// log alone. A reading's time is told by its value: every input rises at one rate from
// a base of its own (one input as a fast sawtooth), from the ramp's origin that the log
// gives on the wall clock.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "soak/plan.h"

namespace mv::soak {

// An interval changed during a run: samples from `from` on stand `interval` apart.
struct IntervalChange {
  int32_t from = 0;
  double interval = 0;
};

// A chart file as mvdump prints it.
struct StoredFile {
  std::string name;
  double interval = 0;                             // the header's: the one in force at the end
  std::vector<std::vector<double>> cells;          // [channel][sample]
  std::vector<std::pair<int32_t, int>> markers;    // (stored sample number, code)
  std::vector<std::pair<int32_t, double>> gaps;    // pause log: (samples before, seconds)
  std::vector<std::pair<int32_t, double>> pauses;  // those of them the user paused
  std::vector<IntervalChange> changes;             // from the pause log's cautions, in order
  // The switches the pause log says were made in a gap: the gap's case, the switch's
  // marker and its time from the file's start.
  struct GapSwitch {
    int32_t gap = 0;
    int code = 0;
    double at = 0;
  };
  std::vector<GapSwitch> gapSwitches;
  double firstInterval = 0;                        // the interval sample 0 stood at
  std::string problem;                             // why it did not decode
  // The header's other fields as written: its channel count, each channel's block, the
  // markers it counts, the interface code and each channel's hardware input (-1: none read).
  struct Block {
    double a = 0, b = 0, c = 0, type = 0, averaged = 0;
    std::string label;
  };
  int headerChannels = -1, headerMarkers = -1, interfaceCode = -1;
  std::vector<Block> blocks;
  std::vector<int> inputs;
  // When its save began and ended (wall clock), as the file system stamped it; -1 unknown.
  double saveBegun = -1, saveEnded = -1;
};
StoredFile ParseDump(const std::string& name, const std::string& dump);
// A number of a text save: its value, and half a unit of the last digit written (0: the
// value is exact).
struct TextNumber {
  TextNumber(double v = 0, double halfDigit = 0) : value(v), half(halfDigit) {}
  double value, half;
};
using TextRow = std::vector<TextNumber>;
// A text save as mvdump prints it: each row's time and values, with their digits.
std::vector<TextRow> ParseTextDump(const std::string& dump);

// The file's own rule for the time of each of its samples, from its first: sample k
// stands k intervals on, plus every pause and gap the pause log records at or before
// it. An interval changed in the pause window holds from the case its caution names:
// samples before it keep the old interval (k x old), later ones go on from there
// (N x old + (k - N) x new).
std::vector<double> FileRuleTimes(const StoredFile& f);
// The interval in force at each sample.
std::vector<double> FileRuleIntervals(const StoredFile& f);

// What the simulator's log tells, every time in wall-clock seconds.
struct SimLog {
  double start = 0, origin = -1;
  std::vector<double> requests;                    // each "rx" line
  std::vector<double> replies;                     // each "tx" line
  std::vector<double> lineStarts;                  // each text line's first byte (a line ends at CR or LF)
  std::vector<std::pair<double, double>> faults;   // begins .. ends (hang-up .. back)
  std::vector<std::pair<double, double>> slow;     // the spans of slow replies alone
  std::vector<std::pair<double, double>> freezes;  // the spans a freeze held every reply back
  // A streaming instrument's lines as they crossed the wire (it announces itself by its
  // name line): when each one's CR was sent, and each field's number (NaN for none).
  struct Line {
    double sent = 0;
    std::vector<double> fields;
    bool clean = true;  // no byte of line noise (outside printable text, a tab aside)
  };
  std::vector<Line> lines;
  // Its lines that did not go out well ("rf"): when, and the fault (silent, garbage,
  // freeze, hangup, partial, or held when only the lines before kept it back).
  std::vector<std::pair<double, std::string>> lineFaults;
  std::vector<std::pair<double, int>> outputs;     // a Sable's device commands: the device on
  std::vector<double> outputBytes;                 // an ADC-1's device output bytes (64..127 alone)
  std::vector<std::pair<double, double>> output2;  // a Sable's analog output commands: output 2's volts
  long burstCount = 0;                             // a DT800's last "RX;BURST(count,rate)"
  std::vector<double> bursts;                      // its "X" commands: each records a block
  // Every reading the instrument took when asked ("rd"), with the faults that kept its
  // replies from going out well ("rf": the worst of them, and how long after its
  // request), and the hang-ups (which lose what is on its way).
  struct Read {
    double t = 0;
    int input = 0;
    double value = 0;
    std::string fault;  // empty: none logged
    int ms = 0;
    // A partial reply whose rest followed (a line split in mid-reply): how long after
    // its request the rest went out; -1 when no rest came.
    int restMs = -1;
    double faultAt = -1;  // when the request whose reply failed went out (the "rf" line)
  };
  std::vector<Read> reads;
  std::vector<double> hangups;
  std::vector<std::pair<double, double>> lost;  // each hang-up .. its line back
  bool readingsLogged = false;
};
SimLog ParseSimLog(const std::string& text);

// Memory and CPU of the program, sampled through the run.
struct Usage {
  double seconds = 0;  // since the recording's start
  double rssMiB = 0;
  double cpuSeconds = 0;
};

// The count of one invariant's cases and its first violations.
// How many violations of an invariant a report names; the rest are only counted.
constexpr std::size_t kFirstShown = 5;

// A time or an amount as a report writes it: three decimals.
std::string Seconds(double s);

struct Invariant {
  explicit Invariant(std::string n) : name(std::move(n)) {}
  std::string name;
  long checked = 0, counted = 0;  // counted: what is reported aside (held values, ...)
  std::string countedAs = "counted apart";
  long violations = 0;
  std::vector<std::string> first;
  std::vector<std::string> notes;  // figures said whether or not it holds
  void Fail(const std::string& what);
};

// The invariants, in the order a report gives them.
enum InvariantId {
  kStored,
  kOnce,
  kCells,
  kTimes,
  kGaps,
  kText,
  kUsage,
  kOutputs,
  kLookup,    // every cell its own input's reply by exact value, in its own sweep
  kAnswered,  // every reply answered on time stored
  kHeld,      // a copy or -99999 only where its own request failed
  kSwitches,  // every switch marker with its command in the log
  kZeros,     // a zero exactly where the switching shut its device, else only where sent
  kHeader,    // every header field as the run's set-up and its interface give it
  kLineLost,  // the Recording Check states the port's loss over the whole run
  kInvariants
};

struct Report {
  std::vector<Invariant> invariants;
  long goodSamples = 0, badSamples = 0;
  std::vector<int> judgedKeys;  // the typed markers' keys each judged stored once
  bool ok() const;
  std::string Text() const;
};

// Files in the order they were written: the period files, then the last save, whose
// text form (rows of time and values) is `text`; `screen`, what the driver listed of the
// windows after the run stopped.
Report Check(const Plan& plan, const Options& o, const std::vector<StoredFile>& files,
             const std::vector<TextRow>& text, const SimLog& log, const std::vector<Usage>& usage,
             const std::string& screen = {});

}  // namespace mv::soak
