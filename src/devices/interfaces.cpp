#include "devices/interfaces.h"

#include <filesystem>
#include <system_error>

#include "devices/adam_protocol.h"
#include "devices/state.h"
#include "kit/format.h"

namespace mv {

namespace {

// The geometry every interface without its own row of the animation uses.
constexpr AnimationGeometry kOtherGeometry{58, -100, 130, 138};

constexpr InterfaceRow kRows[] = {
    {1, "Sable UI2", "Sable UI2", 115200, "115,200", "UI2.gif", 176, 166, "UI2small.gif", kOtherGeometry,
     "Sable Startup...", "Sable UI2 setup", 115, "UI2.gif"},
    {2,
     "Sable UI3",
     "Sable UI3",
     115200,
     "115,200",
     "UI3.gif",
     195,
     202,
     "UI3medium.gif",
     {37, -125, 180, 173},
     "Sable Startup...",
     "Sable UI2, UI3 setup",
     115,
     "UI3.gif"},
    {3,
     "DT500; DT600",
     "DataTaker DT500",
     4800,
     "4800",
     "DT500.gif",
     133,
     200,
     "DT500.gif",
     {58, -145, 200, 133},
     "DataTaker Startup...",
     "DataTaker DT500 setup",
     65,
     "DT500.gif"},
    {4,
     "DT50",
     "DataTaker DT50",
     9600,
     "9600",
     "DT50.gif",
     149,
     187,
     "DT50small.gif",
     {58, -145, 187, 149},
     "DataTaker Startup...",
     "DataTaker DT50 setup",
     65,
     "DT500.gif"},
    {5,
     "DT800",
     "DataTaker DT800",
     57600,
     "initially 57,600",
     "DT800.gif",
     145,
     200,
     "DT800.gif",
     {58, -145, 200, 145},
     "DataTaker Startup...",
     "DataTaker DT800 setup",
     65,
     "DT800.gif"},
    {6,
     "DT80",
     "DataTaker DT80",
     57600,
     "initially 57,600",
     "DT80.gif",
     156,
     200,
     "DT80.gif",
     {48, -145, 200, 156},
     "DataTaker Startup...",
     "DataTaker DT80 setup",
     65,
     "DT80.gif"},
    {7,
     "DT85",
     "DataTaker DT85",
     57600,
     "initially 57,600",
     "DT85.gif",
     142,
     200,
     "DT85.gif",
     {58, -145, 200, 142},
     "DataTaker Startup...",
     "DataTaker DT85 setup",
     65,
     "DT85.gif"},
    {8,
     "ADAM modules",
     "ADAM modules",
     9600,
     "9600",
     "ADAM image.gif",
     178,
     180,
     "ADAM image B.gif",
     {48, -125, 160, 158},
     "ADAM Startup...",
     "ADAM module setup",
     65,
     "ADAM image.gif"},
    {9,
     "ADC-1",
     "RMS ADC-1",
     9600,
     "9600",
     "ADC1.gif",
     105,
     130,
     "ADC1.gif",
     {68, -100, 130, 105},
     "ADC-1 Startup...",
     "RMS ADC-1 setup",
     115,
     "ADC1.gif"},
    {11, "streaming serial", "Streaming serial instrument", 9600, "9600", "DB9.gif", 192, 200, "UI2small.gif",
     kOtherGeometry, "", "", 0, "DB9.gif"},
};

// Demonstration mode, the popup's separator and codes no interface has.
constexpr InterfaceRow kOtherRow{
    0,  "", "A-D converter", 115200, "115,200", "UI2.gif", 176, 166, "UI2small.gif", kOtherGeometry, "",
    "", 0,  "demo icon.gif"};

bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}
bool EndsWith(std::string_view s, std::string_view suffix) {
  return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

}  // namespace

const InterfaceRow& InterfaceFor(int16_t code) {
  for (const auto& row : kRows)
    if (row.code == code) return row;
  return kOtherRow;
}

bool IsInterfaceCode(int16_t code) {
  return (code >= 1 && code <= 9) || code == 11;
}
OverRangeRule OverRangeRuleFor(int16_t code) {
  switch (code) {
    case 0:
      return {5.0f, "v< -5 or v > 5"};  // demonstration
    case 1:
    case 2:
      return {5.0f, "v<-5 or v > 5"};  // Sable UI2 and UI3 read +-5.12 V
    case 3:
    case 4:
      return {3.5f, "v<-3.5 or v > 3.5"};  // DT500/DT600, DT50
    case 5:
      return {10.0f, "v<-10 or v > 10"};  // DT800
    case 6:
    case 7:
      return {3.0f, "v<-3 or v > 3"};  // DT80, DT85
    case 8:
      return {5.0f, "v beyond its range"};  // ADAM: each input's range as set, +-5 V unless set
    case 9:
      return {0.42f, "v<-0.42 or v > 0.42"};  // ADC-1
    case 11:
      return {0.0f, "none: not volts", false};  // a streaming instrument's fields
    default:
      return {2.5f, "v<-2.5 or v > 2.5"};
  }
}

std::optional<float> ChannelOverRangeLimit(int16_t code, int16_t adamSensor) {
  const OverRangeRule rule = OverRangeRuleFor(code);
  if (!rule.checked) return std::nullopt;
  if (code == 8) return adam::OverRangeLimitOf(adamSensor);
  return rule.volts;
}

bool IsDataTakerCode(int16_t code) {
  return code >= 3 && code <= 7;
}
bool IsDT800FamilyCode(int16_t code) {
  return code >= 5 && code <= 7;
}

int16_t HardwareInputCount(int16_t externalAD, int16_t demonstrationMode, int16_t adDeviceCode,
                           int16_t adamSecondModule) {
  switch (externalAD) {
    case ExternalADCode::SableUI2:
    case ExternalADCode::SableUI3:
      return 15;
    case ExternalADCode::DT500:
      return 16;
    case ExternalADCode::DT50:
      return 5;
    case ExternalADCode::DT800:
      return 12;
    case ExternalADCode::DT80:
      return 5;
    case ExternalADCode::DT85:
      return 16;
    case ExternalADCode::ADAM:
      return adamSecondModule != 0 ? 16 : 8;
    case ExternalADCode::ADC1:
      return 16;
    case ExternalADCode::Demonstration:
      return (demonstrationMode == 0 && adDeviceCode <= 6) ? 8 : 16;
    default:
      return 16;
  }
}

int16_t AnalogOutputCount(int16_t code) {
  if (code == ExternalADCode::SableUI2 || code == ExternalADCode::SableUI3) return 2;
  return IsDT800FamilyCode(code) ? 1 : 0;
}

AOVoltRange AnalogOutputRange(int16_t code) {
  switch (code) {
    case ExternalADCode::SableUI2:
    case ExternalADCode::SableUI3:
      return {0.0f, 5.0f};
    case ExternalADCode::DT800:
      return {-10.0f, 10.0f};
    default:
      return {-5.0f, 5.0f};
  }
}

int32_t BaudForPopupItem(int item) {
  return item >= 1 && item <= 9 ? kPopupBaudRates[item - 1] : kPopupBaudRates[9];
}

int16_t PopupItemForBaud(int32_t baud) {
  for (int16_t i = 1; i <= 9; ++i)
    if (kPopupBaudRates[i - 1] == baud) return i;
  return 10;
}

int32_t OpeningBaudRate(int16_t code, int32_t chosenBaud) {
  switch (code) {
    case 1:
      return chosenBaud != 0 ? chosenBaud : 9600;
    case 2:
      return 115200;
    case 3:
      return 4800;
    case 4:
      return chosenBaud != 0 ? chosenBaud : 4800;
    case 5:
    case 6:
    case 7:
      return chosenBaud != 0 ? chosenBaud : 57600;
    default:
      // A rate of 0 means "the interface's default"; a port cannot be opened at 0.
      return chosenBaud != 0 ? chosenBaud : InterfaceFor(code).defaultBaud;
  }
}

std::string_view PortName(std::string_view path) {
  size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool PortIsHidden(std::string_view name) {
  return StartsWith(name, "Bluetooth") || StartsWith(name, "Modem") || StartsWith(name, "modem") ||
         EndsWith(name, "iPhone-");
}

PortChoice ChoosePorts(const std::vector<std::string>& paths,
                       const std::function<bool(const std::string&)>& isPreferredAdapter) {
  PortChoice choice;
  for (size_t i = 0; i < paths.size() && i < 32767; ++i) {
    const std::string_view name = PortName(paths[i]);
    if (PortIsHidden(name)) continue;
    const auto k = static_cast<int16_t>(i + 1);
    choice.listed.push_back(k);
    choice.last = k;
    // The adapters shipped with the interfaces take the preference from any other; a
    // Keyspan USA-19H only when nothing better was seen before it.
    const bool shipped = StartsWith(name, "usbserial-A100JZLW") || name == "KeySerial" ||
                         (isPreferredAdapter && isPreferredAdapter(paths[i]));
    if (shipped)
      choice.preferred = k;
    else if (StartsWith(name, "USA19H") && choice.preferred == 0)
      choice.preferred = k;
  }
  return choice;
}

bool IsPreferredAdapterPath(const std::string& path) {
  std::error_code ec;
  const auto target = std::filesystem::canonical(path, ec);
  if (ec) return false;
  for (const auto& entry : std::filesystem::directory_iterator("/dev/serial/by-id", ec)) {
    const std::string name = entry.path().filename().string();
    if (name.find("A100JZLW") == std::string::npos) continue;
    std::error_code ec2;
    if (std::filesystem::canonical(entry.path(), ec2) == target && !ec2) return true;
  }
  return false;
}

int16_t PortWindowOffset(std::size_t portCount) {
  return portCount >= 5 ? static_cast<int16_t>(20 * std::min<std::size_t>(portCount, 1000) - 80) : 0;
}

int16_t PortWindowBottom(std::size_t portCount) {
  return portCount >= 5 ? static_cast<int16_t>(20 * std::min<std::size_t>(portCount, 1000) + 193) : 273;
}

SableFirmware JudgeSableFirmware(int16_t code, std::string_view reply) {
  size_t start = reply.find_first_not_of(" \t\r\n");
  reply = start == std::string_view::npos ? std::string_view() : reply.substr(start);
  SableFirmware f;
  f.version = std::string(reply.substr(0, 3));
  if (code == 2) {
    f.confirmed = true;
    f.range512 = true;
  } else {
    f.confirmed = TextToNumber(reply) > 90;
    f.range512 = f.confirmed && TextToNumber(f.version) > 199;
  }
  return f;
}

int16_t SecondAdamModuleCode(std::string_view identification) {
  std::string_view model = identification.substr(0, 4);
  if (model == "4017") return 13;
  if (model == "4019") return 14;
  return 0;
}

std::array<std::optional<bool>, 9> DAMenuStates(int16_t code) {
  std::array<std::optional<bool>, 9> states;
  const int16_t outputs = code == ExternalADCode::Demonstration ? 2 : AnalogOutputCount(code);
  for (int i = 1; i <= 8; ++i) {
    if (outputs == 0)
      states[i] = false;
    else if (outputs == 1)
      // One analog output: output 2's script (4) and the feedback that drives output 2
      // (2 and 5) are dimmed, output 1's items offered, whatever an interface chosen
      // before had dimmed.
      states[i] = i != 2 && i != 4 && i != 5;
    else
      states[i] = true;
  }
  return states;
}

}  // namespace mv
