#include "devices/datataker_protocol.h"

#include <charconv>
#include <cmath>

namespace mv::datataker {

std::optional<Family> FamilyOf(int16_t externalAD) {
  switch (externalAD) {
    case ExternalADCode::DT500:
    case ExternalADCode::DT50:
      return Family::DT500;
    case ExternalADCode::DT800:
    case ExternalADCode::DT80:
    case ExternalADCode::DT85:
      return Family::DT800;
    default:
      return std::nullopt;
  }
}

namespace {

std::string TypeText(Family family, const DataTakerChannelsRecord& r, bool fastMode) {
  using namespace DataTakerWord;
  if (r[Kind] == 1) return family == Family::DT800 && fastMode ? "VNC" : "V";
  if (r[Kind] == 0) {
    switch (r[ThermocoupleType]) {
      case 3:
        return "TK";
      case 2:
        return "TJ";
      default:
        return "TT";
    }
  }
  return "R(2W)";
}

std::string_view TerminalText(int16_t terminal) {
  switch (terminal) {
    case 1:
      return " + ";
    case 2:
      return "-";
    case 3:
      return "*";
    default:
      return "";
  }
}

}  // namespace

std::string ChannelCommand(Family family, int input, const DataTakerChannelsRecord& record, bool fastMode) {
  if (input < 1 || input > kMaxInput) return {};
  const std::string number = std::to_string(input);
  if (record[DataTakerWord::Counter] != 0) return number + (family == Family::DT500 ? "HSC" : "C");
  std::string command = family == Family::DT500 && input >= 11 ? "1:" + number : number;
  command += TerminalText(record[DataTakerWord::Terminal]);
  command += TypeText(family, record, fastMode);
  return command;
}

bool IsVoltageInput(const DataTakerChannelsRecord& record) {
  return record[DataTakerWord::Kind] == 1 && record[DataTakerWord::Counter] == 0;
}

Decoded DecodeReply(std::string_view line, bool voltageInput) {
  line = line.substr(0, line.find(','));
  while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
  if (!line.empty() && line.front() == '+') line.remove_prefix(1);
  double v = 0;
  const auto r = std::from_chars(line.data(), line.data() + line.size(), v);
  if (r.ec != std::errc() || r.ptr == line.data()) return {false, 0.0f, "no number in the reply"};
  float value = static_cast<float>(v);
  if (!std::isfinite(value)) return {false, 0.0f, "reply out of range"};
  if (voltageInput) value = static_cast<float>(static_cast<double>(value) * 0.001);
  return {true, value, ""};
}

std::vector<std::string> ParameterBlock(bool highSpeed, bool noMainsFilter, int16_t mainsFrequency) {
  const std::string mains = mainsFrequency == 60 ? "P11=60" : "P11=50";
  if (highSpeed) return {"CLEAR", noMainsFilter ? "P11=1000" : mains, "P46=16", "P60=100", "P57=1", "P58=100"};
  return {"CLEAR", mains, "P46=80", "P60=50", "P57=5", "P58=10"};
}

}  // namespace mv::datataker
