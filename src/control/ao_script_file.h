// The analog-output script file (".AOscr"): the two output scripts, the feedback
// schedule and eight feedback settings as one big-endian dump of 5,682 bytes with no
// header. Encoding and decoding are pure; applying a decoded file changes the program
// state in one go, so a refused file changes nothing.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "control/state.h"

namespace mv {

constexpr std::size_t kAOscriptFileSize = 5'682;
constexpr const char* kAOscriptExtension = "AOscr";

// Everything the file holds, in file order.
struct AnalogOutputScriptFile {
  std::array<AOscriptRow, kAOscriptRows> script{};
  std::array<FeedbackStepRow, kFeedbackRows> feedback{};
  int16_t feedbackChan = 0;
  int32_t updateInterval = 0;
  int16_t negativeFeedback = 0;
  int16_t endMode = 0;
  float endSetpoint = 0, endRange = 0, endMinV = 0, endMaxV = 0;
};

// The present tables and settings.
AnalogOutputScriptFile CaptureAOscriptFile();
std::string EncodeAOscriptFile(const AnalogOutputScriptFile& file);

struct DecodedAOscriptFile {
  std::optional<AnalogOutputScriptFile> file;
  std::string reason;  // why not, when file is empty
};
// Refuses a file of any other length, one holding a value that is not a finite number,
// a step count outside 0 to 100 or a negative update interval.
DecodedAOscriptFile DecodeAOscriptFile(std::string_view bytes);

// Takes the file's tables and settings, then derives the flags and the D-A menu's
// check marks: feedback (item 2) when any of steps 1 to 40 has a next-step number,
// output 1 (item 1) and output 2 (item 4) when their scripts have a step. The file's
// end state counts as entered unless it is the start-up one.
void ApplyAOscriptFile(const AnalogOutputScriptFile& file);

}  // namespace mv
