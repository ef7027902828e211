#include "sim/fault_plan.h"

#include <algorithm>

namespace mv::sim {

void FaultPlan::Add(const FaultSpec& given, Clock::time_point origin) {
  if (given.fault == Fault::None) return;
  Running r{given, origin, Clock::time_point::max(), given.count};
  if (given.after > 0) r.from += std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(given.after));
  if (given.seconds >= 0)
    r.to = r.from + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(given.seconds));
  faults_.push_back(r);
}

void FaultPlan::EndAll(Clock::time_point now) {
  for (Running& r : faults_) {
    r.from = std::min(r.from, now);
    r.to = std::min(r.to, now);
  }
}

FaultPlan::Applied FaultPlan::Take(int module, Clock::time_point now) {
  for (auto it = faults_.rbegin(); it != faults_.rend(); ++it) {
    Running& r = *it;
    if (r.given.fault == Fault::HangUp || !Holds(r, now)) continue;
    if (r.given.module >= 0 && r.given.module != module) continue;
    if (r.left > 0) --r.left;
    return {r.given.fault, r.to};
  }
  return {};
}

bool FaultPlan::HungUp(Clock::time_point now) const {
  return std::any_of(faults_.begin(), faults_.end(),
                     [&](const Running& r) { return r.given.fault == Fault::HangUp && Holds(r, now); });
}

Clock::time_point FaultPlan::NextChange(Clock::time_point now) const {
  Clock::time_point next = Clock::time_point::max();
  for (const Running& r : faults_) {
    if (r.ended) continue;
    if (!r.begun) next = std::min(next, std::max(r.from, now));
    if (r.to > now) next = std::min(next, r.to);
    // A spent count ends the fault at once.
    if (r.begun && r.left == 0) next = now;
  }
  return next;
}

std::vector<std::string> FaultPlan::Changes(Clock::time_point now) {
  std::vector<std::string> said;
  for (Running& r : faults_) {
    if (!r.begun && now >= r.from && r.from < r.to) {
      r.begun = true;
      said.push_back(Name(r) + " begins");
    }
    if (!r.ended && (now >= r.to || (r.begun && r.left == 0))) {
      r.ended = true;
      if (r.begun) said.push_back(Name(r) + " ends");
    }
  }
  // Ended faults no longer count.
  faults_.erase(std::remove_if(faults_.begin(), faults_.end(), [](const Running& r) { return r.ended; }),
                faults_.end());
  return said;
}

std::string FaultPlan::Name(const Running& r) {
  std::string name = std::string("fault ") + FaultName(r.given.fault);
  if (r.given.module >= 0) {
    name += " (module ";
    if (r.given.module < 10) name += '0';
    name += std::to_string(r.given.module) + ")";
  }
  return name;
}

}  // namespace mv::sim
