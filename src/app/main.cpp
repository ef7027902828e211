// The program's entry: create the application, then enter the main body,
// which never returns.
#include "runtime/application.h"
#include "runtime/system.h"
#include "shell/main_body.h"

int main(int argc, char** argv) {
  mv::rt::InitRuntime(argc, argv);
  // A different splash photo and different flies at every launch; tests that run
  // the main body keep the seed they set.
  mv::rt::SeedRandomFromSystem();
  mv::MainBody(argc, argv);
  return 0;
}
