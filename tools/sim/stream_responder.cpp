// A streaming serial instrument: an optional name line, then text lines sent unasked
// every period (several at once in a burst). A line may be sent in two halves, the
// second a little later, as a slow instrument's line is read in mid-transmission. It
// ignores what it receives.
#include <algorithm>
#include <string>

#include "sim/responder.h"

namespace mv::sim {

namespace {

class StreamResponder : public Responder {
 public:
  explicit StreamResponder(const Options& o)
      : period_(std::chrono::milliseconds(o.periodMs > 0 ? o.periodMs : 1)),
        burst_(o.burst > 0 ? o.burst : 1),
        splitMs_(o.splitMs > 0 ? o.splitMs : 0),
        name_(o.nameLine),
        lines_(o.lines) {
    if (lines_.empty()) lines_.push_back("");
  }

  void Received(std::string_view, std::vector<Reply>&) override {}

  void Tick(Clock::time_point now, std::vector<Reply>& out) override {
    if (!started_) {
      started_ = true;
      next_ = now + period_;
      if (!name_.empty()) out.push_back({name_ + "\r", 0, false});
      return;
    }
    if (now < next_) return;
    for (int k = 0; k < burst_; ++k) {
      const std::string line = lines_[index_] + "\r";
      index_ = (index_ + 1) % lines_.size();
      if (splitMs_ == 0 || line.size() < 2) {
        out.push_back({line});
        continue;
      }
      // Each half is held back behind the one before it, so the burst stays in order.
      const size_t half = line.size() / 2;
      out.push_back({line.substr(0, half)});
      out.push_back({line.substr(half), splitMs_, false});
    }
    next_ += period_;
    if (next_ < now) next_ = now + period_;  // never catch up in a rush after a stall
  }

  Clock::time_point NextTick() const override { return started_ ? next_ : Clock::now(); }
  // Field n of every line (fields end at commas) reads the value; a line with fewer
  // fields gets empty ones up to it.
  bool SetValue(int input, double value) override {
    if (input < 1 || input > 16) return false;
    for (std::string& line : lines_) {
      size_t from = 0;
      for (int n = 1; n < input; ++n) {
        const size_t comma = line.find(',', from);
        if (comma == std::string::npos) {
          line += std::string(static_cast<size_t>(input - n), ',');
          from = line.size();
          break;
        }
        from = comma + 1;
      }
      const size_t end = std::min(line.find(',', from), line.size());
      line.replace(from, end - from, NumberText(value));
    }
    return true;
  }
  // The program gives up on the name line after 65 ticks.
  int TimeoutMs() const override { return 1084; }
  bool PartialRestFollows() const override { return true; }

 private:
  Clock::duration period_;
  int burst_;
  int splitMs_;
  std::string name_;
  std::vector<std::string> lines_;
  size_t index_ = 0;
  bool started_ = false;
  Clock::time_point next_{};
};

}  // namespace

std::unique_ptr<Responder> MakeStreamResponder(const Options& options) {
  return std::make_unique<StreamResponder>(options);
}

}  // namespace mv::sim
