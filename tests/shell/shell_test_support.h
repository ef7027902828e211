// Fixtures of the shell tests, on the kit's KitTest (kit/kit_test_support.h).
// LaunchTest adds a display size and per-user folders in temporary
// places; MenusTest a display of 1280 x 800, the menu services installed, and a log
// that fake windows write their names into. ControlLoopTest adds the main menu bar
// built, the acquisition and set-up hooks reset, and the control loop's steps in the
// log; its LoopDriver acts inside a window's own event loop the way the window's
// handlers report user actions.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "acquisition/install.h"
#include "acquisition/needs.h"
#include "common/test_support.h"
#include "kit/kit_test_support.h"
#include "kit/protocol.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/menus.h"
#include "runtime/sound.h"
#include "runtime/system.h"
#include "runtime/types.h"
#include "runtime/windows.h"
#include "setup/needs.h"
#include "shell/commands.h"
#include "shell/control_loop.h"
#include "shell/menus.h"

namespace mv::test {

// The status the program ends with while f runs, or -1 when it does not end.
inline int ExitStatusOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const rt::ProgramExit& e) {
    return e.status;
  }
  return -1;
}

class LaunchTest : public KitTest {
 protected:
  void SetUp() override {
    KitTest::SetUp();
    config_ = MakeTempDir("launch-config");
    documents_ = MakeTempDir("launch-documents");
    setenv("MV_CONFIG_DIR", config_.c_str(), 1);
    setenv("MV_DOCUMENTS_DIR", documents_.c_str(), 1);
    UseDisplay("1280x800");
    LastControlLoopEntry = 0;
  }
  void TearDown() override {
    unsetenv("MV_DISPLAY_SIZE");
    unsetenv("MV_CONFIG_DIR");
    unsetenv("MV_DOCUMENTS_DIR");
    std::filesystem::remove_all(config_);
    std::filesystem::remove_all(documents_);
    KitTest::TearDown();
  }
  static void UseDisplay(const std::string& size) { setenv("MV_DISPLAY_SIZE", size.c_str(), 1); }
  std::filesystem::path documents_;

 private:
  std::filesystem::path config_;
};

class MenusTest : public KitTest {
 protected:
  void SetUp() override {
    KitTest::SetUp();
    setenv("MV_DISPLAY_SIZE", "1280x800", 1);
    commands::ResetCommandHooks();
    InstallMenuServices();
  }
  void TearDown() override {
    commands::ResetCommandHooks();
    unsetenv("MV_DISPLAY_SIZE");
    KitTest::TearDown();
  }

  // A fake window that only notes that it was opened.
  std::function<void()> Note(const std::string& name) {
    return [this, name] { calls.push_back(name); };
  }
  std::function<void(int16_t)> NoteWith(const std::string& name) {
    return [this, name](int16_t n) { calls.push_back(name + " " + std::to_string(n)); };
  }

  static int16_t State(int16_t menu, int16_t item) {
    if (!rt::MenuItemEnabled(menu, item)) return 0;
    return rt::MenuItemChecked(menu, item) ? 2 : 1;
  }

  std::vector<std::string> calls;
};

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
    InstallAcquisitionServices();  // as start-up does: a run's waits keep the events flowing
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
