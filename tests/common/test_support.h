// Shared fixtures of the tests.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
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
