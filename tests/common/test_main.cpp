// Starts the runtime (offscreen unless told otherwise) and runs the tests.
// A watchdog ends the process when one test runs longer than a minute: a
// modal window waiting for input nobody gives must fail, not hang CI.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "kit/hook.h"
#include "runtime/application.h"

namespace {

using Clock = std::chrono::steady_clock;
std::atomic<int64_t> gTestStartedAt{0};  // 0: no test running
std::string gTestName;

int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch()).count();
}

class Watchdog : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo& info) override {
    gTestName = std::string(info.test_suite_name()) + "." + info.name();
    gTestStartedAt = NowMs();
  }
  void OnTestEnd(const ::testing::TestInfo&) override { gTestStartedAt = 0; }
};

void WatchTests(int64_t limitMs) {
  std::thread([limitMs] {
    for (;;) {
      std::this_thread::sleep_for(std::chrono::milliseconds(500));
      int64_t started = gTestStartedAt;
      if (started != 0 && NowMs() - started > limitMs) {
        std::fprintf(stderr, "\nWATCHDOG: %s ran longer than %lld s (a window waiting for input?)\n",
                     gTestName.c_str(), static_cast<long long>(limitMs / 1000));
        std::fflush(stderr);
        std::_Exit(3);
      }
    }
  }).detach();
}

// A hook called while nothing installed it fails the test that reached it: a test that
// calls into another floor installs what it needs (the real function or a fake).
void FailOnUnbuiltCall(const char* name) {
  ADD_FAILURE() << name << " was called but nothing installed it";
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  // Tests never read or write the user's own preferences or documents.
  std::string scratch =
      (std::filesystem::temp_directory_path() / ("mvtest-" + std::to_string(getpid()))).string();
  std::filesystem::create_directories(scratch + "/config");
  std::filesystem::create_directories(scratch + "/documents");
  setenv("MV_CONFIG_DIR", (scratch + "/config").c_str(), 0);
  setenv("MV_DOCUMENTS_DIR", (scratch + "/documents").c_str(), 0);
  mv::rt::InitRuntime(argc, argv);
  mv::SetUnbuiltCallHandler(&FailOnUnbuiltCall);
  ::testing::UnitTest::GetInstance()->listeners().Append(new Watchdog);
  const char* limit = std::getenv("MV_TEST_LIMIT_SECONDS");
  WatchTests((limit ? std::atoll(limit) : 60) * 1000);
  return RUN_ALL_TESTS();
}
