#include "shell/wiring.h"

#include "acquisition/install.h"
#include "acquisition/markers.h"
#include "acquisition/view_colours.h"
#include "acquisition/screen.h"
#include "acquisition/screen_install.h"
#include "acquisition/toolbar.h"
#include "conversions/custom_windows.h"
#include "files/entry_points.h"
#include "files/prefs_file.h"
#include "files/prefs_window.h"
#include "files/color_window.h"
#include "runtime/events.h"
#include "setup/channel_dialogs.h"
#include "setup/channel_table.h"
#include "setup/conversion_windows.h"
#include "setup/entry_points.h"
#include "setup/setup_window.h"
#include "shell/commands.h"
#include "shell/kit/services.h"
#include "shell/menus.h"

namespace mv {

void InstallServices() {
  InstallMenuServices();

  // Preferences and colours.
  services::SetInitialColorValues = [] { SetInitialColorValues(); };
  services::SAVEsettings = [] { SAVEsettings(); };
  commands::SetPREFERENCES = [] { SetPREFERENCES(); };
  commands::SETCOLORS = [] { SETCOLORS(); };
  files_hooks::SetChanParams = [](int16_t oldHeight, int16_t rescale) { SetChanParams(oldHeight, rescale); };
  files_hooks::SampleRatePRECISION = [] { commands::SampleRatePRECISION(); };
  rt::SetErrorHandler([](int code) { CheckFileError(code); });

  // Recording set-up.
  commands::GetSampleINTERVAL = [](const Str255& title) { GetSampleINTERVAL(title); };
  setup_hooks::DoMENU = DoMENU;

  // Conversions: the per-channel sequence and menu 100 open the conversions
  // window; Edit's Custom Conversions opens the chooser.
  InstallConversionWindows();
  commands::DISPLAYSETUP = [] { DISPLAYSETUP(); };
  setup_hooks::MENU_100 = [] { MENU_100(); };
  setup_hooks::COLORSELECT = [] { COLORSELECT(); };
  commands::CUSTOMCON = [] { CUSTOMCON(); };

  // Recording: the toolbar reader keeps events flowing during a run; every strip
  // layout clears the scope rows.
  InstallAcquisitionServices();
  // The acquisition window, the toolbar and the note window (the toolbar's own reader
  // replaces the plain event pump installed above).
  InstallAcquisitionScreen();
  commands::DRAWSCREEN = [](int16_t start) { DRAWSCREEN(start); };
  commands::MakeAcquisitionTOOLBAR = [](int16_t flag) { MakeAcquisitionTOOLBAR(flag); };
  screen_hooks::SELECTNEXTVALVE = [] { setup_hooks::SELECTNEXTVALVE(); };
  setup_hooks::CLEARARRAY = [] { CLEARARRAY(); };
}

}  // namespace mv
