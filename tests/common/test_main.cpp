// Starts the runtime (offscreen unless told otherwise) and runs the tests.
// A watchdog ends the process when one test has run longer than a minute and
// has stopped working: a modal window waiting for input nobody gives idles in
// its event loop and must fail, not hang CI. A test that is still computing
// (a long run under the sanitizers on a slow two-core machine) keeps the
// process busy and is left to finish, so no verdict depends on the machine's
// speed; ctest's own time-out stays the last resort.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

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

// Nanoseconds the process tree has run or waited for a processor: this process's
// test thread (its scheduler statistics count time queued behind other work, so a
// test starved on a loaded machine is not idle), every live descendant (a tool or
// simulator the test runs) and what reaped children used.
int64_t TreeWorkNs() {
  auto slurp = [](const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  std::map<long, std::vector<long>> kids;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator("/proc", ec)) {
    const std::string name = e.path().filename().string();
    if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::string stat = slurp(e.path() / "stat");
    std::size_t close = stat.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream fields(stat.substr(close + 2));
    std::string state;
    long ppid = 0;
    fields >> state >> ppid;
    kids[ppid].push_back(std::atol(name.c_str()));
  }
  const long tick = sysconf(_SC_CLK_TCK);
  int64_t total = 0;
  std::vector<long> todo = {static_cast<long>(getpid())};
  while (!todo.empty()) {
    long pid = todo.back();
    todo.pop_back();
    const std::string dir = "/proc/" + std::to_string(pid);
    std::istringstream sched(slurp(dir + "/schedstat"));
    int64_t run = 0, wait = 0;
    sched >> run >> wait;
    total += run + wait;
    std::string stat = slurp(dir + "/stat");
    std::size_t close = stat.rfind(')');
    if (close != std::string::npos && tick > 0) {
      std::istringstream fields(stat.substr(close + 2));
      std::string skip;
      for (int i = 0; i < 13; ++i) fields >> skip;  // state .. stime: fields 3 to 15
      int64_t cutime = 0, cstime = 0;
      fields >> cutime >> cstime;
      total += (cutime + cstime) * 1000000000 / tick;
    }
    for (long k : kids[pid]) todo.push_back(k);
  }
  return total;
}

// Past its limit a test is ended only when the whole tree wanted less than a tenth of
// a core over the last `kIdleWindowMs`: nothing is being computed, so it is waiting,
// not slow. An idle modal loop sleeps between polls and stays far below that.
constexpr int64_t kIdleWindowMs = 15000;
constexpr int64_t kPollMs = 500;
constexpr int64_t kBusyNs = kIdleWindowMs * 1000000 / 10;

void WatchTests(int64_t limitMs) {
  std::thread([limitMs] {
    std::deque<int64_t> gains;  // work gained in each poll past the limit, newest last
    int64_t last = -1;
    for (;;) {
      std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
      int64_t started = gTestStartedAt;
      if (started == 0 || NowMs() - started <= limitMs) {
        gains.clear();
        last = -1;
        continue;
      }
      int64_t work = TreeWorkNs();
      // A descendant that ends takes its own figures with it: a drop is no gain.
      if (last >= 0) gains.push_back(std::max<int64_t>(0, work - last));
      last = work;
      if (gains.size() > static_cast<std::size_t>(kIdleWindowMs / kPollMs)) gains.pop_front();
      if (gains.size() < static_cast<std::size_t>(kIdleWindowMs / kPollMs)) continue;
      int64_t gained = 0;
      for (int64_t g : gains) gained += g;
      if (gained >= kBusyNs) continue;
      std::fprintf(stderr,
                   "\nWATCHDOG: %s ran longer than %lld s and has been idle for %lld s "
                   "(a window waiting for input?)\n",
                   gTestName.c_str(), static_cast<long long>(limitMs / 1000),
                   static_cast<long long>(kIdleWindowMs / 1000));
      std::fflush(stderr);
      std::_Exit(3);
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
