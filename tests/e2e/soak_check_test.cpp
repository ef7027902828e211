// The soak's checks on files made to the letter of each rule and on the same files with
// one rule broken: each breach fails its own invariant and no other.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "soak/check.h"
#include "soak/plan.h"

namespace mv::soak {
namespace {

constexpr double kOrigin = 1000, kRate = 0.5, kInterval = 0.1;
enum Which { kNone = -1, kOnce, kCells, kTimes, kGaps, kText };

struct Files {
  std::vector<StoredFile> files;
  std::vector<std::vector<double>> text;
  SimLog log;
};

// Two period files of 30 and 20 samples of two channels read every 0.1 s, with a 2 s
// pause before sample 20 (logged and marked), each sweep answered in the log; the text
// save of the second.
Files Recording() {
  Files r;
  r.log.origin = kOrigin;
  const std::vector<double> bases = {0, 4};
  std::vector<double> read;
  for (int k = 0; k < 50; ++k) read.push_back(kOrigin + 1 + kInterval * k + (k >= 20 ? 2 : 0));
  for (int part = 0; part < 2; ++part) {
    StoredFile f;
    f.name = "period " + std::to_string(part + 1);
    f.interval = kInterval;
    f.cells.resize(2);
    for (int k = part * 30; k < (part ? 50 : 30); ++k)
      for (int c = 0; c < 2; ++c) f.cells[c].push_back(bases[c] + kRate * (read[k] - kOrigin));
    r.files.push_back(f);
  }
  r.files[0].gaps = {{20, 2.0}};
  r.files[0].markers = {{21, 166}, {25, 'a'}};
  for (double t : read) r.log.replies.push_back(t + 0.01);
  for (int k = 0; k < 20; ++k)
    r.text.push_back({kInterval * (k + 1), r.files[1].cells[0][k], r.files[1].cells[1][k]});
  return r;
}

struct Breach {
  const char* name;
  Which fails;
  std::function<void(Files&)> make;
};

const Breach kBreaches[] = {
    {"Clean", kNone, [](Files&) {}},
    {"SweepInTwoFiles", kOnce,
     [](Files& r) {
       for (auto c : {0, 1}) r.files[1].cells[c].insert(r.files[1].cells[c].begin(), r.files[0].cells[c].back());
       r.text.push_back({});
       for (std::size_t k = 0; k < r.text.size(); ++k)
         r.text[k] = {kInterval * static_cast<double>(k + 1), r.files[1].cells[0][k], r.files[1].cells[1][k]};
     }},
    {"SweepLostBetweenPeriods", kOnce,
     [](Files& r) {
       for (auto c : {0, 1}) r.files[1].cells[c].erase(r.files[1].cells[c].begin());
       r.text.erase(r.text.begin());
       for (std::size_t k = 0; k < r.text.size(); ++k) r.text[k][0] = kInterval * static_cast<double>(k + 1);
     }},
    {"AnotherChannelsValue", kCells, [](Files& r) { r.files[0].cells[1][5] = r.files[0].cells[0][5]; }},
    // A marker typed at the sample after the pause holds it: the pause marker is on the next.
    {"PauseMarkerAfterATypedOne", kNone, [](Files& r) { r.files[0].markers = {{21, 'x'}, {22, 166}}; }},
    // A gap and a pause at one sample: two lines there, the second marker on the next.
    {"GapAndPauseAtOneSample", kNone,
     [](Files& r) {
       r.files[0].gaps = {{20, 1.0}, {20, 1.0}};
       r.files[0].markers = {{21, 166}, {22, 166}};
     }},
    {"PauseWithoutMarker", kGaps, [](Files& r) { r.files[0].markers = {{25, 'a'}}; }},
    {"PauseLoggedShort", kTimes, [](Files& r) { r.files[0].gaps = {{20, 0.5}}; }},
    {"TextRowAtAnotherTime", kText, [](Files& r) { r.text[5][0] += 0.5; }},
    // The pause log dates an interval change the samples did not make: from case 20 on
    // the file's rule puts them later than they were read.
    {"IntervalChangeTheSamplesDidNotMake", kTimes,
     [](Files& r) {
       r.files[0].changes = {{20, kInterval, 0.2}};
     }},
};

void PrintTo(const Breach& b, std::ostream* out) {
  *out << b.name;
}

class SoakCheck : public ::testing::TestWithParam<Breach> {};

TEST_P(SoakCheck, EachBrokenRuleFailsItsOwnInvariant) {
  Options o;
  o.kind = "dt800";
  o.interval = kInterval;
  Plan plan;
  plan.kind = FindKind(o.kind);
  plan.channels = 2;
  plan.rate = kRate;
  plan.bases = {0, 4};
  Files r = Recording();
  GetParam().make(r);
  const Report report = Check(plan, o, r.files, r.text, r.log, {});
  for (int i = 0; i < static_cast<int>(report.invariants.size()); ++i)
    EXPECT_EQ(report.invariants[i].violations > 0, i == GetParam().fails) << report.Text();
}

INSTANTIATE_TEST_SUITE_P(Breaches, SoakCheck, ::testing::ValuesIn(kBreaches),
                         [](const ::testing::TestParamInfo<Breach>& info) { return info.param.name; });

}  // namespace
}  // namespace mv::soak
