// The program's entry: create the application, then enter the main body,
// which never returns.
#include "runtime/application.h"
#include "shell/main_body.h"

int main(int argc, char** argv) {
  mv::rt::InitRuntime(argc, argv);
  mv::MainBody(argc, argv);
  return 0;
}
