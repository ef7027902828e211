// The whole program run in-process from a script: its own configuration and
// documents folders, a fixed display, the source tree's resources, every hook
// at its default, and a log of the control loop's steps.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "acquisition/needs.h"
#include "common/dump_tool.h"
#include "common/test_support.h"
#include "files/needs.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "setup/needs.h"
#include "shell/commands.h"
#include "shell/control_loop.h"

namespace mv::test {

class ProgramRunTest : public ProgramTest {
 protected:
  static constexpr double kVirtualSecondsPerRealSecond = 1000;
  void SetUp() override {
    ProgramTest::SetUp();
    config_ = MakeTempDir("run-config");
    documents_ = MakeTempDir("run-documents");
    setenv("MV_CONFIG_DIR", config_.c_str(), 1);
    setenv("MV_DOCUMENTS_DIR", documents_.c_str(), 1);
    setenv("MV_DISPLAY_SIZE", "1280x800", 1);
    setenv("MV_RESOURCES_DIR", SourcePath("resources").c_str(), 1);
    commands::ResetCommandHooks();
    acq_hooks::ResetAcquisitionHooks();
    setup_hooks::ResetSetupHooks();
    SetControlLoopTap([this](const std::string& step) { log_.push_back(step); });
    // The scripts wait in real seconds: the program's clock runs at most this much
    // faster, however quick its loops are.
    rt::SetVirtualClockPace(kVirtualSecondsPerRealSecond);
  }
  void TearDown() override {
    SetControlLoopTap(nullptr);
    commands::ResetCommandHooks();
    acq_hooks::ResetAcquisitionHooks();
    setup_hooks::ResetSetupHooks();
    for (const char* name : {"MV_CONFIG_DIR", "MV_DOCUMENTS_DIR", "MV_DISPLAY_SIZE", "MV_RESOURCES_DIR"})
      unsetenv(name);
    std::filesystem::remove_all(config_);
    std::filesystem::remove_all(documents_);
    ProgramTest::TearDown();
  }

  // Wraps a per-channel dialog hook so the log notes each opening.
  void LogDialog(std::function<bool(int16_t)>& hook, const std::string& name) {
    auto real = hook;
    hook = [this, real, name](int16_t ch) {
      log_.push_back(name + " " + std::to_string(ch));
      return real(ch);
    };
  }

  // Keeps every failure the recording screen is told of (field number and text) in
  // failures, and still shows it.
  static void KeepSaveFailures(std::vector<std::string>& failures) {
    auto show = files_hooks::ShowOnAcquisitionScreen;
    files_hooks::ShowOnAcquisitionScreen = [show, &failures](int16_t field, const std::string& text,
                                                             bool failed) {
      if (failed) failures.push_back(std::to_string(field) + text);
      show(field, text, failed);
    };
  }

  // Automatic repeat with periods of `samples` samples, numbered files named with
  // extensions ("run 1.kstr"), set as the run is prepared; `more` adds to it.
  void RecordInPeriodsOf(int32_t samples, std::function<void()> more = nullptr) {
    SetControlLoopTap([this, samples, more](const std::string& step) {
      log_.push_back(step);
      if (step != "run preparation") return;
      MaxSamples = samples;
      PrefsArray[PrefsSlot::Autorepeat] = 1;
      PrefsArray[PrefsSlot::AddExtensions] = 1;
      if (more) more();
    });
  }

  std::string Shot(const char* name) const { return (TestOutputDir() / name).string(); }
  bool Logged(const std::string& step) const {
    return std::find(log_.begin(), log_.end(), step) != log_.end();
  }

  std::filesystem::path config_, documents_;
  std::vector<std::string> log_;
};

// One channel's dialogs (input, conversions, scaling, averaging), each confirmed.
inline std::string ChannelDialogs() {
  return "until 11\nclick 11 130\nuntil 10\nclick 10 15\nuntil 111\nclick 111 1\nuntil 8\nclick 8 1\n";
}

}  // namespace mv::test
