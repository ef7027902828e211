#include "soak/sweeps.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <optional>
#include <sstream>

#include "soak/lookup.h"

namespace mv::soak {

namespace {

constexpr double kBad = -99999;
// A single-precision value keeps about seven digits.
constexpr double kFloatPart = 1.2e-7;
// The quiet before Setup OK: the run's first request is the first after it.
constexpr double kQuietBeforeRun = 0.8;
// A streamed line sent this much after it was measured came late (a line takes about
// a hundredth of a second on the wire).
constexpr double kLateLine = 0.1;
// The most one reading of several a channel averages takes, in a sweep on time.
constexpr double kReadingSpan = 0.02;

}  // namespace

Sweeps::Sweeps(const Plan& p, const SimLog& log) : p_(p), log_(log) {
  for (int c = 0; c < p.channels; ++c) {
    inputs_.push_back(p.inputs[static_cast<std::size_t>(c)]);
    fast_.push_back(p.fastInput > 0 && inputs_.back() == p.fastInput);
    mean_.push_back(p.averaging == Averaging::ContinuousAll ||
                    (p.averaging == Averaging::ContinuousLast && c == p.channels - 1));
  }
  // A reply owed when a fault ends still comes: a late one after the time-out and then
  // some, a slow one after its wait.
  recovery_ = (p.kind->timeoutMs + p.lateMs + p.slowMs) / 1000.0 + 0.3;
  // On a paced line a sweep takes its requests' and replies' bytes (about 32 a reading).
  sweepSeconds_ = p.baud > 0 ? p.channels * 32 * 10.0 / p.baud : 0;
  FindReplies();
  FindBursts();
  for (const SpikeKept& k : SpikesKept(p, log)) spikeKept_.emplace_back(k.input, AsStored(*p.kind, k.reference));
}

// The replies as the program's requests have them: on a paced line the simulator logs
// each byte as it goes. A text reply is a line, from its first byte; of other replies,
// bytes that follow each other within a byte time and a half are one, timed by its first.
void Sweeps::FindReplies() {
  if (p_.baud > 0 && p_.kind->text) {
    replies_ = log_.lineStarts;
    return;
  }
  const double byte = p_.baud > 0 ? 10.0 / p_.baud : 0;
  double last = -1e18;
  for (double t : log_.replies) {
    if (byte == 0 || t - last > 1.5 * byte) replies_.push_back(t);
    last = t;
  }
}

// The common rise read back: origin + (value - base) / rate, known to the value's
// resolution (half a step, with room), its single-precision digits, and for a stream
// the age of the line it came from.
double Sweeps::SlowTime(int c, double v, double* e) const {
  const double base = p_.bases[static_cast<std::size_t>(inputs_[static_cast<std::size_t>(c)] - 1)];
  *e = (0.6 * p_.kind->step + std::fabs(v) * kFloatPart) / p_.rate + (p_.kind->streams ? 0.06 : 0);
  return log_.origin + (v - base) / p_.rate;
}

// The sawtooth read back: the tooth nearest `near`.
double Sweeps::FastTime(double v, double near, double* e) const {
  const double base = p_.bases[static_cast<std::size_t>(p_.fastInput - 1)];
  const double period = (p_.kind->high - p_.kind->low) / p_.fastRate;
  *e = (0.6 * p_.kind->step + std::fabs(v) * kFloatPart) / p_.fastRate + (p_.kind->streams ? 0.06 : 0);
  const double t0 = log_.origin + (v - base) / p_.fastRate;
  return t0 + period * std::round((near - t0) / period);
}

// What tells a sawtooth reading's tooth: the nearest swept reading on the common rise,
// one before it in the sweep first; else a mean's; else nothing (NaN).
double Sweeps::Anchor(const Sample& s, int c) const {
  for (int d = 1; d < p_.channels; ++d)
    for (int at : {c - d, c + d}) {
      if (at < 0 || at >= p_.channels) continue;
      const Reading& r = s.readings[static_cast<std::size_t>(at)];
      if (r.kind == Reading::Swept && !fast_[static_cast<std::size_t>(at)]) return r.t;
    }
  for (const Reading& r : s.readings)
    if (r.kind == Reading::Mean) return r.t + s.interval / 2;
  return std::numeric_limits<double>::quiet_NaN();
}

void Sweeps::Estimate(Sample& s, const Sample* prev, const Sample* last) const {
  const std::size_t n = s.cells.size();
  s.readings.assign(n, Reading{});
  for (std::size_t c = 0; c < n; ++c) {
    const double v = s.cells[c];
    const bool linked = p_.zeroLinksOn && c < p_.zeroLinkOf.size() && p_.zeroLinkOf[c] >= 0;
    if (v == 0 && ((!p_.devices.empty() && p_.devices[c] != 0) || linked)) s.readings[c].kind = Reading::Zeroed;
    if (v == kBad || fast_[c] || s.readings[c].kind == Reading::Zeroed) continue;
    Reading& r = s.readings[c];
    // An input held at 0 V tells nothing of when it was read.
    if (inputs_[c] == p_.zeroInput) {
      r.kind = Reading::Unpinned;
      continue;
    }
    r.kind = mean_[c] ? Reading::Mean : Reading::Swept;
    r.t = SlowTime(static_cast<int>(c), v, &r.e);
    // The mean of several readings in a row stands for their middle one's time.
    if (c < p_.readings.size() && p_.readings[c] > 1) r.e += (p_.readings[c] - 1) * kReadingSpan / 2;
  }
  for (std::size_t c = 0; c < n; ++c) {
    if (s.cells[c] == kBad || !fast_[c]) continue;
    const double near = Anchor(s, static_cast<int>(c));
    Reading& r = s.readings[c];
    if (std::isnan(near)) {
      r.kind = Reading::Unpinned;
      continue;
    }
    r.kind = Reading::Swept;
    r.t = FastTime(s.cells[c], near, &r.e);
  }
  // A value the filter kept is a reading of an earlier sweep: one that its value places
  // in this sample's own sweep (among its other channels' readings) is this sweep's
  // reading, which a later spike kept in turn, and no copy.
  double sweepFrom = 1e18, sweepTo = -1e18;
  for (std::size_t c = 0; c < n; ++c)
    if (s.readings[c].kind == Reading::Swept && !fast_[c])
      sweepFrom = std::min(sweepFrom, s.readings[c].t - s.readings[c].e),
      sweepTo = std::max(sweepTo, s.readings[c].t + s.readings[c].e);
  for (std::size_t c = 0; c < n; ++c) {
    Reading& r = s.readings[c];
    if (r.kind != Reading::Swept && r.kind != Reading::Unpinned) continue;
    const bool own = r.kind == Reading::Swept && r.t + r.e >= sweepFrom - 0.05 && r.t - r.e <= sweepTo + 0.15;
    for (const auto& [input, value] : spikeKept_)
      if (input == inputs_[c] && SameValue(s.cells[c], value) && !own) r.kind = Reading::Held;
  }
  Place(s, prev, last);
}

// The sample stands at its last reading that stood: the last swept reading in the
// sweep that is not a copy of the sample before; with none, the last swept reading;
// with none, half an interval past the latest mean (the scans end when it is due).
void Sweeps::Place(Sample& s, const Sample* prev, const Sample* last) const {
  const std::size_t n = s.cells.size();
  const auto copied = [&](std::size_t c) { return last && last->cells[c] == s.cells[c]; };
  bool every = last != nullptr, any = false;
  for (std::size_t c = 0; c < n; ++c)
    if (s.readings[c].kind != Reading::Bad && s.readings[c].kind != Reading::Zeroed)
      any = true, every = every && copied(c);
  if (!any || SentLate(s)) return;
  if (every) {
    // Nothing new in it: the failed sample a silence stores (every reading held), or
    // the sweep before it stored again.
    const double from = prev ? prev->T : 0;
    const double due = from + s.logged + 2 * s.interval + p_.kind->timeoutMs / 1000.0 + 0.5;
    if (!prev || FaultBetween(from - 0.1, due)) {
      for (Reading& r : s.readings)
        if (r.kind != Reading::Bad && r.kind != Reading::Zeroed) r.kind = Reading::Held;
      return;
    }
    s.duplicate = true;
  }
  int at = LastStood(s, prev, [&](std::size_t c) { return !copied(c) || every; });
  // With every swept channel a copy (they failed, a silence begun), a channel averaged
  // over the interval that read well places the sample: its scans' end.
  const bool mean = std::any_of(s.readings.begin(), s.readings.end(),
                                [](const Reading& r) { return r.kind == Reading::Mean; });
  if (at < 0 && !mean) at = LastStood(s, prev, [](std::size_t) { return true; });
  if (at >= 0) {
    s.T = s.readings[static_cast<std::size_t>(at)].t;
    s.e = s.readings[static_cast<std::size_t>(at)].e;
    // The program has a reading once its reply is in: a slow reply, or one cut in two
    // whose rest followed, comes a while after the value it carries was taken.
    s.replyIn = ReplyDelay(s.T, inputs_[static_cast<std::size_t>(at)]);
    s.T += s.replyIn;
  } else {
    for (const Reading& r : s.readings)
      if (r.kind == Reading::Mean && r.t + s.interval / 2 > s.T)
        s.T = r.t + s.interval / 2, s.e = r.e + s.interval / 2;
    if (s.T < 0) return;
  }
  // A copy of the value before it is held, not read: where the channel rose by more
  // than its resolution since, or where it was read outside its own sweep.
  for (std::size_t c = 0; c < n; ++c) {
    Reading& r = s.readings[c];
    if (r.kind != Reading::Swept || !copied(c) || every) continue;
    const double rise = (fast_[c] ? p_.fastRate : p_.rate) * (s.T - (prev ? prev->T : s.T));
    if (rise > 2 * p_.kind->step || (prev && r.t + r.e < prev->T - prev->e) || r.t - r.e > s.T + s.e)
      r.kind = Reading::Held;
  }
  s.first = s.T;
  for (const Reading& r : s.readings) {
    if (r.kind == Reading::Swept) s.first = std::min(s.first, r.t - r.e);
    if (r.kind == Reading::Mean) s.first = std::min(s.first, s.T - s.interval);
  }
}

// The sweep's last reading that stood, among the swept readings `fresh` allows: read
// after the sample before it, with the most of the sweep's readings within a sweep's
// length before it (a value that is another sweep's or channel's stands alone), and
// last in the sweep among those.
int Sweeps::LastStood(const Sample& s, const Sample* prev,
                      const std::function<bool(std::size_t)>& fresh) const {
  const std::size_t n = s.readings.size();
  const double span = std::max({s.interval, 0.05, 1.3 * sweepSeconds_}) + 0.05;
  int best = -1;
  long bestCount = -1;
  for (std::size_t c = 0; c < n; ++c) {
    const Reading& r = s.readings[c];
    if (r.kind != Reading::Swept || !fresh(c) || (prev && r.t + r.e < prev->T - prev->e)) continue;
    const double from = r.t - span - (FaultBetween(r.t - span, r.t) ? recovery_ + 1 : 0);
    long count = 0;
    for (const Reading& o : s.readings)
      if (o.kind == Reading::Swept && o.t + o.e >= from && o.t - o.e <= r.t + r.e) ++count;
    if (count >= bestCount) best = static_cast<int>(c), bestCount = count;
  }
  return best;
}

std::string Sweeps::OutOfSweep(const Sample& s, int c, const Sample* prev) const {
  const Reading& r = s.readings[static_cast<std::size_t>(c)];
  const double before = prev ? prev->T - prev->e : -1e18;
  const double slack = r.e + 0.001;
  if (r.kind == Reading::Mean) {
    // The interval's scans, after the sample before it, end when it is due; its swept
    // channels are read after them. In a slow spell one scan may outlast the interval.
    double swept = s.T;
    for (const Reading& o : s.readings)
      if (o.kind == Reading::Swept) swept = std::min(swept, o.t - o.e);
    // After a gap (a sweep that lagged past its interval) the scans since the sample
    // before are its own.
    const double from =
        s.logged > 0 ? before : std::max(before, swept - s.e - std::max(s.interval, ScanSeconds(s)));
    if (r.t + slack < from || r.t - slack > s.T + s.e)
      return "is the mean of readings taken about " + Seconds(r.t - s.T) +
             " s from its sample's last reading: not its own interval's";
    return {};
  }
  if (s.sentLate)
    return std::fabs(r.t - s.lineAt) <= slack + s.readings.front().e
               ? std::string()
               : "is not the value of its line sent late";
  if (r.t + slack < before)
    return "was read " + Seconds(r.t - prev->T) + " s from the sample stored before it (" +
           std::to_string(prev->index) + "): another sweep's or channel's value";
  if (r.t - slack > s.T + s.e)
    return "was read " + Seconds(r.t - s.T) +
           " s after its sample's last reading: another sweep's or channel's value";
  const double spread = s.T - r.t;
  if (spread > std::max({s.interval, 0.05, 1.3 * sweepSeconds_}) + r.e + s.e + 0.05 &&
      !FaultBetween(r.t, s.T))
    return "was read " + Seconds(spread) +
           " s before its sample's last reading, with nothing failing between";
  return {};
}

// A streamed line that a freeze held back, or that waited behind those on the wire,
// reached the program only in the burst the log shows after the freeze: the program
// cannot tell when such a line was measured, and places its sample at its arrival.
// The sample's line is found in the burst by its first channel's value; any other
// line is timed by its values.
bool Sweeps::SentLate(Sample& s) const {
  if (!p_.kind->streams || s.cells.empty() || s.readings.front().kind != Reading::Swept) return false;
  const Reading& r = s.readings.front();
  const auto field = static_cast<std::size_t>(inputs_.front());
  const double cell = s.cells.front();
  for (const Burst& b : bursts_) {
    if (r.t < b.frozen - r.e || r.t > b.last + r.e) continue;
    auto line = std::lower_bound(log_.lines.begin(), log_.lines.end(), b.from - 0.001,
                                 [](const SimLog::Line& l, double t) { return l.sent < t; });
    for (; line != log_.lines.end() && line->sent <= b.last + 0.001; ++line) {
      if (line->fields.size() < field ||
          std::fabs(line->fields[field - 1] - cell) > 1e-6 * std::max(1.0, std::fabs(cell)))
        continue;
      s.sentLate = true;
      s.lineAt = r.t;
      s.T = s.first = line->sent;
      s.e = r.e;
      return true;
    }
  }
  return false;
}

// The bursts after each freeze: the lines sent from its end on while each came late
// (measured, by its value, well before it was sent): those it held and those that
// waited behind them on the wire.
void Sweeps::FindBursts() {
  if (!p_.kind->streams || inputs_.empty()) return;
  const auto field = static_cast<std::size_t>(inputs_.front());
  const double base = p_.bases[field - 1];
  for (const auto& [begin, end] : log_.freezes) {
    auto line = std::lower_bound(log_.lines.begin(), log_.lines.end(), end - 0.001,
                                 [](const SimLog::Line& l, double t) { return l.sent < t; });
    Burst b{begin, end, end};
    for (; line != log_.lines.end() && line->fields.size() >= field; ++line) {
      const double measured = log_.origin + (line->fields[field - 1] - base) / p_.rate;
      if (!(line->sent - measured > kLateLine)) break;
      b.last = line->sent;
    }
    bursts_.push_back(b);
  }
}

// How long one scan of the averaged channels takes in a slow spell about the sample
// (each reading waits for its slow reply); 0 outside one.
double Sweeps::ScanSeconds(const Sample& s) const {
  const long scanned = std::count(mean_.begin(), mean_.end(), true);
  const double scan = static_cast<double>(scanned) * p_.slowMs / 1000.0;
  for (const auto& [begin, end] : log_.slow)
    if (begin < s.T + s.e && end > s.T - s.e - s.interval - scan) return scan;
  return 0;
}

double Sweeps::ReplyDelay(double t, int input) const {
  for (const auto& [begin, end] : log_.slow)
    if (t >= begin && t < end) return p_.slowMs / 1000.0;
  // The log's reading of the input asked then (its value taken as the request came).
  const auto from = std::lower_bound(log_.reads.begin(), log_.reads.end(), t - 0.002,
                                     [](const SimLog::Read& r, double at) { return r.t < at; });
  for (auto r = from; r != log_.reads.end() && r->t <= t + 0.002; ++r)
    if (r->input == input && r->fault == "partial" && r->restMs >= 0) return r->restMs / 1000.0;
  return 0;
}

bool Sweeps::FaultBetween(double a, double b) const {
  return std::any_of(log_.faults.begin(), log_.faults.end(),
                     [&](const auto& f) { return f.first < b && f.second + recovery_ > a; });
}

std::string Sweeps::Switched(const Sample& s, int c) const {
  const int device = p_.devices.empty() ? 0 : p_.devices[static_cast<std::size_t>(c)];
  // Two groups have a device of each on at once, which one command's device does not
  // tell: the look-up's rules (a zero only on a switched channel) hold there alone.
  if (device == 0 || s.T < 0 || log_.outputs.empty() || p_.reference2 > 0 ||
      inputs_[static_cast<std::size_t>(c)] == p_.zeroInput)
    return {};
  // The device on when the sample was read, unless a switch lies within an interval.
  int on = -1;
  for (const auto& [at, d] : log_.outputs) {
    if (std::fabs(at - s.T) < s.interval + 0.05 + s.e) return {};
    if (at < s.T) on = d;
  }
  if (on < 0) return {};
  const bool read = on == p_.reference || on == device;
  const Reading& r = s.readings[static_cast<std::size_t>(c)];
  if (read && r.kind == Reading::Zeroed) {
    // An input whose rise crosses 0 V as the sweep reads it gives a true 0: such a
    // cell cannot be told from the zero a device that is off stores.
    double e = 0;
    const double crossing = fast_[static_cast<std::size_t>(c)] ? FastTime(0, s.T, &e) : SlowTime(c, 0, &e);
    if (std::fabs(crossing - s.T) <= e + s.e + s.interval) return {};
    return "is zeroed while device " + std::to_string(on) + " was on";
  }
  if (!read && r.kind != Reading::Zeroed && r.kind != Reading::Bad)
    return "is stored as read while its device " + std::to_string(device) + " was off (device " +
           std::to_string(on) + " on)";
  return {};
}

// The sweeps a run reads before its first sample and stores nowhere: the kind's own
// (a DataTaker's two passes, an ADAM's range commands), and the one sweep a chart run
// on an asked instrument times to learn its pace, unless a channel is averaged over the
// interval.
int Sweeps::StartSweeps() const {
  const bool timed = !p_.fastScope && !p_.kind->streams && p_.averaging == Averaging::Each;
  return p_.kind->primeSweeps + (timed ? 1 : 0);
}

double Sweeps::RunStart() const {
  return runStart_;
}

double Sweeps::LateReplyWait(double silence) const {
  const double window = p_.kind->timeoutMs / 1000.0 + 3.5;
  // A module on a shared line still silent after its second window is rested for half
  // its silence so far, at most 10 s: one that answers again is asked only when its
  // rest is over, a window and a rest after its silence ended at worst.
  if (!p_.kind->rests || silence <= window - p_.kind->timeoutMs / 1000.0) return window;
  return window + std::min(10.0, (silence + window) / 2);
}

double Sweeps::ResumeAfter(double a, double b, double* silence) const {
  double resume = -1;
  for (const auto& [begin, end] : log_.faults)
    if (begin < b && end > a - 0.1 && std::min(end, b) > resume) {
      resume = std::min(end, b);
      if (silence) *silence = end - begin;
    }
  return resume;
}

void Sweeps::FindRun(const std::vector<Sample>& samples) {
  double first = 1e18;
  for (const Sample& s : samples)
    if (s.T >= 0) first = std::min(first, s.first);
  // An instrument that talks unasked, or one the set-up window reads, has no quiet
  // before the run: its start is then an interval and a little before its first sample.
  runStart_ = first - p_.interval - 0.2;
  for (std::size_t i = 1; i < log_.requests.size() && log_.requests[i] < first; ++i)
    if (log_.requests[i] - log_.requests[i - 1] >= kQuietBeforeRun) runStart_ = log_.requests[i];
}

double Sweeps::FaultSecondsIn(double from, double to) const {
  // Merged, from the run's start, with the wait before the program asks again.
  std::vector<std::pair<double, double>> spans;
  for (const auto& [b, e] : log_.faults)
    spans.emplace_back(b - runStart_ - p_.interval, e - runStart_ + LateReplyWait(e - b));
  std::sort(spans.begin(), spans.end());
  double lost = 0, reach = from;
  for (const auto& [b, e] : spans) {
    const double lo = std::max(b, reach), hi = std::min(e, to);
    if (hi > lo) lost += hi - lo;
    reach = std::max(reach, std::min(e, to));
  }
  return lost;
}

// When a sweep's first request was made: where its last reading's time is known
// closely, the request that reading answered (its value was taken as it came) and the
// sweep's other requests before it; else its first reading's time, as closely as known.
double Sweeps::SweepStart(const Sample& s) const {
  const std::vector<double>& rx = log_.requests;
  const double asked = s.T - s.replyIn;
  // An averaged channel's readings run through the interval.
  const bool averaged = std::any_of(s.readings.begin(), s.readings.end(),
                                    [](const Reading& r) { return r.kind == Reading::Mean; });
  if (s.e > 0.0005 || rx.empty() || averaged) return s.first - 0.003;
  auto at = static_cast<std::size_t>(std::lower_bound(rx.begin(), rx.end(), asked) - rx.begin());
  if (at == rx.size() || (at > 0 && asked - rx[at - 1] < rx[at] - asked)) --at;
  if (std::fabs(rx[at] - asked) > 0.001) return s.first - 0.003;
  const auto before = static_cast<std::size_t>(p_.channels * p_.kind->requests - 1);
  const double counted = rx[at >= before ? at - before : 0] - 0.0005;
  // A reading of several requests may take a poll more on a busy machine; the spike
  // filter reads a channel that jumped again 10 ms on, which stands (the first reading
  // a while before its value's time).
  if (p_.spikeRatio > 0) return std::min(counted, s.first - 0.03);
  return p_.kind->requests > 1 ? std::min(counted, s.first - 0.003) : counted;
}

Sweeps::Tally Sweeps::Unclaimed(const std::vector<Sample>& samples, const std::vector<StoredFile>& files,
                                const std::map<long, std::pair<double, double>>& asked) const {
  Tally t;
  // A streaming instrument talks whether asked or not.
  if (p_.kind->streams) return t;
  const std::vector<double>& tx = replies_;
  enum : char { kFree, kClaimed, kFault, kPause };
  std::vector<char> state(tx.size(), kFree);
  const auto mark = [&](double from, double to, char as) {
    auto i = static_cast<std::size_t>(std::lower_bound(tx.begin(), tx.end(), from) - tx.begin());
    for (; i < tx.size() && tx[i] <= to; ++i)
      if (state[i] == kFree || (state[i] != kClaimed && as == kClaimed)) state[i] = as;
  };
  // A reading's last replies (an ADC-1's status polls and low byte) follow its value,
  // and a paced reply's bytes its request's on the wire.
  const double lag = std::min(0.02, p_.interval / 2) + (p_.baud > 0 ? 50 * 10.0 / p_.baud : 0);
  double lastClaim = -1e18, firstClaim = 1e18;
  std::optional<double> previous;  // the end of the claim of the sample stored before
  for (const Sample& s : samples) {
    if (s.T < 0) continue;
    // An averaged channel's scans are its sample's from the sample before it on.
    const bool averaged = std::any_of(s.readings.begin(), s.readings.end(),
                                      [](const Reading& r) { return r.kind == Reading::Mean; });
    double from = averaged && previous ? std::min(SweepStart(s), *previous) : SweepStart(s);
    double to = s.T + s.e + lag;
    if (const auto a = asked.find(static_cast<long>(s.file) * 100000000L + s.index); a != asked.end()) {
      from = std::min(from, a->second.first - 0.0005);
      const auto reply = std::lower_bound(tx.begin(), tx.end(), a->second.second);
      if (reply != tx.end()) to = std::max(to, *reply);
    }
    previous = to;
    mark(from, to, kClaimed);
    lastClaim = std::max(lastClaim, to);
    firstClaim = std::min(firstClaim, from);
    double logged = 0;
    for (const auto& [at, seconds] : files[s.file].gaps)
      if (at == s.index) logged += seconds;
    if (logged > 0) mark(s.first - logged - s.interval - 0.2, s.first, kPause);
  }
  // Before a fault, the replies of the sweep it cut (fewer than a sweep's); a whole
  // sweep answered before it was the program's to store.
  for (const auto& [begin, end] : log_.faults) {
    std::vector<std::size_t> cut;
    auto i = static_cast<std::size_t>(std::lower_bound(tx.begin(), tx.end(), begin) - tx.begin());
    while (i-- > 0 && tx[i] > begin - p_.interval - 0.1)
      if (state[i] == kFree) cut.push_back(i);
    if (static_cast<long>(cut.size()) < p_.channels)
      for (std::size_t at : cut) state[at] = kFault;
    mark(begin, end + recovery_, kFault);
  }
  // A device command's acknowledgement is no reading: a UI's "o" command, or an
  // ADC-1's output byte, which the ADC-1 echoes.
  for (const auto& [at, device] : log_.outputs) mark(at, at + 0.005 + lag, kClaimed);
  for (const double at : log_.outputBytes) mark(at, at + 0.005 + lag, kClaimed);
  // The sweeps stored, by time, to name where a reply went missing.
  std::vector<const Sample*> read;
  for (const Sample& s : samples)
    if (s.T >= 0) read.push_back(&s);
  std::sort(read.begin(), read.end(), [](const Sample* a, const Sample* b) { return a->T < b->T; });
  std::map<std::size_t, std::pair<long, double>> missing;  // count, first; by the stored sweep before them
  for (std::size_t i = 0; i < tx.size(); ++i) {
    if (tx[i] < runStart_) continue;
    if (state[i] == kClaimed) ++t.claimed;
    if (state[i] == kFault) ++t.excusedFaults;
    if (state[i] == kPause) ++t.excusedPauses;
    if (state[i] != kFree) continue;
    if (tx[i] < firstClaim) {
      ++t.beforeRun;
    } else if (tx[i] > lastClaim) {
      ++t.afterRun;
    } else {
      const auto after =
          static_cast<std::size_t>(std::upper_bound(read.begin(), read.end(), tx[i],
                                                    [](double v, const Sample* s) { return v < s->T; }) -
                                   read.begin());
      if (after == 0)
        ++t.beforeRun;
      else if (after == read.size())
        ++t.afterRun;
      else if (missing[after].first++ == 0)
        missing[after].second = tx[i];
    }
  }
  const auto fail = [&](const std::string& what) {
    if (t.violations.size() < kFirstShown)
      t.violations.push_back(what);
    else
      ++t.moreViolations;
  };
  for (const auto& [after, what] : missing) {
    const Sample &a = *read[after - 1], &b = *read[after];
    fail(std::to_string(what.first) + " replies sent between " + files[a.file].name + " sample " +
         std::to_string(a.index) + " and " + files[b.file].name + " sample " + std::to_string(b.index) +
         " (" + Seconds(b.T - a.T) + " s apart, the first " + Seconds(what.second - runStart_) +
         " s after the run began) are stored nowhere");
  }
  const long sweep = static_cast<long>(p_.channels) * p_.kind->requests;
  const int primed = StartSweeps();
  if (t.beforeRun >= (primed + 1) * sweep)
    fail(std::to_string(t.beforeRun) +
         " replies sent after the run began and before its first stored sample (" + std::to_string(primed) +
         " sweeps of " + std::to_string(sweep) + " start a run)");
  if (t.afterRun >= sweep)
    fail(std::to_string(t.afterRun) +
         " replies sent after the run's last stored sample: a sweep answered and stored nowhere");
  return t;
}

}  // namespace mv::soak
