// The chart store's summaries of its values: right after every way values enter or
// change, and small beside the values.
#include <cmath>
#include <functional>
#include <limits>
#include <memory>

#include "acq_fixture.h"
#include "common/store_summary_check.h"

namespace mv::test {
namespace {

constexpr int kCh = 3;
constexpr float kNan = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// A recording-like wave with noise, never twice the same shape at a boundary.
float Wave(int32_t c) {
  return static_cast<float>(5 * std::sin(c * 0.01) + 0.1 * ((c * 37) % 11));
}

TEST(ChartStoreSummary, AgreesWithTheValuesAfterEveryKindOfWrite) {
  struct Operation {
    const char* what;
    int32_t end;  // the last column worth checking afterwards
    std::function<void(ChartStore&)> apply;
    int32_t from = 0;  // and the first
  };
  const Operation operations[] = {
      {"a run of 40,000 samples from column 0", 40'000,
       [](ChartStore& s) {
         for (int32_t c = 0; c < 40'000; ++c) s.Set(kCh, c, Wave(c));
       }},
      {"the largest value overwritten by a middle one", 40'000,
       [](ChartStore& s) {
         int32_t at = 0;
         for (int32_t c = 0; c < 40'000; ++c)
           if (s.Get(kCh, c) > s.Get(kCh, at)) at = c;
         s.Set(kCh, at, 0.0f);
       }},
      {"a group made equal, then its extremes overwritten one by one", 40'000,
       [](ChartStore& s) {
         for (int32_t c = 64; c < 128; ++c) s.Set(kCh, c, 2.0f);
         s.Set(kCh, 80, 1.0f);
         s.Set(kCh, 80, 2.0f);
         s.Set(kCh, 90, 3.0f);
         for (int32_t c = 64; c < 127; ++c) s.Set(kCh, c, 2.5f);
       }},
      {"values that are no number stored, a whole group of them, then one overwritten", 40'000,
       [](ChartStore& s) {
         s.Set(kCh, 1025, kNan);
         for (int32_t c = 16'384; c < 16'448; ++c) s.Set(kCh, c, kNan);
         s.Set(kCh, 16'400, 7.0f);
         s.Set(kCh, 1025, 1.0f);
       }},
      {"infinities stored and one taken back", 40'000,
       [](ChartStore& s) {
         s.Set(kCh, 5000, kInf);
         s.Set(kCh, 5001, -kInf);
         s.Set(kCh, 20'000, kInf);
         s.Set(kCh, 5000, 0.0f);
       }},
      {"negative zeros beside zeros", 40'000,
       [](ChartStore& s) {
         for (int32_t c = 30'000; c < 30'064; ++c) s.Set(kCh, c, -0.0f);
         s.Set(kCh, 30'001, 0.0f);
       }},
      {"a write far past the end, over blocks never taken", 100'002,
       [](ChartStore& s) { s.Set(kCh, 100'000, 9.0f); }},
      {"a new run overwriting the first 500 columns with smaller values", 100'002,
       [](ChartStore& s) {
         for (int32_t c = 0; c < 500; ++c) s.Set(kCh, c, static_cast<float>(std::cos(c * 0.1)) - 20.0f);
       }},
      {"writes outside the store, refused", 100'002,
       [](ChartStore& s) {
         EXPECT_FALSE(s.Set(kCh, -1, 99.0f));
         EXPECT_FALSE(s.Set(kCh, ChartStore::kChartColumns, 99.0f));
         EXPECT_FALSE(s.Set(ChartStore::kRows, 5, 99.0f));
       }},
      {"the last column of the longest run", ChartStore::kChartColumns - 1,
       [](ChartStore& s) { s.Set(kCh, ChartStore::kChartColumns - 1, -4.0f); },
       ChartStore::kChartColumns - 40'000},
      {"the store released", 100'002, [](ChartStore& s) { s.Release(); }},
      {"a short run after the release", 300,
       [](ChartStore& s) {
         for (int32_t c = 0; c < 200; ++c) s.Set(kCh, c, Wave(c) + 100);
       }},
  };
  auto store = std::make_unique<ChartStore>();
  for (const Operation& op : operations) {
    op.apply(*store);
    ExpectSummaryMatchesValues(*store, kCh, op.end, op.what, op.from);
  }
}

TEST(ChartStoreSummary, CostsAtMostASixteenthOfTheValues) {
  auto store = std::make_unique<ChartStore>();
  for (int32_t c = 0; c < 100'000; ++c) store->Set(1, c, Wave(c));
  const std::size_t summary = store->SummaryBytesHeld();
  EXPECT_GT(summary, 0u);
  EXPECT_LE(summary * 16, store->BytesHeld() - summary);
}

// The program's own writers: the sample taker through a chart run with a pause, a new
// run over an older longer one, and the reset that releases the store.
TEST_F(AcqTest, StoreSummaryFollowsRunsPausesAndResets) {
  const auto check = [](const std::string& after) {
    for (int ch = 1; ch <= 2; ++ch)
      ExpectSummaryMatchesValues(ChartDataArray, ch, ChartDataArray.HighestColumn(ch) + 1, after);
  };
  OpenAcquisitionWindow();
  MaxSamples = 3000;
  ChartIntervalInSeconds = 0.02;
  StartChartSchedule();
  const int64_t pauseAt = rt::TickCount() + 20;
  script = [&] {
    if (rt::TickCount() == pauseAt) Hold({rt::key::Command, rt::key::P});
    if (rt::TickCount() == pauseAt + 2) ReleaseAll();
  };
  Record();
  EXPECT_EQ(Count("PAUSE"), 1);
  EXPECT_EQ(MarkersArray[1].code, 166) << "the run was paused";
  check("a chart run with a pause");

  ResetRunCounters();
  MaxSamples = 1000;
  StartChartSchedule();
  script = nullptr;
  Record();
  EXPECT_EQ(Sample, 1001);
  check("a shorter run over the longer one");

  ResetAcquisitionState();
  EXPECT_EQ(ChartDataArray.HighestColumn(1), -1);
  check("the reset of the recording state");
}

}  // namespace
}  // namespace mv::test
