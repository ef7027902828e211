// Installs this group of recording windows into the hooks that call them.
#include "acquisition/chart_heights.h"
#include "acquisition/entry_points.h"
#include "acquisition/pause_window.h"
#include "acquisition/view_windows.h"
#include "setup/display_settings.h"
#include "setup/entry_points.h"
#include "shell/wiring.h"

namespace mv {

void InstallWindows_views() {
  // The set-up window opens the view windows (the View menu calls them directly).
  setup_hooks::SETCHARTVIEW = [] { SETCHARTVIEW(); };
  setup_hooks::SETSCOPEVIEW = [] { SETSCOPEVIEW(); };
  setup_hooks::ChangeCHARTHITE = [] { ChangeCHARTHITE(); };
  // The recording loops pause through this; it re-anchors the sample schedule itself.
  acq_hooks::PAUSE = [] { PAUSE(); };
}

}  // namespace mv
