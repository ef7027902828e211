// The chart sample store: one row of columns per channel (rows 0 to 16; the chart
// road uses 1 to 16), each column one sample in the channel's units.
//
// A row holds up to kChartColumns columns. Memory is taken in zero-filled blocks as
// columns are written, so the store costs about 4 bytes per recorded value and
// nothing for channels or columns never written; a column that was never written
// reads 0. Nothing is freed between runs: a new run writes its columns from 0 again
// and reads only its own. Writes outside the rows or columns are refused and reads
// there give 0, so a wrong index never touches memory outside the store.
//
// Beside its values every block keeps their smallest and largest value at three
// scales (groups of 64 values, of 1,024, and the whole block of 16,384), brought up to
// date by every write. A drawing of a long recording at a few pixels' width reads a
// few summaries and the values at the ends of each pixel column instead of every
// value: its cost follows the width drawn, not the length recorded. The summaries
// cost about a twentieth of the values' memory.
#pragma once
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
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
  // Columns per group, the finest scale of the summaries.
  static constexpr int kGroupShift = 6, kGroupColumns = 1 << kGroupShift;

  // The extremes of a stretch of columns: the smallest and largest value that is a
  // number (+infinity and -infinity when there is none), and whether any value in it
  // is no number.
  struct Extremes {
    float min = std::numeric_limits<float>::infinity();
    float max = -std::numeric_limits<float>::infinity();
    bool nan = false;
    bool HasNumbers() const { return min <= max; }
  };

  float Get(int channel, int32_t column) const {
    if (!Inside(channel, column)) return 0.0f;
    const auto& blocks = rows_[channel].blocks;
    const std::size_t b = static_cast<std::size_t>(column) >> kBlockShift;
    if (b >= blocks.size() || !blocks[b]) return 0.0f;
    return blocks[b]->values[column & (kBlockColumns - 1)];
  }

  // Stores the value; false when the channel or column lies outside the store.
  bool Set(int channel, int32_t column, float value) {
    if (!Inside(channel, column)) return false;
    Row& row = rows_[channel];
    const std::size_t b = static_cast<std::size_t>(column) >> kBlockShift;
    if (b >= row.blocks.size()) row.blocks.resize(b + 1);
    if (!row.blocks[b]) {
      row.blocks[b] = std::make_unique<Block>();
      allocatedBlocks_ += 1;
    }
    row.blocks[b]->Store(column & (kBlockColumns - 1), value);
    row.highest = std::max(row.highest, column);
    return true;
  }

  // The extremes of columns first to last of a row (columns outside the store read 0).
  Extremes Span(int channel, int32_t first, int32_t last) const {
    Extremes e;
    if (first > last) return e;
    const bool row = channel >= 0 && channel < kRows;
    if (!row || first < 0 || last >= kChartColumns) Fold(e, 0.0f);
    if (!row) return e;
    first = std::max(first, 0);
    last = std::min(last, kChartColumns - 1);
    for (int32_t b = first >> kBlockShift; first <= last && b <= (last >> kBlockShift); ++b) {
      const int32_t base = b * kBlockColumns;
      const Block* block = BlockAt(channel, b);
      const int32_t lo = std::max(first, base) - base, hi = std::min(last, base + kBlockColumns - 1) - base;
      if (block)
        block->Cover(0, 0, lo, hi, e);
      else
        Fold(e, 0.0f);
    }
    return e;
  }

  // The first column of first to last whose value holds, -1 when none does. holds must
  // be monotone over the numbers: true for every value above one it holds for when
  // upward, for every value below one it holds for otherwise. No number is asked on
  // its own. Reads a few summaries and at most two groups of values.
  template <class Holds>
  int32_t FirstWhere(int channel, int32_t first, int32_t last, bool upward, Holds holds) const {
    return Search(channel, first, last, upward, holds, false).column;
  }

  // Where FirstWhere's column lies, to a group of values: the column itself, or, when it
  // lies in a group of kGroupColumns columns wholly inside first..last, that group's
  // first column (near). Reads no values but those of the groups at first and last.
  struct Place {
    int32_t column = -1;
    bool near = false;
  };
  template <class Holds>
  Place FirstGroupWhere(int channel, int32_t first, int32_t last, bool upward, Holds holds) const {
    return Search(channel, first, last, upward, holds, true);
  }

  // The highest column ever written in the channel's row, -1 when none.
  int32_t HighestColumn(int channel) const {
    return channel >= 0 && channel < kRows ? rows_[channel].highest : -1;
  }

  // Copies columns first .. first + count - 1 of a row into out (0 where never written).
  void CopyRow(int channel, int32_t first, int32_t count, float* out) const {
    for (int32_t i = 0; i < count; ++i) out[i] = Get(channel, first + i);
  }

  // Bytes held for values and their summaries, for the memory figures of the benches.
  std::size_t BytesHeld() const { return allocatedBlocks_ * sizeof(Block); }
  // Of those, the bytes held for the summaries.
  std::size_t SummaryBytesHeld() const { return allocatedBlocks_ * (sizeof(Block) - sizeof(Block::values)); }

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
  // Scales of the summaries inside a block, coarsest first: the whole block, 16 parts of
  // 1,024 columns, 256 groups of 64 columns.
  static constexpr std::array<int, 3> kLevelShift = {kBlockShift, 10, kGroupShift};
  static constexpr int kGroups = kBlockColumns >> kGroupShift;
  static constexpr int kParts = 16, kGroupsPerPart = kGroups / kParts;

  // The extremes of the numbers under one summary. For a group of values also how many
  // of them equal its smallest and its largest, so that overwriting one of several
  // equal extremes needs no new pass over the group, and how many are no number; above
  // the groups nans is 1 when any value under it is no number.
  struct Summary {
    float min = 0, max = 0;
    uint8_t atMin = 0, atMax = 0, nans = 0;
  };

  // FirstWhere and FirstGroupWhere: coarse stops at a whole group inside first..last.
  template <class Holds>
  Place Search(int channel, int32_t first, int32_t last, bool upward, Holds& holds, bool coarse) const {
    const bool row = channel >= 0 && channel < kRows;
    const bool zeroHolds = holds(0.0f);
    if (first > last) return {};
    if (!row || (first < 0 && zeroHolds)) return {zeroHolds ? first : -1};
    first = std::max(first, 0);
    const int32_t end = std::min(last, kChartColumns - 1);
    for (int32_t b = first >> kBlockShift; first <= end && b <= (end >> kBlockShift); ++b) {
      const int32_t base = b * kBlockColumns;
      const int32_t lo = std::max(first, base) - base, hi = std::min(end, base + kBlockColumns - 1) - base;
      const Block* block = BlockAt(channel, b);
      if (!block) {
        if (zeroHolds) return {base + lo};
        continue;
      }
      bool near = false;
      const int32_t at = block->Find(0, 0, lo, hi, upward, holds, coarse, near);
      if (at >= 0) return {base + at, near};
    }
    return {last > end && zeroHolds ? std::max(first, kChartColumns) : -1};
  }

  static void Fold(Extremes& e, float v) {
    if (std::isnan(v)) {
      e.nan = true;
      return;
    }
    if (v < e.min) e.min = v;
    if (v > e.max) e.max = v;
  }
  static void Fold(Extremes& e, const Summary& s) {
    if (s.min < e.min) e.min = s.min;
    if (s.max > e.max) e.max = s.max;
    e.nan = e.nan || s.nans > 0;
  }
  template <class Holds>
  static bool MayHold(const Summary& s, bool upward, Holds& holds) {
    if (s.nans > 0 && holds(std::numeric_limits<float>::quiet_NaN())) return true;
    return s.min <= s.max && holds(upward ? s.max : s.min);
  }

  struct Block {
    std::array<float, kBlockColumns> values{};
    std::array<Summary, kGroups> groups;
    std::array<Summary, kParts> parts{};
    Summary whole{};

    Block() { groups.fill(Summary{0, 0, kGroupColumns, kGroupColumns, 0}); }

    const Summary& At(int level, int32_t index) const {
      return level == 0   ? whole
             : level == 1 ? parts[static_cast<std::size_t>(index)]
                          : groups[static_cast<std::size_t>(index)];
    }

    void Store(int32_t i, float v) {
      const float old = values[static_cast<std::size_t>(i)];
      values[static_cast<std::size_t>(i)] = v;
      const int32_t g = i >> kGroupShift;
      Summary& s = groups[static_cast<std::size_t>(g)];
      const Summary before = s;
      if (std::isnan(old)) --s.nans;
      if (std::isnan(v)) ++s.nans;
      // The old value may have been the only one at an extreme: then count afresh.
      bool recount = false;
      if (old == s.min) recount = --s.atMin == 0;
      if (old == s.max) recount = --s.atMax == 0 || recount;
      if (recount) {
        Recount(g);
      } else {
        if (v < s.min)
          s.min = v, s.atMin = 1;
        else if (v == s.min)
          ++s.atMin;
        if (v > s.max)
          s.max = v, s.atMax = 1;
        else if (v == s.max)
          ++s.atMax;
      }
      if (s.min != before.min || s.max != before.max || (s.nans > 0) != (before.nans > 0)) Lift(g);
    }

    void Recount(int32_t g) {
      Summary s{std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(), 0, 0, 0};
      for (int32_t i = g << kGroupShift; i < (g + 1) << kGroupShift; ++i) {
        const float v = values[static_cast<std::size_t>(i)];
        if (std::isnan(v)) {
          ++s.nans;
          continue;
        }
        if (v < s.min) s.min = v, s.atMin = 0;
        if (v > s.max) s.max = v, s.atMax = 0;
        s.atMin = static_cast<uint8_t>(s.atMin + (v == s.min));
        s.atMax = static_cast<uint8_t>(s.atMax + (v == s.max));
      }
      groups[static_cast<std::size_t>(g)] = s;
    }

    static Summary Combine(const Summary* from, int n) {
      Summary s{std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(), 0, 0, 0};
      for (int i = 0; i < n; ++i) {
        s.min = std::min(s.min, from[i].min);
        s.max = std::max(s.max, from[i].max);
        if (from[i].nans > 0) s.nans = 1;
      }
      return s;
    }

    // A group's extremes changed: its part's and the block's follow.
    void Lift(int32_t g) {
      const int32_t p = g / kGroupsPerPart;
      parts[static_cast<std::size_t>(p)] =
          Combine(&groups[static_cast<std::size_t>(p * kGroupsPerPart)], kGroupsPerPart);
      whole = Combine(parts.data(), kParts);
    }

    void FoldValues(int32_t lo, int32_t hi, Extremes& e) const {
      float min = e.min, max = e.max;
      bool nan = false;
      for (int32_t i = lo; i <= hi; ++i) {
        const float v = values[static_cast<std::size_t>(i)];
        nan = nan || std::isnan(v);
        min = v < min ? v : min;  // no number compares false: passed over
        max = v > max ? v : max;
      }
      e = {min, max, e.nan || nan};
    }

    // Adds to e the extremes of columns lo..hi (of this block) under the summary at
    // level and index.
    void Cover(int level, int32_t index, int32_t lo, int32_t hi, Extremes& e) const {
      const int shift = kLevelShift[static_cast<std::size_t>(level)];
      const int32_t start = index << shift, end = ((index + 1) << shift) - 1;
      if (lo <= start && end <= hi) return Fold(e, At(level, index));
      if (level == 2) return FoldValues(std::max(lo, start), std::min(hi, end), e);
      const int childShift = kLevelShift[static_cast<std::size_t>(level + 1)];
      for (int32_t c = std::max(lo, start) >> childShift; c <= (std::min(hi, end) >> childShift); ++c)
        Cover(level + 1, c, lo, hi, e);
    }

    // The first of values lo..hi that holds. holds being monotone, a value short of one
    // that failed fails too: only values beyond the best that failed are asked.
    template <class Holds>
    int32_t FindValue(int32_t lo, int32_t hi, bool upward, Holds& holds) const {
      const float dir = upward ? 1.0f : -1.0f;
      float failed = -std::numeric_limits<float>::infinity();  // as dir x value
      int nanHolds = -1;
      for (int32_t i = lo; i <= hi; ++i) {
        const float v = values[static_cast<std::size_t>(i)];
        if (std::isnan(v)) {
          if (nanHolds < 0) nanHolds = holds(v) ? 1 : 0;
          if (nanHolds == 1) return i;
          continue;
        }
        const float d = dir * v;
        if (d <= failed) continue;
        if (holds(v)) return i;
        failed = d;
      }
      return -1;
    }

    // The first column of lo..hi under the summary at level and index whose value holds.
    template <class Holds>
    int32_t Find(int level, int32_t index, int32_t lo, int32_t hi, bool upward, Holds& holds, bool coarse,
                 bool& near) const {
      // Nothing under the summary holds: neither does anything in the part of it asked.
      if (!MayHold(At(level, index), upward, holds)) return -1;
      const int shift = kLevelShift[static_cast<std::size_t>(level)];
      const int32_t start = index << shift, end = ((index + 1) << shift) - 1;
      if (level == 2) {
        if (coarse && lo <= start && end <= hi) return near = true, start;
        return FindValue(std::max(lo, start), std::min(hi, end), upward, holds);
      }
      const int childShift = kLevelShift[static_cast<std::size_t>(level + 1)];
      for (int32_t c = std::max(lo, start) >> childShift; c <= (std::min(hi, end) >> childShift); ++c) {
        const int32_t at = Find(level + 1, c, lo, hi, upward, holds, coarse, near);
        if (at >= 0) return at;
      }
      return -1;
    }
  };

  struct Row {
    std::vector<std::unique_ptr<Block>> blocks;
    int32_t highest = -1;
  };

  static bool Inside(int channel, int32_t column) {
    return channel >= 0 && channel < kRows && column >= 0 && column < kChartColumns;
  }
  const Block* BlockAt(int channel, int32_t b) const {
    const auto& blocks = rows_[static_cast<std::size_t>(channel)].blocks;
    return static_cast<std::size_t>(b) < blocks.size() ? blocks[static_cast<std::size_t>(b)].get() : nullptr;
  }

  std::array<Row, kRows> rows_;
  std::size_t allocatedBlocks_ = 0;
};

}  // namespace mv
