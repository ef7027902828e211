#include "soak/scope_check.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "sim/sim.h"
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
std::vector<ScopeSweep> LoadSweeps(const fs::path& dir) {
  const fs::path docs = dir / "documents";
  const std::map<std::string, SaveTime> saves = SaveTimes(dir);
  std::vector<std::pair<long, fs::path>> files;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(docs, ec)) {
    const std::string n = e.path().filename().string();
    if (n.rfind("sweep", 0) == 0 && n.rfind(' ') != std::string::npos)
      files.emplace_back(std::atol(n.c_str() + n.rfind(' ') + 1), e.path());
  }
  std::sort(files.begin(), files.end());
  std::vector<ScopeSweep> sweeps;
  for (const auto& [n, path] : files) {
    sweeps.push_back(ParseSweep(path));
    if (const auto t = saves.find(sweeps.back().name); t != saves.end())
      sweeps.back().saved = t->second.ended;
  }
  return sweeps;
}

namespace {

// The logger's tags (mv-sim --burst-tagged-in-range): the k-th number of burst n is
// S x k + (n mod S) - 10000 mV, S the stride its count leaves room for within +-10 V.
// The program sums a point's `per` numbers in whole millivolts and divides in whole
// numbers, so the point of place i in a block of class c is that quotient exactly.
double Expected(std::size_t i, std::size_t per, long stride, long c) {
  long long sum = 0;
  for (std::size_t k = (i - 1) * per + 1; k <= i * per; ++k)
    sum += static_cast<long long>(stride) * static_cast<long long>(k) + c - 10000;
  return static_cast<double>(sum / static_cast<long long>(per));
}

// The block class (n mod S) whose number point i holds, as a + b x volts, or -1 when
// the point is no block's number for its place. `off` is how far (in mV) it lies from
// the nearest class's number.
long ClassOf(const Plan& p, double v, std::size_t i, std::size_t per, long stride, double room, double* off) {
  const double mv = (v - p.scopeA) / p.scopeB * 1000;
  const long near = std::lround(mv - Expected(i, per, stride, 0));
  *off = mv - Expected(i, per, stride, 0);
  for (long c = std::max(0L, near - 1); c <= std::min(stride - 1, near + 1); ++c) {
    const double d = mv - Expected(i, per, stride, c);
    if (std::fabs(d) <= room) return *off = d, c;
    if (std::fabs(d) < std::fabs(*off)) *off = d;
  }
  return -1;
}
// The block of class c a sweep saved with `asked` blocks asked for holds: the latest of
// them with that class (0: none), so a block saved again or an older one shows, within
// S - 1 blocks of the last asked.
long BlockOf(long c, long stride, long asked) {
  return asked - (((asked - c) % stride) + stride) % stride;
}
// The blocks asked for before the sweep's save (all of them when its time is unknown).
long AskedBefore(const ScopeSweep& s, const SimLog& log) {
  if (s.saved < 0) return static_cast<long>(log.bursts.size());
  return static_cast<long>(std::lower_bound(log.bursts.begin(), log.bursts.end(), s.saved) -
                           log.bursts.begin());
}
// The most a single-precision point may lie from its place: half its last digit, in mV.
double Room(const Plan& p, double v) {
  return std::max(0.002, std::fabs(v) * 1.2e-7 / p.scopeB * 1000);
}

}  // namespace

Report CheckScope(const Plan& p, const Options& o, const fs::path& dir, const SimLog& log,
                  const std::vector<Usage>& usage) {
  return CheckScopeSweeps(p, o, LoadSweeps(dir), log, usage);
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
  long right = 0, bad = 0, partial = 0, lastBlock = 0, wrongAll = 0, resaved = 0;
  std::string lastName;
  const ScopeSweep* lastSweep = nullptr;
  // The burst's values for each point of the sweep, and the tags' stride: a point names
  // its block as n mod stride.
  const std::size_t per =
      std::max<std::size_t>(1, static_cast<std::size_t>(log.burstCount / std::max(1, p.scopePoints)));
  const long stride = sim::BurstTagStride(log.burstCount);
  if (stride < 2)
    once.Fail("a burst of " + std::to_string(log.burstCount) +
              " numbers leaves no room within +-10 V to tell one block from the next");
  for (const ScopeSweep& s : sweeps) {
    if (!s.problem.empty()) {
      stored.Fail(s.name + ": " + s.problem);
      continue;
    }
    if (s.comment.find("partial block") != std::string::npos) ++partial;
    std::size_t wrong = 0, first = 0;
    std::map<long, long> classes;  // n mod stride: points
    for (std::size_t i = 0; i < s.points.size(); ++i) {
      ++cells.checked;
      const double v = s.points[i];
      if (v == kBad) {
        ++bad;
        continue;
      }
      double off = 0;
      const long c = i == 0 ? -1 : ClassOf(p, v, i, per, stride, Room(p, v), &off);
      if (c >= 0) {
        ++right;
        ++classes[c];
      } else {
        ++cells.violations;
        ++wrongAll;
        if (wrong++ == 0) first = i;
      }
    }
    const auto unread = std::count(s.points.begin() + (s.points.empty() ? 0 : 1), s.points.end(), kBad);
    if (unread > 0 && s.comment.find("partial block") == std::string::npos)
      cells.Fail(s.name + ": " + std::to_string(unread) +
                 " points not read, and its comment does not say partial block");
    // The note's count is the points the sweep holds, no more and no fewer.
    if (const auto at = s.comment.find("partial block: "); at != std::string::npos) {
      const std::string rest = s.comment.substr(at + 15);
      if (std::isdigit(static_cast<unsigned char>(rest[0]))) {
        const long said = std::atol(rest.c_str());
        const long held = static_cast<long>(s.points.size()) - (s.points.empty() ? 0 : 1) - unread;
        if (said != held)
          cells.Fail(s.name + ": its note says " + std::to_string(said) + " points, it holds " +
                     std::to_string(held));
      }
    }
    if (wrong > 0 && cells.first.size() < kFirstShown) {
      double off = 0;
      if (first > 0) ClassOf(p, s.points[first], first, per, stride, Room(p, s.points[first]), &off);
      std::ostringstream w;
      w.precision(10);
      w << s.name << " point " << first << " = " << s.points[first] << " V: "
        << (first == 0 ? std::string("point 0 is read by no burst")
                       : "not any block's number for its place (" + std::to_string(off) +
                             " mV from the nearest)")
        << (wrong > 1 ? " (" + std::to_string(wrong) + " points of it wrong)" : std::string());
      cells.first.push_back(w.str());
    }
    ++once.checked;
    const long asked = AskedBefore(s, log);
    if (classes.size() > 1) {
      std::string which;
      for (const auto& [c, count] : classes)
        which += (which.empty() ? "" : ", ") + std::to_string(BlockOf(c, stride, asked));
      once.Fail(s.name + " holds points of blocks " + which);
    }
    if (classes.empty() || stride < 2) continue;
    long block = 0;
    for (const auto& [c, count] : classes) block = std::max(block, BlockOf(c, stride, asked));
    if (block < 1)
      once.Fail(s.name + " holds a block of a class none of the " + std::to_string(asked) +
                " blocks asked for before its save had");
    // A Tab while the logger records the next block saves the block before it again, as
    // it stands: the same sweep to the last point and note, which is no new save of it.
    if (block == lastBlock && lastSweep && s.points == lastSweep->points && s.comment == lastSweep->comment)
      ++resaved;
    else if (block == lastBlock)
      once.Fail(s.name + " is block " + std::to_string(block) + " again, not as " + lastName + " saved it");
    else if (block < lastBlock)
      once.Fail(s.name + " is block " + std::to_string(block) + ", older than " + lastName + "'s " +
                std::to_string(lastBlock));
    lastBlock = std::max(lastBlock, block);
    lastName = s.name;
    lastSweep = &s;
  }
  // No point held anywhere is no pass: unless the schedule cut every block asked for, a
  // block came whole and a sweep should hold it.
  std::set<long> gapped;
  for (const std::string& g : p.burstGaps) {
    const long n = std::atol(g.c_str());
    if (n >= 1 && n <= static_cast<long>(log.bursts.size())) gapped.insert(n);
  }
  const long uncut = static_cast<long>(log.bursts.size() - gapped.size());
  if (!sweeps.empty() && right == 0 && uncut > 0)
    cells.Fail("no point of any of the " + std::to_string(sweeps.size()) + " saved sweeps holds a value, though " +
               std::to_string(uncut) + " of the " + std::to_string(log.bursts.size()) +
               " blocks asked for had no gap in the schedule");
  cells.counted = bad;
  cells.countedAs = "points -99999";
  cells.notes.push_back(std::to_string(right) + " points right, " + std::to_string(bad) + " -99999, " +
                        std::to_string(wrongAll) + " wrong, in " +
                        std::to_string(sweeps.size()) + " sweeps (" + std::to_string(partial) +
                        " saying partial block) for " + std::to_string(p.tabs.size()) + " Tab presses, " +
                        std::to_string(log.bursts.size()) + " blocks asked for");
  once.notes.push_back(std::to_string(resaved) +
                       " sweeps the block saved before them again as it stood (a Tab while the next block recorded)");
  return r;
}

}  // namespace mv::soak
