// Installs this group of recording windows into the hooks that call them.
#include "acquisition/chart_heights.h"
#include "acquisition/needs.h"
#include "acquisition/pause_window.h"
#include "acquisition/view_windows.h"
#include "setup/display_settings.h"
#include "setup/needs.h"
#include "shell/commands.h"
#include "shell/wiring.h"

namespace mv {

void InstallWindows_views() {
  // The View menu and the set-up window both open the view windows.
  commands::SETCHARTVIEW = [] { SETCHARTVIEW(); };
  commands::SETSCOPEVIEW = [] { SETSCOPEVIEW(); };
  commands::ChangeCHARTHITE = [] { ChangeCHARTHITE(); };
  // The View menu's display settings.
  commands::SETSLOPETREND = [] { SETSLOPETREND(); };
  commands::ChartWindowSize = [] { ChartWindowSize(); };
  commands::STATUS_DISPLAYS = [] { STATUS_DISPLAYS(); };
}

}  // namespace mv
