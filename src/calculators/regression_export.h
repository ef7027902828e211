// The points of the regression table and their comma-separated export.
#pragma once
#include <string>
#include <vector>

#include "kit/fits.h"

namespace mv::calc {

// The present rows of SimpleRegressionDataArray in table order, blank rows left out:
// the points that are fitted, drawn and exported.
std::vector<ExactPoint> RegressionPoints();

// A typed value's text for the table and the export: the shortest decimal that reads
// back as the same double, with the plain rule's blank before a value that is not
// negative (" 2460000.1", "-0.5", " 1e+20").
std::string ExactText(double v);

// "X value,Y value" and one line per point of RegressionPoints, X then Y as typed
// (ExactText); every line ends with CR alone. Mac Roman bytes.
std::string RegressionCsv();

}  // namespace mv::calc
