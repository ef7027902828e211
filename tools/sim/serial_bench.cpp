// serial-bench: channel reads per second and 16-channel sweep times from simulated Sable
// UI2 and UI3 interfaces through the real port code, paced at 115,200 baud (and a UI3 at
// 9,600), against the wire time (3 bytes of 10 bits a reading); and the processor time
// the reader uses while it reads and while it waits for a reply that never comes. A
// sweep is taken as the sample takers take it: the 16 readings, then one wait for the
// line to fall quiet. The program's services are installed as the program installs
// them. Prints name: value lines.
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "devices/dispatcher.h"
#include "devices/serial_port.h"
#include "devices/state.h"
#include "runtime/sound.h"
#include "setup/state.h"
#include "shell/wiring.h"
#include "sim/sim.h"
#include "usage.h"

namespace {

using SteadyClock = std::chrono::steady_clock;
constexpr int kBaud = 115200;

double ThreadCpuSeconds() {
  rusage use{};
  getrusage(RUSAGE_THREAD, &use);
  return use.ru_utime.tv_sec + use.ru_stime.tv_sec + (use.ru_utime.tv_usec + use.ru_stime.tv_usec) * 1e-6;
}

double Seconds(SteadyClock::duration d) {
  return std::chrono::duration<double>(d).count();
}

void Print(const std::string& name, double value) {
  std::printf("%s: %.4g\n", name.c_str(), value);
}

struct Run {
  double seconds = 0, cpu = 0;
  int failures = 0;
  std::vector<double> sweeps;  // seconds of each whole 16-channel sweep
};

// Whole 16-channel sweeps, reads / 16 of them (at least one).
Run ReadChannels(int reads) {
  Run r;
  auto t0 = SteadyClock::now();
  double c0 = ThreadCpuSeconds();
  for (int sweepsLeft = std::max(reads / 16, 1); sweepsLeft > 0; --sweepsLeft) {
    const auto sweepStart = SteadyClock::now();
    mv::ChannelSweep sweep(0);
    for (int16_t c = 1; c <= 16; ++c) sweep.Read(c);
    sweep.Settle();
    for (const auto& reading : sweep.Readings()) r.failures += reading.stood ? 0 : 1;
    r.sweeps.push_back(Seconds(SteadyClock::now() - sweepStart));
  }
  r.seconds = Seconds(SteadyClock::now() - t0);
  r.cpu = ThreadCpuSeconds() - c0;
  return r;
}

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
  return v[v.size() / 2];
}

bool Bench(mv::sim::Kind kind, const std::string& name, const std::string& link, int pace = kBaud,
           int reads = 4000) {
  mv::sim::Options o;
  o.kind = kind;
  o.link = link;
  o.baud = pace;
  mv::sim::Simulator sim(o);
  std::string error;
  if (!sim.Start(&error)) {
    std::fprintf(stderr, "serial-bench: %s\n", error.c_str());
    return false;
  }
  const int baud = pace > 0 ? pace : kBaud;
  mv::SerialOpenResult open = mv::OpenSerialPortPath(link, baud);
  if (!open.ok) {
    std::fprintf(stderr, "serial-bench: %s\n", open.reason.c_str());
    return false;
  }
  mv::External_AD = kind == mv::sim::Kind::UI2 ? mv::ExternalADCode::SableUI2 : mv::ExternalADCode::SableUI3;
  ReadChannels(64);  // warm up

  Run run = ReadChannels(reads);
  if (pace == 0) {  // the pseudo-terminal's own cost of a reading, with no wire time
    Print(name + "_reads_per_second", reads / run.seconds);
    mv::CloseSerialPort();
    return true;
  }
  const double wireLimit = baud / 30.0;
  const double wireSweep = 16 * 30.0 / baud;
  Print(name + "_reads_per_second", reads / run.seconds);
  Print(name + "_fraction_of_wire_limit", reads / run.seconds / wireLimit);
  Print(name + "_sweep16_ms", run.seconds / (reads / 16.0) * 1000.0);
  Print(name + "_wire_sweep16_ms", wireSweep * 1000.0);
  Print(name + "_median_sweep16_ms", Median(run.sweeps) * 1000.0);
  Print(name + "_median_sweep16_over_wire", Median(run.sweeps) / wireSweep);
  Print(name + "_reader_cpu_fraction", run.cpu / run.seconds);
  Print(name + "_failed_reads", run.failures);

  // A silent interface: a sweep waits out one time-out (the instrument has stopped
  // answering; the rest of the sweep fails at once), and the next waits for a late reply.
  sim.SetFault(mv::sim::Fault::Silent, -1);
  Run waiting = ReadChannels(32);
  Print(name + "_silent_sweep_seconds", waiting.seconds / 2);
  Print(name + "_cpu_fraction_while_waiting", waiting.cpu / waiting.seconds);
  // Half a reply, then nothing: the reader waits out the time-out with a byte in hand.
  sim.SetFault(mv::sim::Fault::Partial, -1);
  Run stalled = ReadChannels(16);
  Print(name + "_cpu_fraction_while_waiting_mid_reply", stalled.cpu / stalled.seconds);
  mv::CloseSerialPort();
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const bool help = mv::tools::AskedForHelp(argc, argv);
  if (help || argc > 1)
    return mv::tools::Usage(
        "usage: serial-bench\n  (no options: reads from simulated UI2 and UI3 interfaces and prints name: "
        "value lines)\n",
        help);
  mv::InstallServices();
  mv::rt::SetSoundSink([](const std::string&) {});
  mv::SerialWarningBuzz = 0;
  mv::nChannels = 16;
  for (int c = 1; c <= 16; ++c) mv::ChannelVariables[c][1] = static_cast<float>((c - 1) % 8 + 1);
  const auto dir = std::filesystem::temp_directory_path() / ("serial-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  Print("wire_limit_reads_per_second", kBaud / 30.0);
  Print("wire_limit_sweep16_ms", 16 * 30.0 / kBaud * 1000.0);
  bool ok = Bench(mv::sim::Kind::UI2, "ui2", (dir / "ui2").string()) &&
            Bench(mv::sim::Kind::UI3, "ui3", (dir / "ui3").string()) &&
            Bench(mv::sim::Kind::UI3, "ui3_9600", (dir / "ui3_9600").string(), 9600, 800) &&
            Bench(mv::sim::Kind::UI3, "ui3_unpaced", (dir / "unpaced").string(), 0);
  std::filesystem::remove_all(dir);
  return ok ? 0 : 1;
}
