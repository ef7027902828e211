#include "shell/wiring.h"

#include <cmath>
#include <string>

#include "acquisition/fast_scope.h"
#include "acquisition/install.h"
#include "acquisition/markers.h"
#include "acquisition/needs.h"
#include "acquisition/scope_chart_loop.h"
#include "acquisition/scope_loop.h"
#include "acquisition/screen.h"
#include "acquisition/screen_install.h"
#include "acquisition/state.h"
#include "acquisition/toolbar.h"
#include "acquisition/trigger_wait.h"
#include "acquisition/view_colours.h"
#include "control/device_outputs.h"
#include "control/needs.h"
#include "control/switching.h"
#include "conversions/custom_windows.h"
#include "conversions/gas_options_window.h"
#include "conversions/needs.h"
#include "conversions/spike_filter.h"
#include "devices/serial_port.h"
#include "devices/stream_reader.h"
#include "files/ascii_warn.h"
#include "files/color_window.h"
#include "files/file_info_window.h"
#include "files/needs.h"
#include "files/prefs_file.h"
#include "files/prefs_window.h"
#include "files/save_commands.h"
#include "files/setup_commands.h"
#include "kit/drawing.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/windows.h"
#include "setup/channel_dialogs.h"
#include "setup/channel_table.h"
#include "setup/conversion_windows.h"
#include "setup/interval_rules.h"
#include "setup/needs.h"
#include "setup/rate_check_window.h"
#include "setup/rate_decision.h"
#include "setup/setup_window.h"
#include "setup/stream_panel.h"
#include "shell/commands.h"
#include "shell/menus.h"

namespace mv {

namespace {

constexpr int16_t kAcquisitionScreen = 1;

// The acquisition screen's side of the saves: texts in its fields, and the screen
// of the next sampling period with the line above the key hints and the mark where
// the period ends.
void NextPeriodScreen() {
  DRAWSCREEN(0);
  if (!rt::WindowExists(kAcquisitionScreen)) return;
  rt::SetOutputWindow(kAcquisitionScreen);
  const int w = PrefsArray[PrefsSlot::WindowWidth];
  const Rect content = rt::WindowContentRect(kAcquisitionScreen);
  const int h = content.bottom - content.top;
  PlotCG(1.0f, 0, static_cast<int16_t>(h - 13), static_cast<int16_t>(w), static_cast<int16_t>(h - 13), 7);
  // The screen draws the period's end mark itself.
  rt::FlushWindow();
}

}  // namespace

void InstallServices() {
  InstallMenuServices();

  // Preferences and colours.
  services::SAVEsettings = [] { SAVEsettings(); };
  files_hooks::SetChanParams = [](int16_t oldHeight, int16_t rescale) { SetChanParams(oldHeight, rescale); };
  files_hooks::SampleRatePRECISION = [] { SampleRatePRECISION(); };
  rt::SetErrorHandler([](int code) { CheckFileError(code); });

  // Recording set-up.
  setup_hooks::DoMENU = DoMENU;

  // Conversions: the per-channel sequence and menu 100 open the conversions
  // window; Edit's Custom Conversions opens the chooser; A-D's Spike Filter the
  // spike thresholds.
  InstallConversionWindows();
  // A channel's gas-exchange options: menu 120 and the conversions window's
  // "Additional Options..." open the same window.
  commands::DISPLAYSETUP = [] { DISPLAYSETUP(); };
  setup_hooks::MENU_100 = [] { MENU_100(); };

  // Recording: the toolbar reader keeps events flowing during a run; every strip
  // layout clears the scope rows.
  InstallAcquisitionServices();
  // The acquisition window, the toolbar and the note window (the toolbar's own reader
  // replaces the plain event pump installed above).
  InstallAcquisitionScreen();
  commands::DRAWSCREEN = [](int16_t start) { DRAWSCREEN(start); };

  // Saves: the commands, the automatic saves of the recording loops, and what the
  // saves need of other windows and of the switching sequence.
  commands::SAVEFILES = [] { SAVEFILES(); };
  commands::QuickSAVE = [] { return QuickSAVE(); };
  commands::ScopeOrRepeatFileRoot = [](const Str255& kind) { ScopeOrRepeatFileRoot(kind); };
  commands::SHOWROOTFILE = [] { SHOWROOTFILE(); };
  files_hooks::NewPeriodScreen = NextPeriodScreen;
  // A line that hangs up is said once, by sound and on the recording screen; the reads
  // go on failing (bad readings) until the port is back.
  SetSerialLossReporter([](bool lost, const std::string& path) {
    if (lost) PlaySound("AlarmBUZZ.mp3", "MVsounds");
    ShowSerialLineStatus(lost, path);
  });

  // The recording loops the control loop starts, and what they need from the set-up
  // window and the shell: the rate check after a run, the set-up file, the streaming
  // instrument's channels, outputs off, and the fast scope's own loop and trigger.
  commands::SCOPESCANNING = [] { SCOPESCANNING(); };
  commands::SCOPEPLUSCHARTSCAN = [] { SCOPEPLUSCHARTSCAN(); };
  commands::CHECKSAMPLERATE = [](float requested, int16_t soundFlag) {
    CHECKSAMPLERATE(ChartTiming, requested, soundFlag);
  };
  commands::MAKESETUP = [] { MAKESETUP(); };
  files_hooks::SetupLoadedMaxAverage = [] { MAXAVERAGE(); };
  commands::StreamingSerialChannels = [] { StreamingSerialChannels(); };
  commands::TURNVALVESOFF = [] { TURNVALVESOFF(); };
  fast_scope_hooks::RUNTRIGGER = [] { return RUNTRIGGER(); };
  fast_scope_hooks::GETFAST = [] { return GETFAST(); };
  // The switching window's colours live in acquisition, above it.
  switch_window_hooks::COLORSELECT = [] { COLORSELECT(); };
}

}  // namespace mv
