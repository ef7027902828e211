// The dump tool run on a data file the program wrote: the test executables that
// decode saved files define MV_MVDUMP_EXE (tests/CMakeLists.txt).
#pragma once
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace mv::test {

// The dump tool's whole output for one data file, with its options (e.g.
// "--values 5000 --scope "); its exit status must be `status` (0: the file decoded whole).
inline std::string DumpDataFile(const std::filesystem::path& file, const std::string& options = {},
                                int status = 0) {
  const std::string command =
      std::string("\"") + MV_MVDUMP_EXE + "\" " + options + "\"" + file.string() + "\" 2>&1";
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return "cannot run " + command;
  char buffer[4096];
  while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
  const int ended = pclose(pipe);
  EXPECT_TRUE(WIFEXITED(ended) && WEXITSTATUS(ended) == status) << ended << "\n" << out;
  return out;
}

// The numbers the dump tool printed after "label (N values):" (e.g. "samples of channel
// block 1"); empty when there is no such line.
inline std::vector<double> DumpedNumbers(const std::string& dump, const std::string& label) {
  std::vector<double> v;
  const std::size_t at = dump.find(label + " (");
  if (at == std::string::npos) return v;
  const std::size_t from = dump.find("):", at);
  std::istringstream line(dump.substr(from + 2, dump.find('\n', from) - from - 2));
  for (std::string word; line >> word;) {
    double d = 0;
    std::from_chars(word.data(), word.data() + word.size(), d);
    v.push_back(d);
  }
  return v;
}

}  // namespace mv::test
