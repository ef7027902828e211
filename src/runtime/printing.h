// The printer: the document name of the next print job, and printing a text report
// to a PDF file.
#pragma once
#include <string>

namespace mv::rt {

// The name the next print job carries (shown by the print dialog and used as the
// file name when printing to a file). Empty until set.
void SetPrintJobName(const std::string& name);
std::string PrintJobName();

// Prints a text report (Mac Roman bytes, CR, LF or CRLF line ends, tabs already
// expanded by the caller) in a fixed-pitch font, page after page, to a PDF file named
// by PrintJobName() ("untitled.pdf" when empty) in the documents folder. Returns the
// file's path, or an empty string when the file could not be written.
std::string PrintTextToPdf(const std::string& macRomanText);

}  // namespace mv::rt
