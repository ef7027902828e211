// The set-up report printed from the options window after a run in demonstration
// mode: the print dialog is answered as a user printing to a PDF file.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "common/test_support.h"
#include "drive/script.h"
#include "e2e/program_run_fixture.h"
#include "files/state.h"
#include "shell/main_body.h"

namespace mv {
namespace {

class ReportRunE2E : public test::ProgramRunTest {
 protected:
  // A short chart run, then the report printed to pdf; the text pdftotext finds in
  // it, or nothing when pdftotext is not installed.
  std::optional<std::string> PrintedReportText(const std::string& pdf) {
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
    EXPECT_TRUE(result.ok) << result.message;
    const auto text = test::PdfText(pdf);
    EXPECT_TRUE(text.has_value()) << "not a PDF";
    if (!text || *text == "%PDF") return std::nullopt;
    return text;
  }
};

TEST_F(ReportRunE2E, SetupReportPrintedThroughThePrintDialogIsAPdfOfTheRunsSetup) {
  const std::string pdf = (documents_ / "run report.pdf").string();
  const auto text = PrintedReportText(pdf);
  // Only the file the user chose: nothing beside it in the documents folder.
  EXPECT_FALSE(std::filesystem::exists(documents_ / "setup data.pdf"));
  if (!text) GTEST_SKIP() << "pdftotext is not installed: the text is not checked";
  for (const char* line : {"Mirevant acquisition parameters", "Chart mode",
                           "A/D converter: simulated ('test mode' random number generator)",
                           "chan. input equation A-value B-value C-value averaged label"})
    EXPECT_NE(text->find(line), std::string::npos) << line;
}

// Viewers that do not fold ligatures search the text layer as it is: "setup file"
// must be there letter by letter, never with the "fi" ligature (U+FB01) or its kin.
TEST_F(ReportRunE2E, TheReportsPdfTextHoldsNoLigaturesSoASearchFindsEveryWord) {
  SetControlLoopTap([this](const std::string& step) {
    log_.push_back(step);
    if (step == "options") SetupFileName = "flow file.MVsetup";
  });
  const auto text = PrintedReportText((documents_ / "report.pdf").string());
  if (!text) GTEST_SKIP() << "pdftotext is not installed: the text is not checked";
  EXPECT_NE(text->find("setup file: 'flow file.MVsetup'"), std::string::npos) << *text;
  for (unsigned char last = 0x80; last <= 0x86; ++last)  // U+FB00 to U+FB06 in UTF-8
    EXPECT_EQ(text->find(std::string("\xEF\xAC") + static_cast<char>(last)), std::string::npos)
        << "a ligature in the text layer: " << *text;
}

}  // namespace
}  // namespace mv
