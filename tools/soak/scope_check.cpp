#include "soak/scope_check.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>

#include "soak/kept.h"

namespace fs = std::filesystem;

namespace mv::soak {

namespace {

constexpr double kBad = -99999;

ScopeSweep ParseSweep(const fs::path& file) {
  ScopeSweep s;
  s.name = file.filename().string();
  const std::string dump = DumpOf(file);
  if (dump.find("format: binary scope file") == std::string::npos ||
      dump.find("mvdump could not decode it whole") != std::string::npos) {
    s.problem = "not a scope file: " + dump.substr(0, 160);
    return s;
  }
  std::istringstream lines(dump);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("comment text: ", 0) == 0) s.comment = line;
    if (line.rfind("samples of channel block 1 ", 0) != 0) continue;
    std::istringstream in(line.substr(line.find(':') + 1));
    for (std::string v; in >> v;) s.points.push_back(std::strtod(v.c_str(), nullptr));
  }
  return s;
}

}  // namespace

// The saved sweeps by number.
std::vector<ScopeSweep> LoadSweeps(const fs::path& docs) {
  std::vector<std::pair<long, fs::path>> files;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(docs, ec)) {
    const std::string n = e.path().filename().string();
    if (n.rfind("sweep", 0) == 0 && n.rfind(' ') != std::string::npos)
      files.emplace_back(std::atol(n.c_str() + n.rfind(' ') + 1), e.path());
  }
  std::sort(files.begin(), files.end());
  std::vector<ScopeSweep> sweeps;
  for (const auto& [n, path] : files) sweeps.push_back(ParseSweep(path));
  return sweeps;
}

namespace {

// Where point i of a block stands in the logger's numbers: the mean of the `per`
// numbers the burst sent for it, n x 100000 + k mV for the k-th of block n.
double Place(std::size_t i, std::size_t per) {
  return static_cast<double>((i - 1) * per) + (static_cast<double>(per) + 1) / 2;
}

// The block a point was read from and how far (in mV) it lies from point i's place in
// it: 0 when it is that point, as a + b x volts.
long BlockOf(const Plan& p, double v, std::size_t i, std::size_t per, double* off) {
  const double mv = (v - p.scopeA) / p.scopeB * 1000 - Place(i, per);
  const long n = std::lround(mv / 100000);
  *off = mv - static_cast<double>(n) * 100000;
  return n;
}
// The most a single-precision point may lie from its place: half its last digit, in mV.
double Room(const Plan& p, double v) {
  return std::max(0.002, std::fabs(v) * 1.2e-7 / p.scopeB * 1000);
}

}  // namespace

Report CheckScope(const Plan& p, const Options& o, const fs::path& docs, const SimLog& log,
                  const std::vector<Usage>& usage) {
  return CheckScopeSweeps(p, o, LoadSweeps(docs), log, usage);
}

Report CheckScopeSweeps(const Plan& p, const Options& o, const std::vector<ScopeSweep>& sweeps,
                        const SimLog& log, const std::vector<Usage>& usage) {
  // The chart's checks for memory and CPU, on no chart file.
  Report r = Check(p, o, {}, {}, log, usage);
  for (Invariant& i : r.invariants)
    if (&i - &r.invariants.front() != kUsage)
      i = Invariant(i.name), i.notes.push_back("no chart file in a scope run");
  Invariant& stored = r.invariants[kStored];
  Invariant& cells = r.invariants[kCells];
  Invariant& once = r.invariants[kOnce];
  stored.name = "every sweep the run saved decodes, one for each Tab at least";
  cells.name = "every saved point its block's number at its own place, in volts, or -99999";
  once.name = "each saved sweep one block, later than the sweep's before (no block saved twice)";
  stored.checked = static_cast<long>(sweeps.size());
  if (sweeps.empty()) stored.Fail("no sweep saved for " + std::to_string(p.tabs.size()) + " Tab presses");
  long right = 0, bad = 0, partial = 0, lastBlock = 0;
  std::string lastName;
  // The burst's values for each point of the sweep.
  const std::size_t per =
      std::max<std::size_t>(1, static_cast<std::size_t>(log.burstCount / std::max(1, p.scopePoints)));
  for (const ScopeSweep& s : sweeps) {
    if (!s.problem.empty()) {
      stored.Fail(s.name + ": " + s.problem);
      continue;
    }
    if (s.comment.find("partial block") != std::string::npos) ++partial;
    std::size_t wrong = 0, first = 0;
    std::map<long, long> blocks;  // block: points
    for (std::size_t i = 0; i < s.points.size(); ++i) {
      ++cells.checked;
      const double v = s.points[i];
      if (v == kBad) {
        ++bad;
        continue;
      }
      double off = 0;
      const long n = i == 0 ? 0 : BlockOf(p, v, i, per, &off);
      if (i > 0 && n >= 1 && std::fabs(off) <= Room(p, v)) {
        ++right;
        ++blocks[n];
      } else {
        ++cells.violations;
        if (wrong++ == 0) first = i;
      }
    }
    const auto unread = std::count(s.points.begin() + (s.points.empty() ? 0 : 1), s.points.end(), kBad);
    if (unread > 0 && s.comment.find("partial block") == std::string::npos)
      cells.Fail(s.name + ": " + std::to_string(unread) +
                 " points not read, and its comment does not say partial block");
    if (wrong > 0 && cells.first.size() < kFirstShown) {
      double off = 0;
      const long n = first == 0 ? 0 : BlockOf(p, s.points[first], first, per, &off);
      std::ostringstream w;
      w.precision(10);
      w << s.name << " point " << first << " = " << s.points[first] << " V: "
        << (first == 0 ? std::string("point 0 is read by no burst")
                       : "not any block's number for its place (block " + std::to_string(n) + ", " +
                             std::to_string(off) + " mV off)")
        << (wrong > 1 ? " (" + std::to_string(wrong) + " points of it wrong)" : std::string());
      cells.first.push_back(w.str());
    }
    ++once.checked;
    if (blocks.size() > 1) {
      std::string which;
      for (const auto& [n, count] : blocks) which += (which.empty() ? "" : ", ") + std::to_string(n);
      once.Fail(s.name + " holds points of blocks " + which);
    }
    if (blocks.empty()) continue;
    const long block = blocks.rbegin()->first;
    if (log.burstsAsked > 0 && block > log.burstsAsked)
      once.Fail(s.name + " holds block " + std::to_string(block) + " of " + std::to_string(log.burstsAsked) +
                " asked for");
    if (block == lastBlock)
      once.Fail(s.name + " is block " + std::to_string(block) + " again, saved already as " + lastName);
    else if (block < lastBlock)
      once.Fail(s.name + " is block " + std::to_string(block) + ", older than " + lastName + "'s " +
                std::to_string(lastBlock));
    lastBlock = std::max(lastBlock, block);
    lastName = s.name;
  }
  cells.counted = bad;
  cells.countedAs = "points -99999";
  cells.notes.push_back(std::to_string(right) + " points right, " + std::to_string(bad) + " -99999, in " +
                        std::to_string(sweeps.size()) + " sweeps (" + std::to_string(partial) +
                        " saying partial block) for " + std::to_string(p.tabs.size()) + " Tab presses, " +
                        std::to_string(log.burstsAsked) + " blocks asked for");
  return r;
}

}  // namespace mv::soak
