// The comma-separated export of the regression table.
#pragma once
#include <cstdint>
#include <string>

namespace mv::calc {

// "X value,Y value" and one line per row 1..n of SimpleRegressionDataArray, X then Y in
// the plain number rule; every line ends with CR alone. Mac Roman bytes.
std::string RegressionCsv(int16_t n);

// Creates or replaces the file with the bytes; false when it could not be written whole.
bool WriteWholeFile(const std::string& path, const std::string& bytes);

}  // namespace mv::calc
