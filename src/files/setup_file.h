// The set-up file ("MVsetup"): everything a recording needs, from the recording
// mode and channel table to the alarms, conversions and the audible timer.
//
// The file starts with a version line ("-9997" + CR for the version written here;
// "-9998", "-9999" and "-99" for the older binary versions, which are read too),
// then big-endian fields whose count follows from the channel count and the
// switching pattern. Texts are "counted": an f32 byte count, then the bytes. A file
// whose first line is no version line is the old text form (files/setup_text.h).
//
// Reading is done in two steps: the bytes are parsed and checked whole into a
// SetupRecord (starting from the values in force, so that fields an older file
// lacks keep them); only a file that parses and whose every value the program can
// use is applied. A short, hostile or unknown file changes nothing and says why.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "control/state.h"
#include "conversions/state.h"
#include "devices/state.h"
#include "kit/state.h"
#include "setup/state.h"

namespace mv {

constexpr const char* kSetupExtension = "MVsetup";
constexpr int16_t kSetupVersion = -9997, kSetupVersionOlder = -9998, kSetupVersionOldest = -9999,
                  kSetupVersionOldestShort = -99;
constexpr int kAlertWords = 19;

// Every value the file carries, in the program's own tables.
struct SetupRecord {
  int16_t recordingMode = 1, channels = 1;
  float chartTicks = 0, scopeTicks = 0;
  int16_t switchingMode = 0;
  float switchint = 0, refint = 0;
  int16_t refChan = 0, refChan2 = 0;
  std::string labels1, labels2, deviceLabels;  // Mac Roman bytes
  std::array<ChannelVariablesRecord, kChannelRows> channelTable{};
  int16_t scopeGain = 1;
  int32_t maxSamples = 0;
  int16_t triggerOn = 0, triggerChan = 1;
  float triggerval = 0;
  int16_t triggerMode = 0;
  float chartView = 1;
  int32_t scopeMax = 0;
  int16_t scopeScale = 0, interfaceCode = 0, serialPort = 0, absoluteValue = 0, audibleAlarm = 0;
  // The input number of the trigger's extra A-D input (channel record 16 while fewer
  // than 16 channels are recorded), in the field older files hold 0 in: 0 when the file
  // does not keep it, and record 16 then keeps what it held.
  int16_t extraTriggerInput = 0;
  std::array<int16_t, kPrefsSlots> prefSlots{};  // only the prefSlots the file stores count
  std::array<AlarmConditionsRecord, 17> alarms{};
  int16_t triggerSaveCount = 1, triggerSequence = 1;
  double customTic = 0;
  int16_t scopeViewStep = 1;
  std::array<DataTakerChannelsRecord, 17> dataTaker{};
  int32_t timedSaveInterval = 0;
  ZeroLinkTable zeroLinks{};
  int32_t digitalPort = 0, maxDisplaySpeed = 0, baudrate = 0;
  std::array<float, 3> alertIntervals{};
  std::array<int16_t, kAlertWords> alertWords{};
  std::array<int32_t, 4> alertTimes{};
  std::array<BreakpointRecord, kBreakpointRows> breakpoints{};
  std::array<GasExchangeRecord, 17> gasExchange{};
  int16_t showXYPlot = 0;
  std::array<std::array<float, 11>, 17> xyPlot{};
  std::array<ThreeWayPolyRecord, 17> poly{};
  std::array<float, 17> spikeFilter{};
  int16_t showSwitchDeviceAsMarker = 0;
  float valueForZero = 0;
  // Field 68: the read modes of the Sable temperature inputs T1..T4 (0 degrees C,
  // 1 volts, 2 ohms). Field 74: the per-channel codes (ADsensorType).
  std::array<int16_t, 5> tInputModes{};
  std::array<int16_t, 17> sensorTypes{};
  int16_t dt800Fast = 0, mainsFrequency = 50;
};

// The values in force, and the same put back (the record as a whole). Zero links go
// out and come in only while "Extra Zero Links" would show them ticked.
SetupRecord CaptureSetup();
void ApplySetup(const SetupRecord& r);

// The current version's bytes.
std::string EncodeSetup(const SetupRecord& r);

// The version marker of a first line: its leading number as a 16-bit integer.
int16_t SetupMarkerOf(std::string_view firstLine);

struct ParsedSetup {
  std::optional<SetupRecord> record;
  int16_t version = 0;
  // The window width the file was made on (slot 11), and whether the file had it.
  int16_t storedWidth = 0;
  bool hasStoredWidth = false;
  bool textForm = false;  // the old text form (version 0)
  // Whether the file carries the channels' spike thresholds (older files may end before).
  bool spikeThresholds = false;
  std::string reason;  // why the file was refused
};
// Parses a binary set-up file over a base record (the values in force): fields
// the file lacks keep the base's values, except the defaults older files imply.
ParsedSetup ParseSetup(std::string_view bytes, const SetupRecord& base);

// Why the program could not use the record (every value a file carries into the
// program: counts, intervals within the Sample Rate window's limits, numbers in every
// table, device numbers, view settings); empty when it can.
std::string SetupRecordProblem(const SetupRecord& r);

}  // namespace mv
