// The save commands and the automatic saves: the save command, the roots of the
// numbered scope and repeat files, the timed backup and its file, the end-of-period
// save of repeated sampling periods, the quick save and the numbered scope sweeps.
// Each decides the format, the name and the folder, runs the writer, and keeps the
// "data saved" slot honest: only a written file counts, and a failure is shown.
#pragma once
#include <cstdint>
#include <string>

#include "files/data_file_model.h"
#include "files/file_io.h"
#include "files/save_names.h"
#include "runtime/str255.h"

namespace mv {

// "Save DATA File As...": the present recording in the format in force.
void SAVEFILES();
// Asks for the root of the numbered files; kind "Scope" for scope sweeps, any other
// text for the periods of repeated recordings.
void ScopeOrRepeatFileRoot(const Str255& kind);
// Asks for the timed backup file (with a caution when it exists).
void BACKUPFILENAME();
// The timed backup file of a run about to start: the one chosen since the last run
// began, else asked for now. Either way the next run asks again.
void BackupFileForRun();
// The "Backup Interval" window (window 16).
void SetTimedSAVE();
// The timed backup; resetTimer 1 also restarts the sample schedule and the backup timer.
void AutoTimedBACKUP(int16_t resetTimer);
// The end-of-period save of repeated recordings, which starts the next period.
void AUTOSAVE();
// Saves the recording at once under a dated name; true only when the file was written.
bool QuickSAVE();
// The present scope sweep to the next numbered scope file. A sweep that cannot be
// written is said on the screen by its file name and why, and the count stays, so
// the next sweep takes that name.
void SaveSCOPE();
// The number the next numbered file of a kind takes (scope sweeps, or the periods of
// repeated recordings): the first after ScopeCount whose name is free in the numbered
// files' folder, so a numbered save never replaces a file of an earlier run or session.
int32_t NextNumberedCount(RootKind kind);
// The options window's line with the root name of the numbered files (window 4).
void SHOWROOTFILE();

// Whether timed backups are written in this run: an interval and a backup file. A
// cancelled backup panel leaves no file, and the run then has no timed backups.
bool TimedBackupsWritten();

// The interval a save stores: the requested chart interval unless the run's measured
// one (the rate check's measurement, pauses taken off) lies outside the tolerance.
// Sets SampleInterval.
void SetMeasuredSampleInterval();

// Writes the periods held from failed end-of-period saves where they were meant to go.
// When they cannot be written there (a folder that stays read-only), a save panel
// asks for another folder, proposing the oldest's name, and is asked again while the
// writes fail; cancelled, the periods stay held. Ok when none is left held, else why
// the last write failed.
FileResult WriteHeldPeriodsOrAskWhere();

// Writes the present recording in a format (phase: whether the run is still open)
// and plays the short save sound when it was written (the Sable export is silent).
FileResult WriteRecording(DataFormat f, const std::string& path, RunPhase phase);

constexpr int16_t kNextFileField = 198, kBackupIndicatorField = 199;
// The backup caution has a number of its own: a window of the same number opened over
// it (the data-loss guard) would close it and be taken for its answer.
constexpr int16_t kBackupExistsWindow = 1777, kBackupIntervalWindow = 16, kRootNameWindow = 4;

}  // namespace mv
