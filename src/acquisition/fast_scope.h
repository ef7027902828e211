// The DT800's fast scope: the logger records a whole sweep of channel 1 in burst mode
// and the program downloads it as one block of text numbers. The codec parts are pure
// (the burst command text, the block's numbers, the block averages and the scaling);
// FastScopeBlock wraps them with the program's line and the tick clock.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace mv {

// The burst command for the given channel-1 input settings: "RX;BURST(count,rate)"
// then the channel text (a blank, the input number and the input type).
std::string BurstCommandText(int16_t input, int16_t kind, int16_t thermocoupleType, double intervalSeconds,
                             int32_t scopeMax);
// Numbers the logger sends for one sweep.
int32_t FastScopeSampleCount(double intervalSeconds, int32_t scopeMax);
// Samples averaged into one sweep point: 1 at 1 ms or faster, else the interval in ms.
int32_t FastScopeSamplesPerPoint(double intervalSeconds);

// One decoded block: the numbers in order, or a reason when fewer than asked came.
struct FastBlock {
  std::vector<float> values;
  std::string reason;  // empty when complete
};
// Reads up to `count` text numbers separated by commas, blanks and line ends.
FastBlock DecodeFastBlock(std::string_view bytes, int32_t count);

// Block averages of m raw values each, each partial sum truncated to a whole number
// and the sum divided by m as whole numbers; `points` averages.
std::vector<float> FastBlockAverages(const std::vector<float>& raw, int32_t m, int32_t points);
// Scales averaged millivolts into the sweep: v = mV x 0.001 x b + a; an exact zero
// inside the sweep takes the mean of its neighbours (the right one from `previous`).
// Thermocouples: a running mean of the neighbours, t x b + a, no millivolt factor.
std::vector<float> ScaleFastBlock(const std::vector<float>& averages, const std::vector<float>& previous,
                                  bool thermocouple, float a, float b);

// The y of a sweep value on the scope plot: bottom - (v - miny) x hite / range,
// truncated, no lower than the bottom and 0 when negative; a range of 0 keeps the bottom.
int32_t FastTraceY(float v, float miny, int32_t hite, float range, int32_t bottom);

// Ticks the transfer waits for the logger's first reply after the recording time,
// and for each number of the download, before it gives the block up.
constexpr uint32_t kFastReplyTicks = 600;
constexpr uint32_t kFastNumberTicks = 60;

// Builds and sends the burst command (outside demonstration mode).
void SendBurstCommand();
// Takes one block into ScopeBufferArray and scopedata row 1. `save` writes the sweep
// (Tab during the transfer).
void FastScopeBlock(const std::function<void()>& save);
// Draws the block's sweep (scopedata row 1) on the scope plot as one polyline.
void DrawFastBlock();

}  // namespace mv
