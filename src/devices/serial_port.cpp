#include "devices/serial_port.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <thread>

#include "runtime/clock.h"

namespace mv {

namespace {

constexpr int kMaxLine = 255;

struct BaudRow {
  int32_t rate;
  speed_t code;
};
constexpr BaudRow kBaudRates[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},         {150, B150},
    {200, B200},         {300, B300},         {600, B600},         {1200, B1200},       {1800, B1800},
    {2400, B2400},       {4800, B4800},       {9600, B9600},       {19200, B19200},     {38400, B38400},
    {57600, B57600},     {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000},
    {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000}, {3500000, B3500000}, {4000000, B4000000},
};

const BaudRow* FindBaud(int32_t baud) {
  for (const auto& row : kBaudRates)
    if (row.rate == baud) return &row;
  return nullptr;
}

// The process holding the advisory lock on the device the path names, from the kernel's
// table of locks; nullopt when none holds one. Nothing is opened: looking at a port
// never disturbs the program that has it.
std::optional<SerialPortHolder> LockHolder(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  std::ifstream locks("/proc/locks");
  for (std::string line; std::getline(locks, line);) {
    // "1: FLOCK  ADVISORY  WRITE 1234 00:19:5 0 EOF"; a waiting lock has "->" after its number.
    std::istringstream in(line);
    std::string number, kind, mode, access, where;
    long pid = 0;
    if (!(in >> number >> kind) || kind != "FLOCK") continue;
    if (!(in >> mode >> access >> pid >> where)) continue;
    unsigned major = 0, minor = 0;
    unsigned long long inode = 0;
    if (std::sscanf(where.c_str(), "%x:%x:%llu", &major, &minor, &inode) != 3) continue;
    if (major != ::major(st.st_dev) || minor != ::minor(st.st_dev) || inode != st.st_ino) continue;
    SerialPortHolder holder;
    holder.pid = static_cast<int>(pid);
    std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
    std::getline(comm, holder.program);
    return holder;
  }
  return std::nullopt;
}

std::string OpenErrorText(const std::string& path, int err) {
  switch (err) {
    case EACCES:
    case EPERM:
      return path +
             ": permission denied. Add your user to the group that owns the port (usually "
             "\"dialout\": sudo usermod -aG dialout $USER), then log out and in again.";
    case ENOENT:
    case ENODEV:
    case ENXIO:
      return path + ": no such port (is the adapter plugged in?).";
    case EBUSY:
      return PortInUseText(path);
    case ENOTTY:
      return path + ": not a serial port.";
    default:
      return path + ": " + std::strerror(err) + ".";
  }
}

// The leading number of a text ("+" allowed), 0 when there is none.
double LeadingNumber(std::string_view s) {
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  double v = 0;
  auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  // "inf" and "nan" are words, not numbers an instrument sends.
  return r.ec == std::errc() && std::isfinite(v) ? v : 0.0;
}

void SleepMicroseconds(int us) {
  std::this_thread::sleep_for(std::chrono::microseconds(us));
}

}  // namespace

std::optional<SerialPortHolder> SerialPortHeldBy(const std::string& path) {
  std::optional<SerialPortHolder> holder = LockHolder(path);
  // The program's own line holds its port: that is no other program's.
  const auto* own = dynamic_cast<const PosixSerialPort*>(&SerialLine());
  struct stat mine {
  }, asked{};
  if (holder && own && own->IsOpen() && ::stat(own->Path().c_str(), &mine) == 0 &&
      ::stat(path.c_str(), &asked) == 0 && mine.st_dev == asked.st_dev && mine.st_ino == asked.st_ino)
    return std::nullopt;
  return holder;
}

std::string PortInUseText(const std::string& path, bool namePort) {
  std::string text =
      (namePort ? path + ": the port" : std::string("This port")) + " is in use by another program";
  if (const auto holder = LockHolder(path)) {
    text += " (";
    if (!holder->program.empty()) text += holder->program + ", ";
    text += "process " + std::to_string(holder->pid) + ")";
  }
  return text + ". Choose another port, or end that program first.";
}

// ---- reads common to every port ---------------------------------------------------------

std::string SerialPort::ReadLine() {
  std::string line;
  for (int taken = 0; taken < 2 * kMaxLine && static_cast<int>(line.size()) < kMaxLine; ++taken) {
    if (BytesWaiting() <= 0) break;
    std::string b = ReadBytes(1);
    if (b.empty()) break;
    if (b[0] == '\r') break;
    if (b[0] == '\n' && line.empty()) continue;
    line += b[0];
  }
  return line;
}

double SerialPort::ReadNumber() {
  std::string item;
  for (int taken = 0; taken < 2 * kMaxLine && static_cast<int>(item.size()) < kMaxLine; ++taken) {
    if (BytesWaiting() <= 0) break;
    std::string b = ReadBytes(1);
    if (b.empty()) break;
    char c = b[0];
    bool separator = c == ',' || c == ' ' || c == '\t' || c == '\r' || c == '\n';
    if (separator && item.empty() && c != ',') continue;
    if (separator) break;
    item += c;
  }
  return LeadingNumber(item);
}

uint64_t SerialPort::LineMicroseconds() const {
  return rt::Microseconds();
}

bool SerialPort::AwaitBytes(int need, std::chrono::microseconds maxWait) {
  const uint64_t end = rt::Microseconds() + static_cast<uint64_t>(std::max<int64_t>(maxWait.count(), 0));
  while (BytesWaiting() < need) {
    if (rt::Microseconds() >= end) return false;
    Pause(1);
  }
  return true;
}

int SerialPort::Discard() {
  int total = 0;
  for (int pass = 0; pass < 64; ++pass) {
    int n = BytesWaiting();
    if (n <= 0) break;
    total += static_cast<int>(ReadBytes(n).size());
  }
  return total;
}

// ---- termios port -------------------------------------------------------------------------

bool IsSupportedBaudRate(int32_t baud) {
  return FindBaud(baud) != nullptr;
}

namespace {
SerialLossReporter g_lossReporter;
uint64_t g_opening = 0;
uint64_t g_reopening = 0;
}  // namespace

void SetSerialLossReporter(SerialLossReporter reporter) {
  g_lossReporter = std::move(reporter);
}

namespace {
// Time the program's line spent hung up, its losses that have ended.
uint64_t g_lostUs = 0;
}  // namespace

void PosixSerialPort::EndLoss() {
  if (lostSinceUs_ == 0) return;
  g_lostUs += rt::Microseconds() - lostSinceUs_;
  lostSinceUs_ = 0;
}

void PosixSerialPort::NoteHangUp() {
  if (lost_) return;
  lost_ = true;
  lostSinceUs_ = std::max<uint64_t>(rt::Microseconds(), 1);
  if (g_lossReporter) g_lossReporter(true, path_);
}

void PosixSerialPort::ReopenWhenLost() {
  if (!lost_) return;
  const uint64_t now = rt::Microseconds();
  if (lastReopenUs_ != 0 && now - lastReopenUs_ < 1'000'000) return;
  lastReopenUs_ = now;
  const std::string path = path_;
  if (!Open(path, baud_).ok) return;
  lost_ = false;
  EndLoss();
  // Whatever was kept from the old terminal belongs to no reply on the new one.
  ++g_opening;
  ++g_reopening;
  if (g_lossReporter) g_lossReporter(false, path);
}

PosixSerialPort::~PosixSerialPort() {
  EndLoss();
  Close();
}

SerialOpenResult PosixSerialPort::Open(const std::string& path, int32_t baud) {
  Close();
  const BaudRow* rate = FindBaud(baud);
  if (!rate) return {false, path + ": unsupported baud rate " + std::to_string(baud) + "."};
  int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return {false, OpenErrorText(path, errno)};
  // The port is this program's alone. A port another program holds is let go at once,
  // before its settings or its waiting bytes are touched: that program's recording goes
  // on as if nothing had happened. (A terminal another program set exclusive refuses
  // the opening itself, EBUSY above.)
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int err = errno;
    ::close(fd);
    return {false, err == EWOULDBLOCK ? PortInUseText(path) : OpenErrorText(path, err)};
  }

  termios t{};
  if (::tcgetattr(fd, &t) != 0) {
    int err = errno;
    ::close(fd);
    return {false, OpenErrorText(path, err)};
  }
  ::cfmakeraw(&t);
  t.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
  t.c_cflag |= CS8 | CLOCAL | CREAD;
  t.c_iflag &= ~(IXON | IXOFF | IXANY);
  // The descriptor never blocks; with VMIN 1 a read with nothing waiting says "try
  // again" (EAGAIN), so a read that gives 0 bytes means the terminal hung up.
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;
  ::cfsetispeed(&t, rate->code);
  ::cfsetospeed(&t, rate->code);
  if (::tcsetattr(fd, TCSANOW, &t) != 0) {
    int err = errno;
    ::close(fd);
    return {false, path + ": the line settings were refused (" + std::strerror(err) + ")."};
  }

  // USB adapters hold received bytes for their latency timer (16 ms by default); ask for
  // immediate delivery. Ports without the setting (built-in, pseudo-terminals) refuse,
  // and are used as they are.
  lowLatency_ = false;
  serial_struct ss{};
  if (::ioctl(fd, TIOCGSERIAL, &ss) == 0) {
    ss.flags |= ASYNC_LOW_LATENCY;
    lowLatency_ = ::ioctl(fd, TIOCSSERIAL, &ss) == 0;
  }
  // No other opening of the terminal while this one lasts (the lock above only keeps out
  // programs that ask for it).
  ::ioctl(fd, TIOCEXCL);
  // Bytes that came while the program was not listening belong to no request.
  ::tcflush(fd, TCIFLUSH);
  // A wait for the rest of a reply lasts a byte time or two (87 microseconds at
  // 115,200 baud); the default timer slack of 50 microseconds would stretch each one.
  ::prctl(PR_SET_TIMERSLACK, 1UL);
  taken_.clear();

  fd_ = fd;
  path_ = path;
  std::error_code ec;
  pseudoTerminal_ = std::filesystem::weakly_canonical(path, ec).string().rfind("/dev/pts/", 0) == 0;
  baud_ = baud;
  return {true, {}};
}

void PosixSerialPort::Close() {
  // The exclusive mark belongs to the terminal, not to this opening: left set, it would
  // refuse the next opening of a terminal another descriptor keeps alive (the program's
  // own reopening among them). The lock goes with the descriptor.
  if (fd_ >= 0) ::ioctl(fd_, TIOCNXCL);
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  taken_.clear();
}

int PosixSerialPort::BytesWaiting() {
  if (fd_ < 0) return 0;
  int n = 0;
  if (::ioctl(fd_, FIONREAD, &n) != 0) {
    if (errno == EIO) NoteHangUp();
    n = 0;
  }
  return static_cast<int>(taken_.size()) + n;
}

std::string PosixSerialPort::ReadBytes(int n) {
  if (fd_ < 0 || n <= 0) return {};
  std::string out = taken_.substr(0, static_cast<size_t>(n));
  taken_.erase(0, out.size());
  if (static_cast<int>(out.size()) == n) return out;
  const size_t have = out.size();
  out.resize(static_cast<size_t>(n));
  ssize_t got;
  do {
    got = ::read(fd_, out.data() + have, out.size() - have);
  } while (got < 0 && errno == EINTR);
  // A terminal that hung up reads as at its end: 0 bytes, where a live one without
  // input says "try again".
  if ((got < 0 && errno == EIO) || got == 0) NoteHangUp();
  out.resize(have + (got > 0 ? static_cast<size_t>(got) : 0));
  return out;
}

void PosixSerialPort::TakeWaitingBytes() {
  // Bounded, so an instrument that talks while nobody reads cannot grow it for ever:
  // past the bound the bytes stay in the driver, as they would without this copy.
  constexpr size_t kMaxTaken = 65536;
  char buf[4096];
  while (fd_ >= 0 && taken_.size() < kMaxTaken) {
    ssize_t got = ::read(fd_, buf, std::min(sizeof buf, kMaxTaken - taken_.size()));
    if (got < 0 && errno == EINTR) continue;
    if ((got < 0 && errno == EIO) || got == 0) NoteHangUp();
    if (got <= 0) return;
    taken_.append(buf, static_cast<size_t>(got));
  }
}

bool PosixSerialPort::AwaitBytes(int need, std::chrono::microseconds maxWait) {
  if (rt::VirtualClockInUse()) return SerialPort::AwaitBytes(need, maxWait);
  ReopenWhenLost();
  using SteadyClock = std::chrono::steady_clock;
  const auto end = SteadyClock::now() + std::max(maxWait, std::chrono::microseconds(0));
  for (;;) {
    if (BytesWaiting() >= need) return true;
    if (fd_ < 0) {
      std::this_thread::sleep_until(end);
      return false;
    }
    // What has come is moved out of the driver, so that the sleep below wakes on the
    // next byte rather than at once on those already here.
    TakeWaitingBytes();
    if (static_cast<int>(taken_.size()) >= need) return true;
    const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(end - SteadyClock::now());
    if (left.count() <= 0) return false;
    const timespec ts{static_cast<time_t>(left.count() / 1'000'000'000),
                      static_cast<long>(left.count() % 1'000'000'000)};
    pollfd p{fd_, POLLIN, 0};
    const int r = ::ppoll(&p, 1, &ts, nullptr);
    // A hung-up line reports itself at once and for ever (as readable, too): what it
    // still held is taken, and the rest of the time is waited out.
    if (r > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) {
      TakeWaitingBytes();
      NoteHangUp();
      if (static_cast<int>(taken_.size()) >= need) return true;
      std::this_thread::sleep_until(end);
      return BytesWaiting() >= need;
    }
  }
}

uint64_t PosixSerialPort::LineMicroseconds() const {
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                                   .count());
}

std::chrono::microseconds PosixSerialPort::QuietGap() const {
  const std::chrono::microseconds byteTime(10'000'000LL / std::max<int32_t>(baud_, 50));
  // A pseudo-terminal hands on each byte as it is written, so the next byte of a reply
  // is one byte time behind; but the writer is another program that a busy machine may
  // hold back for a few milliseconds between two bytes, and a gap it did not mean must
  // not be taken for the end of a reply.
  if (pseudoTerminal_) return 4 * byteTime + std::chrono::milliseconds(5);
  // A UART holds bytes in its receive queue until four byte times of silence, and a USB
  // adapter sends what it has once per latency period (1 ms when it took the low-latency
  // request, 16 ms by default).
  return 4 * byteTime + std::chrono::milliseconds(lowLatency_ ? 2 : 17);
}

bool PosixSerialPort::Write(std::string_view bytes) {
  ReopenWhenLost();
  if (fd_ < 0) return false;
  // Bounded by the time the bytes take on the wire, plus a second for a slow driver.
  const auto wireMs = static_cast<int64_t>(bytes.size()) * 10 * 1000 / std::max<int32_t>(baud_, 50);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(1000 + 2 * wireMs);
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t w = ::write(fd_, bytes.data() + done, bytes.size() - done);
    if (w > 0) {
      done += static_cast<size_t>(w);
      continue;
    }
    if (w < 0 && errno == EINTR) continue;
    if (w < 0 && errno == EIO) NoteHangUp();
    if (w < 0 && errno != EAGAIN) return false;
    auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd p{fd_, POLLOUT, 0};
    ::poll(&p, 1, static_cast<int>(std::min<int64_t>(left.count(), 50)));
  }
  return true;
}

void PosixSerialPort::Pause(int maxMs) {
  if (maxMs < 0) maxMs = 0;
  ReopenWhenLost();
  if (rt::VirtualClockInUse()) {
    // The clock only moves when the program waits; let real bytes arrive too.
    if (fd_ >= 0) {
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, maxMs) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) {
        TakeWaitingBytes();
        NoteHangUp();
      }
    }
    rt::Delay(maxMs);
    return;
  }
  // Until one more byte than now has come, or the pause is over.
  AwaitBytes(BytesWaiting() + 1, std::chrono::milliseconds(maxMs));
}

// ---- the port list ---------------------------------------------------------------------

namespace {

std::vector<std::string> g_extraPorts;

// ttyS entries exist for every possible built-in port; only those with a UART behind
// them report a type other than 0 (unknown).
bool BuiltinPortIsReal(const std::string& name) {
  std::ifstream type("/sys/class/tty/" + name + "/type");
  if (type) {
    int t = 0;
    type >> t;
    return t != 0;
  }
  return std::filesystem::exists("/sys/class/tty/" + name + "/device");
}

bool NumberedName(const std::string& name, const std::string& prefix, long* number) {
  if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return false;
  const char* first = name.data() + prefix.size();
  const char* last = name.data() + name.size();
  auto r = std::from_chars(first, last, *number);
  return r.ec == std::errc() && r.ptr == last;
}

}  // namespace

void SetExtraSerialPorts(std::vector<std::string> paths) {
  g_extraPorts = std::move(paths);
}

std::vector<std::string> ListSerialPorts() {
  static const std::string kPrefixes[] = {"ttyUSB", "ttyACM", "ttyS"};
  struct Found {
    int group;
    long number;
    std::string path;
  };
  std::vector<Found> found;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator("/dev", ec)) {
    std::string name = entry.path().filename().string();
    for (int g = 0; g < 3; ++g) {
      long number = 0;
      if (!NumberedName(name, kPrefixes[g], &number)) continue;
      if (g == 2 && !BuiltinPortIsReal(name)) break;
      found.push_back({g, number, "/dev/" + name});
      break;
    }
  }
  std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
    return a.group != b.group ? a.group < b.group : a.number < b.number;
  });
  std::vector<std::string> ports;
  for (auto& f : found) ports.push_back(std::move(f.path));

  std::vector<std::string> extra = g_extraPorts;
  if (const char* env = std::getenv("MV_EXTRA_PORTS")) {
    std::string_view rest(env);
    while (!rest.empty()) {
      size_t colon = rest.find(':');
      extra.emplace_back(rest.substr(0, colon));
      rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
    }
  }
  for (auto& p : extra)
    if (!p.empty() && std::find(ports.begin(), ports.end(), p) == ports.end()) ports.push_back(p);
  return ports;
}

// ---- the program's serial line -----------------------------------------------------------

namespace {

class ClosedPort : public SerialPort {
 public:
  bool IsOpen() const override { return false; }
  void Close() override {}
  int BytesWaiting() override { return 0; }
  std::string ReadBytes(int) override { return {}; }
  bool Write(std::string_view) override { return false; }
  void Pause(int maxMs) override {
    if (rt::VirtualClockInUse())
      rt::Delay(maxMs);
    else
      SleepMicroseconds(std::max(maxMs, 0) * 1000);
  }
};

std::unique_ptr<SerialPort> g_line;
ClosedPort g_closed;

}  // namespace

SerialOpenResult OpenSerialPortPath(const std::string& path, int32_t baud) {
  CloseSerialPort();
  auto port = std::make_unique<PosixSerialPort>();
  SerialOpenResult r = port->Open(path, baud);
  if (r.ok) g_line = std::move(port);
  return r;
}

SerialOpenResult OpenSerialPort(int16_t port, int32_t baud) {
  if (port > 0) port = static_cast<int16_t>(-port);
  if (port == 0) {
    CloseSerialPort();
    return {false, "No serial port is chosen."};
  }
  std::vector<std::string> ports = ListSerialPorts();
  size_t k = static_cast<size_t>(-static_cast<int>(port));
  if (k > ports.size()) {
    CloseSerialPort();
    return {false, "Serial port " + std::to_string(k) + " is not in the list of " +
                       std::to_string(ports.size()) + " ports."};
  }
  return OpenSerialPortPath(ports[k - 1], baud);
}

void CloseSerialPort() {
  if (g_line) g_line->Close();
  g_line.reset();
  ++g_opening;
}

uint64_t SerialLineOpening() {
  return g_opening;
}

uint64_t SerialLineReopening() {
  return g_reopening;
}

uint64_t SerialLineLostMicroseconds() {
  const auto* line = dynamic_cast<const PosixSerialPort*>(g_line.get());
  const uint64_t since = line ? line->LostSinceMicroseconds() : 0;
  return g_lostUs + (since != 0 ? rt::Microseconds() - since : 0);
}

SerialPort& SerialLine() {
  return g_line ? *g_line : static_cast<SerialPort&>(g_closed);
}

void InstallSerialPort(std::unique_ptr<SerialPort> port) {
  CloseSerialPort();
  g_line = std::move(port);
}

}  // namespace mv
