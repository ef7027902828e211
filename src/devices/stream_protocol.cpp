#include "devices/stream_protocol.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "devices/state.h"

namespace mv::stream {

namespace {

constexpr size_t kLineLimit = 255;

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Where an exponent ("e3", "E-1") starts the field's text at pos, its length, else 0.
size_t ExponentAt(std::string_view field, size_t pos) {
  if (pos >= field.size() || (field[pos] != 'e' && field[pos] != 'E')) return 0;
  size_t end = pos + 1;
  if (end < field.size() && (field[end] == '-' || field[end] == '+')) ++end;
  const size_t digits = end;
  while (end < field.size() && IsDigit(field[end])) ++end;
  return end > digits ? end - pos : 0;
}

size_t DigitsFrom(std::string_view field, size_t pos) {
  while (pos < field.size() && IsDigit(field[pos])) ++pos;
  return pos;
}

// The field's value: the number at its start (after blanks and a sign), exponent
// included. What follows it is the instrument's unit or remark, digits and all
// ("20.95 O2", "21.5 m3/h"): taking those digits too would make another number. A field
// that does not start with a number ("", "-", "--5", "N/A", "T=21.5") is an instrument's
// "no value".
float FieldValue(std::string_view field) {
  size_t pos = 0;
  while (pos < field.size() && (field[pos] == ' ' || field[pos] == '\t')) ++pos;
  std::string number;
  if (pos < field.size() && (field[pos] == '-' || field[pos] == '+')) {
    if (field[pos] == '-') number = "-";
    ++pos;
  }
  const size_t start = pos;
  size_t end = DigitsFrom(field, pos);
  bool digits = end > start;
  if (end < field.size() && field[end] == '.') {
    const size_t fraction = end + 1;
    end = DigitsFrom(field, fraction);
    digits = digits || end > fraction;
  }
  if (!digits) return kBadReading;
  end += ExponentAt(field, end);
  number.append(field.substr(start, end - start));
  double v = 0.0;
  const auto r = std::from_chars(number.data(), number.data() + number.size(), v, std::chars_format::general);
  // One too large for a reading (garbled text) is no value either.
  if (r.ec != std::errc() || r.ptr != number.data() + number.size() ||
      !(std::fabs(v) <= std::numeric_limits<float>::max()))
    return kBadReading;
  return static_cast<float>(v);
}

std::string Clean(std::string_view text) {
  std::string s(text);
  for (char& c : s)
    if (c == ',' || c == '\r' || c == '\n') c = ' ';
  return s;
}

std::string_view SkipBlanks(std::string_view s) {
  size_t i = s.find_first_not_of(' ');
  return i == std::string_view::npos ? std::string_view{} : s.substr(i);
}

std::vector<std::string_view> SplitFields(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t start = 0;
  for (;;) {
    size_t comma = line.find(',', start);
    fields.push_back(
        SkipBlanks(line.substr(start, comma == std::string_view::npos ? line.npos : comma - start)));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return fields;
}

int LeadingInteger(std::string_view s) {
  int v = 0;
  std::from_chars(s.data(), s.data() + s.size(), v);
  return v;
}

}  // namespace

std::array<float, kVariables + 1> SplitLine(std::string_view line) {
  if (line.size() > kLineLimit) line = line.substr(0, kLineLimit);
  std::array<float, kVariables + 1> out{};
  size_t pos = 0;
  for (int n = 1; n <= kVariables; ++n) {
    const size_t start = pos;
    while (pos < line.size() && line[pos] != ',' && line[pos] != ':') ++pos;
    out[n] = FieldValue(line.substr(start, pos - start));
    if (pos < line.size()) ++pos;
  }
  return out;
}

void LineAssembler::Add(std::string_view bytes) {
  for (char c : bytes) {
    if (c == '\r' || c == '\n') {
      if (!skipping_ && !tail_.empty()) {
        if (tail_.size() > kLongestLine) tail_.resize(kLongestLine);
        lines_.push_back(std::move(tail_));
      }
      tail_.clear();
      skipping_ = false;
    } else if (!skipping_) {
      tail_ += c;
      if (tail_.size() > kLongestTail) GiveUpUnfinished();
    }
  }
}

std::vector<std::string> LineAssembler::TakeLines() {
  std::vector<std::string> out;
  out.swap(lines_);
  return out;
}

void LineAssembler::GiveUpUnfinished() {
  if (!tail_.empty()) skipping_ = true;
  tail_.clear();
}

void LineAssembler::Clear() {
  lines_.clear();
  tail_.clear();
  skipping_ = false;
}

void LineAssembler::ClearToLineEnd() {
  Clear();
  skipping_ = true;
}

std::string InstrumentName(std::string_view line) {
  size_t from = 0;
  if (line.substr(0, 4) == "!!!:")
    from = 4;
  else if (line.substr(0, 3) == "!!!")
    from = 3;
  else
    return {};
  // Characters from..24 (0-based) at most, i.e. up to character 25.
  std::string_view rest = line.substr(from, 25 - from);
  return std::string(rest.substr(0, rest.find(':')));
}

std::string FormatRecord(std::string_view name, int count, std::string_view displayName,
                         const std::vector<std::string>& labels) {
  char digits[16];
  auto r = std::to_chars(digits, digits + sizeof digits, count);
  std::string out = "\r" + Clean(name) + ", " + (count >= 0 ? " " : "") + std::string(digits, r.ptr) + ", " +
                    Clean(displayName) + ", ";
  for (size_t k = 0; k < labels.size(); ++k) {
    if (labels[k] != kLabelPlaceholder) out += Clean(labels[k]);
    out += k + 1 < labels.size() ? "," : "\r";
  }
  return out;
}

std::optional<Record> FindRecord(std::string_view fileText, std::string_view name) {
  size_t start = 0;
  while (start <= fileText.size()) {
    size_t end = fileText.find_first_of("\r\n", start);
    std::string_view line =
        fileText.substr(start, end == std::string_view::npos ? fileText.npos : end - start);
    std::vector<std::string_view> fields = SplitFields(line);
    if (!line.empty() && fields[0] == name && fields.size() >= 3) {
      Record rec;
      rec.count = LeadingInteger(fields[1]);
      rec.displayName = std::string(fields[2]);
      for (size_t k = 3; k < fields.size(); ++k) rec.labels.emplace_back(fields[k]);
      return rec;
    }
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return std::nullopt;
}

}  // namespace mv::stream
