#include "devices/state.h"

#include "devices/adam_protocol.h"

namespace mv {

int16_t External_AD = 0;
int16_t DemonstrationMODE = 0;
int16_t ActiveSerialPort = -1;
int32_t baudrate = 9600;
int16_t SerialWarningBuzz = 1;
float volts = 0.0f;
int16_t hardwareADchannel = 0;
std::array<float, 17> lastvoltage{};
std::array<float, 51> LastVoltageArray{};
std::array<bool, 17> SpikeReferenceHeld{};
std::array<int32_t, 17> voltagespikes{};
std::array<int16_t, 17> ADsensorType{};
std::array<int16_t, 5> TInputMode{};
Str255 lastserialstring;
int32_t lastSample = 0;
int16_t serialWasRead = 0;
std::array<std::array<float, 3>, 17> serialArray{};
std::array<DataTakerChannelsRecord, 17> DataTakerChannels{};
int16_t DT800FastAcquisitionMode = 0;
int16_t AnimationDoneAlready = 0;
int16_t ADAM4050present = 0;
adam::SilentModules AdamSilentModules;

int16_t GainSet = 1;
int16_t mainsfrequency = 60;
int32_t Digital_Port = 2;
int32_t counterstart = 0;

int16_t MouseHorizontalPosition = 0;
int16_t MouseVerticalPosition = 0;

void ResetDevicesState() {
  External_AD = 0;
  DemonstrationMODE = 0;
  ActiveSerialPort = -1;
  baudrate = 9600;
  SerialWarningBuzz = 1;
  volts = 0.0f;
  hardwareADchannel = 0;
  lastvoltage.fill(0.0f);
  LastVoltageArray.fill(0.0f);
  SpikeReferenceHeld.fill(false);
  voltagespikes.fill(0);
  ADsensorType.fill(0);
  TInputMode.fill(0);
  lastserialstring.clear();
  lastSample = 0;
  serialWasRead = 0;
  for (auto& row : serialArray) row.fill(0.0f);
  // Every channel starts as a voltage input.
  for (auto& row : DataTakerChannels) row.fill(0);
  for (int c = 1; c <= 16; ++c) DataTakerChannels[c][DataTakerWord::Kind] = 1;
  DT800FastAcquisitionMode = 0;
  AnimationDoneAlready = 0;
  ADAM4050present = 0;
  AdamSilentModules = {};
  GainSet = 1;
  mainsfrequency = 60;
  Digital_Port = 2;
  counterstart = 0;
  MouseHorizontalPosition = 0;
  MouseVerticalPosition = 0;
}

}  // namespace mv
