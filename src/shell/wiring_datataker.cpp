// Installs this group's windows and readers into the hooks that call them.
#include "devices/datataker_inputs_window.h"
#include "devices/datataker_reader.h"
#include "devices/dt800_mode_window.h"
#include "kit/services.h"
#include "setup/entry_points.h"
#include "shell/wiring.h"

namespace mv {

void InstallWindows_datataker() {
  services::ReadDataTaker500 = ReadDataTaker500;
  services::ReadDataTaker800 = ReadDataTaker800;
  setup_hooks::DATATAKERSTATUS = DATATAKERSTATUS;
  setup_hooks::SwitchDT800ToHIGHSpeed = SwitchDT800ToHIGHSpeed;
  setup_hooks::SwitchDT800ToLOWSpeed = SwitchDT800ToLOWSpeed;
}

}  // namespace mv
