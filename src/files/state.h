// Program-wide values owned by this subsystem.
#pragma once
#include <cstdint>
#include <string>

#include "runtime/str255.h"

namespace mv {

// The interface code the last data file carried (InterfaceFileCode): UI2 8, UI3 83,
// DT500/DT600 and DT50 5, DT800 800, DT80 80, DT85 85, ADAM 4119, ADC-1 4, other 6;
// 0 until a data file is written.
extern int16_t AD_Device_Code;

// StatusDisplayLimit: the shortest sample interval, in microseconds, at which the
// numeric status displays stay on; -1 always off, 0 always on. 10,000 at start-up;
// kept in the preferences file.
extern int32_t Max_Display_Speed;

// ---- comment texts ---------------------------------------------------------------------------
// Mac Roman texts with CR line ends: the comment text of the data files, the comment
// before the last edit, the pause log of the run and a scratch text.
extern std::string CommentContainer;
extern std::string OldCommentContainer;
extern std::string CumulativePauseContainer;
extern std::string ScratchContainer;

// ---- saving ------------------------------------------------------------------------------------
// Timed backup interval in ticks (0 off) and the backup file's name (at most 51 characters).
extern int32_t TimedSaveINTERVAL;
extern Str255 backupfile;
// Whether a run backs up on a timer: "Use Automatic Backup" ticked and an interval
// above 0. The box governs; unticking it keeps the interval for when it is ticked again.
// Every road that starts a run, writes a timed backup or marks "Timed Data Saves..."
// asks this.
bool TimedBackupsOn();
// "Add Date to File Name".
extern int32_t appendDATE;
// Tick count of the next timed backup, and the backup indicator text of the acquisition
// screen.
extern int32_t NextSAVEtime;
extern Str255 BackupFileIndicator;
// 1 while the file information window describes a scope file, 0 a chart file.
extern int16_t ScopeFileComments;

// ---- file strings --------------------------------------------------------------------------
// The names and dates a run leaves for the savers and replay: the data file name last
// saved (shown by the saved notice), the run's start date "MM/dd/yy" and time
// "HH:mm:ss", and the root name of the numbered scope and repeat files.
struct FileStringsRecord {
  Str255 dataFile;
  Str255 startDate;
  Str255 startTime;
  Str255 rootName;
};
extern FileStringsRecord filestrings;
// The run's end, "MM/dd/yy" and "HH:mm:ss", written when the options window opens.
extern Str255 EndRecordingDate;
extern Str255 EndRecordingTime;
// Number of the last numbered scope or repeat file saved (32-bit: a long series of
// sweeps or periods must not wrap to negative numbers).
extern int32_t ScopeCount;
// Where the saves go (UTF-8 paths; empty when none was chosen): the file of the last
// save command, the name chosen as root (its folder receives the numbered files),
// and the timed backup file.
extern std::string sFileCFURL;
extern std::string ScopeFileCFURL;
extern std::string BackupfileCFURL;
// The backup file was chosen since the last run began (File > "Backup File Name..."
// before the set-up): the next run uses it without asking again.
extern bool BackupChosenForNextRun;
// Quick saves made.
extern int16_t QuicksaveCounter;
// 1 when the set-up file loader found no file to load (nothing chosen, or not a set-up).
extern int16_t NoSetupFileFound;
// The name of the set-up file last loaded (shown in the set-up report).
extern Str255 SetupFileName;

// ---- experiment conditions ---------------------------------------------------------------------
extern float BarometricPressure;  // torr
extern float flowrate;            // ml/min
extern float mass;                // g, the animal's mass
extern float flowtemp;            // degrees Celsius at which the flow is measured
extern float EffectiveVolume;     // ml, the chamber's effective volume
// Whether a flow temperature was ever stored (the file information window, a
// calculator): until then flowtemp holds the start-up 0, which is no measurement.
extern bool FlowTempStored;

void ResetFilesState();

}  // namespace mv
