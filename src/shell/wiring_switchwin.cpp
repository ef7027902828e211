// Installs this group of switching, output and alarm windows into their hooks.
#include "acquisition/entry_points.h"
#include "control/sequence_labels.h"
#include "control/switch_options_window.h"
#include "control/switch_window.h"
#include "control/switching.h"
#include "control/zero_link_window.h"
#include "setup/entry_points.h"
#include "shell/wiring.h"

namespace mv {

void InstallWindows_switchwin() {
  // The switching set-up window: from the Edit menu, the set-up window's device button
  // and the channel-cut window.
  setup_hooks::ExternalDeviceControl = [] { ExternalDeviceControl(); };
  // Its move to the reference state goes through the recording hook (looked up at each
  // call); the zero-link, options and colour windows are called directly.
  switch_window_hooks::SWITCHTOREFERENCE = [] { SWITCHTOREFERENCE(); };
  switch_window_hooks::EXTRAZERO = [] { EXTRAZERO(); };
  switch_window_hooks::SetSwitchOptions = [] { SetSwitchOptions(); };
  switch_window_hooks::COLORSELECT = [] { setup_hooks::COLORSELECT(); };
  // The labels of the sequential-files devices, from the set-up window (the options
  // window after a run calls them directly).
  setup_hooks::GetSequenceLabels = [] { GetSequenceLabels(); };
}

}  // namespace mv
