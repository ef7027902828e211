#include "files/sable_file.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "files/bytes.h"
#include "files/file_time.h"
#include "kit/format.h"

namespace mv {

namespace {

constexpr int kMaxMarkers = 3'200;
constexpr int32_t kChunk = 4'096;
constexpr std::size_t kCommentBytes = 240;

void PutF(std::string& out, double x) {
  const auto b = PutIEEE(x);
  out.append(reinterpret_cast<const char*>(b.data()), 4);
}

void PutL(std::string& out, int32_t n) {
  const auto u = static_cast<uint32_t>(n);
  const char b[4] = {static_cast<char>(u), static_cast<char>(u >> 8), static_cast<char>(u >> 16),
                     static_cast<char>(u >> 24)};
  out.append(b, 4);
}

void PutText(std::string& out, std::string_view text, std::size_t width) {
  out += bytes::FixedWidth(text, width);
}

// "MM/dd/yy" or "HH:mm:ss" as its three numbers, each piece read as a number.
void PutThreeNumbers(std::string& out, std::string_view text) {
  for (std::size_t at : {0u, 3u, 6u}) {
    const std::string_view piece = at < text.size() ? text.substr(at, 2) : std::string_view();
    PutF(out, TextToNumber(piece));
  }
}

// Everything after the data: fillers, end date and time, comment, markers, channel records.
void PutTail(std::string& out, const RecordingView& view, const DataFileFacts& f, int first, int last,
             std::string_view endTime, std::string_view comment) {
  for (int n = first; n <= last; ++n)
    for (int k = 0; k < 9; ++k) PutF(out, 10.0);
  PutThreeNumbers(out, f.endDate);
  PutThreeNumbers(out, endTime);
  PutText(out, Head(comment, kCommentBytes), kCommentBytes);
  const int markers = std::clamp(view.MarkerCount(), 0, kMaxMarkers);
  PutL(out, markers);
  for (int i = 1; i <= markers; ++i) {
    const DataFileMarker m = view.MarkerAt(i);
    PutL(out, SableMarkerValue(m.code, m.sample));
  }
  PutText(out, "", 8);
  std::string name;
  for (int n = first; n <= last; ++n) {
    const DataFileChannel& c = f.channels[n];
    const int code = static_cast<int>(c.typeCode);
    if (code >= 1 && code <= 9) name = SableTransformName(code);
    PutText(out, Head(c.label, 24), 24);
    PutText(out, "", 16);
    PutText(out, "", 32);
    PutText(out, name, 32);
    PutText(out, "", 32);
    PutL(out, 0);
    PutL(out, 0);
    PutF(out, 0.0);
    PutF(out, c.a);
    for (int k = 0; k < 29; ++k) PutF(out, c.b);
  }
}

// The export holds one interval and no pause log: an interval changed in a pause is
// said first in its comment, and then the pauses and gaps (their total, and each while
// the room lasts), without which every sample after one would be read as taken earlier
// than it was. Only whole lines go in, within the comment's bytes: a line cut there
// would misstate its number (" 2.25" cut to " 2"). Room is kept for the total.
std::string TimingNote(const std::string& pauseLog) {
  const std::vector<LoggedGap> gaps = GapsInPauseLog(pauseLog);
  const std::string pauses = PauseAndGapNote(gaps, kCommentBytes);
  const std::size_t totalLine = pauses.empty() ? 0 : pauses.find('\r') + 1;
  const std::string changes = IntervalChangeNote(IntervalChangesInPauseLog(pauseLog));
  std::string note;
  for (std::size_t at = 0; at < changes.size();) {
    const std::size_t end = changes.find('\r', at) + 1;
    if (note.size() + (end - at) + totalLine > kCommentBytes) break;
    note.append(changes, at, end - at);
    at = end;
  }
  return note + PauseAndGapNote(gaps, kCommentBytes - note.size());
}

void PutHead(std::string& out, int channels, int32_t samples, float interval) {
  PutF(out, 1003.0);
  PutF(out, 1.1);
  PutF(out, channels);
  PutF(out, static_cast<double>(samples) - 1.0);
  PutF(out, interval);
}

}  // namespace

std::array<uint8_t, 4> PutIEEE(double x) {
  if (x == 0.0) return {0, 0, 0, 0};
  float f = static_cast<float>(x);
  if (std::fabs(static_cast<double>(f)) > std::fabs(x)) f = std::nextafterf(f, 0.0f);
  uint32_t bits;
  std::memcpy(&bits, &f, 4);
  return {static_cast<uint8_t>(bits), static_cast<uint8_t>(bits >> 8), static_cast<uint8_t>(bits >> 16),
          static_cast<uint8_t>(bits >> 24)};
}

int32_t SableMarkerValue(int32_t code, int32_t sample) {
  const auto low = static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(sample) & 0xFFFFu));
  const int64_t value = static_cast<int64_t>(code) * 1'000'000 + low;
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(value)));
}

std::string SableTransformName(int code) {
  static const char* const kNames[] = {"",
                                       "Linear Transform",
                                       "Polynomial Transform",
                                       "Power Transform",
                                       "Exponential Transform",
                                       "Breakpoint Transform",
                                       "Three-way Transform",
                                       "Keyboard input",
                                       "Logarithmic Transform",
                                       "Reciprocal Transform"};
  return code >= 1 && code <= 9 ? kNames[code] : "";
}

void EncodeSableChartTo(ChunkedOutput& o, const RecordingView& view, const DataFileFacts& f) {
  const int first = std::max<int>(f.firstChan, 1);
  const int channels = std::max(0, f.nChannels - first + 1);
  const int32_t samples = std::max(0, f.samples);
  std::string& out = o.text();
  PutHead(out, channels, samples, f.sampleInterval);
  std::vector<float> block(static_cast<std::size_t>(kChunk) * std::max(channels, 1));
  for (int32_t c = 0; c < samples; c += kChunk) {
    const int32_t count = std::min(kChunk, samples - c);
    for (int k = 0; k < channels; ++k)
      view.ChartColumns(first + k, f.firstColumn + c, count,
                        block.data() + static_cast<std::size_t>(k) * kChunk);
    for (int32_t i = 0; i < count; ++i)
      for (int k = 0; k < channels; ++k) PutF(out, block[static_cast<std::size_t>(k) * kChunk + i]);
    o.Spill();
  }
  PutTail(out, view, f, first, f.nChannels, f.endTime, TimingNote(f.pauseLog) + f.comment);
}

std::string EncodeSableChart(const RecordingView& view, const DataFileFacts& f) {
  ChunkedOutput o;
  EncodeSableChartTo(o, view, f);
  return o.Take();
}

std::string EncodeSableSweep(const RecordingView& view, const DataFileFacts& f, float interval) {
  std::string out;
  PutHead(out, 1, f.scopeMax, interval);
  ForEachSweepPosition(f.scopeMax, f.scSample, false, [&](int32_t p) { PutF(out, view.ScopeValue(p)); });
  PutTail(out, view, f, 1, 1, f.saveTime, f.comment);
  return out;
}

FileResult WriteSableChart(const std::string& path, const RecordingView& view, const DataFileFacts& f) {
  return WriteFileSafelyChunked(path, [&](ChunkedOutput& o) { EncodeSableChartTo(o, view, f); });
}

FileResult WriteSableSweep(const std::string& path, const RecordingView& view, const DataFileFacts& f,
                           float interval) {
  return WriteFileSafely(path, EncodeSableSweep(view, f, interval));
}

}  // namespace mv
