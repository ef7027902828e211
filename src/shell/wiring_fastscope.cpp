// Installs the DataTaker fast scope block transfer into the scope loop's hooks.
#include "acquisition/fast_scope.h"
#include "acquisition/scope_loop.h"
#include "acquisition/trigger_wait.h"
#include "shell/wiring.h"

namespace mv {

void InstallWindows_fastscope() {
  fast_scope_hooks::HIGHSPEEDIO = [] { HIGHSPEEDIO(); };
  fast_scope_hooks::RUNTRIGGER = [] { return RUNTRIGGER(); };
  fast_scope_hooks::GETFAST = [] { return GETFAST(); };
}

}  // namespace mv
