#include "calculators/regression_export.h"

#include <cstdio>

#include "calculators/number_text.h"
#include "calculators/state.h"
#include "shell/kit/format.h"

namespace mv::calc {

std::string RegressionCsv(int16_t n) {
  std::string out = "X value,Y value\r";
  for (int16_t i = 1; i <= n && i <= 20; ++i) {
    const auto& row = SimpleRegressionDataArray[static_cast<std::size_t>(i)];
    out += NumberText(row[2]).str();
    out += ',';
    out += NumberText(row[1]).str();
    out += '\r';
  }
  return out;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  const bool closed = std::fclose(f) == 0;
  return written && closed;
}

}  // namespace mv::calc
