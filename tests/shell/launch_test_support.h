// Fixture of the launch tests: the kit fixture (resources of the source tree, a
// sound sink that records every file asked for) with a display size override
// and per-user folders in temporary places.
#pragma once
#include <cstdlib>
#include <filesystem>
#include <string>

#include "kit_test_support.h"
#include "shell/control_loop.h"

namespace mv::test {

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

}  // namespace mv::test
