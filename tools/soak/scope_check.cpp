#include "soak/scope_check.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>

#include "soak/kept.h"

namespace fs = std::filesystem;

namespace mv::soak {

namespace {

constexpr double kBad = -99999;

struct Sweep {
  std::string name;
  std::vector<double> points;
  std::string problem, comment;
};

Sweep ParseSweep(const fs::path& file) {
  Sweep s;
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

// The saved sweeps by number.
std::vector<Sweep> Sweeps(const fs::path& docs) {
  std::vector<std::pair<long, fs::path>> files;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(docs, ec)) {
    const std::string n = e.path().filename().string();
    if (n.rfind("sweep", 0) == 0 && n.rfind(' ') != std::string::npos)
      files.emplace_back(std::atol(n.c_str() + n.rfind(' ') + 1), e.path());
  }
  std::sort(files.begin(), files.end());
  std::vector<Sweep> sweeps;
  for (const auto& [n, path] : files) sweeps.push_back(ParseSweep(path));
  return sweeps;
}

// What point i holds: point 0 is read by no burst (-99999); point i the mean of the
// `per` values the burst sent for it, in turn from the block's first, as the channel's
// a + b x volts.
double Expected(const Plan& p, std::size_t i, std::size_t per) {
  if (i == 0) return kBad;
  const std::size_t n = p.burstMillivolts.size();
  double sum = 0;
  for (std::size_t j = 0; j < per; ++j) sum += p.burstMillivolts[((i - 1) * per + j) % n];
  return p.scopeA + p.scopeB * sum / static_cast<double>(per) / 1000;
}

}  // namespace

Report CheckScope(const Plan& p, const Options& o, const fs::path& docs, const SimLog& log,
                  const std::vector<Usage>& usage) {
  // The chart's checks for memory and CPU, on no chart file.
  Report r = Check(p, o, {}, {}, log, usage);
  for (Invariant& i : r.invariants)
    if (&i - &r.invariants.front() != kUsage)
      i = Invariant(i.name), i.notes.push_back("no chart file in a scope run");
  Invariant& stored = r.invariants[kStored];
  Invariant& cells = r.invariants[kCells];
  stored.name = "every sweep the run saved decodes, one for each Tab at least";
  cells.name = "every saved point the logger's value at its place in its block, in volts, or -99999";
  const std::vector<Sweep> sweeps = Sweeps(docs);
  stored.checked = static_cast<long>(sweeps.size());
  if (sweeps.empty()) stored.Fail("no sweep saved for " + std::to_string(p.tabs.size()) + " Tab presses");
  long right = 0, bad = 0, partial = 0;
  // The burst's values for each point of the sweep.
  const std::size_t per =
      std::max<std::size_t>(1, static_cast<std::size_t>(log.burstCount / std::max(1, p.scopePoints)));
  for (const Sweep& s : sweeps) {
    if (!s.problem.empty()) {
      stored.Fail(s.name + ": " + s.problem);
      continue;
    }
    if (s.comment.find("partial block") != std::string::npos) ++partial;
    std::size_t wrong = 0, first = 0;
    for (std::size_t i = 0; i < s.points.size(); ++i) {
      ++cells.checked;
      const double v = s.points[i], want = Expected(p, i, per);
      if (v == kBad) {
        ++bad;
      } else if (std::fabs(v - want) <= 1e-4 * std::max(1.0, std::fabs(want))) {
        ++right;
      } else {
        ++cells.violations;
        if (wrong++ == 0) first = i;
      }
    }
    const auto unread = std::count(s.points.begin() + (s.points.empty() ? 0 : 1), s.points.end(), kBad);
    if (unread > 0 && s.comment.find("partial block") == std::string::npos)
      cells.Fail(s.name + ": " + std::to_string(unread) +
                 " points not read, and its comment does not say partial block");
    if (wrong > 0) {
      std::ostringstream w;
      w << s.name << " point " << first << " = " << s.points[first] << " V where the logger sent "
        << (Expected(p, first, per) == kBad ? std::string("nothing")
                                            : std::to_string(Expected(p, first, per)) + " V")
        << (wrong > 1 ? " (" + std::to_string(wrong) + " points of it wrong)" : std::string());
      if (cells.first.size() < 5) cells.first.push_back(w.str());
    }
  }
  cells.counted = bad;
  cells.countedAs = "points -99999";
  cells.notes.push_back(std::to_string(right) + " points right, " + std::to_string(bad) + " -99999, in " +
                        std::to_string(sweeps.size()) + " sweeps (" + std::to_string(partial) +
                        " saying partial block) for " + std::to_string(p.tabs.size()) + " Tab presses");
  return r;
}

}  // namespace mv::soak
