// The faults of a run: each for its span and its first replies, every reply's or one
// ADAM module's. The plan says which fault a reply gets, whether the line is hung up,
// when the next span begins or ends, and which began or ended, for the log.
#pragma once
#include <string>
#include <vector>

#include "sim/responder.h"

namespace mv::sim {

class FaultPlan {
 public:
  // The fault a reply gets, and the end of its span (a frozen reply waits for it).
  struct Applied {
    Fault fault = Fault::None;
    Clock::time_point until = Clock::time_point::max();
  };

  // Every fault ends at once, unlogged (the caller replaces them).
  void Clear() { faults_.clear(); }
  // One more fault, its `after` counted from `origin`.
  void Add(const FaultSpec& given, Clock::time_point origin);
  // Every fault still running or to come ends now.
  void EndAll(Clock::time_point now);

  // The fault a reply from `module` (-1: none) gets now, which counts it: the one
  // given last of those whose span holds now, whose count is not spent and whose
  // module is the reply's (or any). A hang-up is no reply's fault.
  Applied Take(int module, Clock::time_point now);
  // Whether a hang-up's span holds now.
  bool HungUp(Clock::time_point now) const;
  // When a span next begins or ends after `now`.
  Clock::time_point NextChange(Clock::time_point now) const;
  // The faults that began or ended by now, each said once ("fault silent begins",
  // "fault late ends (module 03)"), in order.
  std::vector<std::string> Changes(Clock::time_point now);

 private:
  struct Running {
    FaultSpec given;
    Clock::time_point from, to;
    int left;
    bool begun = false, ended = false;
  };
  bool Holds(const Running& r, Clock::time_point now) const {
    return now >= r.from && now < r.to && r.left != 0;
  }
  static std::string Name(const Running& r);

  std::vector<Running> faults_;
};

}  // namespace mv::sim
