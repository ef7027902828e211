// Fixture of the file tests: a fresh configuration folder, the program's own
// resources, a sound sink and a notice sink that record what was asked for, and
// a small driver that acts on windows from the event pump, one step per pass, so
// a window's modal loop runs as it does for the user.
#pragma once
#include <sys/resource.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QTabBar>
#include <QWidget>
#include <csignal>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "common/test_support.h"
#include "common/window_steps.h"
#include "files/needs.h"
#include "runtime/events.h"
#include "runtime/qt_bridge.h"
#include "runtime/sound.h"
#include "runtime/windows.h"

namespace mv::test {

// While it lives, no file of the process may grow past the given size: writes
// beyond it fail (EFBIG), for the superuser too, whom folder permissions do not bind.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, oldHandler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit saved_{};
  void (*oldHandler_)(int) = nullptr;
};

class FilesTest : public ProgramTest, public WindowSteps {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    files_hooks::ResetFilesHooks();
    configDir = MakeTempDir("files-config");
    setenv("MV_CONFIG_DIR", configDir.c_str(), 1);
    setenv("MV_RESOURCES_DIR", SourcePath("resources").c_str(), 1);
    unsetenv("MV_DISPLAY_SIZE");
    rt::SetSoundSink([this](const std::string& path) { sounds.push_back(path); });
    files_hooks::FileNotice = [this](const std::string& title, const std::string& message) {
      notices.push_back(title + ": " + message);
    };
    // The strip layout and the averaging limit of a loaded interval are the set-up
    // floor's; here the strips stay as they are and both are only counted.
    files_hooks::SetChanParams = [this](int16_t, int16_t) { ++stripLayouts; };
    files_hooks::SetupLoadedMaxAverage = [this] { ++averagingLimits; };
  }
  void TearDown() override {
    rt::SetPumpHook(nullptr);
    files_hooks::ResetFilesHooks();
    unsetenv("MV_CONFIG_DIR");
    unsetenv("MV_RESOURCES_DIR");
    unsetenv("MV_DISPLAY_SIZE");
    std::error_code ec;
    std::filesystem::permissions(configDir, std::filesystem::perms::owner_all, ec);
    std::filesystem::remove_all(configDir, ec);
    ProgramTest::TearDown();
  }

  // The sound files asked for, by file name only ("upvip.mp3").
  std::vector<std::string> Played() const {
    std::vector<std::string> names;
    for (const auto& p : sounds) names.push_back(std::filesystem::path(p).filename().string());
    return names;
  }
  int CountPlayed(const std::string& name) const {
    int n = 0;
    for (const auto& s : Played()) n += s == name ? 1 : 0;
    return n;
  }

  static std::string ReadBytes(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  static void WriteBytes(const std::filesystem::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }

  std::filesystem::path configDir;
  std::vector<std::string> sounds;
  std::vector<std::string> notices;
  int stripLayouts = 0, averagingLimits = 0;  // calls of the set-up floor
};

}  // namespace mv::test
