#include "calculators/regression_export.h"

#include "calculators/number_text.h"
#include "calculators/state.h"

namespace mv::calc {

std::vector<FitPoint> RegressionPoints() {
  std::vector<FitPoint> points;
  for (std::size_t i = 1; i < SimpleRegressionDataArray.size(); ++i) {
    if (!SimpleRegressionRowPresent[i]) continue;
    points.push_back({SimpleRegressionDataArray[i][2], SimpleRegressionDataArray[i][1]});
  }
  return points;
}

std::string RegressionCsv() {
  std::string out = "X value,Y value\r";
  for (const FitPoint& p : RegressionPoints()) {
    out += NumberText(p.x).str();
    out += ',';
    out += NumberText(p.y).str();
    out += '\r';
  }
  return out;
}

}  // namespace mv::calc
