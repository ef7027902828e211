// The dump tool tells a data file's format by its bytes, not by its name: the
// program writes names without extensions unless the user asks for them, so a
// Sable export named "run" must still be read as one.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "common/test_support.h"
#include "e2e/program_run_fixture.h"
#include "mvdump/dump.h"

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

// A sweep of one channel, values 1, 2, 3, 4 (stored count 4, the points; the fast
// scope stores a fifth), with a comment in the header and after the sweep.
std::string BinarySweep(bool fast, const std::string& comment) {
  std::string d = "-999\r";
  PutBE16(d, 4);
  PutBEFloat(d, 0.01f);
  PutBE16(d, 1);
  d += "12/07/26" + std::string(2, ' ') + "08:00:00";
  PutBEFloat(d, static_cast<float>(comment.size()));
  d += comment;
  for (float v : {0.0f, 1.0f, 0.0f, 1.0f, 1.0f}) PutBEFloat(d, v);
  d += std::string(30, ' ');
  for (int i = 0; i < 5; ++i) PutBEFloat(d, 0);
  PutBE16(d, 0);
  for (float v : {1.0f, 2.0f, 3.0f, 4.0f}) PutBEFloat(d, v);
  if (fast) PutBEFloat(d, 5.0f);
  PutBE16(d, 6);
  for (int i = 0; i < 6; ++i) PutBEFloat(d, 0);
  return d + comment + "\r";
}

// 100 bytes of a fixed pseudo-random run.
std::string RandomBytes() {
  std::mt19937 next(82);
  std::string d;
  for (int i = 0; i < 100; ++i) d.push_back(static_cast<char>(next() & 0xFF));
  return d;
}

// Each file the tool is given, and its exit status: 0 only when the file decodes whole.
// The program's text files end every line with its CR, so one that ends without is cut.
TEST(DumpToolTest, TellsEachFormatByItsBytesWhateverItsName) {
  const fs::path dir = test::TestOutputDir() / "dump-tool";
  fs::create_directories(dir);
  struct Case {
    const char* name;
    std::string bytes;
    std::vector<std::string> lines;
    int status = 0;
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
      {"text heading only", "Time (sec)\tO2\r", {"format: text\n", "rows: 0\n"}},
      {"random", RandomBytes(), {"format: none the program writes (control byte"}, 1},
      {"empty", "", {"format: none the program writes (the file is empty)"}, 1},
      {"text cut in its heading", "Time (sec)\tO2  ", {"the file ends inside its heading"}, 1},
      {"text cut in a row",
       "Time\tO2\r 0\t 4\t\r 0.25\t 5.",
       {"the file ends inside row 2 (no CR after ' 0.25\\x09 5.')"},
       1},
      // The program's numbered scope files have no extension unless asked for, and a
      // chart file may be named anything.
      {"scope file 1",
       BinarySweep(false, "gerbil"),
       {"format: binary scope file\n", "count meaning: the sweep's points, 4 values\n",
        "samples of channel block 1 (4 values): 1 2 3 4\n", "interface code: 6\n",
        "comment text: 'gerbil\\r'"}},
      {"scope file 2",
       BinarySweep(false, ""),
       {"format: binary scope file\n", "samples of channel block 1 (4 values): 1 2 3 4\n"}},
      {"fast sweep 1",
       BinarySweep(true, "fast"),
       {"format: binary scope file\n", "count meaning: the sweep's points, 5 values\n",
        "samples of channel block 1 (5 values): 1 2 3 4 5\n"}},
      {"chart run.kssc",
       BinaryChart(),
       {"format: binary chart file\n", "samples of channel block 1 (3 values): 4 5 6\n"}},
  };
  for (const auto& c : cases) {
    const fs::path file = dir / c.name;
    std::ofstream(file, std::ios::binary) << c.bytes;
    const std::string dump = test::DumpDataFile(file, "", c.status);
    for (const auto& line : c.lines)
      EXPECT_NE(dump.find(line), std::string::npos) << c.name << ": " << line << dump;
  }
}

// What the decoder prints for the bytes, and its verdict.
std::pair<int, std::string> Decode(const std::string& bytes, const std::string& name = "run") {
  char* text = nullptr;
  std::size_t size = 0;
  std::FILE* out = open_memstream(&text, &size);
  const int verdict = mvdump::Dump(out, name, bytes, mvdump::Options{});
  std::fclose(out);
  std::string printed(text, size);
  std::free(text);
  return {verdict, printed};
}

std::string LE(uint32_t u) {
  std::string s;
  PutLE(s, u);
  return s;
}

// A Sable marker holds code x 1,000,000 + sample; one near the largest long is split in
// 64 bits, not wrapped round.
TEST(DumpToolTest, ASableMarkerNearTheLargestLongDoesNotOverflow) {
  std::string d = SableExport();
  const std::size_t at = d.find(LE(65'000'002));
  ASSERT_NE(at, std::string::npos);
  d.replace(at, 4, LE(2'147'157'060));
  const auto [verdict, printed] = Decode(d);
  EXPECT_EQ(verdict, 0);
  EXPECT_NE(printed.find("marker 1: 2147157060 (code 2147, sample term 157060)"), std::string::npos)
      << printed;
}

// The channel and sample counts of a Sable export are floats: NaN, infinities, negatives
// and counts the bytes cannot hold are refused at once, not converted or looped over.
TEST(DumpToolTest, ASableCountTheFileCannotHoldIsRefusedNotLoopedOver) {
  const float absurd[][2] = {{NAN, 2}, {1e9f, 2}, {-1, 2}, {INFINITY, 2}, {0, 1e30f}, {0, 9e18f}, {1, NAN}};
  for (const auto& [channels, last] : absurd) {
    std::string d = SableExport();
    std::string counts;
    PutLEFloat(counts, channels);
    PutLEFloat(counts, last);
    d.replace(8, 8, counts);
    const auto [verdict, printed] = Decode(d);
    EXPECT_EQ(verdict, 1) << channels << " " << last;
    EXPECT_NE(printed.find("not counts this file can hold"), std::string::npos) << printed;
  }
}

// The header comment's length is a float too: one that is no length within the file
// ends the file early instead of being converted.
TEST(DumpToolTest, AHeaderCommentLengthThatIsNoCountEndsTheFileEarly) {
  for (float length : {NAN, -5.0f, 1e20f, INFINITY}) {
    std::string d = BinaryChart();
    std::string field;
    PutBEFloat(field, length);
    d.replace(5 + 2 + 4 + 2 + 18, 4, field);
    const auto [verdict, printed] = Decode(d);
    EXPECT_EQ(verdict, 1) << length;
    EXPECT_NE(printed.find("the file ends early"), std::string::npos) << printed;
  }
}

}  // namespace
}  // namespace mv
