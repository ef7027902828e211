// Start and end of the runtime: creates the application object (fonts, style,
// platform choice) before any window opens.
#pragma once

namespace mv::rt {

// Creates the application. Safe to call more than once. argc/argv may be
// modified by the platform (it removes its own options).
void InitRuntime(int& argc, char** argv);
bool RuntimeReady();
// Closes every window and forgets every control, field, menu and handler:
// tests call it between cases.
void ResetRuntime();

}  // namespace mv::rt
