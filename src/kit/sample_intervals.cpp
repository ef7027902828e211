#include "kit/sample_intervals.h"

#include <cmath>

namespace mv {

namespace {

// One sixtieth of a second as the presets carry it.
constexpr double kTick = 0.01666667;

struct RatePreset {
  int16_t code;
  double seconds;
};

constexpr RatePreset kRatePresets[] = {
    {2, kTick},  {3, 2 * kTick}, {4, 3 * kTick}, {5, 4 * kTick}, {6, 0.1},    {7, 0.25},    {8, 0.5},
    {9, 1.0},    {10, 2.0},      {11, 5.0},      {12, 10.0},     {15, 20.0},  {31, 30.0},   {1, 0.008},
    {67, 0.004}, {68, 0.002},    {20, 0.004},    {21, 0.002},    {22, 0.001}, {23, 0.0005}, {24, 0.0002},
};

// The buttons of each variant, in the order they are tried.
constexpr int16_t kChartButtons[] = {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 15, 31, 1, 67, 68};
constexpr int16_t kScopeButtons[] = {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 15, 31, 1, 67};
constexpr int16_t kScopeHighSpeedButtons[] = {2,  3,  4,  5, 6,  7,  8,  9,  10, 11,
                                              12, 15, 31, 1, 20, 21, 22, 23, 24};

constexpr double kMatchTolerance = 1e-4;

template <std::size_t N>
int16_t Match(double seconds, const int16_t (&buttons)[N]) {
  for (int16_t code : buttons) {
    const double preset = *RateButtonInterval(code);
    if (std::fabs(seconds - preset) <= kMatchTolerance * preset) return code;
  }
  return 13;
}

}  // namespace

bool SampleIntervalWithinLimits(double seconds) {
  return std::isfinite(seconds) && seconds >= kShortestSampleInterval * (1 - 1e-6) &&
         seconds <= kLongestSampleInterval;
}

std::optional<double> RateButtonInterval(int16_t code) {
  for (const RatePreset& p : kRatePresets)
    if (p.code == code) return p.seconds;
  return std::nullopt;
}

std::vector<double> RatePresetIntervals() {
  std::vector<double> intervals;
  for (const RatePreset& p : kRatePresets) intervals.push_back(p.seconds);
  return intervals;
}

int16_t RateButtonForInterval(double seconds, bool scopeVariant, bool highSpeedColumn) {
  if (!std::isfinite(seconds) || !(seconds > 0)) return 13;
  if (!scopeVariant) return Match(seconds, kChartButtons);
  return highSpeedColumn ? Match(seconds, kScopeHighSpeedButtons) : Match(seconds, kScopeButtons);
}

}  // namespace mv
