// The mv-sim command line.
#include <algorithm>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <string>

#include "sim/sim.h"

namespace mv::sim {

namespace {

struct NamedKind {
  const char* name;
  Kind kind;
};
constexpr NamedKind kKinds[] = {
    {"ui2", Kind::UI2},     {"ui3", Kind::UI3},       {"dt500", Kind::DT500}, {"dt50", Kind::DT50},
    {"dt800", Kind::DT800}, {"dt80", Kind::DT80},     {"dt85", Kind::DT85},   {"adam", Kind::ADAM},
    {"adc1", Kind::ADC1},   {"stream", Kind::Stream},
};

struct NamedFault {
  const char* name;
  Fault fault;
};
constexpr NamedFault kFaults[] = {
    {"none", Fault::None},       {"silent", Fault::Silent}, {"late", Fault::Late},
    {"partial", Fault::Partial}, {"stale", Fault::Stale},   {"garbage", Fault::Garbage},
};

constexpr const char* kUsage =
    "usage: mv-sim --kind ui2|ui3|dt500|dt50|dt800|dt80|dt85|adam|adc1|stream --link PATH\n"
    "              [--baud N] [--fault silent|late|partial|stale|garbage] [--fault-count N]\n"
    "              [--log FILE] [--seed N] [--channel-values]\n"
    "  stream only: [--period MS] [--burst N] [--split MS] [--name LINE] [--line LINE]...\n"
    "               (--burst: lines sent together; --split: every line in two halves, MS apart)\n"
    "  adc1 only: [--busy N] (status polls answered \"busy\" before each result; default 2)\n"
    "  adam only: [--modules MODEL,MODEL,...] (addresses 01, 02, ...; \"-\" for none)\n"
    "  dt800 only: [--burst-values MV,MV,...] (the millivolts a burst sends, in turn)\n"
    "  --channel-values (dt*, adam): each channel answers its own value (a DataTaker's\n"
    "               voltage channel n: n x 100 mV; ADAM address AA input i: AA + i/10 V)\n"
    "Creates a pseudo-terminal, links PATH to it and answers as the instrument until\n"
    "interrupted. --baud paces the replies at that rate; --fault-count limits the fault\n"
    "to the first N replies.\n";

bool ToInt(const std::string& s, int* out) {
  auto r = std::from_chars(s.data(), s.data() + s.size(), *out);
  return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

}  // namespace

std::optional<Kind> KindFromName(std::string_view name) {
  for (const auto& k : kKinds)
    if (name == k.name) return k.kind;
  return std::nullopt;
}

std::optional<Fault> FaultFromName(std::string_view name) {
  for (const auto& f : kFaults)
    if (name == f.name) return f.fault;
  return std::nullopt;
}

const char* KindName(Kind kind) {
  for (const auto& k : kKinds)
    if (k.kind == kind) return k.name;
  return "?";
}

std::optional<Options> ParseCommandLine(const std::vector<std::string>& args, std::string* error) {
  Options o;
  bool haveKind = false, ownLines = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string* v) {
      if (i + 1 >= args.size()) return false;
      *v = args[++i];
      return true;
    };
    std::string v;
    int n = 0;
    if (a == "--channel-values") {
      o.channelValues = true;
    } else if (a == "--kind" && value(&v)) {
      auto k = KindFromName(v);
      if (!k) return *error = "unknown kind \"" + v + "\"", std::nullopt;
      o.kind = *k;
      haveKind = true;
    } else if (a == "--fault" && value(&v)) {
      auto f = FaultFromName(v);
      if (!f) return *error = "unknown fault \"" + v + "\"", std::nullopt;
      o.fault = *f;
    } else if (a == "--link" && value(&v)) {
      o.link = v;
    } else if (a == "--log" && value(&v)) {
      o.logPath = v;
    } else if (a == "--modules" && value(&v)) {
      o.adamModules.clear();
      for (size_t start = 0; start <= v.size();) {
        size_t comma = std::min(v.find(',', start), v.size());
        std::string model = v.substr(start, comma - start);
        o.adamModules.push_back(model == "-" ? std::string() : model);
        start = comma + 1;
      }
    } else if (a == "--burst-values" && value(&v)) {
      o.burstValues.clear();
      for (size_t start = 0; start <= v.size();) {
        size_t comma = std::min(v.find(',', start), v.size());
        if (comma > start) o.burstValues.push_back(v.substr(start, comma - start));
        start = comma + 1;
      }
      if (o.burstValues.empty()) return *error = "--burst-values needs at least one value", std::nullopt;
    } else if (a == "--name" && value(&v)) {
      o.nameLine = v;
    } else if (a == "--line" && value(&v)) {
      if (!ownLines) o.lines.clear();
      ownLines = true;
      o.lines.push_back(v);
    } else if ((a == "--baud" || a == "--fault-count" || a == "--period" || a == "--burst" ||
                a == "--split" || a == "--busy" || a == "--seed") &&
               value(&v)) {
      if (!ToInt(v, &n) || n < (a == "--fault-count" ? -1 : 0))
        return *error = a + " needs a whole number, not \"" + v + "\"", std::nullopt;
      if (a == "--baud") o.baud = n;
      if (a == "--fault-count") o.faultCount = n;
      if (a == "--period") o.periodMs = n;
      if (a == "--burst") o.burst = n;
      if (a == "--split") o.splitMs = n;
      if (a == "--busy") o.adc1BusyPolls = n;
      if (a == "--seed") o.seed = static_cast<uint32_t>(n);
    } else {
      return *error = "unexpected argument \"" + a + "\"", std::nullopt;
    }
  }
  if (!haveKind) return *error = "--kind is required", std::nullopt;
  if (o.link.empty()) return *error = "--link is required", std::nullopt;
  return o;
}

int RunCommandLine(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  for (const auto& a : args)
    if (a == "--help" || a == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
  std::string error;
  std::optional<Options> options = ParseCommandLine(args, &error);
  if (!options) {
    std::fprintf(stderr, "mv-sim: %s\n%s", error.c_str(), kUsage);
    return 2;
  }
  // The answering thread inherits the blocked signals; only sigwait below takes them.
  sigset_t set;
  sigemptyset(&set);
  for (int s : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&set, s);
  pthread_sigmask(SIG_BLOCK, &set, nullptr);

  Simulator sim(*options);
  if (!sim.Start(&error)) {
    std::fprintf(stderr, "mv-sim: %s\n", error.c_str());
    return 1;
  }
  std::fprintf(stderr, "mv-sim: %s on %s, linked at %s\n", KindName(options->kind),
               sim.TerminalPath().c_str(), options->link.c_str());
  int sig = 0;
  sigwait(&set, &sig);
  sim.Stop();
  return 0;
}

}  // namespace mv::sim
