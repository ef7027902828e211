#include "kit/needs.h"

#include "runtime/system.h"

namespace mv::services {

Hook<void()> Quit{"services::Quit", [] { rt::ExitProgram(0); }};

void ResetServices() {
  ResetHooks("services::");
}

}  // namespace mv::services
