// Fuzz target of the set-up file reader: every binary version and the old text
// form go through ParseSetup over a fixed base record; an accepted record must also
// pass the checks the loader applies (it never hands the program a value it cannot
// use). Built with MV_BUILD_FUZZ; with clang and MV_LIBFUZZER it is a libFuzzer
// target, otherwise a plain driver with its own mutator:
//   setup-fuzz CORPUS_DIR [EXECUTIONS] [SEED] [SECONDS]
// runs EXECUTIONS mutated inputs (default 100,000) made from the files of
// CORPUS_DIR (tools/fuzz/corpus/setup: the golden files of the set-up tests).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "files/setup_file.h"

namespace {

const mv::SetupRecord& Base() {
  static const mv::SetupRecord base = [] {
    mv::SetupRecord r;
    r.prefSlots[11] = 700;
    return r;
  }();
  return base;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const mv::ParsedSetup p = mv::ParseSetup(bytes, Base());
  if (p.record && !mv::SetupRecordProblem(*p.record).empty()) std::abort();
  if (!p.record && p.reason.empty()) std::abort();  // a refusal always says why
  return 0;
}

#ifndef MV_LIBFUZZER
#include "fuzz_driver.h"

namespace {

// Values that make readers stumble: counts, lengths, NaN, huge floats, markers.
const std::vector<std::string> kTokens = {std::string("\x7F\xC0\x00\x00", 4),
                                          std::string("\x7F\x7F\xFF\xFF", 4),
                                          std::string("\x43\x70\x00\x00", 4),
                                          std::string("\x00\x00\x00\x00", 4),
                                          std::string("\xFF\xFF", 2),
                                          std::string("\x00\x10", 2),
                                          "-9997\r",
                                          "-9998\r",
                                          "-9999\r",
                                          "-99\r",
                                          "0,",
                                          "3e38,",
                                          "nan,",
                                          "1e309\r",
                                          ",",
                                          "\r",
                                          "\r\n",
                                          "-1,",
                                          "40,",
                                          "65536,",
                                          "0.000001\r"};

}  // namespace

int main(int argc, char** argv) {
  return mv::fuzz::RunPlainDriver(argc, argv, "setup-fuzz", kTokens);
}
#endif
