// Fixture of the menu tests: the program's resource folder of the source tree
// (so sounds are found and recorded), a display of 1280 x 800, the menu
// services installed, and a log that fake windows write their names into.
#pragma once
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "common/test_support.h"
#include "runtime/menus.h"
#include "runtime/sound.h"
#include "shell/commands.h"
#include "shell/kit/services.h"
#include "shell/menus.h"
#include "shell/state.h"

namespace mv::test {

class MenusTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    setenv("MV_RESOURCES_DIR", SourcePath("resources").c_str(), 1);
    setenv("MV_DISPLAY_SIZE", "1280x800", 1);
    rt::SetSoundSink([this](const std::string& path) { sounds.push_back(path); });
    commands::ResetCommandHooks();
    InstallMenuServices();
  }
  void TearDown() override {
    commands::ResetCommandHooks();
    unsetenv("MV_RESOURCES_DIR");
    unsetenv("MV_DISPLAY_SIZE");
    ProgramTest::TearDown();
  }

  // The files played, as "folder/file" relative to the resource folder.
  std::vector<std::string> Played() const {
    std::vector<std::string> v;
    std::string root = SourcePath("resources").string() + "/";
    for (const auto& p : sounds) v.push_back(p.rfind(root, 0) == 0 ? p.substr(root.size()) : p);
    return v;
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

  std::vector<std::string> sounds;
  std::vector<std::string> calls;
};

}  // namespace mv::test
