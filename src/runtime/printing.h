// The printer: the document name of the next print job, the page set-up and print
// dialogs, and printing a text report on the printer the user chose (or to a PDF
// file, when the print dialog is asked to print to a file).
#pragma once
#include <functional>
#include <optional>
#include <string>

namespace mv::rt {

// The name the next print job carries (shown by the print dialog and proposed as the
// file name when printing to a file). Empty until set.
void SetPrintJobName(const std::string& name);
std::string PrintJobName();

// A text report as the printer paints it: the heading lines beside the logo picture,
// then the body in a fixed-pitch font so its columns stay as the text lays them out.
struct PrintedReport {
  std::string heading;   // Mac Roman, CR, LF or CRLF line ends
  std::string body;      // Mac Roman, line ends as above, tabs already expanded
  std::string logoPath;  // a picture for the top left corner; none when empty or unreadable
};

enum class PrintResult { Printed, Cancelled, Failed };

// Shows the page set-up dialog, then the print dialog, for a job named PrintJobName();
// cancelling either prints nothing. Once both are accepted, calls whilePrinting (so
// the caller can say that printing is under way), then paints the report, page after
// page. A report printed to a file is made whole first, then written to a temporary
// file beside it and renamed over it only once every byte is on the disk, so a failed
// print leaves the old file as it was. Failed when the printer or the file could not be
// written; failure then says why (the system's reason for a file, "No space left on
// device").
PrintResult PrintReport(const PrintedReport& report, const std::function<void()>& whilePrinting,
                        std::string* failure = nullptr);

// The script driver's answer to the next page set-up and print dialogs: a path prints
// to that PDF file as a user choosing "print to file" would; nullopt cancels the page
// set-up dialog. While a script runs (SetScriptedPanels) the dialogs wait for an answer.
void QueuePrintAnswer(std::optional<std::string> pdfPath);
bool HasQueuedPrintAnswer();

}  // namespace mv::rt
