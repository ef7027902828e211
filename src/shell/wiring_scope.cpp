// Installs this group of recording windows into the hooks that call them: the
// oscilloscope and scope-plus-chart recording loops.
#include "acquisition/scope_chart_loop.h"
#include "acquisition/scope_loop.h"
#include "shell/commands.h"
#include "shell/wiring.h"

namespace mv {

void InstallWindows_scope() {
  commands::SCOPESCANNING = [] { SCOPESCANNING(); };
  commands::SCOPEPLUSCHARTSCAN = [] { SCOPEPLUSCHARTSCAN(); };
}

}  // namespace mv
