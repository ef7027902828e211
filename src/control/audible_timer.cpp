#include "control/audible_timer.h"

#include <algorithm>
#include <cmath>

#include "acquisition/state.h"
#include "control/state.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "setup/state.h"

namespace mv {

namespace {

constexpr const char* kSounds = "MVsounds";
constexpr const char* kSpoken = "MVtimerSounds";
// The start of a run: nothing repeats before the start sound has played.
constexpr int32_t kNoRepeatYet = 2'147'483'640;
// The start delay that stands for "at the first marker", in minutes.
constexpr float kStartAtMarker = 9e30f;

int16_t KindIndex(AlertKind kind) {
  return static_cast<int16_t>(kind);
}

// Items 6 to 10 are the same plain sounds in every list.
const char* PlainSound(int16_t item) {
  switch (item) {
    case 6:
      return "boop.mp3";
    case 7:
      return "big click.mp3";
    case 8:
      return "tick.mp3";
    case 9:
      return "switch.mp3";
    case 10:
      return "setup.mp3";
    default:
      return nullptr;
  }
}

// The spoken items 1 to 4 of the start, repeat and stop lists.
constexpr const char* kSpokenFiles[3][4] = {{"start.mp3", "begin.mp3", "go.mp3", "now.mp3"},
                                            {"now.mp3", "next.mp3", "go.mp3", "step.mp3"},
                                            {"stop.mp3", "end.mp3", "halt.mp3", "quit.mp3"}};
constexpr const char* kLastItemFiles[3] = {"get on with it.mp3", "ni.mp3", "bring out your dead.mp3"};

int16_t SoundItem(AlertKind kind) {
  switch (kind) {
    case AlertKind::Start:
      return StartAlertSound;
    case AlertKind::Repeat:
      return ContAlertSound;
    default:
      return StopAlertSound;
  }
}

void PlayAlert(AlertKind kind) {
  const SoundChoice sound = AlertRunSound(kind, SoundItem(kind));
  PlaySound(sound.file, sound.folder);
}

// The popup items that choose a sound: the spoken ones, the plain ones and the last
// spoken one (5 and 11 are separators).
bool IsSoundItem(int16_t item) {
  return (item >= 1 && item <= 10) || item == kLastSpokenItem;
}

// A count of samples as minutes at the chart interval.
float SampleMinutes(int16_t samples) {
  return static_cast<float>(samples) * ChartSampleInterval / 60.0f;
}

int16_t WholeField(float v) {
  if (std::isnan(v)) return 0;
  return static_cast<int16_t>(std::clamp(std::trunc(v), -32768.0f, 32767.0f));
}

// A repeat interval shorter than a tick would sound on every pass of the loop.
int32_t RepeatTicks() {
  return std::max<int32_t>(1, AlertTicksAfter(ContinueAlertInt, 0));
}

bool TimedStop() {
  return StopAlertMODE == 0 || StopAlertMODE == 1;
}

}  // namespace

std::string AlertSoundFile(AlertKind kind, int16_t item) {
  if (const char* plain = PlainSound(item)) return plain;
  const int k = KindIndex(kind);
  if (item >= 2 && item <= 4) return kSpokenFiles[k][item - 1];
  return kSpokenFiles[k][0];
}

SoundChoice AlertPreviewSound(AlertKind kind, int16_t item) {
  if (const char* plain = PlainSound(item)) return {plain, kSounds};
  const int k = KindIndex(kind);
  if (item >= 1 && item <= 4) return {kSpokenFiles[k][item - 1], kSpoken};
  if (item == kLastSpokenItem) return {kLastItemFiles[k], kSpoken};
  return {};
}

SoundChoice AlertRunSound(AlertKind kind, int16_t item) {
  // The last spoken item exists only among the spoken sounds: a run plays what its
  // preview played.
  if (item == kLastSpokenItem) return AlertPreviewSound(kind, item);
  return {AlertSoundFile(kind, item), kSounds};
}

void PlayStartAlert() {
  PlayAlert(AlertKind::Start);
}

void PlayContinueAlert() {
  PlayAlert(AlertKind::Repeat);
}

void PlayStopAlert() {
  if (!StopAlertNotDoneYet) return;
  PlayAlert(AlertKind::Stop);
  StopAlertNotDoneYet = 0;
}

int32_t AlertTicksAfter(float minutes, int32_t from) {
  const float ticks = std::trunc(3600.0f * minutes + static_cast<float>(from));
  if (std::isnan(ticks) || ticks >= 2'147'483'647.0f) return kNeverTick;
  if (ticks <= -2'147'483'648.0f) return INT32_MIN;
  return static_cast<int32_t>(ticks);
}

int32_t AlertTicksPlus(int32_t tick, int32_t interval) {
  const int64_t sum = int64_t{tick} + interval;
  return static_cast<int32_t>(std::clamp<int64_t>(sum, INT32_MIN, kNeverTick));
}

void StartAlertRun() {
  if (!AlertSOUNDS) return;
  // Counts of samples become minutes at the interval this run samples at, which may
  // have changed since the window was closed.
  if (ChartSampleInterval > 0) {
    if (StartAlertMODE == 2) StartAlertInt = SampleMinutes(StartAlertCount);
    if (ContAlertMODE == 1) ContinueAlertInt = SampleMinutes(ContAlertCount);
    if (StopAlertMODE == 1) StopAlertInt = SampleMinutes(StopAlertCount);
  }
  DoStopALERT = 0;
  DOstartALERT = StartALERT ? 1 : 0;
  if (StopALERTx == 1 && StopAlertCASE == 0) DoStopALERT = 1;
  StartAlertTime = StartAlertMODE == 3 ? kNeverTick : AlertTicksAfter(StartAlertInt, TimeAtStart);
  StopAlertTime = AlertTicksAfter(StopAlertInt, TimeAtStart);
  ContAlertInt = RepeatTicks();
  AlertCount = 0;
  nextAlert = kNoRepeatYet;
}

void HandleAlertSounds() {
  const auto t = static_cast<int32_t>(rt::TickCount());
  timeNow = t;
  if (DOstartALERT && t > StartAlertTime) {
    PlayStartAlert();
    DOstartALERT = 0;
    nextAlert = AlertTicksPlus(t, ContAlertInt);
    if (StopAlertCASE == 1 && TimedStop() && StopALERTx == 1) {
      StopAlertTime = AlertTicksAfter(StopAlertInt, t);
      DoStopALERT = 1;
    }
    if (StopAlertMODE == 2) DoStopALERT = 1;
  }
  if (ContinueALERT && t > nextAlert && AlertCount < maxalerts) {
    nextAlert = AlertTicksPlus(t, ContAlertInt);
    if (ContAlertEnd == 0) ++AlertCount;
    if (AlertCount == maxalerts)
      PlayStopAlert();
    else
      PlayContinueAlert();
  }
  if (DoStopALERT && t > StopAlertTime && TimedStop()) {
    PlayStopAlert();
    DoStopALERT = 0;
  }
}

void AlertsAtFirstMarker() {
  if (AlertSOUNDS && StartAlertMODE == 3) StartAlertTime = static_cast<int32_t>(rt::TickCount());
}

void AlertsAtXMarker() {
  // The marker is an ordinary marker while the timer, or the sound that waits for it,
  // is switched off.
  if (!AlertSOUNDS) return;
  if (StopAlertMODE == 2 && StopALERTx) PlayStopAlert();
  if (ContAlertEnd == 1 && ContinueALERT) {
    AlertCount = maxalerts;
    PlayStopAlert();
  }
}

void ApplyAlertDefaults() {
  if (StartAlertMODE < 1) StartAlertMODE = 1;
  if (StartAlertInt <= 0.02f || StartAlertInt > 80'000.0f) StartAlertInt = 1;
  if (StartAlertCount < 1) StartAlertCount = 50;
  if (ContinueAlertInt <= 0.02f) ContinueAlertInt = 1;
  if (ContAlertCount < 1) ContAlertCount = 50;
  if (maxalerts < 2) maxalerts = 2;
  if (StopAlertInt <= 0.02f) StopAlertInt = static_cast<float>(MaxSamples) * ChartSampleInterval * 0.00125f;
  if (StopAlertCount < 1) StopAlertCount = WholeField(0.75f * static_cast<float>(MaxSamples));
  for (int16_t* sound : {&StartAlertSound, &ContAlertSound, &StopAlertSound})
    if (!IsSoundItem(*sound)) *sound = 1;
}

void CommitAlertSettings(const AlertFields& f) {
  DOstartALERT = StartALERT;
  DoStopALERT = StopALERTx;
  StartAlertInt = f.startMinutes;
  StartAlertCount = WholeField(f.startSample);
  ContinueAlertInt = f.repeatMinutes;
  ContAlertCount = WholeField(f.repeatSamples);
  StopAlertInt = f.stopMinutes;
  StopAlertCount = WholeField(f.stopSamples);
  if (StartAlertMODE == 2) StartAlertInt = SampleMinutes(StartAlertCount);
  if (StartAlertMODE == 3) StartAlertInt = kStartAtMarker;
  if (ContAlertMODE == 1) ContinueAlertInt = SampleMinutes(ContAlertCount);
  if (StopAlertMODE == 1) StopAlertInt = SampleMinutes(StopAlertCount);
  StartAlertTime = AlertTicksAfter(StartAlertInt, TimeAtStart);
  StopAlertTime = AlertTicksAfter(StopAlertInt, TimeAtStart);
  if (StopAlertCASE == 1 && StopAlertMODE != 2) DoStopALERT = 0;
  ContAlertInt = RepeatTicks();
  maxalerts = WholeField(f.totalAlerts);
  AlertSOUNDS = ContinueALERT != 0 || StartALERT != 0 || StopALERTx != 0 ? 1 : 0;
}

}  // namespace mv
