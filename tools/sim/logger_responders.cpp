// The ASCII instruments: DataTaker loggers (command lines, channel readings) and ADAM-4000
// modules on one RS-485 line (identification, firmware, readings, range and address
// commands). Both take CR-ended lines; a LF after the CR is ignored.
#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <optional>
#include <random>
#include <string>
#include <string_view>

#include "sim/responder.h"

namespace mv::sim {

namespace {

// Collects CR-ended lines from the bytes received, however they were split.
class LineResponder : public Responder {
 public:
  explicit LineResponder(Inputs& inputs) : Responder(inputs) {}
  void Received(std::string_view bytes, std::vector<Reply>& out) override {
    pending_.append(bytes);
    for (size_t cr = pending_.find('\r'); cr != std::string::npos; cr = pending_.find('\r')) {
      std::string line = pending_.substr(0, cr);
      pending_.erase(0, cr + 1);
      while (!line.empty() && line.front() == '\n') line.erase(0, 1);
      Line(line, out);
    }
  }

 protected:
  virtual void Line(const std::string& line, std::vector<Reply>& out) = 0;

 private:
  std::string pending_;
};

bool IsDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s)
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  return true;
}

// A DataTaker accepts every command line: the set-up lists, resets and parameters go
// without an answer; a channel definition ("3V", "1:12-V", "5*TK", "7HSC") is read and
// answered with one value in the channel's unit (millivolts for voltages). It says who
// it is as its family does: a DT500 or DT50 answers "TEST0" with its ROM version, a
// DT800, DT80 or DT85 answers "STATUS1" with its status line; "TEST1", "TEST2", ... are
// self-tests that pass. Every reply line ends with CR LF. A voltage reading is 1234.5 mV,
// or with per-channel values 100 mV times the channel number, or the value set for the
// channel (given in volts, sent in millivolts), plus its rise. The burst's numbers
// neither rise nor take a value set.
//
// A DT800 also keeps the last burst definition, "RX;BURST(count,rate)" and the channel,
// and each "X" records one burst: nothing for the recording time, 2 x count / rate
// seconds (the sweep's length at every interval the program's burst command names),
// then count numbers in millivolts, each followed by CR LF, at the line's pace (the
// --baud rate, else 115,200 baud). The numbers are the burst values in turn, or with
// tagged bursts burst n's k-th number is n x 100000 + k, or with in-range tags
// S x k + (n mod S) - 10000 (S = BurstTagStride(count)). A burst gap holds the rest of
// one burst back from a given byte on, losing a given number of bytes there; the rest
// then comes at the line's pace. A stale burst sends the burst before it again ahead of
// its own numbers; a garbled one has a stretch of random bytes in place of some of its
// own. The burst's numbers take the
// injected faults as any reply does: a silent span drops what falls in it, cutting the block.
class DataTakerResponder : public LineResponder {
 public:
  DataTakerResponder(const Options& options, Inputs& inputs)
      : LineResponder(inputs),
        kind_(options.kind),
        dt800_(options.kind == Kind::DT800),
        channelValues_(options.channelValues),
        values_(options.burstValues),
        tagged_(options.burstTagged),
        inRange_(options.burstTaggedInRange),
        tagStep_(options.burstTagStep > 0 ? options.burstTagStep : 100000),
        gaps_(options.burstGaps),
        burstFaults_(options.burstFaults),
        rng_(options.seed),
        bytesPerSecond_((options.baud > 0 ? options.baud : 115200) / 10) {
    if (values_.empty()) values_.push_back("0");
  }
  int TimeoutMs() const override { return 500; }
  bool PartialRestFollows() const override { return true; }

  void Tick(Clock::time_point now, std::vector<Reply>& out) override {
    if (sent_ >= burst_.size() || now < sendFrom_) return;
    const double seconds = std::chrono::duration<double>(now - sendFrom_).count();
    const size_t due = std::min({burst_.size(), gapAt_, static_cast<size_t>(seconds * bytesPerSecond_) + 1});
    if (due > sent_) out.push_back({burst_.substr(sent_, due - sent_), 0, true});
    sent_ = std::max(sent_, due);
    if (sent_ != gapAt_) return;
    // The rest is on its way already, at the line's pace (a piece every 10 ms): a new
    // burst asked for meanwhile comes after it.
    const auto piece = std::max<size_t>(1, static_cast<size_t>(bytesPerSecond_ / 100));
    for (size_t at = sent_ + gapLost_, k = 0; gapMs_ >= 0 && at < burst_.size(); at += piece, ++k)
      out.push_back({burst_.substr(at, piece), gapMs_ + static_cast<int>(10 * k), true});
    sent_ = burst_.size();
    gapAt_ = std::string::npos;
  }
  Clock::time_point NextTick() const override {
    if (sent_ >= burst_.size()) return Clock::time_point::max();
    return std::max(sendFrom_, Clock::now() + std::chrono::milliseconds(1));
  }

 protected:
  void Line(const std::string& line, std::vector<Reply>& out) override {
    if (dt800_ && Burst(line)) return;
    if (auto who = Identity(line)) return out.push_back({*who + "\r\n"});
    if (auto value = Reading(line)) out.push_back({*value + "\r\n"});
  }

 private:
  bool HasInput(int input) const override { return input >= 1 && input <= 99; }

  // The fast scope's commands; false for any other line.
  bool Burst(std::string_view line) {
    constexpr std::string_view kDefine = "RX;BURST(";
    if (line.substr(0, kDefine.size()) == kDefine) {
      line.remove_prefix(kDefine.size());
      const size_t comma = line.find(','), close = line.find(')');
      if (comma == std::string_view::npos || close == std::string_view::npos || close < comma) return true;
      count_ = Whole(line.substr(0, comma));
      rate_ = Whole(line.substr(comma + 1, close - comma - 1));
      return true;
    }
    if (line != "X" || count_ <= 0) return false;
    ++bursts_;
    std::string own;
    const long stride = BurstTagStride(count_);
    for (long i = 0; i < count_; ++i)
      own += (inRange_ ? std::to_string(stride * (i + 1) + bursts_ % stride - 10000)
              : tagged_ ? std::to_string(bursts_ * tagStep_ + i + 1)
                        : values_[static_cast<size_t>(i) % values_.size()]) +
             "\r\n";
    burst_ = own;
    for (const Options::BurstFault& f : burstFaults_) {
      if (f.burst != bursts_) continue;
      if (f.fault == Fault::Stale) {
        burst_ = (lastBurst_.empty() ? own : lastBurst_) + own;
      } else if (f.fault == Fault::Garbage) {
        const size_t from = own.size() / 3, length = std::max<size_t>(1, own.size() / 10);
        std::string junk(std::min(length, own.size() - from) + 3, '\0');
        for (char& c : junk) c = static_cast<char>(rng_() & 0xFF);
        burst_ = own.substr(0, from) + junk + own.substr(std::min(own.size(), from + length));
      }
    }
    lastBurst_ = own;
    sent_ = 0;
    gapAt_ = std::string::npos;
    for (const Options::BurstGap& g : gaps_)
      if (g.burst == bursts_ && g.byte >= 0 && static_cast<size_t>(g.byte) < burst_.size()) {
        gapAt_ = static_cast<size_t>(g.byte);
        gapMs_ = g.ms;
        gapLost_ = static_cast<size_t>(std::max(0L, g.lost));
      }
    const double seconds = 2.0 * static_cast<double>(count_) / static_cast<double>(rate_ > 0 ? rate_ : 1000);
    sendFrom_ = Clock::now() + std::chrono::microseconds(static_cast<long long>(std::ceil(seconds * 1e6)));
    return true;
  }
  static long Whole(std::string_view s) {
    long n = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), n);
    return r.ec == std::errc() ? n : 0;
  }

  // The answer to "TEST0", "STATUS1" or a numbered self-test; nothing for other lines.
  std::optional<std::string> Identity(std::string_view line) const {
    const bool dt800Family = kind_ == Kind::DT800 || kind_ == Kind::DT80 || kind_ == Kind::DT85;
    std::string model = KindName(kind_);
    for (char& c : model) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (dt800Family && line == "STATUS1") return "dataTaker " + model + " V6.14 Flash 4MB Free 97% SIM";
    if (line.substr(0, 4) != "TEST" || !IsDigits(line.substr(4))) return std::nullopt;
    const std::string_view number = line.substr(4);
    if (number == "0")
      return dt800Family ? std::nullopt : std::optional<std::string>(model + " ROM V3.10 SIM");
    return "TEST" + std::string(number) + " PASS";
  }

  std::optional<std::string> Reading(std::string_view line) const {
    if (line.substr(0, 2) == "1:") line.remove_prefix(2);
    size_t digits = 0;
    while (digits < line.size() && std::isdigit(static_cast<unsigned char>(line[digits]))) ++digits;
    if (digits == 0) return std::nullopt;
    const std::string channel(line.substr(0, digits));
    std::string_view type = line.substr(digits);
    for (std::string_view terminal : {" + ", "-", "*"})
      if (type.substr(0, terminal.size()) == terminal) type.remove_prefix(terminal.size());
    const bool volts = type == "V" || type == "VNC";
    const bool known = volts || type == "HSC" || type == "C" || type == "TK" || type == "TJ" ||
                       type == "TT" || type == "R(2W)";
    if (!known) return std::nullopt;
    const int number = std::stoi(channel);
    // A voltage channel's value is in volts, sent in millivolts.
    const double scale = volts ? 1000.0 : 1.0;
    const std::string own = OwnReading(type, volts, number);
    if (!Changed(number)) return own;
    return NumberText(Reads(number, std::stod(own) / scale) * scale);
  }
  std::string OwnReading(std::string_view type, bool volts, int number) const {
    if (type == "HSC" || type == "C") return "42";
    if (volts) return channelValues_ ? std::to_string(number * 100) + ".0" : "1234.5";
    if (type == "TK" || type == "TJ" || type == "TT") return "23.5";
    return "100.0";
  }

  Kind kind_;
  bool dt800_;
  bool channelValues_;
  std::vector<std::string> values_;
  bool tagged_;
  bool inRange_;
  long tagStep_;
  std::vector<Options::BurstGap> gaps_;
  std::vector<Options::BurstFault> burstFaults_;
  std::mt19937 rng_;
  std::string lastBurst_;  // the numbers the last burst was to send
  double bytesPerSecond_;
  long count_ = 0, rate_ = 0;
  long bursts_ = 0;  // the "X" commands so far
  std::string burst_;
  size_t sent_ = 0;
  size_t gapAt_ = std::string::npos;  // where the present burst stops, npos: nowhere
  int gapMs_ = 0;
  size_t gapLost_ = 0;  // bytes the silence loses where the burst stops
  Clock::time_point sendFrom_{};
};

// ADAM modules at addresses 01, 02, 03, ...: "$AAM" gives the model, "$AAF" the firmware,
// "$AA3" the cold-junction temperature (">+0025.0"), "#AAi" a reading of input i,
// "$AA7CiRrr" and "%AA..." are acknowledged, and so is an ADAM-4050's digital output
// command "#AA00dd" (">"). A request to an address no module has goes unanswered. A
// reading is +0.1234, or with per-channel values the address plus a tenth of the input,
// or the value set for the input (inputs 1..8: the module at 01, 9..16: the one at 03;
// input 0: the cold-junction temperature), plus its rise. Every reply names its module,
// so a fault may be one module's.
class AdamResponder : public LineResponder {
 public:
  AdamResponder(std::vector<std::string> modules, bool channelValues, Inputs& inputs)
      : LineResponder(inputs), modules_(std::move(modules)), channelValues_(channelValues) {}
  int TimeoutMs() const override { return 500; }

 protected:
  void Line(const std::string& line, std::vector<Reply>& out) override {
    if (line.size() < 3) return;
    const std::string address = line.substr(1, 2);
    if (!IsDigits(address)) return;
    const size_t index = static_cast<size_t>(std::stoi(address));
    if (index == 0 || index > modules_.size() || modules_[index - 1].empty()) return;
    const std::string_view rest = std::string_view(line).substr(3);
    const int module = static_cast<int>(index);
    if (line[0] == '$' && rest == "M")
      out.push_back({"!" + address + modules_[index - 1] + "\r", 0, true, module});
    else if (line[0] == '$' && rest == "F")
      out.push_back({"!" + address + "A1.05\r", 0, true, module});
    else if (line[0] == '$' && rest == "3")
      out.push_back({">" + Signed(Reads(0, 25.0), 1, 6) + "\r", 0, true, module});
    else if (line[0] == '#' && rest.size() == 1 && rest[0] >= '0' && rest[0] <= '7')
      out.push_back({">" + Reading(index, rest[0] - '0') + "\r", 0, true, module});
    else if (line[0] == '#' && modules_[index - 1] == "4050" && IsOutputData(rest))
      out.push_back({">\r", 0, true, module});
    else if (line[0] == '$' || line[0] == '%')
      out.push_back({"!" + address + "\r", 0, true, module});
  }

 private:
  bool HasInput(int input) const override { return input >= 0 && input <= 16; }
  // The cold junction is a temperature: it rises at its own rate only.
  bool TakesCommonRamp(int input) const override { return input != 0; }

  // A digital output command's data: "00" and two hexadecimal digits.
  static bool IsOutputData(std::string_view rest) {
    return rest.size() == 4 && rest.substr(0, 2) == "00" &&
           std::isxdigit(static_cast<unsigned char>(rest[2])) &&
           std::isxdigit(static_cast<unsigned char>(rest[3]));
  }
  // Input i of the module at `address`: inputs 1..8 of the module at 01, 9..16 of the
  // one at 03; another module's inputs have no number and take only the common ramp.
  std::string Reading(size_t address, int i) const {
    const int input = address == 1 ? i + 1 : address == 3 ? i + 9 : -1;
    return Signed(Reads(input, channelValues_ ? static_cast<double>(address) + i / 10.0 : 0.1234), 4, 0);
  }
  // A sign, then the number with `decimals` decimals, zero-filled to `width` characters.
  static std::string Signed(double v, int decimals, size_t width) {
    std::string digits = FixedText(std::fabs(v), decimals);
    if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
    return (v < 0 ? "-" : "+") + digits;
  }

  std::vector<std::string> modules_;
  bool channelValues_;
};

}  // namespace

std::unique_ptr<Responder> MakeDataTakerResponder(const Options& options, Inputs& inputs) {
  return std::make_unique<DataTakerResponder>(options, inputs);
}

std::unique_ptr<Responder> MakeAdamResponder(const Options& options, Inputs& inputs) {
  return std::make_unique<AdamResponder>(options.adamModules, options.channelValues, inputs);
}

}  // namespace mv::sim
