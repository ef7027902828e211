// The plain fuzz driver shared by the fuzz targets built without libFuzzer: a seeded
// random source, a mutator that flips, overwrites, inserts and splices bytes (with
// tokens that make the target's readers stumble), and the corpus loader.
#pragma once
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

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

}  // namespace mv::fuzz
