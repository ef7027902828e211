#include "control/ao_script_file.h"

#include <bit>
#include <cmath>

#include "control/feedback_window.h"
#include "runtime/clock.h"
#include "runtime/menus.h"

namespace mv {

namespace {

constexpr int16_t kDAMenu = 5, kOutput1Item = 1, kOutput2Item = 4;

void Put16(std::string& out, int16_t v) {
  const auto u = static_cast<uint16_t>(v);
  out.push_back(static_cast<char>(u >> 8));
  out.push_back(static_cast<char>(u & 0xFF));
}
void Put32(std::string& out, uint32_t u) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>((u >> shift) & 0xFF));
}
void PutFloat(std::string& out, float v) {
  Put32(out, std::bit_cast<uint32_t>(v));
}

// Reads big-endian fields from the front of the bytes; the caller has checked the length.
class Reader {
 public:
  explicit Reader(std::string_view bytes) : bytes_(bytes) {}
  uint32_t U32() {
    uint32_t u = 0;
    for (int i = 0; i < 4; ++i) u = (u << 8) | Byte();
    return u;
  }
  int16_t I16() {
    const uint32_t hi = Byte();
    return static_cast<int16_t>(static_cast<uint16_t>((hi << 8) | Byte()));
  }
  float Float() { return std::bit_cast<float>(U32()); }

 private:
  uint32_t Byte() { return static_cast<unsigned char>(bytes_[at_++]); }
  std::string_view bytes_;
  std::size_t at_ = 0;
};

template <typename Table>
void PutTable(std::string& out, const Table& table) {
  for (const auto& row : table)
    for (float v : row) PutFloat(out, v);
}

template <typename Table>
bool ReadTable(Reader& in, Table& table) {
  bool finite = true;
  for (auto& row : table)
    for (float& v : row) {
      v = in.Float();
      finite = finite && std::isfinite(v);
    }
  return finite;
}

bool StepCountFits(float count) {
  return count >= 0.0f && count < 101.0f;
}

}  // namespace

AnalogOutputScriptFile CaptureAOscriptFile() {
  AnalogOutputScriptFile f;
  f.script = AOscript;
  // The file has no on/off of a script: every reader takes a script with steps as on.
  // One the user shut down (output 2 given to the feedback) is written with no steps,
  // so that no reader turns it on again, as the script window shows none for it; its
  // steps stay in their rows.
  if (AO1on != 1) f.script[0][1] = 0.0f;
  if (AO2on != 1) f.script[0][4] = 0.0f;
  f.feedback = FeedbackArray;
  f.feedbackChan = FeedbackChan;
  f.updateInterval = FeedbackUpdateInterval;
  f.negativeFeedback = NegativeFEEDBACK;
  f.endMode = FeedbackEndMode;
  f.endSetpoint = FdBkEndSetpoint;
  f.endRange = FdBkEndRange;
  f.endMinV = FdBkEndMinV;
  f.endMaxV = FdBkEndMaxV;
  return f;
}

std::string EncodeAOscriptFile(const AnalogOutputScriptFile& f) {
  std::string out;
  out.reserve(kAOscriptFileSize);
  PutTable(out, f.script);
  PutTable(out, f.feedback);
  Put16(out, f.feedbackChan);
  Put32(out, static_cast<uint32_t>(f.updateInterval));
  Put16(out, f.negativeFeedback);
  Put16(out, f.endMode);
  PutFloat(out, f.endSetpoint);
  PutFloat(out, f.endRange);
  PutFloat(out, f.endMinV);
  PutFloat(out, f.endMaxV);
  return out;
}

DecodedAOscriptFile DecodeAOscriptFile(std::string_view bytes) {
  DecodedAOscriptFile result;
  if (bytes.size() != kAOscriptFileSize) {
    result.reason = "it holds " + std::to_string(bytes.size()) + " bytes, not the " +
                    std::to_string(kAOscriptFileSize) + " of an analog output script";
    return result;
  }
  AnalogOutputScriptFile f;
  Reader in(bytes);
  bool finite = ReadTable(in, f.script);
  finite = ReadTable(in, f.feedback) && finite;
  f.feedbackChan = in.I16();
  f.updateInterval = static_cast<int32_t>(in.U32());
  f.negativeFeedback = in.I16();
  f.endMode = in.I16();
  f.endSetpoint = in.Float();
  f.endRange = in.Float();
  f.endMinV = in.Float();
  f.endMaxV = in.Float();
  for (float v : {f.endSetpoint, f.endRange, f.endMinV, f.endMaxV}) finite = finite && std::isfinite(v);
  if (!finite) {
    result.reason = "it holds a value that is not a number";
  } else if (!StepCountFits(f.script[0][1]) || !StepCountFits(f.script[0][4])) {
    result.reason = "a script has more steps than the table holds";
  } else if (f.updateInterval < 0) {
    result.reason = "its feedback update interval is negative";
  } else {
    result.file = f;
  }
  return result;
}

void ApplyAOscriptFile(const AnalogOutputScriptFile& f) {
  AOscript = f.script;
  FeedbackArray = f.feedback;
  FeedbackChan = f.feedbackChan;
  FeedbackUpdateInterval = f.updateInterval;
  NegativeFEEDBACK = f.negativeFeedback;
  FeedbackEndMode = f.endMode;
  FdBkEndSetpoint = f.endSetpoint;
  FdBkEndRange = f.endRange;
  FdBkEndMinV = f.endMinV;
  FdBkEndMaxV = f.endMaxV;
  // What the file puts in force and what the D-A menu's marks show come from one
  // state: feedback runs when the schedule has a step, and its end state only then
  // (an end state alone would drive output 2 under a mark that says feedback is off).
  // The file has no mark for an end state never entered: such a file carries the
  // start-up values, which are taken as none rather than driven as an end state.
  const bool steps = FeedbackArray[1][5] != 0.0f;
  const bool endState = !(f.endSetpoint == kNoEndSetpoint && f.endRange == kNoEndRange &&
                          f.endMinV == kNoEndMinV && f.endMaxV == kNoEndMaxV);
  // An end state the file holds without steps is not kept either: left behind unseen,
  // it would come back into force through "Save AO Data..." once steps are typed.
  if (steps && endState)
    FdBkEndStateEntered = 1;
  else
    ClearFeedbackEndState();
  FeedbackON = DoFeedback = steps ? 1 : 0;
  CheckFeedbackMenuItems(steps);
  if (steps) {
    const int64_t next = static_cast<int64_t>(static_cast<int32_t>(rt::TickCount())) + FeedbackUpdateInterval;
    NextFeedbackUpdateTime = next >= kNeverTick ? kNeverTick : static_cast<int32_t>(next);
  }
  AO1on = std::trunc(AOscript[0][1]) < 1.0f ? 0 : 1;
  rt::CheckMenuItem(kDAMenu, kOutput1Item, AO1on == 1);
  // Output 2 serves a script or the feedback, never both: a file holding both (one
  // saved before a shut-down script was written without steps) leaves the script off,
  // as the feedback's warning left it. So it does on an interface without output 2,
  // where neither is in force: moved to one with output 2, the schedule alone takes it.
  AO2on = std::trunc(AOscript[0][4]) < 1.0f || steps ? 0 : 1;
  rt::CheckMenuItem(kDAMenu, kOutput2Item, AO2on == 1);
}

}  // namespace mv
