// A small made-up recording for the data-file writer tests, and an encoder of
// bytes written by hand from the file layouts (independent of the writers' codecs).
#pragma once
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/test_support.h"
#include "files/data_file_model.h"

namespace mv::test {

class FakeRecording : public RecordingView {
 public:
  std::array<std::vector<float>, 17> rows;
  std::vector<DataFileMarker> markers;
  std::vector<DataFileNote> notes;
  std::vector<float> scope;  // positions 0 .. S

  void ChartColumns(int channel, int32_t first, int32_t count, float* out) const override {
    for (int32_t i = 0; i < count; ++i) {
      const int32_t col = first + i;
      const auto& row = rows[channel];
      out[i] = col >= 0 && col < static_cast<int32_t>(row.size()) ? row[col] : 0.0f;
    }
  }
  int MarkerCount() const override { return static_cast<int>(markers.size()); }
  DataFileMarker MarkerAt(int i) const override { return markers.at(i - 1); }
  int NoteCount() const override { return static_cast<int>(notes.size()); }
  DataFileNote NoteAt(int i) const override { return notes.at(i - 1); }
  float ScopeValue(int32_t p) const override {
    return p >= 0 && p < static_cast<int32_t>(scope.size()) ? scope[p] : 0.0f;
  }
};

// Hand encoder: every multi-byte value spelled out byte by byte.
struct Golden {
  std::string b;
  void byte(int v) { b += static_cast<char>(v & 0xFF); }
  void be16(int32_t v) {
    byte(v >> 8);
    byte(v);
  }
  void be32(int64_t v) {
    byte(static_cast<int>(v >> 24));
    byte(static_cast<int>(v >> 16));
    byte(static_cast<int>(v >> 8));
    byte(static_cast<int>(v));
  }
  void le32(int64_t v) {
    byte(static_cast<int>(v));
    byte(static_cast<int>(v >> 8));
    byte(static_cast<int>(v >> 16));
    byte(static_cast<int>(v >> 24));
  }
  static uint32_t bits(float f) {
    uint32_t u;
    std::memcpy(&u, &f, 4);
    return u;
  }
  void bef(float f) { be32(bits(f)); }
  void lef(float f) { le32(bits(f)); }
  void text(const std::string& s) { b += s; }
  void padded(const std::string& s, std::size_t n) {
    std::string t = s.substr(0, std::min(n, s.size()));
    t.resize(n, ' ');
    b += t;
  }
  void line(const std::string& s) {
    b += s;
    b += '\r';
  }
};

// Three channels, five samples (columns 0 to 5 filled: a chart-mode run of five
// samples is columns 0-4 in every format, a scope-plus-chart run's points fill 1-5),
// two markers, one note, a pause log, labels and a comment with Mac Roman
// characters, and a bad reading.
inline const std::string kLabel1 = "O2 %";
inline const std::string kLabel2 =
    "Temp \xA1"
    "C";  // degree sign
inline const std::string kLabel3 =
    "CO2 \x8E"
    "t\xE9";  // e acute, then a byte past 0xE0

inline FakeRecording SmallRecording() {
  FakeRecording r;
  r.rows[1] = {20.9f, 20.5f, 0.1f, -99999.0f, 20.75f, 21.0f};
  r.rows[2] = {8589934592.0f, 25.5f, 26.0f, 0.0009765625f, -3.0f, 25.0f};
  r.rows[3] = {0.0f, 1.0f, 2.0f, 3.0f, 4.0f, 5.0f};
  r.markers = {{2, 'A'}, {4, 201}};
  r.notes = {{"3", "10:00:05", "first\rnote"}};
  r.scope = {9.0f, 1.0f, 2.0f, 3.0f, 4.0f};  // S = 4
  return r;
}

inline DataFileFacts SmallFacts() {
  DataFileFacts f;
  f.samples = 5;
  f.sampleInterval = 0.5f;
  f.nChannels = 3;
  f.firstChan = 1;
  const std::string labels[4] = {"", kLabel1, kLabel2, kLabel3};
  for (int n = 1; n <= 3; ++n) {
    DataFileChannel& c = f.channels[n];
    c.input = static_cast<float>(n + 1);
    c.a = 0.25f * n;
    c.b = 2.0f + n;
    c.c = 1.0f;
    c.typeCode = static_cast<float>(n);  // 1, 2, 3
    c.averaged = 4.0f;
    c.label = labels[n];
    c.label.resize(30, ' ');
  }
  f.channels[3].typeCode = 0;  // not a transform: the Sable name repeats channel 2's
  f.startDate = "09/01/17";
  f.startTime = "10:00:00";
  f.endDate = "09/01/17";
  f.endTime = "10:00:09";
  f.comment = "Mouse \x8E test\rline two";
  f.pauseLog = "paused 10:00:02\rresumed 10:00:03";
  f.conditions = ExperimentConditions{100.0f, 25.5f, 760.0f, 21.0f, 0.1f};
  f.threeWay = {1.0f, 2.0f, 3.0f, 4.0f, 0.0f, 5.0f, 6.0f};
  f.externalAD = 1;  // UI2 -> 8
  f.scopeMax = 4;
  f.scSample = 3;
  f.scopeInterval = 0.01f;
  f.saveTime = "11:22:33";
  return f;
}

inline std::string Slurp(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The data-file fuzz target starts from the golden files (written anew with
// MV_WRITE_FUZZ_SEEDS=1 when the encoding here changes).
inline void ExpectFuzzSeed(const char* name, const std::string& golden) {
  const auto seed = SourcePath(std::string("tools/fuzz/corpus/datafile/") + name);
  if (std::getenv("MV_WRITE_FUZZ_SEEDS")) {
    std::filesystem::create_directories(seed.parent_path());
    std::ofstream(seed, std::ios::binary) << golden;
  }
  std::ifstream in(seed, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), golden) << name;
}

}  // namespace mv::test
