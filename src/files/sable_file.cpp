#include "files/sable_file.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
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

// The export holds one interval and no pause log, so its comment states what a reader
// needs to time every sample: each interval changed in a pause and each pause and gap.
// Only whole lines go in, within the comment's bytes: a line cut there would misstate
// its number (" 2.25" cut to " 2"). The long form (each change in words, then the pauses
// and gaps with their total) is kept where it fits; else the compact form gives one
// line per case where anything changes. Where even that does not fit, the changes go
// in first, then the pauses and gaps in turn, and the last line says from which case
// the samples cannot be timed; the user's comment then gives way, so that line stays
// the comment's last.
struct TimingNote {
  std::string text;
  bool leavesRoom = true;  // whether the user's comment may follow
};

TimingNote TimingNoteOf(const std::string& pauseLog, double interval) {
  const std::vector<LoggedGap> gaps = GapsInPauseLog(pauseLog);
  const std::vector<IntervalChange> changes = IntervalChangesInPauseLog(pauseLog);
  const std::string full = IntervalChangeNote(changes) + PauseAndGapNote(gaps);
  if (full.size() <= kCommentBytes) return {full};

  // Per case: the pause or gap before it, and the interval from it on (0: unchanged).
  struct Event {
    int32_t at = 0;
    double seconds = 0, interval = 0;
    std::string line;
    bool stated = false;
  };
  std::map<int32_t, Event> byCase;
  for (const LoggedGap& g : gaps) byCase[g.before].seconds += g.seconds;
  for (const IntervalChange& c : changes) byCase[c.from].interval = c.newInterval;
  const std::string heading = "CAUTION: samples" +
                              NumText(changes.empty() ? interval : changes.front().oldInterval, 10).str() +
                              " sec apart, then\r";
  std::vector<Event> events;
  std::string compact = heading;
  for (auto& [at, e] : byCase) {
    e.at = at;
    e.line = " case" + NumText(at).str() + ":";
    if (e.seconds > 0) e.line += " +" + GapSecondsText(e.seconds) + " sec";
    if (e.seconds > 0 && e.interval > 0) e.line += ",";
    if (e.interval > 0) e.line += NumText(e.interval, 10).str() + " sec apart";
    e.line += "\r";
    compact += e.line;
    events.push_back(e);
  }
  if (compact.size() <= kCommentBytes) return {compact};

  const auto untimedLine = [](int64_t from) {
    return "CAUTION: no room to time samples from case" + NumText(static_cast<double>(from)).str() + " on\r";
  };
  std::size_t room = kCommentBytes - heading.size() - untimedLine(int64_t{events.back().at} + 1).size();
  // In case order, the changes first and then the rest, each run ending at the first
  // line that does not fit.
  for (const bool changesOnly : {true, false}) {
    for (Event& e : events) {
      if (e.stated || (changesOnly && e.interval == 0)) continue;
      if (e.line.size() > room) break;
      e.stated = true;
      room -= e.line.size();
    }
  }
  std::string note = heading;
  int64_t untimedFrom = -1;
  for (const Event& e : events) {
    if (e.stated)
      note += e.line;
    else if (untimedFrom < 0)  // a pause or gap left out moves its own case; an interval alone, the next
      untimedFrom = e.seconds > 0 ? e.at : int64_t{e.at} + 1;
  }
  return {note + untimedLine(untimedFrom), false};
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
  const TimingNote timing = TimingNoteOf(f.pauseLog, ShortestDecimal(f.sampleInterval));
  PutTail(out, view, f, first, f.nChannels, f.endTime,
          timing.leavesRoom ? timing.text + f.comment : timing.text);
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
