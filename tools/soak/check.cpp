#include "soak/check.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <sstream>

namespace mv::soak {

namespace {

constexpr double kBad = -99999;
constexpr std::size_t kFirstShown = 5;

double NumberAfter(const std::string& text, std::size_t at) {
  while (at < text.size() && text[at] == ' ') ++at;
  double v = 0;
  std::from_chars(text.data() + at, text.data() + text.size(), v);
  return v;
}

// Every pause and gap the pause log records: "... for M minutes at case N" puts M
// minutes before the sample that follows the N taken.
std::vector<std::pair<int32_t, double>> PauseLogGaps(const std::string& log) {
  std::vector<std::pair<int32_t, double>> gaps;
  const std::string tail = " minutes at case";
  for (std::size_t m = log.find(tail); m != std::string::npos; m = log.find(tail, m + 1)) {
    const std::size_t f = log.rfind(" for", m);
    if (f == std::string::npos) continue;
    gaps.emplace_back(static_cast<int32_t>(NumberAfter(log, m + tail.size())), NumberAfter(log, f + 4) * 60);
  }
  return gaps;
}

// The interval changes of a pause log: "CAUTION:  old sample interval = X sec" then
// "new sample interval = Y sec from case N".
std::vector<StoredFile::IntervalChange> PauseLogChanges(const std::string& log) {
  std::vector<StoredFile::IntervalChange> changes;
  const std::string oldKey = "old sample interval =", newKey = "new sample interval =",
                    fromKey = " sec from case";
  for (std::size_t o = log.find(oldKey); o != std::string::npos; o = log.find(oldKey, o + 1)) {
    const std::size_t n = log.find(newKey, o), f = log.find(fromKey, n == std::string::npos ? o : n);
    const std::size_t nextOld = log.find(oldKey, o + 1);
    if (n == std::string::npos || f == std::string::npos || (nextOld != std::string::npos && f > nextOld))
      continue;
    changes.push_back({static_cast<int32_t>(NumberAfter(log, f + fromKey.size())),
                       NumberAfter(log, o + oldKey.size()), NumberAfter(log, n + newKey.size())});
  }
  return changes;
}

// The file's rule: sample k at the intervals of the stretches up to it (k x old before
// an interval change at N, then N x old + (k - N) x new) plus the pause and gap time
// logged at or before it.
std::vector<double> StoredTimes(const StoredFile& f, std::size_t n) {
  std::vector<double> times;
  double step = f.changes.empty() ? f.interval : f.changes.front().before, base = 0, skipped = 0;
  int32_t baseIndex = 0;
  std::size_t g = 0, c = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const auto k = static_cast<int32_t>(i);
    for (; g < f.gaps.size() && f.gaps[g].first <= k; ++g) skipped += f.gaps[g].second;
    for (; c < f.changes.size() && f.changes[c].from <= k; ++c) {
      base += (f.changes[c].from - baseIndex) * step;
      baseIndex = f.changes[c].from;
      step = f.changes[c].after;
    }
    times.push_back(base + (k - baseIndex) * step + skipped);
  }
  return times;
}

std::string Seconds(double s) {
  std::ostringstream o;
  o.precision(3);
  o << std::fixed << s;
  return o.str();
}

}  // namespace

void Invariant::Fail(const std::string& what) {
  ++violations;
  if (first.size() < kFirstShown) first.push_back(what);
}

StoredFile ParseDump(const std::string& name, const std::string& dump) {
  StoredFile f;
  f.name = name;
  const std::size_t at = dump.find("interval (s): ");
  if (at == std::string::npos || dump.find("count meaning: the last sample index") == std::string::npos) {
    f.problem = "not a chart file: " + dump.substr(0, 200);
    return f;
  }
  f.interval = NumberAfter(dump, at + 14);
  // Line by line: a long run's value lines are far too long for a regular expression.
  std::istringstream lines(dump);
  for (std::string line; std::getline(lines, line);) {
    long long sample = 0, code = 0;
    if (std::sscanf(line.c_str(), "  marker %*d: sample+1 %lld code %lld", &sample, &code) == 2)
      f.markers.emplace_back(static_cast<int32_t>(sample), static_cast<int>(code));
    if (line.rfind("samples of channel block ", 0) != 0) continue;
    std::istringstream in(line.substr(line.find(':') + 1));
    std::vector<double> values;
    for (std::string v; in >> v;) values.push_back(std::stod(v));
    f.cells.push_back(std::move(values));
  }
  const std::size_t trailer = dump.find("trailer: '");
  if (trailer != std::string::npos) {
    f.gaps = PauseLogGaps(dump.substr(trailer));
    f.changes = PauseLogChanges(dump.substr(trailer));
  }
  return f;
}

std::vector<std::vector<double>> ParseTextDump(const std::string& dump) {
  std::vector<std::vector<double>> rows;
  std::istringstream lines(dump);
  for (std::string line; std::getline(lines, line);) {
    const std::size_t open = line.find(": '");
    if (line.rfind("row ", 0) != 0 || open == std::string::npos) continue;
    std::string text = line.substr(open + 3);
    text = text.substr(0, text.rfind('\''));
    for (std::size_t tab; (tab = text.find("\\x09")) != std::string::npos;) text.replace(tab, 4, " ");
    std::istringstream in(text);
    std::vector<double> cells;
    for (std::string v; in >> v;) cells.push_back(std::atof(v.c_str()));
    rows.push_back(std::move(cells));
  }
  return rows;
}

SimLog ParseSimLog(const std::string& text) {
  SimLog log;
  std::istringstream in(text);
  double openFault = -1;
  int open = 0;
  for (std::string line; std::getline(in, line);) {
    const double us = NumberAfter(line, 0);
    const std::size_t space = line.find(' ');
    if (space == std::string::npos) continue;
    const std::string rest = line.substr(space + 1);
    if (rest.rfind("-- start at", 0) == 0) log.start = NumberAfter(rest, 11) / 1e6 - us / 1e6;
    const double t = log.start + us / 1e6;
    if (rest.rfind("tx", 0) == 0) {
      log.replies.push_back(t);
    } else if (rest.rfind("-- ramp origin at", 0) == 0) {
      log.origin = NumberAfter(rest, 17) / 1e6;
    } else if (rest.find(" begins at") != std::string::npos || rest.rfind("-- hang-up", 0) == 0) {
      if (open++ == 0) openFault = t;
    } else if ((rest.find(" ends at") != std::string::npos || rest.rfind("-- back", 0) == 0) && open > 0) {
      if (--open == 0) log.faults.emplace_back(openFault, t);
    }
  }
  if (open > 0) log.faults.emplace_back(openFault, 1e18);
  return log;
}

namespace {

struct Sample {
  double read = -1;  // the wall-clock time its readings tell; < 0: none read
  std::size_t file = 0;
  int32_t index = 0;
  long seq = 0;  // its place among every file's samples, in the order written
  std::vector<double> cells;
};

class Checker {
 public:
  Checker(const Plan& p, const Options& o, const SimLog& log) : p_(p), o_(o), log_(log) {
    // A reading's time is known to its value's resolution; a streamed one is its
    // latest line's, up to a line period old.
    slack_ = p.kind->step / p.rate + (p.kind->streams ? 0.06 : 0);
    limit_ = std::max(o.interval, 0.05) + slack_;
  }

  Report Run(const std::vector<StoredFile>& files, const std::vector<std::vector<double>>& text,
             const std::vector<Usage>& usage) {
    for (std::size_t f = 0; f < files.size(); ++f) CheckFile(files, f);
    if (!files.empty()) CheckText(files.back(), text);
    CheckOnce();
    CheckUsage(usage);
    r_.invariants = {once_, cells_, times_, gaps_, text_, usage_};
    return r_;
  }

 private:
  double TimeOf(int channel, double value) const {
    return log_.origin + (value - p_.bases[static_cast<std::size_t>(channel)]) / p_.rate;
  }
  std::string Where(const StoredFile& f, int32_t k) const { return f.name + " sample " + std::to_string(k); }
  bool InFault(double from, double to) const {
    for (const auto& [b, e] : log_.faults)
      if (from < e + 4 + o_.interval && to > b - 0.2) return true;
    return false;
  }

  void CheckFile(const std::vector<StoredFile>& files, std::size_t fi) {
    const StoredFile& f = files[fi];
    if (!f.problem.empty()) return once_.Fail(f.name + ": " + f.problem);
    if (static_cast<int>(f.cells.size()) != p_.channels)
      return cells_.Fail(f.name + ": " + std::to_string(f.cells.size()) + " channels stored");
    const int32_t n = static_cast<int32_t>(f.cells.front().size());
    std::vector<double> prev(static_cast<std::size_t>(p_.channels), kBad);
    std::vector<bool> prevHeld(static_cast<std::size_t>(p_.channels), false);
    std::vector<Sample> samples;
    for (int32_t k = 0; k < n; ++k) {
      Sample s{-1, fi, k, 0, {}};
      for (int c = 0; c < p_.channels; ++c) s.cells.push_back(f.cells[static_cast<std::size_t>(c)][k]);
      for (int c = 0; c < p_.channels && s.read < 0; ++c)
        if (s.cells[c] != kBad) s.read = TimeOf(c, s.cells[c]);
      CheckCells(f, s, prev, prevHeld);
      samples.push_back(std::move(s));
    }
    CheckTimes(f, samples);
    CheckGaps(f, samples);
    for (Sample& s : samples) {
      s.seq = static_cast<long>(all_.size());
      all_.push_back(std::move(s));
    }
  }

  void CheckCells(const StoredFile& f, const Sample& s, std::vector<double>& prev, std::vector<bool>& held) {
    bool any = false;
    for (int c = 0; c < p_.channels; ++c) {
      const auto cu = static_cast<std::size_t>(c);
      const double v = s.cells[cu];
      ++cells_.checked;
      const bool wasHeld = held[cu];
      held[cu] = false;
      if (v == kBad) {
        prev[cu] = v;
        continue;
      }
      any = true;
      const double t = TimeOf(c, v);
      if (std::fabs(t - s.read) <= o_.interval + 0.05 + slack_) {
        prev[cu] = v;
        continue;
      }
      if (v == prev[cu]) {
        // A held copy of the last value: only as the first failed sample of a gap.
        ++cells_.counted;
        held[cu] = true;
        if (wasHeld) cells_.Fail(Where(f, s.index) + " channel " + std::to_string(c + 1) + " holds " +
                                 std::to_string(v) + " again");
        continue;
      }
      cells_.Fail(Where(f, s.index) + " channel " + std::to_string(c + 1) + " = " + std::to_string(v) +
                  " was read " + Seconds(t - s.read) +
                  " s from its sweep's first reading: another sweep's or channel's value");
      prev[cu] = v;
    }
    any ? ++r_.goodSamples : ++r_.badSamples;
  }

  // Sample k is stored where the file's rule (StoredTimes) puts it; against when it was
  // read, the file's start being where the readings put it.
  void CheckTimes(const StoredFile& f, const std::vector<Sample>& samples) {
    const std::vector<double> stored = StoredTimes(f, samples.size());
    std::vector<double> offsets;
    for (std::size_t i = 0; i < samples.size(); ++i)
      if (samples[i].read >= 0) offsets.push_back(samples[i].read - stored[i]);
    if (offsets.empty()) return;
    std::nth_element(offsets.begin(), offsets.begin() + static_cast<long>(offsets.size() / 2), offsets.end());
    const double origin = offsets[offsets.size() / 2];
    for (std::size_t i = 0; i < samples.size(); ++i) {
      if (samples[i].read < 0) continue;
      ++times_.checked;
      const double off = samples[i].read - origin - stored[i];
      if (std::fabs(off) > limit_ + 0.005)
        times_.Fail(Where(f, samples[i].index) + " read at " + Seconds(samples[i].read - origin) +
                    " s, stored at " + Seconds(stored[i]) + " s (" + Seconds(off) + ")");
    }
  }

  // The text save of the last period: its rows the chart file's samples, each row's
  // time by the same rule (StoredTimes) from the same origin.
  void CheckText(const StoredFile& f, const std::vector<std::vector<double>>& rows) {
    if (!f.problem.empty() || f.cells.empty()) return;
    const std::size_t n = f.cells.front().size();
    if (rows.size() != n)
      text_.Fail(std::to_string(rows.size()) + " text rows for " + std::to_string(n) + " samples in " +
                 f.name);
    const std::vector<double> times = StoredTimes(f, std::min(n, rows.size()));
    double origin = 0;
    for (std::size_t k = 0; k < std::min(n, rows.size()); ++k) {
      ++text_.checked;
      const std::vector<double>& row = rows[k];
      if (row.size() != f.cells.size() + 1) {
        text_.Fail("text row " + std::to_string(k + 1) + " holds " + std::to_string(row.size()) + " numbers");
        continue;
      }
      const double stored = times[k];
      if (k == 0) origin = row[0] - stored;
      if (std::fabs(row[0] - origin - stored) > 0.002 + 1e-6 * std::fabs(row[0]))
        text_.Fail("text row " + std::to_string(k + 1) + " at " + Seconds(row[0] - origin) + " s, the chart file's rule " +
                   Seconds(stored) + " s");
      for (std::size_t c = 0; c < f.cells.size(); ++c) {
        const double v = f.cells[c][k];
        if (std::fabs(row[c + 1] - v) > 1e-4 * std::max(1.0, std::fabs(v)))
          text_.Fail("text row " + std::to_string(k + 1) + " channel " + std::to_string(c + 1) + " " +
                     std::to_string(row[c + 1]) + ", the chart file " + std::to_string(v));
      }
    }
  }

  // One pause marker and one pause-log line per gap, at the sample after it (on the
  // last sample for a gap the run ended in); a jump in the readings' times is a gap.
  void CheckGaps(const StoredFile& f, const std::vector<Sample>& samples) {
    std::map<int32_t, int> unmarked;  // pause-log lines per sample, less the markers found
    std::set<int32_t> held, logged;   // samples holding a marker, and with a log line
    std::vector<int32_t> pauses;
    for (const auto& [before, seconds] : f.gaps) ++unmarked[before], logged.insert(before);
    gaps_.checked += static_cast<long>(f.gaps.size());
    // A marker is stored with its sample's number from 1. A sample holds one marker: a
    // pause marker due at a sample that holds one goes on the next free sample.
    for (const auto& [sample, code] : f.markers) {
      held.insert(sample - 1);
      if (code == 166) pauses.push_back(sample - 1);
    }
    std::sort(pauses.begin(), pauses.end());
    const auto stored = static_cast<int32_t>(f.cells.empty() ? 0 : f.cells[0].size());
    for (int32_t m : pauses) {
      int32_t at = m;
      while (unmarked[at] == 0 && at > 0 && held.count(at - 1)) --at;
      // A gap (or pause) the run ended in: its line comes after the last sample, and its
      // marker stands on that sample, since none follows.
      if (unmarked[at] == 0 && m == stored - 1 && unmarked[stored] > 0) at = stored;
      if (unmarked[at] > 0)
        --unmarked[at];
      else
        gaps_.Fail(Where(f, m) + ": a pause marker without a pause-log line");
    }
    for (const auto& [k, lines] : unmarked)
      if (lines > 0) gaps_.Fail(Where(f, k) + ": a pause-log line without a pause marker");
    for (std::size_t i = 1; i < samples.size(); ++i) {
      const Sample &a = samples[i - 1], &b = samples[i];
      if (a.read < 0 || b.read < 0) continue;
      if (b.read - a.read > 2 * f.interval + 0.1 + 2 * slack_ && !logged.count(b.index))
        gaps_.Fail(Where(f, b.index) + ": read " + Seconds(b.read - a.read) +
                   " s after the sample before it, with no pause-log line");
    }
  }

  // Every answered sweep in exactly one file: no reading stored twice, and no reply the
  // simulator sent between two stored sweeps left out (outside its faults' time).
  void CheckOnce() {
    std::vector<const Sample*> read;
    for (const Sample& s : all_)
      if (s.read >= 0) read.push_back(&s);
    std::sort(read.begin(), read.end(), [](const Sample* a, const Sample* b) { return a->read < b->read; });
    once_.checked = static_cast<long>(read.size());
    // Where the rise in one interval is below the readings' resolution, sweeps close
    // together may read the same: only a copy further apart is the same sweep stored
    // twice.
    const double perStep = 2 * p_.kind->step / (p_.rate * o_.interval);
    const long alike = perStep > 1 ? static_cast<long>(std::ceil(perStep)) : 0;
    for (std::size_t i = 1; i < read.size(); ++i)
      if (read[i]->cells == read[i - 1]->cells && read[i]->read - read[i - 1]->read < 1e-9 &&
          std::abs(read[i]->seq - read[i - 1]->seq) > alike)
        once_.Fail("the sweep read at " + Seconds(read[i]->read - log_.origin) + " s is stored twice: " +
                   Where(FileOf(*read[i - 1]), read[i - 1]->index) + " and " + Where(FileOf(*read[i]), read[i]->index));
    if (p_.kind->streams) return;  // a streaming instrument talks whether asked or not
    for (std::size_t i = 1; i < all_.size(); ++i) {
      const Sample &a = all_[i - 1], &b = all_[i];
      if (a.read < 0 || b.read < 0) continue;
      const double from = a.read + o_.interval / 2 + 0.05 + slack_, to = b.read - 0.05 - slack_;
      if (to <= from || InFault(a.read, b.read)) continue;
      const auto lo = std::upper_bound(log_.replies.begin(), log_.replies.end(), from);
      const auto hi = std::lower_bound(log_.replies.begin(), log_.replies.end(), to);
      if (hi <= lo) continue;
      // Readings taken while paused, or in a gap the file logs, are no sweep of the
      // recording: counted apart.
      const auto& gaps = FileOf(b).gaps;
      if (std::any_of(gaps.begin(), gaps.end(), [&](const auto& g) { return g.first == b.index; }))
        once_.counted += hi - lo;
      else
        once_.Fail(std::to_string(hi - lo) + " replies sent between " + Where(FileOf(a), a.index) + " and " +
                   Where(FileOf(b), b.index) + " (" + Seconds(b.read - a.read) + " s apart) are stored nowhere");
    }
  }
  const StoredFile& FileOf(const Sample& s) const { return (*files_)[s.file]; }

  void CheckUsage(const std::vector<Usage>& usage) {
    usage_.checked = static_cast<long>(usage.size());
    if (usage.size() < 2) return;
    double base = 0, most = 0;
    for (const Usage& u : usage) {
      if (u.seconds <= 60 || base == 0) base = std::max(base, u.rssMiB);
      most = std::max(most, u.rssMiB);
    }
    const double cores = (usage.back().cpuSeconds - usage.front().cpuSeconds) /
                         std::max(1e-9, usage.back().seconds - usage.front().seconds);
    std::ostringstream s;
    s.precision(3);
    s << "memory " << base << " MiB after the first minute, " << most << " MiB at most; CPU " << cores
      << " of a core";
    usage_.first.insert(usage_.first.begin(), s.str());
    if (most - base > o_.rssGrowthMiB) usage_.Fail("memory grew by more than " + Seconds(o_.rssGrowthMiB) + " MiB");
    if (cores > o_.cpuCores) usage_.Fail("CPU above " + Seconds(o_.cpuCores) + " of a core");
  }

 public:
  const std::vector<StoredFile>* files_ = nullptr;

 private:
  const Plan& p_;
  const Options& o_;
  const SimLog& log_;
  double slack_ = 0, limit_ = 0;
  std::vector<Sample> all_;
  Report r_;
  Invariant once_{"every answered sweep stored exactly once"};
  Invariant cells_{"every cell its own channel's value or -99999 (held copies counted apart)"};
  Invariant times_{"every stored time within max(interval, 50 ms) of its reading"};
  Invariant gaps_{"one pause marker 166 and one pause-log line per gap"};
  Invariant text_{"the last save's text form the same as its chart file"};
  Invariant usage_{"memory and CPU bounded"};
};

}  // namespace

bool Report::ok() const {
  return std::all_of(invariants.begin(), invariants.end(), [](const Invariant& i) { return i.violations == 0; });
}

std::string Report::Text() const {
  std::ostringstream s;
  s << "samples: " << goodSamples << " read, " << badSamples << " with every reading -99999\n";
  for (const Invariant& i : invariants) {
    s << (i.violations ? "FAIL " : "ok   ") << i.name << ": " << i.checked << " checked";
    if (i.counted) s << ", " << i.counted << " counted apart";
    s << ", " << i.violations << " violations\n";
    for (const std::string& f : i.first) s << "       " << f << "\n";
  }
  return s.str();
}

Report Check(const Plan& plan, const Options& o, const std::vector<StoredFile>& files,
             const std::vector<std::vector<double>>& text, const SimLog& log, const std::vector<Usage>& usage) {
  Checker c(plan, o, log);
  c.files_ = &files;
  return c.Run(files, text, usage);
}

}  // namespace mv::soak
