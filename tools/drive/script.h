// The script engine of the driver: runs the real program and feeds it user
// actions from a script, one action per pass of the program's event pump.
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace mv::drive {

struct ScriptResult {
  bool ok = true;
  int failedLine = 0;  // 1-based line of the script that failed
  std::string lineText;
  std::string message;
  std::optional<int> exitStatus;  // set when the program ended
  std::string output;             // what the driver told the script's author, line by line
};

// The program under test: called by 'start' with its arguments; it ends by
// ExitProgram (or by the script ending).
using Program = std::function<void(int argc, char** argv)>;

class ScriptRunner {
 public:
  explicit ScriptRunner(std::string scriptText, std::string baseDir = ".");
  static std::optional<ScriptRunner> FromFile(const std::string& path);

  ScriptResult Run(const Program& program);
  // Where the driver's own lines (listings, waiting panels) go as they are said;
  // they are kept in ScriptResult::output as well.
  void SetOutput(std::function<void(const std::string&)> say) { say_ = std::move(say); }

 private:
  struct Impl;
  std::string text_;
  std::string baseDir_;
  std::function<void(const std::string&)> say_;
};

std::string FormatFailure(const ScriptResult& r);

}  // namespace mv::drive
