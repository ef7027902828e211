// What the soak reads: mvdump's print of a chart file and of a text save, the file's
// own rule for its samples' times, and the simulator's log.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>
#include <sstream>

#include "soak/check.h"

namespace mv::soak {

namespace {

double NumberAfter(const std::string& text, std::size_t at) {
  while (at < text.size() && text[at] == ' ') ++at;
  double v = 0;
  std::from_chars(text.data() + at, text.data() + text.size(), v);
  return v;
}

// The number after `key` in `line`, or -1 when the line does not hold the key.
double After(const std::string& line, const std::string& key) {
  const std::size_t at = line.find(key);
  return at == std::string::npos ? -1 : NumberAfter(line, at + key.size());
}

// The pause log's lines, as mvdump prints the trailer (a CR shown as "\r").
std::vector<std::string> TrailerLines(const std::string& dump) {
  std::vector<std::string> lines;
  const std::size_t trailer = dump.find("trailer: '");
  if (trailer == std::string::npos) return lines;
  const std::string text = dump.substr(trailer, dump.find('\n', trailer) - trailer);
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = std::min(text.find("\\r", at), text.size());
    lines.push_back(text.substr(at, end - at));
    at = end + 2;
  }
  return lines;
}

// Every pause and gap the pause log records ("... for M minutes at case N" puts M
// minutes before the sample that follows the N taken), and every interval changed in
// the pause window: "old sample interval = X sec", then "new sample interval = Y sec",
// from the case the new line names or else the case of the pause it follows.
void ReadPauseLog(const std::string& dump, StoredFile& f) {
  int32_t pausedAt = 0;
  for (const std::string& line : TrailerLines(dump)) {
    const double minutes = After(line, " for"), at = After(line, " minutes at case");
    if (at >= 0 && minutes >= 0) {
      pausedAt = static_cast<int32_t>(at);
      f.gaps.emplace_back(pausedAt, minutes * 60);
      if (line.find("Acquisition paused") != std::string::npos) f.pauses.emplace_back(pausedAt, minutes * 60);
      continue;
    }
    // '    switch "S" made at 41.25 sec from the file's start', after its gap's line.
    if (const std::size_t made = line.find("\" made at");
        line.find("switch \"") != std::string::npos && made != std::string::npos) {
      f.gapSwitches.push_back(
          {pausedAt, static_cast<unsigned char>(line[made - 1]), After(line, "\" made at")});
      continue;
    }
    const double old = After(line, "old sample interval ="), now = After(line, "new sample interval =");
    if (old > 0 && f.changes.empty()) f.firstInterval = old;
    if (now <= 0) continue;
    const double from = After(line, "from case");
    f.changes.push_back({from >= 0 ? static_cast<int32_t>(from) : pausedAt, now});
  }
}

// The header's fields, each on its own line of the print.
void ReadHeaderLine(const std::string& line, StoredFile& f) {
  const std::size_t label = line.find(" label '");
  if (line.rfind("channel block ", 0) == 0 && label != std::string::npos) {
    StoredFile::Block b;
    b.a = After(line, ": a ");
    b.b = After(line, " b ");
    b.c = After(line, " c ");
    b.type = After(line, " type ");
    b.averaged = After(line, " averaged ");
    b.label = line.substr(label + 8, line.size() - label - 9);
    f.blocks.push_back(b);
  } else if (line.rfind("channels: ", 0) == 0 && f.headerChannels < 0) {
    f.headerChannels = static_cast<int>(NumberAfter(line, 10));
  } else if (line.rfind("markers: ", 0) == 0) {
    f.headerMarkers = static_cast<int>(NumberAfter(line, 9));
  } else if (line.rfind("interface code: ", 0) == 0) {
    f.interfaceCode = static_cast<int>(NumberAfter(line, 16));
  } else if (line.rfind("hardware input of channel ", 0) == 0 && line.find(':') != std::string::npos) {
    f.inputs.push_back(static_cast<int>(NumberAfter(line, line.find(':') + 1)));
  }
}

}  // namespace

StoredFile ParseDump(const std::string& name, const std::string& dump) {
  StoredFile f;
  f.name = name;
  const std::size_t at = dump.find("interval (s): ");
  if (at == std::string::npos || dump.find("count meaning: the last sample index") == std::string::npos) {
    f.problem = "not a chart file: " + dump.substr(0, 200);
    return f;
  }
  f.interval = NumberAfter(dump, at + 14);
  // Line by line: a long run's value lines are far too long for a regular expression.
  std::istringstream lines(dump);
  for (std::string line; std::getline(lines, line);) {
    long long sample = 0, code = 0;
    if (std::sscanf(line.c_str(), "  marker %*d: sample+1 %lld code %lld", &sample, &code) == 2)
      f.markers.emplace_back(static_cast<int32_t>(sample), static_cast<int>(code));
    ReadHeaderLine(line, f);
    if (line.rfind("samples of channel block ", 0) != 0) continue;
    std::istringstream in(line.substr(line.find(':') + 1));
    std::vector<double> values;
    for (std::string v; in >> v;) values.push_back(std::strtod(v.c_str(), nullptr));
    f.cells.push_back(std::move(values));
  }
  ReadPauseLog(dump, f);
  if (f.firstInterval <= 0) f.firstInterval = f.interval;
  return f;
}

std::vector<double> FileRuleIntervals(const StoredFile& f) {
  const std::size_t n = f.cells.empty() ? 0 : f.cells.front().size();
  std::vector<double> intervals(n, f.firstInterval > 0 ? f.firstInterval : f.interval);
  for (const IntervalChange& c : f.changes)
    for (std::size_t k = static_cast<std::size_t>(std::max<int32_t>(c.from, 0)); k < n; ++k)
      intervals[k] = c.interval;
  return intervals;
}

std::vector<double> FileRuleTimes(const StoredFile& f) {
  const std::vector<double> intervals = FileRuleIntervals(f);
  std::vector<double> times;
  double at = 0, skipped = 0;
  std::size_t g = 0;
  for (std::size_t k = 0; k < intervals.size(); ++k) {
    // Sample N, the first at a new interval, stands N old intervals on.
    if (k > 0) at += intervals[k - 1];
    for (; g < f.gaps.size() && f.gaps[g].first <= static_cast<int32_t>(k); ++g) skipped += f.gaps[g].second;
    times.push_back(at + skipped);
  }
  return times;
}

namespace {

// A number as text, with half a unit of its last digit: "12.345" 0.0005, "-1.5e-03"
// 0.00005, "-99999" 0.5. Nothing when the text is no number.
std::optional<TextNumber> WrittenNumber(const std::string& text) {
  double v = 0;
  const auto r = std::from_chars(text.data(), text.data() + text.size(), v);
  if (r.ec != std::errc()) return std::nullopt;
  const std::string_view number(text.data(), static_cast<std::size_t>(r.ptr - text.data()));
  const std::size_t e = std::min(number.find_first_of("eE"), number.size()), dot = number.find('.');
  const long decimals = dot < e ? static_cast<long>(e - dot - 1) : 0;
  long exponent = 0;
  if (e < number.size())
    std::from_chars(number.data() + e + 1 + (number[e + 1] == '+'), number.data() + number.size(), exponent);
  return TextNumber(v, 0.5 * std::pow(10.0, static_cast<double>(exponent - decimals)));
}

}  // namespace

std::vector<TextRow> ParseTextDump(const std::string& dump) {
  std::vector<TextRow> rows;
  std::istringstream lines(dump);
  for (std::string line; std::getline(lines, line);) {
    const std::size_t open = line.find(": '");
    if (line.rfind("row ", 0) != 0 || open == std::string::npos) continue;
    std::string text = line.substr(open + 3);
    text = text.substr(0, text.rfind('\''));
    for (std::size_t tab; (tab = text.find("\\x09")) != std::string::npos;) text.replace(tab, 4, " ");
    std::istringstream in(text);
    TextRow cells;
    for (std::string v; in >> v;) cells.push_back(WrittenNumber(v).value_or(TextNumber(std::nan(""))));
    rows.push_back(std::move(cells));
  }
  return rows;
}

namespace {

// The fields of a streamed line, each the number at its start.
std::vector<double> StreamFields(const std::string& line) {
  std::vector<double> fields;
  for (std::size_t at = 0; at <= line.size();) {
    const std::size_t end = std::min(line.find(',', at), line.size());
    std::size_t from = at;
    while (from < end && line[from] == ' ') ++from;
    double v = std::numeric_limits<double>::quiet_NaN();
    std::from_chars(line.data() + from, line.data() + end, v);
    fields.push_back(v);
    at = end + 1;
  }
  return fields;
}

// Where a "tx" chunk's bytes (hex pairs after "tx") start text lines: at each byte
// other than CR or LF that follows one, or the log's first.
void TakeLineStarts(SimLog& log, double t, const std::string& rest, bool& ended) {
  for (std::size_t i = 2; i + 3 <= rest.size() && rest[i] == ' '; i += 3) {
    const bool end = rest.compare(i + 1, 2, "0D") == 0 || rest.compare(i + 1, 2, "0A") == 0;
    if (!end && ended) log.lineStarts.push_back(t);
    ended = end;
  }
}

// A "tx" chunk's bytes (hex pairs after "tx") into the stream's lines: each complete at
// the chunk that carries its CR.
void TakeStreamBytes(SimLog& log, double t, const std::string& rest, SimLog::Line& pending,
                     std::string& text) {
  for (std::size_t i = 2; i + 3 <= rest.size() && rest[i] == ' '; i += 3) {
    const long byte = std::strtol(rest.substr(i + 1, 2).c_str(), nullptr, 16);
    const char c = static_cast<char>(byte);
    if (c != '\r' && c != '\n') {
      text += c;
      pending.clean = pending.clean && ((byte >= 0x20 && byte < 0x7F) || c == '\t');
      continue;
    }
    if (!text.empty()) pending.sent = t, pending.fields = StreamFields(text), log.lines.push_back(pending);
    text.clear();
    pending = {};
  }
}

}  // namespace

SimLog ParseSimLog(const std::string& text) {
  SimLog log;
  std::istringstream in(text);
  double openFault = -1, openSlow = -1, openFreeze = -1;
  int open = 0;
  bool streams = false, lineEnded = true;
  std::string opening;  // the first bytes sent, as logged
  std::string pending;
  SimLog::Line pendingLine;
  int chunksSinceRead = 2;  // reply chunks sent since the last reading was logged
  for (std::string line; std::getline(in, line);) {
    const double us = NumberAfter(line, 0);
    const std::size_t space = line.find(' ');
    if (space == std::string::npos) continue;
    const std::string rest = line.substr(space + 1);
    if (rest.rfind("-- start at", 0) == 0) log.start = NumberAfter(rest, 11) / 1e6 - us / 1e6;
    const double t = log.start + us / 1e6;
    const bool begins = rest.find(" begins at") != std::string::npos || rest.rfind("-- hang-up", 0) == 0;
    const bool ends = rest.find(" ends at") != std::string::npos || rest.rfind("-- back", 0) == 0;
    if (rest.rfind("rd ", 0) == 0) {
      SimLog::Read r;
      r.t = t;
      std::istringstream fields(rest.substr(3));
      fields >> r.input >> r.value;
      log.reads.push_back(r);
      chunksSinceRead = 0;
      log.readingsLogged = true;
      continue;
    }
    if (rest.rfind("rf ", 0) == 0) {
      std::istringstream fields(rest.substr(3));
      std::string fault;
      int ms = 0;
      fields >> fault >> ms;
      // A streaming instrument's line: it answers no request.
      if (streams) log.lineFaults.emplace_back(t, fault);
      if (streams || log.reads.empty()) continue;
      SimLog::Read& r = log.reads.back();
      // A slow reply within the time-out does not outweigh one that failed.
      if (r.fault.empty() || r.fault == "slow") r.fault = fault, r.ms = ms, r.faultAt = t;
      continue;
    }
    if (rest.rfind("-- hang-up", 0) == 0) log.hangups.push_back(t), log.lost.emplace_back(t, 1e18);
    if (rest.rfind("-- back", 0) == 0 && !log.lost.empty()) log.lost.back().second = t;
    if (rest.rfind("tx", 0) == 0) {
      log.replies.push_back(t);
      // The second chunk of a partial reply, before the next request, is its rest.
      if (++chunksSinceRead == 2 && !log.reads.empty() && log.reads.back().fault == "partial")
        log.reads.back().restMs = static_cast<int>(std::lround((t - log.reads.back().t) * 1000));
      TakeLineStarts(log, t, rest, lineEnded);
      // "!!!": a streaming instrument's name line, the first it sends (a paced line
      // may log it a byte at a time).
      if (opening.size() < 9) {
        static const std::string kName = " 21 21 21";
        opening += rest.substr(2, 9 - opening.size());
        streams = kName.compare(0, opening.size(), opening) == 0;
        if (!streams) log.lines.clear(), pending.clear(), pendingLine = {};
      }
      if (streams) TakeStreamBytes(log, t, rest, pendingLine, pending);
    } else if (rest.rfind("rx", 0) == 0) {
      log.requests.push_back(t);
      chunksSinceRead = 2;  // a reply's bytes after the next request are no rest of it
      if (rest.size() == 5) {
        const long b = std::strtol(rest.substr(3, 2).c_str(), nullptr, 16);
        if (b >= 64 && b <= 127) log.outputBytes.push_back(t);
      }
      if (rest == "rx 58 0D" || rest.rfind("rx 58 0D ", 0) == 0) log.bursts.push_back(t);
      // "o" and its byte: under the three-bit word (the coding a new installation
      // starts with) device d is the byte d - 1.
      // A fast scope's burst: its count of values.
      if (rest.find(" 42 55 52 53 54 28 ") != std::string::npos) {
        const std::size_t at = rest.find(" 42 55 52 53 54 28 ") + 18;
        std::string digits;
        for (std::size_t i = at; i + 3 <= rest.size() && rest[i] == ' ' && rest.compare(i + 1, 2, "2C") != 0;
             i += 3)
          digits += static_cast<char>(std::strtol(rest.substr(i + 1, 2).c_str(), nullptr, 16));
        log.burstCount = std::atol(digits.c_str());
      }
      // "D", output 1's and output 2's counts (819 a volt, low byte first), CR.
      if (rest.rfind("rx 44 ", 0) == 0 && rest.size() >= 17) {
        const long lo = std::strtol(rest.substr(12, 2).c_str(), nullptr, 16);
        const long hi = std::strtol(rest.substr(15, 2).c_str(), nullptr, 16);
        log.output2.emplace_back(t, static_cast<double>(lo + 256 * hi) / 819.0);
      }
      if (rest.rfind("rx 6F ", 0) == 0 && rest.size() >= 8)
        log.outputs.emplace_back(t,
                                 1 + static_cast<int>(std::strtol(rest.substr(6, 2).c_str(), nullptr, 16)));
    } else if (rest.rfind("-- ramp origin at", 0) == 0) {
      log.origin = NumberAfter(rest, 17) / 1e6;
    } else if (begins) {
      if (open++ == 0) openFault = t;
      if (rest.rfind("-- fault slow ", 0) == 0) openSlow = t;
      if (rest.rfind("-- fault freeze ", 0) == 0) openFreeze = t;
    } else if (ends && open > 0) {
      if (--open == 0) log.faults.emplace_back(openFault, t);
      if (rest.rfind("-- fault slow ", 0) == 0 && openSlow >= 0)
        log.slow.emplace_back(openSlow, t), openSlow = -1;
      if (rest.rfind("-- fault freeze ", 0) == 0 && openFreeze >= 0)
        log.freezes.emplace_back(openFreeze, t), openFreeze = -1;
    }
  }
  if (open > 0) log.faults.emplace_back(openFault, 1e18);
  if (openSlow >= 0) log.slow.emplace_back(openSlow, 1e18);
  if (openFreeze >= 0) log.freezes.emplace_back(openFreeze, 1e18);
  return log;
}

}  // namespace mv::soak
