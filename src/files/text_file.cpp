#include "files/text_file.h"

#include <algorithm>
#include <vector>

#include "files/bytes.h"
#include "files/file_time.h"
#include "kit/format.h"

namespace mv {

namespace {
constexpr int32_t kChunk = 4'096;
}

void EncodeTextFileTo(ChunkedOutput& o, const RecordingView& view, const DataFileFacts& f,
                      const TextProgress& progress) {
  const int first = std::max<int>(f.firstChan, 1);
  const int channels = std::max(0, f.nChannels - first + 1);
  const int32_t rows = std::max(0, f.samples);
  std::string& out = o.text();
  if (f.timeColumn) out += "Time (sec)\t";
  for (int k = 0; k < channels; ++k) {
    out += bytes::FixedWidth(f.channels[first + k].label, 30);
    if (k + 1 < channels) out += '\t';
  }
  out += '\r';
  std::vector<float> block(static_cast<std::size_t>(kChunk) * std::max(channels, 1));
  const int32_t progressStep = std::max(rows / 300, 2);
  // Each row at its sample's stored time, as the binary file's own rule gives it: the
  // interval the user chose (not its single-precision neighbour) times the index, or the
  // intervals an interval change in a pause recorded, plus the pauses and gaps the pause
  // log records at or before the row.
  StoredSampleTimes times(ShortestDecimal(f.sampleInterval), f.pauseLog);
  for (int32_t c = 0; c < rows; c += kChunk) {
    const int32_t count = std::min(kChunk, rows - c);
    for (int k = 0; k < channels; ++k)
      view.ChartColumns(first + k, f.firstColumn + c, count,
                        block.data() + static_cast<std::size_t>(k) * kChunk);
    for (int32_t i = 0; i < count; ++i) {
      if (f.timeColumn) {
        out += PrintedNumber(times.At(c + i)).str();
        out += '\t';
      }
      for (int k = 0; k < channels; ++k) {
        out += PrintedNumber(block[static_cast<std::size_t>(k) * kChunk + i]).str();
        out += '\t';
      }
      out += '\r';
      if (progress && (c + i + 1) % progressStep == 0) progress(c + i + 1, rows);
    }
    o.Spill();
  }
}

std::string EncodeTextFile(const RecordingView& view, const DataFileFacts& f) {
  ChunkedOutput o;
  EncodeTextFileTo(o, view, f, {});
  return o.Take();
}

FileResult WriteTextFile(const std::string& path, const RecordingView& view, const DataFileFacts& f,
                         const TextProgress& progress) {
  return WriteFileSafelyChunked(path, [&](ChunkedOutput& o) { EncodeTextFileTo(o, view, f, progress); });
}

}  // namespace mv
