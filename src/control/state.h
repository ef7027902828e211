// Program-wide values owned by this subsystem: the alarm records, the trigger
// settings, the switching pattern with its run-time state and the zero links.
#pragma once
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "runtime/str255.h"

namespace mv {

// ---- alarms ------------------------------------------------------------------------------
// One record per channel (rows 1-16; row 0 is no channel). Field 0 is the channel's
// alarm switch (the limit checks run only while it is on); 1-3 the lower, upper and
// over-range flags; 4 and 5 the limits; 6-11 the run's counts and last samples;
// 21 and 22 the slope-trend flag and span. Fields 12-20 carry nothing but travel
// with the record.
constexpr int kAlarmFields = 23;
using AlarmConditionsRecord = std::array<float, kAlarmFields>;
namespace AlarmField {
constexpr int AnyOn = 0, LowerOn = 1, UpperOn = 2, OverRangeOn = 3, LowerLimit = 4, UpperLimit = 5,
              LowerCount = 6, LowerLast = 7, UpperCount = 8, UpperLast = 9, OverRangeCount = 10,
              OverRangeLast = 11, SlopeTrendOn = 21, SlopeTrendSpan = 22;
}
extern std::array<AlarmConditionsRecord, 17> alarmsArray;
// The number of points a slope trend is taken over: the span, or the default of 5 when
// the span is 0 or less (never set, or no number typed). The slope window shows it and
// the recording uses it, so both agree.
inline int32_t SlopeTrendPoints(float span) {
  const auto n = static_cast<int32_t>(std::trunc(std::clamp(span, -2.0e9f, 2.0e9f)));
  return n <= 0 ? 5 : n;
}
// Alarms are heard (whatever the program-wide sound switch says).
extern int16_t AudibleALARM;

// ---- triggers ----------------------------------------------------------------------------
extern int16_t TriggerON;
// 1..nChannels a recorded channel; above nChannels the extra A/D input, whose input
// number and coefficients live in channel record 16; 0 while triggering is off.
extern int16_t TriggerChan;
extern int16_t TriggerMode;       // 0 at or above the level, 1 at or below it
extern float triggerval;          // in the trigger channel's units; volts for the extra input
extern int16_t TriggerGain;       // 1, 2, 5, 10, 20, 50 or 100 from the level
extern int16_t TriggerSequence;   // 1-4: what the scope loop does around a trigger
extern int16_t TriggerSaveCount;  // sweeps saved after a trigger
extern int16_t TempTriggrON;      // copy of TriggerON kept by the scope loop

// ---- switching ---------------------------------------------------------------------------
// Pattern codes (SwitchingPatternCode) held in SwitchingMode.
namespace SwitchingPatternCode {
constexpr int16_t Off = 0, Keyboard = 1, Keyboard2 = 2, StartEnd = 3, StartEnd2 = 4, Periodic = 5,
                  Periodic2 = 6, KeyboardTimed = 7, KeyboardTimed2 = 8, SequentialFiles = 9,
                  SequentialDevices = 10;
}
// A switch marker the recording draws: 'S' (to the sample), 'R' (to the reference), or
// the digit of the device a sequential sweep just moved to.
struct SwitchMarker {
  char label;
  bool deviceDigit;  // true: a sequential device marker ('0' + device)
  double at = -1;    // when its command went out, in the program's seconds (-1: not known)
};
// The devices on as the sample takers zero by them: whether the reference is on, and the
// device recorded on in each group (OldChan, OldChan2).
struct DevicesOn {
  int16_t refIsOn = 0;
  int16_t group1 = 0;
  int16_t group2 = 0;
};
// The switch commands the serial line refused (hung up, an adapter pulled out), in the
// order they were due, with whether each awaits a reply: the valves stand as they were,
// not as the run records them, until these go out (device_outputs.h).
struct UnsentSwitchCommand {
  std::string bytes;
  bool reply = false;  // a reply to take after it
  bool line = false;   // that reply is a line ended by CR (an ADAM module's)
  // The markers of the switch this command completes: a switch is marked only once the
  // line took it.
  std::vector<SwitchMarker> markers;
  // The devices on once it has gone out, when it is the last command of its switch.
  std::optional<DevicesOn> leaves;
};
extern std::vector<UnsentSwitchCommand> UnsentSwitchCommands;
// The devices on as the last switch the instrument got left them: while commands wait
// for the line, the valves stand so, not as the run records them.
extern DevicesOn DevicesOut;
// The markers of switches that waited for the line and have since gone out, for the
// recording to draw at the sample it is on.
extern std::vector<SwitchMarker> SwitchMarkersSent;

extern int16_t SwitchingMode;
extern int16_t nGroups;   // 2 with two device groups
extern int16_t RefChan;   // reference device of group 1 (or of the single group)
extern int16_t RefChan2;  // reference device of group 2
extern float refint;      // minutes of a reference period
extern float switchint;   // minutes of a sample period between references
extern int16_t SkipRefsBetweenChannels;
extern int16_t ShowSwitchDeviceAsMarker;
extern float DeviceSwitchZeroValue;
// What the set-up window tells of the switching until it is seen to: a two-group pattern
// that a set-up file brought and the coding cannot switch, now one group, or why a run
// cannot start as the switching is set. Empty: nothing to tell.
extern std::string SwitchingNote;

// Run-time state.
extern int16_t SampleValve;
extern int16_t SampleValve2;
extern int16_t PresentChan;  // channel whose device is the present sample device; 0 none yet
extern int16_t PresentChan2;
extern int16_t RefIsON;
constexpr int32_t kNeverTick = 2'147'483'647;
extern int32_t RefOffTime;
extern int32_t RefOnTime;
// A sample or digit key pressed once the closing reference was due: the device it put on
// stays until the period ends or added time moves the reference on, instead of the
// reference coming straight back over the user's choice in the same pass.
extern bool ClosingReferenceLeftByKey;
extern int32_t CycleTime;
extern int16_t DeviceInUse;
extern int16_t OldChan;
extern int16_t OldChan2;
// The reference device a restart switches to first (RefChan - 1 from device 2 on).
extern int16_t ReferenceValve;
extern int32_t IO_Line;
extern int32_t tick;
// Output state of devices 1-16 (entry 0 is no device); the ADC-1 path only.
extern std::array<int16_t, 17> DeviceSwitchArray;

// Zero links: word 0 switches them on; for channel r word 3r+1 names the channel
// zeroed together with r and word 3r+2 the channel whose link names r (rebuilt
// from the 3r+1 words); 3r+3 is spare.
constexpr int kZeroLinkWords = 52;
using ZeroLinkTable = std::array<int16_t, kZeroLinkWords>;
extern ZeroLinkTable zerolink;
// Rebuilds the back-links (words 3r+2) from the links of channels 1 to lastChannel.
void RebuildZeroBackLinks(int16_t lastChannel = 16);
// Whether "Extra Zero Links" is offered: the periodic patterns (5 and 6) of a chart
// recording whose interval leaves the sample takers time to zero the linked channels.
bool ZeroLinksOffered();
// The links act only while the box shows them ticked: offered and switched on.
bool ZeroLinksInForce();
// Links that are not in force are dropped, every link and back-link with the on/off
// word: a box shown unticked or dimmed holds no link that could act or be saved.
void DropZeroLinksNotInForce();
// Only the links the zero-link window shows are kept (from a switched row to another
// channel of the set-up), and the back-links the sample takers act on are made from
// them: a link it cannot show, or a back-link no link stands behind, would zero real
// readings unseen.
void KeepShownZeroLinks();
// A new run: the alarm counts and the samples of the last alarms (fields 6 to 11) of
// every channel's record back to 0; the settings stay.
void CLEARALARMS();

// ---- analog-output feedback -------------------------------------------------------------
// The regulated channel (1..nChannels).
extern int16_t FeedbackChan;

// ---- analog-output scripts, feedback end state, audible timer, device labels ------------
// Script switches of outputs 1 and 2 (on, running) and their end modes.
extern int16_t DoAO1, DoAO2, AO1on, AO2on, AO1endMode, AO2endMode;
// The output script table: 101 rows of 7 values; column 0 of rows 7-10 holds the start
// and stop-at-X settings of the two outputs.
constexpr int kAOscriptRows = 101;
constexpr int kAOscriptColumns = 7;
using AOscriptRow = std::array<float, kAOscriptColumns>;
extern std::array<AOscriptRow, kAOscriptRows> AOscript;
extern int32_t FeedbackUpdateInterval;  // ticks between feedback updates
extern int16_t NegativeFEEDBACK;        // 1 negative feedback, 0 positive
extern int16_t FeedbackEndMode;
extern float FdBkEndRange, FdBkEndSetpoint, FdBkEndMinV, FdBkEndMaxV;
// 1 once the user entered the end state above (or a script file brought one): only
// then does it come into force when the schedule ends. Without one the output keeps
// the volts its last step gave it, since the start-up values would drive a pump or a
// heater nobody set.
extern int16_t FdBkEndStateEntered;
// The end state's start-up values (setpoint, range, minimum and maximum volts), which
// stand for "none entered".
constexpr float kNoEndSetpoint = 20.0f, kNoEndRange = 1.0f, kNoEndMinV = 0.0f, kNoEndMaxV = 5.0f;
// No end state entered: the start-up values, and the flag cleared.
void ClearFeedbackEndState();
// Audible event timer: the sounds of its start, repeats and stop, and the start interval
// (minutes).
extern int16_t StartAlertSound, ContAlertSound, StopAlertSound;
extern float StartAlertInt;
// The rest of the audible event timer's settings, kept with a set-up: stop and repeat
// intervals (minutes), its switches, modes and counts, and its times (ticks).
extern float StopAlertInt, ContinueAlertInt;
extern int16_t StartALERT, ContinueALERT, StopALERTx, StartAlertMODE, ContAlertMODE, StopAlertMODE,
    StopAlertCASE, DOstartALERT, DoStopALERT, StartAlertCount, StopAlertCount, ContAlertCount, ContAlertEnd,
    AlertCount, maxalerts;
extern int32_t StartAlertTime, StopAlertTime, ContAlertInt, nextAlert;
// The audible event timer is on (the recording loops step it on every pass).
extern int16_t AlertSOUNDS;
// Labels of the switched devices: eight 20-character blank-padded fields.
constexpr int kDeviceLabelWidth = 20;
extern Str255 prefix;
// 1 once the device labels of the sequential-files pattern were asked for.
extern int16_t SequenceLabels;
extern int16_t SequenceChecked;
// The start-up contents of prefix: "device 1" to "device 8", each padded to 20.
Str255 DefaultDeviceLabels();

void ResetControlState();
// Device labels, output script, feedback and alert defaults: set at reset and
// again by the start-up's initial values.
void SetOutputAndAlertDefaults();

// ---- analog outputs at run time ----------------------------------------------------------
// Volts last accepted for outputs 1 and 2, and the output-1 volts last sent to a DataTaker
// (kNoAOVoltsSent before any).
constexpr float kNoAOVoltsSent = -99999.0f;
extern float AO1volts, AO2volts, LastAOVolts1;
// 1 while the stored volts wait for the half-second gate to open.
extern int16_t AOpending;
// The last byte the ADC-1 sent back after a device switch.
extern uint8_t chx;
// Script run state per output: start and end events copied at a run's start, present
// step, tick at which it ends and tick at which it began, the ramp flag and the ramp's
// start and end volts.
extern int16_t AO1firstMarker, AO2firstMarker, AO1stopX, AO2stopX, AO1step, AO2step, ramping1, ramping2;
extern int32_t NextAO1time, NextAO2time, AO1stepStart, AO2stepStart;
extern float lastv, lastv2, nextvolts, nextvolts2;
// Feedback schedule: enabled, shown, and its run state.
extern int16_t DoFeedback, FeedbackON, FdBkStep;
extern int32_t NextFeedbackTime, NextFeedbackUpdateTime;
extern float setpoint;
// The feedback step in force: its range and control-volt limits; FdBkFrozen is 1 once
// the schedule has reached its end state, FdBkActive 1 once a step or the end state is in force.
extern float FdBkRange, FdBkMinV, FdBkMaxV;
extern int16_t FdBkFrozen, FdBkActive;
constexpr int kFeedbackRows = 101;
constexpr int kFeedbackColumns = 7;
using FeedbackStepRow = std::array<float, kFeedbackColumns>;
extern std::array<FeedbackStepRow, kFeedbackRows> FeedbackArray;
// Start-up values of the analog-output run state (called by ResetControlState).
void ResetAnalogOutputRunState();

// The device positions in use of the sequential-files pattern, in ascending order
// from entry 1 (entry 0 unused; 0 after the last).
extern std::array<int16_t, 11> SwitchSequenceArray;

}  // namespace mv
