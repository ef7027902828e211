// What every calculator window shares: window 8 and its building, reading and
// writing numbers in fields, the modal loop with its key and ending rules, and the
// help topics of the Special menu. Each calculator supplies its own layout and the
// action of each button.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "calculators/number_text.h"
#include "runtime/events.h"
#include "runtime/str255.h"
#include "runtime/types.h"
#include "runtime/windows.h"

namespace mv::calc {

constexpr int16_t kCalculatorWindow = 8;

// Closes a window 8 left open and builds window 8 (kind 6) with the title and the
// screen rectangle.
void OpenCalculatorWindow(const Str255& title, int16_t left, int16_t top, int16_t right, int16_t bottom);

// What a field's text holds, read by its leading number (blanks before it skipped,
// the rest ignored): a number, nothing but blanks, something that does not start
// with a number, or a number beyond double precision ("1e999", 400 digits). A number
// too small for double precision reads as 0.
enum class EntryKind { Number, Blank, NotANumber, TooLarge };
struct Entry {
  EntryKind kind = EntryKind::Blank;
  double value = 0;  // the number; 0 for every other kind
};
Entry ReadEntry(std::string_view text);

// A field's number: empty or non-numeric text reads 0. A number the value cannot
// hold (beyond single precision for FieldValue, double for FieldValueDouble) reads
// as NaN, so whatever is computed from it is no number, and the next no-result
// message of the action gives it as the reason.
float FieldValue(int16_t field);
double FieldValueDouble(int16_t field);
// True when a field's text reads as a number (ReadEntry): not blank, not words such
// as a no-result message, not a number too large to hold.
bool FieldHoldsNumber(int16_t field);
// Writing a number into a field of the current window, by the three rules.
void SetFieldPlain(int16_t field, double value);                              // NumberText
void SetFieldFormatter(int16_t field, float value);                           // ReadoutText
void SetFieldPicture(int16_t field, double value, std::string_view picture);  // e.g. "####.##"
void SetFieldText(int16_t field, const Str255& text);
// Values a window wrote into fields with the display's rounding, held at the precision
// they were typed or computed in. While a field still shows the text written, its
// value is the held one, so a rounded text is never read back as the value; once the
// user types over it, the field is read as typed.
class HeldValues {
 public:
  // Writes the text into the field of the current window and holds the value for it.
  void Show(int16_t field, double value, const Str255& text);
  void ShowPlain(int16_t field, double value) { Show(field, value, NumberText(value)); }
  // The held value while the field shows its text, else the field read as typed
  // (FieldValueDouble).
  double Value(int16_t field) const;
  // The same in single precision (FieldValue when the field was typed over).
  float FloatValue(int16_t field) const;
  void Forget(int16_t field);
  void Clear();

 private:
  struct Held {
    std::string text;
    double value = 0;
  };
  const Held* Shown(int16_t field) const;
  std::map<int16_t, Held> held_;
};

// Makes a field active with its whole text selected (0: none active).
void ActivateField(int16_t field);

// A result that could not be computed is never shown as a number, an infinity or a
// NaN, nor left as it was beside new entries: the field says "no result: " and why,
// in a font small enough for the words to fit the field (down to 8 points; a longer
// text shows its start), and the refusal buzz plays (once per action).
// When a number typed for the action was too large to hold, that is the reason given
// ("number too large").
void ShowNoResult(int16_t field, std::string_view why);
// True when the value is a number; otherwise ShowNoResult(field, why) and false.
bool UsableResult(int16_t field, double value, std::string_view why);
// The reason for a value the arithmetic cannot hold.
constexpr const char* kOutOfRangeReason = "out of range";

struct LoopRules {
  int16_t defaultButton = 0;   // Return or Enter in a field stands for a click on it (0: nothing)
  int16_t doneButton = 0;      // ends the loop
  bool tabMovesFocus = false;  // Tab: 111 -> 112, any other field -> 111, with the click sound
  // Instead of the default button, Return moves the focus (Simple Math); when set it
  // is called for Action 16 and the default button is not pressed.
  std::function<void()> onReturn;
  // Optional: called for each other Action a calculator handles itself (after the
  // codes above: activation changes and the close boxes of its other windows
  // arrive here); return true to end the loop.
  std::function<bool(int16_t action, int32_t eventID)> onOther;
  // Optional: called once per pass after the codes above were handled and before the
  // loop tests for its end (work a key handler left pending, such as an operator key).
  std::function<void()> afterPass;
  // Optional: called once when the loop has ended, while window 8 is still open
  // (what the next opening should start from).
  std::function<void()> beforeClose;
};

// Installs the handlers (doDIALOG, CheckRETURN or the given edit-key handler,
// noMOUSE, the menu handler NoMENU) and pumps events until Done or the close box of
// window 8. A key typed into an entry field that would make its number too large to
// hold is refused with the buzz, as typed. A change of the front window never ends
// it: the user who reads the help "?" opened, or turns to another window or program,
// comes back to the entries as they were. onButton gets every button click (Return turned into the default
// button's); returning true from it ends the loop. Closes window 8 at the end and
// gives the caller back the handlers it had.
using ButtonAction = std::function<bool(int16_t button)>;
void RunCalculatorLoop(const LoopRules& rules, const ButtonAction& onButton,
                       rt::EditKeyHandler editKeyHandler = nullptr);

// The help page of a Special-menu item (0 when it has none) and the "?" button's call.
int16_t HelpTopicOfSpecialItem(int16_t item);
void ShowCalculatorHelp(int16_t topic);

// The focus click of Return and Tab moves, played whether sounds are on or not.
void FocusClick();

}  // namespace mv::calc
