// The dump tool tells a data file's format by its bytes, not by its name: the
// program writes names without extensions unless the user asks for them, so a
// Sable export named "run" must still be read as one.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "common/test_support.h"
#include "e2e/program_run_fixture.h"

namespace mv {
namespace {

namespace fs = std::filesystem;

void PutLE(std::string& out, uint32_t u) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((u >> (8 * i)) & 0xFF));
}
void PutLEFloat(std::string& out, float f) {
  uint32_t u;
  std::memcpy(&u, &f, 4);
  PutLE(out, u);
}
void PutBE16(std::string& out, int v) {
  out.push_back(static_cast<char>((v >> 8) & 0xFF));
  out.push_back(static_cast<char>(v & 0xFF));
}
void PutBEFloat(std::string& out, float f) {
  uint32_t u;
  std::memcpy(&u, &f, 4);
  for (int i = 3; i >= 0; --i) out.push_back(static_cast<char>((u >> (8 * i)) & 0xFF));
}

// One channel, three samples 1, 2, 3 at 0.5 s, one marker 'A' at sample 2,
// written field by field from the Sable layout.
std::string SableExport() {
  std::string d;
  PutLEFloat(d, 1003.0f);
  PutLE(d, 0x3F8CCCCC);  // version 1.1 as the truncated single
  PutLEFloat(d, 1);      // channels
  PutLEFloat(d, 2);      // last sample index
  PutLEFloat(d, 0.5f);
  for (float v : {1.0f, 2.0f, 3.0f}) PutLEFloat(d, v);
  for (int i = 0; i < 9; ++i) PutLEFloat(d, 10);
  for (float v : {12.0f, 7.0f, 26.0f, 9.0f, 30.0f, 0.0f}) PutLEFloat(d, v);
  d += std::string("mouse 3") + std::string(233, ' ');
  PutLE(d, 1);
  PutLE(d, 65'000'002);
  d += std::string(8, ' ');
  d += std::string("O2") + std::string(22, ' ') + std::string(48, ' ');
  d += std::string("Linear Transform") + std::string(16, ' ') + std::string(32, ' ');
  PutLE(d, 0);
  PutLE(d, 0);
  for (int i = 0; i < 31; ++i) PutLEFloat(d, i == 0 ? 0.0f : 1.0f);
  return d;
}

// One channel, values 4, 5, 6 (stored count 2, the last index) at 0.25 s.
std::string BinaryChart() {
  std::string d = "-999\r";
  PutBE16(d, 2);
  PutBEFloat(d, 0.25f);
  PutBE16(d, 1);
  d += "12/07/26" + std::string(2, ' ') + "08:00:00";
  PutBEFloat(d, 0);
  for (float v : {0.0f, 1.0f, 0.0f, 1.0f, 1.0f}) PutBEFloat(d, v);
  d += std::string(30, ' ');
  for (int i = 0; i < 5; ++i) PutBEFloat(d, 0);
  PutBE16(d, 0);
  for (float v : {4.0f, 5.0f, 6.0f}) PutBEFloat(d, v);
  PutBE16(d, 11);
  for (int i = 0; i < 6; ++i) PutBEFloat(d, 0);
  d += "\r\xFF\rvolts 1\r";
  return d;
}

TEST(DumpToolTest, TellsEachFormatByItsBytesWhateverItsName) {
  const fs::path dir = test::TestOutputDir() / "dump-tool";
  fs::create_directories(dir);
  struct Case {
    const char* name;
    std::string bytes;
    std::vector<std::string> lines;
  } cases[] = {
      {"sable run",
       SableExport(),
       {"format: Sable export\n", "last sample index: 2\n", "samples: 3\n", "channel 1 (3 values): 1 2 3\n",
        "marker 1: 65000002 (code 65, sample term 2)", "comment: 'mouse 3"}},
      {"chart run",
       BinaryChart(),
       {"format: binary chart file\n", "count: 2\n",
        "count meaning: the last sample index, 3 values per channel\n",
        "samples of channel block 1 (3 values): 4 5 6\n"}},
      {"text run", "Time\tO2\r0.25\t4\r0.5\t5\r", {"format: text\n", "rows: 2\n"}},
  };
  for (const auto& c : cases) {
    const fs::path file = dir / c.name;
    std::ofstream(file, std::ios::binary) << c.bytes;
    const std::string dump = test::DumpDataFile(file);
    for (const auto& line : c.lines)
      EXPECT_NE(dump.find(line), std::string::npos) << c.name << ": " << line << dump;
  }
}

}  // namespace
}  // namespace mv
