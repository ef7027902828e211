// The streaming serial set-up panel: the live stream variables, the choice of those
// that become chart channels with their labels, and the instrument database that
// remembers an instrument's display name and labels.
#pragma once
#include <cstdint>
#include <string>

#include "runtime/str255.h"

namespace mv {

constexpr int16_t kStreamPanelWindow = 12;
constexpr int16_t kInstrumentNameWindow = 999;
inline constexpr const char* kInstrumentDatabaseFile = "serial instrument database.txt";

// ---- rules ------------------------------------------------------------------------------------
// A channel's plot limit from the value shown: 1.2 times the value; beyond +-1 the
// nearest whole number to that plus 1, otherwise rounded to 0.01.
float StreamPlotLimit(float shown);
// A value field's text: "--" for -99999, else the plain number text.
Str255 StreamValueText(float value);
// Rows shown for a named instrument: up to the highest of variables 8..16 that has a
// label (at least 7); all 16 without a name.
int16_t StreamRowsShown(bool named, const std::string (&labels)[17]);

// ---- the instrument database ---------------------------------------------------------------------
// The file the program appends to (in the per-user configuration folder).
std::string InstrumentDatabasePath();
// The display name recorded for the identification name (the name itself when none);
// puts the recorded labels into the open panel's label fields of variables 3 onward.
Str255 SerialDeviceName(const std::string& name);
// Asks for a display name (window 999) and appends the instrument's record. False when
// the file could not be written.
bool UpdateSerialInstrumentList(const std::string& name, Str255& displayName);

// ---- the panel ---------------------------------------------------------------------------------
// Refreshes serialArray (one stream line, or made-up values in demonstration mode) and
// shows the first `rows` values. A read starts only once the instrument has begun
// sending, so a silent instrument never keeps the panel from answering the user.
void loadSerialStreamValues(int16_t rows);
// Rebuilds the chart channels from the selected variables.
void CountSerialChannels();
// The panel (window 12); opened in place of the recording mode window for interface 11.
void StreamingSerialChannels();

}  // namespace mv
