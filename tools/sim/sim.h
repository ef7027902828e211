// Simulated instruments on pseudo-terminals. A simulator creates a pseudo-terminal,
// keeps its own descriptor of the terminal side open (so the program may close and
// reopen the port at will), links a path to it, answers the instrument's protocol,
// and logs every byte. It can pace its bytes at a baud rate, inject faults for the
// whole run or for spans of it (one ADAM module's or every reply), hang up and come
// back, freeze and resume, let its inputs rise steadily, and change what an input
// reads while it runs, from control lines or a timed schedule of them.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mv::sim {

enum class Kind { UI2, UI3, DT500, DT50, DT800, DT80, DT85, ADAM, ADC1, Stream };
enum class Fault {
  None,
  Silent,   // no reply at all
  Late,     // the reply comes after the program's time-out
  Partial,  // half the reply (a stream line: the rest follows later)
  Stale,    // the previous reply is sent again after this one, left for the next request
  Garbage,  // random bytes in place of the reply
  HangUp,   // the terminal hangs up for the span; a new one takes the link after it
  Freeze,   // nothing is answered in the span; at its end every request in it is answered
  Slow,     // the reply comes a while after its request, within the program's time-out
  Spike,    // the reply's number is three times what the input reads (a text reply's)
};

// One fault of a run: which, when, for how many replies, and to whom.
struct FaultSpec {
  Fault fault = Fault::None;
  // From this many seconds after the start (or, given while running, after now), for
  // this many seconds (negative: to the end).
  double after = 0;
  double seconds = -1;
  int count = -1;   // replies that get the fault, then the instrument is well; -1: all
  int module = -1;  // an ADAM module's address: only its replies get the fault; -1: all
};

// A control line, read from standard input or a schedule file while the instrument
// runs:
//   set INPUT V          what the input reads from now on (it keeps rising at its rate)
//   ramp INPUT RATE      the input rises by RATE a second from now, from what it reads
//   late MS              late replies come MS after the program's time-out from now on
//   slow MS              slow replies come MS after their request from now on
//   fault NAME SECONDS [count N] [module AA]
//                        the fault from now for SECONDS (see FaultSpec)
//   fault none           every fault ends now
struct Control {
  enum class Verb { Set, Ramp, Late, Slow, Fault };
  Verb verb = Verb::Set;
  int input = 0;
  double value = 0;  // set: the value; ramp: the rate; late, slow: milliseconds
  FaultSpec fault;   // fault: `after` is 0 (from now); Fault::None ends every fault
  std::string text;  // the line as given, for the log
};
// A control line of a schedule: applied this many seconds after the start.
struct TimedControl {
  double at = 0;
  Control control;
};

std::optional<Kind> KindFromName(std::string_view name);
std::optional<Fault> FaultFromName(std::string_view name);
const char* FaultName(Fault fault);
const char* KindName(Kind kind);
// The stride of in-range tagged bursts of `count` numbers: the largest S with
// S x (count + 1) <= 20001, so S x count + S - 1 - 10000 stays at or below 10,000 mV; at
// least 1.
inline long BurstTagStride(long count) { return count >= 0 && count < 20001 ? 20001 / (count + 1) : 1; }
// A control line, or nothing with the reason it is wrong.
std::optional<Control> ParseControl(std::string_view line, std::string* error);
// A schedule file: one control line a line, each after its time in seconds from the
// start ("12.5 fault silent 3"); blank lines and lines starting with "#" are skipped.
// Nothing, with the first wrong line's number and reason, unless every line is right.
std::optional<std::vector<TimedControl>> ReadSchedule(const std::string& path, std::string* error);

// What the simulated ADC-1 converts input 1 to 16 to: the 12-bit magnitude and its sign
// (low gain: 1000 + 100 x input, high gain: 2000 + 100 x input; odd inputs positive).
struct Adc1Reading {
  int magnitude = 0;
  bool positive = true;
};
Adc1Reading Adc1Simulated(int input, bool highGain);

struct Options {
  Kind kind = Kind::UI3;
  std::string link;  // symbolic link made to the terminal side; empty: none
  int baud = 0;      // pace bytes at this rate (10 bits a byte); 0: at once
  // The faults of the run, from its start. Where spans overlap, the one given last
  // applies.
  std::vector<FaultSpec> faults;
  // A late reply comes this many milliseconds after the program's time-out.
  int lateMs = 84;
  // A slow reply comes this many milliseconds after its request.
  int slowMs = 300;
  // What inputs read (input number, value in the program's units), in place of the
  // simulated defaults; see Simulator::SetValue.
  std::vector<std::pair<int, double>> values;
  // Every input rises by this much a second (in its own unit) from the ramp's origin:
  // the first byte the simulator receives (a streaming instrument: its start). All
  // inputs take it but a Sable's T inputs and counter and an ADAM's cold junction,
  // which rise at their own rate only (Simulator::SetRate).
  double ramp = 0;
  // wrapHigh > wrapLow: an input given its own rate (SetRate, "ramp INPUT RATE") that
  // rises past wrapHigh starts again from wrapLow, a sawtooth, so a fast rise stays in
  // the instrument's range for as long as the run lasts.
  double wrapLow = 0, wrapHigh = 0;
  // Control lines applied at their times (seconds from the start).
  std::vector<TimedControl> schedule;
  std::string logPath;  // every byte received and sent, one line per chunk; empty: none
  // With logPath: every reading an asked instrument takes ("rd INPUT VALUE", the value
  // as it reads before the reply's own rounding) and every reply a fault or the
  // replies before it keep from going out well ("rf FAULT MS", MS after its request;
  // "held" for a reply late only behind another).
  bool logReadings = false;
  uint32_t seed = 1;    // garbage bytes
  // Each channel answers its own value, so a reply taken for the wrong channel shows:
  // a DataTaker's voltage channel n gives n x 100 mV, an ADAM module at address AA gives
  // AA + i/10 V on input i (address 01, input 2: +1.2000).
  bool channelValues = false;

  // Streaming instrument.
  int periodMs = 200;                   // between lines (or bursts)
  int burst = 1;                        // lines sent together
  int splitMs = 0;                      // > 0: every line goes in two halves, the second this much later
  std::string nameLine = "!!!:SIM-1:";  // sent first; empty: none
  std::vector<std::string> lines = {"21.5 C, 40 %RH"};  // sent in turn, each + CR

  // DT800 burst: the millivolt values a burst sends, in turn and again from the first.
  std::vector<std::string> burstValues = {"100", "300", "500", "700", "900", "700", "500", "300"};
  // In place of burstValues every number names its burst and its place in it: the k-th
  // number of the n-th burst (the n-th "X" of the run) is n x 100000 + k millivolts, so
  // a stored point shows which block and position it came from.
  bool burstTagged = false;
  // The step between bursts of tagged numbers: burst n's k-th number is n x step + k
  // (100000 leaves every place of a burst its own tag; a step of 1000 keeps the numbers
  // of the first nine bursts below 10 V, within a voltage input's range, for bursts of
  // at most 999 numbers).
  long burstTagStep = 100000;
  // Tagged numbers that stay within a voltage input's range (+-10,000 mV), for a
  // program that refuses a block holding a number beyond it: burst n's k-th number is
  // S x k + (n mod S) - 10000 mV, where S = BurstTagStride(count) is the widest stride
  // the burst's count leaves room for (9 for 2,048 numbers, 2 for 8,192). Whole numbers
  // all, so a block-average of whole millivolts keeps them; a point (the average of its
  // numbers) names its place, and its block by n mod S, which tells consecutive blocks
  // apart whenever S is 2 or more (a count up to 9,999).
  bool burstTaggedInRange = false;
  // A burst that stops part-way: from its byte `byte` on (0 the first), burst `burst`
  // sends nothing for `ms` milliseconds and then the rest at once, ahead of anything
  // asked for meanwhile (a new burst waits behind it), its first `lost` bytes lost in
  // the silence; a negative `ms` drops the rest.
  struct BurstGap {
    long burst = 0;
    long byte = 0;
    int ms = 0;
    long lost = 0;
  };
  std::vector<BurstGap> burstGaps;
  // A burst the logger spoils: a stale one sends the previous burst's numbers again
  // ahead of its own (its first: its own twice), a garbled one has a tenth of its bytes,
  // from a third of the way in, replaced by random bytes, three more than it replaces.
  struct BurstFault {
    long burst = 0;
    Fault fault = Fault::Stale;  // Stale or Garbage
  };
  std::vector<BurstFault> burstFaults;

  // ADAM modules: the model at address 01, 02, ... (empty: no module there).
  std::vector<std::string> adamModules = {"4019", "4050", "4017"};

  // ADC-1: status polls of every conversion answered "busy" before the result.
  int adc1BusyPolls = 2;
};

class Simulator {
 public:
  explicit Simulator(Options options);
  ~Simulator();
  Simulator(const Simulator&) = delete;
  Simulator& operator=(const Simulator&) = delete;

  // Creates the terminal and the link and starts answering; false with a reason.
  bool Start(std::string* error);
  void Stop();

  // The terminal side's path (/dev/pts/N), which the link points to (a new one after
  // a hang-up; empty while hung up).
  std::string TerminalPath() const;
  // Every byte received so far.
  std::string Received() const;
  // Every byte sent so far.
  std::string Sent() const;

  // In place of every other fault: the fault for its first `count` replies (-1: all).
  void SetFault(Fault fault, int count);
  // In place of every other fault: the fault from `after` seconds from now, for
  // `seconds` (negative: for good).
  void SetFaultSpan(Fault fault, double after, double seconds);
  // One more fault, its `after` counted from now.
  void AddFault(const FaultSpec& fault);
  // How late a late reply comes after the program's time-out, from now on.
  void SetLateMs(int ms);
  // Applies a control line and logs it; false with the reason it cannot apply.
  bool Apply(const Control& control, std::string* error);
  // What an input reads from now on, in the program's units: a Sable's analog input
  // (1..8, volts), T input (9..12, degrees Celsius), counter (13) or further voltage
  // input (14, volts); a DataTaker's channel 1..99 (volts for a voltage input, else
  // degrees, ohms or counts); an ADAM input (1..8 the module at 01, 9..16 the one at
  // 03, volts; 0 the cold-junction temperature); an ADC-1 input 1..16 (volts); a
  // streaming instrument's field 1..16. False when the kind has no such input. A
  // rising input keeps rising from the value.
  bool SetValue(int input, double value);
  // Input `input` rises by `perSecond` a second (its own unit) from now on, from what
  // it reads now (from the ramp's origin when that has not come yet). False when the
  // kind has no such input.
  bool SetRate(int input, double perSecond);
  // Sable: the reply word to a one-byte command.
  void SetWord(uint8_t command, uint16_t word);
  // Sable: the serial instrument's line (without CR) answered to "i" CR.
  void SetInstrumentLine(std::string line);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The mv-sim command line: parses the arguments, or gives the reason they are wrong.
std::optional<Options> ParseCommandLine(const std::vector<std::string>& args, std::string* error);
// Runs mv-sim until SIGINT, SIGTERM or SIGHUP; returns the exit status.
int RunCommandLine(int argc, char** argv);

}  // namespace mv::sim
