// The ADAM-4000 module commands and replies as pure functions: the input of a channel
// (module address and input digit), the reading, range and address commands, the
// meaning of each sensor code and the decoding of a reading reply. Nothing here touches
// a port or a clock.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mv::adam {

// Hardware inputs 1-8 are inputs 0-7 of the module at address 01, inputs 9-16 inputs 0-7
// of the module at address 03.
struct InputAddress {
  std::string module;  // "01" or "03"
  int16_t input = 0;   // 0..7 within the module
};
// Nothing for a hardware input outside 1..16.
std::optional<InputAddress> AddressOf(int hardwareInput);

// "#AAi" CR: one reading of the input.
std::string ReadCommand(const InputAddress& a);
// "$AA7CiRrr" CR: the input's range or thermocouple type.
std::string RangeCommand(const InputAddress& a, int16_t sensorType);

// Sensor codes (ADsensorType) and what each sets.
namespace Sensor {
constexpr int16_t Volts1 = 1, Volts2_5 = 2, Volts5 = 5, Volts10 = 10, TypeJ = 100, TypeK = 101, TypeT = 102;
}
// The two-character range code sent for a sensor code; "09" (+-5 V) for codes not set.
std::string_view RangeCode(int16_t sensorType);
// The plot maximum and minimum the code sets; nothing for a code not set.
struct PlotLimits {
  float max = 0.0f, min = 0.0f;
};
std::optional<PlotLimits> PlotLimitsOf(int16_t sensorType);
// The magnitude at which a reading of an input set by the code is over range: the range
// the program set (+-1, +-2.5, +-5 or +-10 V, +-5 V for a code not set), and for a
// thermocouple type its range's top in degrees (J 760, K 1370, T 400).
float OverRangeLimitOf(int16_t sensorType);
// The code a window shows as chosen: a code not set counts as +-5 V.
int16_t ShownSensor(int16_t sensorType);
// Whether an ADAM-4017 input takes the setting: it has the +-10, +-5 and +-1 V ranges
// (a code not set is +-5 V), but no +-2.5 V range and no thermocouple types.
bool Adam4017Has(int16_t sensorType);

// A reading reply line (without CR): ">" and a signed decimal number. Any other line
// (an error reply "?AA", an empty or garbled line) is no reading.
std::optional<float> DecodeReading(std::string_view line);

// The modules a new address can be given, each with the fixed tail of its command.
enum class ModuleKind { None = 0, Outputs4050 = 1, Additional = 2, Primary4019 = 3 };
std::string_view AddressTail(ModuleKind kind);
// A typed module address as the command carries it: one or two hexadecimal digits
// (blanks around them ignored), in capitals with a "0" in front of a single digit.
// Nothing for anything else: a CR or comma would end or split the command.
std::optional<std::string> ModuleAddress(std::string_view typed);
// "%" + present address + tail, and CR; nothing when no kind is chosen or the typed
// address is no module address.
std::optional<std::string> AddressCommand(ModuleKind kind, std::string_view typedAddress);
// A reply that accepts the new address starts with "!".
bool AddressAccepted(std::string_view reply);

// The modules that did not answer in the present pass over the channels. A silent
// module costs one time-out and one warning per pass; its later channels in the pass
// are failed readings at once. A pass begins with a read of a lower channel than the
// one before, in another sample, when a recording starts or ends, and (outside a
// recording, where nothing reads a channel twice in one pass) with a read of the same
// channel again. During a recording the same channel read again in the same sample
// is a re-reading within the pass (averaging, the spike check).
class SilentModules {
 public:
  // Notes the read about to be made, forgetting the marks when it begins a pass.
  void BeforeRead(int16_t channel, int32_t sample, bool duringRecording);
  bool IsSilent(std::string_view module) const;
  void Mark(std::string_view module);

 private:
  std::vector<std::string> silent_;
  int16_t channel_ = 0;
  int32_t sample_ = 0;
  bool during_ = false;
  bool started_ = false;
};

}  // namespace mv::adam
