#include "soak/lookup.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <optional>

namespace mv::soak {

namespace {

constexpr double kBad = -99999;
// How far past the sample before a sample's sweep is looked for, in readings (a pause's
// or a long silence's unstored readings lie between); the first sweep that fits ends it.
constexpr std::size_t kSearch = 20000;
// After a reply failed the program sends nothing until what was owed has come and the
// line has been quiet for as long as a reply may take, at most kQuietAfterLate, or until
// the late-reply window has passed with nothing arriving.
constexpr double kLateReplyWindow = 3.5;
constexpr double kQuietAfterLate = 0.25;
// How far a key's command may stand from the key's time in the driver's script.
constexpr double kKeyRoom = 0.4;
// A streaming instrument's read waits this long for a line before it fails.
constexpr double kStreamWait = 5;

bool IsSwitchMarker(int code) {
  return code == 'S' || code == 'R' || (code >= '0' && code <= '9');
}

}  // namespace

double AsStored(const KindFacts& kind, double value, bool high) {
  const std::string name = kind.name;
  if (name == "ui2" || name == "ui3") {
    const long word = std::clamp(std::lround(32768.0 + value * 6399.9), 0L, 65535L);
    return static_cast<float>((static_cast<double>(word) - 32768.0) / 6399.9);
  }
  if (name == "adam") return static_cast<float>(std::round(value * 1e4) / 1e4);
  if (name == "adc1") {
    const double perVolt = high ? 500000 : 10000;
    const long counts = std::min(std::lround(std::fabs(value) * perVolt), 4095L);
    return static_cast<float>((value >= 0 ? 1 : -1) * static_cast<double>(counts) / perVolt);
  }
  return static_cast<float>(value);
}

bool SameValue(double cell, double stored) {
  return std::fabs(cell - stored) <= 2.5e-7 * std::max(std::fabs(stored), 1e-3);
}

namespace {

// A partial reply whose rest followed well within the time-out came whole in time: the
// reader takes a reply up to its line end, so it is a good reading. Near the time-out
// the log cannot tell which side of it the rest fell.
bool CameWhole(const KindFacts& kind, const SimLog::Read& r) {
  return r.fault == "partial" && r.restMs >= 0 && r.restMs + 100 < kind.timeoutMs;
}

// A reading whose reply did not come, came garbled or came past the time-out.
bool Failed(const KindFacts& kind, const SimLog::Read& r) {
  if (r.fault == "partial") return !CameWhole(kind, r);
  if (r.fault == "silent" || r.fault == "garbage" || r.fault == "stale") return true;
  return !r.fault.empty() && r.ms > kind.timeoutMs;
}

}  // namespace

// The filter reads a channel again after a first reading that moved by more than its
// ratio from the reference (the channel's first reading of the sweep before), and keeps
// the reference when the second reading is nearer it than to the first; the reference
// then becomes the first reading. A failed first reading gives the channel's last good
// reading (the last value a failed reading keeps), and that becomes the reference: so
// does a channel's turn in a sweep a failure cut before it was asked (it failed at
// once, unlogged). A failed reading on either side of a re-read is no judgement the log
// can retrace: none is counted.
std::vector<SpikeKept> SpikesKept(const Plan& p, const SimLog& log) {
  std::vector<SpikeKept> kept;
  if (!(p.spikeRatio > 0)) return kept;
  std::map<int, double> lastFirst, judgedBy, lastGood;
  const auto failedAtOnce = [&](int input) {
    const auto good = lastGood.find(input);
    if (good != lastGood.end())
      lastFirst[input] = good->second;
    else
      lastFirst.erase(input);
  };
  // The sweep under way: the channel read last, the first one whose reading failed, and
  // the channels asked.
  long at = -1, failedAt = -1;
  std::vector<bool> asked(p.inputs.size(), false);
  const auto endSweep = [&] {
    if (failedAt >= 0)
      for (std::size_t c = static_cast<std::size_t>(failedAt) + 1; c < p.inputs.size(); ++c)
        if (!asked[c]) failedAtOnce(p.inputs[c]);
    std::fill(asked.begin(), asked.end(), false);
    failedAt = -1;
  };
  const SimLog::Read* prev = nullptr;
  for (const SimLog::Read& r : log.reads) {
    const auto in = std::find(p.inputs.begin(), p.inputs.end(), r.input);
    if (in == p.inputs.end()) continue;
    // A re-read follows its first reading's reply: a late or cut one's as late as the time-out.
    const double within = 0.05 + (prev && !prev->fault.empty() ? p.kind->timeoutMs / 1000.0 + 0.05 : 0);
    if (prev && prev->input == r.input && r.t - prev->t < within) {
      const auto by = judgedBy.find(r.input);
      if (by != judgedBy.end() && !Failed(*p.kind, *prev) && !Failed(*p.kind, r) &&
          std::fabs(r.value - prev->value) > std::fabs(r.value - by->second))
        kept.push_back({r.input, r.t, by->second});
      if (!Failed(*p.kind, r)) lastGood[r.input] = r.value;
      prev = nullptr;
      continue;
    }
    const long c = static_cast<long>(in - p.inputs.begin());
    if (c <= at) endSweep();
    at = c;
    asked[static_cast<std::size_t>(c)] = true;
    const auto last = lastFirst.find(r.input);
    if (last != lastFirst.end())
      judgedBy[r.input] = last->second;
    else
      judgedBy.erase(r.input);
    if (Failed(*p.kind, r)) {
      failedAtOnce(r.input);
      if (failedAt < 0) failedAt = c;
    } else {
      lastFirst[r.input] = r.value;
      lastGood[r.input] = r.value;
    }
    prev = &r;
  }
  return kept;
}

namespace {

class Looker {
 public:
  Looker(const Plan& p, const Options& o, const SimLog& log, const std::vector<StoredFile>& files,
         double settledFrom, int primeSweeps)
      : p_(p), o_(o), log_(log), files_(files), settled_(settledFrom), prime_(primeSweeps) {
    for (int c = 0; c < p.channels; ++c) {
      const bool mean = p.averaging == Averaging::ContinuousAll ||
                        (p.averaging == Averaging::ContinuousLast && c == p.channels - 1);
      if (!mean) chans_.push_back(c);
    }
    for (std::size_t f = 0; f < files.size(); ++f) {
      const StoredFile& file = files[f];
      rule_.push_back(FileRuleTimes(file));
      intervals_.push_back(FileRuleIntervals(file));
      if (!file.problem.empty() || static_cast<int>(file.cells.size()) != p.channels) continue;
      for (std::size_t k = 0; k < file.cells.front().size(); ++k) {
        StoredSample s{f, static_cast<int32_t>(k), {}};
        for (const auto& channel : file.cells) s.cells.push_back(channel[k]);
        samples_.push_back(std::move(s));
      }
    }
    Gather();
    Classify();
  }

  LookupResult Run() {
    if (chans_.empty()) {
      r_.lookup.notes.push_back("every channel averaged over the interval: no single reading to look up");
      return r_;
    }
    if (p_.kind->streams)
      Lines();
    else if (!log_.readingsLogged)
      r_.lookup.Fail("the simulator's log holds no readings (mv-sim --log-readings)");
    else
      Requests();
    SwitchedCells();
    Switches();
    return r_;
  }

 private:
  // The readings as the program takes them: an ADC-1 reads a small value again at high
  // gain at once (a few bytes' exchange later: longer on a slow line), and keeps the
  // second unless it is beyond the high gain's range (the input rose past it meanwhile),
  // when the first stands. Either way the reading was asked from its first exchange on.
  // The spike filter reads a channel again 10 ms after a reading that jumped by more
  // than its ratio from its reference, and keeps the second unless it judged the first
  // a spike (SpikesKept): the reference then stands in the first one's place.
  static constexpr float kHighGainRange = 0.00819f;
  void Gather() {
    const bool adc1 = std::string(p_.kind->name) == "adc1";
    spikes_ = SpikesKept(p_, log_);
    std::size_t spike = 0;
    for (const SimLog::Read& r : log_.reads) {
      // A channel averaged over the interval is read in scans between the sweeps.
      if (!InChannels(r.input)) continue;
      // The second reading is the one kept: its own reply tells whether it failed. A
      // first reading that failed is read again once its time-out has passed.
      const double within = 0.05 + (!reads_.empty() && !reads_.back().fault.empty() && p_.spikeRatio > 0
                                        ? p_.kind->timeoutMs / 1000.0 + 0.05
                                        : 0);
      const double paced = adc1 && p_.baud > 0 ? 20 * 10.0 / p_.baud : 0;
      const bool again = !reads_.empty() && reads_.back().input == r.input && r.t - reads_.back().t < within + paced;
      if (again && adc1 && !ReplyFailed(reads_.back()) &&
          std::fabs(AsStored(*p_.kind, reads_.back().value, false)) < kHighGainRange) {
        if (ReplyFailed(r) || std::fabs(AsStored(*p_.kind, r.value, true)) < kHighGainRange)
          reads_.back() = r, high_.back() = true;
        continue;
      }
      if (again && p_.spikeRatio > 0) {
        reads_.back() = r;
        high_.back() = adc1;
        while (spike < spikes_.size() && spikes_[spike].t < r.t) ++spike;
        if (spike < spikes_.size() && spikes_[spike].t == r.t && spikes_[spike].input == r.input)
          reads_.back().value = spikes_[spike].reference;
        continue;
      }
      reads_.push_back(r);
      high_.push_back(false);
      askedFrom_.push_back(r.t);
    }
  }
  double Sent(std::size_t i) const { return AsStored(*p_.kind, reads_[i].value, high_[i]); }

  // ---- a channel's readings of one sample ----------------------------------------
  // A channel averaging several readings a sample is read that many times in a row; a
  // failed reading ends them (the sweep asks nothing more). Its cell is the mean of
  // those that stood, in double precision stored as a single-precision number; none
  // stood where every one failed, or where the failure ran on or came garbled (the
  // program cannot tell which of the replies before it were whose).
  std::size_t Count(int c) const {
    return static_cast<std::size_t>(c) < p_.readings.size()
               ? static_cast<std::size_t>(std::max(1, p_.readings[static_cast<std::size_t>(c)]))
               : 1;
  }
  std::size_t GroupEnd(int c, std::size_t q) const {
    std::size_t e = q;
    while (e < reads_.size() && e - q < Count(c) && reads_[e].input == Input(c))
      if (!failed_[e++].empty()) break;
    return e;
  }
  // The reading of the group from q that failed, or -1.
  long GroupFailure(int c, long q) const {
    if (q < 0) return -1;
    const std::size_t e = GroupEnd(c, static_cast<std::size_t>(q));
    return e > static_cast<std::size_t>(q) && !failed_[e - 1].empty() ? static_cast<long>(e - 1) : -1;
  }
  // What the cell holds where its readings stood (NaN: none stood).
  double Value(int c, std::size_t q) const {
    if (Count(c) == 1) return Sent(q);
    const long f = GroupFailure(c, static_cast<long>(q));
    if (f >= 0 && !QuietTimeOut(static_cast<std::size_t>(f))) return std::nan("");
    double sum = 0;
    int n = 0;
    for (std::size_t i = q; i < GroupEnd(c, q); ++i)
      if (failed_[i].empty()) sum += Sent(i), ++n;
    return n == 0 ? std::nan("") : static_cast<float>(sum / n);
  }
  bool GroupFailed(int c, std::size_t q) const {
    return Count(c) == 1 ? !failed_[q].empty() : std::isnan(Value(c, q));
  }
  std::size_t SweepReads() const {
    std::size_t n = 0;
    for (int c : chans_) n += Count(c);
    return n;
  }
  // The group's last reading.
  std::size_t Last(int c, std::size_t q) const { return GroupEnd(c, q) - 1; }

  // A reading whose reply did not come, came garbled or came past the time-out.
  bool ReplyFailed(const SimLog::Read& r) const {
    return Failed(*p_.kind, r);
  }

  // ---- which readings failed -----------------------------------------------------
  // A reply that did not come, came garbled or past the time-out failed; the reply
  // after a stale one may be read as the stale bytes; a hang-up loses what is on its way.
  void Classify() {
    const auto& reads = reads_;
    failed_.assign(reads.size(), {});
    std::size_t h = 0;
    for (std::size_t i = 0; i < reads.size(); ++i) {
      const SimLog::Read& r = reads[i];
      if (r.fault == "silent" || r.fault == "garbage" || (r.fault == "partial" && ReplyFailed(r)))
        failed_[i] = r.fault;
      // The reply before sent again behind its own: more bytes than a reply, garbled.
      else if (r.fault == "stale")
        failed_[i] = "stale (the reply before sent again with it)";
      else if (!r.fault.empty() && r.ms > p_.kind->timeoutMs)
        failed_[i] = r.fault + " (" + std::to_string(r.ms) + " ms)";
      if (i > 0 && reads[i - 1].fault == "stale" && failed_[i].empty()) failed_[i] = "after a stale reply";
      // A late reply to the request before comes in this one's wait: the program
      // cannot tell which of the two is its answer.
      if (i > 0 && !failed_[i - 1].empty() && failed_[i].empty() &&
          reads[i - 1].t + reads[i - 1].ms / 1000.0 > r.t)
        failed_[i] = "after a late reply that came in its wait";
      const double next = i + 1 < reads.size() ? reads[i + 1].t : 1e18;
      while (h < log_.hangups.size() && log_.hangups[h] < r.t) ++h;
      if (h < log_.hangups.size() && log_.hangups[h] < next &&
          log_.hangups[h] - r.t < p_.kind->timeoutMs / 1000.0 + 0.5)
        failed_[i] = "lost in a hang-up";
    }
  }

  std::string Where(const StoredSample& s) const {
    return files_[s.file].name + " sample " + std::to_string(s.index);
  }
  double Since(double t) const { return t - settled_; }
  bool Switched(int c) const { return !p_.devices.empty() && p_.devices[static_cast<std::size_t>(c)] != 0; }
  // A zero channel c may hold by its zero link while the links are on: the channel
  // linked to it is zero in this sample (one before it) or in the sample before.
  bool LinkedZero(const StoredSample& s, const std::vector<double>* prev, int c) const {
    if (!p_.zeroLinksOn || static_cast<std::size_t>(c) >= p_.zeroLinkOf.size()) return false;
    const int k = p_.zeroLinkOf[static_cast<std::size_t>(c)];
    if (k < 0) return false;
    if (k < c) return s.cells[static_cast<std::size_t>(k)] == 0;
    return prev && (*prev)[static_cast<std::size_t>(k)] == 0;
  }
  int Input(int c) const { return p_.inputs[static_cast<std::size_t>(c)]; }
  bool LoggedGap(const StoredSample& s) const {
    return std::any_of(files_[s.file].gaps.begin(), files_[s.file].gaps.end(),
                       [&](const auto& g) { return g.first == s.index; });
  }

  // ---- asked instruments: each sample one sweep of requests ----------------------
  // Channel c of sample s against reading q (-1: its request was never sent): kFresh
  // when the cell is that reading's value, which pins the sweep; 1 when it is what it
  // may be otherwise (a copy or -99999 of a failed request, a zero its device or link
  // allows); 0 when not.
  static constexpr int kFresh = 100;
  int Fits(const StoredSample& s, const std::vector<double>* prev, int c, long q) const {
    const double cell = s.cells[static_cast<std::size_t>(c)];
    const bool copy = cell == kBad || (prev && (*prev)[static_cast<std::size_t>(c)] == cell);
    if (q >= 0 && SameValue(cell, Value(c, static_cast<std::size_t>(q)))) return kFresh;
    if (cell == 0 && (LinkedZero(s, prev, c) || Switched(c))) return 1;
    if (q < 0) return 0;
    return GroupFailed(c, static_cast<std::size_t>(q)) && copy ? 1 : 0;
  }
  // The requests a sweep from reading j takes, channel by channel in order: a channel
  // whose input is not next was not asked.
  // A sweep the line's loss cut goes on, once the line is back, from the channel it had
  // reached: where an input is read for more than one channel (16 channels on a UI3's 8
  // inputs), reading j may begin the sweep at any of them, and the one that fits best
  // is taken.
  long Match(std::size_t j, const StoredSample& s, const std::vector<double>* prev, std::vector<long>& taken,
             bool& perfect) const {
    long best = -1;
    std::vector<long> mine(taken.size(), -1);
    for (std::size_t from = 0; from < chans_.size(); ++from) {
      if (j >= reads_.size() || Input(chans_[from]) != reads_[j].input) continue;
      bool fits = false;
      const long score = MatchFrom(j, from, s, prev, mine, fits);
      if (score > best) best = score, taken = mine, perfect = fits;
    }
    if (best < 0) return MatchFrom(j, chans_.size(), s, prev, taken, perfect);
    return best;
  }
  long MatchFrom(std::size_t j, std::size_t from, const StoredSample& s, const std::vector<double>* prev,
                 std::vector<long>& taken, bool& perfect) const {
    const auto& reads = reads_;
    std::size_t q = j;
    long score = 0;
    perfect = true;
    // A device's channels are asked in order: once one of them was asked, one that was
    // not ends that device's part of the sweep (a failure cut it), and the readings
    // after it are the next sweep's.
    // On an ADAM line a module in silence is asked after the others: a sweep that begins
    // at a module goes on with the modules before it in channel order, each from its
    // first channel. A module's part that begins there, or after another module's request
    // failed in the sweep, takes a reading only where it fits the cell: where the module
    // was not asked, its next reading is the next sweep's.
    bool asked[4] = {}, cut[4] = {}, wrapped[4] = {}, failed[4] = {};
    const std::size_t n = chans_.size(), first = Modules() && from < n ? from : 0;
    for (std::size_t k = first; k < first + n; ++k) {
      const std::size_t i = k % n;
      const int c = chans_[i];
      long at = -1;
      const int d = Device(c);
      bool anotherFailed = false;
      for (int e = 0; e < 4; ++e) anotherFailed = anotherFailed || (e != d && failed[e]);
      if ((k < n ? i >= from : !asked[d] || wrapped[d]) && !cut[d] && q < reads.size() &&
          reads[q].input == Input(c))
        at = static_cast<long>(q);
      if (at >= 0 && !asked[d] && (k >= n || anotherFailed) && Fits(s, prev, c, at) == 0) at = -1;
      if (at >= 0) {
        q = GroupEnd(c, q);
        wrapped[d] = wrapped[d] || (k >= n && !asked[d]);
        asked[d] = true;
        failed[d] = failed[d] || GroupFailure(c, at) >= 0;
      } else if (asked[d]) {
        cut[d] = true;
      }
      taken[static_cast<std::size_t>(c)] = at;
      const int fit = Fits(s, prev, c, at);
      score += fit;
      perfect = perfect && fit >= 1 && (at >= 0 || Switched(c));
    }
    return score;
  }

  void Requests() {
    const auto& reads = reads_;
    std::vector<bool> claimed(reads.size(), false);
    std::vector<long> taken(static_cast<std::size_t>(p_.channels), -1), best = taken, near = taken;
    const std::vector<double>* prev = nullptr;
    std::size_t P = 0;
    long beforeRun = 0, inGaps = 0, cut = 0, failedCopies = 0;
    sweepFrom_.assign(samples_.size(), -1);
    ownZero_.assign(samples_.size(), 0);
    std::map<std::string, std::pair<long, std::string>> missing;  // by where: count, first
    for (std::size_t n = 0; n < samples_.size(); ++n) {
      const StoredSample& s = samples_[n];
      long bestScore = -1, nearScore = -1;
      std::size_t bestJ = P, nearJ = P;
      const std::size_t nearBy = P + 2 * SweepReads() * static_cast<std::size_t>(p_.kind->requests);
      for (std::size_t j = P; j < reads.size() && j < P + kSearch; ++j) {
        bool perfect = false;
        const long score = Match(j, s, prev, taken, perfect);
        if (score > bestScore) bestScore = score, bestJ = j, best = taken;
        if (j <= nearBy && score > nearScore) nearScore = score, nearJ = j, near = taken;
        if (perfect) break;
      }
      // A sample that no reading fits came from no sweep: nothing of the log is its.
      // So did one of copies and -99999 alone whose sweep would have a reading answered
      // well that it does not hold: it was stored with nothing asked (the port lost).
      // A failed reading whose value the channel already held (a slow input between two
      // steps of the instrument's resolution) pins nothing: the cell may be the copy.
      const auto fresh = [&](int c) {
        const long q = best[static_cast<std::size_t>(c)];
        const double cell = s.cells[static_cast<std::size_t>(c)];
        const bool copy = prev && (*prev)[static_cast<std::size_t>(c)] == cell;
        return q >= 0 && SameValue(cell, Value(c, static_cast<std::size_t>(q))) &&
               !(copy && GroupFailed(c, static_cast<std::size_t>(q)));
      };
      const auto misfit = [&](int c) {
        const long q = best[static_cast<std::size_t>(c)];
        return q >= 0 && !GroupFailed(c, static_cast<std::size_t>(q)) && Fits(s, prev, c, q) == 0 &&
               !MayHaveFailedLater(s.cells[static_cast<std::size_t>(c)], c);
      };
      // A sample of copies and -99999 alone is the sweep after the sample before it,
      // never one further on that its failed readings would fit as well. Nor does a cell
      // that repeats the sample before pin a sweep further on: a copy held where nothing
      // was asked meets a later reading of the same value by chance (a sawtooth comes
      // back to it every period), and an input read afresh after a gap has moved on.
      const auto pinsFar = [&](int c) {
        return fresh(c) && !(prev && (*prev)[static_cast<std::size_t>(c)] == s.cells[static_cast<std::size_t>(c)]);
      };
      if (bestJ > nearBy && std::none_of(chans_.begin(), chans_.end(), pinsFar))
        bestJ = nearJ, best = near, bestScore = nearScore;
      // Nor one past a reading answered in time that would then be stored nowhere: the
      // sample was stored with nothing asked (the line out of step after a failed reply,
      // or lost) before that reading's sweep, which the sample after it holds.
      if (n > 0 && !LoggedGap(s) && std::none_of(chans_.begin(), chans_.end(), fresh)) {
        std::size_t answered = P;
        while (answered < bestJ && (claimed[answered] || !failed_[answered].empty() ||
                                    reads[answered].t < settled_ || CutByHangUp(answered, bestJ)))
          ++answered;
        if (answered < bestJ) {
          bestScore = -1;
          for (std::size_t j = P; j <= answered; ++j) {
            bool perfect = false;
            const long score = Match(j, s, prev, taken, perfect);
            if (score > bestScore) bestScore = score, bestJ = j, best = taken;
          }
        }
      }
      FailedLater(best);
      // The line hung up after the sample before's readings, before any reading that
      // follows in the log: a sample with nothing fresh is the one the program stored
      // for the sweep the hang-up found (the port lost), whatever a later sweep's
      // failures would excuse.
      const double nextRead = P < reads.size() ? reads[P].t : 1e18;
      const bool lostSince = std::any_of(log_.hangups.begin(), log_.hangups.end(),
                                         [&](double h) { return h > lastRead_ && h < nextRead; });
      const bool none = std::none_of(chans_.begin(), chans_.end(), fresh) &&
                        (lostSince || std::any_of(chans_.begin(), chans_.end(), misfit) ||
                         std::none_of(chans_.begin(), chans_.end(),
                                      [&](int c) { return best[static_cast<std::size_t>(c)] >= 0; }));
      if (none) std::fill(best.begin(), best.end(), -1), bestJ = P, FailedLater(best);
      // Readings answered in time between the sample before and this one's sweep.
      for (std::size_t q = P; q < bestJ && q < reads.size(); ++q) {
        if (claimed[q] || !failed_[q].empty() || reads[q].t < settled_) continue;
        if (!InChannels(reads[q].input)) continue;
        if (n == 0) {
          ++beforeRun;
        } else if (LoggedGap(s)) {
          ++inGaps;
        } else if (CutByHangUp(q, bestJ)) {
          ++cut;
        } else {
          auto& m = missing[Where(samples_[n - 1]) + " and " + Where(s)];
          if (m.first++ == 0)
            m.second = "input " + std::to_string(reads[q].input) + " = " + std::to_string(reads[q].value) +
                       " at " + Seconds(Since(reads[q].t)) + " s";
        }
      }
      std::size_t next = bestJ;
      // The port lost between the sample before's readings and the next in the log: a
      // sample in which nothing could be asked.
      // A sample no sweep fits looks past the readings that failed after the one before
      // it (the request a hang-up cut is sent before the line goes).
      std::size_t upTo = bestJ;
      if (none)
        while (upTo < reads.size() && !failed_[upTo].empty()) ++upTo;
      const double from = lastRead_, to = upTo < reads.size() ? reads[upTo].t : 1e18;
      const bool portLost = std::any_of(log_.hangups.begin(), log_.hangups.end(),
                                        [&](double h) { return h > from && h < to; });
      // A sample stored after a gap holds nothing read before the gap: -99999 there.
      double lastAsked = -1e18, logged = 0;
      for (int c : chans_)
        if (best[static_cast<std::size_t>(c)] >= 0)
          lastAsked = std::max(lastAsked,
                               reads[Last(c, static_cast<std::size_t>(best[static_cast<std::size_t>(c)]))].t);
      for (const auto& [at, seconds] : files_[s.file].gaps)
        if (at == s.index) logged += seconds;
      beforeGap_ = logged > 0 ? lastAsked - logged / 2 : -1e18;
      std::map<int, bool> cutOff;  // by device: a request of this sweep failed before
      // A channel averaged over the interval is read in scans up to its sample's sweep: a
      // scan that failed since the sample before's sweep cuts this sweep as a request
      // failed in it does (the instrument stopped answering).
      {
        double sweepFrom = to;
        for (int c : chans_)
          if (best[static_cast<std::size_t>(c)] >= 0)
            sweepFrom = std::min(sweepFrom, reads[static_cast<std::size_t>(best[static_cast<std::size_t>(c)])].t);
        const auto& all = log_.reads;
        auto i = std::upper_bound(all.begin(), all.end(), lastRead_,
                                  [](double t, const SimLog::Read& r) { return t < r.t; });
        for (; i != all.end() && i->t < sweepFrom; ++i)
          if (!InChannels(i->input) && ReplyFailed(*i)) cutOff[DeviceOfInput(i->input)] = true;
      }
      // The last request on the line before each channel's turn: its device's time-out
      // holds the line for a late reply when it went unanswered.
      long onLine = bestJ > 0 && bestJ <= reads.size() ? static_cast<long>(bestJ) - 1 : -1;
      // Each module's last request before each channel's turn, stored or not (a logged
      // gap's requests are in no sample): when it failed, the module rests after its
      // silence, and none of its channels is asked until it is asked again.
      std::map<int, long> deviceLast;
      if (Modules())
        for (std::size_t k = std::min(bestJ, reads.size()); k-- > 0 && deviceLast.size() < 2 && bestJ - k <= kSearch;)
          deviceLast.emplace(DeviceOfInput(reads[k].input), static_cast<long>(k));
      bool deviceAsked[4] = {};
      for (int c : chans_)
        if (best[static_cast<std::size_t>(c)] >= 0) deviceAsked[Device(c)] = true;
      const double due = Due(n);
      for (int c : chans_) {
        const long q = best[static_cast<std::size_t>(c)];
        const std::size_t end = q >= 0 ? GroupEnd(c, static_cast<std::size_t>(q)) : 0;
        for (std::size_t i = q >= 0 ? static_cast<std::size_t>(q) : end; i < end; ++i)
          claimed[i] = true, next = i + 1;
        // A module that went silent (nothing came back) never costs the modules that
        // answer while the interval leaves room for its time-out and their exchanges:
        // they are asked in the same sample whatever the order of the channels.
        const bool otherSilent = onLine >= 0 && Modules() &&
                                 failed_[static_cast<std::size_t>(onLine)] == "silent" &&
                                 DeviceOfInput(reads[static_cast<std::size_t>(onLine)].input) != Device(c) &&
                                 Interval(s) >= 2 * p_.kind->timeoutMs / 1000.0;
        const bool held = onLine >= 0 && !failed_[static_cast<std::size_t>(onLine)].empty() &&
                          DeviceOfInput(reads[static_cast<std::size_t>(onLine)].input) != Device(c) &&
                          !otherSilent;
        const auto last = deviceLast.find(Device(c));
        const bool deviceFailed = last != deviceLast.end() && !failed_[static_cast<std::size_t>(last->second)].empty();
        const bool outOfStep = onLine >= 0 && !deviceAsked[Device(c)] &&
                               !failed_[static_cast<std::size_t>(onLine)].empty() && !otherSilent &&
                               OutOfStepAt(static_cast<std::size_t>(onLine), due, Interval(s));
        const Excuse excuse = q >= 0                 ? Excuse::None
                              : cutOff[Device(c)]    ? Excuse::Cut
                              : portLost             ? Excuse::PortLost
                              : silent_[static_cast<std::size_t>(c)] || deviceFailed ? Excuse::Silent
                              : held                 ? Excuse::HeldForAnother
                              : outOfStep            ? Excuse::OutOfStep
                                                     : Excuse::None;
        if (q >= 0) onLine = static_cast<long>(end) - 1, deviceLast[Device(c)] = onLine;
        failedCopies += Judge(s, prev, c, q, excuse);
        const bool failed = q >= 0 && GroupFailed(c, static_cast<std::size_t>(q));
        if (q >= 0 && GroupFailure(c, q) >= 0) cutOff[Device(c)] = true;
        if (q >= 0) silent_[static_cast<std::size_t>(c)] = failed, lastRead_ = reads[end - 1].t;
        // Its device fell silent in this sweep, or the port went: it is silent with it.
        if (q < 0 && (excuse == Excuse::Cut || excuse == Excuse::PortLost)) silent_[static_cast<std::size_t>(c)] = true;
      }
      if (!s.cells.empty()) {
        long last = -1;
        for (int c : chans_)
          if (best[static_cast<std::size_t>(c)] >= 0)
            last = std::max(last, static_cast<long>(
                                      Last(c, static_cast<std::size_t>(best[static_cast<std::size_t>(c)]))));
        times_[Key(s)] = last >= 0 ? reads[static_cast<std::size_t>(last)].t : -1;
        long first = -1;
        for (const long q : best)
          if (q >= 0 && (first < 0 || q < first)) first = q;
        if (first >= 0) {
          r_.asked[Key(s)] = {askedFrom_[static_cast<std::size_t>(first)], reads[static_cast<std::size_t>(last)].t};
          lastAsked_ = static_cast<long>(n), lastAskedFrom_ = askedFrom_[static_cast<std::size_t>(first)];
          sweepFrom_[n] = lastAskedFrom_;
        }
        for (int c : chans_) {
          const long q = best[static_cast<std::size_t>(c)];
          if (q >= 0 && s.cells[static_cast<std::size_t>(c)] == 0 &&
              SameValue(0, Value(c, static_cast<std::size_t>(q))))
            ownZero_[n] |= 1u << c;
        }
      }
      P = next;
      prev = &s.cells;
    }
    long afterRun = 0;
    for (std::size_t q = P; q < reads.size(); ++q)
      if (failed_[q].empty() && InChannels(reads[q].input)) ++afterRun;
    for (const auto& [where, what] : missing)
      r_.answered.Fail(std::to_string(what.first) + " readings answered in time between " + where +
                       " stored nowhere (the first " + what.second + ")");
    const long sweep = static_cast<long>(SweepReads());
    if (beforeRun >= (prime_ + 1) * sweep)
      r_.answered.Fail(std::to_string(beforeRun) + " readings answered in time before the first sample (" +
                       std::to_string(prime_) + " sweeps start a run)");
    if (afterRun >= sweep)
      r_.answered.Fail(std::to_string(afterRun) + " readings answered in time after the last sample");
    r_.zeros.countedAs = "zeros a zero link that is on allows";
    r_.held.counted = failedCopies;
    r_.held.countedAs =
        "copies or -99999 where the request failed, a failure cut its sweep or the port was lost, a later reply "
        "of the sweep ran on or came garbled (or, -99999 alone, a hang-up followed), and -99999 read before the gap "
        "its sample stands after, where the module's last request failed or where another device's unanswered "
        "request held the line, and copies or -99999 where a failed reply kept the line out of step when the sweep "
        "was due";
    long failedReads = 0;
    for (const std::string& f : failed_) failedReads += f.empty() ? 0 : 1;
    r_.answered.notes.push_back(std::to_string(reads.size()) + " readings in the log, " +
                                std::to_string(failedReads) + " of them failed; unstored: " +
                                std::to_string(beforeRun) + " before the first sample, " +
                                std::to_string(afterRun) + " after the last, " + std::to_string(inGaps) +
                                " in logged gaps, " + std::to_string(cut) + " in sweeps a hang-up cut");
  }

  // A reply that ran on or came garbled, or bytes that came in a request's wait, put
  // bytes on the line after the replies before it in the sweep, so the program cannot
  // tell which request each of those answered and fails them all (a copy or -99999); a
  // hang-up after them fails them as -99999 when the line opens again; a time-out with
  // nothing arriving (a silence, or a reply held back whole past it) confirms them.
  enum Later { kStands, kBadOnly, kCopyOrBad };
  void FailedLater(const std::vector<long>& sweep) {
    Later later = kStands;
    for (auto c = chans_.rbegin(); c != chans_.rend(); ++c) {
      failedLater_[static_cast<std::size_t>(*c)] = later;
      const long q = GroupFailure(*c, sweep[static_cast<std::size_t>(*c)]);
      if (q < 0) continue;
      const std::string& why = failed_[static_cast<std::size_t>(q)];
      later = QuietTimeOut(static_cast<std::size_t>(q)) ? kStands
              : why == "lost in a hang-up"              ? std::max(later, kBadOnly)
                                                        : kCopyOrBad;
    }
  }
  bool MayHaveFailedLater(double cell, int c) const {
    const Later later = failedLater_[static_cast<std::size_t>(c)];
    return later == kCopyOrBad || (later == kBadOnly && cell == kBad);
  }

  // A failed request whose wait passed with nothing arriving: no reply came, or the
  // reply was held back whole until after the time-out. That wait confirms the replies
  // before it in the sweep; the late bytes come only in the next request's wait.
  bool QuietTimeOut(std::size_t q) const {
    const std::string& why = failed_[q];
    if (why == "silent") return true;
    const std::string& fault = reads_[q].fault;
    return (fault == "late" || fault == "slow" || fault == "held") && why.rfind(fault + " (", 0) == 0;
  }

  bool InChannels(int input) const {
    return std::any_of(chans_.begin(), chans_.end(), [&](int c) { return Input(c) == input; });
  }
  // A reading of the sweep a hang-up cut: the hang-up came before the next sweep's.
  bool CutByHangUp(std::size_t q, std::size_t next) const {
    const double from = reads_[q].t, to = next < reads_.size() ? reads_[next].t : 1e18;
    const double sweep = static_cast<double>(chans_.size()) * p_.kind->requests * p_.kind->timeoutMs / 1000.0;
    return std::any_of(log_.hangups.begin(), log_.hangups.end(),
                       [&](double h) { return h > from && h < to && h - from < sweep + 0.5; });
  }

  // Channel c of sample s, read by reading q (-1: never asked); 1 for a copy or -99999
  // that its failed request allows.
  // Why a channel that was not asked in its sample's sweep may hold a copy or -99999:
  // a request of the same device failed earlier in the sweep (which the failure cut),
  // the port was lost, or (-99999 alone) the channel's last request or its module's
  // failed and it has not been asked since (a module rested after its silence, its
  // failed requests perhaps in a logged gap that no sample holds), or the last request on
  // the line was another device's and went unanswered, so the line was held for its
  // late reply and this device could not be asked; or (a copy or -99999, as the
  // bad-reading rule gives) the last request on the line failed and this sweep was due
  // before the line was back in step, so none of the device's requests in it went out.
  enum class Excuse { None, Cut, PortLost, Silent, HeldForAnother, OutOfStep };

  double Interval(const StoredSample& s) const {
    const std::vector<double>& v = intervals_[s.file];
    return static_cast<std::size_t>(s.index) < v.size() ? v[static_cast<std::size_t>(s.index)] : p_.interval;
  }
  // When sample n's sweep was due, told by the last sweep asked before it: its first
  // request, on by the file's rule (pauses and logged gaps included); across files, an
  // interval a sample. -1 when no sweep was asked before it.
  double Due(std::size_t n) const {
    if (lastAsked_ < 0) return -1;
    const StoredSample &a = samples_[static_cast<std::size_t>(lastAsked_)], &s = samples_[n];
    if (a.file == s.file)
      return lastAskedFrom_ + rule_[s.file][static_cast<std::size_t>(s.index)] -
             rule_[a.file][static_cast<std::size_t>(a.index)];
    return lastAskedFrom_ + static_cast<double>(n - static_cast<std::size_t>(lastAsked_)) * Interval(s);
  }
  // Whether a sweep due at `due` found the line still out of step after reading q
  // failed. The line is back once what was owed (the bytes the log shows after the
  // failed request, before the next reading's) has come and it has been quiet for as
  // long as a reply may take, or once the late-reply window passed with nothing. The
  // program looks for owed bytes only when it next means to ask: where they came
  // between two sweeps and its quiet is no shorter than a reply's time-out, the first
  // sweep after them is given up too.
  bool OutOfStepAt(std::size_t q, double due, double interval) const {
    if (due < 0) return false;
    const SimLog::Read& r = reads_[q];
    const double asked = r.faultAt >= 0 ? r.faultAt : r.t, timeout = p_.kind->timeoutMs / 1000.0;
    const double quiet = std::min(timeout, kQuietAfterLate);
    const auto next = std::upper_bound(log_.reads.begin(), log_.reads.end(), asked,
                                       [](double t, const SimLog::Read& x) { return t < x.t; });
    const double until = next == log_.reads.end() ? 1e18 : next->t;
    const auto& tx = log_.replies;
    const auto after = std::lower_bound(tx.begin(), tx.end(), until);
    if (after == tx.begin() || *(after - 1) <= asked) return due < asked + timeout + kLateReplyWindow;
    const double lastByte = *(after - 1);
    return due < std::max(lastByte, asked + timeout) + quiet || (quiet >= timeout && due - interval < lastByte);
  }
  // The device that answers channel c: an ADAM's module, else the one instrument.
  int Device(int c) const { return DeviceOfInput(Input(c)); }
  int DeviceOfInput(int input) const {
    return Modules() ? (input <= 8 ? 1 : 3) : 0;
  }
  bool Modules() const { return std::string(p_.kind->name) == "adam"; }

  int Judge(const StoredSample& s, const std::vector<double>* prev, int c, long q, Excuse excuse) {
    const double cell = s.cells[static_cast<std::size_t>(c)];
    const bool bad = cell == kBad, copy = prev && (*prev)[static_cast<std::size_t>(c)] == cell;
    const std::string at = Where(s) + " channel " + std::to_string(c + 1) + " = " + std::to_string(cell);
    ++r_.lookup.checked;
    // A zero the switching may have put is judged by the device its sweep was read under.
    if (cell == 0 && ByTheSwitching(c)) return 0;
    if (cell == 0 && !Switched(c)) ++r_.zeros.checked;
    if (cell == 0 && LinkedZero(s, prev, c)) return ++r_.zeros.counted, 0;
    if (q < 0) {
      if (Switched(c) && cell == 0) return 0;
      if (cell == 0) return r_.zeros.Fail(at + ": a zero on a channel with no device, not sent"), 0;
      if (bad || copy) {
        ++r_.held.checked;
        if (excuse == Excuse::Cut || excuse == Excuse::PortLost || excuse == Excuse::OutOfStep ||
            ((excuse == Excuse::Silent || excuse == Excuse::HeldForAnother) && bad))
          return 1;
        r_.held.Fail(at + (bad ? " (-99999)" : " (a copy of the sample before)") + ": input " +
                     std::to_string(Input(c)) + " was never asked in its sweep");
        return 0;
      }
      return r_.lookup.Fail(at + ": input " + std::to_string(Input(c)) + " was not asked in its sweep"), 0;
    }
    const auto i = static_cast<std::size_t>(q);
    const double sent = Value(c, i);
    const bool failed = GroupFailed(c, i);
    const long failure = GroupFailure(c, q);
    const std::size_t n = GroupEnd(c, i) - i;
    const std::string reply = "input " + std::to_string(Input(c)) + " answered " +
                              (n > 1 ? std::to_string(n) + " readings averaging " : "") +
                              std::to_string(sent) + " at " + Seconds(Since(reads_[i].t)) + " s";
    if (!failed) ++r_.answered.checked;
    if (SameValue(cell, sent)) return 0;
    if (Switched(c) && cell == 0) return 0;
    if (cell == 0) return r_.zeros.Fail(at + ": a zero on a channel with no device, where " + reply), 0;
    if (failed) {
      ++r_.held.checked;
      if (bad || copy) return 1;
      return r_.lookup.Fail(at + ": neither a copy nor its reply's value (" + reply + ", " +
                            failed_[static_cast<std::size_t>(failure >= 0 ? failure : q)] + ")"),
             0;
    }
    if (bad && log_.reads.size() > 0 && reads_[i].t < beforeGap_) return ++r_.held.checked, 1;
    if ((bad || copy) && MayHaveFailedLater(cell, c)) return ++r_.held.checked, 1;
    if (bad || copy)
      return r_.answered.Fail(at + (bad ? " (-99999)" : " (a copy of the sample before)") + " where " + reply +
                              " in time"),
             0;
    return r_.lookup.Fail(at + " where " + reply), 0;
  }

  // ---- a streaming instrument: each sample one line ------------------------------
  // Every cell of a sample is a field of the one line its read took (a field that is no
  // number, -99999). A read whose newest line came with line noise or short of the
  // fields the channels read failed, and so did one that no line reached within its
  // wait or whose port was lost: its sample holds a copy or -99999 in every channel. So a
  // sample with a field of a line holds that line's value in every channel, and one of
  // copies and -99999 alone stands only where the log shows a line failed between the
  // lines the samples about it read.
  void Lines() {
    const auto& lines = log_.lines;
    std::size_t needed = 0;
    for (int c : chans_) needed = std::max(needed, static_cast<std::size_t>(Input(c)));
    const auto field = [&](std::size_t l, int c) {
      const auto f = static_cast<std::size_t>(Input(c) - 1);
      return f < lines[l].fields.size() ? lines[l].fields[f] : std::nan("");
    };
    const auto holds = [&](std::size_t l, int c, double cell) {
      const double v = field(l, c);
      return std::isnan(v) ? cell == kBad : SameValue(cell, AsStored(*p_.kind, v, false));
    };
    std::size_t L = 0;
    long lastLine = -1;                     // the line of the last sample that held one
    std::vector<const StoredSample*> held;  // samples of copies and -99999 alone since
    const std::vector<double>* prev = nullptr;
    for (const StoredSample& s : samples_) {
      const auto copy = [&](int c) {
        const double cell = s.cells[static_cast<std::size_t>(c)];
        return cell == kBad || (prev && (*prev)[static_cast<std::size_t>(c)] == cell);
      };
      std::size_t bestL = L;
      long bestScore = -1;
      for (std::size_t l = L; l < lines.size() && l < L + kSearch; ++l) {
        long score = 0;
        bool fresh = false;
        for (int c : chans_) {
          const bool same = holds(l, c, s.cells[static_cast<std::size_t>(c)]);
          fresh = fresh || (same && !copy(c));
          score += same || copy(c) ? 1 : 0;
        }
        if (!fresh) continue;
        if (score > bestScore) bestScore = score, bestL = l;
        if (score == static_cast<long>(chans_.size())) break;
      }
      const bool found = bestScore >= 0;
      bool allHeld = true;
      for (int c : chans_) {
        ++r_.lookup.checked;
        const double cell = s.cells[static_cast<std::size_t>(c)];
        const std::string at = Where(s) + " channel " + std::to_string(c + 1) + " = " + std::to_string(cell);
        if (found && holds(bestL, c, cell)) {
          ++r_.answered.checked;
          allHeld = false;
          continue;
        }
        if (copy(c)) {
          if (found)
            r_.answered.Fail(at + (cell == kBad ? " (-99999)" : " (a copy of the sample before)") +
                             " where the line its other channels came from, sent at " +
                             Seconds(Since(lines[bestL].sent)) + " s, holds " +
                             std::to_string(field(bestL, c)));
          continue;
        }
        allHeld = false;
        if (cell == 0 && !Switched(c)) {
          ++r_.zeros.checked;
          if (LinkedZero(s, prev, c)) {
            ++r_.zeros.counted;
            continue;
          }
          r_.zeros.Fail(at + ": a zero on a channel with no device, not in the line its other channels came from");
          continue;
        }
        if (cell == 0) continue;
        r_.lookup.Fail(at + (found ? ": not the value of the line its other channels came from"
                                   : ": not the value of any line sent after the sample before's"));
      }
      if (found) {
        JudgeHeld(held, lastLine, static_cast<long>(bestL), needed);
        held.clear();
        times_[Key(s)] = lines[bestL].sent, L = bestL, lastLine = static_cast<long>(bestL);
        r_.asked[Key(s)] = {lines[bestL].sent, lines[bestL].sent};
      } else if (allHeld) {
        held.push_back(&s);
      }
      prev = &s.cells;
    }
    JudgeHeld(held, lastLine, -1, needed);
    r_.held.countedAs =
        "copies or -99999 in samples whose read failed: a line came with line noise or short, "
        "none came, or the port was lost";
  }

  // The samples of copies and -99999 alone between the lines two samples read (-1: the
  // run's start, or its end): each needs a read of its own that failed there, as the log
  // shows it: a line with line noise or short of the `needed` fields, a line sent as
  // noise, no line for as long as a read waits, or the port lost (which fails any).
  void JudgeHeld(const std::vector<const StoredSample*>& held, long fromLine, long toLine,
                 std::size_t needed) {
    if (held.empty()) return;
    const auto& lines = log_.lines;
    const double from = fromLine >= 0 ? lines[static_cast<std::size_t>(fromLine)].sent : settled_;
    const double to = toLine >= 0 ? lines[static_cast<std::size_t>(toLine)].sent : 1e18;
    long failed = 0;
    double last = from;
    for (const SimLog::Line& l : lines) {
      if (l.sent <= from || l.sent >= to) continue;
      if (!l.clean || l.fields.size() < needed) ++failed;
      failed += static_cast<long>((l.sent - last) / kStreamWait);
      last = l.sent;
    }
    for (const auto& [t, fault] : log_.lineFaults)
      if (t > from && t <= to && fault == "garbage") ++failed;
    if (std::any_of(log_.hangups.begin(), log_.hangups.end(), [&](double h) { return h > from && h <= to; }))
      failed = static_cast<long>(held.size());
    const long cells = static_cast<long>(chans_.size());
    r_.held.checked += static_cast<long>(held.size()) * cells;
    r_.held.counted += std::min(failed, static_cast<long>(held.size())) * cells;
    if (static_cast<long>(held.size()) <= failed) return;
    const StoredSample& s = *held[static_cast<std::size_t>(failed)];
    r_.answered.Fail(Where(s) + ": every channel a copy or -99999, where " + std::to_string(held.size()) +
                     " such samples stand between lines sent at " + Seconds(Since(from)) + " and " +
                     (toLine >= 0 ? Seconds(Since(to)) : std::string("the end")) + " s, and the log shows " +
                     std::to_string(failed) + " lines failed there");
  }

  // ---- the switching: each sweep read under the devices its commands left on --------
  // A single group's device commands name the device they put on, in the log's order of
  // bytes with the sweeps' requests: a sweep sent after a command was read under it.
  // (Two groups keep a device of each on at once, which one command does not tell.)
  bool ByBytes() const { return !p_.devices.empty() && p_.reference2 == 0 && !log_.outputs.empty(); }
  // The devices that zero channel c while the switching has them off: its own, and
  // while the links are on, the device of the channel it is zero-linked to.
  std::vector<int> ZeroingDevices(int c) const {
    std::vector<int> d;
    if (!ByBytes()) return d;
    if (p_.devices[static_cast<std::size_t>(c)] != 0) d.push_back(p_.devices[static_cast<std::size_t>(c)]);
    if (p_.zeroLinksOn && static_cast<std::size_t>(c) < p_.zeroLinkOf.size()) {
      const int k = p_.zeroLinkOf[static_cast<std::size_t>(c)];
      if (k >= 0 && p_.devices[static_cast<std::size_t>(k)] != 0)
        d.push_back(p_.devices[static_cast<std::size_t>(k)]);
    }
    return d;
  }
  bool ByTheSwitching(int c) const { return !ZeroingDevices(c).empty(); }
  // The device on for a sweep sent at t: the last command before it (0: none yet), and
  // that command's time.
  std::pair<int, double> OnAt(double t) const {
    const auto& out = log_.outputs;
    const auto after = std::lower_bound(
        out.begin(), out.end(), t, [](const std::pair<double, int>& o, double v) { return o.first < v; });
    if (after == out.begin()) return {0, -1};
    return {(after - 1)->second, (after - 1)->first};
  }
  bool Shuts(const std::vector<int>& devices, int on) const {
    return on != 0 && on != p_.reference &&
           std::any_of(devices.begin(), devices.end(), [&](int d) { return d != on; });
  }

  // Each cell of a channel the switching zeroes is 0 exactly where its sweep was sent
  // after the command that shut its device (or its link's) and before the one that
  // opened it again, unless its own reading sent 0. A sample stored with nothing asked
  // was read under no command: only where every command from the sweep before it to the
  // sweep after it agrees is it judged.
  void SwitchedCells() {
    if (!ByBytes()) return;
    std::vector<double> from(samples_.size(), -1e18), to(samples_.size(), 1e18);
    double last = -1e18;
    for (std::size_t n = 0; n < samples_.size(); ++n) {
      if (sweepFrom_[n] >= 0) last = sweepFrom_[n];
      from[n] = last;
    }
    last = 1e18;
    for (std::size_t n = samples_.size(); n-- > 0;) {
      if (sweepFrom_[n] >= 0) last = sweepFrom_[n];
      to[n] = last;
    }
    long zeroed = 0;
    for (std::size_t n = 0; n < samples_.size(); ++n) {
      const StoredSample& s = samples_[n];
      const auto [on, at] = OnAt(from[n]);
      if (at < 0 && sweepFrom_[n] >= 0) continue;  // no command before it: the set-up's state
      std::vector<int> states = {on};
      if (sweepFrom_[n] < 0)
        for (const auto& [t, d] : log_.outputs)
          if (t > from[n] && t < to[n]) states.push_back(d);
      for (int c = 0; c < p_.channels; ++c) {
        const std::vector<int> devices = ZeroingDevices(c);
        if (devices.empty()) continue;
        ++r_.zeros.checked;
        const bool offAll =
            std::all_of(states.begin(), states.end(), [&](int d) { return Shuts(devices, d); });
        const bool offAny =
            std::any_of(states.begin(), states.end(), [&](int d) { return Shuts(devices, d); });
        const double cell = s.cells[static_cast<std::size_t>(c)];
        // Its own reading's 0, or a copy of one (a failed reading keeps a true 0).
        const bool own = ((ownZero_[n] >> c) & 1u) || (n > 0 && ((ownZero_[n - 1] >> c) & 1u) && cell == 0 &&
                                                        samples_[n - 1].cells[static_cast<std::size_t>(c)] == 0);
        if (own) ownZero_[n] |= 1u << c;
        const std::string where =
            Where(s) + " channel " + std::to_string(c + 1) + " = " + std::to_string(cell);
        const std::string sweep = sweepFrom_[n] >= 0
                                      ? "its sweep sent at " + Seconds(Since(sweepFrom_[n])) + " s"
                                      : "no sweep asked";
        const std::string command =
            at < 0 ? "no device command before it"
                   : "device " + std::to_string(on) + " put on at " + Seconds(Since(at)) + " s";
        if (cell == 0 && offAny) ++zeroed;
        if (cell == 0 && !own && !offAny)
          r_.zeros.Fail(where + ": zeroed though " + sweep + " after " + command + " (its device on)");
        else if (cell != 0 && offAll)
          r_.zeros.Fail(where + ": not zeroed though " + sweep + " after " + command + " (its device shut)");
      }
    }
    r_.zeros.counted += zeroed;
    r_.zeros.countedAs =
        "zeros where the switching shut the channel's device or its link's, or a zero link that is on allows";
  }

  // ---- switch markers --------------------------------------------------------------
  static long Key(const StoredSample& s) { return static_cast<long>(s.file) * 100000000L + s.index; }

  // Each switch marker stands for its own device command: one sent after the sweep of
  // the sample asked before the marker's and before the marker's own sweep (a sample
  // with none asked: the next asked one's), so the readings it marks are the first the
  // switch applies to. A marker 'R' is the reference's command, 'S' another device's.
  void Switches() {
    const double wall = settled_;
    // A switching key held down is one press: one command, whatever its auto-repeat.
    for (const SwitchKey& k : p_.switchKeys) {
      ++r_.switches.checked;
      const double from = wall + k.at - kKeyRoom, to = wall + k.at + k.hold + kKeyRoom;
      const auto sent = std::count_if(log_.outputs.begin(), log_.outputs.end(),
                                      [&](const auto& o) { return o.first > from && o.first < to; });
      if (sent != 1)
        r_.switches.Fail("the key " + k.key + " held " + Seconds(k.hold) + " s at " + Seconds(k.at) +
                         " s sent " + std::to_string(sent) + " device commands");
    }
    std::vector<std::pair<double, int>> commands;  // (time, device on; 0 unknown)
    if (std::string(p_.kind->name) == "adc1")
      for (const double t : log_.outputBytes) commands.emplace_back(t, 0);
    else
      commands = log_.outputs;
    std::vector<bool> matched(commands.size(), false);
    std::map<long, std::size_t> place;
    for (std::size_t n = 0; n < samples_.size(); ++n) place[Key(samples_[n])] = n;
    const bool timed = !sweepFrom_.empty();
    for (std::size_t f = 0; f < files_.size(); ++f)
      for (const auto& [sample, code] : files_[f].markers) {
        if (!IsSwitchMarker(code)) continue;
        const auto at = place.find(static_cast<long>(f) * 100000000L + std::max(sample - 1, 0));
        if (at == place.end() || !timed) continue;
        const std::size_t n = at->second;
        const std::string where = files_[f].name + " sample " + std::to_string(sample - 1) +
                                  ": switch marker '" + std::string(1, static_cast<char>(code)) + "'";
        // A key the user typed there is no switch (typed letters are stored as typed).
        const double near = sweepFrom_[n] >= 0 ? sweepFrom_[n] : lastAskedFrom_;
        const bool typed = std::any_of(p_.markers.begin(), p_.markers.end(), [&](const Marker& m) {
          return m.key == code && std::fabs(wall + m.at - near) < 3;
        });
        if (typed) continue;
        ++r_.switches.checked;
        double from = -1e18, to = 1e18;
        for (std::size_t k = n; k-- > 0;)
          if (sweepFrom_[k] >= 0) {
            from = sweepFrom_[k];
            break;
          }
        for (std::size_t k = n; k < samples_.size(); ++k)
          if (sweepFrom_[k] >= 0) {
            to = sweepFrom_[k];
            break;
          }
        const auto fits = [&](const std::pair<double, int>& c) {
          if (c.second == 0 || (code != 'S' && code != 'R')) return true;
          return (c.second == p_.reference) == (code == 'R');
        };
        std::size_t i = 0;
        while (i < commands.size() &&
               (matched[i] || commands[i].first <= from || commands[i].first >= to || !fits(commands[i])))
          ++i;
        if (i < commands.size()) {
          matched[i] = true;
          continue;
        }
        const double mid = to < 1e17 ? to : from;
        const auto nearest =
            std::min_element(commands.begin(), commands.end(), [&](const auto& a, const auto& b) {
              return std::fabs(a.first - mid) < std::fabs(b.first - mid);
            });
        const auto when = [&](double t) { return std::fabs(t) < 1e17 ? Seconds(Since(t)) + " s" : "none"; };
        r_.switches.Fail(where + " with no " + (code == 'R' ? "reference " : "") +
                         "device command of its own between the sweep before it (" + when(from) +
                         ") and its own (" + when(to) + ")" +
                         (nearest == commands.end() ? "" : "; the nearest at " + when(nearest->first)));
      }
  }

  const Plan& p_;
  const Options& o_;
  const SimLog& log_;
  const std::vector<StoredFile>& files_;
  double settled_;
  int prime_;
  std::vector<int> chans_;
  std::vector<StoredSample> samples_;
  std::vector<SimLog::Read> reads_;
  std::vector<bool> silent_ = std::vector<bool>(17, false);  // by channel: its last request failed
  // By channel: whether a later request of its sweep failed it (see FailedLater).
  std::vector<Later> failedLater_ = std::vector<Later>(17, kStands);
  double lastRead_ = -1e18;
  double beforeGap_ = -1e18;  // readings before it lie before the gap the sample stands after
  std::vector<bool> high_;  // an ADC-1 reading at high gain
  std::vector<double> askedFrom_;  // when each reading's first exchange began
  std::vector<std::vector<double>> rule_, intervals_;  // each file's sample times and intervals by its rule
  long lastAsked_ = -1;  // the last sample any of whose channels was asked, and its sweep's first request
  double lastAskedFrom_ = 0;
  std::vector<SpikeKept> spikes_;  // the spike filter's re-reads that kept the reference
  std::vector<std::string> failed_;
  std::map<long, double> times_;  // each sample's last reading (wall clock)
  std::vector<double> sweepFrom_;  // by sample: its sweep's first request (wall clock); -1 none asked
  std::vector<uint32_t> ownZero_;  // by sample: the channels whose 0 their own reading sent
  LookupResult r_;
};

}  // namespace

LookupResult LookUp(const Plan& p, const Options& o, const SimLog& log, const std::vector<StoredFile>& files,
                    double settledFrom, int primeSweeps) {
  return Looker(p, o, log, files, settledFrom, primeSweeps).Run();
}

}  // namespace mv::soak
