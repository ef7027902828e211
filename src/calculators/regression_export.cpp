#include "calculators/regression_export.h"

#include <array>
#include <charconv>
#include <cmath>

#include "calculators/number_text.h"
#include "calculators/state.h"

namespace mv::calc {

std::vector<ExactPoint> RegressionPoints() {
  std::vector<ExactPoint> points;
  for (std::size_t i = 1; i < SimpleRegressionDataArray.size(); ++i) {
    if (!SimpleRegressionRowPresent[i]) continue;
    points.push_back({SimpleRegressionDataArray[i][2], SimpleRegressionDataArray[i][1]});
  }
  return points;
}

std::string ExactText(double v) {
  if (!std::isfinite(v)) return NumberText(v).str();
  if (v == 0) return " 0";
  std::array<char, 64> buf;
  const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), v);
  const std::string text(buf.data(), res.ptr);
  return v < 0 ? text : " " + text;
}

std::string RegressionCsv() {
  std::string out = "X value,Y value\r";
  for (const ExactPoint& p : RegressionPoints()) {
    out += ExactText(p.x);
    out += ',';
    out += ExactText(p.y);
    out += '\r';
  }
  return out;
}

}  // namespace mv::calc
