// The oscilloscope loop and its point taker on the virtual clock: the trace's pixel
// rule, the sweep's wrap and erase bookkeeping, the drawn positions, the keys and
// the saves of the sweep.
#include "acquisition/scope_loop.h"

#include <cstdlib>
#include <filesystem>

#include "acq_fixture.h"
#include "acquisition/recording_keys.h"
#include "files/state.h"

namespace mv::test {
namespace {

namespace fs = std::filesystem;

class ScopeLoopTest : public AcqTest {
 protected:
  void SetUp() override {
    AcqTest::SetUp();
    documents_ = MakeTempDir("scope-documents");
    setenv("MV_DOCUMENTS_DIR", documents_.c_str(), 1);
    RecordingMODE = RecordingModeCode::Scope;
    ScopeMax = 100;
    ScopeIntervalInSeconds = 0.01;
    ScopeViewSTEP = 1;
    scopeXfactor = 7.0f;
    DemonstrationMODE = 0;  // the point takes the volts the test leaves
    fast_scope_hooks::Reset();
    OpenAcquisitionWindow();
  }
  void TearDown() override {
    unsetenv("MV_DOCUMENTS_DIR");
    fs::remove_all(documents_);
    AcqTest::TearDown();
  }
  int SavedFiles() const {
    int n = 0;
    for (const auto& e : fs::directory_iterator(documents_)) n += e.is_regular_file();
    return n;
  }
  int64_t Tick() const { return rt::TickCount(); }
  fs::path documents_;
};

TEST_F(ScopeLoopTest, TraceYMapsThePlotAndStopsAtItsEdges) {
  // Channel 1: 0..1 over 100 pixels, bottom 151 - 1 = 150.
  EXPECT_FLOAT_EQ(ScopeY(0.5f, 0, 1, 150, 100), 100.0f);
  EXPECT_FLOAT_EQ(ScopeY(0.25f, 0, 1, 150, 100), 125.0f);
  EXPECT_FLOAT_EQ(ScopeY(2.0f, 0, 1, 150, 100), 35.0f) << "above the maximum: the top line y 35";
  EXPECT_FLOAT_EQ(ScopeY(-1.0f, 0, 1, 150, 100), 150.0f) << "below the minimum: the bottom";
  // Scope-plus-chart lifts the trace 12 pixels and shortens it by as many.
  EXPECT_FLOAT_EQ(ScopeY(0.5f, 0, 1, 138, 88), 94.0f);
}

TEST_F(ScopeLoopTest, ZeroPlotRangeKeepsTheTraceInsideThePlot) {
  EXPECT_FLOAT_EQ(ScopeY(1.5f, 1, 1, 150, 100), 35.0f);   // above: the top
  EXPECT_FLOAT_EQ(ScopeY(0.5f, 1, 1, 150, 100), 150.0f);  // below: the bottom
  EXPECT_FLOAT_EQ(ScopeY(1.0f, 1, 1, 150, 100), 150.0f);  // 0 / 0: the bottom
}

TEST_F(ScopeLoopTest, RulesOfTheGridAndTheRememberedKey) {
  EXPECT_EQ(GridDivisions(50, false), 2);
  EXPECT_EQ(GridDivisions(51, false), 3);
  EXPECT_EQ(GridDivisions(75, false), 3);
  EXPECT_EQ(GridDivisions(76, true), 8);
  EXPECT_EQ(RememberScopeKey(KeyWord3::Tab, 0), 9);
  EXPECT_EQ(RememberScopeKey(KeyWord3::Escape, 9), 27);
  EXPECT_EQ(RememberScopeKey(KeyWord3::Tab | KeyWord3::Escape, 0), 0) << "both together match neither";
  EXPECT_EQ(RememberScopeKey(0, 9), 9) << "a short press is remembered until the save";
}

TEST_F(ScopeLoopTest, HundredAndFirstPointWrapsToPositionOneAndTimesTheSweep) {
  const int64_t begin = Tick();
  for (int i = 1; i <= 101; ++i) {
    volts = 0.01f * static_cast<float>(i % 100);
    if (i == 101) rt::AdvanceVirtualClock(1.0);  // the sweep took 60 ticks more
    GETSCOPE();
    if (i == 1) {
      EXPECT_EQ(Bscopetics, begin);
    }
  }
  EXPECT_EQ(TotScopeSample, 101);
  EXPECT_EQ(ScSample, 1);
  EXPECT_FLOAT_EQ(scopedata[1][1], 0.01f);
  EXPECT_FLOAT_EQ(scopedata[1][100], 0.0f);
  EXPECT_EQ(Tscope, 60);
  EXPECT_EQ(LastScopeDur, 60);
  // The sweep's first segment starts at -1000; the new x is trunc(7 x (1 + 1 + 1)) + 1.
  EXPECT_FLOAT_EQ(oldscopex, 22.0f);
  // Position 1 holds the y just drawn (0.01 over 0..1: 150 - 1); row 3 lags a position.
  EXPECT_FLOAT_EQ(scopedata[2][1], 149.0f);
  EXPECT_FLOAT_EQ(scopedata[3][50], 100.0f) << "0.5 at position 50 of the first sweep";
  EXPECT_FLOAT_EQ(scopedata[3][100], 0.0f) << "row 3 lags one drawn position";
  EXPECT_NEAR(NextScopeTimeInSeconds, 101 * 0.01, 1e-9) << "one interval per point, late or not";
}

TEST_F(ScopeLoopTest, ViewStepThreeDrawsEveryThirdPositionOnly) {
  ScopeViewSTEP = 3;
  volts = 0.5f;
  for (int i = 1; i <= 7; ++i) GETSCOPE();
  for (int p : {1, 2, 4, 5, 7}) EXPECT_FLOAT_EQ(scopedata[2][p], 0.0f) << p << " was drawn";
  for (int p : {3, 6}) EXPECT_FLOAT_EQ(scopedata[2][p], 100.0f) << p;
  for (int p = 1; p <= 7; ++p) EXPECT_FLOAT_EQ(scopedata[1][p], 0.5f) << "every position is stored";
}

TEST_F(ScopeLoopTest, HeldTabSavesOneSweepPerPressAndEscapeStops) {
  const int64_t begin = Tick();
  script = [&] {
    const int64_t t = Tick() - begin;
    if (t == 10) Hold({rt::key::Tab});
    if (t == 40) ReleaseAll();  // half a second of Tab: one file
    if (t == 50) Hold({rt::key::Tab});
    if (t == 52) ReleaseAll();
    if (t == 70) Hold({rt::key::Escape});
  };
  EXPECT_EQ(SCOPESCANNING(), 0);
  EXPECT_EQ(SavedFiles(), 2);
  EXPECT_EQ(ScopeCount, 2);
  EXPECT_GT(TotScopeSample, 100) << "points kept coming between the saves";
  EXPECT_GE(Tick() - begin, 70);
  EXPECT_LE(Tick() - begin, 72);
}

TEST_F(ScopeLoopTest, SaveIconSavesAndStopIconStops) {
  const int64_t begin = Tick();
  script = [&] {
    const int64_t t = Tick() - begin;
    if (t == 5) SaveScopeIconClicked = 1;
    if (t == 20) StopIconClicked = 1;
  };
  EXPECT_EQ(SCOPESCANNING(), 0);
  EXPECT_EQ(SavedFiles(), 1);
  EXPECT_EQ(SaveScopeIconClicked, 0);
}

TEST_F(ScopeLoopTest, FastScopeWithoutItsBlockTransferStillStopsOnEscape) {
  PrefsArray[PrefsSlot::DT800FastScope] = 1;
  TempTriggrON = 1;
  TriggerSequence = 3;
  const int64_t begin = Tick();
  script = [&] {
    if (Tick() - begin == 30) Hold({rt::key::Escape});
  };
  EXPECT_EQ(SCOPESCANNING(), 0);
  EXPECT_EQ(TempTriggrON, 0) << "no trigger wait is installed: the trigger is disarmed";
  EXPECT_LE(Tick() - begin, 40);
}

// A point read that hangs (a silent interface) at 0.01 s. A stall within 50 ms is
// caught up point by point; a longer one takes none of the points it owes: the sweep
// goes on one interval after it. No point is taken more than 50 ms after its due time.
TEST_F(ScopeLoopTest, AStallTakesNoPointLaterThanFiftyMilliseconds) {
  struct Case {
    double stall;
    bool restarts;
  };
  for (const Case c : {Case{0.045, false}, Case{0.3, true}, Case{3.0, true}}) {
    SCOPED_TRACE(c.stall);
    TotScopeSample = ScSample = 0;
    std::vector<double> late;
    SetScopeTimingTap([&](double due, double taken) {
      late.push_back(taken - due);
      if (late.size() == 30) rt::AdvanceVirtualClock(c.stall);
    });
    script = [&] {
      if (late.size() >= 300) Hold({rt::key::Escape});
    };
    EXPECT_EQ(SCOPESCANNING(), 0);
    SetScopeTimingTap(nullptr);
    ReleaseAll();
    ASSERT_GE(late.size(), 300u);
    int behind = 0;
    for (double l : late) {
      EXPECT_LE(l, 0.05 + 1e-9);
      behind += l > 1e-5;
    }
    // Caught up: the points due in the stall follow it at once; restarted: none late.
    EXPECT_EQ(behind, c.restarts ? 0 : static_cast<int>(c.stall / 0.01));
  }
}

}  // namespace
}  // namespace mv::test
