// The conversions window (window 10, "Chart channel n"): the per-channel window in
// which the user chooses and edits a channel's conversion, edits its label and
// proposes a display range. The rules it applies are plain functions below.
#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

#include "runtime/str255.h"

namespace mv {

constexpr int16_t kConversionsWindow = 10;

// Buttons of the conversions window (ConversionsWindowButton).
namespace ConversionsButton {
constexpr int16_t Log = 1, Power = 2, FirstCustom = 3, LastCustom = 10, Polynomial = 12, Keyboard = 13,
                  ThreeWay = 14, SelectionOK = 15, DirectCalibration = 16, Breakpoint = 17, Linear = 18,
                  Reciprocal = 19, Options = 20, Help = 30;
}
constexpr int16_t kChannelLabelField = 105;
// The note shown between runs: a change made now is the next run's.
constexpr int16_t kNextRunNoteField = 150;
// The line that refuses a coefficient the channel cannot hold.
constexpr int16_t kCoefficientRefusalField = 151;
inline constexpr const char* kNextRunNote =
    "This run's files keep the conversions it was recorded with; a change made here applies to the next run.";

// The window for channel 1 to nChannels (at most 16); any other channel returns at
// once and changes nothing. On return aval, bval, exponent hold the coefficients
// for the caller to store into fields 2, 3, 4; the type code, the label, the
// three-way row, the menu items and the proposed range miny, maxy are written.
// True when the window was shown (Action is then 5).
bool CONVERT(int16_t channel);

// ---- rules -----------------------------------------------------------------------------------
struct DisplayRange {
  float minimum = 0, maximum = 0;
  bool operator==(const DisplayRange&) const = default;
};
struct RangeTexts {
  Str255 minimum, maximum;
};

// The range a channel opens with when its minimum is not below its maximum
// (InterfaceVoltageRange): 9 +-0.4, 3/4 +-3.5, 5 +-13, 6/7 +-3, other +-5.
DisplayRange InterfaceVoltageRange(int16_t externalAD);
// The range texts the type buttons propose: 9 "-.4"/".4", 3/4 "-3.5"/"3.5",
// 5 "-10"/"10", 6/7 "-3"/"3", other "-5"/"5".
RangeTexts InterfaceRangeTexts(int16_t externalAD);
// A range value as its text: the number without the sign blank, at most 21 characters.
Str255 RangeText(float value);

// What a Sable internal input (9 and above) gives the channel on entry.
struct InputProposal {
  std::optional<Str255> label;  // nothing: the label stays
  std::optional<DisplayRange> range;
  bool zap = false;
};
// readMode is the temperature input's read mode (0 degrees, 1 volts, 2 ohms) for
// inputs 9 to 12; values above 4 mean the slot holds something else.
InputProposal SableInternalInputProposal(int16_t input, int16_t readMode);

// The label and range that the interface imposes when the window is built: a
// DataTaker resistance or thermocouple input, an ADAM thermocouple module.
struct LabelOverride {
  Str255 label;
  DisplayRange range;
};
std::optional<LabelOverride> InterfaceLabelOverride(int16_t externalAD, int16_t dataTakerKind,
                                                    int16_t thermocoupleType, int16_t adamSensor);

// The button marked for a channel's type code: 1 Linear, 2 Polynomial, 3 Power,
// 5 Breakpoint, 6 three-way, 7 Keyboard, 8 log10, 9 Reciprocal, other Linear.
int16_t MarkedButtonForType(int16_t type);
// Whether a click marks the clicked button (below 15, or 18 or 19).
bool ClickMarksButton(int16_t button);
// "Additional Options..." is offered in chart mode, and in scope-plus-chart mode
// for channels above 1; "Direct Calibration..." for every interface but the stream.
bool OptionsButtonShown(int16_t recordingMode, int16_t channel);
bool CalibrationButtonShown(int16_t externalAD);

// What a type button gives the channel. The panel shown is that of panelType;
// type is the code written (they differ only for custom button 8 on a DT500/DT600
// or DT50, which records the reading itself).
struct TypeChoice {
  int16_t type = 1;
  int16_t panelType = 1;
  float a = 0, b = 1, c = 0;
  Str255 label;
  RangeTexts texts;
  DisplayRange range;  // the proposed texts as numbers
  bool clearsPanel = false;
  bool threeWay = false;
  bool thermocoupleReading = false;
};
// Buttons 1, 2, 3-10, 12, 13, 14, 18 and 19; nothing for the others.
std::optional<TypeChoice> TypeButtonChoice(int16_t button, int16_t externalAD);

// The item of a channel in the Conversion Equations ("Ch.") and Conversion Options
// ("ch.") menus: prefix, the number with its sign blank, ":  ", the label without
// its trailing blanks.
Str255 ConversionMenuText(std::string_view prefix, int16_t channel, std::string_view label);

// A channel's 30-character label in datalabel (1-8) or datalabel2 (9-16), and its
// writer (padded or cut to 30).
Str255 StoredChannelLabel(int16_t channel);
void StoreChannelLabel(int16_t channel, std::string_view text);

}  // namespace mv
