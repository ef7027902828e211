#include "acquisition/needs.h"

#include "acquisition/pause_window.h"
#include "acquisition/replay.h"
#include "acquisition/state.h"
#include "acquisition/xy_plot.h"
#include "control/analog_output.h"
#include "control/audible_timer.h"
#include "control/feedback.h"
#include "control/output_scripts.h"
#include "control/switching_schedule.h"
#include "files/save_commands.h"

namespace mv::acq_hooks {

namespace {

// A redraw that keeps no points: the screen's bookkeeping only.
void CountScreenOnly() {
  NscrnCASEs = 0;
  LastNsCasx = 0;
}

void ReplayFromRecording(int16_t flag) {
  ::mv::REPLAY(flag);
}
void ServicesAtQMarker() {
  RunServicesAtEndMarker('q');
}
void ServicesAtXMarker() {
  RunServicesAtEndMarker('x');
}

}  // namespace

Hook<void()> REDRAWSCREEN{"acq_hooks::REDRAWSCREEN", CountScreenOnly};
Hook<void()> ScreenINFO{"acq_hooks::ScreenINFO"};
Hook<void()> PAUSE{"acq_hooks::PAUSE", ::mv::PAUSE};
Hook<void(int16_t)> REPLAY{"acq_hooks::REPLAY", ReplayFromRecording};
Hook<void()> ClearXYPlot{"acq_hooks::ClearXYPlot", ::mv::ClearXYPlot};
Hook<void()> PlotNewestXYPoint{"acq_hooks::PlotNewestXYPoint", ::mv::PlotNewestXYPoint};
Hook<void()> HandleAlertSounds{"acq_hooks::HandleAlertSounds", ::mv::HandleAlertSounds};
Hook<void()> checkAOscript{"acq_hooks::checkAOscript", ::mv::checkAOscript};
Hook<void()> checkFEEDBACKLoop{"acq_hooks::checkFEEDBACKLoop", ::mv::checkFEEDBACKLoop};
Hook<void()> PumpAOvolts{"acq_hooks::PumpAOvolts", ::mv::PumpAOvolts};
Hook<void()> FirstMarkerCheck{"acq_hooks::FirstMarkerCheck", RunServicesAtFirstMarker};
Hook<void()> Q_Key_check{"acq_hooks::Q_Key_check", ServicesAtQMarker};
Hook<void()> X_Key_check{"acq_hooks::X_Key_check", ServicesAtXMarker};
Hook<void(int16_t)> AutoTimedBACKUP{"acq_hooks::AutoTimedBACKUP", ::mv::AutoTimedBACKUP};
Hook<void()> AUTOSAVE{"acq_hooks::AUTOSAVE", ::mv::AUTOSAVE};

void ResetAcquisitionHooks() {
  ResetHooks("acq_hooks::");
}

}  // namespace mv::acq_hooks
