// The time axis of a recording: the one owner of the chart schedule and of the scope's.
//
// A chart file keeps its samples on a grid: sample k stands at the first sample's due
// time plus k intervals plus every pause and gap the pause log records at or before it;
// when the interval was changed in a pause, the samples before the change keep the old
// interval and the log says from which sample the new one runs. Nothing else in the
// program moves the schedule. Each sample is placed once its readings are in (after the
// reader's waits), at the time of its last reading that stood:
// - on time (within max(one interval, 50 ms) of its place on the grid): stored there;
//   a sample a little late is stored at its place and the next ones catch up on the grid;
//   a sample whose reads take a while is begun that much before its place (at most the
//   limit), as the last two such samples took, so its readings land on it;
// - further behind (a late reply, a frozen instrument, a slow save or backup, a held
//   machine, a slow spell of the interface): a gap as long as the time really lost is
//   recorded before it (the pause marker 166 at the sample and one pause-log line), so
//   it stands at the time it was read and the grid goes on from there;
// - a silence is one gap: the first failed sample (no reading stood) is stored as the
//   bad-reading preference says while it is on time; every later sample in which no
//   reading stood is not stored and joins the open gap, which closes with the first
//   sample in which a reading stands; that sample holds nothing from before the gap;
// - an interface slower than the interval from the run's start (its priming sweep, or
//   else its first sample, took longer than the interval) has its pace followed while
//   samples are begun late and read well at a pace that does not suddenly lengthen: the
//   grid's interval becomes the one nearest the asked-for interval that keeps every
//   stored sample of the run within the rule, and the files store it; a slip beyond
//   that is a gap. Readings gathered over the interval (continuous averaging) never
//   follow a pace, nor does a run whose interval was changed.
// A pause records the time the schedule actually skipped; a new run or sampling period
// starts an empty record, its first sample due when its file says it starts.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "acquisition/key_commands.h"

namespace mv {

// A new run or sampling period: the first sample is due at `firstDue`, on a grid of
// ChartIntervalInSeconds. Sets TimeOfNextChartSample and clears ChartTiming.
// primedSweep: how long the priming sweep before the run took (0: none was timed); the
// first sample is begun that long before `firstDue`, which must leave room for it.
void StartChartAxis(double firstDue, double primedSweep = 0);
// A new sampling period of the same run, its first sample due at `firstDue`: as a new
// run, but whether the interface is slower than the interval is what the run's start
// told (at the same interval), never what a slow spell the period starts in suggests;
// and the serial line's loss is counted from the run's start, every period's.
void StartPeriodChartAxis(double firstDue);

// The readings of one sample are in.
struct SampleReadings {
  double startedAt = 0;  // when the sample began, before any wait of the reader
  double readAt = 0;     // when its last reading that stood was taken (when it ended, if none)
  bool anyStood = false;
  double sweepSeconds = 0;  // how long its own reads took (0 when it gathers over the interval)
  bool gathered = false;    // some of its readings were gathered over the interval (scans)
};
enum class SampleFate {
  Store,          // stored at its place on the grid
  StoreAfterGap,  // stored after a gap: a channel that failed in it reads the bad-reading code
  Drop,           // not stored: it joins the open gap
};
// Places the sample: records a gap (marker, pause-log line, pause time) when one closes
// before it, moves the schedule on and reports the place to the timing tap. `mode`
// names the loop whose marker style the gap's marker takes.
SampleFate PlaceChartSample(KeyMode mode, const SampleReadings& r);

// What channel `ch` stores in a placed sample, from its reading (`stood`: a reading of
// the channel stood in the sample). The bad-reading preference's value of a failed
// reading is stored only for the first failed sample of the channel's silence: while
// the channel stays silent, whether or not other channels answer, and in the first
// sample after a gap, a failed reading stores -99999, so a module unplugged for an hour
// never leaves an hour of a flat, plausible value.
float StoredChannelValue(int16_t ch, float value, bool stood, SampleFate fate);
// A new run: no channel is silent yet.
void ForgetChannelSilences();

// Where and when the last stored sample was placed and read.
struct PlacedSample {
  double at = 0;
  double readAt = 0;
};
PlacedSample LastPlacedSample();

// A pause held the schedule from `heldFrom` until `resumeAt`: the time it skipped
// (resume minus the later of the due time and the pause's start) is recorded as held
// and returned; the next sample is due at once. The pause window writes its own line.
double HoldChartAxis(double heldFrom, double resumeAt);

// The run ends at `endedAt`. A gap still open there, with samples left out of it (the
// instrument silent to the end), is recorded as a gap that closed then: its pause-log
// line after the last sample, its pause marker on the last sample (`lastSample`, as
// markers number samples), since no sample follows it to carry the marker.
void EndChartAxis(double endedAt, int32_t lastSample);
// The pause window set `interval`: the next sample (number Sample) keeps its due time
// and place, the samples after it follow the new interval and those before keep the
// interval they stand on, which is returned for the pause log's record of the change.
double ChangeChartInterval(double interval);

// How many times the schedule was held (pauses) in this run: a loop that gathers
// readings across passes starts its gathering again when this changes.
int32_t ChartAxisHolds();

// ---- the scope's points ---------------------------------------------------------------
// The scope's own schedule (the oscilloscope and the scope of scope-plus-chart): points
// due every ScopeIntervalInSeconds from `firstDue`.
void StartScopeAxis(double firstDue);
// The scope point is due at `now`: true when it may be taken. False when the schedule
// had fallen further behind than max(one interval, 50 ms): it restarts one interval
// from now and the sweep's measured start moves on by the skipped time.
bool ScopePointOnTime(double now);
// The point due was taken: the next is due one interval later.
void AdvanceScopeAxis();
// A pause held the scope from `pauseTicks` ticks ago until `resumeAt`: the next point is
// due at once and the sweep's start moves on by the paused ticks.
void HoldScopeAxis(double resumeAt, int32_t pauseTicks);

// A switch marked at `at` (the program's clock) with marker `code`. Made while a gap is
// open, its marker stands at the sample that ends the gap, and the gap's pause-log line
// is followed by one that says when it was made.
void NoteSwitchMade(int32_t code, double at);

// The pause-log line of a gap: the minutes skipped and the samples taken before it;
// then, for each switch made inside it (its marker and its seconds from the file's
// start), "    switch "S" made at 41.25 sec from the file's start".
std::string ScheduleGapLogEntry(double minutes, int32_t sample,
                                const std::vector<std::pair<int32_t, double>>& switches = {});

}  // namespace mv
