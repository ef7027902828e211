// Fixture of the control-loop tests: the menu fixture (resources, sounds, the
// command hooks reset) with the main menu bar built, the acquisition and set-up
// hooks reset, a call log the fakes write into, and a driver that acts inside a
// window's own event loop the way the window's handlers report user actions.
#pragma once
#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "acquisition/entry_points.h"
#include "menus_test_support.h"
#include "runtime/events.h"
#include "runtime/windows.h"
#include "setup/entry_points.h"
#include "shell/control_loop.h"
#include "shell/kit/protocol.h"

namespace mv::test {

// Runs steps from the event pump of whatever window loop is running, each retried
// until it returns true. Steps are kept kSettlePasses apart, more than the five
// passes a command spends clearing window events, so an action lands in the
// window's own loop and a check sees the command finished. A loop that outlives
// its steps by too many passes fails the test instead of hanging it.
class LoopDriver {
 public:
  using Step = std::function<bool()>;
  struct Stuck : std::runtime_error {
    using std::runtime_error::runtime_error;
  };

  LoopDriver() {
    rt::SetPumpHook([this] { Tick(); });
  }
  ~LoopDriver() { rt::SetPumpHook(nullptr); }
  LoopDriver(const LoopDriver&) = delete;
  LoopDriver& operator=(const LoopDriver&) = delete;

  LoopDriver& Then(Step step) {
    steps_.push_back(std::move(step));
    return *this;
  }
  LoopDriver& WaitFor(int16_t window) {
    return Then([window] { return rt::WindowExists(window); });
  }
  LoopDriver& Check(std::function<void()> check) {
    return Then([check] {
      check();
      return true;
    });
  }
  // A control clicked, a key typed with no field focused, as the handlers report them.
  LoopDriver& Click(int16_t control) {
    return Check([control] { doDIALOG(ActionCode::Click, control); });
  }
  LoopDriver& Key(char key) {
    return Check([key] { doDIALOG(ActionCode::Key, key); });
  }
  bool Finished() const { return next_ >= steps_.size(); }

 private:
  static constexpr int kSettlePasses = 8;
  static constexpr int kMaxPasses = 4000;
  void Tick() {
    if (++passes_ > kMaxPasses)
      throw Stuck(Finished() ? "the loop did not end" : "stuck at step " + std::to_string(next_ + 1));
    if (Finished() || ++settle_ < kSettlePasses) return;
    settle_ = 0;
    if (steps_[next_]()) ++next_;
  }
  std::vector<Step> steps_;
  std::size_t next_ = 0;
  int passes_ = 0;
  int settle_ = 0;
};

class ControlLoopTest : public MenusTest {
 protected:
  void SetUp() override {
    MenusTest::SetUp();
    acq_hooks::ResetAcquisitionHooks();
    setup_hooks::ResetSetupHooks();
    MainMENU();
    SetControlLoopTap([this](const std::string& step) { calls.push_back(step); });
  }
  void TearDown() override {
    SetControlLoopTap(nullptr);
    acq_hooks::ResetAcquisitionHooks();
    setup_hooks::ResetSetupHooks();
    MenusTest::TearDown();
  }
  int Count(const std::string& name) const {
    return static_cast<int>(std::count(calls.begin(), calls.end(), name));
  }
  bool Called(const std::string& name) const { return Count(name) > 0; }
};

}  // namespace mv::test
