// Every input a fuzz run found a fault with is kept under tools/fuzz/found/TARGET/ and
// replays here through the same checks, so a mended fault stays mended. With nothing
// kept, there is nothing to replay and the test passes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "common/test_support.h"

extern "C" int FuzzOne_setup(const uint8_t*, size_t);
extern "C" int FuzzOne_stream(const uint8_t*, size_t);
extern "C" int FuzzOne_expression(const uint8_t*, size_t);
extern "C" int FuzzOne_aoscr(const uint8_t*, size_t);
extern "C" int FuzzOne_prefs(const uint8_t*, size_t);
extern "C" int FuzzOne_datafile(const uint8_t*, size_t);

namespace mv {
namespace {

namespace fs = std::filesystem;

TEST(FuzzFoundInputs, EveryKeptInputPassesItsReadersChecks) {
  const struct {
    const char* target;
    int (*run)(const uint8_t*, size_t);
  } targets[] = {{"setup", FuzzOne_setup}, {"stream", FuzzOne_stream}, {"expression", FuzzOne_expression},
                 {"aoscr", FuzzOne_aoscr}, {"prefs", FuzzOne_prefs},   {"datafile", FuzzOne_datafile}};
  const fs::path found = test::SourcePath("tools/fuzz/found");
  for (const auto& entry : fs::exists(found) ? fs::directory_iterator(found) : fs::directory_iterator()) {
    if (!entry.is_directory()) continue;
    const std::string name = entry.path().filename().string();
    const auto t =
        std::find_if(std::begin(targets), std::end(targets), [&](const auto& k) { return name == k.target; });
    ASSERT_NE(t, std::end(targets)) << "inputs kept for no known target: " << name;
    for (const auto& file : fs::directory_iterator(entry.path())) {
      std::ifstream in(file.path(), std::ios::binary);
      const std::string bytes(std::istreambuf_iterator<char>(in), {});
      SCOPED_TRACE(file.path().string());
      // A broken promise aborts the test program, as it aborted the fuzz run.
      EXPECT_EQ(t->run(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), 0);
    }
  }
}

}  // namespace
}  // namespace mv
