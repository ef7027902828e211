#include "devices/serial_port.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
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
      return path + ": the port is in use by another program.";
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

PosixSerialPort::~PosixSerialPort() {
  Close();
}

SerialOpenResult PosixSerialPort::Open(const std::string& path, int32_t baud) {
  Close();
  const BaudRow* rate = FindBaud(baud);
  if (!rate) return {false, path + ": unsupported baud rate " + std::to_string(baud) + "."};
  int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return {false, OpenErrorText(path, errno)};

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
  t.c_cc[VMIN] = 0;
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
  // Bytes that came while the program was not listening belong to no request.
  ::tcflush(fd, TCIFLUSH);

  fd_ = fd;
  path_ = path;
  baud_ = baud;
  return {true, {}};
}

void PosixSerialPort::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

int PosixSerialPort::BytesWaiting() {
  if (fd_ < 0) return 0;
  int n = 0;
  if (::ioctl(fd_, FIONREAD, &n) != 0) return 0;
  return n;
}

std::string PosixSerialPort::ReadBytes(int n) {
  if (fd_ < 0 || n <= 0) return {};
  std::string out(static_cast<size_t>(n), '\0');
  ssize_t got;
  do {
    got = ::read(fd_, out.data(), out.size());
  } while (got < 0 && errno == EINTR);
  out.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return out;
}

bool PosixSerialPort::Write(std::string_view bytes) {
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
  if (rt::VirtualClockInUse()) {
    // The clock only moves when the program waits; let real bytes arrive too.
    if (fd_ >= 0) {
      pollfd p{fd_, POLLIN, 0};
      ::poll(&p, 1, maxMs);
    }
    rt::Delay(maxMs);
    return;
  }
  if (fd_ < 0) {
    SleepMicroseconds(maxMs * 1000);
    return;
  }
  const int waiting = BytesWaiting();
  if (waiting > 0) {
    // Part of a reply is here and the rest follows byte by byte. For two byte times after
    // the count last grew (at most 200 microseconds), only yield the processor: a sleep
    // would wake too late to keep up with a fast line. Slower lines, and a line that has
    // stopped mid-reply, are waited for in plain pauses.
    const auto now = std::chrono::steady_clock::now();
    if (waiting != partialCount_) {
      partialCount_ = waiting;
      partialSince_ = now;
    }
    const int byteUs = static_cast<int>(10'000'000LL / std::max<int32_t>(baud_, 50));
    if (now - partialSince_ < std::chrono::microseconds(std::min(2 * byteUs, 200))) {
      std::this_thread::yield();
      return;
    }
    SleepMicroseconds(std::max(maxMs * 1000, 20));
    return;
  }
  partialCount_ = 0;
  pollfd p{fd_, POLLIN, 0};
  int r = ::poll(&p, 1, maxMs);
  // A hung-up line reports itself at once and for ever: wait the full pause instead.
  if (r > 0 && !(p.revents & POLLIN)) SleepMicroseconds(maxMs * 1000);
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
uint64_t g_opening = 0;

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

SerialPort& SerialLine() {
  return g_line ? *g_line : static_cast<SerialPort&>(g_closed);
}

void InstallSerialPort(std::unique_ptr<SerialPort> port) {
  CloseSerialPort();
  g_line = std::move(port);
}

}  // namespace mv
