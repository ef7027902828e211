#include "files/data_file_model.h"

#include <algorithm>

#include "acquisition/state.h"
#include "conversions/evaluate.h"
#include "conversions/state.h"
#include "devices/state.h"
#include "files/state.h"
#include "kit/channel_labels.h"
#include "kit/date_text.h"
#include "kit/format.h"
#include "kit/state.h"
#include "runtime/macroman.h"
#include "setup/state.h"

namespace mv {

ExperimentConditions CurrentExperimentConditions() {
  return ExperimentConditions{flowrate, mass, BarometricPressure, flowtemp, EffectiveVolume};
}

void StoreExperimentConditions(const ExperimentConditions& c) {
  flowrate = c.flowrate;
  mass = c.mass;
  BarometricPressure = c.BarometricPressure;
  // A temperature that differs from the one held was stored; the start-up 0 kept
  // as it stood was not.
  if (c.flowtemp != flowtemp) FlowTempStored = true;
  flowtemp = c.flowtemp;
  EffectiveVolume = c.EffectiveVolume;
}

float EffectiveVolumeFromTyped(double typed) {
  return typed == 0.0 ? 0.1f : static_cast<float>(typed);
}

ExperimentConditions WithStandardConditions(ExperimentConditions c) {
  c.BarometricPressure = 760.0f;
  c.flowtemp = 0.0f;
  return c;
}

namespace {

bool Slot(int n) { return PrefsArray[n] != 0; }

// The readings each stored value of channel n holds, where that is not the channel's
// setting: scope-plus-chart's chart values are each the channel's latest single reading
// (the demonstration generator averages its draws of the interval), and a streaming
// instrument's sample is one line. Continuous scanning is worked out by the writer.
// The interface is the run's own, not the one chosen since.
float ReadingsPerValue(const ConversionsRun& run, int n, float setting) {
  if (RecordingMODE == RecordingModeCode::ScopeChart && n >= 2 && run.demonstration == 0) return 1;
  if (run.externalAD == ExternalADCode::SerialStream && RecordingMODE == RecordingModeCode::Chart) return 1;
  return setting;
}

}  // namespace

DataFileFacts GatherDataFileFacts(RunPhase phase) {
  DataFileFacts f;
  f.samples = std::max<int32_t>(0, phase == RunPhase::Open ? Sample : nSamples);
  f.firstColumn = FirstChan >= 2 ? 1 : 0;
  f.sampleInterval = SampleInterval;
  // The channels the run recorded, each with the input, conversion and label it was
  // recorded with, in the order of the store's rows: not the set-up the windows hold by
  // now, where channels may have been cut, added or moved since the run.
  const ConversionsRun run = ConversionsOfRun.taken ? ConversionsOfRun : CurrentConversions();
  f.nChannels = std::clamp<int16_t>(run.channelCount, 0, 16);
  f.firstChan = FirstChan;
  for (int n = 1; n <= 16; ++n) {
    DataFileChannel& c = f.channels[n];
    const ChannelConversionOfRun& recorded = run.channels[n];
    c.input = recorded.input;
    c.a = recorded.a;
    c.b = recorded.b;
    c.c = recorded.c;
    c.typeCode = recorded.typeCode;
    c.averaged = ReadingsPerValue(run, n, recorded.averaged);
    c.scannedReadings = ScansStored[n].readings;
    c.scannedSamples = ScansStored[n].samples;
    c.label = recorded.label.str();
    c.spikeRatio = SpikeFilterOfRun.thresholds[n];
    c.spikes = voltagespikes[n];
  }
  f.startDate = filestrings.startDate.str();
  f.startTime = filestrings.startTime.str();
  f.endDate = EndRecordingDate.str();
  f.endTime = EndRecordingTime.str();
  f.comment = CommentContainer;
  f.pauseLog = CumulativePauseContainer;
  f.conditions = CurrentExperimentConditions();
  f.threeWay = run.threeWay;
  // The header states the interface and the averaging the run recorded with.
  f.externalAD = run.externalAD;
  f.demonstration = run.demonstration != 0;
  f.lastDeviceCode = AD_Device_Code;
  f.continuousScan = run.continuousScan;
  f.lastChannelScanned = LastChannelScannedInRun;
  f.spikeFilterOn = SpikeFilterOfRun.on;
  f.repeatSaves = Slot(PrefsSlot::Autorepeat);
  f.timeColumn = Slot(PrefsSlot::TimeColumn);
  f.scopeMax = std::clamp<int32_t>(ScopeMax, 0, kScopeColumns - 1);
  f.scSample = ScSample;
  f.fastScope = Slot(PrefsSlot::DT800FastScope);
  f.scopeInterval = scopeinterval;
  f.lastScopeDur = LastScopeDur;
  f.sampRateError = SampRateError;
  f.saveTime = NowTimeText().str();
  return f;
}

int16_t ChartInterfaceCode(int16_t externalAD) {
  switch (externalAD) {
    case ExternalADCode::SableUI2: return 8;
    case ExternalADCode::SableUI3: return 83;
    case ExternalADCode::DT500:
    case ExternalADCode::DT50: return 5;
    case ExternalADCode::DT800: return 800;
    case ExternalADCode::DT80: return 80;
    case ExternalADCode::DT85: return 85;
    case ExternalADCode::ADAM: return 4119;
    case ExternalADCode::ADC1: return 4;
    default: return 6;
  }
}

int16_t ScopeInterfaceCode(int16_t externalAD, bool demonstration) {
  const bool known = externalAD >= ExternalADCode::SableUI2 && externalAD <= ExternalADCode::ADC1 &&
                     externalAD != ExternalADCode::ADAM;
  if (!known && demonstration) return 6;
  return ChartInterfaceCode(externalAD);
}

std::string FileDateText(std::string_view mmddyy) {
  std::string d(mmddyy.substr(0, 8));
  d.resize(8, ' ');
  d[2] = '-';
  d[5] = '-';
  const int year = static_cast<int>(TextToNumber(d.substr(6, 2)));
  return d.substr(0, 6) + (year < 70 ? "20" : "19") + d.substr(6, 2);
}

std::string SpikeSummaryLine(int channel, int32_t spikes, float ratio) {
  return "chan" + PrintedNumber(channel).str() + ":  " + PrintedNumber(spikes).str() +
         " spikes removed; filter factor:" + PrintedNumber(ratio).str() + "\r";
}

std::string SpikeSummary(const DataFileFacts& f) {
  std::string out;
  for (int n = 1; n <= f.nChannels; ++n) {
    const DataFileChannel& c = f.channels[n];
    if (c.spikeRatio > 1.0f) out += SpikeSummaryLine(n, c.spikes, c.spikeRatio);
  }
  return out;
}

std::string OneLine(std::string_view text) {
  std::string s(text);
  std::replace(s.begin(), s.end(), '\r', ' ');
  std::replace(s.begin(), s.end(), '\n', ' ');
  return s;
}

std::string_view Head(std::string_view text, std::size_t n) { return text.substr(0, std::min(n, text.size())); }

std::string CleanCommentText(std::string_view utf8) {
  // Line ends first, in UTF-8, so CRLF stays one line end: CRLF, LF and the text
  // view's line and paragraph separators (U+2028, U+2029) all become CR.
  std::string lines;
  lines.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const char ch = utf8[i];
    if (ch == '\r') {
      lines += '\r';
      if (i + 1 < utf8.size() && utf8[i + 1] == '\n') ++i;
    } else if (ch == '\n') {
      lines += '\r';
    } else if (utf8.substr(i, 3) == "\xE2\x80\xA8" || utf8.substr(i, 3) == "\xE2\x80\xA9") {
      lines += '\r';
      i += 2;
    } else {
      lines += ch;
    }
  }
  std::string roman = Utf8ToMacRoman(lines);
  std::string out;
  out.reserve(roman.size());
  for (char ch : roman) {
    const auto b = static_cast<unsigned char>(ch);
    if (b < 32 && b != 13) continue;
    if (b == 127) continue;
    // Saved comments have always carried a bullet where a double quote was typed,
    // and the software that reads them relies on it.
    out += b == '"' ? '\xA5' : ch;
  }
  return out;
}

}  // namespace mv
