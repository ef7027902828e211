// Simulated instruments on pseudo-terminals. A simulator creates a pseudo-terminal,
// keeps its own descriptor of the terminal side open (so the program may close and
// reopen the port at will), links a path to it, answers the instrument's protocol,
// and logs every byte. It can pace its bytes at a baud rate, inject faults for the
// whole run or for a span of it, hang up and come back, and change what an input
// reads while it runs.
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
};

std::optional<Kind> KindFromName(std::string_view name);
std::optional<Fault> FaultFromName(std::string_view name);
const char* KindName(Kind kind);

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
  Fault fault = Fault::None;
  int faultCount = -1;  // replies that get the fault, then the instrument is well; -1: all
  // The span of the run the fault lasts: from this many seconds after the start, for
  // this many seconds (negative: to the end).
  double faultAfter = 0;
  double faultFor = -1;
  // A late reply comes this many milliseconds after the program's time-out.
  int lateMs = 84;
  // What inputs read (input number, value in the program's units), in place of the
  // simulated defaults; see Simulator::SetValue.
  std::vector<std::pair<int, double>> values;
  std::string logPath;  // every byte received and sent, one line per chunk; empty: none
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
  std::vector<std::string> lines = {"T=21.5C, RH=40%"};  // sent in turn, each + CR

  // DT800 burst: the millivolt values a burst sends, in turn and again from the first.
  std::vector<std::string> burstValues = {"100", "300", "500", "700", "900", "700", "500", "300"};

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

  void SetFault(Fault fault, int count);
  // The fault from `after` seconds from now, for `seconds` (negative: for good).
  void SetFaultSpan(Fault fault, double after, double seconds);
  // How late a late reply comes after the program's time-out, from now on.
  void SetLateMs(int ms);
  // What input 1..16 reads from now on, in the program's units: a Sable's analog input
  // (volts), T input (9..12, degrees Celsius) or counter (13); a DataTaker's channel
  // (volts for a voltage input, else degrees, ohms or counts); an ADAM input (1..8 the
  // module at 01, 9..16 the one at 03; volts); an ADC-1 input (volts); a streaming
  // instrument's field. False when the kind has no such input.
  bool SetValue(int input, double value);
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
