#include "runtime/printing.h"

namespace mv::rt {

namespace {
std::string gJobName;
}

void SetPrintJobName(const std::string& name) {
  gJobName = name;
}

std::string PrintJobName() {
  return gJobName;
}

}  // namespace mv::rt
