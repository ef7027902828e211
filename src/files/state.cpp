#include "files/state.h"

#include "files/held_periods.h"
#include "kit/state.h"

namespace mv {

int16_t AD_Device_Code = 0;
int32_t Max_Display_Speed = 10000;

std::string CommentContainer;
std::string OldCommentContainer;
std::string CumulativePauseContainer;
std::string ScratchContainer;
int32_t TimedSaveINTERVAL = 108'000;
Str255 backupfile;

bool TimedBackupsOn() {
  return PrefsArray[PrefsSlot::AutomaticBackup] != 0 && TimedSaveINTERVAL > 0;
}
int32_t appendDATE = 0;
int32_t NextSAVEtime = 0;
Str255 BackupFileIndicator;
int16_t ScopeFileComments = 0;
FileStringsRecord filestrings;
Str255 EndRecordingDate;
Str255 EndRecordingTime;
int32_t ScopeCount = 0;
std::string sFileCFURL;
std::string ScopeFileCFURL;
std::string BackupfileCFURL;
bool BackupChosenForNextRun = false;
int16_t QuicksaveCounter = 0;
int16_t NoSetupFileFound = 0;
Str255 SetupFileName;
float BarometricPressure = 760.0f;
float flowrate = 100.0f;
float mass = 0.0f;
float flowtemp = 0.0f;
bool FlowTempStored = false;
float EffectiveVolume = 0.0f;
std::deque<HeldPeriod> HeldPeriods;

void ResetFilesState() {
  AD_Device_Code = 0;
  Max_Display_Speed = 10000;
  CommentContainer.clear();
  OldCommentContainer.clear();
  CumulativePauseContainer.clear();
  ScratchContainer.clear();
  TimedSaveINTERVAL = 108'000;
  backupfile.clear();
  appendDATE = 0;
  NextSAVEtime = 0;
  BackupFileIndicator.clear();
  ScopeFileComments = 0;
  filestrings = {};
  EndRecordingDate.clear();
  EndRecordingTime.clear();
  ScopeCount = 0;
  HeldPeriods.clear();
  sFileCFURL.clear();
  ScopeFileCFURL.clear();
  BackupfileCFURL.clear();
  BackupChosenForNextRun = false;
  QuicksaveCounter = 0;
  NoSetupFileFound = 0;
  SetupFileName = Str255();
  BarometricPressure = 760.0f;
  flowrate = 100.0f;
  mass = 0.0f;
  flowtemp = 0.0f;
  FlowTempStored = false;
  EffectiveVolume = 0.0f;
}

}  // namespace mv
