// Printing a report to a PDF file in the documents folder.
#include "runtime/printing.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "common/test_support.h"

namespace mv {
namespace {

std::string FirstBytes(const std::string& path, int n) {
  std::ifstream in(path, std::ios::binary);
  std::string s(n, '\0');
  in.read(s.data(), n);
  s.resize(in.gcount());
  return s;
}

TEST(Printing, ReportBecomesAPdfNamedByTheJob) {
  const auto dir = test::MakeTempDir("print-docs");
  setenv("MV_DOCUMENTS_DIR", dir.c_str(), 1);
  rt::SetPrintJobName("setup data.pdf");
  std::string text = "Setup\r";
  for (int i = 0; i < 150; ++i) text += "line \xA5 with a bullet\r";  // more than one page
  const std::string path = rt::PrintTextToPdf(text);
  EXPECT_EQ(path, (dir / "setup data.pdf").string());
  EXPECT_EQ(FirstBytes(path, 4), "%PDF");
  rt::SetPrintJobName("");
}

TEST(Printing, JobNameCannotLeaveTheDocumentsFolder) {
  const auto dir = test::MakeTempDir("print-docs-2");
  setenv("MV_DOCUMENTS_DIR", dir.c_str(), 1);
  rt::SetPrintJobName("../../escape.pdf");
  const std::string path = rt::PrintTextToPdf("x\r");
  EXPECT_EQ(path, (dir / "escape.pdf").string());
  EXPECT_TRUE(std::filesystem::exists(path));
  rt::SetPrintJobName("");
}

}  // namespace
}  // namespace mv
