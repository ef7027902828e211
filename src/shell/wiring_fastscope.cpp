// Installs the DataTaker fast scope block transfer into the scope loop's hooks.
#include "acquisition/fast_scope.h"
#include "acquisition/scope_loop.h"
#include "acquisition/trigger_wait.h"
#include "files/save_commands.h"
#include "shell/commands.h"
#include "shell/wiring.h"

namespace mv {

void InstallWindows_fastscope() {
  fast_scope_hooks::HIGHSPEEDIO = [] { FastScopeBlock([] { SaveSCOPE(); }); };
  fast_scope_hooks::RUNTRIGGER = [] { return RUNTRIGGER(); };
  // The block is drawn, then the keys are read as before.
  fast_scope_hooks::GETFAST = [keys = fast_scope_hooks::GETFAST] {
    DrawFastBlock();
    return keys ? keys() : int16_t{0};
  };
  commands::BurstCommandString = [] { SendBurstCommand(); };
}

}  // namespace mv
