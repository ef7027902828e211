// What an instrument says: a responder turns received bytes (and the passing of time,
// for instruments that talk unasked) into replies. The framework applies pacing and
// injected faults to the replies.
#pragma once
#include <algorithm>
#include <chrono>
#include <cmath>
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
  int module = -1;        // the ADAM module that answers (faults for one module); -1: none
};

// What inputs read: a value set in place of the instrument's own, plus a steady rise.
// A rise is counted from the ramp's origin, which the simulator fixes once (before it,
// nothing rises): the common rate for every input that takes it, or an input's own
// rate from when it was given, on top of the rise it had then.
class Inputs {
 public:
  void SetCommonRate(double perSecond) { commonRate_ = perSecond; }
  // An input with its own rate reads from `low` again once it rises past `high`.
  void SetWrap(double low, double high) { wrapLow_ = low, wrapHigh_ = high; }
  void StartRamp(Clock::time_point origin) { origin_ = origin; }
  bool RampStarted() const { return origin_ != Clock::time_point::max(); }

  // The input reads `value` now and keeps rising at its rate.
  void Set(int input, double value, bool common) { values_[input] = value - Rise(input, common); }
  void SetRate(int input, double perSecond, bool common) {
    const Clock::time_point now = Clock::now();
    rates_[input] = {perSecond, now, Rise(input, common, now)};
  }
  // What the input reads at `now`: the value set for it, else `own`, plus its rise.
  double Of(int input, double own, bool common, Clock::time_point now = Clock::now()) const {
    const auto it = values_.find(input);
    double v = (it == values_.end() ? own : it->second) + Rise(input, common, now);
    if (wrapHigh_ > wrapLow_ && rates_.count(input)) {
      const double span = wrapHigh_ - wrapLow_;
      v = wrapLow_ + (v - wrapLow_ - span * std::floor((v - wrapLow_) / span));
    }
    if (taken_) taken_->emplace_back(input, v);
    return v;
  }
  // While set, every reading is added to `taken` (input, value).
  void Record(std::vector<std::pair<int, double>>* taken) { taken_ = taken; }
  // Whether the input reads anything but the instrument's own value.
  bool Changed(int input, bool common) const {
    return values_.count(input) > 0 || rates_.count(input) > 0 || (common && commonRate_ != 0);
  }
  bool IsSet(int input) const { return values_.count(input) > 0; }
  bool HasOwnRate(int input) const { return rates_.count(input) > 0; }

 private:
  struct Rate {
    double perSecond = 0;
    Clock::time_point from{};
    double risen = 0;  // the rise it had when the rate was given
  };
  double Rise(int input, bool common, Clock::time_point now = Clock::now()) const {
    if (!RampStarted() || now < origin_) return 0;
    const auto it = rates_.find(input);
    if (it == rates_.end()) return common ? commonRate_ * Seconds(now - origin_) : 0;
    return it->second.risen + it->second.perSecond * Seconds(now - std::max(origin_, it->second.from));
  }
  static double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

  double commonRate_ = 0;
  double wrapLow_ = 0, wrapHigh_ = 0;
  Clock::time_point origin_ = Clock::time_point::max();
  std::map<int, double> values_;
  std::map<int, Rate> rates_;
  std::vector<std::pair<int, double>>* taken_ = nullptr;
};

class Responder {
 public:
  explicit Responder(Inputs& inputs) : inputs_(inputs) {}
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
  // An instrument that talks unasked: its inputs rise from its start, not from a request.
  virtual bool TalksUnasked() const { return false; }
  // What an input reads, or how fast it rises, from now on (see Simulator::SetValue
  // and SetRate); false: no such input.
  bool SetValue(int input, double value) {
    if (!HasInput(input)) return false;
    inputs_.Set(input, value, TakesCommonRamp(input));
    return true;
  }
  bool SetRate(int input, double perSecond) {
    if (!HasInput(input)) return false;
    inputs_.SetRate(input, perSecond, TakesCommonRamp(input));
    return true;
  }
  // Sable settings; other instruments ignore them.
  virtual void SetWord(uint8_t command, uint16_t word) {}
  virtual void SetInstrumentLine(std::string line) {}

 protected:
  virtual bool HasInput(int input) const = 0;
  // Whether the input rises at the common rate (the analog inputs do).
  virtual bool TakesCommonRamp(int input) const { return true; }
  // What the input reads at `now`, its own value `own` (see Inputs::Of).
  double Reads(int input, double own, Clock::time_point now = Clock::now()) const {
    return inputs_.Of(input, own, TakesCommonRamp(input), now);
  }
  bool Changed(int input) const { return inputs_.Changed(input, TakesCommonRamp(input)); }

  Inputs& inputs_;
};

// A value as an instrument writes it, locale-free: the shortest text that reads back
// as the same double, or with a fixed number of decimals.
std::string NumberText(double value);
std::string FixedText(double value, int decimals);

// Each responder reads its inputs from `inputs`, which outlives it.
std::unique_ptr<Responder> MakeSableResponder(bool ui3, Inputs& inputs);
std::unique_ptr<Responder> MakeStreamResponder(const Options& options, Inputs& inputs);
// A DT800 also takes the burst commands of its fast scope (the others ignore them).
std::unique_ptr<Responder> MakeDataTakerResponder(const Options& options, Inputs& inputs);
std::unique_ptr<Responder> MakeAdamResponder(const Options& options, Inputs& inputs);
std::unique_ptr<Responder> MakeAdc1Responder(const Options& options, Inputs& inputs);

}  // namespace mv::sim
