// The fixture of the channel-table tests: program state reset, the channel-table
// hooks back to their defaults, resources from the source tree and every sound
// and hook call recorded.
#pragma once
#include <cstdlib>
#include <string>
#include <vector>

#include "common/test_support.h"
#include "conversions/needs.h"
#include "runtime/sound.h"
#include "runtime/str255.h"
#include "setup/needs.h"

namespace mv {
// Label texts compared with plain strings in expectations.
inline bool operator==(const Str255& a, const std::string& b) {
  return a.str() == b;
}
}  // namespace mv

namespace mv::test {

class SetupTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    setenv("MV_RESOURCES_DIR", SourcePath("resources").c_str(), 1);
    setup_hooks::ResetSetupHooks();
    // The per-channel dialogs are real modal windows; tests of the code around them
    // run without them (as a channel set up with nothing changed), and the dialog
    // tests install them again.
    setup_hooks::SELECTCHANNEL = [](int16_t, int16_t) { return false; };
    setup_hooks::SCALE = [](int16_t) { return false; };
    setup_hooks::AVERAGING = [](int16_t) { return false; };
    setup_hooks::ConversionsWindow = [](int16_t) { return false; };
    // The per-channel submenus are the shell's, above this subsystem.
    setup_hooks::MENU_100 = [] {};
    rt::SetSoundSink([this](const std::string& path) { sounds.push_back(path.substr(path.rfind('/') + 1)); });
    services::SetUpMENUs = [this](int16_t on) { calls.push_back(on ? "menus on" : "menus off"); };
    setup_hooks::CLEARARRAY = [this] { calls.push_back("CLEARARRAY"); };
    setup_hooks::ExternalDeviceControl = [this] { calls.push_back("ExternalDeviceControl"); };
    setup_hooks::SELECTNEXTVALVE = [this] { calls.push_back("SELECTNEXTVALVE"); };
    setup_hooks::DATATAKERSTATUS = [this] { calls.push_back("DATATAKERSTATUS"); };
  }
  void TearDown() override {
    setup_hooks::ResetSetupHooks();
    ProgramTest::TearDown();
  }
  int Count(const std::string& call) const {
    int n = 0;
    for (const auto& c : calls) n += c == call;
    return n;
  }
  int Played(const std::string& file) const {
    int n = 0;
    for (const auto& s : sounds) n += s == file;
    return n;
  }

  std::vector<std::string> sounds;
  std::vector<std::string> calls;
};

}  // namespace mv::test
