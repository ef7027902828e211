// The audible timer's settings window ("Audible Timer Sounds Setup"), opened from the
// A-D menu. Settings take effect as they are clicked; the fields when it closes.
#pragma once
#include <cstdint>

namespace mv {

constexpr int16_t kAudibleTimerWindow = 18;
// Controls and fields of the window.
namespace TimerItem {
constexpr int16_t StartOn = 1, StartAfter = 2, StartAtSample = 3, StartAtMarker = 4;
constexpr int16_t RepeatOn = 10, EveryMinutes = 11, EverySamples = 12, ToATotal = 13, UntilX = 14,
                  Continuous = 15;
constexpr int16_t StopOn = 20, StopAfterMinutes = 21, StopAfterSamples = 22, FromFileStart = 23,
                  FromStartAlert = 24, StopAtX = 25;
constexpr int16_t Done = 30, StartSound = 50, RepeatSound = 51, StopSound = 52, Help = 130;
constexpr int16_t StartMinutesField = 102, StartSampleField = 103, RepeatMinutesField = 111,
                  RepeatSamplesField = 112, TotalField = 113, StopMinutesField = 121, StopSamplesField = 122;
}  // namespace TimerItem

void AudibleTIMER();

}  // namespace mv
