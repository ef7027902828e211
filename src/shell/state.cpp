#include "shell/state.h"

#include "acquisition/state.h"
#include "calculators/state.h"
#include "control/state.h"
#include "conversions/state.h"
#include "devices/state.h"
#include "files/state.h"
#include "setup/state.h"

namespace mv {

int16_t Action = 0;
int32_t EventID = 0;
int16_t MENUID = 0;
int16_t item = 0;
int16_t EditFieldWasSelected = 0;
int16_t MV_ProcessSelected = 0;
uint32_t PreviousUpdateTime = 0;
int16_t MathOperation = 0;
std::array<int16_t, kPrefsSlots> PrefsArray{};
int16_t SignificantDigits = 5;

void ResetShellState() {
  Action = 0;
  EventID = 0;
  MENUID = 0;
  item = 0;
  EditFieldWasSelected = 0;
  MV_ProcessSelected = 0;
  PreviousUpdateTime = 0;
  MathOperation = 0;
  PrefsArray.fill(0);
  SignificantDigits = 5;
}

void ResetProgramState() {
  ResetShellState();
  ResetDevicesState();
  ResetAcquisitionState();
  ResetConversionsState();
  ResetFilesState();
  ResetSetupState();
  ResetControlState();
  ResetCalculatorsState();
}

}  // namespace mv
