// Stand-ins for what the readers' waits on the line call above this floor: the
// recording's toolbar reader and note window, and the end of the per-sample beep. The
// device tests run the readers alone, so the stand-ins only count the calls.
#pragma once

#include "devices/needs.h"

namespace mv::test {

struct AcquisitionStandIns {
  int toolbarPasses = 0, notePasses = 0, beepStops = 0;

  void Install() {
    services::ReadControlStrip = [this] { ++toolbarPasses; };
    services::HandleNotes = [this] { ++notePasses; };
    services::StopSampleBeep = [this] { ++beepStops; };
  }
};

}  // namespace mv::test
