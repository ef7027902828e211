// Fixture of the experiment-condition calculator tests (altitude, STP flow, oxygen,
// Q10, washout): the window steps aimed at window 8, so a calculator's modal loop
// runs as it does for the user, and a sound sink that records the sounds asked for.
#pragma once
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "common/test_support.h"
#include "common/window_steps.h"
#include "kit/state.h"
#include "runtime/sound.h"

namespace mv::test {

class ConditionsCalcTest : public ProgramTest, public WindowSteps {
 protected:
  static constexpr int16_t W = 8;

  void SetUp() override {
    ProgramTest::SetUp();
    setenv("MV_RESOURCES_DIR", SourcePath("resources").c_str(), 1);
    Sound_Is_On = 1;
    rt::SetSoundSink([this](const std::string& path) { sounds.push_back(path); });
  }
  void TearDown() override {
    rt::SetPumpHook(nullptr);
    unsetenv("MV_RESOURCES_DIR");
    ProgramTest::TearDown();
  }

  // Runs the calculator with the steps acting on its window; the last step should end it.
  void Run(const std::function<void()>& calculator, std::vector<Step> steps) {
    steps.insert(steps.begin(), Until(W));
    Drive(std::move(steps), [] { rt::CloseWindow(W); });
    calculator();
    rt::SetPumpHook(nullptr);
    EXPECT_TRUE(ScriptDone()) << StepsLeft() << " steps were not taken";
    EXPECT_FALSE(rt::WindowExists(W));
  }

  static Step Click(int16_t control) { return WindowSteps::Click(W, control); }
  static Step Pick(int16_t control, int item) { return WindowSteps::Pick(W, control, item); }
  static Step Type(int16_t field, std::string text) { return WindowSteps::Type(W, field, std::move(text)); }
  static Step Key(int16_t field, Qt::Key key, QString text) { return WindowSteps::Key(W, field, key, text); }
  static Step Return(int16_t field) { return WindowSteps::Return(W, field); }
  static Step Shot(std::string name) { return WindowSteps::Shot(W, std::move(name)); }
  static Step Do(std::function<void()> f) {
    return WindowSteps::Do([f] {
      rt::SetOutputWindow(W);
      f();
    });
  }
  static Step Close() {
    return WindowSteps::Do([] { rt::CloseWindow(W); });
  }
  static std::string Text(int16_t field) { return TextOf(W, field); }
  static double Value(int16_t field) { return Shown(W, field); }
  static int16_t State(int16_t control) {
    rt::SetOutputWindow(W);
    return rt::ControlState(control);
  }
  int CountPlayed(const std::string& file) const {
    return static_cast<int>(std::count_if(sounds.begin(), sounds.end(), [&](const std::string& p) {
      return std::filesystem::path(p).filename().string() == file;
    }));
  }
  void ForgetSounds() { sounds.clear(); }

  std::vector<std::string> sounds;
};

}  // namespace mv::test
