// Fuzz target of the analog-output script file reader (".AOscr"): a file is refused
// with a reason, or accepted whole, bit for bit as it lies on the disk, with step counts
// the tables hold; an accepted file's scripts and feedback schedule are then laid out
// as the script and feedback windows draw them. Built with MV_BUILD_FUZZ; with clang
// and MV_LIBFUZZER it is a libFuzzer target, otherwise a plain driver with its own
// mutator:
//   aoscr-fuzz CORPUS_DIR [EXECUTIONS] [SEED] [SECONDS]
// runs EXECUTIONS mutated inputs (default 100,000) made from the files of CORPUS_DIR
// (tools/fuzz/corpus/aoscr: files written by the script file tests' encoder).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "control/ao_script_diagram.h"
#include "control/ao_script_file.h"
#include "control/feedback_diagram.h"
#include "control/feedback_window.h"
#include "control/state.h"

namespace {

// The step count the script window reads from a table.
int16_t StepCount(float stored) {
  if (!(stored >= 1.0f)) return 0;
  return static_cast<int16_t>(std::min(std::trunc(stored), 100.0f));
}

void LayOutWhatTheWindowsDraw(const mv::AnalogOutputScriptFile& f) {
  mv::AOscript = f.script;
  mv::FeedbackArray = f.feedback;
  for (int16_t n = 1; n <= 2; ++n) {
    const int col = n == 2 ? 4 : 1;
    const int16_t count = StepCount(mv::AOscript[0][col]);
    float total = 0.0f;
    for (int r = 1; r <= count; ++r) total += std::fabs(mv::AOscript[r][col + 1]);
    (void)mv::LayOutAOdiagram(count, total, n);
  }
  (void)mv::LayOutFeedbackTiming(mv::FeedbackStepCount());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const mv::DecodedAOscriptFile d = mv::DecodeAOscriptFile(bytes);
  if (!d.file) {
    if (d.reason.empty()) std::abort();  // a refusal always says why
    return 0;
  }
  if (size != mv::kAOscriptFileSize) std::abort();
  if (mv::EncodeAOscriptFile(*d.file) != bytes) std::abort();  // taken whole, as it lies
  for (int col : {1, 4}) {
    const float count = d.file->script[0][static_cast<std::size_t>(col)];
    if (!(count >= 0.0f && count < 101.0f)) std::abort();
  }
  LayOutWhatTheWindowsDraw(*d.file);
  return 0;
}

#ifndef MV_LIBFUZZER
#include "fuzz_driver.h"

namespace {

// Big-endian values that make the reader and the pictures stumble: NaN, infinities,
// the largest float, step counts just inside and outside the table, negative ticks,
// and next-step numbers that name no step.
const std::vector<std::string> kTokens = {
    std::string("\x7F\xC0\x00\x00", 4), std::string("\x7F\x80\x00\x00", 4),
    std::string("\xFF\x80\x00\x00", 4), std::string("\x7F\x7F\xFF\xFF", 4),
    std::string("\xFF\x7F\xFF\xFF", 4), std::string("\x42\xC8\x00\x00", 4),
    std::string("\x42\xCA\x00\x00", 4), std::string("\x42\xC6\x00\x00", 4),
    std::string("\xBF\x80\x00\x00", 4), std::string("\x80\x00\x00\x00", 4),
    std::string("\x00\x00\x00\x01", 4), std::string("\xFF\xFF\xFF\xFF", 4),
    std::string("\x7F\xFF\xFF\xFF", 4), std::string("\x80\x00", 2),
    std::string("\x7F\xFF", 2),         std::string("\x00\x00", 2),
    std::string("\x4F\x00\x00\x00", 4), std::string("\xCF\x00\x00\x00", 4)};

// Same-length changes: the reader takes only files of its own length, so most inputs
// keep it and vary the values, some are cut or grown by the shared mutator.
std::string MutateInPlace(std::string s, mv::fuzz::Random& r) {
  const int rounds = 1 + static_cast<int>(r.below(8));
  for (int k = 0; k < rounds && !s.empty(); ++k) {
    const std::string& t = kTokens[r.below(kTokens.size())];
    const std::size_t at = r.below(s.size()) & ~std::size_t{1};
    if (r.below(3) == 0) {
      s[r.below(s.size())] = static_cast<char>(r.next());
    } else {
      s.replace(at, std::min(t.size(), s.size() - at), t.substr(0, s.size() - at));
    }
  }
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  return mv::fuzz::RunPlainDriver(
      argc, argv, "aoscr-fuzz", kTokens,
      [](const std::string& seed, mv::fuzz::Random& r, const std::vector<std::string>& corpus) {
        return r.below(8) == 0 ? mv::fuzz::Mutate(seed, r, corpus, kTokens) : MutateInPlace(seed, r);
      });
}
#endif
