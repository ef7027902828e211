#include "setup/state.h"

namespace mv {

std::array<ChannelVariablesRecord, kChannelRows> ChannelVariables{};
int16_t nChannels = 0;
int16_t MaximumChans = 16;
int16_t FirstChan = 1;
int16_t InputNumber = 0;
int32_t SamplesToAverage = 0;
std::array<int16_t, 17> chancut{};
std::array<int16_t, 17> NewChannelOrder{};

double ChartIntervalInSeconds = 1.0;
double ScopeIntervalInSeconds = 0.0166667;
float scopeinterval = 0.0166667f;
double OldChartSpeed = 1.0;
int16_t OldChartSpeedBut = 9;
double OldScopeSpeed = 0.0166667;
int16_t OldScopeSpeedBut = 2;
int16_t AltChartInt = 0;
int16_t AltScopeInt = 0;
float SampRateError = 0.03f;
int16_t LastChanModified = 0;
float ChartSampleInterval = 0;
double SampleIntervalinSeconds = 0;
int16_t MaxAvrg = 0;
int32_t ScopeMax = 0;
int16_t DispSetupON = 0;
int16_t FinishFlag = 0;
int16_t DisplaySetupEFchanged = 0;
float sctracelength = 0;
int16_t SamplingSpeedCode = 0;
float NewInterval = 0;
float interval = 0;
float tfact = 0;
float Vmax = 5.0f;
int16_t ScopeGain = 1;
float scd = 3276.5f;
float Kfloat = 0;
int16_t AbsoluteValue = 0;
std::array<float, 17> ChannelButtonsArray{};
Str255 minyString;
Str255 maxYstring;
float SampleInterval = 0;

void ResetSetupState() {
  for (auto& row : ChannelVariables) row.fill(0.0f);
  for (int c = 1; c <= 16; ++c) ChannelVariables[0][c] = 1.0f;
  nChannels = 0;
  MaximumChans = 16;
  FirstChan = 1;
  InputNumber = 0;
  SamplesToAverage = 0;
  chancut.fill(0);
  NewChannelOrder.fill(0);
  ChartIntervalInSeconds = 1.0;
  ScopeIntervalInSeconds = 0.0166667;
  scopeinterval = 0.0166667f;
  OldChartSpeed = 1.0;
  OldChartSpeedBut = 9;
  OldScopeSpeed = 0.0166667;
  OldScopeSpeedBut = 2;
  AltChartInt = 0;
  AltScopeInt = 0;
  SampRateError = 0.03f;
  LastChanModified = 0;
  ChartSampleInterval = 0;
  SampleIntervalinSeconds = 0;
  MaxAvrg = 0;
  ScopeMax = 0;
  DispSetupON = 0;
  FinishFlag = 0;
  DisplaySetupEFchanged = 0;
  sctracelength = 0;
  SamplingSpeedCode = 0;
  NewInterval = 0;
  interval = 0;
  tfact = 0;
  Vmax = 5.0f;
  ScopeGain = 1;
  scd = 3276.5f;
  Kfloat = 0;
  AbsoluteValue = 0;
  ChannelButtonsArray.fill(0.0f);
  minyString.clear();
  maxYstring.clear();
  SampleInterval = 0;
}

}  // namespace mv
