#include "acquisition/time_axis.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

#include "acquisition/channel_pipeline.h"
#include "acquisition/markers.h"
#include "acquisition/state.h"
#include "devices/serial_port.h"
#include "devices/state.h"
#include "files/file_time.h"
#include "files/state.h"
#include "kit/format.h"
#include "kit/state.h"
#include "setup/state.h"

namespace mv {
namespace {

constexpr double kLeastLatenessLimit = 0.05;
// Ten digits: a switch a day into a file keeps its milliseconds.
constexpr int kSwitchTimeDigits = 10;
constexpr double kNoGrid = std::numeric_limits<double>::infinity();

// What the axis keeps of the run (or sampling period) beyond ChartTiming, the record
// every save and the rate check measure from.
struct Axis {
  double firstDue = 0;   // where sample 0 stands
  double grid = 0;       // the interval the samples stand on
  double requested = 0;  // the interval asked for
  double skipped = 0;    // seconds recorded as gaps and pauses so far
  // How long the serial line had been lost in all when the run began (microseconds).
  uint64_t lineLostAtStart = 0;
  // Where the grid in force was laid: sample baseIndex stands baseOffset after sample 0
  // (pauses and gaps apart). An interval changed during the run lays it at the next
  // sample, so every sample before keeps the interval it was taken on.
  int32_t baseIndex = 0;
  double baseOffset = 0;
  int32_t stored = 0;
  double nextDue = 0;
  // The grid intervals on which every sample stored so far stands within the rule.
  double lo = 0, hi = kNoGrid;
  // The open gap: a failed sample was stored, or samples were left out, and no
  // reading has stood since.
  bool gapOpen = false;
  int32_t dropped = 0;
  // The last sample, for the interface's own pace: measured only between two samples
  // that both stood with nothing held between them.
  bool prevStood = false;
  double prevStart = 0, prevPace = -1;
  // How long before its place a sample is begun: its reads take that long.
  double lead = 0, lastSweep = -1;
  int32_t holds = 0;
  // Whether the interface was slower than the interval from the run's first sweep (the
  // priming sweep's, else the first sample's): only then is its pace followed. A
  // slowdown later in the run is gaps, and the samples come back onto the grid.
  bool paceKnown = false, slowFromStart = false;
  double primedSweep = 0;
  PlacedSample last;
  // The switches made while the gap is open, each its marker and when it was made:
  // marked at the sample that ends the gap, their times go in the gap's pause-log line.
  std::vector<std::pair<int32_t, double>> switchesInGap;
};
Axis gAxis;

// The channels whose reading failed in the last stored sample.
std::array<bool, 17> gSilentChannels{};
// Per channel, the reading its last sample stored as read: the mean of the readings it
// averaged. Nothing before the channel's first such sample of the run.
std::array<std::optional<float>, 17> gLastSampleReading{};

double Limit(const Axis& a) {
  return std::max(a.requested, kLeastLatenessLimit);
}

double PlaceOf(const Axis& a, int32_t k) {
  return a.firstDue + a.baseOffset + (k - a.baseIndex) * a.grid + a.skipped;
}

// The grids on which sample k (after the grid's base), read at readAt, stands within
// the rule.
struct GridRange {
  double lo, hi;
};
GridRange GridsFor(const Axis& a, int32_t k, double readAt) {
  const double span = readAt - a.firstDue - a.baseOffset - a.skipped, limit = Limit(a);
  const int32_t n = k - a.baseIndex;
  return {(span - limit) / n, (span + limit) / n};
}

// A grid interval the files can store exactly (single precision) inside [lo, hi], as
// near to `want` as the range allows.
double StorableGridNear(double want, double lo, double hi) {
  const double g = std::clamp(want, lo, hi);
  float f = static_cast<float>(g);
  if (static_cast<double>(f) < lo) f = std::nextafter(f, std::numeric_limits<float>::infinity());
  if (static_cast<double>(f) > hi) f = std::nextafter(f, 0.0f);
  return static_cast<double>(f);
}

// A sample begun late, after one read well, at a pace that did not suddenly lengthen,
// on an interface slower than the interval from the run's start: it cannot keep the
// interval. The grid follows its pace when some grid keeps every stored sample, this
// one too, within the rule. Never after an interval changed during the run, and never
// for readings gathered over the interval (continuous averaging keeps the interval).
bool FollowPace(Axis& a, const SampleReadings& r) {
  const int32_t k = a.stored;
  if (!a.slowFromStart || r.gathered || a.baseIndex != 0) return false;
  if (k < 1 || !a.prevStood || a.prevPace <= 0 || a.dropped > 0 || a.gapOpen) return false;
  // Begun when due (to the clock's microsecond) or late, as the one before.
  const bool backToBack = r.startedAt >= a.nextDue - 1e-6;
  const bool steady = r.startedAt - a.prevStart <= 1.5 * a.prevPace + 0.01;
  if (!backToBack || !steady) return false;
  const GridRange g = GridsFor(a, k, r.readAt);
  const double lo = std::max(a.lo, g.lo), hi = std::min(a.hi, g.hi);
  if (!(lo <= hi)) return false;
  const double grid = StorableGridNear(a.grid, lo, hi);
  if (grid < lo || grid > hi) return false;
  a.grid = grid;
  return true;
}

// The gap closing before the sample about to be stored: its marker, its line in the
// pause log and its time in the run's pause time.
void RecordGap(Axis& a, KeyMode mode, double seconds) {
  const double minutes = seconds / 60.0;
  totalPauseDuration = static_cast<float>(totalPauseDuration + minutes);
  CumulativePauseContainer += ScheduleGapLogEntry(minutes, Sample, a.switchesInGap);
  a.switchesInGap.clear();
  MarkScheduleGap(mode);
}

// A due time as the clock reads its nearest microsecond, so a sample due on a tick's
// first microsecond is due when the loop wakes there.
double OnTheClock(double seconds) {
  return std::round(seconds * 1e6) * 0.000001;
}

void Publish(const Axis& a) {
  TimeOfNextChartSample = OnTheClock(a.nextDue);
  LatestSampleFailed = a.gapOpen ? 1 : 0;
  ChartTiming.firstDue = a.firstDue;
  ChartTiming.samples = a.stored;
  ChartTiming.heldSeconds = a.skipped;
  // The files store the grid when it follows the interface's pace or an interval
  // changed during the run (the pause log records the change); otherwise the asked-for
  // interval, which the places keep exactly.
  ChartTiming.grid = a.grid == a.requested && a.baseIndex == 0 ? 0.0f : static_cast<float>(a.grid);
}

// A new interval from the next sample on: it keeps its due time and its place, the
// samples after it follow the new interval, and those before keep theirs. Returns the
// interval the samples before stand on.
double RegridChartAxis(double interval) {
  Axis& a = gAxis;
  const double old = a.grid;
  if (!(interval > 0) || (interval == a.grid && interval == a.requested)) return old;
  a.baseOffset += (a.stored - a.baseIndex) * a.grid;
  a.baseIndex = a.stored;
  a.grid = a.requested = interval;
  a.lo = 0;
  a.hi = kNoGrid;
  a.prevPace = -1;
  Publish(a);
  return old;
}

// The run's first samples tell whether the interface (or the machine) is slower than
// the interval, unless the priming sweep told before the run: a sweep longer than the
// interval, or the first two samples that stood begun further apart than the interval
// and a quarter (more than the wake for a due time ever adds).
void LearnPace(Axis& a, const SampleReadings& r) {
  if (a.paceKnown || !r.anyStood) return;
  if (r.gathered || r.sweepSeconds > a.requested) {
    a.paceKnown = true;
    a.slowFromStart = !r.gathered;
    return;
  }
  if (!a.prevStood) return;
  a.paceKnown = true;
  a.slowFromStart = r.startedAt - a.prevStart > 1.25 * a.requested;
}

}  // namespace

void StartChartAxis(double firstDue, double primedSweep) {
  gAxis = Axis{};
  Axis& a = gAxis;
  a.lineLostAtStart = SerialLineLostMicroseconds();
  a.firstDue = a.nextDue = firstDue;
  a.grid = a.requested = ChartIntervalInSeconds;
  if (primedSweep > 0) {
    // The first sample is begun that long before its place, so its readings land on
    // it, and the interface's pace is known before any sample stands.
    a.primedSweep = a.lead = a.lastSweep = primedSweep;
    a.nextDue = firstDue - primedSweep;
    a.paceKnown = true;
    a.slowFromStart = primedSweep > a.requested;
  }
  ChartTiming = {};
  Publish(a);
}

void StartPeriodChartAxis(double firstDue) {
  const Axis before = gAxis;
  StartChartAxis(firstDue);
  Axis& a = gAxis;
  // The check after the run says how long the line was lost in the whole run.
  a.lineLostAtStart = before.lineLostAtStart;
  if (before.paceKnown && before.requested == a.requested) {
    a.paceKnown = true;
    a.slowFromStart = before.slowFromStart;
  }
}

double ChangeChartInterval(double interval) {
  return RegridChartAxis(interval);
}

float StoredChannelValue(int16_t ch, float value, bool stood, SampleFate fate) {
  if (ch < 1 || ch > 16) return value;
  const auto c = static_cast<size_t>(ch);
  const bool silentBefore = gSilentChannels[c];
  gSilentChannels[c] = !stood;
  if (stood) {
    gLastSampleReading[c] = value;
    return value;
  }
  // A copy holds the channel's last reading. One that its device's zero stood in for was
  // taken while another device was on: it is no reading of this channel's device, and
  // a sample that stores the channel as read (its device switched on meanwhile, the
  // line lost) may not hold it.
  if (fate == SampleFate::StoreAfterGap || silentBefore || ZeroedInLastSample(ch)) return kBadReading;
  // Where the reader gave the channel's last value for the failed reading, the copy is
  // the channel's last sample, not the last single reading it averaged. Under "'-99999'"
  // a failed reading is -99999 whatever value it was left with (the spike filter's
  // reference, when a re-read answered).
  if (value == kBadReading || PrefsArray[PrefsSlot::BadReadingKeepsLast] == 0) return kBadReading;
  return gLastSampleReading[c].value_or(kBadReading);
}

void ForgetChannelSilences() {
  gSilentChannels.fill(false);
  gLastSampleReading.fill(std::nullopt);
}

SampleFate PlaceChartSample(KeyMode mode, const SampleReadings& r) {
  Axis& a = gAxis;
  if (ChartIntervalInSeconds != a.requested) RegridChartAxis(ChartIntervalInSeconds);
  const int32_t k = a.stored;
  double place = PlaceOf(a, k);
  const double late = r.readAt - place;
  bool gapClosed = false;
  if (!r.anyStood) {
    if (a.gapOpen || a.dropped > 0 || late > Limit(a)) {
      // Still silent, or too late to stand at its place: it joins the gap.
      a.gapOpen = true;
      ++a.dropped;
      a.prevStood = false;
      a.nextDue = std::max(a.nextDue + a.grid, r.readAt);
      Publish(a);
      return SampleFate::Drop;
    }
    // The first failed sample, on time: stored as the bad-reading rule says.
    a.gapOpen = true;
  } else {
    if (a.dropped > 0 || (late > Limit(a) && !FollowPace(a, r))) {
      // The gap closes: as long as the time really lost, so that this sample stands
      // when it was read, and nothing is measured across it.
      if (late > 0) {
        RecordGap(a, mode, late);
        a.skipped += late;
        gapClosed = true;
      }
      a.prevStood = false;
    }
    place = PlaceOf(a, k);  // after the gap, or on a grid that followed the pace
    a.gapOpen = false;
    a.dropped = 0;
    // No gap closed: switches made since the failed sample are marked here as usual.
    a.switchesInGap.clear();
  }
  LearnPace(a, r);
  if (r.anyStood && k > a.baseIndex) {
    const GridRange g = GridsFor(a, k, r.readAt);
    a.lo = std::max(a.lo, g.lo);
    a.hi = std::min(a.hi, g.hi);
  }
  a.prevPace = r.anyStood && a.prevStood ? r.startedAt - a.prevStart : -1;
  // The first sample's pace is the priming sweep's.
  if (k == 0 && r.anyStood && a.primedSweep > 0) a.prevPace = a.primedSweep;
  if (r.anyStood) {
    // An interface that cannot keep the interval has its readings spread over its whole
    // sweep: the sample is begun that long before its place. Otherwise at most the limit.
    const double sweep = std::max(0.0, r.sweepSeconds);
    const double most = a.slowFromStart ? sweep : Limit(a);
    a.lead = std::min({sweep, a.lastSweep >= 0 ? a.lastSweep : sweep, most});
    a.lastSweep = sweep;
  }
  a.prevStood = r.anyStood;
  a.prevStart = r.startedAt;
  a.last = {place, r.readAt};
  a.stored = k + 1;
  a.nextDue = place + a.grid - a.lead;
  ChartTiming.lastTaken = place;
  ChartTiming.heldBeforeLast = a.skipped;
  Publish(a);
  return gapClosed ? SampleFate::StoreAfterGap : SampleFate::Store;
}

PlacedSample LastPlacedSample() {
  return gAxis.last;
}

double HoldChartAxis(double heldFrom, double resumeAt) {
  Axis& a = gAxis;
  const double skipped = std::max(0.0, resumeAt - std::max(a.nextDue, heldFrom));
  a.skipped += skipped;
  a.nextDue += skipped;
  ++a.holds;
  a.prevStood = false;
  a.prevPace = -1;
  Publish(a);
  return skipped;
}

void EndChartAxis(double endedAt, int32_t lastSample) {
  Axis& a = gAxis;
  ChartTiming.lineLostSeconds = static_cast<double>(SerialLineLostMicroseconds() - a.lineLostAtStart) / 1e6;
  const std::vector<std::pair<int32_t, double>> switches = std::move(a.switchesInGap);
  a.switchesInGap.clear();
  if (a.dropped == 0) return;
  // As long as a gap closing with a sample read at the end would have been.
  const double lost = endedAt - PlaceOf(a, a.stored);
  a.dropped = 0;
  if (!(lost > 0)) return;
  const double minutes = lost / 60.0;
  totalPauseDuration = static_cast<float>(totalPauseDuration + minutes);
  CumulativePauseContainer += ScheduleGapLogEntry(minutes, Sample, switches);
  // Gap markers leave the table's last places to the user's own, as during the run.
  if (Nmarkers < kGapMarkerPlaces) RecordMarkerAfterRun(kPauseMarkerCode, std::max<int32_t>(lastSample, 0));
  a.gapOpen = false;
  a.skipped += lost;
  Publish(a);
}

int32_t ChartAxisHolds() {
  return gAxis.holds;
}

// ---- the scope's points ---------------------------------------------------------------

void StartScopeAxis(double firstDue) {
  NextScopeTimeInSeconds = firstDue;
}

bool ScopePointOnTime(double now) {
  const double due = NextScopeTimeInSeconds;
  if (!(due >= 0 && now - due > std::max(ScopeIntervalInSeconds, kLeastLatenessLimit))) return true;
  const double next = now + ScopeIntervalInSeconds;
  // The skipped time is no sweep time: the sweep's start moves on by it.
  Bscopetics = static_cast<int32_t>(Bscopetics + std::llround((next - due) * 60));
  NextScopeTimeInSeconds = next;
  return false;
}

void AdvanceScopeAxis() {
  NextScopeTimeInSeconds += ScopeIntervalInSeconds;
}

void HoldScopeAxis(double resumeAt, int32_t pauseTicks) {
  NextScopeTimeInSeconds = resumeAt;
  Bscopetics = static_cast<int32_t>(Bscopetics + pauseTicks);
}

void NoteSwitchMade(int32_t code, double at) {
  Axis& a = gAxis;
  if (a.gapOpen) a.switchesInGap.emplace_back(code, at - a.firstDue);
}

std::string ScheduleGapLogEntry(double minutes, int32_t sample,
                                const std::vector<std::pair<int32_t, double>>& switches) {
  std::string s = "   ----------\r *  Readings failed or lagged for" + LoggedMinutesText(minutes) +
                  " minutes at case" + NumText(sample).str() + "\r";
  for (const auto& [code, seconds] : switches)
    s += "    switch \"" + std::string(1, static_cast<char>(code)) + "\" made at" + NumText(seconds, kSwitchTimeDigits).str() +
         " sec from the file's start\r";
  return s;
}

}  // namespace mv
