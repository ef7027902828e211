// acq-bench: a recording loop in demonstration mode on the real clock, with the
// acquisition window offscreen as the screen builds it (readouts on), and the figures
// of its schedule.
//
//   acq-bench [--mode chart|scope|scope+chart] --channels N --interval SECONDS --samples K
//             [--chart-interval SECONDS] [--no-window] [--shot FILE.png] [--trace FILE]
//   acq-bench --replay [--channels N --samples K]
//
// --mode chart (the default) times the chart loop's samples; --mode scope the scope
// loop's points (K + 1 of them, at the interval, in sweeps of 1,000 points);
// --mode scope+chart the chart points of the scope-plus-chart loop (channel 1 as the
// scope at --interval, channels 2 to N, at most 5 in all, as chart strips at
// --chart-interval, default 0.1 s), and its scope points in the scope_ lines. Each
// mode prints the same lines. The program's services are installed as it installs
// them, so the window is the program's.
//
// --trace writes one line per sample timed: its number, due time in seconds and
// lateness in milliseconds (to find what made which samples late).
//
// --replay fills the sample store with K samples of N channels (default 16 x 2,000,000)
// and times one full redraw of the replay window during a recording: replay_ms, with
// store_mb and summary_mb, the memory of the values and of the summaries within it.
//
// K is the run's length (MaxSamples); an unstopped run takes K + 1 samples, the last
// due K intervals after the first. Prints `name: value` lines:
//   lateness_mean_ms, lateness_p99_ms, lateness_max_ms  how late samples were taken
//   drift_ms      the last sample's time against first due time + K x interval
//   max_burst     the longest run of samples taken back to back while behind
//   restarts      times the schedule fell too far behind and restarted (gaps)
//   scope_points, scope_lateness_mean_ms, scope_lateness_p99_ms,
//   scope_lateness_max_ms, scope_max_burst, scope_restarts   (scope+chart only)
//   cpu_fraction  CPU seconds per wall second of the run
//   peak_rss_mb   peak resident memory; base_rss_mb before the run; store_mb the
//                 memory the sample store holds
#include <sys/resource.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "acquisition/chart_loop.h"
#include "acquisition/markers.h"
#include "acquisition/needs.h"
#include "acquisition/recording_keys.h"
#include "acquisition/replay.h"
#include "acquisition/scope_chart_loop.h"
#include "acquisition/scope_loop.h"
#include "acquisition/screen.h"
#include "acquisition/state.h"
#include "acquisition/toolbar.h"
#include "devices/state.h"
#include "files/state.h"
#include "kit/needs.h"
#include "kit/state.h"
#include "runtime/application.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "runtime/system.h"
#include "runtime/windows.h"
#include "setup/state.h"
#include "shell/reset.h"
#include "shell/wiring.h"
#include "usage.h"

namespace {

enum class Mode { Chart, Scope, ScopeChart };

struct Options {
  Mode mode = Mode::Chart;
  double chartInterval = 0.1;  // scope+chart: the chart strips' interval
  int channels = 1;
  double interval = 0.1;
  long samples = 1000;
  bool window = true;
  bool replay = false;
  std::string shot;   // the window at the run's end
  std::string trace;  // one line per sample: its number, due time and lateness
};

bool ParseOptions(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const char* next = i + 1 < argc ? argv[i + 1] : nullptr;
    if (a == "--no-window") {
      o.window = false;
    } else if (a == "--replay") {
      o.replay = true;
    } else if (next && a == "--mode") {
      const std::string m = next;
      ++i;
      if (m == "chart")
        o.mode = Mode::Chart;
      else if (m == "scope")
        o.mode = Mode::Scope;
      else if (m == "scope+chart")
        o.mode = Mode::ScopeChart;
      else
        return false;
    } else if (next && a == "--chart-interval") {
      std::from_chars(next, next + std::strlen(next), o.chartInterval), ++i;
    } else if (next && a == "--channels") {
      o.channels = std::atoi(next), ++i;
    } else if (next && a == "--interval") {
      std::from_chars(next, next + std::strlen(next), o.interval), ++i;
    } else if (next && a == "--shot") {
      o.shot = next, ++i;
    } else if (next && a == "--trace") {
      o.trace = next, ++i;
    } else if (next && a == "--samples") {
      o.samples = std::atol(next), ++i;
    } else {
      return false;
    }
  }
  const int most = o.mode == Mode::ScopeChart ? 5 : 16;
  return o.channels >= 1 && o.channels <= most && o.interval > 0 && o.chartInterval > 0 && o.samples >= 1 &&
         o.samples <= 2'000'000;
}

void Print(const char* name, double value) {
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 4);
  std::printf("%s: %.*s\n", name, static_cast<int>(r.ptr - buf), buf);
}

// One sample of the trace: its number, due time (s) and lateness (ms).
void TraceLine(std::FILE* f, long n, double due, double lateMs) {
  char buf[96];
  char* p = std::to_chars(buf, buf + 32, n).ptr;
  *p++ = ' ';
  p = std::to_chars(p, p + 30, due, std::chars_format::fixed, 6).ptr;
  *p++ = ' ';
  p = std::to_chars(p, p + 30, lateMs, std::chars_format::fixed, 3).ptr;
  *p++ = '\n';
  std::fwrite(buf, 1, static_cast<std::size_t>(p - buf), f);
}

double CpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
}

double PeakRssMb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss / 1024.0;
}

// Lateness in 10-microsecond bins up to one second, and the running figures.
struct ScheduleFigures {
  std::vector<uint64_t> bins = std::vector<uint64_t>(100'001, 0);
  double sum = 0, max = 0, lastTaken = -1, firstDue = -1, lastDue = 0, interval = 0;
  long count = 0, restarts = 0;
  int burst = 0, maxBurst = 0;

  explicit ScheduleFigures(double intervalSeconds) : interval(intervalSeconds) {}

  void Add(double due, double taken) {
    const double late = std::max(0.0, taken - due);
    if (firstDue < 0) firstDue = due;
    // A due time more than an interval after the one before: the schedule restarted.
    if (count > 0 && due - lastDue > interval * (1 + 1e-6) + 1e-9) ++restarts;
    sum += late;
    max = std::max(max, late);
    bins[std::min<std::size_t>(static_cast<std::size_t>(late * 1e5), bins.size() - 1)] += 1;
    // Back to back: this sample was already due when the one before it was taken.
    burst = lastTaken >= 0 && due <= lastTaken ? burst + 1 : 1;
    maxBurst = std::max(maxBurst, burst);
    lastTaken = taken;
    lastDue = due;
    ++count;
  }
  double Percentile(double p) const {
    const auto want = static_cast<uint64_t>(std::ceil(p * count));
    uint64_t seen = 0;
    for (std::size_t i = 0; i < bins.size(); ++i) {
      seen += bins[i];
      if (seen >= want) return (i + 1) * 1e-5;
    }
    return max;
  }
};

// Equal strips from y 47 to 690 (as the strip layout leaves them), with the readings
// of the demonstration that fit one interval.
void LayOutStrips(const Options& o) {
  using namespace mv;
  const int h = (690 - 47) / o.channels - 1;
  for (int ch = 1; ch <= o.channels; ++ch) {
    auto& r = ChannelVariables[ch];
    ChannelVariables[0][ch] = 1;
    const float bottom = static_cast<float>(47 + ch * (h + 1));
    r[ChanField::Input] = static_cast<float>(ch);
    r[ChanField::A] = 0;
    r[ChanField::B] = 1;
    r[ChanField::PlotMax] = 1;
    r[ChanField::PlotMin] = ch % 2 == 0 ? -1.0f : 0.0f;
    const double fit = ((o.interval * 1.2 / o.channels) - 0.012) / 0.014;
    r[ChanField::Averaged] = static_cast<float>(std::max(1.0, std::trunc(fit)));
    r[ChanField::StripHeight] = static_cast<float>(h);
    r[ChanField::StripBottom] = bottom;
    r[ChanField::StripTop] = bottom - static_cast<float>(h);
    r[ChanField::BottomLess2] = bottom - 2;
    r[ChanField::BottomCopy] = bottom;
  }
}

// The run's screen as a recording has it: window 1 built by the screen itself (chart
// mode, status displays and readouts on, zero lines and grids) on a 1366 x 768 display,
// and the toolbar.
void PrepareScreen(const Options& o) {
  using namespace mv;
  const int16_t w = 1024;
  PrefsArray[PrefsSlot::WindowWidth] = w;
  PrefsArray[PrefsSlot::WindowHeight] = 700;
  PrefsArray[PrefsSlot::ZeroLines] = 1;
  PrefsArray[PrefsSlot::ScaleGrid] = 1;
  RecordingMODE = o.mode == Mode::Chart   ? RecordingModeCode::Chart
                  : o.mode == Mode::Scope ? RecordingModeCode::Scope
                                          : RecordingModeCode::ScopeChart;
  if (o.mode != Mode::Chart) {
    ScopeIntervalInSeconds = o.interval;
    ScopeMax = 1000;
    ScopeViewSTEP = 1;
    scopeXfactor = static_cast<float>(w) / static_cast<float>(ScopeMax);
    sctracelength = static_cast<float>(ScopeMax * o.interval);
  }
  if (o.mode == Mode::ScopeChart) {
    ChartIntervalInSeconds = o.chartInterval;
    FirstChan = 2;
  }
  LayOutStrips(o);
  if (!o.window) {
    BottomOfPlot = static_cast<int16_t>(ChannelVariables[o.channels][ChanField::StripBottom]);
    ScreenCapacity = w + 1;
    ShowDisplays = Max_Display_Speed < 0 || Max_Display_Speed / 1e6 > ChartIntervalInSeconds ? 0 : 1;
    donefact = 100.0f / static_cast<float>(MaxSamples);
    SegmentsInProgressBar = w - 10;
    return;
  }
  SetScreenSizeOverride(1366, 768);
  NewScreen = 0;
  DRAWSCREEN(1);
  MakeAcquisitionTOOLBAR(0);
  rt::SetOutputWindow(1);
  rt::ShowWindow(1);
  // The first paint sets up the window's backing store: part of the fixed base.
  for (int i = 0; i < 3; ++i) {
    rt::PumpEvents(0);
    rt::FlushWindow();
  }
}

// One replay of the whole store as the replay key draws it during a recording.
int RunReplayBench(const Options& o) {
  using namespace mv;
  Sample = static_cast<int32_t>(o.samples);
  for (int ch = 1; ch <= o.channels; ++ch)
    for (int32_t c = 0; c < Sample; ++c)
      ChartDataArray.Set(ch, c, static_cast<float>(std::sin(c * 0.001 * ch) + 0.1 * ((c * 37) % 11)));
  ReplayAutoScaling = 1;
  const auto t0 = std::chrono::steady_clock::now();
  REPLAY(0);
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
  if (!o.shot.empty()) rt::SaveWindowImage(kReplayWindow, o.shot);
  std::printf("channels: %d\nsamples: %ld\n", o.channels, o.samples);
  Print("replay_ms", ms);
  Print("store_mb", static_cast<double>(ChartDataArray.BytesHeld()) / (1024.0 * 1024.0));
  Print("summary_mb", static_cast<double>(ChartDataArray.SummaryBytesHeld()) / (1024.0 * 1024.0));
  std::fflush(stdout);
  std::_Exit(0);
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  Options o;
  // The replay bench defaults to the longest recording of every channel.
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], "--replay") == 0) o.channels = 16, o.samples = 2'000'000;
  const bool help = mv::tools::AskedForHelp(argc, argv);
  if (help || !ParseOptions(argc, argv, o))
    return mv::tools::Usage(
        "usage: acq-bench [--mode chart|scope|scope+chart] --channels N --interval SECONDS --samples K\n"
        "                 [--chart-interval SECONDS] [--no-window] [--shot FILE.png] [--trace FILE]\n"
        "       acq-bench --replay [--channels N] [--samples K] [--shot FILE.png]\n",
        help);
  mv::rt::InitRuntime(argc, argv);
  mv::ResetProgramState();
  mv::InstallServices();
  mv::rt::SeedRandomFromSystem();

  mv::External_AD = mv::ExternalADCode::Demonstration;
  mv::DemonstrationMODE = 1;
  mv::nChannels = static_cast<int16_t>(o.channels);
  mv::FirstChan = 1;
  mv::ChartIntervalInSeconds = o.interval;
  mv::MaxSamples = static_cast<int32_t>(o.samples);
  mv::Max_Display_Speed = 0;  // status displays and readouts at every interval
  PrepareScreen(o);
  if (o.replay) return RunReplayBench(o);
  mv::ResetRunCounters();
  mv::FirstChan = o.mode == Mode::ScopeChart ? 2 : 1;

  const double interval = o.mode == Mode::ScopeChart ? o.chartInterval : o.interval;
  ScheduleFigures fig(interval), scopeFig(o.interval);
  std::FILE* trace = o.trace.empty() ? nullptr : std::fopen(o.trace.c_str(), "w");
  const auto tap = [&fig, trace](double due, double taken) {
    fig.Add(due, taken);
    if (trace) TraceLine(trace, fig.count, due, (taken - due) * 1e3);
  };
  // The scope loop has no length of its own: it is stopped after K + 1 points, as an
  // unstopped chart run of length K takes K + 1 samples.
  const auto scopeTap = [&fig, &o, trace](double due, double taken) {
    fig.Add(due, taken);
    if (trace) TraceLine(trace, fig.count, due, (taken - due) * 1e3);
    if (fig.count > o.samples) mv::EscapeKeyHit = 1;
  };
  if (o.mode == Mode::Scope)
    mv::SetScopeTimingTap(scopeTap);
  else
    mv::SetSampleTimingTap(tap);
  if (o.mode == Mode::ScopeChart)
    mv::SetScopeTimingTap([&scopeFig](double due, double taken) { scopeFig.Add(due, taken); });
  const double baseRss = PeakRssMb();
  const double cpu0 = CpuSeconds();
  const auto wall0 = std::chrono::steady_clock::now();
  mv::StartChartSchedule();
  if (o.mode == Mode::Chart)
    mv::CHARTSCANNING();
  else if (o.mode == Mode::Scope)
    mv::SCOPESCANNING();
  else
    mv::SCOPEPLUSCHARTSCAN();
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
  const double cpu = CpuSeconds() - cpu0;
  if (o.window && !o.shot.empty()) mv::rt::SaveWindowImage(1, o.shot);
  if (trace) std::fclose(trace);

  std::printf("channels: %d\n", o.channels);
  Print("interval_s", interval);
  std::printf("samples_taken: %ld\n", fig.count);
  Print("lateness_mean_ms", fig.count ? fig.sum / fig.count * 1e3 : 0);
  Print("lateness_p99_ms", fig.Percentile(0.99) * 1e3);
  Print("lateness_max_ms", fig.max * 1e3);
  Print("drift_ms", (fig.lastTaken - (fig.firstDue + static_cast<double>(o.samples) * interval)) * 1e3);
  std::printf("max_burst: %d\n", fig.maxBurst);
  std::printf("restarts: %ld\n", fig.restarts);
  if (o.mode == Mode::ScopeChart) {
    std::printf("scope_points: %ld\n", scopeFig.count);
    Print("scope_lateness_mean_ms", scopeFig.count ? scopeFig.sum / scopeFig.count * 1e3 : 0);
    Print("scope_lateness_p99_ms", scopeFig.Percentile(0.99) * 1e3);
    Print("scope_lateness_max_ms", scopeFig.max * 1e3);
    std::printf("scope_max_burst: %d\nscope_restarts: %ld\n", scopeFig.maxBurst, scopeFig.restarts);
  }
  Print("cpu_fraction", wall > 0 ? cpu / wall : 0);
  Print("peak_rss_mb", PeakRssMb());
  Print("base_rss_mb", baseRss);
  Print("store_mb", static_cast<double>(mv::ChartDataArray.BytesHeld()) / (1024.0 * 1024.0));
  Print("wall_s", wall);
  std::fflush(stdout);
  std::_Exit(0);  // no window teardown to wait for
}
