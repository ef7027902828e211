#include "soak/kept.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "mvdump/dump.h"

namespace fs = std::filesystem;

namespace mv::soak {

std::string DumpOf(const fs::path& p) {
  char* text = nullptr;
  std::size_t size = 0;
  std::FILE* out = open_memstream(&text, &size);
  mvdump::Options dump;
  dump.limit = static_cast<std::size_t>(-1);
  const int verdict = mvdump::Dump(out, p.string(), ReadWhole(p), dump);
  std::fclose(out);
  std::string printed(text, size);
  std::free(text);
  return verdict == 0 ? printed : printed + "\nmvdump could not decode it whole\n";
}

namespace {

double Stamp(const struct statx_timestamp& t) {
  return static_cast<double>(t.tv_sec) + t.tv_nsec / 1e9;
}

// A number written in full, and read back, without the locale.
std::string Number(double v) {
  char text[32];
  const auto r = std::to_chars(text, text + sizeof text, v);
  return std::string(text, r.ptr);
}

}  // namespace

std::map<std::string, SaveTime> SaveTimes(const fs::path& dir) {
  std::map<std::string, SaveTime> times;
  if (fs::exists(dir / kSaveTimes)) {
    // "BEGUN ENDED NAME" a line.
    std::istringstream lines(ReadWhole(dir / kSaveTimes));
    for (std::string line; std::getline(lines, line);) {
      SaveTime t;
      const char* end = line.data() + line.size();
      auto r = std::from_chars(line.data(), end, t.begun);
      if (r.ec != std::errc() || r.ptr == end) continue;
      r = std::from_chars(r.ptr + 1, end, t.ended);
      if (r.ec != std::errc() || r.ptr == end) continue;
      times[std::string(r.ptr + 1, end)] = t;
    }
    return times;
  }
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(dir / "documents", ec)) {
    struct statx x {};
    if (::statx(AT_FDCWD, e.path().c_str(), 0, STATX_BTIME | STATX_CTIME, &x) != 0) continue;
    SaveTime& t = times[e.path().filename().string()];
    t.ended = Stamp(x.stx_ctime);
    t.begun = (x.stx_mask & STATX_BTIME) ? Stamp(x.stx_btime) : t.ended;
  }
  return times;
}

bool KeepSaveTimes(const fs::path& from, const fs::path& to) {
  std::string text;
  for (const auto& [name, t] : SaveTimes(from))
    text += Number(t.begun) + " " + Number(t.ended) + " " + name + "\n";
  return Write(to / kSaveTimes, text);
}

namespace {

// The saved chart files, in the order they were written: period files by number, the
// last save after them (the backup is a copy and stands aside).
std::vector<StoredFile> Decode(const fs::path& docs) {
  const std::map<std::string, SaveTime> saves = SaveTimes(docs.parent_path());
  std::vector<std::pair<long, fs::path>> order;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(docs, ec)) {
    const std::string n = e.path().filename().string();
    // "ROOT 1", "ROOT 2", ...: the period's number is the name's last word.
    if (n.rfind(kRoot, 0) == 0 && n.rfind(' ') != std::string::npos)
      order.emplace_back(std::atol(n.c_str() + n.rfind(' ') + 1), e.path());
  }
  std::sort(order.begin(), order.end());
  if (fs::exists(docs / kLast)) order.emplace_back(1L << 40, docs / kLast);
  std::vector<StoredFile> files;
  for (const auto& [n, p] : order) {
    const std::string dump = DumpOf(p);
    StoredFile f = ParseDump(p.filename().string(), dump);
    if (dump.find("mvdump could not decode it whole") != std::string::npos && f.problem.empty())
      f.problem = "mvdump could not decode it whole";
    if (const auto t = saves.find(f.name); t != saves.end())
      f.saveBegun = t->second.begun, f.saveEnded = t->second.ended;
    files.push_back(std::move(f));
  }
  return files;
}

}  // namespace

std::string ReadWhole(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

bool Write(const fs::path& p, const std::string& bytes) {
  std::ofstream out(p, std::ios::binary);
  out << bytes;
  return static_cast<bool>(out.flush());
}

std::string UsageText(const std::vector<Usage>& usage) {
  std::ostringstream out;
  for (const Usage& u : usage) out << u.seconds << " " << u.rssMiB << " " << u.cpuSeconds << "\n";
  return out.str();
}

KeptRun LoadKept(const fs::path& dir) {
  KeptRun k;
  const fs::path docs = dir / "documents";
  k.files = Decode(docs);
  if (fs::exists(docs / kLastText)) k.text = ParseTextDump(DumpOf(docs / kLastText));
  k.log = ParseSimLog(ReadWhole(dir / "sim.log"));
  k.screen = ReadWhole(dir / "drive.out");
  std::istringstream in(ReadWhole(dir / "usage.txt"));
  for (Usage u; in >> u.seconds >> u.rssMiB >> u.cpuSeconds;) k.usage.push_back(u);
  return k;
}

}  // namespace mv::soak
