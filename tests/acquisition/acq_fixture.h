// The fixture of the acquisition tests: program state reset, the virtual clock, a
// demonstration recording of two channels set up as the acquisition screen would
// leave it, every hook call and sound recorded, and a script hook called once per
// tick from the loop's toolbar service so a test can press keys at given times.
#pragma once
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "acquisition/chart_loop.h"
#include "acquisition/install.h"
#include "acquisition/markers.h"
#include "acquisition/needs.h"
#include "acquisition/screen_install.h"
#include "acquisition/state.h"
#include "common/test_support.h"
#include "control/state.h"
#include "devices/needs.h"
#include "devices/state.h"
#include "files/needs.h"
#include "kit/format.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "runtime/sound.h"
#include "runtime/windows.h"
#include "setup/state.h"

namespace mv::test {

class AcqTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    acq_hooks::ResetAcquisitionHooks();
    RecordHooks();
    rt::SetSoundSink([this](const std::string& path) { sounds.push_back(test::SoundFileName(path)); });
    // The readers' sample beep is this floor's own; the strip layout is the set-up
    // floor's, so here the strips stay as the test laid them and a layout is counted.
    InstallAcquisitionServices();
    InstallSaveStatusOnScreen();
    files_hooks::SetChanParams = [this](int16_t, int16_t) { ++stripLayouts; };
    services::ReadControlStrip = [this] {
      if (script) script();
    };
    External_AD = ExternalADCode::Demonstration;
    DemonstrationMODE = 1;
    SetChannels(2);
    ChartIntervalInSeconds = 0.1;
    MaxSamples = 10;
    RefOnTime = RefOffTime = CycleTime = kNeverTick;  // no timed switch unless a test sets one
    PrefsArray[PrefsSlot::WindowWidth] = 800;
    ScreenCapacity = 801;
    ShowDisplays = 1;
    donefact = 100.0f / MaxSamples;
    FirstChan = 1;
    BottomOfPlot = 400;
    ResetRunCounters();
    StartChartSchedule();
  }

  void TearDown() override {
    SetSampleTimingTap(nullptr);
    acq_hooks::ResetAcquisitionHooks();
    files_hooks::ResetFilesHooks();
    rt::ClearKeyMap();
    ProgramTest::TearDown();
  }

  // n linear channels (a 0, b 1, range 0..1, one reading each) in strips of 100 pixels.
  void SetChannels(int16_t n) {
    nChannels = n;
    for (int ch = 1; ch <= n; ++ch) {
      auto& r = ChannelVariables[ch];
      ChannelVariables[0][ch] = 1;
      r[ChanField::Input] = static_cast<float>(ch);
      r[ChanField::A] = 0;
      r[ChanField::B] = 1;
      r[ChanField::PlotMax] = 1;
      r[ChanField::PlotMin] = 0;
      r[ChanField::Averaged] = 1;
      r[ChanField::StripHeight] = 100;
      r[ChanField::StripBottom] = static_cast<float>(50 + 101 * ch);
    }
  }

  void RecordHooks() {
    using namespace acq_hooks;
    const auto note = [this](const char* name) { return [this, name] { calls.push_back(name); }; };
    REDRAWSCREEN = [this] {
      calls.push_back("REDRAWSCREEN");
      NscrnCASEs = 0;
      LastNsCasx = 0;
    };
    ScreenINFO = note("ScreenINFO");
    acq_hooks::PAUSE = note("PAUSE");  // qualified: the real PAUSE is mv::PAUSE
    REPLAY = [this](int16_t) { calls.push_back("REPLAY"); };
    ClearXYPlot = note("ClearXYPlot");
    PlotNewestXYPoint = note("PlotNewestXYPoint");
    HandleAlertSounds = note("HandleAlertSounds");
    checkAOscript = note("checkAOscript");
    checkFEEDBACKLoop = note("checkFEEDBACKLoop");
    PumpAOvolts = note("PumpAOvolts");
    FirstMarkerCheck = note("FirstMarkerCheck");
    Q_Key_check = note("Q_Key_check");
    X_Key_check = note("X_Key_check");
    AutoTimedBACKUP = [this](int16_t f) { calls.push_back("AutoTimedBACKUP " + std::to_string(f)); };
    AUTOSAVE = note("AUTOSAVE");
  }

  int Count(const std::string& call) const {
    int n = 0;
    for (const auto& c : calls) n += c == call;
    return n;
  }
  int Played(const std::string& file) const {
    int n = 0;
    for (const auto& s : sounds) n += s == file;
    return n;
  }

  // Holds keys down (key codes) or lets them all go.
  static void Hold(std::initializer_list<int> keys) {
    rt::ClearKeyMap();
    for (int k : keys) rt::SetKeyDown(k, true);
  }
  static void ReleaseAll() { rt::ClearKeyMap(); }

  // Runs the loop, recording when each sample was due and taken.
  RunEnd Record() {
    SetSampleTimingTap([this](double due, double taken) {
      dues.push_back(due);
      taken_.push_back(taken);
    });
    return CHARTSCANNING();
  }

  // A window 1 with the status fields and readouts, standing in for the screen.
  void OpenAcquisitionWindow() {
    rt::OpenWindow(1, " Acquire Data ", Rect{0, 46, 800, 546}, 6);
    rt::FillWindow(RGBColor{0xEFEF, 0xEFEF, 0xEFEF});
    for (int16_t f : {2, 3, 4}) {
      rt::NewEditField(
          f, "",
          Rect{static_cast<int16_t>(2 + 112 * (f - 2)), 17, static_cast<int16_t>(112 + 112 * (f - 2)), 33}, 5,
          0);
    }
    for (int16_t ch = 1; ch <= nChannels; ++ch) {
      const int16_t top = static_cast<int16_t>(ChannelVariables[ch][ChanField::StripBottom] - 100);
      rt::NewEditField(static_cast<int16_t>(ch + 6), "", Rect{680, top, 790, static_cast<int16_t>(top + 16)},
                       5, 3);
      rt::NewEditField(static_cast<int16_t>(ch + 30), "",
                       Rect{680, static_cast<int16_t>(top + 20), 790, static_cast<int16_t>(top + 36)}, 5, 0);
    }
    rt::BringWindowForward(1);
  }

  std::vector<std::string> calls;
  std::vector<std::string> sounds;
  std::vector<double> dues;
  std::vector<double> taken_;
  std::function<void()> script;
  int stripLayouts = 0;  // calls of the set-up floor's strip layout
};

// The sample interval a binary chart file stores: the big-endian single after the
// marker line and the 16-bit count; -1 for a file too short to hold one.
inline float StoredChartInterval(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const std::size_t cr = bytes.find('\r');
  if (cr == std::string::npos || bytes.size() < cr + 7) return -1;
  uint32_t bits = 0;
  for (std::size_t i = cr + 3; i < cr + 7; ++i) bits = bits << 8 | static_cast<unsigned char>(bytes[i]);
  float value = 0;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

}  // namespace mv::test
