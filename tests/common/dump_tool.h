// The dump tool run on a data file the program wrote: the test executables that
// decode saved files define MV_MVDUMP_EXE (tests/CMakeLists.txt).
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace mv::test {

// The dump tool's whole output for one data file, with its options (e.g.
// "--values 5000 --scope "); its exit status must be 0.
inline std::string DumpDataFile(const std::filesystem::path& file, const std::string& options = {}) {
  const std::string command =
      std::string("\"") + MV_MVDUMP_EXE + "\" " + options + "\"" + file.string() + "\" 2>&1";
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return "cannot run " + command;
  char buffer[4096];
  while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
  EXPECT_EQ(pclose(pipe), 0) << out;
  return out;
}

}  // namespace mv::test
