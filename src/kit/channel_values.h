// What a channel can hold: the readings it averages into one sample and the
// coefficients it converts by. The windows that take them typed and the set-up file
// reader share these rules, so a file never brings in what a window would refuse.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mv {

// The sample takers count a channel's readings in 16 bits: a larger count would be
// recorded while each sample holds one reading.
constexpr int32_t kMostReadingsAveraged = 32'767;

// Why a channel cannot average `count` readings into a sample, as the words that follow
// "channel N averages X readings: "; nothing when it can. A count below 0 is none (0 stands
// for continuous averaging), a fraction or a count beyond kMostReadingsAveraged is not one
// the sample takers average.
std::optional<std::string> ReadingsAveragedProblem(double count);

// Why a channel cannot hold `value` as a coefficient, as the words that follow the value
// ("is too large for a channel (at most 3.4e38)"); nothing when it can. Coefficients are
// single precision: beyond the largest single a value is no number, and one other than 0
// below the smallest normal single is stored as 0 or loses its digits.
std::optional<std::string> CoefficientProblem(double value);

// The same for a coefficient typed into a field. Text that is no number still reads as 0,
// but a number beyond even a double's range is refused as too large or too near 0.
std::optional<std::string> TypedCoefficientProblem(std::string_view text);

}  // namespace mv
