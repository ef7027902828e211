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
#include <fstream>
#include <sstream>
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
    {"hangup", Fault::HangUp},   {"freeze", Fault::Freeze}, {"slow", Fault::Slow},
    {"spike", Fault::Spike},
};

constexpr const char* kUsage =
    "usage: mv-sim --kind ui2|ui3|dt500|dt50|dt800|dt80|dt85|adam|adc1|stream --link PATH\n"
    "              [--baud N] [--late-ms MS] [--slow-ms MS] [--value INPUT=V]... [--ramp RATE]\n"
    "              [--wrap LOW:HIGH]\n"
    "              [--fault silent|late|partial|stale|garbage|hangup|freeze|slow|spike\n"
    "               [--fault-after S]\n"
    "               [--fault-for S] [--fault-count N] [--fault-module AA]]...\n"
    "              [--schedule FILE] [--log FILE [--log-readings]] [--seed N] [--channel-values]\n"
    "  stream only: [--period MS] [--burst N] [--split MS] [--name LINE] [--line LINE]...\n"
    "               (--burst: lines sent together; --split: every line in two halves, MS apart)\n"
    "  adc1 only: [--busy N] (status polls answered \"busy\" before each result; default 2)\n"
    "  adam only: [--modules MODEL,MODEL,...] (addresses 01, 02, ...; \"-\" for none)\n"
    "  dt800 only: [--burst-values MV,MV,...] (the millivolts a burst sends, in turn)\n"
    "              [--burst-tagged] (burst n's k-th number is n x 100000 + k mV)\n"
    "              [--burst-tag-step MV] (tagged numbers n x MV + k in place of n x 100000 + k)\n"
    "              [--burst-tagged-in-range] (burst n's k-th number is S x k + (n mod S) - 10000 mV,\n"
    "               S = 20001 / (count + 1): within +-10 V, whole millivolts)\n"
    "              [--burst-fault N:stale|garbage]... (burst N repeats the burst before it\n"
    "               ahead of its own numbers, or has a tenth of its bytes garbled)\n"
    "              [--burst-gap N:BYTE:MS[:LOST]]... (burst N sends nothing from its byte\n"
    "               BYTE, 0 the first, for MS ms, then the rest, paced, ahead of a new\n"
    "               burst, less its first LOST bytes; MS below 0: the rest never comes)\n"
    "  --channel-values (dt*, adam): each channel answers its own value (a DataTaker's\n"
    "               voltage channel n: n x 100 mV; ADAM address AA input i: AA + i/10 V)\n"
    "Creates a pseudo-terminal, links PATH to it and answers as the instrument until\n"
    "interrupted. --baud paces the replies at that rate. Each --fault is one fault, and\n"
    "the --fault-* options after it are its own: --fault-after and --fault-for give it a\n"
    "span of the run in seconds (from S seconds after the start, for S seconds; default:\n"
    "all of it), --fault-count limits it to its first N replies, --fault-module to the\n"
    "replies of the ADAM module at address AA. Where spans overlap the later --fault\n"
    "applies. A late reply comes --late-ms after the program's time-out (default 84),\n"
    "a slow one --slow-ms after its request (default 300), within the time-out.\n"
    "hangup: the terminal hangs up for the span, then a new one takes the link. freeze:\n"
    "nothing is answered in the span, and at its end every request of the span is.\n"
    "spike: a text reply's number is three times what it would be (a far reading).\n"
    "--value INPUT=V: what an input reads, in the program's units (volts; Sable T inputs\n"
    "9-12 degrees, counter 13, input 14 volts; DataTaker channels in their own unit; ADAM\n"
    "input 0 the CJC temperature; stream: field INPUT). --ramp RATE: every input but the\n"
    "Sable T inputs and counter and the ADAM CJC rises by RATE a second (its own unit)\n"
    "from the first byte received (a stream: from the start). --wrap LOW:HIGH: an input\n"
    "given its own rate (\"ramp INPUT RATE\") reads from LOW again once it rises past\n"
    "HIGH.\n"
    "Control lines on standard input, or in --schedule FILE each after its time in\n"
    "seconds from the start (\"12.5 fault silent 3\"; \"#\" starts a comment):\n"
    "  set INPUT V          what the input reads from now on\n"
    "  ramp INPUT RATE      the input rises by RATE a second from now\n"
    "  late MS              late replies come MS after the time-out from now on\n"
    "  slow MS              slow replies come MS after their request from now on\n"
    "  fault NAME SECONDS [count N] [module AA]   the fault from now, for SECONDS\n"
    "  fault none           every fault ends now\n"
    "--log FILE keeps every byte (microseconds since the start, rx/tx/lost and the bytes)\n"
    "and every event (\"-- start\", \"-- ramp origin\", \"-- control \"LINE\"\", \"-- fault\n"
    "NAME begins\", \"... ends\", \"-- hang-up\", \"-- back\"), each event ending with\n"
    "\"at\" and the wall clock (CLOCK_REALTIME) in microseconds. --log-readings adds every\n"
    "reading an asked instrument takes (\"rd INPUT VALUE\", before the reply's rounding) and\n"
    "every reply that does not go out well within the program's time-out (\"rf FAULT MS\",\n"
    "MS after its request; \"held\": late only behind the replies before it).\n";

bool ToInt(std::string_view s, int* out) {
  auto r = std::from_chars(s.data(), s.data() + s.size(), *out);
  return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

bool ToDouble(std::string_view s, double* out) {
  auto r = std::from_chars(s.data(), s.data() + s.size(), *out);
  return r.ec == std::errc() && r.ptr == s.data() + s.size() && std::isfinite(*out);
}

// "INPUT=V".
bool ToInputValue(std::string_view s, std::pair<int, double>* out) {
  const size_t at = s.find('=');
  if (at == std::string_view::npos) return false;
  return ToInt(s.substr(0, at), &out->first) && out->first >= 0 && ToDouble(s.substr(at + 1), &out->second);
}

// An ADAM module's address: one or two decimal digits.
bool ToModule(std::string_view s, int* out) {
  return !s.empty() && s.size() <= 2 && ToInt(s, out) && *out >= 0;
}

std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  for (size_t at = 0; at < line.size();) {
    const size_t end = std::min(line.find_first_of(" \t", at), line.size());
    if (end > at) words.push_back(line.substr(at, end - at));
    at = end + 1;
  }
  return words;
}

std::string_view Trimmed(std::string_view line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
    line.remove_suffix(1);
  while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
  return line;
}

// "fault NAME SECONDS [count N] [module AA]" or "fault none": "" when right, else why not.
std::string FaultControl(const std::vector<std::string_view>& w, FaultSpec* f) {
  const auto fault = w.size() > 1 ? FaultFromName(w[1]) : std::nullopt;
  if (!fault) return "fault needs one of none, silent, late, partial, stale, garbage, hangup, freeze, slow";
  f->fault = *fault;
  if (*fault == Fault::None) return w.size() == 2 ? "" : "fault none takes nothing more";
  if (w.size() < 3 || !ToDouble(w[2], &f->seconds) || f->seconds < 0)
    return "fault " + std::string(w[1]) + " needs its length in seconds";
  for (size_t i = 3; i < w.size(); i += 2) {
    const bool value = i + 1 < w.size();
    if (w[i] == "count" && value && ToInt(w[i + 1], &f->count) && f->count >= 0) continue;
    if (w[i] == "module" && value && ToModule(w[i + 1], &f->module) && *fault != Fault::HangUp) continue;
    return "\"" + std::string(w[i]) + "\" is not \"count N\" or \"module AA\" (a hang-up is every module's)";
  }
  return {};
}

// Takes control lines from standard input until a signal comes (end of input leaves
// the instrument running). Answers on standard error.
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
      const std::string_view line = Trimmed(std::string_view(pending).substr(0, nl));
      std::string error;
      if (!line.empty()) {
        const std::optional<Control> c = ParseControl(line, &error);
        if (!c || !sim.Apply(*c, &error))
          std::fprintf(stderr, "mv-sim: control line \"%.*s\": %s\n", static_cast<int>(line.size()),
                       line.data(), error.c_str());
      }
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

const char* FaultName(Fault fault) {
  for (const auto& f : kFaults)
    if (f.fault == fault) return f.name;
  return "?";
}

const char* KindName(Kind kind) {
  for (const auto& k : kKinds)
    if (k.kind == kind) return k.name;
  return "?";
}

std::optional<Control> ParseControl(std::string_view line, std::string* error) {
  line = Trimmed(line);
  const std::vector<std::string_view> w = Words(line);
  Control c;
  c.text = std::string(line);
  const bool inputLine = w.size() == 3 && (w[0] == "set" || w[0] == "ramp");
  if (inputLine && ToInt(w[1], &c.input) && c.input >= 0 && ToDouble(w[2], &c.value)) {
    c.verb = w[0] == "set" ? Control::Verb::Set : Control::Verb::Ramp;
    return c;
  }
  int ms = 0;
  if (w.size() == 2 && (w[0] == "late" || w[0] == "slow") && ToInt(w[1], &ms) && ms >= 0) {
    c.verb = w[0] == "late" ? Control::Verb::Late : Control::Verb::Slow;
    c.value = ms;
    return c;
  }
  if (!w.empty() && w[0] == "fault") {
    c.verb = Control::Verb::Fault;
    const std::string why = FaultControl(w, &c.fault);
    if (why.empty()) return c;
    return *error = why, std::nullopt;
  }
  *error = "not \"set INPUT V\", \"ramp INPUT RATE\", \"late MS\", \"slow MS\" or \"fault NAME SECONDS\"";
  return std::nullopt;
}

std::optional<std::vector<TimedControl>> ReadSchedule(const std::string& path, std::string* error) {
  std::ifstream in(path);
  if (!in) return *error = path + ": cannot be read", std::nullopt;
  std::vector<TimedControl> schedule;
  std::string text;
  for (int number = 1; std::getline(in, text); ++number) {
    const std::string_view line = Trimmed(text);
    if (line.empty() || line.front() == '#') continue;
    const size_t space = std::min(line.find_first_of(" \t"), line.size());
    TimedControl t;
    std::string why = "no time in seconds first";
    if (ToDouble(line.substr(0, space), &t.at) && t.at >= 0) {
      const std::optional<Control> c = ParseControl(line.substr(space), &why);
      if (c) {
        t.control = *c;
        schedule.push_back(t);
        continue;
      }
    }
    *error = path + ":" + std::to_string(number) + ": " + why;
    return std::nullopt;
  }
  return schedule;
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

// "N:BYTE:MS" of a burst gap.
bool ToBurstGap(std::string_view s, Options::BurstGap* out) {
  const size_t first = s.find(':');
  const size_t second = first == std::string_view::npos ? first : s.find(':', first + 1);
  if (second == std::string_view::npos) return false;
  const size_t third = s.find(':', second + 1);
  int burst = 0, byte = 0, lost = 0;
  if (!ToInt(s.substr(0, first), &burst) || burst < 1) return false;
  if (!ToInt(s.substr(first + 1, second - first - 1), &byte) || byte < 0) return false;
  if (!ToInt(s.substr(second + 1, third == std::string_view::npos ? third : third - second - 1), &out->ms))
    return false;
  if (third != std::string_view::npos && (!ToInt(s.substr(third + 1), &lost) || lost < 0)) return false;
  out->burst = burst;
  out->byte = byte;
  out->lost = lost;
  return true;
}

// "N:stale" or "N:garbage" of a burst fault.
bool ToBurstFault(std::string_view s, Options::BurstFault* out) {
  const size_t colon = s.find(':');
  int burst = 0;
  if (colon == std::string_view::npos || !ToInt(s.substr(0, colon), &burst) || burst < 1) return false;
  const auto fault = FaultFromName(s.substr(colon + 1));
  if (!fault || (*fault != Fault::Stale && *fault != Fault::Garbage)) return false;
  out->burst = burst;
  out->fault = *fault;
  return true;
}

// The options that take a whole number not below 0.
constexpr const char* kWholeNumberOptions[] = {"--baud", "--period", "--burst",   "--split",
                                               "--busy", "--seed",   "--late-ms", "--slow-ms"};

bool TakesWholeNumber(const std::string& a) {
  return std::find(std::begin(kWholeNumberOptions), std::end(kWholeNumberOptions), a) !=
         std::end(kWholeNumberOptions);
}

void SetWholeNumber(const std::string& a, int n, Options& o) {
  if (a == "--baud") o.baud = n;
  if (a == "--period") o.periodMs = n;
  if (a == "--burst") o.burst = n;
  if (a == "--split") o.splitMs = n;
  if (a == "--busy") o.adc1BusyPolls = n;
  if (a == "--seed") o.seed = static_cast<uint32_t>(n);
  if (a == "--late-ms") o.lateMs = n;
  if (a == "--slow-ms") o.slowMs = n;
}

// Applies a fault's own option `a` with its value `v`: "" when done, else why not.
std::string FaultOption(const std::string& a, const std::string& v, FaultSpec& f) {
  if (a == "--fault-after" || a == "--fault-for") {
    double seconds = 0;
    if (!ToDouble(v, &seconds) || seconds < 0) return a + " needs a number of seconds, not \"" + v + "\"";
    (a == "--fault-after" ? f.after : f.seconds) = seconds;
  } else if (a == "--fault-count") {
    if (!ToInt(v, &f.count) || f.count < -1) return a + " needs a whole number, not \"" + v + "\"";
  } else if (a == "--fault-module") {
    if (!ToModule(v, &f.module)) return a + " needs a module's address (01, 02, ...), not \"" + v + "\"";
  } else {
    return "unexpected argument \"" + a + "\"";
  }
  return {};
}

// Whether the faults can be run: "" when they can, else why not.
std::string CheckFaults(const Options& o) {
  for (const FaultSpec& f : o.faults) {
    if ((f.fault == Fault::HangUp || f.fault == Fault::Freeze) && f.seconds < 0)
      return std::string("--fault ") + FaultName(f.fault) + " needs --fault-for (how long the " +
             (f.fault == Fault::HangUp ? "line stays down)" : "instrument stays frozen)");
    if (f.module >= 0 && (o.kind != Kind::ADAM || f.fault == Fault::HangUp))
      return "--fault-module is for the replies of ADAM modules (a hang-up is every module's)";
  }
  return {};
}

// Applies option `a` with its value `v`: "" when done, else why not.
std::string ValueOption(const std::string& a, const std::string& v, Options& o, bool* ownLines) {
  int n = 0;
  std::pair<int, double> iv;
  if (a == "--kind") {
    const auto k = KindFromName(v);
    if (!k) return "unknown kind \"" + v + "\"";
    o.kind = *k;
  } else if (a == "--fault") {
    const auto f = FaultFromName(v);
    if (!f) return "unknown fault \"" + v + "\"";
    // A fault's own options may come before it when it is the only one.
    if (o.faults.empty() || o.faults.back().fault != Fault::None) o.faults.emplace_back();
    o.faults.back().fault = *f;
  } else if (a.rfind("--fault-", 0) == 0) {
    if (o.faults.empty()) o.faults.emplace_back();
    return FaultOption(a, v, o.faults.back());
  } else if (a == "--ramp") {
    if (!ToDouble(v, &o.ramp)) return "--ramp needs a rate, not \"" + v + "\"";
  } else if (a == "--wrap") {
    const size_t colon = v.find(':');
    if (colon == std::string::npos || !ToDouble(std::string_view(v).substr(0, colon), &o.wrapLow) ||
        !ToDouble(std::string_view(v).substr(colon + 1), &o.wrapHigh) || o.wrapHigh <= o.wrapLow)
      return "--wrap needs LOW:HIGH with LOW below HIGH, not \"" + v + "\"";
  } else if (a == "--schedule") {
    std::string why;
    const auto schedule = ReadSchedule(v, &why);
    if (!schedule) return why;
    o.schedule.insert(o.schedule.end(), schedule->begin(), schedule->end());
  } else if (a == "--link") {
    o.link = v;
  } else if (a == "--log") {
    o.logPath = v;
  } else if (a == "--modules") {
    o.adamModules = CommaList(v, true);
  } else if (a == "--burst-values") {
    o.burstValues = CommaList(v, false);
    if (o.burstValues.empty()) return "--burst-values needs at least one value";
  } else if (a == "--burst-gap") {
    Options::BurstGap g;
    if (!ToBurstGap(v, &g))
      return "--burst-gap needs N:BYTE:MS[:LOST] (N from 1, BYTE and LOST from 0), not \"" + v + "\"";
    o.burstGaps.push_back(g);
  } else if (a == "--burst-fault") {
    Options::BurstFault f;
    if (!ToBurstFault(v, &f)) return "--burst-fault needs N:stale or N:garbage (N from 1), not \"" + v + "\"";
    o.burstFaults.push_back(f);
  } else if (a == "--burst-tag-step") {
    if (!ToInt(v, &n) || n < 1) return "--burst-tag-step needs a whole number from 1, not \"" + v + "\"";
    o.burstTagStep = n;
  } else if (a == "--value") {
    if (!ToInputValue(v, &iv)) return "--value needs INPUT=V, not \"" + v + "\"";
    o.values.push_back(iv);
  } else if (a == "--name") {
    o.nameLine = v;
  } else if (a == "--line") {
    if (!*ownLines) o.lines.clear();
    *ownLines = true;
    o.lines.push_back(v);
  } else if (TakesWholeNumber(a)) {
    if (!ToInt(v, &n) || n < 0) return a + " needs a whole number, not \"" + v + "\"";
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
    if (a == "--burst-tagged-in-range") {
      o.burstTaggedInRange = true;
      continue;
    }
    if (a == "--channel-values" || a == "--burst-tagged" || a == "--log-readings") {
      (a == "--channel-values" ? o.channelValues : a == "--burst-tagged" ? o.burstTagged : o.logReadings) =
          true;
      continue;
    }
    if (a.rfind("--", 0) != 0 || i + 1 >= args.size())
      return *error = "unexpected argument \"" + a + "\"", std::nullopt;
    const std::string why = ValueOption(a, args[++i], o, &ownLines);
    if (!why.empty()) return *error = why, std::nullopt;
    haveKind |= a == "--kind";
  }
  if (!haveKind) return *error = "--kind is required", std::nullopt;
  std::erase_if(o.faults, [](const FaultSpec& f) { return f.fault == Fault::None; });
  if (const std::string why = CheckFaults(o); !why.empty()) return *error = why, std::nullopt;
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
