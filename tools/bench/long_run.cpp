// long-run: a demonstration chart recording of many hours on the virtual clock, with
// automatic period saves, checking that it can go on for days.
//
//   long-run [--hours H] [--channels N] [--interval SECONDS] [--period-minutes M]
//            [--dir FOLDER] [--keep]
//
// Defaults: 24 hours of 16 channels at 0.01 s, saved every 60 minutes into a fresh
// folder under the temporary directory (removed at the end unless --keep). A key
// marker goes in every 1,000 samples and one note per period, as a user would type
// them. Every period file is decoded with the dump tool. Prints `name: value` lines:
//   periods, samples_per_period   what was recorded
//   files_ok                      period files whose count, samples and markers are right
//   max_markers, notes            the marker table's fullest and the notes at the end
//   rss_first_period_mb, rss_last_period_mb, peak_rss_mb   resident memory (VmRSS after
//                                 the first and last period, VmHWM at the end)
//   store_mb                      the memory the sample store holds
//   wall_s                        wall time of the recording and the decoding
// Exits 1 if any file is wrong or a table overflowed.
#include <sys/resource.h>

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "acquisition/chart_loop.h"
#include "acquisition/markers.h"
#include "acquisition/needs.h"
#include "acquisition/state.h"
#include "control/state.h"
#include "devices/needs.h"
#include "devices/state.h"
#include "files/needs.h"
#include "files/save_commands.h"
#include "files/state.h"
#include "kit/needs.h"
#include "kit/state.h"
#include "runtime/application.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "runtime/sound.h"
#include "setup/state.h"
#include "shell/reset.h"
#include "shell/wiring.h"
#include "usage.h"

namespace {

namespace fs = std::filesystem;

struct Options {
  double hours = 24;
  int channels = 16;
  double interval = 0.01;
  double periodMinutes = 60;
  std::string dir;
  bool keep = false;
};

// Reads the options; the reason they cannot be run, or empty.
std::string ParseOptions(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const char* next = i + 1 < argc ? argv[i + 1] : nullptr;
    const auto number = [&](double& v) {
      ++i;
      const char* end = next + std::strlen(next);
      const auto r = std::from_chars(next, end, v);
      return r.ec == std::errc{} && r.ptr == end;
    };
    double channels = 0;
    if (a == "--keep") {
      o.keep = true;
    } else if (next && a == "--dir") {
      o.dir = next, ++i;
    } else if (next && a == "--hours") {
      if (!number(o.hours)) return a + " takes a number, not \"" + next + "\"";
    } else if (next && a == "--interval") {
      if (!number(o.interval)) return a + " takes a number, not \"" + next + "\"";
    } else if (next && a == "--period-minutes") {
      if (!number(o.periodMinutes)) return a + " takes a number, not \"" + next + "\"";
    } else if (next && a == "--channels") {
      if (!number(channels) || channels != std::trunc(channels))
        return a + " takes a whole number, not \"" + next + "\"";
      o.channels = static_cast<int>(channels);
    } else {
      for (const char* valued : {"--dir", "--hours", "--interval", "--period-minutes", "--channels"})
        if (a == valued) return a + " takes a value";
      return "no option " + a;
    }
  }
  if (o.channels < 1 || o.channels > 16) return "--channels is 1 to 16";
  if (!(o.interval > 0)) return "--interval must be above 0";
  if (!(o.hours > 0)) return "--hours must be above 0";
  if (!(o.periodMinutes > 0)) return "--period-minutes must be above 0";
  const double perPeriod = o.periodMinutes * 60 / o.interval;
  // The run puts a marker every 1,000 samples from sample 500 and checks each period
  // file for them: a period of fewer samples holds too few markers to check.
  if (perPeriod < 1000)
    return "a period of " + std::to_string(static_cast<long long>(perPeriod)) +
           " samples: each period needs at least 1,000 samples (--period-minutes x 60 / --interval), for the "
           "markers the run puts every 1,000 samples and checks in each period file";
  if (perPeriod > 2'000'000)
    return "a period of more than 2,000,000 samples: the program stores at most that many a period";
  if (o.hours * 60 < o.periodMinutes) return "--hours must hold at least one period (--period-minutes)";
  return "";
}

// A line of /proc/self/status in megabytes; 0 where it cannot be read.
double StatusMb(const char* key) {
  std::ifstream in("/proc/self/status");
  for (std::string line; std::getline(in, line);) {
    if (line.rfind(key, 0) != 0) continue;
    long kb = 0;
    for (char c : line)
      if (c >= '0' && c <= '9') kb = kb * 10 + (c - '0');
    return kb / 1024.0;
  }
  return 0;
}

void Print(const char* name, double value) {
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 2);
  std::printf("%s: %.*s\n", name, static_cast<int>(r.ptr - buf), buf);
}

// The whole number after `label` in the dump tool's output, or -1.
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

std::string Dump(const fs::path& file) {
  const std::string command = std::string("\"") + MV_MVDUMP_EXE + "\" \"" + file.string() + "\" 2>&1";
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return {};
  char buffer[4096];
  while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
  return pclose(pipe) == 0 ? out : std::string();
}

// Linear channels of one reading each, in strips of 40 pixels.
void SetChannels(int n) {
  using namespace mv;
  nChannels = static_cast<int16_t>(n);
  for (int ch = 1; ch <= n; ++ch) {
    auto& r = ChannelVariables[ch];
    ChannelVariables[0][ch] = 1;
    r[ChanField::Input] = static_cast<float>(ch);
    r[ChanField::A] = 0;
    r[ChanField::B] = 1;
    r[ChanField::PlotMax] = 1;
    r[ChanField::PlotMin] = 0;
    r[ChanField::Averaged] = 1;
    r[ChanField::StripHeight] = 40;
    r[ChanField::StripBottom] = static_cast<float>(50 + 41 * ch);
  }
}

void PrepareRecording(const Options& o, int32_t perPeriod) {
  using namespace mv;
  rt::UseVirtualClock(true);
  rt::SetVirtualMicroseconds(1'000'000);
  rt::SetSoundSink([](const std::string&) {});
  // On top of what the program installs (main), the screen's own work is left out: the
  // run measures the recording, its files and its memory, not the drawing.
  for (auto* hook : {&acq_hooks::ScreenINFO, &acq_hooks::HandleAlertSounds, &acq_hooks::checkAOscript,
                     &acq_hooks::checkFEEDBACKLoop, &acq_hooks::PumpAOvolts, &acq_hooks::FirstMarkerCheck,
                     &acq_hooks::Q_Key_check, &acq_hooks::X_Key_check, &acq_hooks::PlotNewestXYPoint})
    *hook = [] {};
  acq_hooks::REDRAWSCREEN = [] {
    NscrnCASEs = 0;
    LastNsCasx = 0;
  };
  files_hooks::ShowOnAcquisitionScreen = [](int16_t, const std::string&, bool) {};
  // The next period's screen is not drawn either: with a window to draw on, every
  // sample of the day would be drawn, and the run would time the drawing.
  files_hooks::NewPeriodScreen = [] {};
  External_AD = ExternalADCode::Demonstration;
  DemonstrationMODE = 1;
  RecordingMODE = RecordingModeCode::Chart;
  SetChannels(o.channels);
  ChartIntervalInSeconds = o.interval;
  ChartSampleInterval = static_cast<float>(o.interval);
  MaxSamples = perPeriod;
  RefOnTime = RefOffTime = CycleTime = kNeverTick;
  PrefsArray[PrefsSlot::WindowWidth] = 800;
  PrefsArray[PrefsSlot::Autorepeat] = 1;
  PrefsArray[PrefsSlot::AddExtensions] = 1;
  ScreenCapacity = 801;
  ShowDisplays = 1;
  donefact = 100.0f / static_cast<float>(MaxSamples);
  FirstChan = 1;
  BottomOfPlot = 400;
  ScopeFileCFURL = (fs::path(o.dir) / "day 1.kstr").string();
  filestrings.rootName = Str255("day");
  ResetRunCounters();
  StartChartSchedule();
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  Options o;
  const bool help = mv::tools::AskedForHelp(argc, argv);
  const std::string refused = help ? std::string() : ParseOptions(argc, argv, o);
  if (!refused.empty()) std::fprintf(stderr, "long-run: %s\n", refused.c_str());
  if (help || !refused.empty())
    return mv::tools::Usage(
        "usage: long-run [--hours H] [--channels N] [--interval SECONDS] [--period-minutes M]\n"
        "                [--dir FOLDER] [--keep]\n",
        help);
  if (o.dir.empty()) o.dir = (fs::temp_directory_path() / ("long-run-" + std::to_string(getpid()))).string();
  fs::create_directories(o.dir);
  setenv("MV_DOCUMENTS_DIR", o.dir.c_str(), 1);
  mv::rt::InitRuntime(argc, argv);
  mv::ResetProgramState();
  mv::services::ResetServices();
  mv::InstallServices();
  const auto perPeriod = static_cast<int32_t>(o.periodMinutes * 60 / o.interval + 0.5);
  const auto periods = static_cast<int>(o.hours * 60 / o.periodMinutes + 0.5);
  PrepareRecording(o, perPeriod);

  constexpr int kMarkerEvery = 1000;
  // The loop looks at the keys once per tick, which may pass several samples: each
  // marker goes in at the first look at or after its sample.
  int32_t nextMarker = kMarkerEvery / 2, last = -1;
  bool noted = false;
  mv::services::ReadControlStrip = [&] {
    using namespace mv;
    if (Sample < last) nextMarker = kMarkerEvery / 2, noted = false;  // a new period
    last = Sample;
    if (Sample >= nextMarker && Sample < perPeriod) {
      InsertMarker(7, 'A', kKeyMarkerTop);
      nextMarker += kMarkerEvery;
    }
    if (!noted && Sample >= perPeriod / 2) noted = AddNote(Sample, Str255("12:00:00"), "period note");
  };
  int saved = 0, maxMarkers = 0;
  double rssFirst = 0, rssLast = 0;
  mv::acq_hooks::AUTOSAVE = [&] {
    maxMarkers = std::max<int>(maxMarkers, mv::Nmarkers);
    mv::AUTOSAVE();
    (saved == 0 ? rssFirst : rssLast) = StatusMb("VmRSS:");
    if (++saved == periods) mv::rt::SetKeyDown(mv::rt::key::Escape, true);
  };
  const auto wall0 = std::chrono::steady_clock::now();
  mv::CHARTSCANNING();

  const long wantMarkers = (perPeriod - kMarkerEvery / 2 + kMarkerEvery - 1) / kMarkerEvery;
  int filesOk = 0;
  for (int n = 1; n <= saved; ++n) {
    const std::string dump = Dump(fs::path(o.dir) / ("day " + std::to_string(n) + ".kstr"));
    const bool ok = DumpedNumber(dump, "count:") == perPeriod - 1 &&
                    DumpedNumber(dump, "samples of channel block 1 (") == perPeriod &&
                    DumpedNumber(dump, "markers:") == wantMarkers;
    if (ok)
      ++filesOk;
    else
      std::fprintf(stderr, "day %d.kstr is wrong:\n%.600s\n", n, dump.c_str());
  }
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();

  std::printf("periods: %d\nsamples_per_period: %d\nfiles_ok: %d\n", saved, perPeriod, filesOk);
  std::printf("max_markers: %d\nnotes: %d\n", maxMarkers, mv::NumberOfNotes);
  Print("rss_first_period_mb", rssFirst);
  Print("rss_last_period_mb", rssLast);
  Print("peak_rss_mb", StatusMb("VmHWM:"));
  Print("store_mb", static_cast<double>(mv::ChartDataArray.BytesHeld()) / (1024.0 * 1024.0));
  Print("wall_s", wall);
  std::fflush(stdout);
  if (!o.keep) fs::remove_all(o.dir);
  const bool good = saved == periods && filesOk == saved && maxMarkers <= mv::kMaxMarkers &&
                    mv::NumberOfNotes <= mv::kMaxNotes;
  std::_Exit(good ? 0 : 1);
}
