// The set-up report: the whole recording set-up as readable text, for the printer
// or a text file, and the window that chooses where it goes.
#pragma once
#include <concepts>
#include <cstdint>
#include <string>

namespace mv {

// Which optional sections follow the channel table.
struct SetupReportSections {
  bool trigger = true;
  bool switching = true;
  bool display = true;
  bool alarms = true;
};

// Text with tabs and tab-to-column; lines end with CR. A column is 1-based: column n
// starts after n - 1 characters; a line already past it, or reaching it with text that
// is not a blank, gets one blank, so two fields never touch. A tab moves on to the
// next multiple of 8.
class ReportText {
 public:
  ReportText& Put(const std::string& s);
  // The printed-number rule; a single-precision value keeps its own shortest digits.
  ReportText& Num(double value);
  ReportText& Num(float value);
  ReportText& Num(std::integral auto value) { return Num(static_cast<double>(value)); }
  ReportText& Tab();
  ReportText& Column(int n);  // pads with blanks; one blank when already past it
  ReportText& Line();         // CR
  const std::string& text() const { return text_; }

 private:
  std::string text_;
  int col_ = 0;  // characters on the current line so far, tabs expanded
};

// The report of the present set-up; the date is "MM/dd/yy". The printer sets the
// heading beside its logo; the text file is the heading, then the body.
struct SetupReport {
  std::string heading;
  std::string body;
};
SetupReport BuildSetupReport(const SetupReportSections& sections, const std::string& date);
std::string SetupReportText(const SetupReportSections& sections, const std::string& date);
// One channel's breakpoint block.
void PrintBreakpointData(ReportText& out, int16_t channel);
// Tabs replaced by blanks to the next multiple of 8 (the printer prints no tabs).
// The text file keeps its tabs.
std::string ExpandTabs(const std::string& text);

void PRINTSETUP();

}  // namespace mv
