#include "kit/sounds.h"

#include "kit/state.h"
#include "runtime/sound.h"
#include "runtime/system.h"

namespace mv {

namespace {
constexpr const char* kSounds = "MVsounds";
}

void PlaySound(const std::string& file, const std::string& folder) {
  if (file.empty()) return;
  std::string path = rt::ResourcePath(folder, file);
  if (!rt::FileExistsAtPath(path)) return;
  rt::PlaySoundFile(path);
}

namespace {
rt::SoundCue gSampleBeep = 0;
}  // namespace

void PlaySampleBeepSound() {
  const std::string path = rt::ResourcePath(kSounds, "Sample.mp3");
  if (rt::FileExistsAtPath(path)) gSampleBeep = rt::PlaySoundCue(path);
}

void StopSampleBeepSound() {
  rt::StopSoundCue(gSampleBeep);
  gSampleBeep = 0;
}

void PlayNamedSound(const std::string& name) {
  PlaySound(name + ".mp3", kSounds);
}

bool SoundsOn() {
  return Sound_Is_On != 0;
}
bool WeirdSoundsOn() {
  return SoundsOn() && PrefsArray[PrefsSlot::WeirdSounds] != 0;
}

void ripSound() {
  if (WeirdSoundsOn()) PlaySound("rip.mp3", kSounds);
}
void wsst() {
  if (WeirdSoundsOn()) PlaySound("wsst.mp3", kSounds);
}
void wssst() {
  if (WeirdSoundsOn()) PlaySound("wssst!.mp3", kSounds);
}
void bup() {
  if (SoundsOn()) PlaySound("bup.mp3", kSounds);
}
void zap() {
  if (SoundsOn()) PlaySound("bzot.mp3", kSounds);
}
void upVipSOUND() {
  if (SoundsOn()) PlaySound("upvip.mp3", kSounds);
}
void downVipSOUND() {
  if (SoundsOn()) PlaySound("downvip.mp3", kSounds);
}
void TickSound(double chartIntervalInSeconds) {
  if (SoundsOn() && chartIntervalInSeconds > 0.235) PlaySound("tick.mp3", kSounds);
}
void scream() {
  PlaySound("scream.mp3", "ZQsounds");
}

}  // namespace mv
