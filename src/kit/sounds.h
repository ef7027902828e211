// Sounds from the program's resource folders and the short cues built on them.
//
// PlaySound never looks at the sound switch; the cues and the callers that say
// "when sounds are on" test Sound_Is_On themselves. Every cue returns at once
// and the sound plays on while the program goes on.
#pragma once
#include <cstdint>
#include <string>

namespace mv {

// Plays a file (name with extension) from a resource folder, e.g.
// PlaySound("bup.mp3", "MVsounds"). A missing file plays nothing and reports nothing.
void PlaySound(const std::string& file, const std::string& folder);
// The per-sample beep, "Sample.mp3". Stopping it ends that beep only: the alarm buzz,
// the marker sound or a timer alert playing beside it go on.
void PlaySampleBeepSound();
void StopSampleBeepSound();
// The named system cues "Sample", "buzz1" to "buzz5" and "click", kept as
// mp3 files of the same names in "MVsounds".
void PlayNamedSound(const std::string& name);

// Cues of "MVsounds".
void ripSound();      // "rip.mp3": sounds on and weird sounds (slot 2) on
void wsst();          // "wsst.mp3": sounds on and weird sounds on
void wssst();         // "wssst!.mp3": sounds on and weird sounds on
void bup();           // "bup.mp3": sounds on
void zap();           // "bzot.mp3", the refusal buzz: sounds on
void upVipSOUND();    // "upvip.mp3", a switch turned on: sounds on
void downVipSOUND();  // "downvip.mp3", a switch turned off: sounds on
// "tick.mp3": sounds on and a chart interval above 0.235 s (silent at 0.235 s,
// where the ticks would run together).
void TickSound(double chartIntervalInSeconds);
// "scream.mp3" from "ZQsounds": always, whatever the sound switch says.
void scream();

// True when the cue conditions let a sounds-on cue play now.
bool SoundsOn();
bool WeirdSoundsOn();

}  // namespace mv
