// Printing a report through the page set-up and print dialogs, answered as a user
// choosing to print to a PDF file.
#include "runtime/printing.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/test_support.h"

namespace mv {
namespace {

class Printing : public test::ProgramTest {
 protected:
  std::filesystem::path dir = test::MakeTempDir("print");
};

TEST_F(Printing, AReportPrintedToAFileIsAPdfWithEveryLineOnItsPages) {
  const auto pdf = dir / "setup data.pdf";
  rt::QueuePrintAnswer(pdf.string());
  rt::PrintedReport report;
  report.heading = "Mirevant  acquisition parameters\r";
  for (int i = 1; i <= 150; ++i)
    report.body += "line " + std::to_string(i) + " \xA5 with a bullet\r";  // pages
  bool told = false;
  EXPECT_EQ(rt::PrintReport(report, [&] { told = true; }), rt::PrintResult::Printed);
  EXPECT_TRUE(told);
  const auto text = test::PdfText(pdf);
  ASSERT_TRUE(text.has_value()) << "not a PDF";
  if (*text == "%PDF") GTEST_SKIP() << "pdftotext is not installed: the text is not checked";
  EXPECT_NE(text->find("Mirevant acquisition parameters"), std::string::npos);
  EXPECT_NE(text->find("line 1 \u2022 with a bullet"), std::string::npos);
  EXPECT_NE(text->find("line 150 \u2022 with a bullet"), std::string::npos);
  EXPECT_NE(text->find('\f'), text->rfind('\f')) << "150 lines take more than one page";
  EXPECT_FALSE(std::filesystem::exists(dir / "setup data.pdf.part"));
}

TEST_F(Printing, ACancelledDialogPrintsNothing) {
  rt::QueuePrintAnswer(std::nullopt);
  bool told = false;
  EXPECT_EQ(rt::PrintReport({"heading\r", "body\r", ""}, [&] { told = true; }), rt::PrintResult::Cancelled);
  EXPECT_FALSE(told);
  EXPECT_TRUE(std::filesystem::is_empty(dir));
}

TEST_F(Printing, APrintThatCannotTakeItsNameFailsAndLeavesNoPartialFile) {
  // A folder in the file's place: the finished print cannot take that name.
  const auto target = dir / "report.pdf";
  std::filesystem::create_directory(target);
  rt::QueuePrintAnswer(target.string());
  EXPECT_EQ(rt::PrintReport({"heading\r", "body\r", ""}, nullptr), rt::PrintResult::Failed);
  EXPECT_TRUE(std::filesystem::is_directory(target));
  EXPECT_FALSE(std::filesystem::exists(dir / "report.pdf.part"));
  rt::QueuePrintAnswer((dir / "no such folder" / "report.pdf").string());
  EXPECT_EQ(rt::PrintReport({"heading\r", "body\r", ""}, nullptr), rt::PrintResult::Failed);
}

}  // namespace
}  // namespace mv
