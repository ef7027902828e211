// What the program knows about each interface it can connect to, as table rows:
// names, line rates, pictures and the start-up animation; and the plain rules of
// the connection windows (the port list, the baud popup, the D-A menu states).
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mv {

// Placement of the interface picture in the first frame of the start-up animation.
struct AnimationGeometry {
  int16_t top = 0, offset = 0, width = 0, height = 0;
};

struct InterfaceRow {
  int16_t code = 0;
  const char* portWindowName = "";  // after "Serial Port Selection:  "
  const char* errorName = "";       // names the interface when its port cannot be opened
  int32_t defaultBaud = 115200;     // given when the interface is chosen
  const char* baudText = "";        // shown before " baud"
  const char* picture = "";         // in the External A/D Device window
  int16_t pictureHeight = 0, pictureWidth = 0;
  const char* animationPicture = "";
  AnimationGeometry animation;
  const char* startupTitle = "";  // of the animation window; "" when none plays
  const char* startupHeading = "";
  int16_t headingY = 0;
  const char* icon = "";  // the small interface picture of the other windows
};

// The row of an interface code; codes outside the table get the row of "any other".
const InterfaceRow& InterfaceFor(int16_t code);
// Whether the code names an interface (1 to 9 and 11).
bool IsInterfaceCode(int16_t code);
bool IsDataTakerCode(int16_t code);    // 3 to 7
bool IsDT800FamilyCode(int16_t code);  // 5 to 7
// The analog outputs the interface gives: both on the Sable UI2 and UI3, output 1 on the
// DT800, DT80 and DT85, none on the others (the ADAM's modules and the ADC-1 here have
// no analog output).
int16_t AnalogOutputCount(int16_t code);
// The volts the interface's analog outputs can give.
struct AOVoltRange {
  float low = 0, high = 0;
};
// 0 to 5 V on the Sable UI2 and UI3 (their converters give no negative volts), -10 to
// +10 V on the DT800, -5 to +5 V on every other interface.
AOVoltRange AnalogOutputRange(int16_t code);

// The inputs the input dialog offers for an interface: UI2/UI3 15, DT500/DT600 16,
// DT50 and DT80 5, DT800 12, DT85 16, ADAM 8 (16 with a second module, slot 47),
// ADC-1 16, the demonstration interface 8 when not in demonstration mode with a data
// file code of 6 or less, everything else 16.
int16_t HardwareInputCount(int16_t externalAD, int16_t demonstrationMode, int16_t adDeviceCode,
                           int16_t adamSecondModule);

// ---- line rates -------------------------------------------------------------------------
// The rates of the baud popup, items 1 to 10.
inline constexpr std::array<int32_t, 10> kPopupBaudRates = {300,   1200,  2400,  4800,   9600,
                                                            19200, 38400, 57600, 115200, 230400};
// Items 1 to 9 give their rate; item 10, and anything else, 230,400.
int32_t BaudForPopupItem(int item);
// The item showing a rate: 1 to 9, or 10 for any other rate.
int16_t PopupItemForBaud(int32_t baud);
// The rate the port is opened at for an interface: a UI3 always 115,200, a DT500/DT600
// always 4,800, otherwise the chosen rate, where 0 stands for the interface's own default.
int32_t OpeningBaudRate(int16_t code, int32_t chosenBaud);

// ---- the port list ------------------------------------------------------------------------
// The name of a port as the rules see it: the last part of its path.
std::string_view PortName(std::string_view path);
// Modems, Bluetooth links and telephones are never offered.
bool PortIsHidden(std::string_view name);

struct PortChoice {
  std::vector<int16_t> listed;  // list positions (from 1) of the ports offered, in order
  int16_t preferred = 0;        // position of the preferred adapter, 0 none
  int16_t last = 0;             // position of the last port offered (the default), 0 none
};
// Applies the rules to the platform's list. A port whose adapter the predicate recognises
// (by its USB serial number) counts as the preferred FTDI adapter.
PortChoice ChoosePorts(const std::vector<std::string>& paths,
                       const std::function<bool(const std::string& path)>& isPreferredAdapter = {});
// True when /dev/serial/by-id names the port as the FTDI adapter with serial A100JZLW.
bool IsPreferredAdapterPath(const std::string& path);

// The port window grows with the platform's list: the vertical offset of its buttons, and
// its bottom edge.
int16_t PortWindowOffset(std::size_t portCount);
int16_t PortWindowBottom(std::size_t portCount);

// ---- replies ---------------------------------------------------------------------------------
// A Sable firmware reply: its version text (the first three characters after any line
// ends or blanks), whether the connection is confirmed (a UI2's value above 90; a UI3 is
// confirmed by replying at all), and whether it serves the +-5.12 V range (a UI3 always;
// a UI2 whose version is above 199).
struct SableFirmware {
  std::string version;
  bool confirmed = false;
  bool range512 = false;
};
SableFirmware JudgeSableFirmware(int16_t code, std::string_view reply);
// The code of the second ADAM input module from its identification (with "!AA" dropped):
// 13 an ADAM-4017, 14 an ADAM-4019, 0 anything else.
int16_t SecondAdamModuleCode(std::string_view identification);

// ---- input range -----------------------------------------------------------------------------
// The input range of an interface: a reading at or beyond +-volts counts as over range,
// and the alarm log states that same rule as text, so the two can never disagree. An
// ADAM channel's range is the one the program set for its input (adamSensor, its
// ADsensorType code). A streaming instrument's values are not volts: it has no range
// and no reading of it is ever over range (checked false).
struct OverRangeRule {
  float volts = 0.0f;
  const char* text = "";
  bool checked = true;
};
OverRangeRule OverRangeRuleFor(int16_t code);
// The limit of one channel's readings; nothing when its readings are never over range.
std::optional<float> ChannelOverRangeLimit(int16_t code, int16_t adamSensor);

// ---- the D-A menu -------------------------------------------------------------------------
// States of the D-A menu's items 1 to 8 for an interface (index 0 unused): true enabled,
// false disabled, nothing when the item keeps its state. Only outputs the interface gives
// are offered (the demonstration offers both), so no script is set up that drives nothing.
std::array<std::optional<bool>, 9> DAMenuStates(int16_t code);

}  // namespace mv
