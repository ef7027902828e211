#include "common/test_support.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>

#include "kit/needs.h"
#include "runtime/application.h"
#include "runtime/clock.h"
#include "runtime/sound.h"
#include "runtime/system.h"
#include "shell/reset.h"

namespace mv::test {

void ProgramTest::SetUp() {
  rt::ResetRuntime();
  ResetProgramState();
  services::ResetServices();
  rt::UseVirtualClock(true);
  rt::SetVirtualMicroseconds(1'000'000);
  rt::SetSoundSink([](const std::string&) {});
  rt::SetExitInterceptor([](int status) { throw rt::ProgramExit{status}; });
  rt::SeedRandom(12345);
}

void ProgramTest::TearDown() {
  rt::ResetRuntime();
  rt::UseVirtualClock(false);
  rt::SetSoundSink(nullptr);
  rt::SetExitInterceptor(nullptr);
}

std::filesystem::path TestOutputDir() {
  const char* env = std::getenv("MV_TEST_OUTPUT");
  std::filesystem::path p = env ? env : (std::string(MV_BINARY_DIR) + "/test-output");
  std::filesystem::create_directories(p);
  return p;
}

std::filesystem::path MakeTempDir(const std::string& name) {
  std::random_device rd;
  auto p = std::filesystem::temp_directory_path() / ("mvtest-" + name + "-" + std::to_string(rd()));
  std::filesystem::remove_all(p);
  std::filesystem::create_directories(p);
  return p;
}

std::filesystem::path SourcePath(const std::string& relative) {
  return std::filesystem::path(MV_SOURCE_DIR) / relative;
}

}  // namespace mv::test

namespace mv::test {

std::optional<std::string> PdfText(const std::filesystem::path& pdf) {
  std::ifstream in(pdf, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.rfind("%PDF-", 0) != 0 ||
      bytes.find("%%EOF", bytes.size() > 32 ? bytes.size() - 32 : 0) == std::string::npos ||
      bytes.find("/Type /Page") == std::string::npos)
    return std::nullopt;
  if (std::system("command -v pdftotext >/dev/null 2>&1") != 0) return std::string("%PDF");
  // A quoted path: the test folders hold blanks ("setup data.pdf").
  std::string quoted = "'";
  for (const char c : pdf.string()) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  quoted += "'";
  FILE* p = popen(("pdftotext -layout " + quoted + " - 2>/dev/null").c_str(), "r");
  if (p == nullptr) return std::nullopt;
  std::string text;
  char buffer[4096];
  for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, p)) > 0;) text.append(buffer, n);
  if (pclose(p) != 0) return std::nullopt;
  // pdftotext's spacing is its own guess: runs of blanks become one. Ligatures are
  // kept as they come, so a test sees what a search in a viewer would see.
  std::string plain;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (text[i] != ' ' || plain.empty() || plain.back() != ' ') plain += text[i];
  return plain;
}

}  // namespace mv::test
