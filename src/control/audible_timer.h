// The audible event timer: a start sound after a delay, at a sample or at the first
// marker, repeated sounds at an interval, and a stop sound at the end. The recording
// loops step it on every pass (HandleAlertSounds); the marker actions and the first
// screen of a run call the functions below. Its settings window is in
// audible_timer_window.h.
#pragma once
#include <cstdint>
#include <string>

namespace mv {

// ---- sounds --------------------------------------------------------------------------------
enum class AlertKind { Start, Repeat, Stop };
// The popup's last item: a spoken phrase of its own for each of the three sounds.
constexpr int16_t kLastSpokenItem = 12;
// The file a recording plays for a popup item (from "MVsounds"; see AlertRunSound for
// the last spoken item).
std::string AlertSoundFile(AlertKind kind, int16_t item);
struct SoundChoice {
  std::string file;
  std::string folder;
};
// What the settings window plays when an item is chosen: the spoken items from
// "MVtimerSounds", the plain sounds from "MVsounds"; an empty file for separators.
SoundChoice AlertPreviewSound(AlertKind kind, int16_t item);
// What a recording plays for a popup item, file and folder.
SoundChoice AlertRunSound(AlertKind kind, int16_t item);

// Play the chosen sound whatever the program-wide sound switch says. The stop sound
// plays at most once per recording or sampling period (StopAlertNotDoneYet).
void PlayStartAlert();
void PlayContinueAlert();
void PlayStopAlert();

// ---- schedule arithmetic -------------------------------------------------------------------
// trunc(3600 x minutes + from) worked in single precision, as the tick count the
// schedule keeps: beyond the 32-bit range (or not a number) it is never (2,147,483,647).
int32_t AlertTicksAfter(float minutes, int32_t from);
// A tick plus an interval in ticks, staying at never instead of wrapping.
int32_t AlertTicksPlus(int32_t tick, int32_t interval);

// ---- run time ------------------------------------------------------------------------------
// The run state at the first screen of a recording (does nothing while the timer is off).
void StartAlertRun();
// One pass of a recording loop.
void HandleAlertSounds();
// The run's first marker: a start that waits for it sounds on the next pass.
void AlertsAtFirstMarker();
// A marker "x": the stop that waits for it, and the repeats that run until it.
void AlertsAtXMarker();

// ---- settings ------------------------------------------------------------------------------
// The window's defaults for values that make no sense, applied before it shows them.
void ApplyAlertDefaults();
// What the window's fields hold when it closes.
struct AlertFields {
  float startMinutes = 0;   // 102
  float startSample = 0;    // 103
  float repeatMinutes = 0;  // 111
  float repeatSamples = 0;  // 112
  float totalAlerts = 0;    // 113
  float stopMinutes = 0;    // 121
  float stopSamples = 0;    // 122
};
// Takes the fields and arms the timer as the window's closing does.
void CommitAlertSettings(const AlertFields& f);

}  // namespace mv
