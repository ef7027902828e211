// The mv-sim command line.
#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

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
    {"hangup", Fault::HangUp},
};

constexpr const char* kUsage =
    "usage: mv-sim --kind ui2|ui3|dt500|dt50|dt800|dt80|dt85|adam|adc1|stream --link PATH\n"
    "              [--baud N] [--fault silent|late|partial|stale|garbage|hangup] [--fault-count N]\n"
    "              [--fault-after S] [--fault-for S] [--late-ms MS] [--value INPUT=V]...\n"
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
    "to the first N replies; --fault-after and --fault-for give the fault a span of the\n"
    "run in seconds (from S seconds after the start, for S seconds; default: all of it).\n"
    "A late reply comes --late-ms after the program's time-out (default 84). hangup: the\n"
    "terminal hangs up for the span, then a new one takes the link.\n"
    "--value INPUT=V: what an input reads, in the program's units (volts; Sable T inputs\n"
    "9-12 degrees, counter 13; DataTaker channels in their own unit; ADAM input 0 the\n"
    "CJC temperature; stream: field INPUT). While running, a line \"set INPUT V\" on\n"
    "standard input changes it.\n";

bool ToInt(std::string_view s, int* out) {
  auto r = std::from_chars(s.data(), s.data() + s.size(), *out);
  return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

bool ToDouble(std::string_view s, double* out) {
  auto r = std::from_chars(s.data(), s.data() + s.size(), *out);
  return r.ec == std::errc() && r.ptr == s.data() + s.size() && std::isfinite(*out);
}

// "INPUT=V" (the command line) or "INPUT V" (a control line).
bool ToInputValue(std::string_view s, char separator, std::pair<int, double>* out) {
  const size_t at = s.find(separator);
  if (at == std::string_view::npos) return false;
  return ToInt(s.substr(0, at), &out->first) && out->first >= 0 && ToDouble(s.substr(at + 1), &out->second);
}

// One control line: "set INPUT V". Answers on standard error.
void ControlLine(Simulator& sim, std::string_view line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
  std::pair<int, double> iv;
  if (line.empty()) return;
  if (line.substr(0, 4) != "set " || !ToInputValue(line.substr(4), ' ', &iv)) {
    std::fprintf(stderr, "mv-sim: control line \"%.*s\" is not \"set INPUT VALUE\"\n",
                 static_cast<int>(line.size()), line.data());
    return;
  }
  if (!sim.SetValue(iv.first, iv.second))
    std::fprintf(stderr, "mv-sim: this instrument has no input %d\n", iv.first);
}

// Takes control lines from standard input until a signal comes (end of input leaves
// the instrument running).
void ServeControlLines(Simulator& sim, int signals) {
  std::string pending;
  bool input = true;
  for (;;) {
    pollfd p[2] = {{signals, POLLIN, 0}, {input ? STDIN_FILENO : -1, POLLIN, 0}};
    if (::poll(p, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (p[0].revents & POLLIN) return;
    if (!(p[1].revents & (POLLIN | POLLHUP))) continue;
    char buf[512];
    const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
    if (n <= 0) {
      input = false;
      continue;
    }
    pending.append(buf, static_cast<size_t>(n));
    for (size_t nl = pending.find('\n'); nl != std::string::npos; nl = pending.find('\n')) {
      ControlLine(sim, std::string_view(pending).substr(0, nl));
      pending.erase(0, nl + 1);
    }
    if (pending.size() > 4096) pending.clear();  // no line is that long
  }
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

namespace {

// A comma-separated list: with keepDash a "-" item is an empty one; without, empty items are dropped.
std::vector<std::string> CommaList(const std::string& v, bool keepDash) {
  std::vector<std::string> items;
  for (size_t start = 0; start <= v.size();) {
    const size_t comma = std::min(v.find(',', start), v.size());
    std::string item = v.substr(start, comma - start);
    if (keepDash)
      items.push_back(item == "-" ? std::string() : item);
    else if (!item.empty())
      items.push_back(item);
    start = comma + 1;
  }
  return items;
}

// The options that take a whole number (--fault-count may be -1, the others not below 0).
constexpr const char* kWholeNumberOptions[] = {"--baud",  "--fault-count", "--period", "--burst",
                                               "--split", "--busy",        "--seed",   "--late-ms"};

bool TakesWholeNumber(const std::string& a) {
  return std::find(std::begin(kWholeNumberOptions), std::end(kWholeNumberOptions), a) !=
         std::end(kWholeNumberOptions);
}

void SetWholeNumber(const std::string& a, int n, Options& o) {
  if (a == "--baud") o.baud = n;
  if (a == "--fault-count") o.faultCount = n;
  if (a == "--period") o.periodMs = n;
  if (a == "--burst") o.burst = n;
  if (a == "--split") o.splitMs = n;
  if (a == "--busy") o.adc1BusyPolls = n;
  if (a == "--seed") o.seed = static_cast<uint32_t>(n);
  if (a == "--late-ms") o.lateMs = n;
}

// Applies option `a` with its value `v`: "" when done, else why not.
std::string ValueOption(const std::string& a, const std::string& v, Options& o, bool* ownLines) {
  int n = 0;
  double seconds = 0;
  std::pair<int, double> iv;
  if (a == "--kind") {
    const auto k = KindFromName(v);
    if (!k) return "unknown kind \"" + v + "\"";
    o.kind = *k;
  } else if (a == "--fault") {
    const auto f = FaultFromName(v);
    if (!f) return "unknown fault \"" + v + "\"";
    o.fault = *f;
  } else if (a == "--link") {
    o.link = v;
  } else if (a == "--log") {
    o.logPath = v;
  } else if (a == "--modules") {
    o.adamModules = CommaList(v, true);
  } else if (a == "--burst-values") {
    o.burstValues = CommaList(v, false);
    if (o.burstValues.empty()) return "--burst-values needs at least one value";
  } else if (a == "--fault-after" || a == "--fault-for") {
    if (!ToDouble(v, &seconds) || seconds < 0) return a + " needs a number of seconds, not \"" + v + "\"";
    (a == "--fault-after" ? o.faultAfter : o.faultFor) = seconds;
  } else if (a == "--value") {
    if (!ToInputValue(v, '=', &iv)) return "--value needs INPUT=V, not \"" + v + "\"";
    o.values.push_back(iv);
  } else if (a == "--name") {
    o.nameLine = v;
  } else if (a == "--line") {
    if (!*ownLines) o.lines.clear();
    *ownLines = true;
    o.lines.push_back(v);
  } else if (TakesWholeNumber(a)) {
    if (!ToInt(v, &n) || n < (a == "--fault-count" ? -1 : 0))
      return a + " needs a whole number, not \"" + v + "\"";
    SetWholeNumber(a, n, o);
  } else {
    return "unexpected argument \"" + a + "\"";
  }
  return {};
}

}  // namespace

std::optional<Options> ParseCommandLine(const std::vector<std::string>& args, std::string* error) {
  Options o;
  bool haveKind = false, ownLines = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--channel-values") {
      o.channelValues = true;
      continue;
    }
    if (a.rfind("--", 0) != 0 || i + 1 >= args.size())
      return *error = "unexpected argument \"" + a + "\"", std::nullopt;
    const std::string why = ValueOption(a, args[++i], o, &ownLines);
    if (!why.empty()) return *error = why, std::nullopt;
    haveKind |= a == "--kind";
  }
  if (!haveKind) return *error = "--kind is required", std::nullopt;
  if (o.fault == Fault::HangUp && o.faultFor < 0)
    return *error = "--fault hangup needs --fault-for (how long the line stays down)", std::nullopt;
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
  // The answering thread inherits the blocked signals; only the signalfd below takes them.
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
  const int signals = signalfd(-1, &set, SFD_CLOEXEC);
  if (signals < 0) {
    std::perror("mv-sim: signalfd");
    return 1;
  }
  ServeControlLines(sim, signals);
  ::close(signals);
  sim.Stop();
  return 0;
}

}  // namespace mv::sim
