// The pseudo-terminal framework shared by every simulated instrument: the terminal and
// its link, the answering thread, pacing at a baud rate, injected faults and the log.
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <random>
#include <thread>

#include "sim/responder.h"

namespace mv::sim {

namespace {

// Bytes nobody reads are kept up to this many, then the oldest are lost, as on a line
// that nobody listens to.
constexpr size_t kMaxUnread = 65536;
// The rest of a split line follows after this gap.
constexpr int kSplitGapMs = 50;
// Waits shorter than this are spun (yielding), so paced bytes leave on time.
constexpr auto kSpinBelow = std::chrono::microseconds(300);

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

struct Simulator::Impl {
  struct Scheduled {
    Clock::time_point due;
    std::string bytes;
  };

  Options opt;
  std::unique_ptr<Responder> responder;
  int master = -1, slave = -1, wake[2] = {-1, -1};
  std::string terminal;
  std::thread thread;
  std::atomic<bool> stop{false};
  mutable std::mutex mu;
  std::string received, sent;
  Fault fault = Fault::None;
  int faultLeft = -1;
  // The fault lasts from spanStart to spanEnd.
  Clock::time_point spanStart{}, spanEnd = Clock::time_point::max();
  bool hungUp = false;
  Clock::time_point nextReopen{};
  bool spanSetByCall = false;  // SetFault or SetFaultSpan, not the options
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

  void LogEvent(const char* what) { LogLine(std::string("-- ") + what); }

  // Wakes the answering thread, which sleeps until its next event.
  void Wake() {
    char c = 1;
    [[maybe_unused]] ssize_t w = ::write(wake[1], &c, 1);
  }

  bool InSpan(Clock::time_point now) const { return now >= spanStart && now < spanEnd; }

  void SetSpan(Clock::time_point from, double seconds) {
    spanStart = from;
    spanEnd = seconds < 0 ? Clock::time_point::max() : from + SecondsOf(seconds);
  }

  // The pieces actually sent for one reply, with the fault applied.
  std::vector<Reply> Faulted(Reply r, Clock::time_point now) {
    if (!r.faultable) return {r};
    Fault f = faultLeft == 0 || !InSpan(now) || fault == Fault::HangUp ? Fault::None : fault;
    if (f != Fault::None && faultLeft > 0) --faultLeft;
    std::string previous = previousReply.empty() ? r.bytes : previousReply;
    previousReply = r.bytes;
    switch (f) {
      case Fault::None:
      case Fault::HangUp:
        return {r};
      case Fault::Silent:
        return {};
      case Fault::Late:
        r.delayMs += responder->TimeoutMs() + opt.lateMs;
        return {r};
      case Fault::Partial: {
        size_t half = std::max<size_t>(1, r.bytes.size() / 2);
        std::vector<Reply> pieces{{r.bytes.substr(0, half), r.delayMs}};
        if (responder->PartialRestFollows() && half < r.bytes.size())
          pieces.push_back({r.bytes.substr(half), r.delayMs + kSplitGapMs});
        return pieces;
      }
      case Fault::Stale:
        return {{r.bytes + previous, r.delayMs}};
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
    for (auto& r : replies)
      for (auto& piece : Faulted(std::move(r), base)) {
        auto due = base + std::chrono::milliseconds(piece.delayMs);
        if (!scheduled.empty()) due = std::max(due, scheduled.back().due);
        scheduled.push_back({due, std::move(piece.bytes)});
      }
    replies.clear();
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
    // A hung-up line loses what the instrument says meanwhile.
    if (master < 0) {
      while (!wire.empty() && wire.front().first <= now) wire.pop_front();
      return;
    }
    std::string out;
    for (const auto& [due, c] : wire) {
      if (due > now) break;
      out += c;
    }
    if (out.empty()) return;
    ssize_t w = ::write(master, out.data(), out.size());
    if (w <= 0) return;
    wire.erase(wire.begin(), wire.begin() + w);
    std::string_view done(out.data(), static_cast<size_t>(w));
    sent.append(done);
    Log("tx", done);
  }

  void Receive(Clock::time_point now) {
    char buf[4096];
    ssize_t n = ::read(master, buf, sizeof buf);
    if (n <= 0) return;
    std::string_view in(buf, static_cast<size_t>(n));
    received.append(in);
    Log("rx", in);
    // The request is complete only when its last byte has crossed the wire.
    rxFree = std::max(rxFree, now) + ByteTime() * n;
    std::vector<Reply> replies;
    responder->Received(in, replies);
    Schedule(replies, opt.baud > 0 ? rxFree : now);
  }

  Clock::time_point NextEvent() const {
    Clock::time_point next = responder->NextTick();
    if (fault == Fault::HangUp) next = std::min(next, hungUp ? std::max(spanEnd, nextReopen) : spanStart);
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
    const bool due = fault == Fault::HangUp && InSpan(now);
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

  void Loop() {
    // Paced bytes are due every few tens of microseconds; the default timer slack of
    // 50 microseconds would stretch every reply.
    ::prctl(PR_SET_TIMERSLACK, 1UL);
    while (!stop.load()) {
      Clock::duration wait;
      {
        std::lock_guard<std::mutex> lock(mu);
        auto now = Clock::now();
        HangUpWhenDue(now);
        std::vector<Reply> replies;
        responder->Tick(now, replies);
        Schedule(replies, now);
        Release(now);
        Transmit(now);
        wait = std::clamp<Clock::duration>(NextEvent() - Clock::now(), Clock::duration::zero(),
                                           std::chrono::milliseconds(50));
      }
      int timeoutMs = 0;
      if (wait >= std::chrono::milliseconds(1)) {
        timeoutMs = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(wait).count());
      } else if (wait >= kSpinBelow) {
        std::this_thread::sleep_for(wait);
      } else if (wait > Clock::duration::zero()) {
        // A sleep this short wakes too late for paced bytes; look again at once.
        std::this_thread::yield();
      }
      // While hung up only the wake-up pipe is watched (a descriptor of -1 is skipped).
      pollfd p[2] = {{master, POLLIN, 0}, {wake[0], POLLIN, 0}};
      int r = ::poll(p, 2, timeoutMs);
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
  impl_->opt = std::move(options);
  impl_->fault = impl_->opt.fault;
  impl_->faultLeft = impl_->opt.faultCount;
  impl_->rng.seed(impl_->opt.seed);
  switch (impl_->opt.kind) {
    case Kind::UI2:
      impl_->responder = MakeSableResponder(false);
      break;
    case Kind::UI3:
      impl_->responder = MakeSableResponder(true);
      break;
    case Kind::Stream:
      impl_->responder = MakeStreamResponder(impl_->opt);
      break;
    case Kind::DT500:
    case Kind::DT50:
    case Kind::DT800:
    case Kind::DT80:
    case Kind::DT85:
      impl_->responder = MakeDataTakerResponder(impl_->opt);
      break;
    case Kind::ADAM:
      impl_->responder = MakeAdamResponder(impl_->opt);
      break;
    case Kind::ADC1:
      impl_->responder = MakeAdc1Responder(impl_->opt);
      break;
  }
  for (const auto& [input, value] : impl_->opt.values) impl_->responder->SetValue(input, value);
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
  m.start = Clock::now();
  if (!m.spanSetByCall) m.SetSpan(m.start + SecondsOf(m.opt.faultAfter), m.opt.faultFor);
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
  impl_->fault = fault;
  impl_->faultLeft = count;
  impl_->SetSpan(Clock::time_point::min(), -1);
  impl_->spanSetByCall = true;
}

void Simulator::SetFaultSpan(Fault fault, double after, double seconds) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  impl_->fault = fault;
  impl_->faultLeft = -1;
  impl_->spanSetByCall = true;
  impl_->SetSpan(Clock::now() + SecondsOf(after), seconds);
  impl_->Wake();  // it must see the new span
}

void Simulator::SetLateMs(int ms) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  impl_->opt.lateMs = ms;
}

bool Simulator::SetValue(int input, double value) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  return impl_->responder->SetValue(input, value);
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
