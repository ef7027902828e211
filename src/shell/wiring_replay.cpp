// Installs this group of recording windows into the hooks that call them.
#include "setup/xy_plot_dialog.h"
#include "shell/commands.h"
#include "shell/wiring.h"

namespace mv {

void InstallWindows_replay() {
  commands::XYPlotSetup = [] { XYPlotSetup(); };
}

}  // namespace mv
