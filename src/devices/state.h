// Program-wide values owned by this subsystem: the interface in use, the serial
// line, the latest reading and the per-channel read and spike-filter history.
#pragma once
#include <array>
#include <cstdint>

#include "runtime/str255.h"

namespace mv {

namespace adam {
class SilentModules;
}

// ---- interface in use ----------------------------------------------------------------
// Interface codes (ExternalADCode) held in External_AD; every subsystem tests them.
namespace ExternalADCode {
constexpr int16_t Demonstration = 0, SableUI2 = 1, SableUI3 = 2, DT500 = 3, DT50 = 4, DT800 = 5, DT80 = 6,
                  DT85 = 7, ADAM = 8, ADC1 = 9, Separator = 10, SerialStream = 11;
}
extern int16_t External_AD;
// 1 when simulated readings replace the interface.
extern int16_t DemonstrationMODE;

// ---- serial line -------------------------------------------------------------------------
// -k selects the k-th port of the port list; 0 means no port. A positive value is
// negated before use.
extern int16_t ActiveSerialPort;
// 300 ... 230400; 0 means the interface's default rate.
extern int32_t baudrate;
// When set, every failed read plays the alarm buzz.
extern int16_t SerialWarningBuzz;

// ---- the latest reading ----------------------------------------------------------------
// A reading that failed.
constexpr float kBadReading = -99999.0f;
extern float volts;
// Hardware input of the channel being read (set by each reader).
extern int16_t hardwareADchannel;

// ---- per-channel history (rows 1..16) ----------------------------------------------------
// The last good reading of each channel, which the readers give for a failed one.
extern std::array<float, 17> lastvoltage;
// Element c + 17: channel c's spike reference; element c + 34: the reference before it.
extern std::array<float, 51> LastVoltageArray;
// Whether channel c's spike reference is a reading of the present run; until it is, the
// filter compares nothing (ForgetSpikeReferences clears it when a run starts).
extern std::array<bool, 17> SpikeReferenceHeld;
// Readings replaced by the spike filter in the current run. (The ratios, SpikeFilterArray,
// and the ratio of the channel read last, SpikeFilterRatio, belong to conversions.)
extern std::array<int32_t, 17> voltagespikes;

// ---- Sable interface ---------------------------------------------------------------------
// Per channel: for a channel on the serial-instrument input, the field number of the
// instrument's text that feeds it (0 counts as 1). Other interfaces keep their own
// per-channel codes here (ADAM ranges).
extern std::array<int16_t, 17> ADsensorType;
// Read mode of the temperature inputs T1..T4 (rows 1..4): 0 degrees Celsius, 1 volts,
// 2 ohms. Kept apart from ADsensorType so that a channel's field number never changes
// the mode of the temperature input with the same row number.
extern std::array<int16_t, 5> TInputMode;
// The serial instrument's text of the current sample, the sample it was read in, and
// 1 once it has been read in this sample (cleared after the last channel).
extern Str255 lastserialstring;
extern int32_t lastSample;
extern int16_t serialWasRead;

// ---- streaming serial input ----------------------------------------------------------------
// Rows 1..16 (stream variables): column 1 the latest value (-99999 when absent), column 2
// the chart channel fed by the variable (0 when not recorded).
extern std::array<std::array<float, 3>, 17> serialArray;

// ---- DataTaker loggers ---------------------------------------------------------------------
// One record per channel (rows 1-16): word 0 the input kind (1 volts, 0 thermocouple,
// other values resistance), 1 set when a thermocouple type was chosen, 2 the
// thermocouple type (3 K, 2 J, other T), 3 the input terminal (1 plus, 2 minus,
// 3 star, other differential), 4 non-zero for a counter input.
constexpr int kDataTakerWords = 5;
using DataTakerChannelsRecord = std::array<int16_t, kDataTakerWords>;
namespace DataTakerWord {
constexpr int Kind = 0, ThermocoupleChosen = 1, ThermocoupleType = 2, Terminal = 3, Counter = 4;
}
extern std::array<DataTakerChannelsRecord, 17> DataTakerChannels;
// Non-zero: the DT800 family reads voltage inputs in its high-speed mode.
extern int16_t DT800FastAcquisitionMode;

// ---- connection ------------------------------------------------------------------------------
// 1 once the interface animation has played in this run of the program (the start-up's redo
// of the interface set-up clears it).
extern int16_t AnimationDoneAlready;
// 1 when an ADAM module answered at address 02 (the digital output module).
extern int16_t ADAM4050present;
// The ADAM modules that did not answer in the present pass over the channels.
extern adam::SilentModules AdamSilentModules;

// ---- interface settings kept in set-up files ----------------------------------------------
// RMS ADC-1 gain mode: 1 automatic, 2 fixed low gain, 3 fixed high gain.
extern int16_t GainSet;
// DataTaker mains frequency (50 or 60 Hz), digital port (0 or 2) and counter start value.
extern int16_t mainsfrequency;
extern int32_t Digital_Port;
extern int32_t counterstart;

// ---- streaming serial input: the mouse seen while a scan waited for a line -----------------
// Set by the stream reader's paced mode (ReadSerialStream(0)); the vertical position is
// kept as an absolute value.
extern int16_t MouseHorizontalPosition;
extern int16_t MouseVerticalPosition;

void ResetDevicesState();

}  // namespace mv
