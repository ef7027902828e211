// screen-bench: what drawing the acquisition window costs, offscreen.
//
//   screen-bench [--channels N] [--width W] [--repeats R] [--shot FILE.png]
//
// The window is built by the screen itself (chart mode, status displays and readouts
// on, zero lines and scale grids on) on a 1366 x 768 display. Prints `name: value`:
//   drawscreen_ms             building and drawing the whole window (a run's start)
//   segment_us_per_channel    one trace segment (the line alone)
//   sample_us_per_channel     one channel of one sample as the sample taker handles
//                             it after the reading: convert, alarms, readout text,
//                             segment and store
//   paint_ms                  showing the canvas after a sample (the window repaints)
//   redraw_scroll_ms          a new screen that keeps a third (scroll and redraw)
//   redraw_clear_ms           a new screen that keeps nothing
//   redraw_paint_ms           showing the canvas after a new screen
#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include "acquisition/channel_pipeline.h"
#include "acquisition/markers.h"
#include "acquisition/needs.h"
#include "acquisition/screen.h"
#include "acquisition/state.h"
#include "devices/state.h"
#include "files/state.h"
#include "kit/drawing.h"
#include "kit/needs.h"
#include "kit/state.h"
#include "runtime/application.h"
#include "runtime/events.h"
#include "runtime/windows.h"
#include "setup/state.h"
#include "shell/reset.h"
#include "shell/wiring.h"
#include "usage.h"

namespace {

struct Options {
  int channels = 16;
  int width = 1024;
  int repeats = 20;
  std::string shot;  // the window after the last new screen
};

bool ParseOptions(int argc, char** argv, Options& o) {
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string a = argv[i];
    const int v = std::atoi(argv[i + 1]);
    if (a == "--shot")
      o.shot = argv[i + 1];
    else if (a == "--channels")
      o.channels = v;
    else if (a == "--width")
      o.width = v;
    else if (a == "--repeats")
      o.repeats = v;
    else
      return false;
  }
  return argc % 2 == 1 && o.channels >= 1 && o.channels <= 16 && o.width >= 400 && o.width <= 1300 &&
         o.repeats >= 1;
}

void Print(const char* name, double value) {
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 4);
  std::printf("%s: %.*s\n", name, static_cast<int>(r.ptr - buf), buf);
}

// Seconds taken by f.
double Time(const std::function<void()>& f) {
  const auto t0 = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// Equal strips from y 47 to 690, as the strip layout leaves them.
void LayOutStrips(int n) {
  using namespace mv;
  nChannels = static_cast<int16_t>(n);
  const int h = (690 - 47) / n - 1;
  for (int ch = 1; ch <= n; ++ch) {
    auto& r = ChannelVariables[ch];
    ChannelVariables[0][ch] = 1;
    const float bottom = static_cast<float>(47 + ch * (h + 1));
    r[ChanField::Input] = static_cast<float>(ch);
    r[ChanField::A] = 0;
    r[ChanField::B] = 1;
    r[ChanField::PlotMax] = 1;
    r[ChanField::PlotMin] = ch % 2 == 0 ? -1.0f : 0.0f;
    r[ChanField::Averaged] = 1;
    r[ChanField::StripHeight] = static_cast<float>(h);
    r[ChanField::StripBottom] = bottom;
    r[ChanField::StripTop] = bottom - static_cast<float>(h);
    r[ChanField::BottomLess2] = bottom - 2;
    r[ChanField::BottomCopy] = bottom;
  }
}

void Pump() {
  mv::rt::FlushWindow();
  for (int i = 0; i < 5 && mv::rt::EventsPending(); ++i) mv::rt::PumpEvents(0);
}

float Reading(int ch, int32_t sample) {
  return 0.5f + 0.45f * static_cast<float>(std::sin(0.02 * sample + ch));
}

// Samples through the channel pipeline until the screen is full; adds the seconds
// spent and the samples taken.
void FillScreen(double& spent, long& taken) {
  using namespace mv;
  while (NscrnCASEs < ScreenCapacity) {
    NscrnCASEs += 1;
    const int16_t x = PresentChartX();
    spent += Time([&] {
      for (int16_t ch = 1; ch <= nChannels; ++ch) RunChannelPipeline(ch, Reading(ch, Sample), false, x, kChartStyle);
    });
    Sample += 1;
    LastNsCasx = x;
    ++taken;
  }
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  Options o;
  const bool help = mv::tools::AskedForHelp(argc, argv);
  if (help || !ParseOptions(argc, argv, o))
    return mv::tools::Usage("usage: screen-bench [--channels N] [--width W] [--repeats R] [--shot FILE.png]\n", help);
  using namespace mv;
  rt::InitRuntime(argc, argv);
  ResetProgramState();
  services::ResetServices();
  acq_hooks::ResetAcquisitionHooks();
  // Every hook the program installs, so that the screen is drawn as in a recording
  // (a channel's strip asks the set-up floor for its parameters, for one).
  InstallServices();
  SetScreenSizeOverride(1366, 768);
  External_AD = ExternalADCode::Demonstration;
  DemonstrationMODE = 1;
  RecordingMODE = RecordingModeCode::Chart;
  PrefsArray[PrefsSlot::WindowWidth] = static_cast<int16_t>(o.width);
  PrefsArray[PrefsSlot::WindowHeight] = 700;
  PrefsArray[PrefsSlot::ZeroLines] = 1;
  PrefsArray[PrefsSlot::ScaleGrid] = 1;
  Max_Display_Speed = 0;
  ChartIntervalInSeconds = 0.1;
  MaxSamples = 2'000'000;
  LayOutStrips(o.channels);

  double drawscreen = 0;
  for (int r = 0; r < o.repeats; ++r) {
    NewScreen = 0;
    drawscreen += Time([] { DRAWSCREEN(1); });
  }
  rt::ShowWindow(1);
  Pump();
  ResetRunCounters();
  FirstChan = 1;

  // The line alone, over one screen per channel.
  rt::SetOutputWindow(1);
  const int16_t bottom = static_cast<int16_t>(ChannelVariables[1][ChanField::StripBottom] - 2);
  const double segments = Time([&] {
    for (int16_t ch = 1; ch <= o.channels; ++ch)
      for (int x = 1; x < o.width; ++x)
        PlotCGrgb(1.0f, static_cast<int16_t>(x - 1), static_cast<int16_t>(bottom - (x * 7 + ch) % 40),
                  static_cast<int16_t>(x), static_cast<int16_t>(bottom - ((x + 1) * 7 + ch) % 40),
                  ChartDataColor);
  });

  double samples = 0, paint = 0, scroll = 0, clear = 0, redrawPaint = 0;
  long taken = 0;
  for (int r = 0; r < o.repeats; ++r) {
    FillScreen(samples, taken);
    paint += Time(Pump);
    PrefsArray[PrefsSlot::ChartRedrawOption] = static_cast<int16_t>(r % 2 == 0 ? 2 : 0);
    const double t = Time([] { REDRAWSCREEN(); });
    (r % 2 == 0 ? scroll : clear) += t;
    redrawPaint += Time(Pump);
  }
  if (!o.shot.empty()) rt::SaveWindowImage(1, o.shot);
  const double perChannelSample = static_cast<double>(o.channels) * static_cast<double>(taken);
  const int scrolls = (o.repeats + 1) / 2, clears = o.repeats / 2;

  std::printf("channels: %d\n", o.channels);
  std::printf("width: %d\n", o.width);
  Print("drawscreen_ms", drawscreen / o.repeats * 1e3);
  Print("segment_us_per_channel", segments / (static_cast<double>(o.channels) * (o.width - 1)) * 1e6);
  Print("sample_us_per_channel", samples / perChannelSample * 1e6);
  Print("paint_ms", paint / o.repeats * 1e3);
  Print("redraw_scroll_ms", scroll / scrolls * 1e3);
  Print("redraw_clear_ms", clears > 0 ? clear / clears * 1e3 : 0);
  Print("redraw_paint_ms", redrawPaint / o.repeats * 1e3);
  std::fflush(stdout);
  std::_Exit(0);  // no window teardown to wait for
}
