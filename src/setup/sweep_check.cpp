#include "setup/sweep_check.h"

#include <algorithm>

#include "acquisition/chart_sample.h"
#include "acquisition/state.h"
#include "devices/dispatcher.h"
#include "devices/line_step.h"
#include "devices/serial_port.h"
#include "devices/state.h"
#include "kit/format.h"
#include "kit/state.h"
#include "setup/interval_rules.h"
#include "setup/needs.h"
#include "setup/state.h"

namespace mv {

namespace {

constexpr int kMostSweeps = 5;
constexpr double kBeginWithin = 0.5;  // seconds from the first sweep's start

bool InstrumentConnected() {
  using namespace ExternalADCode;
  if (DemonstrationMODE != 0) return false;
  if (External_AD == Demonstration || External_AD == Separator || External_AD == SerialStream) return false;
  return SerialLine().IsOpen();
}

}  // namespace

std::optional<SweepTiming> MeasureChartSweeps() {
  if (!InstrumentConnected() || RecordingMODE != RecordingModeCode::Chart || nChannels < 1)
    return std::nullopt;
  // The sample taker's working values: a sample sets them afresh, a set-up window may
  // still hold its own in them.
  const int32_t averaged = SamplesToAverage;
  const int16_t input = hardwareADchannel;
  const float lastVolts = volts;
  const int16_t first = FirstChan;
  FirstChan = 1;  // as a chart run sets it
  SweepTiming t;
  bool failed = false;
  const double began = GetCurrentTimeInSeconds();
  while (t.sweeps < kMostSweeps && (t.sweeps == 0 || GetCurrentTimeInSeconds() - began < kBeginWithin)) {
    const std::optional<double> seconds = TimeChartSweep();
    if (!seconds) {
      failed = true;
      break;
    }
    t.longest = std::max(t.longest, *seconds);
    t.shortest = t.sweeps == 0 ? *seconds : std::min(t.shortest, *seconds);
    ++t.sweeps;
  }
  SamplesToAverage = averaged;
  hardwareADchannel = input;
  volts = lastVolts;
  FirstChan = first;
  if (failed) return std::nullopt;
  return t;
}

namespace {

// The chart set-up's sweeps with the DT800 in one mode: the logger is switched to it
// and the readers ask as that mode asks.
std::optional<SweepTiming> MeasureInDT800Mode(bool fast) {
  DT800FastAcquisitionMode = fast ? 1 : 0;
  if (fast)
    setup_hooks::SwitchDT800ToHIGHSpeed();
  else
    setup_hooks::SwitchDT800ToLOWSpeed();
  return MeasureChartSweeps();
}

}  // namespace

ModeSweeps MeasureChartSweepsByMode() {
  ModeSweeps m;
  m.dt800 = External_AD == ExternalADCode::DT800 && RecordingMODE == RecordingModeCode::Chart;
  // Nothing to time (and no mode to switch) without an instrument on the line.
  if (!m.dt800 || !InstrumentConnected()) {
    m.accurate = MeasureChartSweeps();
    return m;
  }
  const int16_t mode = DT800FastAcquisitionMode;
  m.accurate = MeasureInDT800Mode(false);
  // A logger that did not answer is not asked again.
  if (m.accurate) m.fast = MeasureInDT800Mode(true);
  if (DT800FastAcquisitionMode != mode) {
    DT800FastAcquisitionMode = mode;
    if (mode != 0)
      setup_hooks::SwitchDT800ToHIGHSpeed();
    else
      setup_hooks::SwitchDT800ToLOWSpeed();
  }
  return m;
}

std::optional<double> SweepAtInterval(const ModeSweeps& sweeps, double interval) {
  const std::optional<SweepTiming>& t =
      sweeps.dt800 && DT800HighSpeedInterval(interval) ? sweeps.fast : sweeps.accurate;
  if (!t) return std::nullopt;
  return t->longest;
}

std::optional<double> ShortestIntervalRunKeeps(const ModeSweeps& sweeps) {
  if (!sweeps.dt800) {
    if (!sweeps.accurate) return std::nullopt;
    return ShortestKeptInterval(sweeps.accurate->longest);
  }
  // An interval the high-speed mode keeps, when one below 0.1 s does; else the
  // high-accuracy mode's, at 0.1 s or more.
  if (sweeps.fast) {
    const double kept = ShortestKeptInterval(sweeps.fast->longest);
    if (DT800HighSpeedInterval(kept)) return kept;
  }
  if (!sweeps.accurate) return std::nullopt;
  return std::max(ShortestKeptInterval(sweeps.accurate->longest), kDT800HighSpeedBelow);
}

}  // namespace mv
