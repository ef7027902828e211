// Fuzz target of the data files as mvdump reads them: any bytes, as a chart, scope,
// fast scope, Sable-format or text file, go through the dump tool's decoder, which
// must end (within the bytes it was given) with a verdict and never fault. Built with
// MV_BUILD_FUZZ; with clang and MV_LIBFUZZER it is a libFuzzer target, otherwise a
// plain driver with its own mutator:
//   datafile-fuzz CORPUS_DIR [EXECUTIONS] [SEED] [SECONDS]
// runs EXECUTIONS mutated inputs (default 100,000) made from the files of
// CORPUS_DIR (tools/fuzz/corpus/datafile: the golden files of the writers' tests).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "mvdump/dump.h"

namespace {

std::FILE* Sink() {
  static std::FILE* sink = std::fopen("/dev/null", "w");
  return sink;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  // The first byte picks how the file is read (as its bytes tell, as a scope file or
  // as a fast-scope file), so every road is taken.
  const unsigned road = size == 0 ? 0 : static_cast<unsigned char>(bytes[0]) % 3;
  mvdump::Options o;
  o.scope = road >= 1;
  o.fast = road == 2;
  o.limit = 10;
  const int verdict = mvdump::Dump(Sink(), "f", bytes, o);
  if (verdict != 0 && verdict != 1) std::abort();
  return 0;
}

#ifndef MV_LIBFUZZER
#include "fuzz_driver.h"

namespace {

// Values that make the decoder stumble: the format markers, counts, NaN, huge and
// negative floats, the notes and input list markers.
const std::vector<std::string> kTokens = {"-999\r",
                                          "-9999\r",
                                          std::string("\x00\xC0\x7A\x44", 4),
                                          std::string("\x7F\xC0\x00\x00", 4),
                                          std::string("\x7F\x80\x00\x00", 4),
                                          std::string("\xFF\x80\x00\x00", 4),
                                          std::string("\x4F\x00\x00\x00", 4),
                                          std::string("\xCF\x00\x00\x00", 4),
                                          std::string("\x00\x00\x80\x7F", 4),
                                          std::string("\x00\x00\xC0\x7F", 4),
                                          std::string("\x7F\xFF\xFF\xFF", 4),
                                          std::string("\x80\x00\x00\x00", 4),
                                          std::string("\xFF\xFF", 2),
                                          std::string("\x7F\xFF", 2),
                                          "\r\xFF\r",
                                          "\r\xF0\r",
                                          "\r",
                                          "\t"};

}  // namespace

int main(int argc, char** argv) {
  return mv::fuzz::RunPlainDriver(argc, argv, "datafile-fuzz", kTokens);
}
#endif
