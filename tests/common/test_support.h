// Shared fixtures of the tests.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

namespace mv::test {

// Resets every program-wide value, the runtime's windows, menus and handlers,
// the service hooks, and switches the virtual clock on (tests move it).
class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
};

// The folder screenshots go to (created on demand): <build>/test-output.
std::filesystem::path TestOutputDir();
// A fresh empty temporary folder for one test.
std::filesystem::path MakeTempDir(const std::string& name);
// The source tree's folder of a path, for golden files: tests/<sub>/golden/...
std::filesystem::path SourcePath(const std::string& relative);

// What a PDF file says when it is a PDF: its text as pdftotext (poppler-utils)
// extracts it, page after page with a form feed between pages, each run of blanks
// as one blank (ligatures stay as they are). Without pdftotext
// (the dependency installer adds it) only the file's frame is checked: nullopt when
// it is not a complete PDF, else the bare marker "%PDF" (no text).
std::optional<std::string> PdfText(const std::filesystem::path& pdf);

// The last one or two parts of a sound path the sound sink received:
// "AlarmBUZZ.mp3" and "MVsounds/AlarmBUZZ.mp3".
inline std::string SoundFileName(const std::string& path) {
  return std::filesystem::path(path).filename().string();
}
inline std::string SoundFolderAndFile(const std::string& path) {
  const std::filesystem::path p(path);
  return (p.parent_path().filename() / p.filename()).string();
}

}  // namespace mv::test
