// The timing diagram column of the switching set-up window: for each channel row, what
// the chosen pattern does to it over one cycle (sampling blocks, reference strips,
// labels), and the legend above the column. Nothing is drawn for the sequential
// patterns.
#pragma once
#include <cstdint>
#include <vector>

namespace mv {

// Devices 1 to this limit form group 1 in the diagram of a pattern.
int16_t DiagramGroupOneLimit(int16_t pattern, int16_t externalAD);

// One sampling slot of the periodic patterns: the row (channel), the block from left
// to right, and the reference strip beside it from stripLeft to stripRight.
struct PeriodicSlot {
  int16_t row = 0;
  int16_t left = 0, right = 0;
  int16_t stripLeft = 0, stripRight = 0;
  bool operator==(const PeriodicSlot&) const = default;
};
// The slots of patterns 5 and 6 for the devices of rows 1..n (devices[r], r from 1;
// entry 0 unused), group 1 first, then group 2.
std::vector<PeriodicSlot> PeriodicSlots(int16_t pattern, const std::vector<int16_t>& devices,
                                        int16_t externalAD);

// The label of a row of the keyboard and start-and-end patterns: 0 none, 1 the manual
// timing label of the first switched channel of a group, 2 "not used" of the later ones.
std::vector<int16_t> RowLabels(int16_t pattern, const std::vector<int16_t>& devices, int16_t externalAD);

void SWITCHDIAGRAM();
void DrawSwitchingPatternCode();

}  // namespace mv
