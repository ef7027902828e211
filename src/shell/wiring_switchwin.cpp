// Installs this group of switching, output and alarm windows into their hooks.
#include "acquisition/view_colours.h"
#include "control/needs.h"
#include "control/sequence_labels.h"
#include "shell/commands.h"
#include "shell/wiring.h"

namespace mv {

void InstallWindows_switchwin() {
  // The switching window's colours live in acquisition, above it.
  switch_window_hooks::COLORSELECT = [] { COLORSELECT(); };
  // The labels of the sequential-files devices: from the options window after a run.
  commands::GetSequenceLabels = [] { GetSequenceLabels(); };
}

}  // namespace mv
