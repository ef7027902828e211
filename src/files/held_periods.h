// Sampling periods whose automatic end-of-period save failed (a full or read-only
// disk). The next period overwrites the store, so a failed period's samples, markers,
// notes and facts are copied out and held in memory until a later save can write them
// into the period's own file name. While any is held the data-loss guard asks.
#pragma once
#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "files/data_file_model.h"
#include "files/file_io.h"
#include "files/save_names.h"

namespace mv {

// One held period: where it was to go, in which format, its facts, and the columns the
// writers read (from the facts' first column on, as many as its samples, rows 1..16),
// its markers, notes and scope sweep (positions 0 .. scopeMax).
struct HeldPeriod {
  DataFormat format = DataFormat::Binary;
  std::string path;
  DataFileFacts facts;
  std::array<std::vector<float>, 17> rows;
  std::vector<DataFileMarker> markers;
  std::vector<DataFileNote> notes;
  std::vector<float> sweep;
};

// Oldest first; emptied by the program-wide reset.
extern std::deque<HeldPeriod> HeldPeriods;

// Copies the present recording (the run still open) as the period meant for path.
void HoldFailedPeriod(DataFormat format, const std::string& path);

// Periods held and not yet written.
int HeldPeriodCount();

// Writes every held period into its own file, oldest first; each one written is let
// go. Stops at the first that fails (the disk is still full or read-only) and says
// why, keeping it and the later ones held. Ok when none is left.
FileResult WriteHeldPeriods();

// The file name (with its folder) of the oldest held period; empty when none is held.
std::string OldestHeldPeriodPath();

// The samples the held periods hold (per channel), which would be lost with them.
int64_t HeldSampleCount();

// Sends every held period to another folder, when the one it was meant for cannot be
// written: the oldest to the path chosen for it, the others under their own names in
// its folder, each name made free there (" (2)" before the extension, and so on) so
// that no file of that folder is replaced.
void SendHeldPeriodsTo(const std::string& oldestPath);

}  // namespace mv
