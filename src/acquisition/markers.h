// Markers of a running chart, the run reset of the stores and the notes table.
#pragma once
#include <cstdint>
#include <string_view>

#include "runtime/str255.h"

namespace mv {

// The pause marker (Mac Roman pilcrow) and the top of key and device-switch markers.
constexpr int32_t kPauseMarkerCode = 166;
constexpr int16_t kKeyMarkerTop = 46;
constexpr int16_t kSwitchMarkerTop = 34;

// Inserts a marker at the present sample: a line from top down the chart, its label,
// and the record (sample = Sample, the column of the next sample). colour is the text
// colour number of the label (7 ordinary markers, 6 the scope-plus-chart digits); a
// code of 200 or more is numbered marker code - 200. Sets markerFlag. A marker beyond
// the table's 3,200 is refused, and the acquisition screen says the table is full.
// Returns whether it was inserted.
bool InsertMarker(int16_t colour, int32_t code, int16_t top);
// The marker typed during scan averaging: as InsertMarker with the label one pixel
// further right; a numbered marker raises MarkerCounter.
bool InsertScanMarker(int32_t code);
// A device-switch marker: the code, or "0" + DeviceInUse when the switching shows the
// device as the marker.
bool InsertDeviceSwitchMarker(int32_t code, int16_t top);
// The code such a marker is stored with.
int32_t DeviceSwitchMarkerCode(int32_t code);

// A marker recorded at `sample` when the run has ended (nothing drawn).
bool RecordMarkerAfterRun(int32_t code, int32_t sample);
// At the run's or a sampling period's end: markers set after its last sample
// (`lastSample`; a key typed in a silence the run ended in, or in the pass that took a
// period's last sample) stand on that sample, since its file holds none after it.
void KeepMarkersWithinRun(int32_t lastSample);

// The digit marker of a fast-scope sweep saved by Tab: a short line below the scope
// plot at the present chart x, the digit beside it, and the record.
bool InsertFastScopeMarker(int32_t code);

// The x pixel of the present sample on the chart (NscrnCASEs / ChartView, truncated).
int16_t PresentChartX();

// Clears scope rows 1 to 3 over the positions a sweep can use, so nothing of a
// previous run's sweep is saved or erased in the next.
void CLEARARRAY();
// The counters of a new run: Sample, ScSample, TotScopeSample, scope2total, NscrnCASEs
// and Nmarkers to 0; the scope rows cleared.
void ResetRunCounters();

// Appends note NumberOfNotes + 1 (the sample as text, the time, the text cut to 250
// characters). A 51st note is refused; returns whether it was stored.
bool AddNote(int32_t sample, const Str255& time, std::string_view text);

}  // namespace mv
