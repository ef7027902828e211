// The driver's example scripts (tools/drive/scripts) run by the mv-drive executable
// as a reader of the README runs them: each in fresh configuration and documents
// folders, on the real clock, with its pictures in the test output folder. A script
// that fails names its failing line. The files the scripts save are read back by the
// dump tool, which decodes them without the program's code; the UI3 script gets a
// simulated UI3 on a pseudo-terminal, named to the program by MV_EXTRA_PORTS.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <ostream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "common/test_support.h"
#include "e2e/program_run_fixture.h"

extern char** environ;

namespace mv {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// A child process with this environment added to ours (a name given here replaces
// the inherited one), its output in `log`.
pid_t Spawn(const std::vector<std::string>& args, const std::map<std::string, std::string>& env,
            const fs::path& log) {
  std::vector<std::string> envText;
  for (char** e = environ; *e; ++e) {
    const std::string entry(*e);
    if (!env.count(entry.substr(0, entry.find('=')))) envText.push_back(entry);
  }
  for (const auto& [name, value] : env) envText.push_back(name + "=" + value);
  std::vector<char*> envp, argv;
  for (auto& e : envText) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::vector<std::string> argText = args;
  for (auto& a : argText) argv.push_back(a.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  return rc == 0 ? pid : -1;
}

// The child's exit status; -1 when it had to be killed after `seconds`.
int WaitFor(pid_t pid, double seconds) {
  const auto end = Clock::now() + std::chrono::milliseconds(static_cast<int>(seconds * 1000));
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (Clock::now() > end) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The driver's own lines of its output (the failing line of the script) first,
// then everything the program printed.
std::string DriverVerdict(const std::string& output, int status) {
  std::string verdict = status < 0 ? "mv-drive did not end and was stopped\n" : "";
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);)
    if (line.rfind("mv-drive:", 0) == 0) verdict += line + "\n";
  return verdict + "--- whole output:\n" + output;
}

std::string ReadText(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// The dump tool's whole output for one data file, every value listed; the tool tells
// a chart file from a scope file by its bytes.
std::string Dump(const fs::path& file) {
  return test::DumpDataFile(file, "--values 5000 ");
}

long DumpedNumber(const std::string& dump, const std::string& label) {
  std::smatch m;
  if (!std::regex_search(dump, m, std::regex(label + R"(\D*(\d+))"))) return -1;
  return std::stol(m[1].str());
}

// The values of one channel block: "samples of channel block N (K values): v v v".
std::vector<double> Samples(const std::string& dump, int block) {
  std::smatch m;
  const std::regex line("samples of channel block " + std::to_string(block) + R"( \(\d+ values\):([^\n]*))");
  if (!std::regex_search(dump, m, line)) return {};
  std::vector<double> values;
  std::istringstream in(m[1].str());
  for (std::string v; in >> v;) values.push_back(std::stod(v));
  return values;
}

// ---- what each script's files must hold --------------------------------------------------

void ChartDemoFile(const fs::path& documents) {
  const std::string dump = Dump(documents / "chart-demo.kstr");
  EXPECT_EQ(DumpedNumber(dump, "channels:"), 2) << dump;
  EXPECT_NE(dump.find("Two channels from the example script"), std::string::npos)
      << "the comment typed in the file information window: " << dump;
  EXPECT_EQ(dump.find("the file ends early"), std::string::npos) << dump;
  // Three seconds at 1/10 second; the stored count is the last sample's index.
  const long count = DumpedNumber(dump, "count:");
  EXPECT_GE(count, 5) << dump;
  for (int block : {1, 2}) EXPECT_EQ(static_cast<long>(Samples(dump, block).size()), count + 1) << dump;
}

void ScopeDemoFile(const fs::path& documents) {
  EXPECT_FALSE(fs::exists(documents / "sweep 2")) << "one Tab saves one sweep";
  const std::string dump = Dump(documents / "sweep 1");
  EXPECT_NE(dump.find("format: binary scope file\n"), std::string::npos)
      << "named without extension: " << dump;
  EXPECT_NE(dump.find("count: 1024\n"), std::string::npos) << "the whole sweep: " << dump;
  EXPECT_NE(dump.find("samples of channel block 1 (1024 values)"), std::string::npos) << dump;
  // The simulated scope readings lie from 1.001 to 1.600 V; the positions the
  // sweep had not reached when Tab came hold the bad-reading mark, never a value.
  int readings = 0;
  for (double v : Samples(dump, 1)) {
    if (v == -99999) continue;
    ++readings;
    EXPECT_GE(v, 1.0) << dump;
    EXPECT_LE(v, 1.6001) << dump;
  }
  EXPECT_GT(readings, 10) << dump;
}

void UI3RunFile(const fs::path& documents) {
  const std::string dump = Dump(documents / "ui3-run.kstr");
  EXPECT_EQ(DumpedNumber(dump, "channels:"), 1) << dump;
  const auto values = Samples(dump, 1);
  ASSERT_GE(values.size(), 3u) << dump;
  // The simulated UI3 answers input 1 with the word 33768: 1000 counts above zero
  // on its +-5.12 V range of 6399.9 counts per volt.
  const float expected = static_cast<float>(1000 / 6399.9);
  for (double v : values) EXPECT_FLOAT_EQ(static_cast<float>(v), expected) << dump;
}

struct ExampleScript {
  const char* name;  // tools/drive/scripts/<name>.mvs
  bool simulatedUI3;
  std::function<void(const fs::path& documents)> checkFiles;
  std::vector<const char*> pictures;
};

void PrintTo(const ExampleScript& script, std::ostream* out) {
  *out << script.name << ".mvs";
}

const ExampleScript kScripts[] = {
    {"chart-demo",
     false,
     ChartDemoFile,
     {"w1-chart-demo-recording.png", "menu-file-chart-demo-modes.png", "menu-file-chart-demo-options.png",
      "menu-special-chart-demo-options.png"}},
    {"scope-demo", false, ScopeDemoFile, {"w1-scope-demo-sweep.png"}},
    {"ui3-connect", true, UI3RunFile, {"w251-ui3-connect-firmware.png", "w1-ui3-connect-recording.png"}},
};

class ExampleScriptTest : public ::testing::TestWithParam<ExampleScript> {
 protected:
  void SetUp() override {
    dir_ = test::MakeTempDir("example-script");
    fs::create_directories(dir_ / "config");
    fs::create_directories(dir_ / "documents");
  }
  void TearDown() override {
    if (sim_ > 0) {
      kill(sim_, SIGTERM);
      WaitFor(sim_, 5);
    }
    fs::remove_all(dir_);
  }

  // The simulator as its own process, with its pseudo-terminal linked at `link`.
  void StartUI3(const fs::path& link) {
    sim_ = Spawn(
        {MV_SIM_EXE, "--kind", "ui3", "--link", link.string(), "--log", (dir_ / "sim-bytes.log").string()},
        {}, dir_ / "sim.log");
    ASSERT_GT(sim_, 0);
    const auto end = Clock::now() + std::chrono::seconds(5);
    while (!fs::exists(link) && Clock::now() < end)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(fs::exists(link)) << ReadText(dir_ / "sim.log");
  }

  fs::path dir_;
  pid_t sim_ = -1;
};

TEST_P(ExampleScriptTest, RunsToItsEndAndLeavesItsFiles) {
  const ExampleScript& script = GetParam();
  std::map<std::string, std::string> env = {
      {"QT_QPA_PLATFORM", "offscreen"},
      {"MV_CONFIG_DIR", (dir_ / "config").string()},
      {"MV_DOCUMENTS_DIR", (dir_ / "documents").string()},
      {"MV_DISPLAY_SIZE", "1280x800"},
      {"MV_RESOURCES_DIR", test::SourcePath("resources").string()},
      {"MV_SHOT_DIR", test::TestOutputDir().string()},
      {"MV_EXTRA_PORTS", ""},
  };
  if (script.simulatedUI3) {
    const fs::path link = dir_ / "ui3";
    ASSERT_NO_FATAL_FAILURE(StartUI3(link));
    env["MV_EXTRA_PORTS"] = link.string();
  }
  for (const char* picture : script.pictures) fs::remove(test::TestOutputDir() / picture);

  const fs::path file = test::SourcePath("tools/drive/scripts") / (std::string(script.name) + ".mvs");
  const pid_t pid = Spawn({MV_DRIVE_EXE, file.string()}, env, dir_ / "drive.log");
  ASSERT_GT(pid, 0);
  const int status = WaitFor(pid, 120);
  ASSERT_EQ(status, 0) << DriverVerdict(ReadText(dir_ / "drive.log"), status);

  script.checkFiles(dir_ / "documents");
  for (const char* picture : script.pictures)
    EXPECT_TRUE(fs::exists(test::TestOutputDir() / picture)) << picture;
}

INSTANTIATE_TEST_SUITE_P(Scripts, ExampleScriptTest, ::testing::ValuesIn(kScripts),
                         [](const ::testing::TestParamInfo<ExampleScript>& info) {
                           std::string name;
                           for (const char* c = info.param.name; *c; ++c)
                             if (*c != '-') name += *c;
                           return name;
                         });

}  // namespace
}  // namespace mv
