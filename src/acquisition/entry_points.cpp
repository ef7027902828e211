#include "acquisition/entry_points.h"

#include "acquisition/state.h"

namespace mv::acq_hooks {

std::function<void()> REDRAWSCREEN;
std::function<void()> ScreenINFO;
std::function<void()> ShowToolbarHelpWindow;
std::function<void()> PAUSE;
std::function<void(int16_t)> REPLAY;
std::function<void()> ClearXYPlot;
std::function<void()> RedrawXY;
std::function<void()> PlotNewestXYPoint;
std::function<void()> SWITCHTOSAMPLE;
std::function<void()> SWITCHTOREFERENCE;
std::function<void()> CYCLECHANNELS;
std::function<void()> KeyboardSampleON;
std::function<void()> KeyboardReferenceON;
std::function<void(int16_t)> DIRECTSWITCH;
std::function<void()> HandleAlertSounds;
std::function<void()> checkAOscript;
std::function<void()> FirstMarkerCheck;
std::function<void()> Q_Key_check;
std::function<void()> X_Key_check;
std::function<void(int16_t)> AutoTimedBACKUP;
std::function<void()> AUTOSAVE;

void ResetAcquisitionHooks() {
  const auto nothing = [] {};
  REDRAWSCREEN = [] {
    NscrnCASEs = 0;
    LastNsCasx = 0;
  };
  ScreenINFO = nothing;
  ShowToolbarHelpWindow = nothing;
  PAUSE = nothing;
  REPLAY = [](int16_t) {};
  ClearXYPlot = nothing;
  RedrawXY = nothing;
  PlotNewestXYPoint = nothing;
  SWITCHTOSAMPLE = nothing;
  SWITCHTOREFERENCE = nothing;
  CYCLECHANNELS = nothing;
  KeyboardSampleON = nothing;
  KeyboardReferenceON = nothing;
  DIRECTSWITCH = [](int16_t) {};
  HandleAlertSounds = nothing;
  checkAOscript = nothing;
  FirstMarkerCheck = nothing;
  Q_Key_check = nothing;
  X_Key_check = nothing;
  AutoTimedBACKUP = [](int16_t) {};
  AUTOSAVE = nothing;
}

namespace {
struct Init {
  Init() { ResetAcquisitionHooks(); }
} init;
}  // namespace

}  // namespace mv::acq_hooks
