#include "devices/dispatcher.h"

#include <cmath>

#include "acquisition/state.h"
#include "conversions/spike_filter.h"
#include "conversions/state.h"
#include "devices/needs.h"
#include "devices/sable_reader.h"
#include "devices/state.h"
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

bool IsSpike(float x, float y, float reference) {
  return std::fabs(y - x) > std::fabs(y - reference);
}

void ReadExternalADdevice(int16_t channel, int16_t duringRecording) {
  ReadExternalADValue(channel, duringRecording);
  if (channel < 1 || channel > 16) return;
  const float ratio = SpikeFilterArray[channel];
  SpikeFilterRatio = ratio;
  if (!SpikeFilterInForce(ratio) || Sample < 2) return;
  // A stream gives one line a sample: there is no second reading to judge a spike by.
  if (External_AD == ExternalADCode::SerialStream) return;

  const float x = volts;
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

}  // namespace mv
