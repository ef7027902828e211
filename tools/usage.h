// Every tool answers --help (or -h) with its usage on the standard output and exit
// status 0, and an option it does not take with the same usage on the standard error
// and status 2, so a reviewer who asks is never answered by a run of the tool.
#pragma once

#include <cstdio>
#include <cstring>

namespace mv::tools {

inline bool AskedForHelp(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) return true;
  return false;
}

// Prints the usage where it belongs and gives the exit status.
inline int Usage(const char* text, bool asked) {
  std::fputs(text, asked ? stdout : stderr);
  return asked ? 0 : 2;
}

}  // namespace mv::tools
