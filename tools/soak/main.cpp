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

#include "mvdump/dump.h"
#include "soak/check.h"
#include "soak/plan.h"
#include "usage.h"

namespace fs = std::filesystem;
using namespace mv::soak;

namespace {

constexpr const char* kUsage =
    "usage: mv-soak [--kind KIND] [--seconds N] [--seed N] [--interval S] [--channels N]\n"
    "               [--period S] [--backup S] [--keep DIR [--recheck]] [--rss-growth MIB] [--cpu CORES]\n"
    "Records from mv-sim (KIND: ui2 ui3 dt500 dt50 dt800 dt80 dt85 adam adc1 stream, or all)\n"
    "for N seconds (default 120) with faults, pauses, markers, backups and repeat periods drawn\n"
    "from the seed, then checks the saved files against the simulator's log. Exits 1 on any\n"
    "violation, 2 when the run itself could not be made. --recheck checks the files a run kept\n"
    "in DIR again (the same options and seed) without running.\n";

// The period files' root, and the last period's saves.
constexpr const char *kRoot = "period", *kLast = "last.kstr", *kLastText = "last.txt";

std::string ReadWhole(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

bool Write(const fs::path& p, const std::string& bytes) {
  std::ofstream out(p, std::ios::binary);
  out << bytes;
  return static_cast<bool>(out.flush());
}

pid_t Spawn(const std::vector<std::string>& args, const fs::path& out, const fs::path& err) {
  const pid_t pid = fork();
  if (pid != 0) return pid;
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
    if (a == "--recheck") {
      o.recheck = true;
      continue;
    }
    if (a == "--help" || a == "-h" || i + 1 >= argc) return false;
    const std::string v = argv[++i];
    if (a == "--kind") kind = v;
    else if (a == "--seconds") o.seconds = std::atof(v.c_str());
    else if (a == "--seed") o.seed = static_cast<uint32_t>(std::strtoul(v.c_str(), nullptr, 10));
    else if (a == "--interval") o.interval = std::atof(v.c_str());
    else if (a == "--channels") o.channels = std::atoi(v.c_str());
    else if (a == "--period") o.periodSeconds = std::atof(v.c_str());
    else if (a == "--backup") o.backupSeconds = std::atof(v.c_str());
    else if (a == "--keep") o.workDir = v;
    else if (a == "--rss-growth") o.rssGrowthMiB = std::atof(v.c_str());
    else if (a == "--cpu") o.cpuCores = std::atof(v.c_str());
    else return false;
  }
  kinds = kind == "all" ? KindNames() : std::vector<std::string>{kind};
  for (const std::string& k : kinds)
    if (!FindKind(k)) return false;
  return o.seconds >= 10 && o.interval >= 0.002 && (!o.recheck || !o.workDir.empty());
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

// The saved chart files, in the order they were written: period files by number, the
// last save after them (the backup is a copy and stands aside).
// What mvdump prints for the file.
std::string DumpOf(const fs::path& p) {
  char* text = nullptr;
  std::size_t size = 0;
  std::FILE* out = open_memstream(&text, &size);
  mvdump::Options dump;
  dump.limit = static_cast<std::size_t>(-1);
  const int verdict = mvdump::Dump(out, p.string(), ReadWhole(p), dump);
  std::fclose(out);
  std::string printed(text, size);
  std::free(text);
  return verdict == 0 ? printed : printed + "\nmvdump could not decode it whole\n";
}

std::vector<StoredFile> Decode(const fs::path& docs, const std::string& root, const std::string& last) {
  std::vector<std::pair<long, fs::path>> order;
  for (const auto& e : fs::directory_iterator(docs)) {
    const std::string n = e.path().filename().string();
    // "ROOT 1", "ROOT 2", ...: the period's number is the name's last word.
    if (n.rfind(root, 0) == 0 && n.rfind(' ') != std::string::npos)
      order.emplace_back(std::atol(n.c_str() + n.rfind(' ') + 1), e.path());
  }
  std::sort(order.begin(), order.end());
  if (fs::exists(docs / last)) order.emplace_back(1L << 40, docs / last);
  std::vector<StoredFile> files;
  for (const auto& [n, p] : order) {
    const std::string dump = DumpOf(p);
    StoredFile f = ParseDump(p.filename().string(), dump);
    if (dump.find("mvdump could not decode it whole") != std::string::npos && f.problem.empty())
      f.problem = "mvdump could not decode it whole";
    files.push_back(std::move(f));
  }
  return files;
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
  const bool written = Write(dir / "schedule.txt", ScheduleText(plan)) &&
                       Write(docs / "soak.MVsetup", SetupBytes(plan, o)) &&
                       Write(dir / "run.mvs", DriveScript(plan, o, (docs / "soak.MVsetup").string(), link,
                                                         (docs / "backup.kstr").string(),
                                                         (docs / (std::string(kRoot) + " 1.kstr")).string(),
                                                         (docs / kLast).string(), (docs / kLastText).string()));
  if (!written) {
    std::fprintf(stderr, "mv-soak: cannot write in %s\n", dir.c_str());
    return run;
  }
  std::vector<std::string> sim = {(bin / "mv-sim").string(), "--kind", o.kind, "--link", link,
                                  "--ramp", std::to_string(plan.rate), "--schedule", (dir / "schedule.txt").string(),
                                  "--log", (dir / "sim.log").string(), "--seed", std::to_string(o.seed)};
  for (int c = 0; c < plan.channels; ++c)
    sim.insert(sim.end(), {"--value", std::to_string(c + 1) + "=" + std::to_string(plan.bases[c])});
  if (plan.kind->streams) {
    std::string line;
    for (int c = 0; c < plan.channels; ++c) line += (c ? "," : "") + std::to_string(c + 1);
    sim.insert(sim.end(), {"--line", line, "--period", "50"});
  }
  run.sim = Spawn(sim, dir / "sim.out", dir / "sim.err");
  for (int i = 0; i < 50 && !fs::exists(link); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  setenv("MV_CONFIG_DIR", config.c_str(), 1);
  setenv("MV_DOCUMENTS_DIR", docs.c_str(), 1);
  setenv("MV_EXTRA_PORTS", link.c_str(), 1);
  setenv("MV_RESOURCES_DIR", resources.c_str(), 1);
  setenv("MV_DISPLAY_SIZE", "1280x800", 1);
  setenv("MV_SHOT_DIR", dir.c_str(), 1);
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  run.drive = Spawn({(bin / "mv-drive").string(), (dir / "run.mvs").string()}, dir / "drive.out",
                    dir / "drive.err");
  Watch(run, o);
  kill(run.sim, SIGTERM);
  waitpid(run.sim, nullptr, 0);
  return run;
}

int SoakOne(Options o, const std::string& kind, const fs::path& bin, const fs::path& resources) {
  o.kind = kind;
  const Plan plan = MakePlan(o);
  const fs::path work = o.workDir.empty() ? fs::temp_directory_path() / ("mv-soak-" + std::to_string(getpid()))
                                          : fs::path(o.workDir);
  const fs::path dir = work / (kind + "-" + std::to_string(o.seed)), docs = dir / "documents";
  Run run;
  if (o.recheck) {
    run.driveStatus = 0;
    std::istringstream in(ReadWhole(dir / "usage.txt"));
    for (Usage u; in >> u.seconds >> u.rssMiB >> u.cpuSeconds;) run.usage.push_back(u);
  } else {
    run = RecordOne(o, plan, dir, bin, resources);
    std::ostringstream out;
    for (const Usage& u : run.usage) out << u.seconds << " " << u.rssMiB << " " << u.cpuSeconds << "\n";
    Write(dir / "usage.txt", out.str());
  }

  std::printf("== mv-soak --kind %s --seconds %g --seed %u --interval %g: %d channels, rise %.6g/s, "
              "period %d samples, backup %g s, %zu faults, %zu pauses, %zu markers (in %s)\n",
              kind.c_str(), o.seconds, o.seed, o.interval, plan.channels, plan.rate, plan.periodSamples,
              plan.backupSeconds, plan.faults.size(), plan.pauses.size(), plan.markers.size(), dir.c_str());
  if (run.driveStatus != 0) {
    std::printf("FAIL the driven run ended with %d:\n%s%s", run.driveStatus, ReadWhole(dir / "drive.out").c_str(),
                ReadWhole(dir / "drive.err").substr(0, 4000).c_str());
  }
  const SimLog log = ParseSimLog(ReadWhole(dir / "sim.log"));
  if (log.origin < 0) return std::printf("FAIL the simulator's log has no ramp origin\n"), 2;
  const std::vector<StoredFile> files = Decode(docs, kRoot, kLast);
  std::printf("files: %zu\n", files.size());
  const fs::path text = docs / kLastText;
  const Report report =
      Check(plan, o, files, fs::exists(text) ? ParseTextDump(DumpOf(text)) : std::vector<std::vector<double>>{},
            log, run.usage);
  std::printf("%s", report.Text().c_str());
  std::fflush(stdout);
  if (run.driveStatus != 0) return 2;
  if (report.ok() && o.workDir.empty()) fs::remove_all(work);
  return report.ok() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  std::vector<std::string> kinds;
  const bool help = mv::tools::AskedForHelp(argc, argv);
  if (help || !ParseArgs(argc, argv, o, kinds)) return mv::tools::Usage(kUsage, help);
  const fs::path bin = fs::canonical("/proc/self/exe").parent_path();
  fs::path resources = bin.parent_path().parent_path().parent_path() / "resources";
  if (const char* r = std::getenv("MV_RESOURCES_DIR")) resources = r;
  int worst = 0;
  for (const std::string& k : kinds) worst = std::max(worst, SoakOne(o, k, bin, resources));
  return worst;
}
