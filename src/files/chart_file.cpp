#include "files/chart_file.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "files/bytes.h"
#include "kit/format.h"

namespace mv {

namespace {

constexpr int32_t kChunk = 16'384;
constexpr int kMaxMarkers = 3'200;

void AppendCountedComment(bytes::ByteWriter& w, std::string_view comment) {
  const std::string_view head = Head(comment, 255);
  w.f32be(static_cast<float>(head.size()));
  w.raw(head);
}

void AppendChannelBlock(bytes::ByteWriter& w, const DataFileChannel& c, float averaged) {
  w.f32be(c.a);
  w.f32be(c.b);
  w.f32be(c.c);
  w.f32be(c.typeCode);
  w.f32be(averaged);
  w.fixedText(c.label, 30);
}

void AppendConditions(bytes::ByteWriter& w, const ExperimentConditions& c) {
  w.f32be(c.flowrate);
  w.f32be(c.mass);
  w.f32be(c.BarometricPressure);
  w.f32be(c.flowtemp);
  w.f32be(c.EffectiveVolume);
}

// Three-way record in file order: m, p0, p1, p2, p3, K.
void AppendThreeWay(bytes::ByteWriter& w, const std::array<float, 7>& p) {
  for (int field : {6, 0, 1, 2, 3, 5}) w.f32be(p[field]);
}

// The header common to both files, up to the counted comment.
void AppendHeader(bytes::ByteWriter& w, int32_t count, bool wide, float interval, int16_t channels,
                  const DataFileFacts& f, std::string_view time) {
  w.line(wide ? "-9999" : "-999");
  if (wide) {
    w.i32be(count);
  } else {
    w.i16be(static_cast<int16_t>(count));
  }
  w.f32be(interval);
  w.i16be(channels);
  w.fixedText(FileDateText(f.startDate), 10);
  w.fixedText(time, 8);
  AppendCountedComment(w, f.comment);
}

// A channel scanned continuously (every one, or the last alone) states the readings its
// samples in this file averaged, each on average; before any sample averaged one the
// channel's own figure stands.
float AveragedField(const DataFileFacts& f, int n) {
  const DataFileChannel& c = f.channels[n];
  const bool scanned = f.continuousScan || (f.lastChannelScanned && n == f.nChannels);
  if (scanned && c.scannedSamples > 0) {
    return static_cast<float>(static_cast<double>(c.scannedReadings) / static_cast<double>(c.scannedSamples));
  }
  return c.averaged;
}

std::string ChartTrailer(const DataFileFacts& f) {
  std::string t = f.comment;
  if (f.pauseLog.size() >= 2) t += '\r' + f.pauseLog;
  if (f.spikeFilterOn && f.repeatSaves) {
    const std::string summary = SpikeSummary(f);
    if (!summary.empty()) t += '\r' + summary;
  }
  t += '\r';
  return t;
}

}  // namespace

void AppendFloatsBE(std::string& out, const float* values, std::size_t count) {
  const std::size_t at = out.size();
  out.resize(at + 4 * count);
  char* p = out.data() + at;
  for (std::size_t i = 0; i < count; ++i) {
    uint32_t bits;
    std::memcpy(&bits, &values[i], 4);
    p[0] = static_cast<char>(bits >> 24);
    p[1] = static_cast<char>(bits >> 16);
    p[2] = static_cast<char>(bits >> 8);
    p[3] = static_cast<char>(bits);
    p += 4;
  }
}

void EncodeChartFileTo(ChunkedOutput& o, const RecordingView& view, const DataFileFacts& f) {
  // The count is the last sample index: one less than the values each channel holds.
  const int32_t values = std::max(0, f.samples);
  const int32_t last = values - 1;
  const bool wide = last + 1 >= kWideCountFrom;
  const int first = std::max<int>(f.firstChan, 1);
  const int16_t channels = static_cast<int16_t>(std::max(0, f.nChannels - first + 1));
  bytes::ByteWriter w;
  AppendHeader(w, last, wide, f.sampleInterval, channels, f, f.startTime);
  for (int n = first; n <= f.nChannels; ++n) AppendChannelBlock(w, f.channels[n], AveragedField(f, n));
  AppendConditions(w, f.conditions);
  const int markers = std::clamp(view.MarkerCount(), 0, kMaxMarkers);
  w.i16be(static_cast<int16_t>(markers));
  for (int i = 1; i <= markers; ++i) {
    const DataFileMarker m = view.MarkerAt(i);
    if (wide) {
      w.i32be(m.sample + 1);
      w.i32be(m.code);
    } else {
      w.i16be(static_cast<int16_t>(m.sample + 1));
      w.i16be(static_cast<int16_t>(m.code));
    }
  }
  std::string& out = o.text();
  out += w.data();
  std::vector<float> chunk(static_cast<std::size_t>(std::min(values, kChunk)));
  for (int n = first; n <= f.nChannels; ++n) {
    for (int32_t c = 0; c < values; c += kChunk) {
      const int32_t count = std::min(kChunk, values - c);
      view.ChartColumns(n, f.firstColumn + c, count, chunk.data());
      AppendFloatsBE(out, chunk.data(), static_cast<std::size_t>(count));
      o.Spill();
    }
  }
  bytes::ByteWriter t;
  t.i16be(ChartInterfaceCode(f.externalAD));
  AppendThreeWay(t, f.threeWay);
  t.raw(ChartTrailer(f));
  const int notes = std::max(0, view.NoteCount());
  if (notes > 0) {
    t.line("\xF0");
    t.line(PrintedNumber(notes).str());
    for (int i = 1; i <= notes; ++i) {
      const DataFileNote note = view.NoteAt(i);
      t.line(OneLine(note.sample));
      t.line(OneLine(note.time));
      t.line(OneLine(note.text));
    }
  }
  t.line("\xFF");
  for (int n = 1; n <= f.nChannels; ++n) t.line(PrintedNumber(f.channels[n].input).str());
  out += t.data();
}

std::string EncodeChartFile(const RecordingView& view, const DataFileFacts& f) {
  ChunkedOutput o;
  EncodeChartFileTo(o, view, f);
  return o.Take();
}

ScopeIntervalChoice ScopeFileInterval(const DataFileFacts& f) {
  ScopeIntervalChoice choice{std::fabs(f.scopeInterval), 0.0f};
  if (f.fastScope || f.lastScopeDur <= 0 || f.scopeMax <= 0) return choice;
  // The sweep's own interval, unrounded: a rate rounded to whole samples per second
  // is off by up to half a sample, most of a slow scope's rate (0.3 s would measure
  // 0.333 s, and intervals above 2 s a rate of 0).
  const double measured = static_cast<double>(f.lastScopeDur) / 60.0 / f.scopeMax;
  const double err = std::fabs(measured / f.scopeInterval - 1.0);
  choice.relativeError = static_cast<float>(err);
  if (!(f.sampRateError >= err)) choice.interval = static_cast<float>(std::fabs(measured));
  return choice;
}

std::string EncodeScopeFile(const RecordingView& view, const DataFileFacts& f) {
  const int32_t s = f.scopeMax;
  const bool wide = s >= kWideCountFrom;
  bytes::ByteWriter w;
  AppendHeader(w, s, wide, ScopeFileInterval(f).interval, 1, f, f.saveTime);
  AppendChannelBlock(w, f.channels[1], f.channels[1].averaged);
  AppendConditions(w, f.conditions);
  w.i16be(0);
  std::string out = w.take();
  std::vector<float> sweep;
  sweep.reserve(static_cast<std::size_t>(s) + 1);
  ForEachSweepPosition(s, f.scSample, f.fastScope, [&](int32_t p) { sweep.push_back(view.ScopeValue(p)); });
  AppendFloatsBE(out, sweep.data(), sweep.size());
  bytes::ByteWriter t;
  t.i16be(ScopeInterfaceCode(f.externalAD, f.demonstration));
  AppendThreeWay(t, f.threeWay);
  t.raw(f.comment);
  t.raw("\r");
  out += t.data();
  return out;
}

std::string EncodeScopeText(const RecordingView& view, const DataFileFacts& f) {
  std::string out = "Time (sec)" + PrintedNumber(f.scopeInterval).str() + "\r";
  ForEachSweepPosition(f.scopeMax, f.scSample, false, [&](int32_t p) {
    out += PrintedNumber(view.ScopeValue(p)).str();
    out += '\r';
  });
  return out;
}

FileResult WriteChartFile(const std::string& path, const RecordingView& view, const DataFileFacts& f) {
  return WriteFileSafelyChunked(path, [&](ChunkedOutput& o) { EncodeChartFileTo(o, view, f); });
}

FileResult WriteScopeFile(const std::string& path, const RecordingView& view, const DataFileFacts& f) {
  return WriteFileSafely(path, EncodeScopeFile(view, f));
}

FileResult WriteScopeText(const std::string& path, const RecordingView& view, const DataFileFacts& f) {
  return WriteFileSafely(path, EncodeScopeText(view, f));
}

}  // namespace mv
