// The soak's own test: a kept run's files broken by hand, one rule at a time, each on
// a fresh copy; every break must be reported by the check of the rule it breaks.
#include "soak/selftest.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "soak/check.h"
#include "soak/kept.h"
#include "soak/lookup.h"
#include "soak/scope_check.h"

namespace fs = std::filesystem;

namespace mv::soak {

namespace {

// A break of the files as decoded: false when the kept run has nothing to break it on.
using Edit = std::function<bool(KeptRun&, const Plan&, const Options&)>;
// A break of the files themselves, in a copy of the run's folder.
using FileEdit = std::function<bool(const fs::path& docs)>;

struct Break {
  const char* name;
  InvariantId reportedBy;
  Edit edit;
  FileEdit fileEdit = nullptr;
};

const char* const kNames[] = {"stored", "once",     "cells",   "times",  "gaps",
                              "text",   "usage",    "outputs", "lookup", "answered",
                              "held",   "switches", "zeros",   "header", "line lost"};

std::size_t Samples(const StoredFile& f) {
  return f.cells.empty() ? 0 : f.cells.front().size();
}

// The stored files with samples, and the first with at least `n`.
StoredFile* WithSamples(KeptRun& k, std::size_t n) {
  for (StoredFile& f : k.files)
    if (f.problem.empty() && Samples(f) >= n) return &f;
  return nullptr;
}

void Erase(StoredFile& f, std::size_t from, std::size_t count) {
  for (auto& channel : f.cells)
    channel.erase(channel.begin() + static_cast<long>(from),
                  channel.begin() + static_cast<long>(from + count));
  for (auto& [at, seconds] : f.gaps)
    if (at > static_cast<int32_t>(from)) at -= static_cast<int32_t>(std::min<std::size_t>(count, at - from));
}

// A sample well inside the file, away from its pauses and gaps.
std::size_t Middle(const StoredFile& f) {
  std::size_t k = Samples(f) / 2;
  for (bool moved = true; moved;) {
    moved = false;
    for (const auto& [at, seconds] : f.gaps)
      if (static_cast<std::size_t>(at) + 3 > k && static_cast<std::size_t>(at) <= k + 16)
        k = at + 3, moved = true;
  }
  return std::min(k, Samples(f) > 20 ? Samples(f) - 20 : 0);
}

// The log's reading of the last channel at sample `at` of f: the sawtooth's value comes
// round again at every tooth, so the reading must be followed, a sweep on (its input is
// read once for each channel on it), by the one the next sample holds.
std::vector<SimLog::Read>::iterator LastChannelRead(KeptRun& k, const Plan& p, const StoredFile& f,
                                                    std::size_t at) {
  const int input = p.inputs.back();
  const auto perSweep = std::count(p.inputs.begin(), p.inputs.end(), input);
  const auto& cells = f.cells.back();
  if (at + 1 >= cells.size()) return k.log.reads.end();
  for (auto r = k.log.reads.begin(); r != k.log.reads.end(); ++r) {
    if (r->input != input || !SameValue(cells[at], AsStored(*p.kind, r->value))) continue;
    auto next = r;
    for (long n = 0; n < perSweep && next != k.log.reads.end(); ++n)
      next = std::find_if(next + 1, k.log.reads.end(), [&](const SimLog::Read& o) { return o.input == input; });
    if (next != k.log.reads.end() && SameValue(cells[at + 1], AsStored(*p.kind, next->value))) return r;
  }
  return k.log.reads.end();
}

// The first switch ("S" or "R") marker past the start of a file with two samples before
// it and one after, where a switched channel's device turned on (`on`: its cell 0
// before the marker's sample and read at it) or off; the file, the marker's sample and
// the channel (false when there is none).
bool FirstSwitch(KeptRun& k, const Plan& p, bool on, StoredFile*& file, std::size_t& at,
                 std::size_t& channel) {
  for (StoredFile& f : k.files)
    for (const auto& [sample, code] : f.markers) {
      const auto s = static_cast<std::size_t>(sample - 1);
      if ((code != 'S' && code != 'R') || s < 2 || s + 1 >= Samples(f)) continue;
      for (std::size_t c = 0; c < p.devices.size() && c < f.cells.size(); ++c) {
        const auto& v = f.cells[c];
        if (p.devices[c] == 0 || v[s - 1] == -99999 || v[s] == -99999) continue;
        if (on ? (v[s - 1] == 0 && v[s] != 0) : (v[s - 1] != 0 && v[s - 2] != 0 && v[s] == 0)) {
          file = &f, at = s, channel = c;
          return true;
        }
      }
    }
  return false;
}

// The switch marker at sample `at` of f moved `by` samples.
void MoveMarker(StoredFile& f, std::size_t at, int by) {
  for (auto& [sample, code] : f.markers)
    if ((code == 'S' || code == 'R') && sample == static_cast<int32_t>(at + 1)) {
      sample += by;
      return;
    }
}

// A switch applied a sample late: where the device turned on, its zero kept a sample
// more; where it turned off, read a sample more; and the marker with it.
bool SwitchLate(KeptRun& k, const Plan& p, bool on, bool marker) {
  StoredFile* f = nullptr;
  std::size_t at = 0, c = 0;
  if (!FirstSwitch(k, p, on, f, at, c)) return false;
  auto& v = f->cells[c];
  v[at] = on ? 0 : static_cast<float>(2 * v[at - 1] - v[at - 2]);
  if (marker) MoveMarker(*f, at, 1);
  return true;
}

// Where channel 1 averages several readings: a sample that copies the one before (its
// readings failed) given the last single reading of the sample before, found in the log
// as the last of the readings whose mean that sample holds.
bool LastSingleReading(KeptRun& k, const Plan& p) {
  if (p.readings.empty() || p.readings[0] < 2) return false;
  const auto n = static_cast<std::size_t>(p.readings[0]);
  const auto& reads = k.log.reads;
  for (StoredFile& f : k.files)
    for (std::size_t at = 2; at < Samples(f); ++at) {
      auto& v = f.cells[0];
      if (v[at] != v[at - 1] || v[at - 1] == v[at - 2] || v[at] == -99999) continue;
      for (std::size_t i = 0; i + n <= reads.size(); ++i) {
        double sum = 0;
        std::size_t m = 0;
        while (m < n && reads[i + m].input == p.inputs[0] && reads[i + m].fault.empty())
          sum += AsStored(*p.kind, reads[i + m].value), ++m;
        if (m < n || !SameValue(v[at - 1], static_cast<float>(sum / static_cast<double>(n)))) continue;
        v[at] = AsStored(*p.kind, reads[i + n - 1].value);
        return true;
      }
    }
  return false;
}

// A streaming instrument's sample from the middle of f on whose line, and every line
// within two seconds of it, came whole with the port open; 0 when none (or no stream).
std::size_t QuietStreamSample(const KeptRun& k, const Plan& p, const StoredFile& f) {
  if (!p.kind->streams) return 0;
  const auto field = static_cast<std::size_t>(p.inputs.front() - 1);
  for (std::size_t at = Middle(f); at + 1 < Samples(f); ++at) {
    const auto line = std::find_if(k.log.lines.begin(), k.log.lines.end(), [&](const SimLog::Line& l) {
      return field < l.fields.size() && SameValue(f.cells.front()[at], AsStored(*p.kind, l.fields[field]));
    });
    if (line == k.log.lines.end()) continue;
    const auto near = [&](double t) { return std::fabs(t - line->sent) < 2; };
    const bool quiet = std::none_of(k.log.lineFaults.begin(), k.log.lineFaults.end(),
                                    [&](const auto& r) { return near(r.first); }) &&
                       std::none_of(k.log.hangups.begin(), k.log.hangups.end(), near) &&
                       std::all_of(k.log.lines.begin(), k.log.lines.end(), [&](const SimLog::Line& l) {
                         return !near(l.sent) || (l.clean && l.fields.size() > field);
                       });
    if (quiet) return at;
  }
  return 0;
}

// Deletes the period file `which` (1-based order) or every data file (0).
FileEdit Remove(int which) {
  return [which](const fs::path& docs) {
    std::vector<fs::path> data;
    for (const auto& e : fs::directory_iterator(docs)) {
      const std::string n = e.path().filename().string();
      if (n.rfind(kRoot, 0) == 0 || n == kLast || n == kLastText) data.push_back(e.path());
    }
    std::sort(data.begin(), data.end());
    if (which == 0) {
      for (const fs::path& p : data) fs::remove(p);
      return !data.empty();
    }
    std::vector<fs::path> periods;
    for (const fs::path& p : data)
      if (p.filename().string().rfind(kRoot, 0) == 0) periods.push_back(p);
    if (static_cast<int>(periods.size()) < which) return false;
    std::sort(periods.begin(), periods.end(), [](const fs::path& a, const fs::path& b) {
      return std::atol(a.filename().c_str() + a.filename().string().rfind(' ') + 1) <
             std::atol(b.filename().c_str() + b.filename().string().rfind(' ') + 1);
    });
    return fs::remove(periods[static_cast<std::size_t>(which - 1)]);
  };
}

FileEdit CutShort() {
  return [](const fs::path& docs) {
    for (const auto& e : fs::directory_iterator(docs))
      if (e.path().filename().string().rfind(kRoot, 0) == 0) {
        fs::resize_file(e.path(), fs::file_size(e.path()) / 2);
        return true;
      }
    return false;
  };
}

const std::vector<Break>& Breaks() {
  static const std::vector<Break> kBreaks = {
      {"no data file at all", kStored, nullptr, Remove(0)},
      {"a period file missing", kOnce, nullptr, Remove(2)},
      {"a period file cut short", kStored, nullptr, CutShort()},
      // A fault excuses the replies in its own span, not a whole period's around it.
      {"a period file missing, a 0.3 s fault in its time", kOnce,
       [](KeptRun& k, const Plan& p, const Options&) {
         if (k.files.size() < 3 || Samples(k.files[1]) < 2 || p.fastInput == 1) return false;
         const double v = k.files[1].cells.front()[Samples(k.files[1]) / 2];
         const double at = k.log.origin + (v - p.bases.front()) / p.rate;
         k.log.faults.emplace_back(at, at + 0.3);
         std::sort(k.log.faults.begin(), k.log.faults.end());
         k.files.erase(k.files.begin() + 1);
         return true;
       }},
      {"a sweep lost as the last sample of a period file", kOnce,
       [](KeptRun& k, const Plan&, const Options&) {
         StoredFile* f = WithSamples(k, 2);
         if (!f || f == &k.files.back()) return false;
         Erase(*f, Samples(*f) - 1, 1);
         return true;
       }},
      {"the run's first sample lost", kOnce,
       [](KeptRun& k, const Plan&, const Options&) {
         if (k.files.empty() || Samples(k.files.front()) < 2) return false;
         // A gap logged before it goes with it.
         std::erase_if(k.files.front().gaps, [](const auto& g) { return g.first == 0; });
         Erase(k.files.front(), 0, 1);
         return true;
       }},
      {"the run's last sample lost", kOnce,
       [](KeptRun& k, const Plan&, const Options&) {
         if (k.files.empty() || Samples(k.files.back()) < 2) return false;
         Erase(k.files.back(), Samples(k.files.back()) - 1, 1);
         if (!k.text.empty()) k.text.pop_back();
         return true;
       }},
      {"a sample stored twice", kOnce,
       [](KeptRun& k, const Plan&, const Options&) {
         StoredFile* f = WithSamples(k, 40);
         if (!f) return false;
         const std::size_t at = Middle(*f);
         for (auto& channel : f->cells)
           channel.insert(channel.begin() + static_cast<long>(at) + 1, channel[at]);
         return true;
       }},
      // 0.12 s at 0.01 s; at longer intervals, further than the rule allows.
      {"a sample holding a sweep read 0.10-0.15 s later", kTimes,
       [](KeptRun& k, const Plan&, const Options& o) {
         StoredFile* f = WithSamples(k, 40);
         if (!f) return false;
         const auto rule = static_cast<std::size_t>((std::max(o.interval, 0.05) + 0.02) / o.interval) + 1;
         const std::size_t at = Middle(*f),
                           ahead = std::max<std::size_t>(rule, std::lround(0.12 / o.interval));
         for (auto& channel : f->cells) channel[at] = channel[at + ahead];
         return true;
       }},
      {"a file's pause log one gap 0.5 s short", kTimes,
       [](KeptRun& k, const Plan&, const Options&) {
         for (StoredFile& f : k.files)
           if (!f.gaps.empty() && static_cast<std::size_t>(f.gaps.front().first) + 2 < Samples(f)) {
             f.gaps.front().second -= 0.5;
             return true;
           }
         return false;
       }},
      {"another channel's value", kCells,
       [](KeptRun& k, const Plan& p, const Options&) {
         StoredFile* f = WithSamples(k, 40);
         if (!f || p.channels < 3) return false;
         // A sample where the two differ: switched channels may both hold their zero.
         for (std::size_t at = Middle(*f); at + 1 < Samples(*f); ++at)
           if (f->cells[1][at] != f->cells[2][at]) {
             f->cells[1][at] = f->cells[2][at];
             return true;
           }
         return false;
       }},
      {"a value held two samples running", kCells,
       [](KeptRun& k, const Plan&, const Options&) {
         StoredFile* f = WithSamples(k, 40);
         if (!f) return false;
         // On the sawtooth (the last channel), which moves at every sample even at
         // 0.01 s over an hour, where the slow rise stands still for several.
         const std::size_t at = Middle(*f);
         f->cells.back()[at] = f->cells.back()[at + 1] = f->cells.back()[at - 1];
         return true;
       }},
      {"a channel left out of a file", kStored,
       [](KeptRun& k, const Plan&, const Options&) {
         StoredFile* f = WithSamples(k, 1);
         if (!f) return false;
         f->cells.pop_back();
         return true;
       }},
      // Three quarters: a run whose faults are long leaves room for half, as the count
      // allows for the program's pace on a loaded machine.
      {"three quarters of the run's samples gone from every file", kStored,
       [](KeptRun& k, const Plan&, const Options&) {
         for (StoredFile& f : k.files)
           if (f.problem.empty() && Samples(f) > 3) Erase(f, Samples(f) / 4, Samples(f) - Samples(f) / 4);
         k.text.resize(k.files.empty() ? 0 : Samples(k.files.back()));
         return true;
       }},
      {"two seconds of samples gone with no pause-log line", kGaps,
       [](KeptRun& k, const Plan&, const Options& o) {
         StoredFile* f = WithSamples(k, 40);
         const std::size_t n = static_cast<std::size_t>(std::lround(2 / o.interval));
         if (!f || Samples(*f) < n + 30) return false;
         Erase(*f, Middle(*f) > n ? Middle(*f) - n / 2 : 10, n);
         return true;
       }},
      // One of a gap's markers where its line and marker agree; in a run with none, a
      // line where no marker stands.
      {"a pause marker taken out", kGaps,
       [](KeptRun& k, const Plan&, const Options&) {
         for (StoredFile& f : k.files)
           for (auto m = f.markers.begin(); m != f.markers.end(); ++m) {
             const auto at = [&](int32_t sample) {
               return std::count_if(f.markers.begin(), f.markers.end(),
                                    [&](const auto& o) { return o.first == sample && o.second == 166; });
             };
             const auto lines = std::count_if(f.gaps.begin(), f.gaps.end(),
                                              [&](const auto& g) { return g.first + 1 == m->first; });
             if (m->second == 166 && lines > 0 && at(m->first) == lines) return f.markers.erase(m), true;
           }
         StoredFile* f = WithSamples(k, 40);
         if (!f) return false;
         f->gaps.emplace_back(static_cast<int32_t>(Middle(*f)), 0.0);
         std::sort(f->gaps.begin(), f->gaps.end());
         return true;
       }},
      {"a marker beyond the file's last sample", kGaps,
       [](KeptRun& k, const Plan&, const Options&) {
         StoredFile* f = WithSamples(k, 1);
         if (!f) return false;
         f->markers.emplace_back(static_cast<int32_t>(Samples(*f) + 2), 'z');
         return true;
       }},
      {"a text row at another time", kText,
       [](KeptRun& k, const Plan&, const Options&) {
         if (k.text.size() < 6) return false;
         k.text[5][0].value += 0.5;
         return true;
       }},
      {"a text value not the chart file's", kText,
       [](KeptRun& k, const Plan&, const Options&) {
         if (k.text.size() < 6 || k.text[5].size() < 2) return false;
         k.text[5][1].value += 1;
         return true;
       }},
      // The row before's number, digits and all, where the two differ: at a short
      // interval on a long run the channels move by parts in a hundred thousand.
      {"a text value the sample before's", kText,
       [](KeptRun& k, const Plan&, const Options&) {
         for (std::size_t r = k.text.size() / 2; r < k.text.size(); ++r)
           for (std::size_t c = 1; c < k.text[r].size() && r > 0 && c < k.text[r - 1].size(); ++c)
             if (k.text[r][c].value != k.text[r - 1][c].value && k.text[r - 1][c].value != -99999) {
               k.text[r][c] = k.text[r - 1][c];
               return true;
             }
         return false;
       }},
      // The sawtooth's (last) channel, whose reading is its sweep's alone: its value the
      // sample before's, and its request gone from the log.
      {"a copy on a channel whose request was never sent", kHeld,
       [](KeptRun& k, const Plan& p, const Options&) {
         StoredFile* f = WithSamples(k, 40);
         if (!f || p.kind->streams) return false;
         const std::size_t at = Middle(*f);
         const double was = f->cells.back()[at];
         const auto read = LastChannelRead(k, p, *f, at);
         if (read == k.log.reads.end() || f->cells.back()[at - 1] == was) return false;
         k.log.reads.erase(read);
         f->cells.back()[at] = f->cells.back()[at - 1];
         return true;
       }},
      // On a streaming instrument the other channels' values name the line it came from.
      {"-99999 where the log has a good reply", kAnswered,
       [](KeptRun& k, const Plan&, const Options&) {
         StoredFile* f = WithSamples(k, 40);
         if (!f) return false;
         f->cells.front()[Middle(*f)] = -99999;
         return true;
       }},
      {"a streamed sample of -99999 where every line came whole", kAnswered,
       [](KeptRun& k, const Plan& p, const Options&) {
         StoredFile* f = WithSamples(k, 40);
         const std::size_t at = f ? QuietStreamSample(k, p, *f) : 0;
         if (at == 0) return false;
         for (auto& channel : f->cells) channel[at] = -99999;
         return true;
       }},
      {"a streamed sample the one before's where every line came whole", kAnswered,
       [](KeptRun& k, const Plan& p, const Options&) {
         StoredFile* f = WithSamples(k, 40);
         const std::size_t at = f ? QuietStreamSample(k, p, *f) : 0;
         if (at == 0) return false;
         for (auto& channel : f->cells) channel[at] = channel[at - 1];
         return true;
       }},
      // A request that went unanswered is a time-out with nothing arriving, which
      // confirms the replies before it in the sweep: the first channel's, read well,
      // stands.
      {"-99999 before a request of its sweep that went silent", kAnswered,
       [](KeptRun& k, const Plan& p, const Options&) {
         StoredFile* f = WithSamples(k, 40);
         if (!f || p.kind->streams || f->cells.size() < 2) return false;
         const std::size_t at = Middle(*f);
         const auto read = LastChannelRead(k, p, *f, at);
         if (read == k.log.reads.end()) return false;
         read->fault = "silent";
         f->cells.front()[at] = -99999;
         return true;
       }},
      {"a value scaled by 1.001", kLookup,
       [](KeptRun& k, const Plan&, const Options&) {
         StoredFile* f = WithSamples(k, 40);
         if (!f) return false;
         const std::size_t at = Middle(*f);
         // The channel furthest from 0 there: 1.001 times it is steps away.
         auto& channel = *std::max_element(f->cells.begin(), f->cells.end(), [&](const auto& a, const auto& b) {
           return std::fabs(a[at]) < std::fabs(b[at]);
         });
         channel[at] = static_cast<float>(channel[at] * 1.001);
         return true;
       }},
      {"a switch marker with no command", kSwitches,
       [](KeptRun& k, const Plan&, const Options&) {
         StoredFile* f = WithSamples(k, 40);
         if (!f) return false;
         k.log.outputs.clear();
         k.log.outputBytes.clear();
         f->markers.emplace_back(static_cast<int32_t>(Middle(*f) + 1), 'S');
         return true;
       }},
      // A zero or a marker a sample off its switch, each alone and all together.
      {"a switched channel's zero at the first sample its device was on", kZeros,
       [](KeptRun& k, const Plan& p, const Options&) { return SwitchLate(k, p, true, false); }},
      {"a switched channel's reading at the first sample its device was shut", kZeros,
       [](KeptRun& k, const Plan& p, const Options&) { return SwitchLate(k, p, false, false); }},
      {"a switch marker a sample later than its command", kSwitches,
       [](KeptRun& k, const Plan& p, const Options&) {
         StoredFile* f = nullptr;
         std::size_t at = 0, c = 0;
         if (!FirstSwitch(k, p, true, f, at, c) && !FirstSwitch(k, p, false, f, at, c)) return false;
         MoveMarker(*f, at, 1);
         return true;
       }},
      {"a switch applied a sample late (its zero, its reading and its marker)", kZeros,
       [](KeptRun& k, const Plan& p, const Options&) {
         return SwitchLate(k, p, true, true) && SwitchLate(k, p, false, true);
       }},
      // The header: each field another than the run's.
      {"channel 1's readings averaged 1 -> 4 in the header", kHeader,
       [](KeptRun& k, const Plan&, const Options&) {
         StoredFile* f = WithSamples(k, 1);
         if (!f || f->blocks.empty() || f->blocks[0].averaged != 1) return false;
         f->blocks[0].averaged = 4;
         return true;
       }},
      {"another kind's interface code in the header", kHeader,
       [](KeptRun& k, const Plan& p, const Options&) {
         StoredFile* f = WithSamples(k, 1);
         if (!f) return false;
         f->interfaceCode = p.kind->fileCode == 83 ? 800 : 83;
         return true;
       }},
      {"channel 2's label channel 1's in the header", kHeader,
       [](KeptRun& k, const Plan&, const Options&) {
         StoredFile* f = WithSamples(k, 1);
         if (!f || f->blocks.size() < 2) return false;
         f->blocks[1].label = f->blocks[0].label;
         return true;
       }},
      {"channel 1's conversion b 1 -> 1.001 in the header", kHeader,
       [](KeptRun& k, const Plan&, const Options&) {
         StoredFile* f = WithSamples(k, 1);
         if (!f || f->blocks.empty()) return false;
         f->blocks[0].b = 1.001;
         return true;
       }},
      {"a typed marker lost", kHeader,
       [](KeptRun& k, const Plan&, const Options&) {
         for (StoredFile& f : k.files)
           for (auto m = f.markers.begin(); m != f.markers.end(); ++m)
             if (std::find(k.judgedKeys.begin(), k.judgedKeys.end(), m->second) != k.judgedKeys.end()) {
               f.markers.erase(m);
               --f.headerMarkers;
               return true;
             }
         return false;
       }},
      // The checks of this round's roads.
      {"a switching key's press sending a second command 0.3 s on", kSwitches,
       [](KeptRun& k, const Plan& p, const Options&) {
         // Every command in mid-run is a key's: the middle one sent again, as a repeat would.
         if (p.switchKeys.empty() || k.log.outputs.size() < 4) return false;
         const std::size_t mid = k.log.outputs.size() / 2;
         const auto again = k.log.outputs[mid];
         k.log.outputs.insert(k.log.outputs.begin() + static_cast<long>(mid) + 1,
                              {again.first + 0.3, again.second});
         return true;
       }},
      {"the switches made in gaps left out of their pause-log lines", kGaps,
       [](KeptRun& k, const Plan&, const Options&) {
         bool any = false;
         for (StoredFile& f : k.files) any = any || !f.gapSwitches.empty(), f.gapSwitches.clear();
         return any;
       }},
      {"a failed sample of a channel averaging readings holding its last single reading", kLookup,
       [](KeptRun& k, const Plan& p, const Options&) { return LastSingleReading(k, p); }},
      {"the Recording Check's statement of the port's loss changed", kLineLost,
       [](KeptRun& k, const Plan&, const Options&) {
         const std::size_t w = k.screen.find("window 33 ");
         if (w == std::string::npos) return false;
         const std::size_t said = k.screen.find("serial port lost for", w);
         if (said == std::string::npos)
           k.screen.insert(k.screen.find('\n', w) + 1, "  field 34 field \"serial port lost for 12 s\"\n");
         else
           k.screen.replace(said, 20, "serial port lost for 600 + ");
         return true;
       }},
      {"a zero on an unswitched channel", kZeros,
       [](KeptRun& k, const Plan& p, const Options&) {
         StoredFile* f = WithSamples(k, 40);
         if (!f) return false;
         // A channel that neither its device nor a zero link that is on zeroes.
         for (std::size_t c = 0; c < f->cells.size(); ++c)
           if ((p.devices.empty() || p.devices[c] == 0) &&
               !(p.zeroLinksOn && c < p.zeroLinkOf.size() && p.zeroLinkOf[c] >= 0)) {
             f->cells[c][Middle(*f)] = 0;
             return true;
           }
         return false;
       }},
      {"memory grown by 100 MiB", kUsage,
       [](KeptRun& k, const Plan&, const Options&) {
         if (k.usage.size() < 2) return false;
         k.usage.back().rssMiB += 100;
         return true;
       }},
      {"a whole core taken", kUsage,
       [](KeptRun& k, const Plan&, const Options&) {
         if (k.usage.size() < 2) return false;
         k.usage.back().cpuSeconds += k.usage.back().seconds - k.usage.front().seconds;
         return true;
       }},
  };
  return kBreaks;
}

std::vector<long> Violations(const Report& r) {
  std::vector<long> v;
  for (const Invariant& i : r.invariants) v.push_back(i.violations);
  return v;
}

std::string Reporters(const std::vector<long>& base, const std::vector<long>& now) {
  std::string names;
  for (std::size_t i = 0; i < now.size(); ++i)
    if (now[i] > base[i]) names += (names.empty() ? "" : ", ") + std::string(kNames[i]);
  return names.empty() ? "nothing" : names;
}

// A fresh copy of the run's folder to break a file in.
bool CopyRun(const fs::path& dir, const fs::path& copy) {
  std::error_code ec;
  fs::remove_all(copy, ec);
  fs::create_directories(copy / "documents", ec);
  for (const char* name : {"sim.log", "usage.txt"}) fs::copy_file(dir / name, copy / name, ec);
  fs::copy(dir / "documents", copy / "documents", fs::copy_options::recursive, ec);
  return !ec && KeepSaveTimes(dir, copy);
}

// A fast-scope run's breaks, on its saved sweeps as decoded.
struct ScopeBreak {
  const char* name;
  InvariantId reportedBy;
  std::function<bool(std::vector<ScopeSweep>&)> edit;
};

// The first sweep with `n` points read in turn from point 1.
ScopeSweep* ReadSweep(std::vector<ScopeSweep>& sweeps, std::size_t n) {
  for (ScopeSweep& s : sweeps)
    if (s.problem.empty() && s.points.size() > n &&
        std::all_of(s.points.begin() + 1, s.points.begin() + static_cast<long>(n) + 1,
                    [](double v) { return v != -99999; }))
      return &s;
  return nullptr;
}

const std::vector<ScopeBreak>& ScopeBreaks() {
  static const std::vector<ScopeBreak> kBreaks = {
      {"a fast-scope sweep shifted one place under a \"partial block\" note", kCells,
       [](std::vector<ScopeSweep>& sweeps) {
         ScopeSweep* s = ReadSweep(sweeps, 200);
         if (!s) return false;
         std::rotate(s->points.begin() + 1, s->points.begin() + 2, s->points.end());
         s->points.back() = -99999;
         s->comment = "comment text: partial block";
         return true;
       }},
      // Saved again as it stood is what a Tab while the next block records does; saved
      // again with fewer of its points is a block saved twice.
      {"a block saved twice", kOnce,
       [](std::vector<ScopeSweep>& sweeps) {
         ScopeSweep* s = ReadSweep(sweeps, 200);
         if (!s) return false;
         const auto at = s - sweeps.data();
         ScopeSweep copy = *s;
         copy.name += " again";
         std::fill(copy.points.begin() + 100, copy.points.end(), -99999);
         sweeps.insert(sweeps.begin() + at + 1, copy);
         return true;
       }},
      // The latest other block read before the last one, saved again with the last: a
      // block tells its number only modulo the tags' stride, so an old block shows as old
      // within a stride of the blocks asked for before its save.
      {"an old block saved for a last Tab", kOnce,
       [](std::vector<ScopeSweep>& sweeps) {
         ScopeSweep* s = nullptr;
         const ScopeSweep* last = nullptr;
         for (const ScopeSweep& k : sweeps)
           if (std::any_of(k.points.begin(), k.points.end(), [](double v) { return v != -99999; })) last = &k;
         for (std::size_t k = 0; last && k + 1 < sweeps.size(); ++k) {
           std::vector<ScopeSweep> one = {sweeps[k]};
           if (ReadSweep(one, 200) && sweeps[k].points != last->points) s = &sweeps[k];
         }
         if (!s) return false;
         ScopeSweep copy = *s;
         copy.name = "sweep " + std::to_string(sweeps.size() + 1);
         copy.saved = last->saved;
         sweeps.push_back(copy);
         return true;
       }},
      {"every saved point -99999 under \"places unknown\" though whole blocks were sent", kCells,
       [](std::vector<ScopeSweep>& sweeps) {
         if (!ReadSweep(sweeps, 200)) return false;
         for (ScopeSweep& s : sweeps) {
           std::fill(s.points.begin(), s.points.end(), -99999);
           s.comment = "comment text: partial block: places unknown";
         }
         return true;
       }},
  };
  return kBreaks;
}

int SelfTestScope(const Plan& plan, const Options& o, const fs::path& dir) {
  const KeptRun kept = LoadKept(dir);
  const std::vector<ScopeSweep> sweeps = LoadSweeps(dir);
  const Report base = CheckScopeSweeps(plan, o, sweeps, kept.log, kept.usage);
  std::printf("the kept run as it stands:\n%s", base.Text().c_str());
  const std::vector<long> before = Violations(base);
  int missed = 0;
  for (const ScopeBreak& b : ScopeBreaks()) {
    std::vector<ScopeSweep> broken = sweeps;
    if (!b.edit(broken)) {
      std::printf("skip %s: the kept run has nothing to break it on\n", b.name);
      continue;
    }
    const Report r = CheckScopeSweeps(plan, o, broken, kept.log, kept.usage);
    const std::vector<long> now = Violations(r);
    const bool seen = now[b.reportedBy] > before[b.reportedBy];
    missed += seen ? 0 : 1;
    std::printf("%s %s: reported by %s\n", seen ? "ok  " : "MISS", b.name, Reporters(before, now).c_str());
    const std::vector<std::string>& was = base.invariants[b.reportedBy].first;
    for (const std::string& said : r.invariants[b.reportedBy].first)
      if (seen && std::find(was.begin(), was.end(), said) == was.end()) {
        std::printf("       %s\n", said.c_str());
        break;
      }
  }
  std::printf("%d of the breaks went unreported\n", missed);
  return missed == 0 ? 0 : 1;
}

}  // namespace

int SelfTest(const Plan& plan, const Options& o, const fs::path& dir) {
  if (plan.fastScope) return SelfTestScope(plan, o, dir);
  KeptRun kept = LoadKept(dir);
  if (kept.log.origin < 0) return std::printf("FAIL no kept run in %s\n", dir.c_str()), 2;
  const Report base = Check(plan, o, kept.files, kept.text, kept.log, kept.usage, kept.screen);
  kept.judgedKeys = base.judgedKeys;
  std::printf("the kept run as it stands:\n%s", base.Text().c_str());
  const std::vector<long> before = Violations(base);
  int missed = 0;
  for (const Break& b : Breaks()) {
    KeptRun broken = kept;
    bool made = false;
    if (b.fileEdit) {
      const fs::path copy = dir / "self-test";
      made = CopyRun(dir, copy) && b.fileEdit(copy / "documents");
      if (made) broken = LoadKept(copy);
      fs::remove_all(copy);
    } else {
      made = b.edit(broken, plan, o);
    }
    if (!made) {
      std::printf("skip %s: the kept run has nothing to break it on\n", b.name);
      continue;
    }
    const Report r = Check(plan, o, broken.files, broken.text, broken.log, broken.usage, broken.screen);
    const std::vector<long> now = Violations(r);
    const bool seen = now[b.reportedBy] > before[b.reportedBy];
    missed += seen ? 0 : 1;
    std::printf("%s %s: reported by %s\n", seen ? "ok  " : "MISS", b.name, Reporters(before, now).c_str());
    if (!seen)
      for (const std::string& note : r.invariants[b.reportedBy].notes)
        std::printf("       %s\n", note.c_str());
    const std::vector<std::string>& was = base.invariants[b.reportedBy].first;
    for (const std::string& said : r.invariants[b.reportedBy].first)
      if (seen && std::find(was.begin(), was.end(), said) == was.end()) {
        std::printf("       %s\n", said.c_str());
        break;
      }
  }
  // More channels than a kind has inputs for is refused, never run as fewer.
  Options many = o;
  many.channels = 17;
  const std::string refused = SettleOptions(many);
  std::printf("%s --channels 17 on a %s: %s\n", refused.empty() ? "MISS" : "ok  ", o.kind.c_str(),
              refused.empty() ? "taken" : refused.c_str());
  missed += refused.empty() ? 1 : 0;
  std::printf("%d of the breaks went unreported\n", missed);
  return missed == 0 ? 0 : 1;
}

}  // namespace mv::soak
