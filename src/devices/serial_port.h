// The serial line to the A/D interfaces and instruments: a port interface, its
// termios implementation (USB adapters, built-in ports and pseudo-terminals), the
// port list, and the program's one open line that every reader uses.
//
// Every read here takes only the bytes already waiting; nothing blocks. Readers wait
// with AwaitBytes (or Pause), which sleep on the line itself and wake on the first byte
// that arrives, against the tick clock.
#pragma once
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mv {

class SerialPort {
 public:
  virtual ~SerialPort() = default;

  virtual bool IsOpen() const = 0;
  virtual void Close() = 0;
  // Bytes received and not yet read.
  virtual int BytesWaiting() = 0;
  // Takes up to n of the bytes waiting (fewer when fewer wait); never waits.
  virtual std::string ReadBytes(int n) = 0;
  // Sends the bytes; false when the line refused them (closed, hung up, stalled).
  virtual bool Write(std::string_view bytes) = 0;
  // One pause of a polling loop: returns when input may have arrived or after about
  // maxMs milliseconds, without spinning the processor.
  virtual void Pause(int maxMs) = 0;
  // Returns true as soon as at least `need` bytes wait, or false once `maxWait` has
  // passed without them. Nothing is taken off the line. This version looks between
  // one-millisecond pauses; a port that can sleep on its line does better.
  virtual bool AwaitBytes(int need, std::chrono::microseconds maxWait);
  // The longest pause the program may see between two bytes that a device sends back
  // to back; a longer silence ends a reply. Zero for a line without a rate (a script).
  virtual std::chrono::microseconds QuietGap() const { return {}; }
  // The instrument's time in microseconds: how long it has had to answer. The program's
  // clock, except for a real line, which the instrument keeps in real time even when a
  // test runs the program on the virtual clock.
  virtual uint64_t LineMicroseconds() const;

  // Bytes up to CR (the CR is taken off the line and not returned), at most 255,
  // ending early when no byte waits. A LF left at the start by a CR LF ending is skipped.
  std::string ReadLine();
  // One number: blanks and line ends before it are skipped; the item ends at a comma,
  // a blank, a line end, 255 bytes or when no byte waits. The leading number of the
  // item, 0 when it has none.
  double ReadNumber();
  // Throws away every byte waiting; returns how many.
  int Discard();
};

// Result of opening a port: empty reason on success.
struct SerialOpenResult {
  bool ok = false;
  std::string reason;
};

// A termios port: raw 8N1 without flow control, non-blocking. Works on USB serial
// adapters, built-in ports and pseudo-terminals. A port is opened for this opening alone:
// an advisory lock on the device (flock) and the terminal's exclusive mode (TIOCEXCL);
// a port another program holds is refused, untouched, with PortInUseText.
class PosixSerialPort : public SerialPort {
 public:
  PosixSerialPort() = default;
  ~PosixSerialPort() override;
  PosixSerialPort(const PosixSerialPort&) = delete;
  PosixSerialPort& operator=(const PosixSerialPort&) = delete;

  SerialOpenResult Open(const std::string& path, int32_t baud);
  bool IsOpen() const override { return fd_ >= 0; }
  void Close() override;
  int BytesWaiting() override;
  std::string ReadBytes(int n) override;
  bool Write(std::string_view bytes) override;
  void Pause(int maxMs) override;
  // Sleeps on the descriptor for the time left and wakes on each byte that arrives.
  bool AwaitBytes(int need, std::chrono::microseconds maxWait) override;
  std::chrono::microseconds QuietGap() const override;
  uint64_t LineMicroseconds() const override;

  const std::string& Path() const { return path_; }
  int32_t Baud() const { return baud_; }
  // Whether the driver accepted the low-latency request (USB adapters).
  bool LowLatency() const { return lowLatency_; }
  // Whether the line hung up (an adapter pulled out, a terminal closed) and has not
  // come back yet.
  bool Lost() const { return lost_; }
  // When (on the program's clock) the line hung up; 0 while it is not lost.
  uint64_t LostSinceMicroseconds() const { return lostSinceUs_; }

 private:
  int fd_ = -1;
  // A hung-up line (a read that gives nothing at end of file, a hang-up or error from
  // poll, EIO) is reopened by its path at most once a second, when the line is next
  // waited on or written to; until then every exchange fails as a silent one does.
  bool lost_ = false;
  uint64_t lastReopenUs_ = 0;
  uint64_t lostSinceUs_ = 0;
  void NoteHangUp();
  // The loss is over (the line is back, or the port is let go): its time is counted.
  void EndLoss();
  void ReopenWhenLost();
  std::string path_;
  int32_t baud_ = 0;
  bool lowLatency_ = false;
  bool pseudoTerminal_ = false;
  // Bytes already taken from the descriptor and not yet read: a sleep on the
  // descriptor wakes only on bytes newer than these.
  std::string taken_;
  void TakeWaitingBytes();
};

// The program that holds a port for itself (its advisory lock on the device), as the
// kernel's lock table shows it; nothing is opened to find out. The program's own line
// is not counted.
struct SerialPortHolder {
  int pid = 0;
  std::string program;  // its command name; empty when it cannot be read
};
std::optional<SerialPortHolder> SerialPortHeldBy(const std::string& path);
// What the program says of a port another program holds: the port (unless namePort is
// false, where the port is in view), and that program when it can be named.
std::string PortInUseText(const std::string& path, bool namePort = true);

// True for the rates the line can be set to (the termios speeds 50 ... 4,000,000).
bool IsSupportedBaudRate(int32_t baud);

// ---- the port list ---------------------------------------------------------------------
// /dev/ttyUSB*, /dev/ttyACM* and the /dev/ttyS* that have a real device behind them, in
// number order, then the extra paths (command line first, then MV_EXTRA_PORTS=P[:P...]).
std::vector<std::string> ListSerialPorts();
// Extra port paths given on the command line.
void SetExtraSerialPorts(std::vector<std::string> paths);

// ---- the program's serial line -----------------------------------------------------------
// Opens port number `port` of the list (-k: the k-th port; a positive k is taken as -k) at
// the rate, closing any earlier opening. 0 or a number past the list fails with a reason.
SerialOpenResult OpenSerialPort(int16_t port, int32_t baud);
SerialOpenResult OpenSerialPortPath(const std::string& path, int32_t baud);
void CloseSerialPort();
// The open line, or a closed line that reads nothing and refuses writes.
SerialPort& SerialLine();

// Told once when the program's line hangs up (lost true) and once when it has been
// reopened (lost false), with the port's path.
using SerialLossReporter = std::function<void(bool lost, const std::string& path)>;
void SetSerialLossReporter(SerialLossReporter reporter);
// Puts a port of the caller's making in place of the line (tests, in-process simulators).
void InstallSerialPort(std::unique_ptr<SerialPort> port);
// A number that changes whenever the line is closed or replaced: a reader that keeps
// bytes between reads starts afresh on a new opening.
uint64_t SerialLineOpening();
// A number that changes whenever the line, lost (hung up), has been opened again: the
// first bytes on the new terminal may come from the middle of a line.
uint64_t SerialLineReopening();
// How long the program's line has been hung up in all, on the program's clock, a loss
// still going on counted up to now: a run takes the difference over its span.
uint64_t SerialLineLostMicroseconds();

}  // namespace mv
