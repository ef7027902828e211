// Fixture of the menu tests: the kit fixture (resources of the source tree, a sound
// sink), a display of 1280 x 800, the menu services installed, and a log that fake
// windows write their names into.
#pragma once
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "kit_test_support.h"
#include "runtime/menus.h"
#include "shell/commands.h"
#include "shell/kit/services.h"
#include "shell/menus.h"
#include "shell/state.h"

namespace mv::test {

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

}  // namespace mv::test
