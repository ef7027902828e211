#pragma once

namespace mv {

// Installs the real entry points of every subsystem into the hooks through
// which lower subsystems reach higher ones. Called once at start-up; tests
// install only what they exercise.
void InstallServices();

}  // namespace mv
