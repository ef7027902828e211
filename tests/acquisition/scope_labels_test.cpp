// The scope's time labels against the trace as drawn: in the oscilloscope, the fast
// scope and scope-plus-chart, with sweeps of 750 and 1,500 points on an 800-pixel
// display, each label names the time of the point drawn where it stands; and the fast
// scope's window is no wider than the display.
#include <charconv>
#include <cmath>
#include <map>
#include <string>

#include "acq_fixture.h"
#include "acquisition/fast_scope.h"
#include "acquisition/scope_loop.h"
#include "acquisition/screen.h"
#include "acquisition/ticks.h"
#include "files/state.h"
#include "kit/drawing.h"

namespace mv::test {
namespace {

enum class Trace { RealTime, Fast, ScopeChart };
struct Case {
  Trace trace;
  int32_t points;
};

std::string Name(const Case& c) {
  const char* t = c.trace == Trace::RealTime ? "Oscilloscope"
                  : c.trace == Trace::Fast   ? "FastScope"
                                             : "ScopeChart";
  return std::string(t) + std::to_string(c.points);
}

class ScopeLabels : public AcqTest, public ::testing::WithParamInterface<Case> {
 protected:
  void SetUp() override {
    AcqTest::SetUp();
    SetScreenSizeOverride(800, 600);
    const Case c = GetParam();
    RecordingMODE = c.trace == Trace::ScopeChart ? RecordingModeCode::ScopeChart : RecordingModeCode::Scope;
    PrefsArray[PrefsSlot::DT800FastScope] = c.trace == Trace::Fast ? 1 : 0;
    DemonstrationMODE = c.trace == Trace::Fast ? 0 : 1;  // the fast trace is the logger's block
    PrefsArray[PrefsSlot::WindowWidth] = 800;
    PrefsArray[PrefsSlot::WindowHeight] = 560;
    Max_Display_Speed = 0;
    NewScreen = 0;
    ScopeMax = c.points;
    ScopeIntervalInSeconds = 0.004;  // a 3 s sweep of 750 points
    scopeinterval = 0.004f;
    ScopeViewSTEP = 1;
    scopeXfactor = 800.0f / static_cast<float>(c.points);  // as the scope view sets it
    const int16_t n = c.trace == Trace::ScopeChart ? 3 : 1;
    SetChannels(n);
    FirstChan = n > 1 ? 2 : 1;
    const int h = (530 - 47) / n - 1;
    for (int ch = 1; ch <= n; ++ch) {
      auto& r = ChannelVariables[ch];
      r[ChanField::StripHeight] = static_cast<float>(h);
      r[ChanField::StripBottom] = static_cast<float>(47 + ch * (h + 1));
      r[ChanField::PlotMax] = 2.0f;
    }
  }
  void TearDown() override {
    SetScreenSizeOverride(0, 0);
    if (rt::WindowExists(1)) rt::CloseWindow(1);
    AcqTest::TearDown();
  }

  // Draws one whole sweep with the recording's own code; the x of each point drawn.
  std::map<int32_t, double> DrawSweep() {
    std::map<int32_t, double> xs;
    if (GetParam().trace == Trace::Fast) {
      for (int32_t i = 1; i <= ScopeMax; ++i) scopedata[1][i] = 1.0f + 0.5f * std::sin(i * 0.05f);
      FastScopeCount = 1;
      GETFAST();
      for (int32_t i = 1; i <= ScopeMax; ++i) xs[i] = QuartzPointsArray[i].x;
      return xs;
    }
    for (int32_t i = 0; i < ScopeMax; ++i) {
      CurrentTimeInSeconds = GetCurrentTimeInSeconds();
      GETSCOPE();
      xs[ScSample] = oldscopex;
    }
    return xs;
  }
};

TEST_P(ScopeLabels, EachLabelNamesTheTimeOfThePointDrawnWhereItStands) {
  const Case c = GetParam();
  DRAWSCREEN(1);
  const Rect window = rt::WindowContentRect(1);
  EXPECT_LE(window.right - window.left, 800) << "no wider than the display";
  const std::map<int32_t, double> xs = DrawSweep();
  rt::SaveWindowImage(1, (TestOutputDir() / ("w1-scope-labels-" + Name(c) + ".png")).string());

  const std::vector<ScopeTimeLabel> labels = ScopeTimeLabels();
  ASSERT_GE(labels.size(), 3u);
  const double perPoint = c.trace == Trace::Fast ? std::min(1.0, 800.0 / c.points) : 800.0 / c.points;
  for (const ScopeTimeLabel& l : labels) {
    std::string text = l.text.str();
    text.erase(0, text.find_first_not_of(' '));
    double named = -1;
    ASSERT_EQ(std::from_chars(text.data(), text.data() + text.size(), named).ec, std::errc()) << text;
    // The point drawn nearest the label, and its time from the sweep's first point.
    int32_t nearest = 0;
    for (const auto& [p, x] : xs)
      if (nearest == 0 || std::fabs(x - l.x) < std::fabs(xs.at(nearest) - l.x)) nearest = p;
    EXPECT_LE(std::fabs(xs.at(nearest) - l.x), 1.0)
        << "a point is drawn where the label " << text << " stands";
    const double time = (nearest - 1) * ScopeIntervalInSeconds;
    EXPECT_NEAR(named, time, ScopeIntervalInSeconds * (1 + 1 / perPoint)) << "label at x " << l.x;
  }
  EXPECT_STREQ(labels.front().unit, " sec");
}

INSTANTIATE_TEST_SUITE_P(Traces, ScopeLabels,
                         ::testing::Values(Case{Trace::RealTime, 750}, Case{Trace::RealTime, 1500},
                                           Case{Trace::Fast, 750}, Case{Trace::Fast, 1500},
                                           Case{Trace::ScopeChart, 750}, Case{Trace::ScopeChart, 1500}),
                         [](const auto& info) { return Name(info.param); });

}  // namespace
}  // namespace mv::test
