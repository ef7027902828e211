// The custom conversion buttons: the table of eight custom buttons (3 to 10) and the
// three-way button (11), their titles and labels, and the rules by which the
// transfer window, the editor and the interface choice change them.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/str255.h"

namespace mv {

constexpr int kFirstCustomButton = 3;
constexpr int kLastCustomButton = 10;
constexpr int kThreeWayButton = 11;
constexpr std::size_t kButtonTitleWidth = 25;
constexpr std::size_t kButtonLabelWidth = 30;

struct CustomButton {
  float a = 0, b = 0, c = 0, minimum = 0, maximum = 0;
  int16_t type = 0;
  Str255 title;  // 25 characters
  Str255 label;  // 30 characters
};

// Whether n names a custom button (3 to 10).
bool IsCustomButton(int n);

// Button n (3 to 10) as stored; an empty record for any other n.
CustomButton ReadCustomButton(int n);

// Title of button n: 3 to 10 the custom buttons, 11 the three-way button.
Str255 CustomButtonTitle(int n);
// Channel label given by button n: 3 to 10 from butcomments, 11 but1lbls.
Str255 CustomButtonLabel(int n);

// The three-way button's record (p0-p3, spare, K, m) and its display range.
std::array<float, 7> ThreeWayButtonRecord();
float ThreeWayButtonMinimum();
float ThreeWayButtonMaximum();

// Rewrites custom button 8 for a copper-constantan thermocouple on a DataTaker
// logger: a 0, b 1, c 0, range 0 to 45, titled and labelled in degrees Celsius; its
// type code stays. The interface choice calls it for the DataTaker interfaces only.
void DATATAKERBUTTON();
// The interfaces (codes 3 to 7) whose choice rewrites button 8.
bool IsDataTakerInterface(int16_t externalAD);

// "Save this Change" of the transfer window: button n takes channel's conversion
// (fields 2, 3, 4, range from fields 6 and 5, type code) and the channel label
// typed in its field (padded or cut to 30; the title is its first 25 characters).
// Refused (false, nothing changed) without a marked button and channel, and for a
// breakpoint or three-way channel, whose records a button cannot carry.
bool TransferChannelToButton(int n, int16_t channel, std::string_view labelField);
// Why the transfer of channel into button n is refused, in the words the window
// shows; empty when TransferChannelToButton would take it.
std::string TransferRefusal(int n, int16_t channel);

// The editor's fields, as texts: one row per custom button and the three-way area.
struct CustomEditorRow {
  Str255 title, label, a, b, c, minimum, maximum;
};
struct CustomEditorFields {
  std::array<CustomEditorRow, 8> rows;  // buttons 3 to 10
  Str255 threeWayTitle, threeWayLabel;
  std::array<Str255, 8> threeWay;  // p0, p1, p2, p3, K, m, minimum, maximum
};

// The texts the editor opens with; numbers in the printed-number rule.
CustomEditorFields CustomEditorFieldsFromTable();

// The editor's store: values from the fields (text that is no number gives 0),
// titles and labels padded or cut, polyarray row 0 from the three-way values.
void StoreCustomEditor(const CustomEditorFields& fields);

// The editor's "poly?" box: checked when the stored type code is 2; a click turns 2
// into 3 (a + b*volts^c) and any other code into 2.
bool PolyBoxChecked(int n);
void ClickPolyBox(int n);

}  // namespace mv
