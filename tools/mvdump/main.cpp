// mvdump: prints the fields of a data file so anyone can read one. It decodes
// the files on its own (no program code), from the layouts:
//   mvdump [--scope] [--fast] [--values N] FILE
// The format is told by the file's first bytes, not its name, since the program
// adds no extension unless the user asks: "-999" or "-9999" and CR start a chart
// or scope file, the single 1003.0 (little-endian) the Sable-format export, and
// anything else is a text file. ".kssc" (or --scope) reads a binary file as a
// scope file; --fast says the sweep holds S + 1 values. At most N values per
// channel are printed (default 10).
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

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

void Values(const char* what, const std::vector<float>& v, std::size_t limit) {
  std::printf("%s (%zu values):", what, v.size());
  for (std::size_t i = 0; i < v.size() && i < limit; ++i) std::printf(" %.9g", v[i]);
  if (v.size() > limit) std::printf(" ...");
  std::printf("\n");
}

int DumpBinary(const std::string& d, bool scope, bool fast, std::size_t limit) {
  In in{d};
  const std::string marker = in.line();
  const bool wide = marker == "-9999";
  if (!wide && marker != "-999") {
    std::printf("not a chart or scope file (first line '%s')\n", Show(marker).c_str());
    return 1;
  }
  const int64_t count = wide ? static_cast<int32_t>(in.be32u()) : in.be16();
  std::printf("marker line: %s\ncount: %lld\n", marker.c_str(), static_cast<long long>(count));
  if (scope)
    std::printf("count meaning: the sweep's points, %lld values\n",
                static_cast<long long>(count + (fast ? 1 : 0)));
  else
    std::printf("count meaning: the last sample index, %lld values per channel\n",
                static_cast<long long>(count + 1));
  std::printf("interval (s): %.9g\n", in.bef());
  const int channels = in.be16();
  const std::string date = in.text(10);
  const std::string time = in.text(8);
  std::printf("channels: %d\ndate: %s\ntime: %s\n", channels, Show(date).c_str(), Show(time).c_str());
  const float len = in.bef();
  std::printf("header comment (%g bytes): '%s'\n", len, Show(in.text(static_cast<std::size_t>(len))).c_str());
  for (int c = 1; c <= channels && !in.bad; ++c) {
    const float a = in.bef(), b = in.bef(), cc = in.bef(), type = in.bef(), avg = in.bef();
    std::printf("channel block %d: a %.9g b %.9g c %.9g type %g averaged %.9g label '%s'\n", c, a, b, cc,
                type, avg, Show(in.text(30)).c_str());
  }
  const char* names[5] = {"flow rate (ml/min)", "mass (g)", "barometric pressure (torr)",
                          "flow temperature (C)", "effective volume (ml)"};
  for (const char* n : names) std::printf("%s: %.9g\n", n, in.bef());
  const int markers = in.be16();
  std::printf("markers: %d\n", markers);
  for (int m = 1; m <= markers && !in.bad; ++m) {
    const int64_t s = wide ? static_cast<int32_t>(in.be32u()) : in.be16();
    const int64_t code = wide ? static_cast<int32_t>(in.be32u()) : in.be16();
    std::printf("  marker %d: sample+1 %lld code %lld\n", m, static_cast<long long>(s),
                static_cast<long long>(code));
  }
  const int64_t values = scope ? count + (fast ? 1 : 0) : count + 1;
  for (int c = 1; c <= (scope ? 1 : channels) && !in.bad; ++c) {
    std::vector<float> v;
    for (int64_t i = 0; i < values && !in.bad; ++i) v.push_back(in.bef());
    Values(("samples of channel block " + std::to_string(c)).c_str(), v, limit);
  }
  std::printf("interface code: %d\n", in.be16());
  std::printf("three-way m p0 p1 p2 p3 K:");
  for (int i = 0; i < 6; ++i) std::printf(" %.9g", in.bef());
  std::printf("\n");
  if (in.bad) {
    std::printf("the file ends early\n");
    return 1;
  }
  const std::string rest = d.substr(in.p);
  if (scope) {
    std::printf("comment text: '%s'\n", Show(rest).c_str());
    return 0;
  }
  // The trailer ends before the notes block (a CR then a line of 0xF0) or the
  // input list (a line of 0xFF); the list is taken from the last 0xFF line.
  const std::size_t ff = rest.rfind("\r\xFF\r");
  if (ff == std::string::npos) {
    std::printf("no input list marker\n");
    return 1;
  }
  std::size_t trailerEnd = ff + 1;
  const std::size_t f0 = rest.find("\r\xF0\r");
  if (f0 != std::string::npos && f0 < ff) trailerEnd = f0 + 1;
  std::printf("trailer: '%s'\n", Show(rest.substr(0, trailerEnd)).c_str());
  if (trailerEnd != ff + 1) {
    In notes{rest, trailerEnd};
    notes.line();
    std::printf("notes: %s\n", notes.line().c_str());
    while (notes.p < ff + 1 && !notes.bad) {
      const std::string s = notes.line(), t = notes.line(), x = notes.line();
      std::printf("  note: sample '%s' time '%s' text '%s'\n", Show(s).c_str(), Show(t).c_str(),
                  Show(x).c_str());
    }
  }
  In inputs{rest, ff + 3};
  int k = 0;
  while (inputs.p < rest.size() && !inputs.bad)
    std::printf("hardware input of channel %d: %s\n", ++k, inputs.line().c_str());
  return 0;
}

int DumpSable(const std::string& d, std::size_t limit) {
  In in{d};
  const float format = in.lef();
  const float version = in.lef();
  std::printf("format value: %.9g\nversion value: %.9g\n", format, version);
  const int channels = static_cast<int>(in.lef());
  const int64_t n = static_cast<int64_t>(in.lef()) + 1;
  const float interval = in.lef();
  std::printf("channels: %d\nlast sample index: %lld\nsamples: %lld\ninterval (s): %.9g\n", channels,
              static_cast<long long>(n - 1), static_cast<long long>(n), interval);
  std::vector<std::vector<float>> data(static_cast<std::size_t>(std::max(channels, 0)));
  for (int64_t i = 0; i < n && !in.bad; ++i)
    for (auto& ch : data) ch.push_back(in.lef());
  for (std::size_t c = 0; c < data.size(); ++c)
    Values(("channel " + std::to_string(c + 1)).c_str(), data[c], limit);
  for (int c = 1; c <= channels; ++c) {
    std::printf("fillers of channel %d:", c);
    for (int i = 0; i < 9; ++i) std::printf(" %g", in.lef());
    std::printf("\n");
  }
  const float mo = in.lef(), dy = in.lef(), yr = in.lef(), h = in.lef(), mi = in.lef(), s = in.lef();
  std::printf("end date: %g/%g/%g\nend time: %g:%g:%g\n", mo, dy, yr, h, mi, s);
  std::printf("comment: '%s'\n", Show(in.text(240)).c_str());
  const auto markers = static_cast<int32_t>(in.le32u());
  std::printf("markers: %d\n", markers);
  for (int32_t m = 1; m <= markers && !in.bad; ++m) {
    const auto v = static_cast<int32_t>(in.le32u());
    std::printf("  marker %d: %d (code %d, sample term %d)\n", m, v, (v + 500'000) / 1'000'000,
                v - (v + 500'000) / 1'000'000 * 1'000'000);
  }
  std::printf("spacer: '%s'\n", Show(in.text(8)).c_str());
  for (int c = 1; c <= channels && !in.bad; ++c) {
    const std::string label = in.text(24), b1 = in.text(16), b2 = in.text(32), name = in.text(32),
                      b3 = in.text(32);
    const auto l1 = static_cast<int32_t>(in.le32u()), l2 = static_cast<int32_t>(in.le32u());
    std::printf("channel record %d: label '%s' transform '%s' longs %d %d coefficients:", c,
                Show(label).c_str(), Show(name).c_str(), l1, l2);
    for (int i = 0; i < 31; ++i) std::printf(" %.9g", in.lef());
    std::printf("\n");
  }
  if (in.bad) {
    std::printf("the file ends early\n");
    return 1;
  }
  if (in.p != d.size()) std::printf("%zu bytes after the last record\n", d.size() - in.p);
  return 0;
}

int DumpText(const std::string& d, std::size_t limit) {
  In in{d};
  std::size_t rows = 0;
  std::printf("heading: '%s'\n", Show(in.line()).c_str());
  while (in.p < d.size() && !in.bad) {
    const std::string row = in.line();
    if (rows++ < limit) std::printf("row %zu: '%s'\n", rows, Show(row).c_str());
  }
  std::printf("rows: %zu\n", rows);
  return 0;
}

bool EndsWith(const std::string& s, const std::string& e) {
  return s.size() >= e.size() && s.compare(s.size() - e.size(), e.size(), e) == 0;
}

bool StartsWith(const std::string& s, const std::string& b) {
  return s.compare(0, b.size(), b) == 0;
}

// The Sable export opens with its format value, the single 1003.0 little-endian.
bool IsSableExport(const std::string& d) {
  return StartsWith(d, std::string("\x00\xC0\x7A\x44", 4));
}

}  // namespace

int main(int argc, char** argv) {
  bool scope = false, fast = false;
  std::size_t limit = 10;
  std::string path;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--scope")
      scope = true;
    else if (a == "--fast")
      fast = scope = true;
    else if (a == "--values" && i + 1 < argc)
      limit = std::stoul(argv[++i]);
    else
      path = a;
  }
  if (path.empty()) {
    std::fprintf(stderr, "usage: mvdump [--scope] [--fast] [--values N] file\n");
    return 2;
  }
  std::ifstream f(path, std::ios::binary);
  if (!f) {
    std::fprintf(stderr, "cannot open %s\n", path.c_str());
    return 2;
  }
  const std::string d((std::istreambuf_iterator<char>(f)), {});
  std::printf("%s: %zu bytes\n", path.c_str(), d.size());
  if (IsSableExport(d)) {
    std::printf("format: Sable export\n");
    return DumpSable(d, limit);
  }
  if (StartsWith(d, "-999\r") || StartsWith(d, "-9999\r")) {
    if (EndsWith(path, ".kssc")) scope = true;
    std::printf("format: binary %s file\n", scope ? "scope" : "chart");
    return DumpBinary(d, scope, fast, limit);
  }
  std::printf("format: text\n");
  return DumpText(d, limit);
}
