// mv-soak: the whole program against a simulated instrument for as long as asked, with
// a seeded schedule of faults, pauses, markers, timed backups and repeat periods, then
// checked from the saved files and the simulator's log alone. See --help.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "soak/check.h"
#include "soak/kept.h"
#include "soak/plan.h"
#include "soak/scope_check.h"
#include "soak/selftest.h"
#include "usage.h"

namespace fs = std::filesystem;
using namespace mv::soak;

namespace {

std::string UsageLines() {
  std::string roads;
  for (const RoadFacts& r : Roads()) roads += "  " + std::string(r.name) + ": " + r.what + "\n";
  return "usage: mv-soak [--kind KIND] [--road ROAD] [--seconds N] [--seed N] [--interval S]\n"
         "               [--channels N] [--period S] [--backup S] [--baud N] [--keep DIR [--recheck | "
         "--self-test]]\n"
         "               [--rss-growth MIB] [--cpu CORES]\n"
         "Records from mv-sim (KIND: ui2 ui3 dt500 dt50 dt800 dt80 dt85 adam adc1 stream, or all)\n"
         "for N seconds (default 120) with faults, pauses, markers, backups and repeat periods drawn\n"
         "from the seed, then checks the saved files against the simulator's log. Exits 1 on any\n"
         "violation, 2 when the run itself could not be made. --recheck checks the files a run kept\n"
         "in DIR again (the same options and seed) without running; --self-test breaks them by hand,\n"
         "one rule at a time (recording the run first when DIR holds none), and exits 1 unless each\n"
         "break is reported by its own check.\n"
         "--channels past a kind's inputs reads them again (a UI2 or UI3: up to 16 on 8 inputs);\n"
         "more than a kind can have is refused. Roads (the interval each starts at):\n" +
         roads;
}

pid_t Spawn(const std::vector<std::string>& args, const fs::path& out, const fs::path& err,
            const std::vector<std::pair<std::string, std::string>>& env = {}) {
  const pid_t pid = fork();
  if (pid != 0) return pid;
  for (const auto& [name, value] : env) setenv(name.c_str(), value.c_str(), 1);
  const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int in = open("/dev/null", O_RDONLY);
  dup2(in, 0);
  dup2(o, 1);
  dup2(e, 2);
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  execv(argv[0], argv.data());
  _exit(127);
}

// The program's resident memory (MiB) and CPU time (s), from /proc.
bool Sample(pid_t pid, double& rssMiB, double& cpu) {
  const std::string status = ReadWhole("/proc/" + std::to_string(pid) + "/status");
  const std::size_t at = status.find("VmRSS:");
  if (at == std::string::npos) return false;
  rssMiB = std::atof(status.c_str() + at + 6) / 1024;
  const std::string stat = ReadWhole("/proc/" + std::to_string(pid) + "/stat");
  const std::size_t close = stat.rfind(')');
  if (close == std::string::npos) return false;
  std::istringstream in(stat.substr(close + 2));
  std::string field;
  double utime = 0, stime = 0;
  for (int i = 3; i <= 15 && in >> field; ++i) {
    if (i == 14) utime = std::atof(field.c_str());
    if (i == 15) stime = std::atof(field.c_str());
  }
  cpu = (utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
  return true;
}

bool ParseArgs(int argc, char** argv, Options& o, std::vector<std::string>& kinds) {
  std::string kind = "ui3";
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--recheck" || a == "--self-test") {
      (a == "--recheck" ? o.recheck : o.selfTest) = true;
      continue;
    }
    if (a == "--help" || a == "-h" || i + 1 >= argc) return false;
    const std::string v = argv[++i];
    if (a == "--kind")
      kind = v;
    else if (a == "--road")
      o.road = v;
    else if (a == "--baud")
      o.baud = std::atoi(v.c_str());
    else if (a == "--seconds")
      o.seconds = std::atof(v.c_str());
    else if (a == "--seed")
      o.seed = static_cast<uint32_t>(std::strtoul(v.c_str(), nullptr, 10));
    else if (a == "--interval")
      o.interval = std::atof(v.c_str());
    else if (a == "--channels")
      o.channels = std::atoi(v.c_str());
    else if (a == "--period")
      o.periodSeconds = std::atof(v.c_str());
    else if (a == "--backup")
      o.backupSeconds = std::atof(v.c_str());
    else if (a == "--keep")
      o.workDir = v;
    else if (a == "--rss-growth")
      o.rssGrowthMiB = std::atof(v.c_str());
    else if (a == "--cpu")
      o.cpuCores = std::atof(v.c_str());
    else
      return false;
  }
  kinds = kind == "all" ? KindNames() : std::vector<std::string>{kind};
  for (const std::string& k : kinds)
    if (!FindKind(k)) return false;
  return o.seconds >= 10 && (o.interval == 0 || o.interval >= 0.002) && o.channels >= 0 &&
         (!(o.recheck || o.selfTest) || !o.workDir.empty());
}

struct Run {
  pid_t sim = -1, drive = -1;
  std::vector<Usage> usage;
  int driveStatus = -1;
};

// Waits for the driver, sampling its memory and CPU each second; a run that outlives
// its script by far is stopped.
void Watch(Run& run, const Options& o) {
  const auto start = std::chrono::steady_clock::now();
  const double limit = o.seconds * 1.5 + 300;
  for (;;) {
    int status = 0;
    if (waitpid(run.drive, &status, WNOHANG) == run.drive) {
      run.driveStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      return;
    }
    const double t = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    Usage u;
    u.seconds = t;
    if (Sample(run.drive, u.rssMiB, u.cpuSeconds) && t > 20) run.usage.push_back(u);
    if (t > limit) {
      kill(run.drive, SIGKILL);
      waitpid(run.drive, &status, 0);
      run.driveStatus = -2;
      return;
    }
    std::this_thread::sleep_for(std::chrono::seconds(1));
  }
}

// A second copy of the program, with its own settings and documents, started on the
// instrument's port in mid-run: it connects as a user would, lists the windows it then
// shows (in second/drive.out) and is stopped 20 s on.
void SecondProgram(const Plan& plan, const fs::path& dir, const fs::path& bin, const std::string& link) {
  std::this_thread::sleep_for(std::chrono::duration<double>(plan.lead + plan.secondProgramAt));
  const fs::path home = dir / "second";
  fs::create_directories(home / "config");
  fs::create_directories(home / "documents");
  fs::copy_file(dir / "documents" / "soak.MVsetup", home / "documents" / "soak.MVsetup",
                fs::copy_options::overwrite_existing);
  Write(home / "run.mvs", "start " + (home / "documents" / "soak.MVsetup").string() +
                              "\nuntil 11 20\nclick-label 11 Reset\nuntil 21 20\npick 21 182 " +
                              std::to_string(plan.kind->code) +
                              "\nclick-label 21 Selection OK\nuntil 88\nclick-label 88 " + link +
                              "\nclick-label 88 Selection OK\nwait 3\nlist\nwait 8\n");
  const pid_t pid = Spawn({(bin / "mv-drive").string(), (home / "run.mvs").string()}, home / "drive.out",
                          home / "drive.err",
                          {{"MV_CONFIG_DIR", (home / "config").string()},
                           {"MV_DOCUMENTS_DIR", (home / "documents").string()}});
  for (int i = 0; i < 200; ++i) {
    if (waitpid(pid, nullptr, WNOHANG) == pid) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  kill(pid, SIGTERM);
  std::this_thread::sleep_for(std::chrono::seconds(1));
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
}

// Writes the run's files into dir, starts the simulator and the driven program, and
// waits for the script to end.
Run RecordOne(const Options& o, const Plan& plan, const fs::path& dir, const fs::path& bin,
              const fs::path& resources) {
  Run run;
  fs::remove_all(dir);
  const fs::path docs = dir / "documents", config = dir / "config";
  fs::create_directories(docs);
  fs::create_directories(config);
  const std::string link = (dir / "instrument").string();
  const bool written =
      Write(dir / "schedule.txt", ScheduleText(plan)) && Write(docs / "soak.MVsetup", SetupBytes(plan, o)) &&
      (!plan.feedbackFromFile || Write(docs / kFeedbackFile, FeedbackFileBytes(plan))) &&
      Write(dir / "run.mvs",
            DriveScript(plan, o, (docs / "soak.MVsetup").string(), link, (docs / "backup.kstr").string(),
                        (docs / (std::string(kRoot) + " 1.kstr")).string(), (docs / kLast).string(),
                        (docs / kLastText).string()));
  if (!written) {
    std::fprintf(stderr, "mv-soak: cannot write in %s\n", dir.c_str());
    return run;
  }
  std::vector<std::string> sim = {
      (bin / "mv-sim").string(), "--link", link, "--schedule", (dir / "schedule.txt").string(), "--log",
      (dir / "sim.log").string()};
  const std::vector<std::string> more = SimArguments(plan, o);
  sim.insert(sim.end(), more.begin(), more.end());
  run.sim = Spawn(sim, dir / "sim.out", dir / "sim.err");
  for (int i = 0; i < 50 && !fs::exists(link); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  setenv("MV_CONFIG_DIR", config.c_str(), 1);
  setenv("MV_DOCUMENTS_DIR", docs.c_str(), 1);
  setenv("MV_EXTRA_PORTS", link.c_str(), 1);
  setenv("MV_RESOURCES_DIR", resources.c_str(), 1);
  setenv("MV_DISPLAY_SIZE", "1280x800", 1);
  setenv("MV_SHOT_DIR", dir.c_str(), 1);
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  run.drive =
      Spawn({(bin / "mv-drive").string(), (dir / "run.mvs").string()}, dir / "drive.out", dir / "drive.err");
  std::thread second;
  if (plan.secondProgramAt >= 0) second = std::thread([&] { SecondProgram(plan, dir, bin, link); });
  Watch(run, o);
  if (second.joinable()) second.join();
  kill(run.sim, SIGTERM);
  waitpid(run.sim, nullptr, 0);
  return run;
}

int SoakOne(Options o, const std::string& kind, const fs::path& bin, const fs::path& resources) {
  o.kind = kind;
  if (const std::string why = SettleOptions(o); !why.empty())
    return std::fprintf(stderr, "mv-soak: %s\n", why.c_str()), 2;
  const Plan plan = MakePlan(o);
  const fs::path work = o.workDir.empty()
                            ? fs::temp_directory_path() / ("mv-soak-" + std::to_string(getpid()))
                            : fs::path(o.workDir);
  const std::string road = o.road == "plain" ? "" : o.road + "-";
  const fs::path dir = work / (kind + "-" + road + std::to_string(o.seed));
  std::printf("== mv-soak --kind %s --road %s --seconds %g --seed %u --interval %g: %d channels on inputs",
              kind.c_str(), o.road.c_str(), o.seconds, o.seed, o.interval, plan.channels);
  for (int input : plan.inputs) std::printf(" %d", input);
  std::printf(", rise %.6g/s", plan.rate);
  if (plan.fastInput > 0) std::printf(", input %d a sawtooth of %.6g/s", plan.fastInput, plan.fastRate);
  if (plan.baud > 0) std::printf(", %d baud", plan.baud);
  std::printf(", period %d samples, backup %g s, %zu faults, %zu pauses, %zu markers (in %s)\n",
              plan.periodSamples, plan.backupSeconds, plan.faults.size(), plan.pauses.size(),
              plan.markers.size(), dir.c_str());
  const bool haveRun = fs::exists(dir / "sim.log");
  int driveStatus = 0;
  if (!o.recheck && !(o.selfTest && haveRun)) {
    const Run run = RecordOne(o, plan, dir, bin, resources);
    Write(dir / "usage.txt", UsageText(run.usage));
    KeepSaveTimes(dir, dir);
    driveStatus = run.driveStatus;
  }
  if (driveStatus != 0)
    std::printf("FAIL the driven run ended with %d:\n%s%s", driveStatus, ReadWhole(dir / "drive.out").c_str(),
                ReadWhole(dir / "drive.err").substr(0, 4000).c_str());
  if (o.selfTest) return driveStatus != 0 ? 2 : SelfTest(plan, o, dir);
  const KeptRun kept = LoadKept(dir);
  if (kept.log.origin < 0) return std::printf("FAIL the simulator's log has no ramp origin\n"), 2;
  std::printf("files: %zu\n", kept.files.size());
  const Report report = plan.fastScope
                            ? CheckScope(plan, o, dir, kept.log, kept.usage)
                            : Check(plan, o, kept.files, kept.text, kept.log, kept.usage, kept.screen);
  std::printf("%s", report.Text().c_str());
  std::fflush(stdout);
  if (driveStatus != 0) return 2;
  if (report.ok() && o.workDir.empty()) fs::remove_all(work);
  return report.ok() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  std::vector<std::string> kinds;
  const bool help = mv::tools::AskedForHelp(argc, argv);
  if (help || !ParseArgs(argc, argv, o, kinds)) return mv::tools::Usage(UsageLines().c_str(), help);
  const fs::path bin = fs::canonical("/proc/self/exe").parent_path();
  fs::path resources = bin.parent_path().parent_path().parent_path() / "resources";
  if (const char* r = std::getenv("MV_RESOURCES_DIR")) resources = r;
  int worst = 0;
  for (const std::string& k : kinds) worst = std::max(worst, SoakOne(o, k, bin, resources));
  return worst;
}
