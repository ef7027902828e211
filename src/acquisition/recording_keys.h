// The recording keyboard, which is polled, not evented: the key map decoded into one
// code; the added-time command; the time to the next reference.
#pragma once
#include <array>
#include <cstdint>

#include "runtime/events.h"
#include "runtime/str255.h"

namespace mv {

// Codes READKEYS gives besides letters, digits, "+" and "-".
namespace RecordingKeyCode {
constexpr int32_t None = 0, Home = 1, Return = 13, Escape = 27, Left = 28, Right = 29, Up = 30, Down = 31;
}

// Exact values of the key map's word 3, each key alone.
namespace KeyWord3 = rt::KeyWord3;

// The key map read as eight little-endian 16-bit words; word w holds key codes 16w to
// 16w + 15. A word names a key only when that key is the only one of its 16 down.
// Priority between words: keypad digits, top-row digits and "+", the letters of word 2,
// the letters of word 1 and "-", the letters of word 0, Return, Escape, the arrows and
// Home, else 0. Shift or Caps Lock alone in word 3 makes a letter a capital.
int32_t READKEYS(const std::array<uint8_t, 16>& keyMap);
// Whether a key READKEYS reads as `code` (a lower-case letter, a digit of either row,
// "+", "-", ...) is down, whatever else is down with it.
bool RecordingKeyDown(const std::array<uint8_t, 16>& keyMap, int32_t code);

// Lengthens the running chart recording by one screen width (slot 11) of samples, at
// most to MaximumSamples; moves a closing reference later with it; rebuilds the
// capacity bar.
void AddSomeTIME();

// The text of the next-reference window for a reference due at refOnTime ticks, now
// being nowTicks: "Next reference in " and the time in seconds, minutes or hours. A
// reference that is never due or already past reads "no reference scheduled".
Str255 NextReferenceText(int32_t refOnTime, int64_t nowTicks);
// Shows the time to the next reference in window 300 for a moment (the loops close it).
// Nothing when no timed reference is set (switching patterns below 3).
void TimeNextREF();

// Window numbers the recording keys open and close.
constexpr int16_t kAcquisitionWindow = 1;
constexpr int16_t kNextReferenceWindow = 300;
constexpr int16_t kReplayWindow = 321;

// Ctrl-Q typed during the run (between two looks at the key map), taken once: each
// recording loop ends its run on it as on its own stop key.
bool TakeCommandQTyped();

}  // namespace mv
