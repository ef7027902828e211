// The set-up report printed from the options window after a run in demonstration
// mode: the print dialog is answered as a user printing to a PDF file.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/test_support.h"
#include "drive/script.h"
#include "e2e/program_run_fixture.h"
#include "shell/main_body.h"

namespace mv {
namespace {

class ReportRunE2E : public test::ProgramRunTest {};

TEST_F(ReportRunE2E, SetupReportPrintedThroughThePrintDialogIsAPdfOfTheRunsSetup) {
  const std::string pdf = (documents_ / "run report.pdf").string();
  const std::string script =
      "start\nuntil 5\nmouse 5 270 150\ngone 15\nuntil 9\nclick-label 9 Test Mode\ngone 9\n"
      "until 310\npick 310 500 1\nclick 310 101\nclick 310 23\ngone 310\nuntil 9\nclick 9 14\n" +
      test::ChannelDialogs() +
      "until 104\nclick 104 203\ngone 104\npanel cancel\n"
      "until 1\nwait 0.15\nhold Escape\nuntil 112\nrelease Escape\n"
      "menu 1 11\nuntil 17\nprint " +
      pdf + "\nclick 17 3\ngone 17\nexpect-file " + pdf + "\n";
  drive::ScriptRunner runner(script);
  const auto result = runner.Run([](int argc, char** argv) { MainBody(argc, argv); });
  ASSERT_TRUE(result.ok) << result.message;
  // Only the file the user chose: nothing beside it in the documents folder.
  EXPECT_FALSE(std::filesystem::exists(documents_ / "setup data.pdf"));
  const auto text = test::PdfText(pdf);
  ASSERT_TRUE(text.has_value()) << "not a PDF";
  if (*text == "%PDF") GTEST_SKIP() << "pdftotext is not installed: the text is not checked";
  for (const char* line : {"Mirevant acquisition parameters", "Chart mode",
                           "A/D converter: simulated ('test mode' random number generator)",
                           "chan. input equation A-value B-value C-value averaged label"})
    EXPECT_NE(text->find(line), std::string::npos) << line;
}

}  // namespace
}  // namespace mv
