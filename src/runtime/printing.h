// The printer: the document name of the next print job.
#pragma once
#include <string>

namespace mv::rt {

// The name the next print job carries (shown by the print dialog and used as the
// file name when printing to a file). Empty until set.
void SetPrintJobName(const std::string& name);
std::string PrintJobName();

}  // namespace mv::rt
