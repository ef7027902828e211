// Machine facts and services: the display size, the folders the program uses,
// the random source, outside addresses, the beep and the exit hook.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

namespace mv::rt {

// Display size in pixels. MV_DISPLAY_SIZE=WIDTHxHEIGHT overrides the screen.
int DisplayWidth();
int DisplayHeight();

// Folders. Each has an environment override for tests (see the README).
std::string ResourcesDir();     // read-only: sounds, pictures, help pages
std::string ConfigDir();        // per-user configuration (created on demand)
std::string DocumentsDir();     // where quick saves go by default
std::string ApplicationDir();   // the folder that holds the executable
std::string ResourcePath(const std::string& folder, const std::string& file);
bool FileExistsAtPath(const std::string& path);

// Random source: seeded from the system at start-up, or fixed by tests.
void SeedRandomFromSystem();
void SeedRandom(uint32_t seed);
double RandomUnit();          // uniform in [0, 1)
int Rnd(int n);               // uniform integer 1..n (n >= 1), else 0

// Opens an outside address with the default application. Tests install a fake.
void OpenURL(const std::string& url);
void SetURLOpener(std::function<void(const std::string&)> opener);

void SysBeep();

// Ends the program. Registered cleanups run first (most recent first); then an
// installed exit interceptor is called (tests and the script driver throw
// ProgramExit from it); without one the process exits with the status.
[[noreturn]] void ExitProgram(int status);
void AddExitCleanup(std::function<void()> cleanup);
void SetExitInterceptor(std::function<void(int status)> interceptor);

struct ProgramExit {
  int status;
};

}  // namespace mv::rt
