// The ASCII instruments: DataTaker loggers (command lines, channel readings) and ADAM-4000
// modules on one RS-485 line (identification, firmware, readings, range and address
// commands). Both take CR-ended lines; a LF after the CR is ignored.
#include <cctype>
#include <string>
#include <string_view>

#include "sim/responder.h"

namespace mv::sim {

namespace {

// Collects CR-ended lines from the bytes received, however they were split.
class LineResponder : public Responder {
 public:
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
// answered with one value in the channel's unit (millivolts for voltages).
class DataTakerResponder : public LineResponder {
 public:
  int TimeoutMs() const override { return 500; }
  bool PartialRestFollows() const override { return true; }

 protected:
  void Line(const std::string& line, std::vector<Reply>& out) override {
    if (auto value = Reading(line)) out.push_back({*value + "\r\n"});
  }

 private:
  static std::optional<std::string> Reading(std::string_view line) {
    if (line.substr(0, 2) == "1:") line.remove_prefix(2);
    size_t digits = 0;
    while (digits < line.size() && std::isdigit(static_cast<unsigned char>(line[digits]))) ++digits;
    if (digits == 0) return std::nullopt;
    std::string_view type = line.substr(digits);
    if (type == "HSC" || type == "C") return "42";
    for (std::string_view terminal : {" + ", "-", "*"})
      if (type.substr(0, terminal.size()) == terminal) type.remove_prefix(terminal.size());
    if (type == "V" || type == "VNC") return "1234.5";
    if (type == "TK" || type == "TJ" || type == "TT") return "23.5";
    if (type == "R(2W)") return "100.0";
    return std::nullopt;
  }
};

// ADAM modules at addresses 01, 02, 03, ...: "$AAM" gives the model, "$AAF" the firmware,
// "#AAi" a reading of input i, "$AA7CiRrr" and "%AA..." are acknowledged. A request to an
// address no module has goes unanswered.
class AdamResponder : public LineResponder {
 public:
  explicit AdamResponder(std::vector<std::string> modules) : modules_(std::move(modules)) {}
  int TimeoutMs() const override { return 500; }

 protected:
  void Line(const std::string& line, std::vector<Reply>& out) override {
    if (line.size() < 3) return;
    const std::string address = line.substr(1, 2);
    if (!IsDigits(address)) return;
    const size_t index = static_cast<size_t>(std::stoi(address));
    if (index == 0 || index > modules_.size() || modules_[index - 1].empty()) return;
    const std::string_view rest = std::string_view(line).substr(3);
    if (line[0] == '$' && rest == "M")
      out.push_back({"!" + address + modules_[index - 1] + "\r"});
    else if (line[0] == '$' && rest == "F")
      out.push_back({"!" + address + "A1.05\r"});
    else if (line[0] == '#' && rest.size() == 1)
      out.push_back({">+0.1234\r"});
    else if (line[0] == '$' || line[0] == '%')
      out.push_back({"!" + address + "\r"});
  }

 private:
  std::vector<std::string> modules_;
};

}  // namespace

std::unique_ptr<Responder> MakeDataTakerResponder() {
  return std::make_unique<DataTakerResponder>();
}

std::unique_ptr<Responder> MakeAdamResponder(const Options& options) {
  return std::make_unique<AdamResponder>(options.adamModules);
}

}  // namespace mv::sim
