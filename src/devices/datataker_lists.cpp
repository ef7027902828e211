#include "devices/datataker_lists.h"

#include <string>

#include "devices/serial_port.h"

namespace mv {

namespace {

template <size_t N>
bool SendLines(const std::array<std::string_view, N>& lines) {
  SerialPort& port = SerialLine();
  bool ok = true;
  for (std::string_view line : lines) ok = port.Write(std::string(line) + '\r') && ok;
  return ok;
}

}  // namespace

bool DT500setup() {
  return SendLines(kDT500SetupLines);
}

bool DT800setup() {
  return SendLines(kDT800SetupLines);
}

}  // namespace mv
