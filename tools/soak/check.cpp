#include "soak/check.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <set>
#include <sstream>

#include "soak/lookup.h"
#include "soak/sweeps.h"

namespace mv::soak {

namespace {

// The most a drawn count may fall short of the run's length, less what faults and
// pauses took: the interface's pace and a loaded machine.
constexpr double kCountShare = 0.85;
// How far a file's stated scans a sample may stand from the log's: the first and last
// intervals' scans, and a scan under way as a sample is due.
constexpr double kScansShare = 0.25;

// A value with every digit it holds (the shortest that reads back as it).
std::string Digits(double v) {
  char text[32];
  const auto r = std::to_chars(text, text + sizeof text, v);
  return std::string(text, r.ptr);
}

}  // namespace

std::string Seconds(double s) {
  std::ostringstream o;
  o.precision(3);
  o << std::fixed << s;
  return o.str();
}

void Invariant::Fail(const std::string& what) {
  ++violations;
  if (first.size() < kFirstShown) first.push_back(what);
}

namespace {

class Checker {
 public:
  Checker(const Plan& p, const Options& o, const SimLog& log, const std::vector<StoredFile>& files,
          const std::string& screen)
      : p_(p), o_(o), log_(log), files_(files), screen_(screen), sweeps_(p, log) {}

  Report Run(const std::vector<TextRow>& text, const std::vector<Usage>& usage) {
    // A streamed line a freeze held back is timed by when its burst came, not its value.
    times_.countedAs = "samples on a line a freeze held back, timed by its burst";
    CheckDecoded();
    const Sample* prev = nullptr;
    for (std::size_t f = 0; f < files_.size(); ++f) CheckFile(f, prev);
    if (!files_.empty()) CheckText(files_.back(), text);
    sweeps_.FindRun(all_);
    LookupResult l = LookUp(p_, o_, log_, files_, sweeps_.RunStart(), sweeps_.StartSweeps());
    CheckRunEnd();
    CheckTwice();
    CheckReplies(l.asked);
    CheckCount();
    CheckUsage(usage);
    CheckOutputs();
    CheckHeaders();
    CheckLineLost();
    if (!p_.devices.empty())
      cells_.notes.push_back(std::to_string(zeroed_) + " cells zeroed while their device was off; " +
                             std::to_string(log_.outputs.size()) + " device commands in the log");
    r_.invariants = {stored_,  once_,      cells_, times_,     gaps_,   text_,   usage_,   outputs_,
                     l.lookup, l.answered, l.held, l.switches, l.zeros, header_, lineLost_};
    return r_;
  }

 private:
  std::string Where(std::size_t file, int32_t k) const {
    return files_[file].name + " sample " + std::to_string(k);
  }
  std::string Where(const Sample& s) const { return Where(s.file, s.index); }
  double Since(double t) const { return t - log_.origin; }

  // ---- stored: something to check, and as much of it as the run allows ------------
  void CheckDecoded() {
    long decoded = 0;
    for (const StoredFile& f : files_) {
      if (!f.problem.empty())
        stored_.Fail(f.name + ": " + f.problem);
      else if (static_cast<int>(f.cells.size()) != p_.channels)
        stored_.Fail(f.name + ": " + std::to_string(f.cells.size()) + " channels stored, " +
                     std::to_string(p_.channels) + " recorded");
      else
        ++decoded;
    }
    stored_.checked = static_cast<long>(files_.size());
    if (decoded == 0) stored_.Fail("no data file decodes: nothing of the run can be checked");
  }

  // The samples a run of this length, less its pauses and what its faults excuse,
  // stores at the least; and no sample missing long after the instrument answers again.
  void CheckCount() {
    const double expected = ExpectedSamples();
    stored_.notes.push_back(std::to_string(all_.size()) + " samples stored, about " +
                            std::to_string(std::lround(expected)) +
                            " due in the run's time outside pauses and faults");
    if (static_cast<double>(all_.size()) < kCountShare * expected - 3)
      stored_.Fail(std::to_string(all_.size()) +
                   " samples stored where the run's length, pauses and faults leave " +
                   std::to_string(std::lround(expected)));
    const Sample* a = nullptr;
    for (const Sample& b : all_) {
      if (b.T < 0) continue;
      if (a) CheckHole(*a, b);
      a = &b;
    }
  }

  // An interface slower than the interval from the run's start stores at its own pace
  // (the files say which, and CheckInterval holds them to the readings), until the
  // interval is changed in a pause.
  double ExpectedSamples() const {
    double interval = p_.interval, expected = 0, from = 0;
    bool changed = false;
    const auto segment = [&](double to) {
      const double lost = sweeps_.FaultSecondsIn(from, to);
      const double pace = changed ? interval : std::max(interval, keptPace_);
      expected += std::max(0.0, to - from - lost) / pace;
    };
    for (const Pause& pause : p_.pauses) {
      segment(pause.at);
      from = pause.at + pause.seconds;
      if (pause.newInterval > 0) interval = pause.newInterval, changed = true;
    }
    segment(o_.seconds);
    return expected;
  }

  void CheckHole(const Sample& a, const Sample& b) {
    const double hole = b.first - a.T, interval = b.interval;
    double silence = 0;
    const double resume = sweeps_.ResumeAfter(a.T, b.first, &silence);
    if (resume >= 0) {
      // A fault lay between: the instrument answers again at `resume` (and the user
      // may have paused after it).
      double paused = 0;
      for (const auto& [at, seconds] : files_[b.file].pauses)
        if (at == b.index) paused += seconds;
      const double after = b.first - resume,
                   allowed = sweeps_.LateReplyWait(silence) + 2 * interval + 0.5 + paused;
      if (after > allowed)
        stored_.Fail("no sample for " + Seconds(after) + " s after the instrument answered again (" +
                     Where(a) + " to " + Where(b) + ", " + Seconds(hole) + " s apart)");
      return;
    }
    const double logged = LoggedBefore(b);
    if (hole > logged + 3 + 2 * interval)
      stored_.Fail("no sample for " + Seconds(hole) + " s with nothing failing (" + Where(a) + " to " +
                   Where(b) + (logged > 0 ? ", " + Seconds(logged) + " s logged" : "") + ")");
  }
  double LoggedBefore(const Sample& b) const {
    double logged = 0;
    for (const auto& [at, seconds] : files_[b.file].gaps)
      if (at == b.index) logged += seconds;
    return logged;
  }

  // ---- one file: cells, times, gaps ---------------------------------------------------
  void CheckFile(std::size_t fi, const Sample*& prev) {
    const StoredFile& f = files_[fi];
    if (!f.problem.empty() || static_cast<int>(f.cells.size()) != p_.channels) return;
    const std::vector<double> intervals = FileRuleIntervals(f);
    const std::size_t first = all_.size();
    for (std::size_t k = 0; k < intervals.size(); ++k) {
      Sample s;
      s.file = fi;
      s.index = static_cast<int32_t>(k);
      s.interval = intervals[k];
      for (const auto& [at, seconds] : f.gaps)
        if (at == s.index) s.logged += seconds;
      for (const auto& channel : f.cells) s.cells.push_back(channel[k]);
      const Sample* last = all_.empty() ? nullptr : &all_.back();
      sweeps_.Estimate(s, prev, last);
      s.seq = static_cast<long>(all_.size());
      CheckCells(s, prev, last);
      if (s.sentLate) ++times_.counted;
      all_.push_back(std::move(s));
      if (all_.back().T >= 0) prev = &all_.back();
    }
    // Pointers into all_ stay valid: it is reserved for every file's samples.
    CheckInterval(f, first);
    CheckTimes(f, first);
    CheckGaps(f, first);
    CheckGapSwitches(f, first);
  }

  void CheckCells(const Sample& s, const Sample* prev, const Sample* last) {
    bool any = false;
    for (int c = 0; c < p_.channels; ++c) {
      ++cells_.checked;
      const Reading& r = s.readings[static_cast<std::size_t>(c)];
      if (const std::string why = sweeps_.Switched(s, c); !why.empty())
        cells_.Fail(Where(s) + " channel " + std::to_string(c + 1) + " " + why);
      if (r.kind == Reading::Zeroed) ++zeroed_;
      if (r.kind == Reading::Bad || r.kind == Reading::Zeroed) continue;
      if (r.kind == Reading::Held) {
        ++cells_.counted;
        const bool again = last && last->readings[static_cast<std::size_t>(c)].kind == Reading::Held &&
                           last->cells[static_cast<std::size_t>(c)] == s.cells[static_cast<std::size_t>(c)];
        if (again)
          cells_.Fail(Where(s) + " channel " + std::to_string(c + 1) + " holds " +
                      std::to_string(s.cells[static_cast<std::size_t>(c)]) + " again");
        continue;
      }
      if (r.kind == Reading::Unpinned) continue;
      any = true;
      const std::string why = sweeps_.OutOfSweep(s, c, prev);
      if (!why.empty())
        cells_.Fail(Where(s) + " channel " + std::to_string(c + 1) + " = " +
                    std::to_string(s.cells[static_cast<std::size_t>(c)]) + " " + why);
    }
    any ? ++r_.goodSamples : ++r_.badSamples;
  }

  // Each file stores the interval asked for (at its start, and at its end after any
  // change in the pause window), or the pace an interface slower than that kept from
  // the run's start; a slowdown later in a run does not change it.
  void CheckInterval(const StoredFile& f, std::size_t first) {
    const auto same = [](double a, double b) { return std::fabs(a - b) <= 1e-6 * std::max(a, b); };
    if (asked_ == 0) {
      asked_ = p_.interval;
      const double kept = KeptPace(first);
      if (f.firstInterval > asked_ && !same(f.firstInterval, asked_) && kept > asked_ * 1.02) {
        times_.notes.push_back("the interface keeps " + Seconds(kept) + " s at best where " +
                               Seconds(asked_) + " s was asked; the files store " +
                               std::to_string(f.firstInterval) + " s");
        asked_ = keptPace_ = f.firstInterval;
      }
    }
    ++times_.checked;
    if (!same(f.firstInterval, asked_))
      times_.Fail(f.name + " stores its samples " + std::to_string(f.firstInterval) + " s apart where " +
                  std::to_string(asked_) + " s was asked");
    if (!f.changes.empty()) asked_ = f.changes.back().interval;
    if (!same(f.interval, asked_))
      times_.Fail(f.name + " ends at an interval of " + std::to_string(f.interval) + " s where " +
                  std::to_string(asked_) + " s was asked");
  }
  // The median time between the run's first samples read in turn.
  double KeptPace(std::size_t first) const {
    std::vector<double> d;
    for (std::size_t i = first + 1; i < all_.size() && d.size() < 20; ++i)
      if (all_[i].T >= 0 && all_[i - 1].T >= 0) d.push_back(all_[i].T - all_[i - 1].T);
    if (d.empty()) return 0;
    std::nth_element(d.begin(), d.begin() + static_cast<long>(d.size() / 2), d.end());
    return d[d.size() / 2];
  }

  // Sample k's reading stood within this of the time its file's rule stores it at.
  static double TimeLimit(const Sample& s) { return std::max(s.interval, 0.05) + s.e + 0.005; }
  // When the file's time 0 stood on the wall clock: where most of its samples' readings
  // put it. An interface that keeps its own pace has its grid fitted so that every sample
  // stands within the rule anywhere across it: there, the origin that the most samples
  // stand within the rule of.
  double FileOrigin(const StoredFile& f, std::size_t first) const {
    const std::vector<double> stored = FileRuleTimes(f);
    std::vector<double> offsets;
    std::vector<std::pair<double, int>> edges;  // each sample's band of origins: +1 in, -1 out
    for (std::size_t i = first; i < all_.size(); ++i)
      if (all_[i].T >= 0) {
        offsets.push_back(all_[i].T - stored[static_cast<std::size_t>(all_[i].index)]);
        edges.emplace_back(offsets.back() - TimeLimit(all_[i]), 1);
        edges.emplace_back(offsets.back() + TimeLimit(all_[i]), -1);
      }
    if (offsets.empty()) return std::nan("");
    std::nth_element(offsets.begin(), offsets.begin() + static_cast<long>(offsets.size() / 2), offsets.end());
    double origin = offsets[offsets.size() / 2];
    if (keptPace_ > 0 && f.firstInterval == keptPace_ && f.changes.empty()) {
      std::sort(edges.begin(), edges.end(), [](const auto& a, const auto& b) {
        return a.first < b.first || (a.first == b.first && a.second > b.second);
      });
      // The middle of the first span of origins that the most samples' bands hold.
      std::size_t best = 0;
      int in = 0, most = 0;
      for (std::size_t k = 0; k < edges.size(); ++k) {
        in += edges[k].second;
        if (in > most) most = in, best = k;
      }
      std::size_t end = best + 1;
      while (end + 1 < edges.size() && edges[end].second > 0) ++end;
      origin = (edges[best].first + edges[end].first) / 2;
    }
    return origin;
  }
  // Sample k is stored by its file's rule; against when it was read (its last reading
  // that stood), the file's start being where the readings put it.
  void CheckTimes(const StoredFile& f, std::size_t first) {
    const std::vector<double> stored = FileRuleTimes(f);
    const double origin = FileOrigin(f, first);
    if (std::isnan(origin)) return;
    for (std::size_t i = first; i < all_.size(); ++i) {
      const Sample& s = all_[i];
      if (s.T < 0) continue;
      ++times_.checked;
      const double at = stored[static_cast<std::size_t>(s.index)];
      const double off = s.T - origin - at;
      if (std::fabs(off) > TimeLimit(s) + 1e-9)
        times_.Fail(Where(s) + " read at " + Seconds(s.T - origin) + " s, stored at " + Seconds(at) + " s (" +
                    Seconds(off) + ", " + Seconds(TimeLimit(s)) + " allowed)");
    }
  }

  // One pause marker and one pause-log line per gap, the marker at the sample its line
  // names (a line after the file's last sample, a gap or pause its run or period ended
  // in, on that last sample); a jump in the readings' times beyond what each sample's
  // place allows it is a gap; no marker beyond the last sample.
  void CheckGaps(const StoredFile& f, std::size_t first) {
    std::map<int32_t, int> lines, markers;
    const int32_t n = f.cells.empty() ? 0 : static_cast<int32_t>(f.cells.front().size());
    for (const auto& [before, seconds] : f.gaps) ++lines[std::min(before, std::max(n - 1, 0))];
    gaps_.checked += static_cast<long>(f.gaps.size());
    // A marker is stored with its sample's number from 1.
    for (const auto& [sample, code] : f.markers) {
      if (sample > n)
        gaps_.Fail(Where(all_.size() > first ? all_[first].file : 0, sample - 1) +
                   ": a marker beyond the file's last sample " + std::to_string(n - 1));
      if (code == 166) ++markers[sample - 1];
    }
    for (const auto& [k, count] : markers)
      if (count > lines[k])
        gaps_.Fail(f.name + " sample " + std::to_string(k) + ": " + std::to_string(count - lines[k]) +
                   " pause marker(s) without a pause-log line");
    for (const auto& [k, count] : lines)
      if (count > markers[k])
        gaps_.Fail(f.name + " sample " + std::to_string(k) + ": " + std::to_string(count - markers[k]) +
                   " pause-log line(s) without a pause marker at the sample they name");
    const auto place = [](const Sample& s) { return std::max(s.interval, 0.05); };
    for (std::size_t i = first + 1; i < all_.size(); ++i) {
      const Sample &a = all_[i - 1], &b = all_[i];
      if (a.T < 0 || b.T < 0) continue;
      // Each sample stands within max(interval, 50 ms) of its place: a sample begun
      // early for a slow sweep, then one read late within its interval, are no gap.
      if (b.T - a.T > b.interval + place(a) + place(b) + 0.1 + a.e + b.e && lines[b.index] == 0)
        gaps_.Fail(Where(b) + ": read " + Seconds(b.T - a.T) +
                   " s after the sample before it, with no pause-log line");
    }
  }

  // Every switch made while a gap was open, its device command sent between the sample
  // before the gap and the one after it, is named after the gap's pause-log line at its
  // time from the file's start (a command may wait out a request's time-out). A gap in
  // which the line was lost is not judged: its switches went out only once it was back.
  void CheckGapSwitches(const StoredFile& f, std::size_t first) {
    if (p_.devices.empty() || log_.outputs.empty()) return;
    const double origin = FileOrigin(f, first);
    if (std::isnan(origin)) return;
    std::vector<bool> named(f.gapSwitches.size(), false);
    const double room = p_.kind->timeoutMs / 1000.0 + p_.interval + 0.2;
    for (const auto& gap : f.gaps) {
      if (std::find(f.pauses.begin(), f.pauses.end(), gap) != f.pauses.end()) continue;  // the user's pause
      const int32_t at = gap.first;
      const std::size_t a = first + static_cast<std::size_t>(at) - 1, b = a + 1;
      if (at < 1 || b >= all_.size() || all_[b].file != all_[first].file || all_[a].T < 0 || all_[b].T < 0)
        continue;
      // A pause the user made at the same case comes first: its switches are no gap's.
      double paused = 0;
      for (const auto& [case_, seconds] : f.pauses)
        if (case_ == at) paused += seconds;
      const double from = all_[a].T + (paused > 0 ? paused + all_[a].interval : 0), to = all_[b].first;
      if (std::any_of(log_.lost.begin(), log_.lost.end(),
                      [&](const auto& l) { return l.first < to && l.second > from; }))
        continue;
      for (const auto& [t, device] : log_.outputs) {
        if (t <= from || t >= to) continue;
        ++gaps_.checked;
        std::size_t g = 0;
        while (g < f.gapSwitches.size() && (named[g] || f.gapSwitches[g].gap != at ||
                                            std::fabs(f.gapSwitches[g].at - (t - origin)) > room))
          ++g;
        if (g < f.gapSwitches.size()) {
          named[g] = true;
          continue;
        }
        gaps_.Fail(f.name + " sample " + std::to_string(at) + ": the switch to device " +
                   std::to_string(device) + " sent " + Seconds(t - origin) +
                   " s from the file's start, in the gap before it, is not named "
                   "in its pause-log line");
      }
    }
  }

  // A run stopped inside a silence records the hole it ends in: a pause-log line and
  // its marker at the last sample.
  void CheckRunEnd() {
    const Sample* last = nullptr;
    for (const Sample& s : all_)
      if (s.T >= 0 && (!last || s.T > last->T)) last = &s;
    if (!last || last->file + 1 != files_.size()) return;
    const double end = sweeps_.RunStart() + o_.seconds, hole = end - last->T;
    if (hole < sweeps_.LateReplyWait() + 2 * last->interval + 1 || sweeps_.ResumeAfter(last->T, end) < 0)
      return;
    const StoredFile& f = files_.back();
    const int32_t n = static_cast<int32_t>(f.cells.front().size());
    const bool logged =
        std::any_of(f.gaps.begin(), f.gaps.end(), [&](const auto& g) { return g.first >= n - 1; });
    ++gaps_.checked;
    if (!logged)
      gaps_.Fail(f.name + ": the run was stopped about " + Seconds(hole) +
                 " s after its last stored sample, inside a fault, and no pause-log line records the hole");
  }

  // The text save of the last period: its rows the chart file's samples, each row's
  // time by the same rule, from the same origin.
  void CheckText(const StoredFile& f, const std::vector<TextRow>& rows) {
    if (!f.problem.empty() || f.cells.empty()) return;
    const std::size_t n = f.cells.front().size();
    if (rows.size() != n)
      text_.Fail(std::to_string(rows.size()) + " text rows for " + std::to_string(n) + " samples in " +
                 f.name);
    const std::vector<double> stored = FileRuleTimes(f);
    double origin = 0;
    for (std::size_t k = 0; k < std::min(n, rows.size()); ++k) {
      ++text_.checked;
      const TextRow& row = rows[k];
      if (row.size() != f.cells.size() + 1) {
        text_.Fail("text row " + std::to_string(k + 1) + " holds " + std::to_string(row.size()) + " numbers");
        continue;
      }
      const double t = row[0].value;
      if (k == 0) origin = t - stored[0];
      if (std::fabs(t - origin - stored[k]) > 0.002 + 1e-6 * std::fabs(t))
        text_.Fail("text row " + std::to_string(k + 1) + " at " + Seconds(t - origin) +
                   " s, the chart file's rule " + Seconds(stored[k]) + " s");
      // Each value is the chart file's to the last digit written: the file's number
      // rounded to that digit (a copy of the sample before differs in its last digits).
      for (std::size_t c = 0; c < f.cells.size(); ++c) {
        const double v = f.cells[c][k];
        const TextNumber& n = row[c + 1];
        if (!(std::fabs(n.value - v) <= n.half + 1e-12 * std::fabs(v)))
          text_.Fail("text row " + std::to_string(k + 1) + " channel " + std::to_string(c + 1) + " " +
                     Digits(n.value) + ", the chart file " + Digits(v));
      }
    }
  }

  // ---- once: no sweep stored twice, no answered sweep stored nowhere --------------------
  void CheckTwice() {
    std::vector<const Sample*> read;
    for (const Sample& s : all_)
      if (s.T >= 0) read.push_back(&s);
    once_.checked = static_cast<long>(read.size());
    std::sort(read.begin(), read.end(), [](const Sample* a, const Sample* b) { return a->T < b->T; });
    for (std::size_t i = 1; i < read.size(); ++i) {
      const Sample &a = *read[i - 1], &b = *read[i];
      // Two sweeps read within a resolution of each other: only where sweeps can be told
      // apart are equal cells one sweep stored twice.
      if (a.cells != b.cells || b.T - a.T > a.e + b.e + 1e-6) continue;
      if (a.e > a.interval / 4 || b.e > b.interval / 4) continue;
      once_.Fail("the sweep read at " + Seconds(Since(b.T)) + " s is stored twice: " + Where(a) + " and " +
                 Where(b));
    }
    for (const Sample& s : all_)
      if (s.duplicate)
        once_.Fail(Where(s) + " repeats every value of the sample before it, with nothing failing");
  }

  // Each period file holds the period's samples: the program saves a period when its
  // last sample is stored. (The last file is the last period, saved when the run
  // stopped.) One short lost a sweep at its end or at its start.
  void CheckPeriodCounts() {
    for (std::size_t i = 0; p_.periodSamples > 0 && i + 1 < files_.size(); ++i) {
      const StoredFile& f = files_[i];
      if (!f.problem.empty() || f.cells.empty()) continue;
      ++once_.checked;
      const auto n = static_cast<long>(f.cells.front().size());
      if (n != p_.periodSamples)
        once_.Fail(f.name + " holds " + std::to_string(n) + " samples where a period is " +
                   std::to_string(p_.periodSamples) +
                   (n < p_.periodSamples ? ": a sweep lost at its end or start" : ""));
    }
  }

  // A streaming instrument talks whether asked or not, so no reply tells of a sample
  // lost; at the seam of two files its lines tell when the next period began: its first
  // sample is due one interval after the period before was saved, and reads the newest
  // line then (or the next, a line period on), later only by a gap its file logs or the
  // faults between. After the save's last change of its file the program still syncs
  // its folder, which takes about as long as the file's own writing.
  void CheckSeams(const std::map<long, std::pair<double, double>>& lines) {
    const auto sent = [&](const Sample& s) {
      const auto l = lines.find(static_cast<long>(s.file) * 100000000L + s.index);
      return l == lines.end() ? -1.0 : l->second.second;
    };
    for (std::size_t i = 1; i < all_.size(); ++i) {
      const Sample &a = all_[i - 1], &b = all_[i];
      if (a.file == b.file || b.T < 0 || b.sentLate) continue;
      const StoredFile& saved = files_[a.file];
      if (saved.saveEnded < 0) {
        once_.Fail(saved.name +
                   ": when it was saved is unknown, so the next period's start cannot be judged");
        continue;
      }
      double logged = 0;
      for (const auto& [at, seconds] : files_[b.file].gaps)
        if (at == b.index) logged += seconds;
      // The line it came from, looked up by its values; else when its values say it was read.
      const double at = sent(b) >= 0 ? sent(b) : b.T - b.e;
      const double start = sweeps_.RunStart(),
                   faults = sweeps_.FaultSecondsIn(saved.saveEnded - start, at - start);
      const double sync = std::max(0.05, saved.saveEnded - saved.saveBegun);
      const double due = saved.saveEnded + b.interval;
      if (at <= due + kLinePeriod + sync + logged + faults) continue;
      once_.Fail(Where(b) + "'s line was sent " + Seconds(at - saved.saveEnded) + " s after " + saved.name +
                 " was saved, at an interval of " + Seconds(b.interval) +
                 " s: the period began later than an interval after the save");
    }
  }

  void CheckReplies(const std::map<long, std::pair<double, double>>& asked) {
    CheckPeriodCounts();
    if (p_.kind->streams) CheckSeams(asked);
    const Sweeps::Tally t = sweeps_.Unclaimed(all_, files_, asked);
    once_.counted = t.excusedFaults + t.excusedPauses;
    once_.countedAs = "replies in faults' spans (" + std::to_string(t.excusedFaults) +
                      ") or pauses and logged gaps (" + std::to_string(t.excusedPauses) + ") counted apart";
    for (const std::string& v : t.violations) once_.Fail(v);
    once_.violations += t.moreViolations;
    once_.notes.push_back(std::to_string(t.claimed) + " replies in stored sweeps, " +
                          std::to_string(t.beforeRun) + " before the run's first sample, " +
                          std::to_string(t.afterRun) + " after its last");
  }

  // Feedback on output 2: each step's limits from its start (the run's first update)
  // for its minutes, the last step's after the schedule ends, with an update's room at
  // each change.
  void CheckOutputs() {
    if (p_.feedback.empty()) return;
    const double start = sweeps_.RunStart(), end = start + o_.seconds + 1, room = 1.5;
    std::vector<double> from;
    double at = 0;
    for (const Plan::FeedbackStep& f : p_.feedback) from.push_back(at), at += f.minutes * 60;
    long after = 0;
    for (const auto& [t, volts] : log_.output2) {
      if (t < start || t > end) continue;
      ++outputs_.checked;
      // A schedule whose last step loops to the first runs again from its start: within
      // an update's room of each wrap, the step before it or after it may be in force.
      const double rel = t - start;
      const bool loops = p_.feedbackFromFile && at > 0;
      const double inLoop = loops && rel > at - room ? std::fmod(rel, at) : rel;
      bool within = false;
      std::string limits;
      for (std::size_t k = 0; k < from.size(); ++k) {
        const Plan::FeedbackStep& f = p_.feedback[k];
        const double until = k + 1 < from.size() ? from[k + 1] : loops ? at : 1e18;
        const auto near = [&](double x) { return x >= from[k] - room && x <= until + room; };
        if (!near(inLoop) && !(loops && rel > at - room && (near(inLoop + at) || near(inLoop - at)))) continue;
        within = within || (volts >= f.minVolts - 0.002 && volts <= f.maxVolts + 0.002);
        limits += (limits.empty() ? "" : " or ") + Seconds(f.minVolts) + "-" + Seconds(f.maxVolts) + " V";
      }
      if (rel > at) ++after;
      if (!within)
        outputs_.Fail("output 2 set to " + Seconds(volts) + " V at " + Seconds(rel) + " s" +
                      (rel > at ? " (after the last step)" : "") + ", outside " + limits);
    }
    // Feedback that never set its output was not running: each step the run reaches
    // sets it at least once (an update a second).
    for (std::size_t k = 0; k < from.size(); ++k) {
      const double until = k + 1 < from.size() ? from[k + 1] : from[k] + p_.feedback[k].minutes * 60;
      if (until + room > end - start || until - from[k] < 3) continue;
      const bool set = std::any_of(log_.output2.begin(), log_.output2.end(), [&](const auto& o) {
        return o.first - start >= from[k] && o.first - start < until;
      });
      if (!set)
        outputs_.Fail("output 2 never set in step " + std::to_string(k + 1) + " (" + Seconds(from[k]) + " to " +
                      Seconds(until) + " s in): the feedback schedule did not run");
    }
    outputs_.notes.push_back(std::to_string(after) +
                             " output commands after the schedule's last step ended (" + Seconds(at) +
                             " s in)");
  }

  // ---- header: every field the program writes, as the set-up and the interface give it --
  // The interface's code, the channel count, each channel's conversion (a = 0, b = 1 as
  // set up), its readings averaged (the scans each sample took, for a channel averaged
  // continuously; one line a sample from a streaming instrument), its label and its
  // hardware input; the markers the header counts, and each key typed stored once.
  void CheckHeaders() {
    // A sample holds one marker: a key held in a sample another key, a switch or a
    // pause marks may go unseen, and so may one held while the program waits out a
    // silence. Such keys are counted apart; the others are each stored once.
    std::map<int, long> typed, stored, aside;
    const double start = sweeps_.RunStart(), sample = p_.interval + 0.8;
    for (const Marker& m : p_.markers) {
      const double from = start + m.at - 0.5, to = start + m.at + 0.8;
      const bool inFault = std::any_of(log_.faults.begin(), log_.faults.end(), [&](const auto& f) {
        return f.first < to && f.second + sweeps_.LateReplyWait(f.second - f.first) + p_.interval > from;
      });
      const bool bySwitch = std::any_of(log_.outputs.begin(), log_.outputs.end(), [&](const auto& o) {
        return o.first > from - p_.interval && o.first < to + p_.interval;
      });
      const bool crowded =
          std::any_of(p_.markers.begin(), p_.markers.end(),
                      [&](const Marker& o) { return &o != &m && std::fabs(o.at - m.at) < sample; }) ||
          std::any_of(p_.pauses.begin(), p_.pauses.end(),
                      [&](const Pause& q) { return std::fabs(q.at + q.seconds - m.at) < sample + 0.2; });
      ++(inFault || bySwitch || crowded ? aside : typed)[m.key];
    }
    for (const auto& [key, count] : aside) typed.erase(key);
    for (std::size_t fi = 0; fi < files_.size(); ++fi) {
      const StoredFile& f = files_[fi];
      if (!f.problem.empty()) continue;
      const std::string in = f.name + ": ";
      const auto expect = [&](bool ok, const std::string& what) {
        ++header_.checked;
        if (!ok) header_.Fail(in + what);
      };
      expect(f.interfaceCode == p_.kind->fileCode, "interface code " + std::to_string(f.interfaceCode) +
                                                       " where a " + p_.kind->name + " is " +
                                                       std::to_string(p_.kind->fileCode));
      expect(f.headerChannels == p_.channels, std::to_string(f.headerChannels) + " channels in the header, " +
                                                  std::to_string(p_.channels) + " recorded");
      expect(static_cast<int>(f.inputs.size()) == p_.channels &&
                 std::equal(f.inputs.begin(), f.inputs.end(), p_.inputs.begin()),
             "hardware inputs " + Listed(f.inputs) + " where the channels read " + Listed(p_.inputs));
      expect(f.headerMarkers == static_cast<int>(f.markers.size()),
             "the header counts " + std::to_string(f.headerMarkers) + " markers and holds " +
                 std::to_string(f.markers.size()));
      for (const auto& [sample, code] : f.markers)
        if (typed.count(code)) ++stored[code];
      const std::size_t samples = f.cells.empty() ? 0 : f.cells.front().size();
      for (std::size_t c = 0; c < f.blocks.size() && c < static_cast<std::size_t>(p_.channels); ++c) {
        const StoredFile::Block& b = f.blocks[c];
        const std::string ch = "channel " + std::to_string(c + 1) + " ";
        expect(b.a == 0 && b.b == 1 && b.c == 0 && b.type == p_.conversionType,
               ch + "converts by a " + Number(b.a) + " b " + Number(b.b) + " c " + Number(b.c) + " type " +
                   Number(b.type) + " where it was set up as a 0 b 1 c 0 type " + Number(p_.conversionType));
        const std::string asked = c < p_.labels.size() ? p_.labels[c] : "";
        std::string label = asked;
        label.resize(30, ' ');
        expect(b.label == label, ch + "labelled '" + b.label + "' where it was set up as '" + asked + "'");
        const bool scanned =
            p_.averaging == Averaging::ContinuousAll ||
            (p_.averaging == Averaging::ContinuousLast && static_cast<int>(c) == p_.channels - 1);
        if (scanned && samples > 1) {
          const double scans = ScansPerSample(fi, static_cast<int>(c));
          expect(scans < 0 ||
                     (b.averaged >= scans * (1 - kScansShare) && b.averaged <= scans * (1 + kScansShare)),
                 ch + "states " + Number(b.averaged) + " readings averaged where its samples averaged " +
                     Number(scans) + " scans each (the log's scans from its first sample to its last)");
        } else {
          const double readings = p_.kind->streams ? 1
                                  : scanned        ? (p_.averaging == Averaging::ContinuousAll ? 1 : 0)
                                  : c < p_.readings.size() ? p_.readings[c]
                                                           : 1;
          expect(b.averaged == readings, ch + "states " + Number(b.averaged) +
                                             " readings averaged where each sample averaged " +
                                             Number(readings));
        }
      }
    }
    long asideStored = 0, asideTyped = 0;
    for (const auto& [key, count] : aside) {
      asideTyped += count;
      for (const StoredFile& f : files_)
        asideStored +=
            std::count_if(f.markers.begin(), f.markers.end(), [&](const auto& m) { return m.second == key; });
    }
    if (asideTyped > 0)
      header_.notes.push_back(std::to_string(asideTyped) +
                              " marker keys held in a fault's span or in a sample another marker may take, " +
                              std::to_string(asideStored) + " markers of those keys stored");
    for (const auto& [key, count] : typed) {
      ++header_.checked;
      r_.judgedKeys.push_back(key);
      if (stored[key] != count)
        header_.Fail("marker '" + std::string(1, static_cast<char>(key)) + "' typed " +
                     std::to_string(count) + " times, stored " + std::to_string(stored[key]) +
                     " times in the files");
    }
  }
  // The scans of channel c that file fi's samples averaged, each on average: the log's
  // readings of its input that stood, from the file's first sample read to its last,
  // outside the pauses and gaps the file logs (-1: too few samples read to tell).
  double ScansPerSample(std::size_t fi, int c) const {
    const int input = p_.inputs[static_cast<std::size_t>(c)];
    std::vector<std::pair<double, double>> spans;  // from one sample read to the next, no gap between
    const Sample* a = nullptr;
    long intervals = 0;
    for (const Sample& s : all_) {
      if (s.file != fi || s.T < 0) continue;
      if (a && s.logged == 0) spans.emplace_back(a->T, s.T), intervals += s.index - a->index;
      a = &s;
    }
    double seconds = 0, scans = 0;
    for (const auto& [from, to] : spans) {
      seconds += to - from;
      for (auto r = std::upper_bound(log_.reads.begin(), log_.reads.end(), from,
                                     [](double t, const SimLog::Read&x) { return t < x.t; });
           r != log_.reads.end() && r->t <= to; ++r)
        if (r->input == input && r->fault.empty()) ++scans;
    }
    if (intervals < 4 || seconds <= 0) return -1;
    return scans / static_cast<double>(intervals);
  }
  // ---- the Recording Check: the port's loss over the whole run ------------------------
  // The seconds the line was lost (the simulator's hang-ups to its line back) within the
  // run, every period's, against the "serial port lost for" the window states after the
  // stop: each loss may be stated up to a reopening's wait longer, and the text rounds.
  void CheckLineLost() {
    const std::size_t w = screen_.find("window 33 ");
    if (w == std::string::npos) return;  // a run kept before the driver listed it
    const double start = sweeps_.RunStart(), end = start + o_.seconds;
    double logged = 0;
    long losses = 0;
    for (const auto& [from, to] : log_.lost)
      if (std::min(to, end) > std::max(from, start))
        logged += std::min(to, end) - std::max(from, start), ++losses;
    const std::size_t next = screen_.find("\nwindow ", w + 1);
    const std::string window = screen_.substr(w, next == std::string::npos ? std::string::npos : next - w);
    const std::size_t said = window.find("serial port lost for");
    ++lineLost_.checked;
    std::string stated = "nothing";
    double seconds = 0;
    if (said != std::string::npos) {
      const std::size_t at = said + 20, min = window.find(" min", at), eol = window.find('"', at);
      seconds = NumberIn(window, at);
      if (min != std::string::npos && min < eol) seconds = seconds * 60 + NumberIn(window, min + 4);
      stated = window.substr(said, eol - said);
    }
    lineLost_.notes.push_back("the line lost " + std::to_string(losses) + " times for " + Seconds(logged) +
                              " s in the run's log; the Recording Check says " + stated);
    // The program learns of a loss only when it next uses the line (after a failed reply's
    // wait, up to a time-out and the late-reply window later), and of the line's return
    // when it next tries to open it.
    const double n = static_cast<double>(losses), rounding = logged >= 10 ? 1 : 0.1;
    const double under = n * (p_.kind->timeoutMs / 1000.0 + 3.5) + rounding, over = n * 1.5 + rounding;
    if (losses == 0 && said != std::string::npos)
      lineLost_.Fail("the Recording Check says \"" + stated + "\" where the line was never lost");
    else if (losses > 0 && (said == std::string::npos || seconds < logged - under || seconds > logged + over))
      lineLost_.Fail(
          "the Recording Check says " + (said == std::string::npos ? "nothing" : "\"" + stated + "\"") +
          " where the line was lost " + std::to_string(losses) + " times for " + Seconds(logged) + " s");
  }
  static double NumberIn(const std::string& text, std::size_t at) {
    while (at < text.size() && text[at] == ' ') ++at;
    double v = 0;
    std::from_chars(text.data() + at, text.data() + text.size(), v);
    return v;
  }

  static std::string Listed(const std::vector<int>& v) {
    std::string s;
    for (int x : v) s += (s.empty() ? "" : " ") + std::to_string(x);
    return s;
  }
  static std::string Number(double v) {
    std::ostringstream o;
    o << v;
    return o.str();
  }

  void CheckUsage(const std::vector<Usage>& usage) {
    usage_.checked = static_cast<long>(usage.size());
    if (usage.size() < 2) return;
    // The first minute (of a short run, its first third) is the program settling in.
    const double settled =
        std::min(usage.front().seconds + 60,
                 usage.front().seconds + (usage.back().seconds - usage.front().seconds) / 3);
    double base = 0, most = 0;
    for (const Usage& u : usage) {
      if (u.seconds <= settled || base == 0) base = std::max(base, u.rssMiB);
      most = std::max(most, u.rssMiB);
    }
    const double cores = (usage.back().cpuSeconds - usage.front().cpuSeconds) /
                         std::max(1e-9, usage.back().seconds - usage.front().seconds);
    std::ostringstream s;
    s.precision(3);
    s << "memory " << base << " MiB once settled, " << most << " MiB at most; CPU " << cores << " of a core";
    usage_.notes.push_back(s.str());
    if (most - base > o_.rssGrowthMiB)
      usage_.Fail("memory grew by more than " + Seconds(o_.rssGrowthMiB) + " MiB");
    if (cores > o_.cpuCores) usage_.Fail("CPU above " + Seconds(o_.cpuCores) + " of a core");
  }

  const Plan& p_;
  const Options& o_;
  const SimLog& log_;
  const std::vector<StoredFile>& files_;
  const std::string& screen_;
  Sweeps sweeps_;
  std::vector<Sample> all_ = Reserved(files_);
  double asked_ = 0;     // the interval asked for at the next file's start
  double keptPace_ = 0;  // the pace a slower interface kept from the run's start, as the files store it
  long zeroed_ = 0;
  Report r_;
  Invariant stored_{"every file decodes, with as many samples as the run's length and faults allow"};
  Invariant once_{"every answered sweep stored exactly once"};
  Invariant cells_{"every cell its own channel's value or -99999 (held copies counted apart)"};
  Invariant times_{
      "every stored time within max(interval, 50 ms) of its last good reading, on the interval asked for"};
  Invariant gaps_{
      "one pause marker 166 and one pause-log line per gap, at the sample it names; every switch made in a "
      "gap "
      "named in its line"};
  Invariant text_{"the last save's text form the same as its chart file"};
  Invariant usage_{"memory and CPU bounded"};
  Invariant outputs_{
      "every feedback output command within the limits of its step (the last step's after it)"};
  Invariant lineLost_{"the Recording Check states the serial port's loss over the whole run"};
  Invariant header_{
      "every header field as the set-up and the interface give it (interface code, channels, conversion, "
      "readings averaged, label, input, markers)"};

  static std::vector<Sample> Reserved(const std::vector<StoredFile>& files) {
    std::size_t n = 0;
    for (const StoredFile& f : files)
      if (!f.cells.empty()) n += f.cells.front().size();
    std::vector<Sample> v;
    v.reserve(n);
    return v;
  }
};

}  // namespace

bool Report::ok() const {
  return std::all_of(invariants.begin(), invariants.end(),
                     [](const Invariant& i) { return i.violations == 0; });
}

std::string Report::Text() const {
  std::ostringstream s;
  s << "samples: " << goodSamples << " read, " << badSamples << " with no reading that stood\n";
  for (const Invariant& i : invariants) {
    s << (i.violations ? "FAIL " : "ok   ") << i.name << ": " << i.checked << " checked";
    if (i.counted) s << ", " << i.counted << " " << i.countedAs;
    s << ", " << i.violations << " violations\n";
    for (const std::string& n : i.notes) s << "       " << n << "\n";
    for (const std::string& f : i.first) s << "       " << f << "\n";
  }
  return s.str();
}

Report Check(const Plan& plan, const Options& o, const std::vector<StoredFile>& files,
             const std::vector<TextRow>& text, const SimLog& log, const std::vector<Usage>& usage,
             const std::string& screen) {
  return Checker(plan, o, log, files, screen).Run(text, usage);
}

}  // namespace mv::soak
