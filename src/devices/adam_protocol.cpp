#include "devices/adam_protocol.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace mv::adam {

std::optional<InputAddress> AddressOf(int hardwareInput) {
  if (hardwareInput < 1 || hardwareInput > 16) return std::nullopt;
  if (hardwareInput < 9) return InputAddress{"01", static_cast<int16_t>(hardwareInput - 1)};
  return InputAddress{"03", static_cast<int16_t>(hardwareInput - 9)};
}

std::string ReadCommand(const InputAddress& a) {
  return "#" + a.module + static_cast<char>('0' + a.input) + "\r";
}

std::string RangeCommand(const InputAddress& a, int16_t sensorType) {
  return "$" + a.module + "7C" + static_cast<char>('0' + a.input) + "R" + std::string(RangeCode(sensorType)) + "\r";
}

std::string_view RangeCode(int16_t sensorType) {
  switch (sensorType) {
    case Sensor::Volts1: return "04";
    case Sensor::Volts2_5: return "05";
    case Sensor::Volts10: return "08";
    case Sensor::TypeJ: return "0E";
    case Sensor::TypeK: return "0F";
    case Sensor::TypeT: return "10";
    default: return "09";
  }
}

std::optional<PlotLimits> PlotLimitsOf(int16_t sensorType) {
  switch (sensorType) {
    case Sensor::Volts1: return PlotLimits{1.0f, -1.0f};
    case Sensor::Volts2_5: return PlotLimits{2.5f, -2.5f};
    case Sensor::Volts5: return PlotLimits{5.0f, -5.0f};
    case Sensor::Volts10: return PlotLimits{10.0f, -10.0f};
    case Sensor::TypeJ:
    case Sensor::TypeK:
    case Sensor::TypeT: return PlotLimits{45.0f, -5.0f};
    default: return std::nullopt;
  }
}

float OverRangeLimitOf(int16_t sensorType) {
  switch (sensorType) {
    case Sensor::Volts1: return 1.0f;
    case Sensor::Volts2_5: return 2.5f;
    case Sensor::Volts10: return 10.0f;
    case Sensor::TypeJ: return 760.0f;
    case Sensor::TypeK: return 1370.0f;
    case Sensor::TypeT: return 400.0f;
    default: return 5.0f;
  }
}

int16_t ShownSensor(int16_t sensorType) {
  return PlotLimitsOf(sensorType) ? sensorType : Sensor::Volts5;
}

bool Adam4017Has(int16_t sensorType) {
  const int16_t shown = ShownSensor(sensorType);
  return shown == Sensor::Volts10 || shown == Sensor::Volts5 || shown == Sensor::Volts1;
}

std::optional<float> DecodeReading(std::string_view line) {
  if (line.empty() || line.front() != '>') return std::nullopt;
  line.remove_prefix(1);
  while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
  bool negative = false;
  if (!line.empty() && (line.front() == '+' || line.front() == '-')) {
    negative = line.front() == '-';
    line.remove_prefix(1);
  }
  double value = 0;
  const auto res = std::from_chars(line.data(), line.data() + line.size(), value, std::chars_format::fixed);
  // Digits too many for a reading are garbled text, not a value.
  if (res.ec != std::errc() || res.ptr == line.data() || !(std::fabs(value) <= std::numeric_limits<float>::max()))
    return std::nullopt;
  return static_cast<float>(negative ? -value : value);
}

std::string_view AddressTail(ModuleKind kind) {
  switch (kind) {
    case ModuleKind::Outputs4050: return "020F0600";
    case ModuleKind::Additional: return "03090600";
    case ModuleKind::Primary4019: return "01090600";
    default: return "";
  }
}

std::optional<std::string> ModuleAddress(std::string_view typed) {
  while (!typed.empty() && typed.front() == ' ') typed.remove_prefix(1);
  while (!typed.empty() && typed.back() == ' ') typed.remove_suffix(1);
  if (typed.empty() || typed.size() > 2) return std::nullopt;
  std::string address;
  for (char c : typed) {
    if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return std::nullopt;
    address += c;
  }
  return address.size() == 1 ? "0" + address : address;
}

std::optional<std::string> AddressCommand(ModuleKind kind, std::string_view typedAddress) {
  if (kind == ModuleKind::None) return std::nullopt;
  const std::optional<std::string> address = ModuleAddress(typedAddress);
  if (!address) return std::nullopt;
  return "%" + *address + std::string(AddressTail(kind)) + "\r";
}

bool AddressAccepted(std::string_view reply) {
  return !reply.empty() && reply.front() == '!';
}

void SilentModules::BeforeRead(int16_t channel, int32_t sample, bool duringRecording) {
  const bool rereading = started_ && duringRecording && during_ && sample == sample_ && channel == channel_;
  const bool laterChannel = started_ && during_ == duringRecording && sample == sample_ && channel > channel_;
  if (!rereading && !laterChannel) silent_.clear();
  started_ = true;
  channel_ = channel;
  sample_ = sample;
  during_ = duringRecording;
}

bool SilentModules::IsSilent(std::string_view module) const {
  return std::find(silent_.begin(), silent_.end(), module) != silent_.end();
}

void SilentModules::Mark(std::string_view module) {
  if (!IsSilent(module)) silent_.emplace_back(module);
}

}  // namespace mv::adam
