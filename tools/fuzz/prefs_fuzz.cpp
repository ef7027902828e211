// Fuzz target of the preferences file reader: any bytes go through DecodePreferences;
// a refusal always says why, an accepted file holds only values the program can use,
// and writing it again gives a file that reads back to the same bytes. Built with
// MV_BUILD_FUZZ; with clang and MV_LIBFUZZER it is a libFuzzer target, otherwise a
// plain driver with its own mutator:
//   prefs-fuzz CORPUS_DIR [EXECUTIONS] [SEED] [SECONDS]
// runs EXECUTIONS mutated inputs (default 100,000) made from the files of
// CORPUS_DIR (tools/fuzz/corpus/prefs: the golden files of the preferences tests).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "files/prefs_file.h"

namespace {

void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "broken promise: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const mv::ParsedPreferences p = mv::DecodePreferences(bytes);
  if (!p.prefs) {
    Require(!p.reason.empty(), "a refusal says why");
    return 0;
  }
  Require(size == mv::kPreferencesFileSize, "only whole files are accepted");
  Require(mv::CheckPreferences(*p.prefs).empty(), "accepted values are usable");
  const std::string again = mv::EncodePreferences(*p.prefs);
  Require(again.size() == mv::kPreferencesFileSize, "written size");
  const mv::ParsedPreferences q = mv::DecodePreferences(again);
  Require(q.prefs.has_value(), "a written file reads back");
  Require(mv::EncodePreferences(*q.prefs) == again, "a written file reads back the same");
  return 0;
}

#ifndef MV_LIBFUZZER
#include "fuzz_driver.h"

namespace {

// Values that make the reader stumble: switch slots out of range, NaN and huge
// floats, control characters in the titles, blank padding.
const std::vector<std::string> kTokens = {std::string("\x7F\xC0\x00\x00", 4),
                                          std::string("\x7F\x80\x00\x00", 4),
                                          std::string("\x7F\x7F\xFF\xFF", 4),
                                          std::string("\x00\x00\x00\x00", 4),
                                          std::string("\x00\x02", 2),
                                          std::string("\xFF\xFF", 2),
                                          std::string("\x80\x00", 2),
                                          std::string("\x00\x01", 2),
                                          std::string("\x00", 1),
                                          "\r",
                                          "\x7F",
                                          "    ",
                                          "\xCA"};

}  // namespace

int main(int argc, char** argv) {
  return mv::fuzz::RunPlainDriver(argc, argv, "prefs-fuzz", kTokens);
}
#endif
