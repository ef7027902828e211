// Checks every answer the chart store's summaries give against its values read one by
// one: the extremes of stretches that start and end on, beside and between the
// summaries' boundaries, and the first column reaching a value, up and down, exactly
// and to a group.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "acquisition/chart_store.h"

namespace mv::test {

// Columns worth starting and ending a stretch at, from first to end: the edges of every
// scale of summary and a spread of others.
inline std::vector<int32_t> SummaryProbeColumns(int32_t first, int32_t end) {
  std::set<int32_t> at{first, first + 1, first + 2, end - 1, end, end + 1};
  for (int32_t edge : {64, 1024, ChartStore::kBlockColumns})
    for (int32_t i = 1; i <= 6; ++i)
      for (int32_t d : {-1, 0, 1}) at.insert((first + i * (end - first) / 6) / edge * edge + d);
  uint32_t r = 12345;
  for (int i = 0; i < 12; ++i) {
    r = r * 1103515245u + 12345u;
    at.insert(first + static_cast<int32_t>((r >> 8) % static_cast<uint32_t>(std::max(end - first, 1))));
  }
  std::vector<int32_t> out;
  for (int32_t c : at)
    if (c >= first) out.push_back(c);
  return out;
}

// Reports, as a test failure naming `after`, any stretch of the channel's columns
// from..end + 1 whose summary disagrees with its values.
inline void ExpectSummaryMatchesValues(const ChartStore& store, int channel, int32_t end,
                                       const std::string& after, int32_t from = 0) {
  SCOPED_TRACE("after " + after);
  const std::vector<int32_t> probes = SummaryProbeColumns(from, end);
  const std::set<int32_t> ends(probes.begin(), probes.end());
  int wrong = 0;
  std::vector<float> thresholds;
  for (int32_t first : probes) {
    ChartStore::Extremes brute;
    for (int32_t c = first; c <= end + 1 && wrong < 5; ++c) {
      const float v = store.Get(channel, c);
      if (std::isnan(v))
        brute.nan = true;
      else
        brute.min = std::min(brute.min, v), brute.max = std::max(brute.max, v);
      if (!ends.count(c)) continue;
      const ChartStore::Extremes got = store.Span(channel, first, c);
      if (got.min != brute.min || got.max != brute.max || got.nan != brute.nan) {
        ++wrong;
        ADD_FAILURE() << "columns " << first << ".." << c << ": summary " << got.min << ".." << got.max
                      << (got.nan ? " and no number" : "") << ", values " << brute.min << ".." << brute.max
                      << (brute.nan ? " and no number" : "");
      }
    }
    if (first == probes.front()) thresholds = {brute.min, brute.max, (brute.min + brute.max) / 2, 0.0f};
  }
  // The first column at or beyond a value, at or below it, and either or no number.
  for (float t : thresholds)
    for (bool upward : {true, false})
      for (bool nanHolds : {false, true}) {
        const auto holds = [&](float v) { return std::isnan(v) ? nanHolds : upward ? v >= t : v <= t; };
        for (std::size_t i = 0; i < probes.size(); i += 3) {
          const int32_t first = probes[i];
          int32_t next = first;
          while (next <= end + 1 && !holds(store.Get(channel, next))) ++next;
          for (int32_t last :
               {first, std::min(first + 70, end + 1), std::min(first + 5000, end + 1), end + 1}) {
            const int32_t expect = next <= last ? next : -1;
            const int32_t got = store.FirstWhere(channel, first, last, upward, holds);
            if (got != expect && wrong++ < 5)
              ADD_FAILURE() << "first of " << first << ".." << last
                            << (upward ? " at or above " : " at or below ") << t
                            << (nanHolds ? " or no number" : "") << ": " << got << ", values say " << expect;
            // The place to a group: the column itself, or a whole group inside the
            // stretch that holds it.
            const ChartStore::Place near = store.FirstGroupWhere(channel, first, last, upward, holds);
            const int32_t groupEnd = near.column + ChartStore::kGroupColumns - 1;
            const bool right = near.near
                                   ? near.column % ChartStore::kGroupColumns == 0 && near.column >= first &&
                                         groupEnd <= last && expect >= near.column && expect <= groupEnd
                                   : near.column == expect;
            if (!right && wrong++ < 5)
              ADD_FAILURE() << "group of the first of " << first << ".." << last << ": " << near.column
                            << (near.near ? " (a group)" : "") << ", values say " << expect;
          }
        }
      }
}

}  // namespace mv::test
