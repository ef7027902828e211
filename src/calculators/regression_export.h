// The points of the regression table and their comma-separated export.
#pragma once
#include <string>
#include <vector>

#include "kit/fits.h"

namespace mv::calc {

// The present rows of SimpleRegressionDataArray in table order, blank rows left out:
// the points that are fitted, drawn and exported.
std::vector<FitPoint> RegressionPoints();

// "X value,Y value" and one line per point of RegressionPoints, X then Y in the plain
// number rule; every line ends with CR alone. Mac Roman bytes.
std::string RegressionCsv();

}  // namespace mv::calc
