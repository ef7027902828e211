#pragma once

namespace mv {

// Installs the real entry points of every subsystem into the hooks through
// which lower subsystems reach higher ones. Called once at start-up; tests
// install only what they exercise.
void InstallServices();

// The recording windows, one group each.
void InstallWindows_scope();
void InstallWindows_views();
void InstallWindows_replay();
void InstallWindows_checks();
void InstallWindows_alarms();
void InstallWindows_timer();
void InstallWindows_switching();
void InstallWindows_switchwin();
void InstallWindows_datataker();
void InstallWindows_adamadc();
void InstallWindows_streaming();
void InstallWindows_adc1();
void InstallWindows_diagnostics();
void InstallWindows_fastscope();

}  // namespace mv
