// The chart sample store: one row of columns per channel (rows 0 to 16; the chart
// road uses 1 to 16), each column one sample in the channel's units.
//
// A row holds up to kChartColumns columns. Memory is taken in zero-filled blocks as
// columns are written, so the store costs about 4 bytes per recorded value and
// nothing for channels or columns never written; a column that was never written
// reads 0. Nothing is freed between runs: a new run writes its columns from 0 again
// and reads only its own. Writes outside the rows or columns are refused and reads
// there give 0, so a wrong index never touches memory outside the store.
#pragma once
#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace mv {

class ChartStore {
 public:
  static constexpr int kRows = 17;
  // Two more than the longest recording (2,000,000 samples stores columns 0 to
  // 2,000,000), as the row length of the original flat layout.
  static constexpr int32_t kChartColumns = 2'000'002;
  // Columns per block: 64 KB of floats. A power of two keeps the addressing a shift.
  static constexpr int kBlockShift = 14;
  static constexpr int32_t kBlockColumns = int32_t{1} << kBlockShift;

  float Get(int channel, int32_t column) const {
    if (!Inside(channel, column)) return 0.0f;
    const auto& blocks = rows_[channel].blocks;
    const std::size_t b = static_cast<std::size_t>(column) >> kBlockShift;
    if (b >= blocks.size() || !blocks[b]) return 0.0f;
    return blocks[b][column & (kBlockColumns - 1)];
  }

  // Stores the value; false when the channel or column lies outside the store.
  bool Set(int channel, int32_t column, float value) {
    if (!Inside(channel, column)) return false;
    Row& row = rows_[channel];
    const std::size_t b = static_cast<std::size_t>(column) >> kBlockShift;
    if (b >= row.blocks.size()) row.blocks.resize(b + 1);
    if (!row.blocks[b]) {
      row.blocks[b] = std::make_unique<float[]>(kBlockColumns);  // value-initialised: zeros
      allocatedBlocks_ += 1;
    }
    row.blocks[b][column & (kBlockColumns - 1)] = value;
    row.highest = std::max(row.highest, column);
    return true;
  }

  // The highest column ever written in the channel's row, -1 when none.
  int32_t HighestColumn(int channel) const {
    return channel >= 0 && channel < kRows ? rows_[channel].highest : -1;
  }

  // Copies columns first .. first + count - 1 of a row into out (0 where never written).
  void CopyRow(int channel, int32_t first, int32_t count, float* out) const {
    for (int32_t i = 0; i < count; ++i) out[i] = Get(channel, first + i);
  }

  // Bytes held for values (the blocks), for the memory figures of the benches.
  std::size_t BytesHeld() const {
    return allocatedBlocks_ * static_cast<std::size_t>(kBlockColumns) * sizeof(float);
  }

  // Back to the start-up state: nothing held, every column reads 0.
  void Release() {
    for (Row& r : rows_) {
      r.blocks.clear();
      r.blocks.shrink_to_fit();
      r.highest = -1;
    }
    allocatedBlocks_ = 0;
  }

 private:
  struct Row {
    std::vector<std::unique_ptr<float[]>> blocks;
    int32_t highest = -1;
  };

  static bool Inside(int channel, int32_t column) {
    return channel >= 0 && channel < kRows && column >= 0 && column < kChartColumns;
  }

  std::array<Row, kRows> rows_;
  std::size_t allocatedBlocks_ = 0;
};

}  // namespace mv
