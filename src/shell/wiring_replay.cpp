// Installs this group of recording windows into the hooks that call them.
#include "acquisition/entry_points.h"
#include "acquisition/replay.h"
#include "acquisition/screen.h"
#include "acquisition/trigger_wait.h"
#include "acquisition/xy_plot.h"
#include "setup/xy_plot_dialog.h"
#include "shell/wiring.h"

namespace mv {

void InstallWindows_replay() {
  acq_hooks::REPLAY = [](int16_t flag) { REPLAY(flag); };
  acq_hooks::ClearXYPlot = [] { ClearXYPlot(); };
  acq_hooks::RedrawXY = [] { RedrawXY(); };
  acq_hooks::PlotNewestXYPoint = [] { PlotNewestXYPoint(); };
  screen_hooks::MakeRegressionPlotWindow = [] { MakeRegressionPlotWindow(); };
  // The screen's start of a triggered run only waits; the scope loop, which reads the
  // key that ended the wait, calls RUNTRIGGER itself.
  screen_hooks::RUNTRIGGER = [] { RUNTRIGGER(); };
}

}  // namespace mv
