#include "kit/channel_values.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "kit/format.h"

namespace mv {

namespace {

constexpr const char* kTooLarge = "is too large for a channel (at most 3.4e38)";
constexpr const char* kTooNearZero = "is too near 0 for a channel (at least 1.18e-38, or 0)";

bool IsDigit(std::string_view text, std::size_t i) {
  return i < text.size() && text[i] >= '0' && text[i] <= '9';
}

// The leading number of a text that lies beyond a double's range (TextToNumber reads it as
// 0): too large, or too near 0 when its exponent is negative.
std::optional<std::string> BeyondADouble(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n')) ++i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  if (!IsDigit(text, i) && !(i < text.size() && text[i] == '.' && IsDigit(text, i + 1))) return std::nullopt;
  double value = 0;
  const char* first = text.data() + i;
  const auto [end, ec] = std::from_chars(first, text.data() + text.size(), value, std::chars_format::general);
  if (ec != std::errc::result_out_of_range) return std::nullopt;
  const std::string_view number(first, static_cast<std::size_t>(end - first));
  const std::size_t e = number.find_first_of("eE");
  const bool negativeExponent = e != std::string_view::npos && e + 1 < number.size() && number[e + 1] == '-';
  return negativeExponent ? kTooNearZero : kTooLarge;
}

}  // namespace

std::optional<std::string> ReadingsAveragedProblem(double count) {
  if (!(count >= 0)) return "a channel averages 1 reading or more, or 0 for continuous averaging";
  if (count != std::trunc(count)) return "a channel averages a whole number of readings";
  if (count > kMostReadingsAveraged)
    return "a channel averages at most " + std::to_string(kMostReadingsAveraged) + " readings";
  return std::nullopt;
}

std::optional<std::string> CoefficientProblem(double value) {
  const double magnitude = std::fabs(value);
  if (!(magnitude <= std::numeric_limits<float>::max())) return kTooLarge;
  if (value != 0 && magnitude < std::numeric_limits<float>::min()) return kTooNearZero;
  return std::nullopt;
}

std::optional<std::string> TypedCoefficientProblem(std::string_view text) {
  const double value = TextToNumber(text);
  if (value != 0) return CoefficientProblem(value);
  return BeyondADouble(text);
}

}  // namespace mv
