#include "devices/dispatcher.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "acquisition/state.h"
#include "conversions/spike_filter.h"
#include "conversions/state.h"
#include "devices/adam_reader.h"
#include "devices/line_step.h"
#include "devices/needs.h"
#include "devices/sable_reader.h"
#include "devices/serial_port.h"
#include "devices/state.h"
#include "kit/format.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "setup/state.h"

namespace mv {

namespace {

// The streaming reader leaves its last field in volts; the channel's own value is the
// variable recorded on it (column 2 = the channel), or else the variable numbered by
// its hardware input.
void TakeStreamVariable(int16_t channel) {
  for (int n = 1; n <= 16; ++n) {
    if (serialArray[n][2] == static_cast<float>(channel)) {
      volts = serialArray[n][1];
      return;
    }
  }
  float input = ChannelVariables[channel][1];
  if (std::isfinite(input) && input >= 1.0f && input < 17.0f) volts = serialArray[static_cast<int>(input)][1];
}

}  // namespace

void ReadExternalADValue(int16_t channel, int16_t duringRecording) {
  if (channel < 1 || channel > 16) return;
  switch (External_AD) {
    case ExternalADCode::SableUI2:
    case ExternalADCode::SableUI3:
      ReadSABLE(channel, duringRecording);
      break;
    case ExternalADCode::DT500:
    case ExternalADCode::DT50:
      services::ReadDataTaker500(channel, duringRecording);
      break;
    case ExternalADCode::DT800:
    case ExternalADCode::DT80:
    case ExternalADCode::DT85:
      services::ReadDataTaker800(channel, duringRecording);
      break;
    case ExternalADCode::ADAM:
      services::ReadADAM(channel, duringRecording);
      break;
    case ExternalADCode::ADC1:
      services::ReadADC1(channel);
      break;
    case ExternalADCode::SerialStream:
      ReadStreamLineOfSample();
      TakeStreamVariable(channel);
      break;
    default:
      break;
  }
  if (channel == nChannels) serialWasRead = 0;
  if (External_AD == ExternalADCode::SerialStream) {
    Action = 0;
    EventID = 0;
  }
}

void ReadStreamLineOfSample() {
  if (serialWasRead == 1) return;
  services::ReadSerialStream(1);
  serialWasRead = 1;
}

std::vector<int16_t> SweepOrder(int16_t first, int16_t last, int16_t skip) {
  std::vector<int16_t> order;
  for (int16_t ch = first; ch <= last; ++ch)
    if (ch != skip) order.push_back(ch);
  if (External_AD == ExternalADCode::ADAM)
    std::stable_partition(order.begin(), order.end(), [](int16_t ch) { return !AdamModuleInSilence(ch); });
  return order;
}

bool IsSpike(float x, float y, float reference) {
  return std::fabs(y - x) > std::fabs(y - reference);
}

void ForgetSpikeReferences() {
  SpikeReferenceHeld.fill(false);
}

void ReadExternalADdevice(int16_t channel, int16_t duringRecording) {
  const uint64_t failedBefore = ReadingsFailed();
  ReadExternalADValue(channel, duringRecording);
  if (channel < 1 || channel > 16) return;
  const float ratio = SpikeFilterArray[channel];
  SpikeFilterRatio = ratio;
  if (!SpikeFilterInForce(ratio)) return;
  // A stream gives one line a sample: there is no second reading to judge a spike by.
  if (External_AD == ExternalADCode::SerialStream) return;

  const float x = volts;
  if (!SpikeReferenceHeld[channel] || Sample < 2) {
    // Nothing of this run to compare with yet (0 from the start, or the last run's
    // reading, would make a spike of a steady input): the reading becomes the reference,
    // unless it failed (its value is then no reading of this run).
    if (ReadingsFailed() == failedBefore && !(x == kBadReading)) {
      LastVoltageArray[channel + 17] = x;
      SpikeReferenceHeld[channel] = true;
    }
    return;
  }
  const float reference = LastVoltageArray[channel + 17];
  if (std::fabs(x - reference) > ratio) {
    rt::Delay(10);
    ReadExternalADValue(channel, duringRecording);
    if (PrefsArray[PrefsSlot::SpikeReread]) {
      rt::Delay(6);
      ReadExternalADValue(channel, duringRecording);
    }
    const float y = volts;
    if (IsSpike(x, y, reference)) {
      volts = reference;
      // The count belongs to the run's samples: a reading outside a recording (a
      // conversion test, a calibration) is filtered but never counted.
      if (duringRecording != 0) voltagespikes[channel] += 1;
    } else {
      volts = y;
    }
  }
  LastVoltageArray[channel + 34] = reference;
  LastVoltageArray[channel + 17] = x;
}

ChannelSweep::ChannelSweep(int16_t duringRecording, double roomSeconds) : duringRecording_(duringRecording) {
  BeginSweep(std::chrono::microseconds(roomSeconds > 0 ? std::llround(roomSeconds * 1e6) : 0));
}

ChannelSweep::~ChannelSweep() {
  if (!settled_) Settle();
}

void ChannelSweep::Read(int16_t channel) {
  const uint64_t taken = ReadingsTaken(), failed = ReadingsFailed();
  const bool filtered = channel >= 1 && channel <= 16;
  const float reference = filtered ? LastVoltageArray[channel + 17] : 0.0f;
  const bool held = filtered && SpikeReferenceHeld[channel];
  // A channel on the instrument line read earlier in the sweep takes its field from it.
  const bool lineRead = serialWasRead == 1;
  ReadExternalADdevice(channel, duringRecording_);
  const bool referenceSet = filtered && (!(LastVoltageArray[channel + 17] == reference) ||
                                         held != SpikeReferenceHeld[channel]);
  const bool failedNow = ReadingsFailed() != failed;
  const bool answered = ReadingsTaken() != taken || (lineRead && !failedNow);
  entries_.push_back({taken, ReadingsTaken(), failedNow, referenceSet, filtered && !held, answered});
  readings_.push_back({channel, volts, false, GetCurrentTimeInSeconds()});
}

bool ChannelSweep::EveryReadAnswered() const {
  for (const Entry& e : entries_)
    if (!e.answered) return false;
  return true;
}

void ChannelSweep::Keep(int16_t channel, float value) {
  entries_.push_back({ReadingsTaken(), ReadingsTaken(), false, false, false, false});
  readings_.push_back({channel, value, false, GetCurrentTimeInSeconds()});
}

void ChannelSweep::Settle() {
  settled_ = true;
  SettleSweep(SerialLine());
  for (size_t k = 0; k < readings_.size(); ++k) {
    Reading& r = readings_[k];
    const Entry& e = entries_[k];
    bool failedLater = false;
    for (uint64_t n = e.takenBefore + 1; n <= e.takenAfter; ++n)
      failedLater |= ReadingFailedLater(n, &r.value);
    // A reading that failed after the spike filter took it as the reference is a failed
    // reading there too; one that was to be the run's first reference leaves none.
    if (failedLater && e.referenceSet) {
      if (e.referenceFirst)
        SpikeReferenceHeld[r.channel] = false;
      else
        LastVoltageArray[r.channel + 17] = r.value;
    }
    r.stood = !e.failedNow && !failedLater && !(r.value == kBadReading);
  }
}

std::optional<float> ChannelSweep::MeanOf(int16_t channel, float (*each)(float)) const {
  double sum = 0;
  int count = 0;
  for (const Reading& r : readings_) {
    if (r.channel != channel || !r.stood) continue;
    sum += each ? each(r.value) : r.value;
    ++count;
  }
  if (count == 0) return std::nullopt;
  return static_cast<float>(sum / count);
}

std::optional<double> ChannelSweep::LastStoodAt() const {
  std::optional<double> at;
  for (const Reading& r : readings_)
    if (r.stood && (!at || r.at > *at)) at = r.at;
  return at;
}

float ChannelSweep::FailedValueOf(int16_t channel) const {
  for (auto it = readings_.rbegin(); it != readings_.rend(); ++it)
    if (it->channel == channel) return it->value;
  return kBadReading;
}

}  // namespace mv
