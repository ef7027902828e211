// What an instrument says: a responder turns received bytes (and the passing of time,
// for instruments that talk unasked) into replies. The framework applies pacing and
// injected faults to the replies.
#pragma once
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/sim.h"

namespace mv::sim {

using Clock = std::chrono::steady_clock;

struct Reply {
  std::string bytes;
  int delayMs = 0;        // after the request (or now, for unasked output)
  bool faultable = true;  // injected faults apply to it
};

class Responder {
 public:
  virtual ~Responder() = default;
  // Bytes from the program, in arrival order; commands may be split across calls.
  virtual void Received(std::string_view bytes, std::vector<Reply>& out) = 0;
  // Called on every pass of the simulator's loop, for unasked output.
  virtual void Tick(Clock::time_point now, std::vector<Reply>& out) {}
  // When the next Tick has something to do (the loop sleeps no longer than this).
  virtual Clock::time_point NextTick() const { return Clock::time_point::max(); }
  // The program's time-out for one reply, in milliseconds (a late reply comes after it).
  virtual int TimeoutMs() const = 0;
  // A partial reply's rest follows after a gap (a line split in mid-transmission).
  virtual bool PartialRestFollows() const { return false; }
  // What an input reads from now on (see Simulator::SetValue); false: no such input.
  virtual bool SetValue(int input, double value) = 0;
  // Sable settings; other instruments ignore them.
  virtual void SetWord(uint8_t command, uint16_t word) {}
  virtual void SetInstrumentLine(std::string line) {}
};

// The values set for inputs first..last (Simulator::SetValue), which a responder
// answers in place of its own.
class InputValues {
 public:
  InputValues(int first, int last) : first_(first), last_(last) {}
  // False: no such input.
  bool Set(int input, double value) {
    if (input < first_ || input > last_) return false;
    values_[input] = value;
    return true;
  }
  std::optional<double> Of(int input) const {
    const auto it = values_.find(input);
    return it == values_.end() ? std::nullopt : std::optional<double>(it->second);
  }

 private:
  int first_, last_;
  std::map<int, double> values_;
};

// A value as an instrument writes it, locale-free: the shortest text that reads back
// as the same double, or with a fixed number of decimals.
std::string NumberText(double value);
std::string FixedText(double value, int decimals);

std::unique_ptr<Responder> MakeSableResponder(bool ui3);
std::unique_ptr<Responder> MakeStreamResponder(const Options& options);
// A DT800 also takes the burst commands of its fast scope (the others ignore them).
std::unique_ptr<Responder> MakeDataTakerResponder(const Options& options);
std::unique_ptr<Responder> MakeAdamResponder(const Options& options);
std::unique_ptr<Responder> MakeAdc1Responder(const Options& options);

}  // namespace mv::sim
