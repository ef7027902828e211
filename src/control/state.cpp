#include "control/state.h"

#include <string>

#include "kit/state.h"
#include "setup/state.h"

namespace mv {

std::array<AlarmConditionsRecord, 17> alarmsArray{};
int16_t AudibleALARM = 0;

int16_t TriggerON = 0;
int16_t TriggerChan = 0;
int16_t TriggerMode = 0;
float triggerval = 0.0f;
int16_t TriggerGain = 0;
int16_t TriggerSequence = 1;
int16_t TriggerSaveCount = 1;
int16_t TempTriggrON = 0;

std::vector<UnsentSwitchCommand> UnsentSwitchCommands;
std::vector<SwitchMarker> SwitchMarkersSent;
DevicesOn DevicesOut;
int16_t SwitchingMode = 0;
int16_t nGroups = 0;
std::string SwitchingNote;
int16_t RefChan = 0;
int16_t RefChan2 = 0;
float refint = 0.0f;
float switchint = 0.0f;
int16_t SkipRefsBetweenChannels = 0;
int16_t ShowSwitchDeviceAsMarker = 0;
float DeviceSwitchZeroValue = 0.0f;
int16_t SampleValve = 0;
int16_t SampleValve2 = 0;
int16_t PresentChan = 0;
int16_t PresentChan2 = 0;
int16_t RefIsON = 0;
int32_t RefOffTime = 0;
int32_t RefOnTime = 0;
bool ClosingReferenceLeftByKey = false;
int32_t CycleTime = 0;
int16_t DeviceInUse = 0;
int16_t OldChan = 0;
int16_t ReferenceValve = 0;
int16_t OldChan2 = 0;
int32_t IO_Line = 0;
int32_t tick = 0;
std::array<int16_t, 17> DeviceSwitchArray{};
ZeroLinkTable zerolink{};

int16_t FeedbackChan = 0;

void CLEARALARMS() {
  for (int ch = 1; ch <= 16; ++ch)
    for (int f = AlarmField::LowerCount; f <= AlarmField::OverRangeLast; ++f) alarmsArray[ch][f] = 0.0f;
}

void RebuildZeroBackLinks(int16_t lastChannel) {
  if (lastChannel > 16) lastChannel = 16;
  for (int r = 1; r <= 16; ++r) zerolink[3 * r + 2] = 0;
  for (int r = 1; r <= lastChannel; ++r) {
    const int a = zerolink[3 * r + 1];
    if (a >= 1 && a <= 16) zerolink[3 * a + 2] = static_cast<int16_t>(r);
  }
}

bool ZeroLinksOffered() {
  return RecordingMODE == RecordingModeCode::Chart && ChartIntervalInSeconds >= 0.033333 &&
         (SwitchingMode == 5 || SwitchingMode == 6);
}

bool ZeroLinksInForce() {
  return zerolink[0] == 1 && ZeroLinksOffered();
}

void DropZeroLinksNotInForce() {
  if (ZeroLinksInForce()) return;
  zerolink[0] = 0;
  for (int r = 1; r <= 16; ++r) {
    zerolink[3 * r + 1] = 0;
    zerolink[3 * r + 2] = 0;
  }
}

void KeepShownZeroLinks() {
  const int last = nChannels < 0 ? 0 : (nChannels > 16 ? 16 : nChannels);
  for (int r = 1; r <= 16; ++r) {
    int16_t& link = zerolink[3 * r + 1];
    const bool shown =
        r <= last && ChannelVariables[r][ChanField::Device] != 0 && link >= 1 && link <= last && link != r;
    if (!shown) link = 0;
  }
  RebuildZeroBackLinks(16);
}

int16_t DoAO1 = 0, DoAO2 = 0, AO1on = 0, AO2on = 0, AO1endMode = 0, AO2endMode = 0;
std::array<AOscriptRow, kAOscriptRows> AOscript{};
int32_t FeedbackUpdateInterval = 60;
int16_t NegativeFEEDBACK = 1;
int16_t FeedbackEndMode = 1;
float FdBkEndRange = kNoEndRange, FdBkEndSetpoint = kNoEndSetpoint, FdBkEndMinV = kNoEndMinV,
      FdBkEndMaxV = kNoEndMaxV;
int16_t FdBkEndStateEntered = 0;
int16_t StartAlertSound = 1, ContAlertSound = 1, StopAlertSound = 1;
float StartAlertInt = 1.0f;
float StopAlertInt = 0, ContinueAlertInt = 0;
int16_t StartALERT = 0, ContinueALERT = 0, StopALERTx = 0, StartAlertMODE = 0, ContAlertMODE = 0,
        StopAlertMODE = 0, StopAlertCASE = 0, DOstartALERT = 0, DoStopALERT = 0, StartAlertCount = 0,
        StopAlertCount = 0, ContAlertCount = 0, ContAlertEnd = 0, AlertCount = 0, maxalerts = 0;
int32_t StartAlertTime = 0, StopAlertTime = 0, ContAlertInt = 0, nextAlert = 0;
int16_t AlertSOUNDS = 0;
Str255 prefix;
int16_t SequenceLabels = 0;
int16_t SequenceChecked = 0;

Str255 DefaultDeviceLabels() {
  std::string labels;
  for (int k = 1; k <= 8; ++k) {
    std::string one = "device " + std::to_string(k);
    one.resize(kDeviceLabelWidth, ' ');
    labels += one;
  }
  return Str255(labels);
}

void ResetControlState() {
  UnsentSwitchCommands.clear();
  SwitchMarkersSent.clear();
  DevicesOut = {};
  for (auto& row : alarmsArray) row.fill(0.0f);
  AudibleALARM = 0;
  TriggerON = 0;
  TriggerChan = 0;
  TriggerMode = 0;
  triggerval = 0.0f;
  TriggerGain = 0;
  TriggerSequence = 1;
  TriggerSaveCount = 1;
  TempTriggrON = 0;
  SwitchingMode = 0;
  nGroups = 0;
  SwitchingNote.clear();
  RefChan = 0;
  RefChan2 = 0;
  refint = 0.0f;
  switchint = 0.0f;
  SkipRefsBetweenChannels = 0;
  ShowSwitchDeviceAsMarker = 0;
  DeviceSwitchZeroValue = 0.0f;
  SampleValve = 0;
  SampleValve2 = 0;
  PresentChan = 0;
  PresentChan2 = 0;
  RefIsON = 0;
  RefOffTime = 0;
  RefOnTime = 0;
  ClosingReferenceLeftByKey = false;
  CycleTime = 0;
  DeviceInUse = 0;
  OldChan = 0;
  ReferenceValve = 0;
  OldChan2 = 0;
  IO_Line = 0;
  tick = 0;
  DeviceSwitchArray.fill(0);
  zerolink.fill(0);
  FeedbackChan = 0;
  for (auto& row : AOscript) row.fill(0.0f);
  AlertSOUNDS = 0;
  ResetAnalogOutputRunState();
  SetOutputAndAlertDefaults();
}

void ClearFeedbackEndState() {
  FdBkEndRange = kNoEndRange;
  FdBkEndSetpoint = kNoEndSetpoint;
  FdBkEndMinV = kNoEndMinV;
  FdBkEndMaxV = kNoEndMaxV;
  FdBkEndStateEntered = 0;
}

void SetOutputAndAlertDefaults() {
  prefix = DefaultDeviceLabels();
  SequenceLabels = 0;
  SequenceChecked = 0;
  SwitchSequenceArray.fill(0);
  DoAO1 = DoAO2 = AO1on = AO2on = AO1endMode = AO2endMode = 0;
  for (int row = 7; row <= 10; ++row) AOscript[row][0] = 1.0f;
  FeedbackUpdateInterval = 60;
  NegativeFEEDBACK = 1;
  FeedbackEndMode = 1;
  ClearFeedbackEndState();
  StartAlertSound = ContAlertSound = StopAlertSound = 1;
  StartAlertInt = 1.0f;
  StopAlertInt = ContinueAlertInt = 0;
  StartALERT = ContinueALERT = StopALERTx = StartAlertMODE = ContAlertMODE = StopAlertMODE = StopAlertCASE =
      0;
  DOstartALERT = DoStopALERT = StartAlertCount = StopAlertCount = ContAlertCount = ContAlertEnd = AlertCount =
      0;
  maxalerts = 0;
  StartAlertTime = StopAlertTime = ContAlertInt = nextAlert = 0;
}

float AO1volts = 0, AO2volts = 0, LastAOVolts1 = kNoAOVoltsSent;
int16_t AOpending = 0;
uint8_t chx = 0;
int16_t AO1firstMarker = 0, AO2firstMarker = 0, AO1stopX = 0, AO2stopX = 0, AO1step = 0, AO2step = 0,
        ramping1 = 0, ramping2 = 0;
int32_t NextAO1time = 0, NextAO2time = 0, AO1stepStart = 0, AO2stepStart = 0;
float lastv = 0, lastv2 = 0, nextvolts = 0, nextvolts2 = 0;
int16_t DoFeedback = 0, FeedbackON = 0, FdBkStep = 0;
int32_t NextFeedbackTime = 0, NextFeedbackUpdateTime = 0;
float setpoint = 0;
float FdBkRange = 0, FdBkMinV = 0, FdBkMaxV = 0;
int16_t FdBkFrozen = 0, FdBkActive = 0;
std::array<FeedbackStepRow, kFeedbackRows> FeedbackArray{};

void ResetAnalogOutputRunState() {
  AO1volts = AO2volts = 0;
  LastAOVolts1 = kNoAOVoltsSent;
  AOpending = 0;
  chx = 0;
  AO1firstMarker = AO2firstMarker = AO1stopX = AO2stopX = AO1step = AO2step = ramping1 = ramping2 = 0;
  NextAO1time = NextAO2time = AO1stepStart = AO2stepStart = 0;
  lastv = lastv2 = nextvolts = nextvolts2 = 0;
  DoFeedback = FeedbackON = FdBkStep = 0;
  NextFeedbackTime = NextFeedbackUpdateTime = 0;
  setpoint = 0;
  FdBkRange = FdBkMinV = FdBkMaxV = 0;
  FdBkFrozen = FdBkActive = 0;
  for (auto& row : FeedbackArray) row.fill(0.0f);
}

std::array<int16_t, 11> SwitchSequenceArray{};

}  // namespace mv
