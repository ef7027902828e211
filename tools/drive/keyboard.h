// The keyboard as the window system delivers it: a key pressed sends its press, and
// while it stays down the auto-repeat's release and press pairs, both marked as
// repeats, from the repeat delay on at the repeat rate, until it is let go. The
// modifiers held ride on every key's events. Each event goes where a real key's goes:
// to the widget with the keyboard focus, else the program's front window.
#pragma once
#include <QString>
#include <Qt>
#include <optional>
#include <string>

namespace mv::drive {

struct KeySpec {
  Qt::Key key = Qt::Key_unknown;
  QString text;
  Qt::KeyboardModifiers mods;
  int macCode = -1;  // the key map's code, -1 for a key the program does not decode
};

// A key as a script names it: one character (an upper-case letter with Shift) or a
// name ("Return", "alt", ...), after modifiers joined by "+" ("ctrl+shift+s"). Nothing,
// with the reason in `why`, for a name that is no key.
std::optional<KeySpec> ParseKey(const std::string& text, std::string* why);

// The first delay of the auto-repeat and the time between repeats, in microseconds of
// the program's clock.
inline constexpr long long kRepeatDelayUs = 500'000;
long long RepeatIntervalUs();

// Holds the key down (its modifiers first); a key held already stays as it is.
void HoldKey(const KeySpec& k);
// Lets the key go (then its modifiers), held here or not.
void ReleaseKey(const KeySpec& k);
// Sends the repeats due now of every key held (modifier keys do not repeat).
void RepeatHeldKeys();
// Lets every key go, the last held first.
void ReleaseAllKeys();

}  // namespace mv::drive
