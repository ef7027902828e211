// The program started the way a newcomer starts it: no preferences file, the
// splash and start-up screen with its flies, the speed test, "Startup
// Routines..." with Test Mode, and on into the control loop in demonstration mode.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "common/test_support.h"
#include "devices/state.h"
#include "drive/script.h"
#include "kit/state.h"
#include "runtime/sound.h"
#include "shell/control_loop.h"
#include "shell/main_body.h"

namespace mv {
namespace {

class LaunchE2E : public test::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    config_ = test::MakeTempDir("e2e-config");
    documents_ = test::MakeTempDir("e2e-documents");
    setenv("MV_CONFIG_DIR", config_.c_str(), 1);
    setenv("MV_DOCUMENTS_DIR", documents_.c_str(), 1);
    setenv("MV_DISPLAY_SIZE", "1280x800", 1);
    setenv("MV_RESOURCES_DIR", test::SourcePath("resources").c_str(), 1);
    rt::SetSoundSink([this](const std::string& path) { sounds_.push_back(path); });
    LastControlLoopEntry = 0;
  }
  void TearDown() override {
    for (const char* name : {"MV_CONFIG_DIR", "MV_DOCUMENTS_DIR", "MV_DISPLAY_SIZE", "MV_RESOURCES_DIR"})
      unsetenv(name);
    std::filesystem::remove_all(config_);
    std::filesystem::remove_all(documents_);
    ProgramTest::TearDown();
  }
  bool Played(const std::string& name) const {
    for (const auto& p : sounds_)
      if (p.size() >= name.size() && p.compare(p.size() - name.size(), name.size(), name) == 0) return true;
    return false;
  }
  std::filesystem::path config_, documents_;
  std::vector<std::string> sounds_;
};

// The virtual clock drives the flies' 800 ticks and the speed test's waits, so
// the run takes well under a second of real time. Window 15 is the flies' layer.
TEST_F(LaunchE2E, NewcomerReachesTheControlLoopInTestMode) {
  const auto out = test::TestOutputDir();
  const std::string script =
      "start\n"
      "until 5\n"
      "shot 5 " +
      (out / "w5-splash.png").string() +
      "\n"
      "until 15\n"
      "shot 5 " +
      (out / "w5-startup-screen.png").string() +
      "\n"
      "mouse 5 270 150\n"
      "gone 15\n"
      "until 4\n"
      "shot 4 " +
      (out / "w4-speed-test.png").string() +
      "\n"
      "until 9\n"
      "shot 9 " +
      (out / "w9-startup-routines.png").string() +
      "\n"
      "click-label 9 Test Mode\n"
      "gone 9\n"
      "wait 0.3\n";
  const auto began = std::chrono::steady_clock::now();
  drive::ScriptRunner runner(script);
  auto result = runner.Run([](int argc, char** argv) { MainBody(argc, argv); });
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
  EXPECT_FALSE(result.exitStatus.has_value()) << "the program is still running when the script ends";

  EXPECT_EQ(LastControlLoopEntry, static_cast<int16_t>(LoopEntry::ModeChoice));
  EXPECT_EQ(External_AD, ExternalADCode::Demonstration);
  EXPECT_EQ(DemonstrationMODE, 1);
  EXPECT_EQ(PrefsArray[PrefsSlot::WindowWidth], 1024);
  EXPECT_EQ(PrefsArray[PrefsSlot::WindowHeight], 750);
  EXPECT_GE(FreeRunSpeed, 501) << "a machine this fast gets the top verdict";
  EXPECT_TRUE(Played("MVsounds/upvip.mp3"));
  EXPECT_FALSE(Played("Guitar.mp3")) << "start-up sounds are off without preferences";
  for (const char* shot :
       {"w5-splash.png", "w5-startup-screen.png", "w4-speed-test.png", "w9-startup-routines.png"})
    EXPECT_TRUE(std::filesystem::exists(out / shot)) << shot;
  EXPECT_LT(seconds, 10.0);
}

}  // namespace
}  // namespace mv
