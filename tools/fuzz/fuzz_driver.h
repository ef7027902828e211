// The plain fuzz driver shared by the fuzz targets built without libFuzzer: a seeded
// random source, a mutator that flips, overwrites, inserts and splices bytes (with
// tokens that make the target's readers stumble), and the corpus loader.
#pragma once
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
#if defined(__has_include)
#if __has_include(<sanitizer/common_interface_defs.h>)
#include <sanitizer/common_interface_defs.h>
#define MV_FUZZ_DEATH_CALLBACK 1
#endif
#endif

namespace mv::fuzz {

// xorshift64*: the same run for the same seed.
struct Random {
  uint64_t s;
  uint64_t next() {
    s ^= s >> 12, s ^= s << 25, s ^= s >> 27;
    return s * 2685821657736338717ULL;
  }
  std::size_t below(std::size_t n) { return n == 0 ? 0 : static_cast<std::size_t>(next() % n); }
};

inline std::string Mutate(std::string s, Random& r, const std::vector<std::string>& corpus,
                          const std::vector<std::string>& tokens) {
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
        s.insert(at, tokens[r.below(tokens.size())]);
        break;
      case 3: {
        const std::string& t = tokens[r.below(tokens.size())];
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

// Every file of the folder, whole.
inline std::vector<std::string> LoadCorpus(const std::filesystem::path& dir) {
  std::vector<std::string> corpus;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    std::ifstream in(entry.path(), std::ios::binary);
    corpus.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  return corpus;
}

// The input being run, written to the fault file when the run dies on it (an abort
// from a broken promise, or a sanitizer report), so the fault is kept as a test.
inline std::string& CurrentInput() {
  static std::string input;
  return input;
}
inline const char*& FaultFile() {
  static const char* path = nullptr;
  return path;
}
inline void KeepCurrentInput() {
  if (FaultFile() == nullptr) return;
  const int fd = ::open(FaultFile(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return;
  const std::string& in = CurrentInput();
  std::size_t done = 0;
  while (done < in.size()) {
    const ssize_t n = ::write(fd, in.data() + done, in.size() - done);
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  ::close(fd);
}
extern "C" inline void KeepCurrentInputOnSignal(int sig) {
  KeepCurrentInput();
  std::signal(sig, SIG_DFL);
  std::raise(sig);
}

inline void RunOne(const std::string& input) {
  CurrentInput() = input;
  LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.data()), input.size());
}

using Mutator =
    std::function<std::string(const std::string& seed, Random& r, const std::vector<std::string>& corpus)>;

// The plain driver's command line:
//   NAME CORPUS_DIR [EXECUTIONS] [SEED] [SECONDS]
// runs every seed, then EXECUTIONS mutated inputs (default 100,000), stopping early
// after SECONDS when given (0: no time limit). With MV_FUZZ_FAULT_FILE set, the input
// a run dies on is written there.
inline int RunPlainDriver(int argc, char** argv, const char* name, const std::vector<std::string>& tokens,
                          Mutator mutate = {}) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s CORPUS_DIR [EXECUTIONS] [SEED] [SECONDS]\n", name);
    return 2;
  }
  const std::vector<std::string> corpus = LoadCorpus(argv[1]);
  if (corpus.empty()) {
    std::fprintf(stderr, "no seed files in %s\n", argv[1]);
    return 2;
  }
  const long executions = argc > 2 ? std::atol(argv[2]) : 100'000;
  Random r{argc > 3 ? std::strtoull(argv[3], nullptr, 10) | 1 : 0x9E3779B97F4A7C15ULL};
  const long seconds = argc > 4 ? std::atol(argv[4]) : 0;
  FaultFile() = std::getenv("MV_FUZZ_FAULT_FILE");
  std::signal(SIGABRT, KeepCurrentInputOnSignal);
  std::signal(SIGSEGV, KeepCurrentInputOnSignal);
#ifdef MV_FUZZ_DEATH_CALLBACK
  __sanitizer_set_death_callback(KeepCurrentInput);
#endif
  if (!mutate)
    mutate = [&tokens](const std::string& seed, Random& rr, const std::vector<std::string>& all) {
      return Mutate(seed, rr, all, tokens);
    };
  for (const std::string& seed : corpus) RunOne(seed);
  const auto start = std::chrono::steady_clock::now();
  long done = 0;
  for (; done < executions; ++done) {
    if (seconds > 0 && done % 1024 == 0 &&
        std::chrono::steady_clock::now() - start >= std::chrono::seconds(seconds))
      break;
    RunOne(mutate(corpus[r.below(corpus.size())], r, corpus));
  }
  std::printf("executions: %ld\nseeds: %zu\n", done, corpus.size());
  return 0;
}

}  // namespace mv::fuzz
