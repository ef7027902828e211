// A long demonstration recording of 16 channels with automatic period saves, on the
// virtual clock: two simulated hours at 0.1 s saved every 10 minutes (tools/bench's
// long-run program runs 24 hours at 0.01 s saved every hour). Every period file holds
// its period's samples and markers, memory does not grow from period to period, and
// the marker and note tables stay within their bounds.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "acq_fixture.h"
#include "acquisition/markers.h"
#include "common/dump_tool.h"
#include "files/needs.h"
#include "files/save_commands.h"
#include "files/state.h"

// The address sanitizer holds freed blocks back in quarantine, so resident memory
// grows under it whatever the program keeps.
#if defined(__SANITIZE_ADDRESS__)
#define MV_RESIDENT_MEMORY_GROWS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define MV_RESIDENT_MEMORY_GROWS 1
#endif
#endif
#ifndef MV_RESIDENT_MEMORY_GROWS
#define MV_RESIDENT_MEMORY_GROWS 0
#endif

namespace mv::test {
namespace {

namespace fs = std::filesystem;

// Resident memory in kilobytes (VmRSS of /proc/self/status); 0 where it cannot be read.
long ResidentKb() {
  std::ifstream in("/proc/self/status");
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("VmRSS:", 0) != 0) continue;
    long kb = 0;
    for (char c : line)
      if (c >= '0' && c <= '9') kb = kb * 10 + (c - '0');
    return kb;
  }
  return 0;
}

// The whole number after `label` in a dump, or -1.
long DumpedNumber(const std::string& dump, const std::string& label) {
  const auto at = dump.find(label);
  if (at == std::string::npos) return -1;
  std::size_t i = at + label.size();
  while (i < dump.size() && dump[i] == ' ') ++i;
  long n = 0;
  bool any = false;
  for (; i < dump.size() && dump[i] >= '0' && dump[i] <= '9'; ++i) n = n * 10 + (dump[i] - '0'), any = true;
  return any ? n : -1;
}

class LongRunTest : public AcqTest {
 protected:
  void SetUp() override {
    AcqTest::SetUp();
    docs = MakeTempDir("long-run-docs");
    setenv("MV_DOCUMENTS_DIR", docs.c_str(), 1);
    RecordingMODE = RecordingModeCode::Chart;
    PrefsArray[PrefsSlot::Autorepeat] = 1;
    PrefsArray[PrefsSlot::AddExtensions] = 1;
    ScopeFileCFURL = (docs / "day 1.kstr").string();
    filestrings.rootName = Str255("day");
    files_hooks::ShowOnAcquisitionScreen = [](int16_t, const std::string&, bool) {};
    // The next period's screen is drawn by the program's top; here a period only ends.
    files_hooks::NewPeriodScreen = [] {};
    // The fixture's call log would grow with every pass and hide what the program holds.
    for (auto* hook : {&acq_hooks::ScreenINFO, &acq_hooks::HandleAlertSounds, &acq_hooks::checkAOscript,
                       &acq_hooks::checkFEEDBACKLoop, &acq_hooks::PumpAOvolts, &acq_hooks::FirstMarkerCheck,
                       &acq_hooks::Q_Key_check, &acq_hooks::X_Key_check, &acq_hooks::PlotNewestXYPoint})
      *hook = [] {};
    acq_hooks::REDRAWSCREEN = [] {
      NscrnCASEs = 0;
      LastNsCasx = 0;
    };
  }
  void TearDown() override {
    unsetenv("MV_DOCUMENTS_DIR");
    files_hooks::ResetFilesHooks();
    fs::remove_all(docs);
    AcqTest::TearDown();
  }
  fs::path docs;
};

TEST_F(LongRunTest, TwoHoursOfSixteenChannelsSaveEveryPeriodWholeWithinBoundedMemory) {
  constexpr int kPeriods = 12;
  constexpr int32_t kPerPeriod = 6000;  // 10 minutes at 0.1 s
  constexpr int kMarkersPerPeriod = 6;
  SetChannels(16);
  ChartIntervalInSeconds = 0.1;
  ChartSampleInterval = 0.1f;
  MaxSamples = kPerPeriod;
  donefact = 100.0f / MaxSamples;
  // A key marker every 1,000 samples and one note per period, as a user would type them.
  int32_t seen = -1;
  script = [&] {
    if (Sample == seen) return;
    seen = Sample;
    if (Sample % 1000 == 500) InsertMarker(7, 'A', kKeyMarkerTop);
    if (Sample == 3000) AddNote(Sample, Str255("12:00:00"), "period note");
  };
  struct PeriodEnd {
    long residentKb;
    std::size_t storeBytes;
    int16_t markers;
    int16_t notes;
  };
  std::vector<PeriodEnd> ends;
  acq_hooks::AUTOSAVE = [&] {
    ends.push_back({ResidentKb(), ChartDataArray.BytesHeld(), Nmarkers, NumberOfNotes});
    AUTOSAVE();
    if (static_cast<int>(ends.size()) == kPeriods) Hold({rt::key::Escape});
  };
  EXPECT_EQ(CHARTSCANNING(), RunEnd::StopKey);
  ASSERT_EQ(static_cast<int>(ends.size()), kPeriods);

  for (int n = 1; n <= kPeriods; ++n) {
    const fs::path file = docs / ("day " + std::to_string(n) + ".kstr");
    ASSERT_TRUE(fs::exists(file)) << file;
    const std::string dump = DumpDataFile(file);
    EXPECT_EQ(DumpedNumber(dump, "count:"), kPerPeriod - 1) << file;
    EXPECT_EQ(DumpedNumber(dump, "samples of channel block 1 ("), kPerPeriod) << file;
    EXPECT_EQ(DumpedNumber(dump, "markers:"), kMarkersPerPeriod) << file;
  }
  for (const PeriodEnd& e : ends) {
    EXPECT_EQ(e.markers, kMarkersPerPeriod) << "the marker table starts again with each period";
    EXPECT_LE(e.notes, kMaxNotes);
    EXPECT_EQ(e.storeBytes, ends.front().storeBytes) << "the store is reused, not grown";
  }
  EXPECT_EQ(ends.back().notes, kPeriods) << "one note per period, none lost";
  // After the first period has touched every page it uses, later periods add nothing
  // but noise (the dump tool's pipes, the file writer's buffers).
  if (!MV_RESIDENT_MEMORY_GROWS && ends[1].residentKb > 0) {
    EXPECT_LE(ends.back().residentKb - ends[1].residentKb, 4096) << "kB";
  }
}

}  // namespace
}  // namespace mv::test
