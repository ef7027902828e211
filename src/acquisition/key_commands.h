// What a recording does with the keys and toolbar clicks it polls: commands (pause,
// backup, next reference, replay), direct device switching, the X-Y plot keys,
// switching to sample or reference, added time, the keyboard value and markers.
#pragma once
#include <cstdint>
#include <vector>

#include "control/state.h"

namespace mv {

// The chart loop, scan averaging and the scope-plus-chart loop act on keys alike, with
// these differences.
enum class KeyMode {
  Chart,       // throttle 30 ticks (20 after a direct switch or X-Y key); add time once per 30
  Scan,        // throttle 15 ticks (20 after a marker); add time once per 20; Command-N needs a
               // click; X-Y keys only while the X-Y plot is shown; markers drawn inline
  ScopeChart,  // throttle 15 ticks, after a direct switch or X-Y key too; markers hang from
               // below the scope plot; Tab alone or the save icon saves the sweep (with a
               // digit marker when automatic markers are on); the note icon marks "^"
};

struct KeyOutcome {
  bool stopRun = false;   // Escape alone, or Command-Q after its "Q" marker
  bool commandQ = false;  // the stop came from Command-Q
};

// Decodes KeystrokeArray and the toolbar flags once and acts on them (the caller has
// refreshed the key map and applies its own throttle for scan averaging).
KeyOutcome HandleRecordingKeys(KeyMode mode);

// Closes the replay window and hands the keys back to the recording.
void CloseReplayWindow();

// The strips of the scope-plus-chart screen start below the scope plot: its markers
// hang from there (the top returned), and their lines run to the last strip's bottom
// (BottomOfPlot is set).
int16_t ScopeChartMarkerTop();

// Whether typed markers are taken now: only while the program is in front.
bool RecordingTakesTypedMarkers();

// Marks the switches the switching reports, at the present sample: a sequential
// device's digit as a key's marker, the others as device-switch markers. A switch
// made while the instrument is silent is marked at the sample that ends the gap, and
// the gap's pause-log line says when it was made.
void MarkSwitches(KeyMode mode, const std::vector<SwitchMarker>& switches);

// The note icon marks the chart with "^" as it opens the note window, which holds the
// keys from then on: taken while the note is served (the throttle and typed-marker
// rules apply). Clears the icon's flag.
void MarkNoteIconClick(KeyMode mode);

// The pause marker (166) at the sample where sampling resumes after a pause, the sample
// its pause-log line names, whatever other markers that sample holds; it is no typed
// key, so it is inserted whichever window is in front. Refused only when the table is
// full.
void MarkResumedSampling(KeyMode mode);
// The same marker for a gap in the schedule (a silence, a late reply, a held machine).
// A long run of late replies can make thousands of gaps: their markers stop at
// kGapMarkerPlaces, so a user's marker is never refused for want of room while gap
// markers hold places (the gaps' pause-log lines go on).
inline constexpr int kGapMarkerPlaces = 3000;
void MarkScheduleGap(KeyMode mode);

}  // namespace mv
