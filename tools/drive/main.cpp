// mv-drive SCRIPT [--selftest]: runs the program under the offscreen platform
// from a script of user actions. Exits 0 when every line succeeded.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "drive/script.h"
#include "drive/selftest.h"
#include "runtime/application.h"
#include "shell/main_body.h"
#include "usage.h"

namespace {
constexpr const char* kUsage = "usage: mv-drive SCRIPT [--selftest]\n";
}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  const bool help = mv::tools::AskedForHelp(argc, argv);
  if (help || argc < 2) return mv::tools::Usage(kUsage, help);
  std::string script;
  bool selftest = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--selftest") == 0) {
      selftest = true;
    } else if (argv[i][0] == '-') {
      // An option this tool does not take is refused, never read as a script's name.
      std::fprintf(stderr, "mv-drive: no option %s\n", argv[i]);
      return mv::tools::Usage(kUsage, false);
    } else if (!script.empty()) {
      std::fprintf(stderr, "mv-drive: one script at a time (%s and %s)\n", script.c_str(), argv[i]);
      return mv::tools::Usage(kUsage, false);
    } else {
      script = argv[i];
    }
  }
  if (script.empty()) return mv::tools::Usage(kUsage, false);
  mv::rt::InitRuntime(argc, argv);
  auto runner = mv::drive::ScriptRunner::FromFile(script);
  if (!runner) {
    std::fprintf(stderr, "mv-drive: cannot read %s\n", script.c_str());
    return 2;
  }
  runner->SetOutput([](const std::string& text) {
    std::fputs(text.c_str(), stdout);
    std::fflush(stdout);
  });
  mv::drive::Program program =
      selftest ? mv::drive::Program(mv::drive::SelfTestProgram) : mv::drive::Program(mv::MainBody);
  auto result = runner->Run(program);
  if (!result.ok) {
    std::fprintf(stderr, "mv-drive: %s\n", mv::drive::FormatFailure(result).c_str());
    return 1;
  }
  std::printf("mv-drive: %s: all lines passed\n", script.c_str());
  return 0;
}
