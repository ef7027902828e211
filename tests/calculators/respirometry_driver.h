// Fixture of the respirometry calculator window tests: the window steps and a sound
// sink that records what was asked for.
#pragma once
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "common/test_support.h"
#include "common/window_steps.h"
#include "runtime/sound.h"

namespace mv::test {

class CalculatorWindowTest : public ProgramTest, public WindowSteps {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    rt::SetSoundSink([this](const std::string& path) { sounds.push_back(path); });
  }
  void TearDown() override {
    rt::SetPumpHook(nullptr);
    ProgramTest::TearDown();
  }

  int CountPlayed(const std::string& file) const {
    return static_cast<int>(std::count_if(sounds.begin(), sounds.end(), [&](const std::string& p) {
      return std::filesystem::path(p).filename().string() == file;
    }));
  }

  std::vector<std::string> sounds;
};

}  // namespace mv::test
