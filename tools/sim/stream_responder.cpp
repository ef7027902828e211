// A streaming serial instrument: an optional name line, then text lines sent unasked
// every period (several at once in a burst). A line may be sent in two halves, the
// second a little later, as a slow instrument's line is read in mid-transmission. It
// ignores what it receives. Field n (fields end at commas) reads what input n reads:
// a value set for it replaces the whole field (a line with fewer fields gets empty ones
// up to it); a rise is added to the field's own number, its text around it kept.
#include <algorithm>
#include <cctype>
#include <charconv>
#include <optional>
#include <string>

#include "sim/responder.h"

namespace mv::sim {

namespace {

class StreamResponder : public Responder {
 public:
  StreamResponder(const Options& o, Inputs& inputs)
      : Responder(inputs),
        period_(std::chrono::milliseconds(o.periodMs > 0 ? o.periodMs : 1)),
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
      const std::string line = Fielded(lines_[index_], now) + "\r";
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
  bool TalksUnasked() const override { return true; }
  // The program gives up on the name line after 65 ticks.
  int TimeoutMs() const override { return 1084; }
  bool PartialRestFollows() const override { return true; }

 private:
  static constexpr int kFields = 16;
  bool HasInput(int input) const override { return input >= 1 && input <= kFields; }

  // The line's fields as they read at `now`, all at the one instant.
  std::string Fielded(std::string line, Clock::time_point now) const {
    for (int field = 1; field <= kFields; ++field) {
      if (!Changed(field)) continue;
      const bool whole = inputs_.IsSet(field);
      const auto span = FieldSpan(line, field, whole || inputs_.HasOwnRate(field));
      if (!span) continue;
      auto [from, end] = *span;
      double own = 0;
      if (!whole && !NumberIn(line, &from, &end, &own) && !inputs_.HasOwnRate(field)) continue;
      line.replace(from, end - from, NumberText(Reads(field, own, now)));
    }
    return line;
  }
  // Where field n lies in the line; with `pad`, empty fields are added up to it.
  static std::optional<std::pair<size_t, size_t>> FieldSpan(std::string& line, int field, bool pad) {
    size_t from = 0;
    for (int n = 1; n < field; ++n) {
      const size_t comma = line.find(',', from);
      if (comma == std::string::npos) {
        if (!pad) return std::nullopt;
        line += std::string(static_cast<size_t>(field - n), ',');
        from = line.size();
        break;
      }
      from = comma + 1;
    }
    return std::make_pair(from, std::min(line.find(',', from), line.size()));
  }
  // The first number within [*from, *end) of the line: narrows the span to it.
  static bool NumberIn(const std::string& line, size_t* from, size_t* end, double* value) {
    for (size_t at = *from; at < *end; ++at) {
      const char c = line[at];
      if (!std::isdigit(static_cast<unsigned char>(c)) && c != '-' && c != '.') continue;
      const auto r = std::from_chars(line.data() + at, line.data() + *end, *value);
      if (r.ec != std::errc()) continue;
      *from = at;
      *end = static_cast<size_t>(r.ptr - line.data());
      return true;
    }
    return false;
  }

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

std::unique_ptr<Responder> MakeStreamResponder(const Options& options, Inputs& inputs) {
  return std::make_unique<StreamResponder>(options, inputs);
}

}  // namespace mv::sim
