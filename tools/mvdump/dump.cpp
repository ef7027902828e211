// The decoding behind mvdump, on bytes already read: the tool and its fuzz target
// share it. It decodes the files on its own (no program code), from the layouts.
#include "mvdump/dump.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace mvdump {
namespace {

struct In {
  const std::string& d;
  std::size_t p = 0;
  bool bad = false;
  bool need(std::size_t n) {
    if (p + n > d.size()) bad = true;
    return !bad;
  }
  uint8_t u8(std::size_t i) const { return static_cast<uint8_t>(d[i]); }
  int32_t be16() {
    if (!need(2)) return 0;
    const auto v = static_cast<int16_t>((u8(p) << 8) | u8(p + 1));
    p += 2;
    return v;
  }
  uint32_t be32u() {
    if (!need(4)) return 0;
    const uint32_t v =
        (uint32_t{u8(p)} << 24) | (uint32_t{u8(p + 1)} << 16) | (uint32_t{u8(p + 2)} << 8) | u8(p + 3);
    p += 4;
    return v;
  }
  uint32_t le32u() {
    if (!need(4)) return 0;
    const uint32_t v =
        (uint32_t{u8(p + 3)} << 24) | (uint32_t{u8(p + 2)} << 16) | (uint32_t{u8(p + 1)} << 8) | u8(p);
    p += 4;
    return v;
  }
  static float asFloat(uint32_t u) {
    float f;
    std::memcpy(&f, &u, 4);
    return f;
  }
  float bef() { return asFloat(be32u()); }
  float lef() { return asFloat(le32u()); }
  std::string text(std::size_t n) {
    if (!need(n)) return {};
    std::string s = d.substr(p, n);
    p += n;
    return s;
  }
  std::string line() {
    const std::size_t e = d.find('\r', p);
    if (e == std::string::npos) {
      bad = true;
      return {};
    }
    std::string s = d.substr(p, e - p);
    p = e + 1;
    return s;
  }
};

// Mac Roman bytes shown with control and high bytes as \xNN.
std::string Show(const std::string& s) {
  std::string out;
  for (unsigned char c : s) {
    if (c == '\r')
      out += "\\r";
    else if (c < 32 || c >= 127) {
      char b[8];
      std::snprintf(b, sizeof b, "\\x%02X", c);
      out += b;
    } else
      out += static_cast<char>(c);
  }
  return out;
}

// A count the file stores as a float: its whole part when it lies within least..most;
// nothing for NaN, infinities and counts the file's bytes could never hold (converting
// those would be undefined, and looping over them would never end).
std::optional<int64_t> StoredCount(float v, int64_t least, int64_t most) {
  if (!(v >= static_cast<float>(least) && v < static_cast<float>(most) + 1.0f)) return std::nullopt;
  return std::min(static_cast<int64_t>(v), most);
}

void Values(std::FILE* out, const char* what, const std::vector<float>& v, std::size_t limit) {
  std::fprintf(out, "%s (%zu values):", what, v.size());
  for (std::size_t i = 0; i < v.size() && i < limit; ++i) std::fprintf(out, " %.9g", v[i]);
  if (v.size() > limit) std::fprintf(out, " ...");
  std::fprintf(out, "\n");
}

// A number in text, locale-free; nothing when none starts at `at` (after blanks).
std::optional<double> NumberAt(const std::string& text, std::size_t at, std::size_t* end = nullptr) {
  while (at < text.size() && text[at] == ' ') ++at;
  double v = 0;
  const auto r = std::from_chars(text.data() + at, text.data() + text.size(), v);
  if (r.ec != std::errc() || !std::isfinite(v)) return std::nullopt;
  if (end) *end = static_cast<std::size_t>(r.ptr - text.data());
  return v;
}

// What the trailer's pause log says of the samples' times: each line " *  ... for M
// minutes at case N" puts M minutes before sample N; each pair of lines "CAUTION:  old
// sample interval = X sec" and "new sample interval = Y sec from case N" puts the
// samples from N on the interval Y, those before on X.
struct FileTiming {
  std::vector<std::pair<int64_t, double>> gaps;  // sample, seconds
  struct Change {
    int64_t from;
    double before, after;
  };
  std::vector<Change> changes;
};

FileTiming TimingOf(const std::string& trailer) {
  FileTiming t;
  double old = 0;  // the old interval of the pair begun, 0 when none is
  std::size_t from = 0;
  while (from < trailer.size()) {
    std::size_t end = trailer.find('\r', from);
    if (end == std::string::npos) end = trailer.size();
    const std::string line = trailer.substr(from, end - from);
    from = end + 1;
    const std::size_t minutes = line.find(" minutes at case"), f = line.rfind(" for", minutes);
    if (line.compare(0, 4, " *  ") == 0 && minutes != std::string::npos && f != std::string::npos) {
      const auto m = NumberAt(line, f + 4), n = NumberAt(line, minutes + 16);
      if (m && n && *n >= 0 && *n < 1e12) t.gaps.emplace_back(static_cast<int64_t>(*n), *m * 60);
    }
    const std::size_t o = line.find("old sample interval =");
    const std::size_t k = line.find("new sample interval =");
    const std::size_t c = line.find(" sec from case");
    if (o != std::string::npos) {
      old = NumberAt(line, o + 21).value_or(0);
    } else if (k != std::string::npos && c != std::string::npos && old > 0) {
      const auto y = NumberAt(line, k + 21), n = NumberAt(line, c + 14);
      if (y && n && *n >= 0 && *n < 1e12) t.changes.push_back({static_cast<int64_t>(*n), old, *y});
      old = 0;
    }
  }
  return t;
}

// The time of each of n samples by the file's rule, in seconds from the file's start:
// the interval of each stretch up to the sample, plus the gaps at or before it.
std::vector<double> SampleTimes(std::size_t n, float interval, const FileTiming& t) {
  // The interval as its shortest decimal text: the one the user chose.
  char text[32];
  const auto r = std::to_chars(text, text + sizeof text, interval);
  double step = interval;
  std::from_chars(text, r.ptr, step);
  if (!t.changes.empty()) step = t.changes.front().before;
  std::vector<double> times;
  double base = 0, skipped = 0;
  int64_t baseIndex = 0;
  std::size_t g = 0, c = 0;
  for (std::size_t k = 0; k < n; ++k) {
    const auto i = static_cast<int64_t>(k);
    for (; g < t.gaps.size() && t.gaps[g].first <= i; ++g) skipped += t.gaps[g].second;
    for (; c < t.changes.size() && t.changes[c].from <= i; ++c) {
      base += static_cast<double>(t.changes[c].from - baseIndex) * step;
      baseIndex = t.changes[c].from;
      step = t.changes[c].after;
    }
    times.push_back(base + static_cast<double>(i - baseIndex) * step + skipped);
  }
  return times;
}

void Times(std::FILE* out, const std::vector<double>& v, std::size_t limit) {
  std::fprintf(out, "sample times (s) (%zu values):", v.size());
  for (std::size_t i = 0; i < v.size() && i < limit; ++i) std::fprintf(out, " %.10g", v[i]);
  if (v.size() > limit) std::fprintf(out, " ...");
  std::fprintf(out, "\n");
}

int DumpBinary(std::FILE* out, const std::string& d, bool scope, bool fast, std::size_t limit) {
  In in{d};
  const std::string marker = in.line();
  const bool wide = marker == "-9999";
  if (!wide && marker != "-999") {
    std::fprintf(out, "not a chart or scope file (first line '%s')\n", Show(marker).c_str());
    return 1;
  }
  const int64_t count = wide ? static_cast<int32_t>(in.be32u()) : in.be16();
  std::fprintf(out, "marker line: %s\ncount: %lld\n", marker.c_str(), static_cast<long long>(count));
  if (scope)
    std::fprintf(out, "count meaning: the sweep's points, %lld values\n",
                 static_cast<long long>(count + (fast ? 1 : 0)));
  else
    std::fprintf(out, "count meaning: the last sample index, %lld values per channel\n",
                 static_cast<long long>(count + 1));
  const float interval = in.bef();
  std::fprintf(out, "interval (s): %.9g\n", interval);
  const int channels = in.be16();
  const std::string date = in.text(10);
  const std::string time = in.text(8);
  std::fprintf(out, "channels: %d\ndate: %s\ntime: %s\n", channels, Show(date).c_str(), Show(time).c_str());
  const float len = in.bef();
  const std::string headerComment = in.text(static_cast<std::size_t>(
      StoredCount(len, 0, static_cast<int64_t>(d.size())).value_or(static_cast<int64_t>(d.size()) + 1)));
  std::fprintf(out, "header comment (%g bytes): '%s'\n", len, Show(headerComment).c_str());
  for (int c = 1; c <= channels && !in.bad; ++c) {
    const float a = in.bef(), b = in.bef(), cc = in.bef(), type = in.bef(), avg = in.bef();
    std::fprintf(out, "channel block %d: a %.9g b %.9g c %.9g type %g averaged %.9g label '%s'\n", c, a, b,
                 cc, type, avg, Show(in.text(30)).c_str());
  }
  const char* names[5] = {"flow rate (ml/min)", "mass (g)", "barometric pressure (torr)",
                          "flow temperature (C)", "effective volume (ml)"};
  for (const char* n : names) std::fprintf(out, "%s: %.9g\n", n, in.bef());
  const int markers = in.be16();
  std::fprintf(out, "markers: %d\n", markers);
  for (int m = 1; m <= markers && !in.bad; ++m) {
    const int64_t s = wide ? static_cast<int32_t>(in.be32u()) : in.be16();
    const int64_t code = wide ? static_cast<int32_t>(in.be32u()) : in.be16();
    std::fprintf(out, "  marker %d: sample+1 %lld code %lld\n", m, static_cast<long long>(s),
                 static_cast<long long>(code));
  }
  const int64_t values = scope ? count + (fast ? 1 : 0) : count + 1;
  std::size_t decoded = 0;
  for (int c = 1; c <= (scope ? 1 : channels) && !in.bad; ++c) {
    std::vector<float> v;
    for (int64_t i = 0; i < values && !in.bad; ++i) v.push_back(in.bef());
    Values(out, ("samples of channel block " + std::to_string(c)).c_str(), v, limit);
    if (c == 1) decoded = v.size();
  }
  std::fprintf(out, "interface code: %d\n", in.be16());
  std::fprintf(out, "three-way m p0 p1 p2 p3 K:");
  for (int i = 0; i < 6; ++i) std::fprintf(out, " %.9g", in.bef());
  std::fprintf(out, "\n");
  if (in.bad) {
    std::fprintf(out, "the file ends early\n");
    return 1;
  }
  const std::string rest = d.substr(in.p);
  if (scope) {
    std::fprintf(out, "comment text: '%s'\n", Show(rest).c_str());
    // One channel, no markers, and after the sweep the whole comment (the header holds
    // its first 255 bytes) and a CR.
    const bool commentFollows = !rest.empty() && rest.back() == '\r' &&
                                rest.compare(0, headerComment.size(), headerComment) == 0 &&
                                (headerComment.size() >= 255 || rest.size() == headerComment.size() + 1);
    if (channels != 1 || markers != 0 || !commentFollows) {
      std::fprintf(out, "not the scope layout: %s\n",
                   commentFollows ? "a scope file holds one channel and no markers"
                                  : "the comment text does not follow the sweep");
      return 1;
    }
    return 0;
  }
  // The trailer ends before the notes block (a CR then a line of 0xF0) or the
  // input list (a line of 0xFF); the list is taken from the last 0xFF line.
  const std::size_t ff = rest.rfind("\r\xFF\r");
  if (ff == std::string::npos) {
    std::fprintf(out, "no input list marker\n");
    return 1;
  }
  std::size_t trailerEnd = ff + 1;
  const std::size_t f0 = rest.find("\r\xF0\r");
  if (f0 != std::string::npos && f0 < ff) trailerEnd = f0 + 1;
  std::fprintf(out, "trailer: '%s'\n", Show(rest.substr(0, trailerEnd)).c_str());
  // When each sample stands, by the file's own rule: from its interval and what the
  // pause log in the trailer records (pauses, gaps, interval changes).
  const FileTiming timing = TimingOf(rest.substr(0, trailerEnd));
  for (const FileTiming::Change& c : timing.changes)
    std::fprintf(out, "interval change: from sample %lld, %.10g s before, %.10g s after\n",
                 static_cast<long long>(c.from), c.before, c.after);
  Times(out, SampleTimes(decoded, interval, timing), limit);
  if (trailerEnd != ff + 1) {
    In notes{rest, trailerEnd};
    notes.line();
    std::fprintf(out, "notes: %s\n", notes.line().c_str());
    while (notes.p < ff + 1 && !notes.bad) {
      const std::string s = notes.line(), t = notes.line(), x = notes.line();
      std::fprintf(out, "  note: sample '%s' time '%s' text '%s'\n", Show(s).c_str(), Show(t).c_str(),
                   Show(x).c_str());
    }
  }
  In inputs{rest, ff + 3};
  int k = 0;
  while (inputs.p < rest.size() && !inputs.bad)
    std::fprintf(out, "hardware input of channel %d: %s\n", ++k, inputs.line().c_str());
  // Every channel written has its line (scope plus chart lists the scope channel too).
  if (inputs.bad || k < channels) {
    std::fprintf(out, "the input list holds %d lines for %d channels\n", k, channels);
    return 1;
  }
  return 0;
}

// One reading of a binary file as a chart or scope file, printed aside.
struct Reading {
  int verdict = 1;
  std::string printed;
};

Reading ReadBinary(const std::string& d, bool scope, bool fast, std::size_t limit) {
  Reading r;
  char* text = nullptr;
  std::size_t size = 0;
  std::FILE* aside = open_memstream(&text, &size);
  if (aside == nullptr) {
    r.printed = "no memory to decode the file\n";
    return r;
  }
  r.verdict = DumpBinary(aside, d, scope, fast, limit);
  std::fclose(aside);
  r.printed.assign(text, size);
  std::free(text);
  return r;
}

int DumpSable(std::FILE* out, const std::string& d, std::size_t limit) {
  In in{d};
  const float format = in.lef();
  const float version = in.lef();
  std::fprintf(out, "format value: %.9g\nversion value: %.9g\n", format, version);
  const float channelsValue = in.lef(), lastValue = in.lef();
  const float interval = in.lef();
  // Each channel and each sample takes at least 4 bytes.
  const auto most = static_cast<int64_t>(d.size() / 4);
  const auto channelCount = StoredCount(channelsValue, 0, most), last = StoredCount(lastValue, -1, most);
  if (!channelCount || !last) {
    std::fprintf(out, "channels: %.9g\nlast sample index: %.9g\nnot counts this file can hold\n",
                 channelsValue, lastValue);
    return 1;
  }
  const int channels = static_cast<int>(*channelCount);
  const int64_t n = *last + 1;
  std::fprintf(out, "channels: %d\nlast sample index: %lld\nsamples: %lld\ninterval (s): %.9g\n", channels,
               static_cast<long long>(n - 1), static_cast<long long>(n), interval);
  std::vector<std::vector<float>> data(static_cast<std::size_t>(std::max(channels, 0)));
  for (int64_t i = 0; i < n && !in.bad; ++i)
    for (auto& ch : data) ch.push_back(in.lef());
  for (std::size_t c = 0; c < data.size(); ++c)
    Values(out, ("channel " + std::to_string(c + 1)).c_str(), data[c], limit);
  for (int c = 1; c <= channels; ++c) {
    std::fprintf(out, "fillers of channel %d:", c);
    for (int i = 0; i < 9; ++i) std::fprintf(out, " %g", in.lef());
    std::fprintf(out, "\n");
  }
  const float mo = in.lef(), dy = in.lef(), yr = in.lef(), h = in.lef(), mi = in.lef(), s = in.lef();
  std::fprintf(out, "end date: %g/%g/%g\nend time: %g:%g:%g\n", mo, dy, yr, h, mi, s);
  std::fprintf(out, "comment: '%s'\n", Show(in.text(240)).c_str());
  const auto markers = static_cast<int32_t>(in.le32u());
  std::fprintf(out, "markers: %d\n", markers);
  for (int32_t m = 1; m <= markers && !in.bad; ++m) {
    const auto v = static_cast<int32_t>(in.le32u());
    // In 64 bits: a stored value near the largest long must not overflow.
    const int64_t code = (int64_t{v} + 500'000) / 1'000'000;
    std::fprintf(out, "  marker %d: %d (code %lld, sample term %lld)\n", m, v, static_cast<long long>(code),
                 static_cast<long long>(v - code * 1'000'000));
  }
  std::fprintf(out, "spacer: '%s'\n", Show(in.text(8)).c_str());
  for (int c = 1; c <= channels && !in.bad; ++c) {
    const std::string label = in.text(24), b1 = in.text(16), b2 = in.text(32), name = in.text(32),
                      b3 = in.text(32);
    const auto l1 = static_cast<int32_t>(in.le32u()), l2 = static_cast<int32_t>(in.le32u());
    std::fprintf(out, "channel record %d: label '%s' transform '%s' longs %d %d coefficients:", c,
                 Show(label).c_str(), Show(name).c_str(), l1, l2);
    for (int i = 0; i < 31; ++i) std::fprintf(out, " %.9g", in.lef());
    std::fprintf(out, "\n");
  }
  if (in.bad) {
    std::fprintf(out, "the file ends early\n");
    return 1;
  }
  if (in.p != d.size()) std::fprintf(out, "%zu bytes after the last record\n", d.size() - in.p);
  return 0;
}

// The first byte the program's text files never hold: a control byte other than TAB
// and CR.
std::optional<std::size_t> ControlByte(const std::string& d) {
  for (std::size_t i = 0; i < d.size(); ++i) {
    const auto c = static_cast<unsigned char>(d[i]);
    if (c < 32 && c != '\t' && c != '\r') return i;
  }
  return std::nullopt;
}

// A row of the program's text files: numbers apart by TABs, each after the blank of
// its sign place (" 1.5", " NaN"); a chart row ends with a TAB as well.
bool NumbersRow(std::string_view row) {
  if (!row.empty() && row.back() == '\t') row.remove_suffix(1);
  for (;;) {
    const std::size_t tab = row.find('\t');
    std::string_view field = row.substr(0, tab);
    while (!field.empty() && field.front() == ' ') field.remove_prefix(1);
    double v = 0;
    const auto r = std::from_chars(field.data(), field.data() + field.size(), v);
    if (field.empty() || r.ec != std::errc() || r.ptr != field.data() + field.size()) return false;
    if (tab == std::string_view::npos) return true;
    row.remove_prefix(tab + 1);
  }
}

// A text data file or a scope sweep's text list: a heading line and rows of numbers,
// every line ended by its CR, so a file cut short (a full disk) ends without one. Bytes
// that are no such text are no format the program writes.
int DumpText(std::FILE* out, const std::string& d, std::size_t limit) {
  const auto unknown = [&](const std::string& why) {
    std::fprintf(out, "format: none the program writes (%s)\n", why.c_str());
    return 1;
  };
  if (d.empty()) return unknown("the file is empty");
  if (const auto at = ControlByte(d)) {
    char why[64];
    std::snprintf(why, sizeof why, "control byte \\x%02X at byte %zu", static_cast<unsigned char>(d[*at]),
                  *at);
    return unknown(why);
  }
  std::fprintf(out, "format: text\n");
  In in{d};
  const std::string heading = in.line();
  if (in.bad) {
    std::fprintf(out, "heading: '%s'\nthe file ends inside its heading (no CR after it)\n", Show(d).c_str());
    return 1;
  }
  std::fprintf(out, "heading: '%s'\n", Show(heading).c_str());
  std::size_t rows = 0;
  while (in.p < d.size()) {
    const std::size_t start = in.p;
    const std::string row = in.line();
    ++rows;
    if (in.bad) {
      std::fprintf(out, "rows: %zu\nthe file ends inside row %zu (no CR after '%s')\n", rows - 1, rows,
                   Show(d.substr(start)).c_str());
      return 1;
    }
    if (!NumbersRow(row)) {
      std::fprintf(out, "rows: %zu\nnot the program's text: row %zu is not numbers apart by TABs: '%s'\n",
                   rows - 1, rows, Show(row).c_str());
      return 1;
    }
    if (rows <= limit) std::fprintf(out, "row %zu: '%s'\n", rows, Show(row).c_str());
  }
  std::fprintf(out, "rows: %zu\n", rows);
  return 0;
}

bool StartsWith(const std::string& s, const std::string& b) {
  return s.compare(0, b.size(), b) == 0;
}

// The Sable export opens with its format value, the single 1003.0 little-endian.
bool IsSableExport(const std::string& d) {
  return StartsWith(d, std::string("\x00\xC0\x7A\x44", 4));
}

}  // namespace

int Dump(std::FILE* out, const std::string& path, const std::string& d, const Options& o) {
  std::fprintf(out, "%s: %zu bytes\n", path.c_str(), d.size());
  if (IsSableExport(d)) {
    std::fprintf(out, "format: Sable export\n");
    return DumpSable(out, d, o.limit);
  }
  if (StartsWith(d, "-999\r") || StartsWith(d, "-9999\r")) {
    if (o.scope) {
      std::fprintf(out, "format: binary scope file\n");
      return DumpBinary(out, d, true, o.fast, o.limit);
    }
    // Chart and scope files share their header; the layout that decodes the whole file
    // tells which: the chart's (its input list ends it), else the scope sweep's, else
    // the fast scope's (one value more). With none, the chart reading says what failed.
    Reading chosen = ReadBinary(d, false, false, o.limit);
    bool scope = false;
    for (const bool fast : {false, true}) {
      if (chosen.verdict == 0) break;
      Reading sweep = ReadBinary(d, true, fast, o.limit);
      if (sweep.verdict == 0) {
        chosen = std::move(sweep);
        scope = true;
      }
    }
    std::fprintf(out, "format: binary %s file\n", scope ? "scope" : "chart");
    std::fwrite(chosen.printed.data(), 1, chosen.printed.size(), out);
    return chosen.verdict;
  }
  return DumpText(out, d, o.limit);
}

}  // namespace mvdump
