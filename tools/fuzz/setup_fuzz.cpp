// Fuzz target of the set-up file reader: every binary version and the old text
// form go through ParseSetup over a fixed base record; an accepted record must also
// pass the checks the loader applies (it never hands the program a value it cannot
// use). Built with MV_BUILD_FUZZ; with clang and MV_LIBFUZZER it is a libFuzzer
// target, otherwise a plain driver with its own mutator:
//   setup-fuzz CORPUS_DIR [EXECUTIONS] [SEED]
// runs EXECUTIONS mutated inputs (default 100,000) made from the files of
// CORPUS_DIR (tools/fuzz/corpus/setup: the golden files of the set-up tests).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
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
namespace {

// xorshift64*: the same run for the same seed.
struct Random {
  uint64_t s;
  uint64_t next() {
    s ^= s >> 12, s ^= s << 25, s ^= s >> 27;
    return s * 2685821657736338717ULL;
  }
  std::size_t below(std::size_t n) { return n == 0 ? 0 : static_cast<std::size_t>(next() % n); }
};

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

std::string Mutate(std::string s, Random& r, const std::vector<std::string>& corpus) {
  const int rounds = 1 + static_cast<int>(r.below(4));
  for (int k = 0; k < rounds; ++k) {
    const std::size_t at = r.below(s.size() + 1);
    switch (r.below(7)) {
      case 0:
        if (!s.empty()) s[r.below(s.size())] ^= static_cast<char>(1u << r.below(8));
        break;
      case 1:
        if (!s.empty()) s[r.below(s.size())] = static_cast<char>(r.next());
        break;
      case 2:
        s.insert(at, kTokens[r.below(kTokens.size())]);
        break;
      case 3: {
        const std::string& t = kTokens[r.below(kTokens.size())];
        s.replace(at, std::min(t.size(), s.size() - std::min(at, s.size())), t);
        break;
      }
      case 4:
        s.resize(r.below(s.size() + 1));
        break;
      case 5:
        s.erase(at, r.below(16));
        break;
      default: {
        const std::string& other = corpus[r.below(corpus.size())];
        const std::size_t from = r.below(other.size() + 1);
        s = s.substr(0, at) + other.substr(from, r.below(256));
        break;
      }
    }
  }
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: setup-fuzz CORPUS_DIR [EXECUTIONS] [SEED]\n");
    return 2;
  }
  std::vector<std::string> corpus;
  for (const auto& entry : std::filesystem::directory_iterator(argv[1])) {
    std::ifstream in(entry.path(), std::ios::binary);
    corpus.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  if (corpus.empty()) {
    std::fprintf(stderr, "no seed files in %s\n", argv[1]);
    return 2;
  }
  const long executions = argc > 2 ? std::atol(argv[2]) : 100'000;
  Random r{argc > 3 ? std::strtoull(argv[3], nullptr, 10) | 1 : 0x9E3779B97F4A7C15ULL};
  long accepted = 0;
  for (const std::string& seed : corpus) {
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(seed.data()), seed.size());
    accepted += mv::ParseSetup(seed, Base()).record ? 1 : 0;
  }
  for (long i = 0; i < executions; ++i) {
    const std::string input = Mutate(corpus[r.below(corpus.size())], r, corpus);
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.data()), input.size());
  }
  std::printf("executions: %ld\nseeds: %zu\nseeds accepted: %ld\n", executions, corpus.size(), accepted);
  return 0;
}
#endif
