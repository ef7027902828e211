// The pseudo-terminal framework shared by every simulated instrument: the terminal and
// its link, the answering thread, pacing at a baud rate, injected faults, the inputs'
// values and rises, control lines and their schedule, and the log.
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <deque>
#include <mutex>
#include <random>
#include <thread>

#include "sim/fault_plan.h"
#include "sim/responder.h"

namespace mv::sim {

namespace {

// Bytes nobody reads are kept up to this many, then the oldest are lost, as on a line
// that nobody listens to.
constexpr size_t kMaxUnread = 65536;
// The rest of a split line follows after this gap.
constexpr int kSplitGapMs = 50;
// The loop looks again at least this often (a control line wakes it sooner).
constexpr auto kLongestWait = std::chrono::milliseconds(50);

std::string Hex(std::string_view bytes) {
  static const char* kDigits = "0123456789ABCDEF";
  std::string s;
  for (unsigned char c : bytes) {
    s += ' ';
    s += kDigits[c >> 4];
    s += kDigits[c & 15];
  }
  return s;
}

Clock::duration SecondsOf(double seconds) {
  return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

// The wall clock (CLOCK_REALTIME) in microseconds, which another process can read too.
long long RealtimeMicroseconds() {
  timespec t{};
  ::clock_gettime(CLOCK_REALTIME, &t);
  return static_cast<long long>(t.tv_sec) * 1'000'000 + t.tv_nsec / 1000;
}

}  // namespace

std::string NumberText(double value) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, value);
  return std::string(buf, r.ptr);
}

std::string FixedText(double value, int decimals) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
  return std::string(buf, r.ptr);
}

namespace {

// A text reply with its first number three times as large, written with as many
// decimals (its sign, if any, stays); a reply without a number is left as it is.
std::string Spiked(const std::string& reply) {
  size_t from = reply.find_first_of("0123456789");
  if (from == std::string::npos) return reply;
  size_t to = from;
  while (to < reply.size() && (std::isdigit(static_cast<unsigned char>(reply[to])) || reply[to] == '.')) ++to;
  const size_t point = reply.find('.', from);
  const int decimals = point < to ? static_cast<int>(to - point - 1) : 0;
  const double value = std::stod(reply.substr(from, to - from)) * 3;
  return reply.substr(0, from) + FixedText(value, decimals) + reply.substr(to);
}

}  // namespace

struct Simulator::Impl {
  struct Scheduled {
    Clock::time_point due;
    std::string bytes;
  };

  Options opt;
  Inputs inputs;
  std::unique_ptr<Responder> responder;
  int master = -1, slave = -1, wake[2] = {-1, -1};
  std::string terminal;
  std::thread thread;
  std::atomic<bool> stop{false};
  mutable std::mutex mu;
  std::string received, sent;
  FaultPlan faults;
  bool faultsSetByCall = false;  // SetFault or SetFaultSpan before the start: not the options'
  bool hungUp = false;
  Clock::time_point nextReopen{};
  size_t nextControl = 0;  // the schedule's next line
  std::string previousReply;
  std::mt19937 rng;
  std::vector<Scheduled> scheduled;
  std::deque<std::pair<Clock::time_point, char>> wire;
  Clock::time_point txFree{}, rxFree{}, start{};
  std::FILE* log = nullptr;

  Clock::duration ByteTime() const {
    return opt.baud > 0 ? std::chrono::duration_cast<Clock::duration>(
                              std::chrono::nanoseconds(10'000'000'000LL / opt.baud))
                        : Clock::duration::zero();
  }

  // One line of the log: microseconds since the start, then the text.
  void LogLine(std::string_view text) {
    if (!log) return;
    auto us = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count();
    char num[32];
    auto r = std::to_chars(num, num + sizeof num, us);
    std::string line(num, r.ptr);
    line += ' ';
    line += text;
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), log);
    std::fflush(log);
  }

  void Log(const char* dir, std::string_view bytes) {
    if (log) LogLine(dir + Hex(bytes));
  }

  // An event, with the wall clock's microseconds at its end so that another process
  // can tell when it happened.
  void LogEvent(std::string_view what) {
    if (log) LogLine("-- " + std::string(what) + " at " + std::to_string(RealtimeMicroseconds()));
  }

  // Wakes the answering thread, which sleeps until its next event.
  void Wake() {
    char c = 1;
    [[maybe_unused]] ssize_t w = ::write(wake[1], &c, 1);
  }

  // The ramp's origin: every rise is counted from it.
  void StartRamp(Clock::time_point now) {
    inputs.StartRamp(now);
    LogEvent("ramp origin");
  }

  // In place of every fault so far.
  void ReplaceFaults(const FaultSpec& fault, Clock::time_point origin) {
    const auto now = Clock::now();
    faults.EndAll(now);
    for (const std::string& change : faults.Changes(now)) LogEvent(change);
    faults.Add(fault, origin);
  }

  // Applies a control line and logs it; false with the reason it cannot apply.
  bool Apply(const Control& c, std::string* error) {
    bool ok = true;
    switch (c.verb) {
      case Control::Verb::Set:
        ok = responder->SetValue(c.input, c.value);
        break;
      case Control::Verb::Ramp:
        ok = responder->SetRate(c.input, c.value);
        break;
      case Control::Verb::Late:
        opt.lateMs = static_cast<int>(c.value);
        break;
      case Control::Verb::Slow:
        opt.slowMs = static_cast<int>(c.value);
        break;
      case Control::Verb::Fault:
        if (c.fault.fault == Fault::None)
          faults.EndAll(Clock::now());
        else
          faults.Add(c.fault, Clock::now());
        break;
    }
    if (!ok) {
      if (error) *error = "this instrument has no input " + std::to_string(c.input);
      return false;
    }
    LogEvent("control \"" + c.text + "\"");
    return true;
  }

  // The schedule's lines that are due.
  void ApplyDue(Clock::time_point now) {
    for (; nextControl < opt.schedule.size(); ++nextControl) {
      const TimedControl& t = opt.schedule[nextControl];
      if (start + SecondsOf(t.at) > now) break;
      std::string error;
      if (!Apply(t.control, &error))
        std::fprintf(stderr, "mv-sim: \"%s\": %s\n", t.control.text.c_str(), error.c_str());
    }
  }

  // The pieces actually sent for one reply, with the fault applied; a frozen reply
  // waits until *notBefore.
  std::vector<Reply> Faulted(Reply r, Clock::time_point now, Clock::time_point* notBefore, Fault* applied) {
    if (!r.faultable) return {r};
    const FaultPlan::Applied f = faults.Take(r.module, now);
    *applied = f.fault;
    std::string previous = previousReply.empty() ? r.bytes : previousReply;
    previousReply = r.bytes;
    switch (f.fault) {
      case Fault::None:
      case Fault::HangUp:
        return {r};
      case Fault::Freeze:
        *notBefore = f.until;
        return {r};
      case Fault::Silent:
        return {};
      case Fault::Late:
        r.delayMs += responder->TimeoutMs() + opt.lateMs;
        return {r};
      case Fault::Slow:
        r.delayMs += opt.slowMs;
        return {r};
      case Fault::Partial: {
        // A one-byte reply (an ADC-1's) has no half to send: it goes out whole, and the
        // log must not name a fault it did not suffer.
        if (r.bytes.size() < 2) {
          *applied = Fault::None;
          return {r};
        }
        size_t half = r.bytes.size() / 2;
        std::vector<Reply> pieces{{r.bytes.substr(0, half), r.delayMs}};
        if (responder->PartialRestFollows() && half < r.bytes.size())
          pieces.push_back({r.bytes.substr(half), r.delayMs + kSplitGapMs});
        return pieces;
      }
      case Fault::Stale:
        return {{r.bytes + previous, r.delayMs}};
      case Fault::Spike:
        r.bytes = Spiked(r.bytes);
        return {r};
      case Fault::Garbage: {
        std::string junk(r.bytes.size() + 3, '\0');
        for (auto& c : junk) c = static_cast<char>(rng() & 0xFF);
        return {{junk, r.delayMs}};
      }
    }
    return {r};
  }

  void Schedule(std::vector<Reply>& replies, Clock::time_point base) {
    // An instrument answers in order: a reply held back holds back the ones after it.
    for (auto& r : replies) {
      Clock::time_point notBefore = Clock::time_point::min();
      Fault applied = Fault::None;
      bool logged = false;
      for (auto& piece : Faulted(std::move(r), base, &notBefore, &applied)) {
        auto due = std::max(base + std::chrono::milliseconds(piece.delayMs), notBefore);
        if (!scheduled.empty()) due = std::max(due, scheduled.back().due);
        if (!logged) LogReplyFault(applied, due - base), logged = true;
        scheduled.push_back({due, std::move(piece.bytes)});
      }
      if (!logged && applied != Fault::None) LogReplyFault(applied, Clock::duration::zero());
    }
    replies.clear();
  }

  // A reply that does not go out well and in time: its fault, or "held" when only the
  // replies before it keep it past the program's time-out.
  void LogReplyFault(Fault fault, Clock::duration delay) {
    if (!opt.logReadings) return;
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(delay).count();
    const bool late = ms > responder->TimeoutMs();
    if (fault == Fault::None && !late) return;
    LogLine("rf " + std::string(fault == Fault::None ? "held" : FaultName(fault)) + " " + std::to_string(ms));
  }

  // Moves due replies onto the wire, each byte at its paced time.
  void Release(Clock::time_point now) {
    const auto byteTime = ByteTime();
    while (!scheduled.empty() && scheduled.front().due <= now) {
      Scheduled s = std::move(scheduled.front());
      scheduled.erase(scheduled.begin());
      txFree = std::max(txFree, s.due);
      for (char c : s.bytes) {
        txFree += byteTime;
        wire.emplace_back(byteTime == Clock::duration::zero() ? now : txFree, c);
      }
    }
    while (wire.size() > kMaxUnread) wire.pop_front();
  }

  void Transmit(Clock::time_point now) {
    std::string out;
    for (const auto& [due, c] : wire) {
      if (due > now) break;
      out += c;
    }
    if (out.empty()) return;
    // A hung-up line loses what the instrument says meanwhile.
    const ssize_t w = master < 0 ? 0 : ::write(master, out.data(), out.size());
    const size_t done = w > 0 ? static_cast<size_t>(w) : 0;
    wire.erase(wire.begin(), wire.begin() + static_cast<std::ptrdiff_t>(out.size()));
    sent.append(out, 0, done);
    if (done > 0) Log("tx", std::string_view(out).substr(0, done));
    // A line nobody reads fills up, and then loses what is sent on it, as a serial
    // line does; the bytes are not kept to be tried again (that would spin).
    if (master >= 0 && done < out.size()) Log("lost", std::string_view(out).substr(done));
  }

  void Receive(Clock::time_point now) {
    char buf[4096];
    ssize_t n = ::read(master, buf, sizeof buf);
    if (n <= 0) return;
    std::string_view in(buf, static_cast<size_t>(n));
    received.append(in);
    Log("rx", in);
    if (!inputs.RampStarted()) StartRamp(now);
    // The request is complete only when its last byte has crossed the wire.
    rxFree = std::max(rxFree, now) + ByteTime() * n;
    std::vector<Reply> replies;
    std::vector<std::pair<int, double>> taken;
    if (opt.logReadings) inputs.Record(&taken);
    responder->Received(in, replies);
    inputs.Record(nullptr);
    for (const auto& [input, value] : taken) LogLine("rd " + std::to_string(input) + " " + NumberText(value));
    Schedule(replies, opt.baud > 0 ? rxFree : now);
  }

  Clock::time_point NextEvent(Clock::time_point now) const {
    Clock::time_point next = std::min(responder->NextTick(), faults.NextChange(now));
    if (hungUp && nextReopen > now) next = std::min(next, nextReopen);
    if (nextControl < opt.schedule.size())
      next = std::min(next, start + SecondsOf(opt.schedule[nextControl].at));
    if (!scheduled.empty()) next = std::min(next, scheduled.front().due);
    if (!wire.empty()) next = std::min(next, wire.front().first);
    return next;
  }

  // Creates the pseudo-terminal and points the link at it; false with the failing
  // step in *what (errno tells why).
  bool OpenTerminal(std::string* what) {
    master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0) return *what = "posix_openpt", false;
    char name[128];
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0 || ::ptsname_r(master, name, sizeof name) != 0)
      return *what = "pseudo-terminal set-up", false;
    terminal = name;
    // Held open until the terminal hangs up: without a terminal-side descriptor the
    // pseudo-terminal hangs up whenever the program closes its port.
    slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) return *what = terminal, false;
    termios t{};
    ::tcgetattr(slave, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(slave, TCSANOW, &t);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    if (opt.link.empty()) return true;
    struct stat st {};
    if (::lstat(opt.link.c_str(), &st) == 0) {
      if (!S_ISLNK(st.st_mode)) {
        errno = EEXIST;
        return *what = opt.link + " exists and is not a symbolic link", false;
      }
      ::unlink(opt.link.c_str());
    }
    if (::symlink(terminal.c_str(), opt.link.c_str()) != 0) return *what = opt.link, false;
    return true;
  }

  // Closes the terminal (the program's side sees a hang-up) and takes the link away.
  void CloseTerminal() {
    if (!opt.link.empty() && !terminal.empty()) {
      char target[256];
      ssize_t n = ::readlink(opt.link.c_str(), target, sizeof target - 1);
      if (n > 0 && std::string_view(target, static_cast<size_t>(n)) == terminal) ::unlink(opt.link.c_str());
    }
    for (int* fd : {&master, &slave}) {
      if (*fd >= 0) ::close(*fd);
      *fd = -1;
    }
    terminal.clear();
  }

  // A hang-up span: the terminal goes at its start, and a new one takes the link at
  // its end, as when an adapter is pulled out and plugged in again.
  void HangUpWhenDue(Clock::time_point now) {
    const bool due = faults.HungUp(now);
    if (due && !hungUp) {
      CloseTerminal();
      hungUp = true;
      LogEvent("hang-up");
    } else if (!due && hungUp) {
      if (now < nextReopen) return;
      std::string what;
      if (!OpenTerminal(&what)) {
        std::fprintf(stderr, "mv-sim: %s: %s\n", what.c_str(), std::strerror(errno));
        CloseTerminal();
        nextReopen = now + std::chrono::milliseconds(100);
        return;
      }
      hungUp = false;
      LogEvent("back");
    }
  }

  // One pass: what is due now, then how long the loop may sleep.
  Clock::duration Pass() {
    std::lock_guard<std::mutex> lock(mu);
    const auto now = Clock::now();
    ApplyDue(now);
    for (const std::string& change : faults.Changes(now)) LogEvent(change);
    HangUpWhenDue(now);
    std::vector<Reply> replies;
    responder->Tick(now, replies);
    Schedule(replies, now);
    Release(now);
    Transmit(now);
    const auto later = Clock::now();
    return std::clamp<Clock::duration>(NextEvent(later) - later, Clock::duration::zero(), kLongestWait);
  }

  void Loop() {
    // Paced bytes are due every few tens of microseconds; the default timer slack of
    // 50 microseconds would stretch every reply.
    ::prctl(PR_SET_TIMERSLACK, 1UL);
    while (!stop.load()) {
      const auto wait = std::chrono::duration_cast<std::chrono::nanoseconds>(Pass());
      // Sleeps until the next event, a request or a wake-up, to the nanosecond: never
      // spins. While hung up only the wake-up pipe is watched (-1 is skipped).
      const timespec timeout{static_cast<time_t>(wait.count() / 1'000'000'000),
                             static_cast<long>(wait.count() % 1'000'000'000)};
      pollfd p[2] = {{master, POLLIN, 0}, {wake[0], POLLIN, 0}};
      const int r = ::ppoll(p, 2, &timeout, nullptr);
      if (r > 0 && (p[1].revents & POLLIN)) {
        char drained[64];
        while (::read(wake[0], drained, sizeof drained) > 0) {
        }
      }
      if (r > 0 && (p[0].revents & POLLIN)) {
        std::lock_guard<std::mutex> lock(mu);
        Receive(Clock::now());
      } else if (r > 0 && (p[0].revents & (POLLHUP | POLLERR))) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
    }
  }
};

Simulator::Simulator(Options options) : impl_(std::make_unique<Impl>()) {
  Impl& m = *impl_;
  m.opt = std::move(options);
  m.rng.seed(m.opt.seed);
  switch (m.opt.kind) {
    case Kind::UI2:
    case Kind::UI3:
      m.responder = MakeSableResponder(m.opt.kind == Kind::UI3, m.inputs);
      break;
    case Kind::Stream:
      m.responder = MakeStreamResponder(m.opt, m.inputs);
      break;
    case Kind::DT500:
    case Kind::DT50:
    case Kind::DT800:
    case Kind::DT80:
    case Kind::DT85:
      m.responder = MakeDataTakerResponder(m.opt, m.inputs);
      break;
    case Kind::ADAM:
      m.responder = MakeAdamResponder(m.opt, m.inputs);
      break;
    case Kind::ADC1:
      m.responder = MakeAdc1Responder(m.opt, m.inputs);
      break;
  }
  m.inputs.SetCommonRate(m.opt.ramp);
  m.inputs.SetWrap(m.opt.wrapLow, m.opt.wrapHigh);
  for (const auto& [input, value] : m.opt.values) m.responder->SetValue(input, value);
  std::stable_sort(m.opt.schedule.begin(), m.opt.schedule.end(),
                   [](const TimedControl& a, const TimedControl& b) { return a.at < b.at; });
}

Simulator::~Simulator() {
  Stop();
}

bool Simulator::Start(std::string* error) {
  Impl& m = *impl_;
  std::string what;
  if (::pipe2(m.wake, O_CLOEXEC | O_NONBLOCK) != 0) what = "pipe";
  if (what.empty() && !m.OpenTerminal(&what) && what.empty()) what = "pseudo-terminal";
  if (what.empty() && !m.opt.logPath.empty()) {
    m.log = std::fopen(m.opt.logPath.c_str(), "w");
    if (!m.log) what = m.opt.logPath;
  }
  if (!what.empty()) {
    if (error) *error = what + ": " + std::strerror(errno);
    Stop();
    return false;
  }
  {
    std::lock_guard<std::mutex> lock(m.mu);
    m.start = Clock::now();
    m.LogEvent("start");
    if (!m.faultsSetByCall) {
      m.faults.Clear();
      for (const FaultSpec& f : m.opt.faults) m.faults.Add(f, m.start);
    }
    if (m.responder->TalksUnasked() && !m.inputs.RampStarted()) m.StartRamp(m.start);
    m.nextControl = 0;
  }
  m.stop = false;
  m.thread = std::thread([&m] { m.Loop(); });
  return true;
}

void Simulator::Stop() {
  Impl& m = *impl_;
  if (m.thread.joinable()) {
    m.stop = true;
    m.Wake();
    m.thread.join();
  }
  m.CloseTerminal();
  for (int* fd : {&m.wake[0], &m.wake[1]}) {
    if (*fd >= 0) ::close(*fd);
    *fd = -1;
  }
  if (m.log) std::fclose(m.log);
  m.log = nullptr;
}

std::string Simulator::TerminalPath() const {
  std::lock_guard<std::mutex> lock(impl_->mu);
  return impl_->terminal;
}

std::string Simulator::Received() const {
  std::lock_guard<std::mutex> lock(impl_->mu);
  return impl_->received;
}

std::string Simulator::Sent() const {
  std::lock_guard<std::mutex> lock(impl_->mu);
  return impl_->sent;
}

void Simulator::SetFault(Fault fault, int count) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  FaultSpec f;
  f.fault = fault;
  f.count = count;
  impl_->ReplaceFaults(f, Clock::time_point::min());
  impl_->faultsSetByCall = true;
  impl_->Wake();  // it must see the new fault
}

void Simulator::SetFaultSpan(Fault fault, double after, double seconds) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  FaultSpec f;
  f.fault = fault;
  f.after = after;
  f.seconds = seconds;
  impl_->ReplaceFaults(f, Clock::now());
  impl_->faultsSetByCall = true;
  impl_->Wake();
}

void Simulator::AddFault(const FaultSpec& fault) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  impl_->faults.Add(fault, Clock::now());
  impl_->Wake();
}

bool Simulator::Apply(const Control& control, std::string* error) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  const bool ok = impl_->Apply(control, error);
  impl_->Wake();
  return ok;
}

void Simulator::SetLateMs(int ms) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  impl_->opt.lateMs = ms;
}

bool Simulator::SetValue(int input, double value) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  return impl_->responder->SetValue(input, value);
}

bool Simulator::SetRate(int input, double perSecond) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  return impl_->responder->SetRate(input, perSecond);
}

void Simulator::SetWord(uint8_t command, uint16_t word) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  impl_->responder->SetWord(command, word);
}

void Simulator::SetInstrumentLine(std::string line) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  impl_->responder->SetInstrumentLine(std::move(line));
}

}  // namespace mv::sim
