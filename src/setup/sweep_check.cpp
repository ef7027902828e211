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

// One sweep, settled; its length in seconds, or nothing when a reading failed.
std::optional<double> TimeOneSweep() {
  const uint64_t failedBefore = ReadingsFailed();
  const double start = GetCurrentTimeInSeconds();
  ChannelSweep sweep(0);
  ReadChartChannels(sweep);
  sweep.Settle();
  const double seconds = GetCurrentTimeInSeconds() - start;
  bool stood = ReadingsFailed() == failedBefore && !sweep.Readings().empty();
  for (const ChannelSweep::Reading& r : sweep.Readings()) stood &= r.stood;
  if (!stood) return std::nullopt;
  return seconds;
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
    const std::optional<double> seconds = TimeOneSweep();
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

}  // namespace mv
