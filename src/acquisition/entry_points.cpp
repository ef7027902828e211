#include "acquisition/entry_points.h"

#include "acquisition/state.h"

namespace mv::acq_hooks {

namespace {

// A redraw that keeps no points: the screen's bookkeeping only.
void CountScreenOnly() {
  NscrnCASEs = 0;
  LastNsCasx = 0;
}

}  // namespace

Hook<void()> REDRAWSCREEN{"acq_hooks::REDRAWSCREEN", CountScreenOnly};
Hook<void()> ScreenINFO{"acq_hooks::ScreenINFO"};
Hook<void()> ShowToolbarHelpWindow{"acq_hooks::ShowToolbarHelpWindow"};
Hook<void()> PAUSE{"acq_hooks::PAUSE"};
Hook<void(int16_t)> REPLAY{"acq_hooks::REPLAY"};
Hook<void()> ClearXYPlot{"acq_hooks::ClearXYPlot"};
Hook<void()> RedrawXY{"acq_hooks::RedrawXY"};
Hook<void()> PlotNewestXYPoint{"acq_hooks::PlotNewestXYPoint"};
Hook<void()> HandleAlertSounds{"acq_hooks::HandleAlertSounds"};
Hook<void()> checkAOscript{"acq_hooks::checkAOscript"};
Hook<void()> checkFEEDBACKLoop{"acq_hooks::checkFEEDBACKLoop"};
Hook<void()> PumpAOvolts{"acq_hooks::PumpAOvolts"};
Hook<void()> FirstMarkerCheck{"acq_hooks::FirstMarkerCheck"};
Hook<void()> Q_Key_check{"acq_hooks::Q_Key_check"};
Hook<void()> X_Key_check{"acq_hooks::X_Key_check"};
Hook<void(int16_t)> AutoTimedBACKUP{"acq_hooks::AutoTimedBACKUP"};
Hook<void()> AUTOSAVE{"acq_hooks::AUTOSAVE"};

void ResetAcquisitionHooks() {
  ResetHooks("acq_hooks::");
}

}  // namespace mv::acq_hooks
