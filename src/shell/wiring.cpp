#include "shell/wiring.h"

#include <cmath>
#include <string>

#include "acquisition/entry_points.h"
#include "acquisition/install.h"
#include "acquisition/markers.h"
#include "acquisition/screen.h"
#include "acquisition/screen_install.h"
#include "acquisition/state.h"
#include "acquisition/toolbar.h"
#include "acquisition/view_colours.h"
#include "conversions/custom_windows.h"
#include "conversions/gas_options_window.h"
#include "conversions/spike_filter.h"
#include "conversions/window_hooks.h"
#include "devices/serial_port.h"
#include "files/ascii_warn.h"
#include "files/color_window.h"
#include "files/entry_points.h"
#include "files/file_info_window.h"
#include "files/prefs_file.h"
#include "files/prefs_window.h"
#include "files/save_commands.h"
#include "kit/drawing.h"
#include "kit/services.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/windows.h"
#include "setup/channel_dialogs.h"
#include "setup/channel_table.h"
#include "setup/conversion_windows.h"
#include "setup/entry_points.h"
#include "setup/rate_check_window.h"
#include "setup/setup_window.h"
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
  services::SetInitialColorValues = [] { SetInitialColorValues(); };
  services::SAVEsettings = [] { SAVEsettings(); };
  files_hooks::SetChanParams = [](int16_t oldHeight, int16_t rescale) { SetChanParams(oldHeight, rescale); };
  files_hooks::SampleRatePRECISION = [] { mv::SampleRatePRECISION(); };
  rt::SetErrorHandler([](int code) { CheckFileError(code); });

  // Recording set-up.
  setup_hooks::DoMENU = DoMENU;

  // Conversions: the per-channel sequence and menu 100 open the conversions
  // window; Edit's Custom Conversions opens the chooser; A-D's Spike Filter the
  // spike thresholds.
  InstallConversionWindows();
  // A channel's gas-exchange options: menu 120 and the conversions window's
  // "Additional Options..." open the same window.
  conversion_hooks::ConversionOptions = [](int16_t channel) { mv::ConversionOptions(channel); };
  commands::DISPLAYSETUP = [] { DISPLAYSETUP(); };
  setup_hooks::MENU_100 = [] { MENU_100(); };
  setup_hooks::COLORSELECT = [] { COLORSELECT(); };

  // Recording: the toolbar reader keeps events flowing during a run; every strip
  // layout clears the scope rows.
  InstallAcquisitionServices();
  // The acquisition window, the toolbar and the note window (the toolbar's own reader
  // replaces the plain event pump installed above).
  InstallAcquisitionScreen();
  commands::DRAWSCREEN = [](int16_t start) { DRAWSCREEN(start); };
  setup_hooks::CLEARARRAY = [] { CLEARARRAY(); };

  // Saves: the commands, the automatic saves of the recording loops, and what the
  // saves need of other windows and of the switching sequence.
  commands::SAVEFILES = [] { SAVEFILES(); };
  commands::QuickSAVE = [] { return QuickSAVE(); };
  commands::ScopeOrRepeatFileRoot = [](const Str255& kind) { ScopeOrRepeatFileRoot(kind); };
  commands::SHOWROOTFILE = [] { SHOWROOTFILE(); };
  acq_hooks::AutoTimedBACKUP = [](int16_t resetTimer) { AutoTimedBACKUP(resetTimer); };
  acq_hooks::AUTOSAVE = [] { AUTOSAVE(); };
  files_hooks::GETFILECOMMENTS = [] { GETFILECOMMENTS(); };
  files_hooks::ASCIIWARN = [] { ASCIIWARN(); };
  files_hooks::ShowOnAcquisitionScreen = [](int16_t field, const std::string& macRoman, bool failed) {
    ShowSaveStatus(field, Str255(macRoman), failed);
  };
  files_hooks::NewPeriodScreen = NextPeriodScreen;
  // A line that hangs up is said once, by sound and on the recording screen; the reads
  // go on failing (bad readings) until the port is back.
  SetSerialLossReporter([](bool lost, const std::string& path) {
    if (lost) PlaySound("AlarmBUZZ.mp3", "MVsounds");
    ShowSerialLineStatus(lost, path);
  });
  files_hooks::SELECTNEXTVALVE = [] { setup_hooks::SELECTNEXTVALVE(); };

  InstallWindows_scope();
  InstallWindows_views();
  InstallWindows_replay();
  InstallWindows_checks();
  InstallWindows_alarms();
  InstallWindows_timer();
  InstallWindows_switching();
  InstallWindows_switchwin();
  InstallWindows_datataker();
  InstallWindows_adamadc();
  InstallWindows_streaming();
  InstallWindows_adc1();
  InstallWindows_diagnostics();
  InstallWindows_fastscope();
}

}  // namespace mv
