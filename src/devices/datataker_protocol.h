// The DataTaker wire protocol as pure functions: the channel definition sent to read
// one input, the decoding of the one-number reply, and the DT800 family's parameter
// blocks for its two acquisition modes. Nothing here touches a port or a clock.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "devices/state.h"

namespace mv::datataker {

// The two families: DT500/DT600 and DT50 (interface codes 3, 4); DT800, DT80 and DT85
// (codes 5, 6, 7).
enum class Family { DT500, DT800 };
std::optional<Family> FamilyOf(int16_t externalAD);

// Highest hardware input a channel definition is built for.
constexpr int kMaxInput = 999;

// The channel definition (without the CR) that reads `input` set up as `record`; empty
// when the input is no logger input (below 1 or above kMaxInput), which reads nothing.
// fastMode is the DT800 family's high-speed mode (voltages read without noise filtering).
std::string ChannelCommand(Family family, int input, const DataTakerChannelsRecord& record, bool fastMode);

// A voltage input: kind 1 and not a counter. Its replies are millivolts.
bool IsVoltageInput(const DataTakerChannelsRecord& record);

// A decoded reply: the reading, or why there is none.
struct Decoded {
  bool ok = false;
  float value = 0.0f;
  const char* reason = "";
};
// Decodes one reply line (without its CR): the first comma-separated item, leading
// blanks and tabs skipped, its leading decimal number; text after it is ignored. A
// voltage input's millivolts become volts. A line without a number (an error message)
// or with a value that is not finite is no reading.
Decoded DecodeReply(std::string_view line, bool voltageInput);

// The lines of a DT800 parameter block, in order, without CR. High speed: noMainsFilter
// (preference slot 55) lifts the mains filter whatever the mains frequency.
std::vector<std::string> ParameterBlock(bool highSpeed, bool noMainsFilter, int16_t mainsFrequency);

// The reset command of each family.
inline constexpr std::string_view kDT800ResetCommand = "SINGLEPUSH";
inline constexpr std::string_view kDT500ResetCommand = "RESET";

}  // namespace mv::datataker
