// The voices sounds play on. Cues overlap (a scream and a spoken warning half a
// second later, a tearing noise over a buzz), so a small pool of voices plays
// them side by side: a new cue takes an idle voice, and only when every voice is
// busy does it cut the one that started first. The program's voices are Qt media
// players; tests put voices of their own in to watch the pool at work.
#pragma once
#include <functional>
#include <memory>
#include <string>

namespace mv::rt {

class SoundVoice {
 public:
  virtual ~SoundVoice() = default;
  // Plays the file from its start, dropping whatever this voice was playing.
  virtual void Start(const std::string& path) = 0;
  virtual void Stop() = 0;
  virtual bool IsPlaying() const = 0;
};

// How many cues can sound at once.
inline constexpr int kSoundVoices = 4;

struct SoundVoiceMaker {
  // False when there is nothing to play on (no audio device): then nothing plays
  // and nothing is waited for.
  std::function<bool()> outputAvailable;
  std::function<std::unique_ptr<SoundVoice>()> make;
};

// Replaces the voices the pool makes (the voices it has are stopped and dropped
// first); a maker without both functions puts the program's own voices back.
void SetSoundVoiceMaker(SoundVoiceMaker maker);

}  // namespace mv::rt
