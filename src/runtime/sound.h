// Sound playback of named files. Sounds overlap: a new one plays beside those
// already playing, and only when four are playing does it cut the one that
// started first. Without an audio device nothing plays and SoundIsPlaying is
// false, so waits for a sound to end never hang.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

namespace mv::rt {

// Plays the file; a missing file plays nothing and reports nothing.
void PlaySoundFile(const std::string& path);
// One cue as it was started, so that it alone can be stopped later; 0 is no cue.
using SoundCue = std::uint64_t;
// Plays the file as PlaySoundFile does and returns its cue (0 when nothing plays).
SoundCue PlaySoundCue(const std::string& path);
// Stops the cue if its voice still plays it; every other sound plays on.
void StopSoundCue(SoundCue cue);
// True while any sound plays.
bool SoundIsPlaying();
// Stops every sound.
void StopSounds();
// Waits (handling no user input) until no sound plays, at most capMs milliseconds.
void WaitForSoundEnd(int capMs = 10000);
// Tests install a sink that receives every path asked for instead of playing it
// (the system beep arrives there as "SysBeep").
void SetSoundSink(std::function<void(const std::string& path)> sink);
bool SoundSinkInstalled();

}  // namespace mv::rt
