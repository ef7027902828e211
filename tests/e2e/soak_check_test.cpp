// The soak's checks on files made to the letter of each rule and on the same files with
// one rule broken: each breach fails its own invariant and no other. (mv-soak
// --self-test breaks a real kept run's files the same way.)
#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "common/test_support.h"
#include "files/chart_file.h"
#include "sim/sim.h"
#include "soak/check.h"
#include "soak/lookup.h"
#include "soak/plan.h"
#include "soak/scope_check.h"
#include "soak/sweeps.h"

namespace mv::soak {
namespace {

constexpr double kOrigin = 1000, kRate = 0.5, kInterval = 0.1;
constexpr int kNone = -1;

struct Files {
  std::vector<StoredFile> files;
  std::vector<TextRow> text;
  SimLog log;
};

// Two period files of 30 and 20 samples of two channels (inputs 1 and 2) read every
// 0.1 s, with a 2 s pause before sample 20 (logged and marked), each channel's reading
// answered in the log, the first saved straight after its last sample; the text save of
// the second. With `slower`, the pause window changed the interval to 0.2 s from sample
// 20 on.
Files Recording(bool slower = false) {
  Files r;
  r.log.origin = kOrigin;
  const std::vector<double> bases = {0, 4};
  std::vector<double> read;
  for (int k = 0; k < 50; ++k)
    read.push_back(kOrigin + 1 + (k < 20 ? kInterval * k : 2 + 2 + (slower ? 0.2 : kInterval) * (k - 20)));
  for (int part = 0; part < 2; ++part) {
    StoredFile f;
    f.name = "period " + std::to_string(part + 1);
    f.interval = f.firstInterval = kInterval;
    f.cells.resize(2);
    for (int k = part * 30; k < (part ? 50 : 30); ++k)
      for (int c = 0; c < 2; ++c) f.cells[c].push_back(bases[c] + kRate * (read[k] - kOrigin + c * 1e-4));
    r.files.push_back(f);
  }
  r.files[0].gaps = r.files[0].pauses = {{20, 2.0}};
  r.files[0].markers = {{21, 166}, {25, 'a'}};
  r.files[0].saveBegun = read[29] + 0.001;
  r.files[0].saveEnded = read[29] + 0.002;
  if (slower) {
    r.files[0].changes = {{20, 0.2}};
    r.files[0].interval = r.files[1].interval = r.files[1].firstInterval = 0.2;
  }
  for (double t : read)
    for (int c = 0; c < 2; ++c) r.log.replies.push_back(t + c * 1e-4 + 0.0002);
  const double step = slower ? 0.2 : kInterval;
  for (int k = 0; k < 20; ++k)
    r.text.push_back({step * (k + 1), r.files[1].cells[0][k], r.files[1].cells[1][k]});
  return r;
}

void RenumberText(Files& r, double step) {
  r.text.clear();
  for (std::size_t k = 0; k < r.files[1].cells[0].size(); ++k)
    r.text.push_back({step * static_cast<double>(k + 1), r.files[1].cells[0][k], r.files[1].cells[1][k]});
}

// From sample `k`'s second channel on, every reading 0.6 s later, and a gap of 0.6 s
// logged (and marked) at sample k.
void LateFrom(Files& r, int k) {
  constexpr double kLate = 0.6;
  for (int part = 0, first = 0; part < 2; first += static_cast<int>(r.files[part].cells[0].size()), ++part)
    for (int c = 0; c < 2; ++c)
      for (std::size_t i = 0; i < r.files[part].cells[c].size(); ++i)
        if (first + static_cast<int>(i) > k || (first + static_cast<int>(i) == k && c == 1))
          r.files[part].cells[c][i] += kRate * kLate;
  for (std::size_t i = 2 * static_cast<std::size_t>(k) + 1; i < r.log.replies.size(); ++i)
    r.log.replies[i] += kLate;
  r.files[0].gaps.insert(r.files[0].gaps.begin(), {k, kLate});
  r.files[0].markers.insert(r.files[0].markers.begin(), {k + 1, 166});
  RenumberText(r, kInterval);
}

// The log's readings of what the files hold, as an instrument asked for each channel in
// turn answered them (channel 2's value tells the sweep's time; a zeroed channel 1 read
// its input all the same); a streaming instrument's lines likewise.
void ReadingsOf(Files& r, double base1, bool stream, int input2 = 2) {
  r.log.readingsLogged = true;
  for (const StoredFile& f : r.files)
    for (std::size_t k = 0; k < f.cells[0].size(); ++k) {
      const double t = kOrigin + (f.cells[1][k] - 4) / kRate - 1e-4;
      const double first = f.cells[0][k] == 0 ? base1 + kRate * (t - kOrigin) : f.cells[0][k];
      if (stream)
        r.log.lines.push_back({t + 0.001, {first, f.cells[1][k]}});
      else
        r.log.reads.push_back({t, 1, first, {}, 0}), r.log.reads.push_back({t + 1e-4, input2, f.cells[1][k], {}, 0});
    }
  std::sort(r.log.lines.begin(), r.log.lines.end(),
            [](const SimLog::Line& a, const SimLog::Line& b) { return a.sent < b.sent; });
}

// The reading of channel `c` at sample `k` of the first file.
SimLog::Read* ReadAt(Files& r, int k, int c) {
  return &r.log.reads[static_cast<std::size_t>(2 * k + c)];
}

struct Breach {
  const char* name;
  int fails;  // an InvariantId, or kNone
  std::function<void(Files&)> make;
  bool slower = false;
  bool switched = false;  // channel 1 on device 2, the reference device 1
  bool feedback = false;  // two feedback steps of a second: 2-3 V, then 1-1.5 V
  bool stream = false;    // a streaming instrument's lines, not replies
  double base1 = 0;       // input 1's value at the log's origin
  // Applied after the log's readings are made from the files: a cell no longer its
  // reading, or a reading changed or gone.
  std::function<void(Files&)> unread = nullptr;
  // An ADAM's two modules share the line: channel 1 on module 01 (input 1), channel 2
  // on module 03 (input 9); the values as its replies give them, to 0.1 mV.
  bool twoModules = false;
  // A second look-up the breach shows in: a sample of copies alone, with a reply
  // answered in time that it does not hold, pairs with no sweep, so its cells were
  // never asked as well.
  int alsoFails = kNone;
  bool linked = false;  // channel 2 zero-linked to channel 1, the links on
};

// A streaming instrument froze from 1.05 s to 1.65 s after the first sample; sample 11
// holds a line it held, measured at 1.45 s and sent, with the others, when it ended: it
// stands there after a gap of 0.55 s, and the run goes on from there. With `inLog`, the
// log shows the burst.
void HeldBackLine(Files& r, bool inLog) {
  constexpr double kGap = 0.55, kMeasured = 0.35;
  for (int part = 0, first = 0; part < 2; first += static_cast<int>(r.files[part].cells[0].size()), ++part)
    for (auto& channel : r.files[part].cells)
      for (std::size_t i = 0; i < channel.size(); ++i)
        if (first + static_cast<int>(i) >= 11)
          channel[i] += kRate * (first + static_cast<int>(i) == 11 ? kMeasured : kGap);
  r.files[0].gaps.insert(r.files[0].gaps.begin(), {11, kGap});
  r.files[0].markers.insert(r.files[0].markers.begin(), {12, 166});
  const double from = kOrigin + 1 + 1.05, to = kOrigin + 1 + 1.65;
  r.log.faults = r.log.freezes = {{from, to}};
  for (double measured = from; inLog && measured < to; measured += 0.05)
    r.log.lines.push_back({to, {kRate * (measured - kOrigin), 4 + kRate * (measured - kOrigin + 1e-4)}});
  RenumberText(r, kInterval);
}

// Sample k's last reply (channel 2's) cut in two, its rest 0.3 s after its request, in a
// fault's span: the sample stands when the rest came, after a gap that long (logged and
// marked), and the samples after it are read that much later.
void PartialRestAt(Files& r, int k) {
  constexpr double kRest = 0.3;
  for (int part = 0, first = 0; part < 2; first += static_cast<int>(r.files[part].cells[0].size()), ++part)
    for (auto& channel : r.files[part].cells)
      for (std::size_t i = 0; i < channel.size(); ++i)
        if (first + static_cast<int>(i) > k) channel[i] += kRate * kRest;
  for (std::size_t i = 2 * static_cast<std::size_t>(k) + 2; i < r.log.replies.size(); ++i)
    r.log.replies[i] += kRest;
  r.log.replies.push_back(r.log.replies[2 * static_cast<std::size_t>(k) + 1] + kRest);
  std::sort(r.log.replies.begin(), r.log.replies.end());
  r.files[0].gaps.insert(r.files[0].gaps.begin(), {k, kRest});
  r.files[0].markers.insert(r.files[0].markers.begin(), {k + 1, 166});
  r.log.faults = {{kOrigin + 1 + kInterval * k, kOrigin + 1 + kInterval * k + kRest + 0.05}};
  RenumberText(r, kInterval);
}

// The first file's save took `took` s and the second file's samples were read `late` s
// after it ended, as the first's saved at once would have been.
void SavedSlowly(Files& r, double took, double late) {
  r.files[0].saveEnded += took;
  for (auto& channel : r.files[1].cells)
    for (double& v : channel) v += kRate * (took + late);
  RenumberText(r, kInterval);
}

// Sample 7 a sample of -99999 alone in a streaming instrument's run; with `noise`, the
// line it read came with line noise in it.
void StreamedMinus(Files& r, bool noise) {
  for (auto& channel : r.files[0].cells) channel[7] = -99999;
  r.log.lines[7].clean = !noise;
}

// `n` replies stored nowhere between the run's start and its first sample.
void RepliesBeforeTheFirstSample(Files& r, int n) {
  for (int i = 0; i < n; ++i) r.log.replies.push_back(kOrigin + 1 - 0.28 + 0.035 * i);
  std::sort(r.log.replies.begin(), r.log.replies.end());
}

// Output 2 as feedback set it: within step 1, then step 2, then `past` volts once the
// schedule has ended (the run starts 0.3 s before its first sample).
void Outputs(Files& r, double past) {
  const double start = kOrigin + 1 - 0.3;
  r.log.output2 = {{start + 0.5, 2.5}, {start + 1.6, 1.2}, {start + 3, past}, {start + 5, past}};
}

// The device commands of periodic references: the reference (device 1) from the start,
// device 3 from 0.95 s (channel 1's device 2 off: samples 10 to 14 zeroed) and device
// 2 from 1.45 s, each between two sweeps.
void Switch(Files& r, bool zeroed) {
  r.log.outputs = {{kOrigin + 0.5, 1}, {kOrigin + 1 + 0.95, 3}, {kOrigin + 1 + 1.45, 2}};
  if (zeroed)
    for (int k = 10; k <= 14; ++k) r.files[0].cells[0][k] = 0;
}

// The header each file holds: the plan's interface, channels, inputs and labels, one
// reading a sample (and, once the breach is made, its markers counted).
void Headed(Files& r, const Plan& p) {
  for (StoredFile& f : r.files) {
    f.interfaceCode = p.kind->fileCode;
    f.headerChannels = p.channels;
    f.inputs = p.inputs;
    f.blocks.clear();
    for (const std::string& label : p.labels)
      f.blocks.push_back({0, 1, 0, 0, 1, label + std::string(30 - label.size(), ' ')});
  }
}

// Module 03 silent at sample 7, and nothing asked at sample 8: channel 2 a copy at 7
// and -99999 at 8, channel 1 at 8 -99999 (or, with `copy`, its value at 7).
void HeldByModule3(Files& r, bool copy) {
  ReadAt(r, 7, 1)->fault = "silent";
  r.log.reads.erase(r.log.reads.begin() + 16, r.log.reads.begin() + 18);
  r.files[0].cells[1][7] = r.files[0].cells[1][6];
  r.files[0].cells[1][8] = -99999;
  r.files[0].cells[0][8] = copy ? r.files[0].cells[0][7] : -99999;
  r.log.faults = {{kOrigin + 1 + 0.7, kOrigin + 1 + 0.9}};
}

// Module 01 silent at sample 7 (its channel a copy there) and back at sample 8: module
// 03, which answers, is asked before it in both sweeps.
void Module1AskedLast(Files& r) {
  ReadAt(r, 7, 0)->fault = "silent";
  r.files[0].cells[0][7] = r.files[0].cells[0][6];
  for (int k : {7, 8}) {
    SimLog::Read &a = *ReadAt(r, k, 0), &b = *ReadAt(r, k, 1);
    std::swap(a.t, b.t);
    std::swap(a, b);
  }
}

// One byte echoed halfway between samples 4 and 5; with `asked`, the log shows the
// output byte (64..127) it echoes.
void OutputByteEcho(Files& r, bool asked) {
  const double at = kOrigin + 1 + 0.45;
  if (asked) r.log.outputBytes.push_back(at);
  r.log.replies.push_back(at + 2e-5);
  std::sort(r.log.replies.begin(), r.log.replies.end());
}

// Sample 7's sweep never asked, both its channels copies of sample 6, and a scan of
// input 3 with `fault` just before it, in a fault's span.
void ScanBeforeSample7(Files& r, const std::string& fault) {
  r.log.reads.erase(r.log.reads.begin() + 14, r.log.reads.begin() + 16);
  r.log.reads.insert(r.log.reads.begin() + 14, {kOrigin + 1 + 0.66, 3, 1.0, fault, 0});
  for (int c : {0, 1}) r.files[0].cells[c][7] = r.files[0].cells[c][6];
  r.log.faults = {{kOrigin + 1 + 0.65, kOrigin + 1 + 0.75}};
}

// The gap of LateFrom(r, 12) in a fault's span, the reference put on 1.15 s into the
// file, inside the gap, and marked at sample 12; with `named`, its pause-log line says so.
void SwitchInAGap(Files& r, bool named) {
  LateFrom(r, 12);
  r.log.faults = {{kOrigin + 1 + 1.2 + 0.1, kOrigin + 1 + 1.2 + 0.5}};
  r.log.outputs = {{kOrigin + 0.5, 1}, {kOrigin + 1 + 1.15, 1}};
  r.files[0].markers.insert(r.files[0].markers.begin() + 1, {13, 'R'});
  if (named) r.files[0].gapSwitches = {{12, 'R', 1.15}};
}

// Channel 2 zeroed with channel 1 at samples 10 to 14 (their replies gone from the log);
// with `true0`, also at sample 5, where channel 1's input read exactly 0.
void LinkedZeros(Files& r, bool true0) {
  for (int k = 10; k <= 14; ++k) r.files[0].cells[1][k] = 0;
  std::erase_if(r.log.replies, [](double t) { return t > kOrigin + 1 + 0.95 && t < kOrigin + 1 + 1.45; });
  if (!true0) return;
  ReadAt(r, 5, 0)->value = 0;
  r.files[0].cells[0][5] = r.files[0].cells[1][5] = 0;
}

const Breach kBreaches[] = {
    {"Clean", kNone, [](Files&) {}},
    {"IntervalChangedInThePauseWindowFromItsCase", kNone, [](Files&) {}, true},
    // The same file with its caution naming no case: every sample timed at the new
    // interval, as if the change held from sample 0.
    {"IntervalChangeTakenFromTheStart", kTimes,
     [](Files& r) {
       r.files[0].changes = {{0, 0.2}};
     },
     true},
    {"NoFileDecodes", kStored,
     [](Files& r) {
       for (StoredFile& f : r.files) f.problem = "not a chart file";
     }},
    {"SweepInTwoFiles", kOnce,
     [](Files& r) {
       for (auto c : {0, 1})
         r.files[1].cells[c].insert(r.files[1].cells[c].begin(), r.files[0].cells[c].back());
       RenumberText(r, kInterval);
     }},
    {"SweepLostBetweenPeriods", kOnce,
     [](Files& r) {
       for (auto c : {0, 1}) r.files[1].cells[c].erase(r.files[1].cells[c].begin());
       RenumberText(r, kInterval);
     }},
    // A fault in the log excuses the replies in its own span, not the lost sweep's.
    {"SweepLostBesideAFault", kOnce,
     [](Files& r) {
       for (auto c : {0, 1}) r.files[1].cells[c].erase(r.files[1].cells[c].begin());
       RenumberText(r, kInterval);
       r.log.faults = {{kOrigin + 1 + 2 + 2 + 1.5, kOrigin + 1 + 2 + 2 + 1.6}};
     }},
    // An ADC-1's output byte between two sweeps, echoed: a device command, no reading;
    // the same echo with no output byte asked for is a reply stored nowhere.
    {"AnOutputBytesEchoBetweenSweeps", kNone, [](Files& r) { OutputByteEcho(r, true); }},
    {"AnEchoBetweenSweepsWithNoOutputByte", kOnce, [](Files& r) { OutputByteEcho(r, false); }},
    {"AnotherChannelsValue", kCells, [](Files& r) { r.files[0].cells[1][5] = r.files[0].cells[0][5]; }},
    // A sweep whose second reply timed out in a fault: its last reading 0.6 s after its
    // first, the sample standing at its last (a gap before it), the run going on after.
    {"ReadingsOfOneSweepAcrossAFault", kNone,
     [](Files& r) {
       LateFrom(r, 12);
       r.log.faults = {{kOrigin + 1 + 1.2 + 0.1, kOrigin + 1 + 1.2 + 0.5}};
     }},
    {"ReadingsOfOneSweepFarApartWithNothingFailing", kCells, [](Files& r) { LateFrom(r, 12); }},
    // The reference put on in that gap: marked at the sample after it, and named with its
    // time in the pause log after the gap's line.
    {"ASwitchInAGapNamedInItsLine", kNone, [](Files& r) { SwitchInAGap(r, true); }, false, true},
    {"ASwitchInAGapNotNamed", kGaps, [](Files& r) { SwitchInAGap(r, false); }, false, true},
    {"AValueHeldTwice", kCells,
     [](Files& r) { r.files[0].cells[0][6] = r.files[0].cells[0][7] = r.files[0].cells[0][5]; }},
    {"PauseMarkerMovedOffItsSample", kGaps,
     [](Files& r) {
       r.files[0].markers = {{21, 'x'}, {22, 166}};
     }},
    // A gap and a pause at one sample: two lines there, both markers at it.
    {"GapAndPauseAtOneSample", kNone,
     [](Files& r) {
       r.files[0].gaps = {{20, 1.0}, {20, 1.0}};
       r.files[0].markers = {{21, 166}, {21, 166}, {25, 'a'}};
     }},
    // A gap the file ends in: its line after the last sample, its marker on it.
    {"GapTheFileEndsInMarkedOnItsLastSample", kNone,
     [](Files& r) {
       r.files[1].gaps = {{20, 0.5}};
       r.files[1].markers = {{20, 166}};
     }},
    {"PauseWithoutMarker", kGaps,
     [](Files& r) {
       r.files[0].markers = {{25, 'a'}};
     }},
    {"MarkerBeyondTheLastSample", kGaps,
     [](Files& r) {
       r.files[1].markers = {{22, 'k'}};
     }},
    {"PauseLoggedShort", kTimes,
     [](Files& r) {
       r.files[0].gaps = {{20, 0.5}};
     }},
    {"TextRowAtAnotherTime", kText, [](Files& r) { r.text[5][0].value += 0.5; }},
    {"FeedbackWithinItsStepsAndTheLastAfterIt", kNone, [](Files& r) { Outputs(r, 1.4); }, false, false, true},
    {"FeedbackPastItsLastStepToARail", kOutputs, [](Files& r) { Outputs(r, 5); }, false, false, true},
    {"SwitchedChannelZeroedWhileItsDeviceIsOff", kNone, [](Files& r) { Switch(r, true); }, false, true},
    {"SwitchedChannelReadWhileItsDeviceIsOff", kCells, [](Files& r) { Switch(r, false); }, false, true},
    // The line hangs up after sample 14's sweep, before the switch from device 3 that
    // was due: sample 15 holds copies (nothing asked), and channel 1 the reading of
    // input 1 that its device's zero stood in for at sample 14, taken while device 2 was
    // off, and still off.
    {"SwitchedChannelHoldsAReadingOfItsDeviceOff", kCells,
     [](Files& r) {
       Switch(r, true);
       r.log.outputs.back().first = kOrigin + 1 + 1.95;
       for (int k = 15; k <= 19; ++k) r.files[0].cells[0][k] = 0;
     },
     false, true, false, false, 0,
     [](Files& r) {
       r.log.reads.erase(r.log.reads.begin() + 30, r.log.reads.begin() + 32);
       r.log.hangups = {kOrigin + 1 + 1.45};
       r.log.faults = {{kOrigin + 1 + 1.45, kOrigin + 1 + 1.55}};
       r.files[0].cells[0][15] = ReadAt(r, 14, 0)->value;
       r.files[0].cells[1][15] = r.files[0].cells[1][14];
     }},
    // A DT800's two priming passes and the sweep the run times before its first
    // sample are stored nowhere; a sweep more is a sweep lost.
    {"PrimingSweepsStoredNowhere", kNone, [](Files& r) { RepliesBeforeTheFirstSample(r, 6); }},
    {"ASweepMoreThanThePrimingStoredNowhere", kOnce, [](Files& r) { RepliesBeforeTheFirstSample(r, 8); }},
    {"StreamLineAFreezeHeldBackStandsAtItsArrival", kNone, [](Files& r) { HeldBackLine(r, true); }, false,
     false, false, true},
    {"StreamLineLateWithNoBurstInTheLog", kTimes, [](Files& r) { HeldBackLine(r, false); }, false, false,
     false, true},
    // The first sample after the pause holds a line that waited through it.
    {"StreamLineSentBeforeTheResumeStoredAfterIt", kTimes,
     [](Files& r) {
       for (auto& channel : r.files[0].cells) channel[20] -= kRate * 0.25;
     },
     false, false, false, true},
    {"SwitchedChannelZeroedWhileTheReferenceIsOn", kCells,
     [](Files& r) {
       Switch(r, true);
       r.files[0].cells[0][5] = 0;
     },
     false, true},
    // Input 1 rises through 0 V at sample 5, read while the reference is on: a true 0,
    // not the zero of a device that is off.
    {"SwitchedChannelReadAsItsInputCrossesZero", kNone,
     [](Files& r) {
       Switch(r, true);
       for (StoredFile& f : r.files)
         for (double& v : f.cells[0])
           if (v != 0) v -= 0.75;
       r.files[0].cells[0][5] = 0;
       RenumberText(r, kInterval);
     },
     false, true, false, false, -0.75},
    // A copy of the sample before where the channel's request went unanswered is the
    // program's default for a failed reading.
    {"ACopyWhereItsRequestFailed", kNone, [](Files&) {}, false, false, false, false, 0,
     [](Files& r) {
       ReadAt(r, 7, 0)->fault = "silent";
       r.files[0].cells[0][7] = r.files[0].cells[0][6];
     }},
    {"MinusWhereItsRequestWasLate", kNone, [](Files&) {}, false, false, false, false, 0,
     [](Files& r) {
       ReadAt(r, 7, 0)->fault = "late";
       ReadAt(r, 7, 0)->ms = 584;
       r.files[0].cells[0][7] = -99999;
     }},
    // A failed request cuts the rest of its sweep: the channels after it, never asked,
    // keep their last value too.
    {"ACopyWhereAFailureCutTheSweep", kNone, [](Files&) {}, false, false, false, false, 0,
     [](Files& r) {
       ReadAt(r, 7, 0)->fault = "silent";
       r.log.reads.erase(r.log.reads.begin() + 15);
       for (int c : {0, 1}) r.files[0].cells[c][7] = r.files[0].cells[c][6];
       r.log.faults = {{kOrigin + 1 + 0.69, kOrigin + 1 + 0.75}};
     }},
    // A later reply of the sweep that ran on (the reply before sent again behind it)
    // leaves the program unable to tell which request each reply of the sweep answered:
    // it fails them all (a later request that went silent confirms them: the soak's
    // self-test breaks a recorded run so).
    {"ACopyBeforeALaterReplyOfItsSweepThatRanOn", kNone, [](Files&) {}, false, false, false, false, 0,
     [](Files& r) {
       ReadAt(r, 7, 1)->fault = "stale";
       for (int c : {0, 1}) r.files[0].cells[c][7] = r.files[0].cells[c][6];
       r.log.faults = {{kOrigin + 1 + 0.69, kOrigin + 1 + 0.75}};
     }},
    // A later reply of the sweep held back whole past its time-out is a wait with nothing
    // arriving: it confirms the replies before it, and a copy in their place loses one.
    {"ACopyBeforeALaterReplyOfItsSweepThatCameLate", kAnswered, [](Files&) {}, false, false, false, false, 0,
     [](Files& r) {
       ReadAt(r, 7, 1)->fault = "late";
       ReadAt(r, 7, 1)->ms = 584;
       for (int c : {0, 1}) r.files[0].cells[c][7] = r.files[0].cells[c][6];
       r.log.faults = {{kOrigin + 1 + 0.69, kOrigin + 1 + 0.75}};
     },
     false, kHeld},
    // A reply cut in two whose rest came well within the time-out came whole: the
    // reader takes it to its line end, and a copy in its place loses a good reading.
    // Without its rest it failed, and the copy is the program's default.
    {"ACopyWhereAPartialReplyCameWholeInTime", kAnswered, [](Files&) {}, false, false, false, false, 0,
     [](Files& r) {
       ReadAt(r, 7, 0)->fault = "partial";
       ReadAt(r, 7, 0)->restMs = 50;
       r.files[0].cells[0][7] = r.files[0].cells[0][6];
     }},
    {"ACopyWhereAPartialReplysRestNeverCame", kNone, [](Files&) {}, false, false, false, false, 0,
     [](Files& r) {
       ReadAt(r, 7, 0)->fault = "partial";
       r.files[0].cells[0][7] = r.files[0].cells[0][6];
     }},
    {"ACopyWhereItsRequestWasNeverSent", kHeld, [](Files&) {}, false, false, false, false, 0,
     [](Files& r) {
       r.log.reads.erase(r.log.reads.begin() + 14);
       r.files[0].cells[0][7] = r.files[0].cells[0][6];
     }},
    // Module 03's request went unanswered at sample 7 (its channel a copy there): the
    // line is held for its late reply, so module 01 is not asked at sample 8 and its
    // channel is -99999 there, never its last value.
    {"MinusWhereAnotherModuleHeldTheLine", kNone, [](Files&) {}, false, false, false, false, 0,
     [](Files& r) { HeldByModule3(r, false); }, true},
    {"ACopyWhereAnotherModuleHeldTheLine", kHeld, [](Files&) {}, false, false, false, false, 0,
     [](Files& r) { HeldByModule3(r, true); }, true},
    {"ASilentModuleAskedAfterTheOther", kNone, [](Files&) {}, false, false, false, false, 0,
     [](Files& r) { Module1AskedLast(r); }, true},
    // A scan of input 3 (a channel averaged over the interval, outside the sweep) went
    // unanswered before sample 7's sweep: the instrument stopped answering, and the
    // sweep's channels, never asked, keep their last value; after a scan answered well
    // they may not.
    {"ACopyWhereAFailedScanCutTheSweep", kNone, [](Files&) {}, false, false, false, false, 0,
     [](Files& r) { ScanBeforeSample7(r, "silent"); }},
    {"ACopyAfterAScanAnsweredWell", kHeld, [](Files&) {}, false, false, false, false, 0,
     [](Files& r) { ScanBeforeSample7(r, ""); }},
    {"MinusWhereTheLogHasAGoodReply", kAnswered, [](Files&) {}, false, false, false, false, 0,
     [](Files& r) { r.files[0].cells[0][7] = -99999; }},
    {"ACopyWhereTheLogHasAGoodReply", kAnswered, [](Files&) {}, false, false, false, false, 0,
     [](Files& r) { r.files[0].cells[1][7] = r.files[0].cells[1][6]; }},
    {"AValueScaledBy1001", kLookup, [](Files&) {}, false, false, false, false, 0,
     [](Files& r) { r.files[0].cells[1][7] *= 1.001; }},
    {"ASwitchMarkerWithNoCommand", kSwitches, [](Files&) {}, false, false, false, false, 0,
     [](Files& r) { r.files[0].markers.push_back({8, 'S'}); }},
    // Device 3 put on between sample 9's sweep and sample 10's, device 2 between 14's
    // and 15's: each switch's marker at the first sample its readings apply to.
    {"SwitchMarkersAtTheirCommandsSamples", kNone,
     [](Files& r) {
       Switch(r, true);
       r.files[0].markers.insert(r.files[0].markers.begin(), {{11, 'S'}, {16, 'S'}});
     },
     false, true},
    {"SwitchMarkerASampleLate", kSwitches,
     [](Files& r) {
       Switch(r, true);
       r.files[0].markers.insert(r.files[0].markers.begin(), {{12, 'S'}, {16, 'S'}});
     },
     false, true},
    {"SwitchMarkerOfTheReferenceMarkedAsASample", kSwitches,
     [](Files& r) {
       Switch(r, false);
       r.log.outputs[1].second = 1;
       r.files[0].markers.insert(r.files[0].markers.begin(), {11, 'S'});
     },
     false, true},
    // A switch applied a sample late: its device's zero at the first sample read after
    // the command that put it on, its reading at the first read after the one that shut it.
    {"SwitchedChannelZeroedAtItsDevicesFirstSample", kZeros,
     [](Files& r) {
       Switch(r, true);
       r.files[0].cells[0][15] = 0;
     },
     false, true},
    {"SwitchedChannelReadAtItsDevicesFirstShutSample", kZeros,
     [](Files& r) {
       Switch(r, true);
       r.files[0].cells[0][10] = 0.5 * 2.0;
     },
     false, true},
    // Channel 2 zero-linked to channel 1: zeroed with it while its device is shut (those
    // samples, zero throughout, tell no time: their replies are left out), never where
    // channel 1 reads a true 0 with its device on.
    {"ALinkedZeroWhileItsPrimarysDeviceIsShut", kNone, [](Files& r) { Switch(r, true); }, false, true, false, false,
     0, [](Files& r) { LinkedZeros(r, false); }, false, kNone, true},
    {"ALinkedZeroWhereItsPrimaryReadsATrue0", kZeros, [](Files& r) { Switch(r, true); }, false, true, false, false,
     0, [](Files& r) { LinkedZeros(r, true); }, false, kNone, true},
    // The header: another kind's interface code, a count of readings averaged that no
    // sample took, another channel's label, a typed marker gone.
    {"HeaderInterfaceCodeOfAnotherKind", kHeader, [](Files& r) { r.files[1].interfaceCode = 83; }},
    {"HeaderReadingsAveragedStatedAs4", kHeader, [](Files& r) { r.files[0].blocks[0].averaged = 4; }},
    {"HeaderLabelOfAnotherChannel", kHeader,
     [](Files& r) { r.files[0].blocks[1].label = r.files[0].blocks[0].label; }},
    {"ATypedMarkerLost", kHeader, [](Files& r) { r.files[0].markers.pop_back(); }},
    {"AZeroOnAnUnswitchedChannel", kZeros, [](Files&) {}, false, false, false, false, 0,
     [](Files& r) { r.files[0].cells[1][7] = 0; }},
    {"AStreamedValueNotItsLines", kLookup, [](Files&) {}, false, false, false, true, 0,
     [](Files& r) { r.files[0].cells[1][7] *= 1.001; }},
    // A streamed sample holds one line's fields: -99999 or a copy stands only where the
    // read failed, which the log shows as a line with line noise, short, or none.
    {"AStreamedSampleOfMinusWhereItsLineCameWithNoise", kNone, [](Files&) {}, false, false, false, true, 0,
     [](Files& r) { StreamedMinus(r, true); }},
    {"AStreamedSampleOfMinusWhereItsLineCameWhole", kAnswered, [](Files&) {}, false, false, false, true, 0,
     [](Files& r) { StreamedMinus(r, false); }},
    {"AStreamedSampleTheOneBeforesWhereItsLineCameWhole", kAnswered, [](Files&) {}, false, false, false, true, 0,
     [](Files& r) {
       for (auto& channel : r.files[0].cells) channel[7] = channel[6];
     }},
    {"AStreamedChannelMinusWhereItsLineHoldsAValue", kAnswered, [](Files&) {}, false, false, false, true, 0,
     [](Files& r) { r.files[0].cells[0][7] = -99999; }},
    // A period begins one interval after its save: a slow save delays it, a lost sample
    // leaves its period file short.
    {"StreamPeriodBegunAnIntervalAfterASlowSave", kNone, [](Files& r) { SavedSlowly(r, 0.15, 0); }, false,
     false, false, true},
    {"StreamPeriodBegunLateAfterItsSave", kOnce, [](Files& r) { SavedSlowly(r, 0, 0.3); }, false, false, false,
     true},
    {"StreamSampleLostAtAPeriodsEnd", kOnce,
     [](Files& r) {
       for (auto& channel : r.files[0].cells) channel.pop_back();
     },
     false, false, false, true},
    // A reading stands when its reply is in: a reply cut in two, when its rest came.
    {"ASampleStandsWhenItsPartialReplysRestCame", kNone, [](Files& r) { PartialRestAt(r, 12); }, false, false,
     false, false, 0,
     [](Files& r) {
       ReadAt(r, 12, 1)->fault = "partial";
       ReadAt(r, 12, 1)->restMs = 300;
     }},
    // Each text value is the chart file's to the digits written.
    {"ATextValueRoundedToTheDigitsWritten", kNone,
     [](Files& r) { r.text[5][1] = TextNumber(std::round(r.text[5][1].value * 1e4) / 1e4, 5e-5); }},
    {"ATextValueOffInItsLastDigitWritten", kText,
     [](Files& r) { r.text[5][1] = TextNumber(r.text[5][1].value + 3e-6, 5e-7); }},
};

void PrintTo(const Breach& b, std::ostream* out) {
  *out << b.name;
}

class SoakCheck : public ::testing::TestWithParam<Breach> {};

TEST_P(SoakCheck, EachBrokenRuleFailsItsOwnInvariant) {
  Options o;
  o.kind = GetParam().stream ? "stream" : "dt800";
  o.interval = kInterval;
  o.seconds = 7;
  Plan plan;
  plan.kind = FindKind(o.kind);
  plan.channels = 2;
  plan.inputs = {1, 2};
  plan.interval = kInterval;
  plan.rate = kRate;
  plan.bases = {GetParam().base1, 4};
  plan.pauses = {{2, 2}};
  plan.markers = {{2.5, 'a'}};
  plan.labels = {"soak ch 1", "soak ch 2"};
  plan.periodSamples = 30;
  if (GetParam().feedback) plan.feedback = {{0, 1, 2, 3, 1 / 60.0}, {0, 1, 1, 1.5, 1 / 60.0}};
  if (GetParam().switched) {
    plan.devices = {2, 0};
    plan.reference = 1;
  }
  if (GetParam().linked) plan.zeroLinkOf = {-1, 0}, plan.zeroLinksOn = true;
  if (GetParam().twoModules) {
    o.kind = "adam";
    plan.kind = FindKind(o.kind);
    plan.inputs = {1, 9};
    plan.bases = {GetParam().base1, 0, 0, 0, 0, 0, 0, 0, 4};
  }
  Files r = Recording(GetParam().slower);
  Headed(r, plan);
  GetParam().make(r);
  if (GetParam().twoModules) {
    for (StoredFile& f : r.files)
      for (auto& channel : f.cells)
        for (double& v : channel) v = static_cast<float>(std::round(v * 1e4) / 1e4);
    RenumberText(r, kInterval);
  }
  ReadingsOf(r, GetParam().base1, GetParam().stream, GetParam().twoModules ? 9 : 2);
  if (GetParam().unread) {
    GetParam().unread(r);
    RenumberText(r, kInterval);
  }
  for (StoredFile& f : r.files) f.headerMarkers = static_cast<int>(f.markers.size());
  const Report report = Check(plan, o, r.files, r.text, r.log, {});
  // A breach of a rule the log's readings look up may show in the checks that time
  // readings by their values too, and one of those in the look-up; within each set,
  // only its own check.
  const int fails = GetParam().fails;
  for (int i = 0; i < static_cast<int>(report.invariants.size()); ++i) {
    if (fails == kNone || (i < kLookup) == (fails < kLookup)) {
      EXPECT_EQ(report.invariants[i].violations > 0, i == fails || i == GetParam().alsoFails) << report.Text();
    }
  }
  if (GetParam().stream && GetParam().fails == kNone && !r.log.freezes.empty()) {
    EXPECT_EQ(report.invariants[kTimes].counted, 1) << "the line sent late is counted apart";
  }
}

INSTANTIATE_TEST_SUITE_P(Breaches, SoakCheck, ::testing::ValuesIn(kBreaches),
                         [](const ::testing::TestParamInfo<Breach>& info) { return info.param.name; });

// More channels than a kind reads is refused with the kind's limit, never run as fewer;
// a UI3 takes 16 on its 8 inputs, each input read twice.
TEST(SoakOptions, AChannelCountTheKindCannotRecordIsRefused) {
  Options dt;
  dt.kind = "dt800";
  dt.channels = 16;
  EXPECT_NE(SettleOptions(dt).find("at most 8"), std::string::npos);
  Options ui3;
  ui3.kind = "ui3";
  ui3.channels = 16;
  ui3.interval = 0.01;
  ASSERT_EQ(SettleOptions(ui3), "");
  const Plan p = MakePlan(ui3);
  ASSERT_EQ(p.channels, 16);
  EXPECT_EQ(p.inputs[8], 1);
  EXPECT_EQ(p.inputs[15], 8);
  EXPECT_EQ(p.fastInput, 8) << "the last channel's input rises as a sawtooth";
}

// The simulator rises at the very rates the checks time readings by: over an hour a
// rate that differed in its seventh digit would put the readings a second off.
TEST(SoakOptions, TheSimulatorIsGivenTheRatesAndBasesTheChecksUse) {
  const auto number = [](const std::string& text) {
    double v = 0;
    std::from_chars(text.data(), text.data() + text.size(), v);
    return v;
  };
  for (const char* kind : {"ui3", "adc1"}) {
    Options o;
    o.kind = kind;
    o.seconds = 3600;
    ASSERT_EQ(SettleOptions(o), "");
    const Plan p = MakePlan(o);
    const std::vector<std::string> args = SimArguments(p, o);
    const auto after = [&](const std::string& flag) { return std::find(args.begin(), args.end(), flag) + 1; };
    EXPECT_EQ(number(*after("--ramp")), p.rate) << kind;
    const std::string base1 = *after("--value");
    EXPECT_EQ(number(base1.substr(base1.find('=') + 1)), p.bases[0]) << kind;
    const std::string schedule = ScheduleText(p);
    const std::string ramp = "0 ramp " + std::to_string(p.fastInput) + " ";
    const std::size_t at = schedule.find(ramp);
    ASSERT_NE(at, std::string::npos) << schedule;
    EXPECT_EQ(number(schedule.substr(at + ramp.size())), p.fastRate) << kind;
  }
}

}  // namespace
}  // namespace mv::soak

namespace mv::soak {
namespace {

// A fast-scope sweep as the program writes it: point 0 read by no burst, point i the
// burst's tagged number i (one a point, within the input's range) as a + b x volts, with
// `edit` applied.
class SweepView : public RecordingView {
 public:
  SweepView(const Plan& p, long block, std::function<void(std::vector<float>&)> edit) {
    points_.push_back(-99999);
    for (int i = 1; i <= p.scopePoints; ++i) {
      const long stride = sim::BurstTagStride(p.scopePoints);
      const double mv = static_cast<double>(stride * i + block % stride - 10000);
      points_.push_back(static_cast<float>(p.scopeA + p.scopeB * mv / 1000));
    }
    edit(points_);
  }
  void ChartColumns(int, int32_t, int32_t, float*) const override {}
  int MarkerCount() const override { return 0; }
  DataFileMarker MarkerAt(int) const override { return {}; }
  int NoteCount() const override { return 0; }
  DataFileNote NoteAt(int) const override { return {}; }
  float ScopeValue(int32_t position) const override { return points_[static_cast<std::size_t>(position)]; }

 private:
  std::vector<float> points_;
};

struct SweepBreach {
  const char* name;
  bool fails;
  std::function<void(std::vector<float>&)> edit;
  const char* comment = "";
  std::vector<long> blocks = {1, 2};  // each sweep's
  int failsToo = kNone;               // a second check it fails, or kNone
};

TEST(SoakScopeCheck, EveryPointNamesItsBlockAndPlaceAndNoBlockIsSavedTwice) {
  Options o;
  o.kind = "dt800";
  o.road = "fast-scope";
  ASSERT_EQ(SettleOptions(o), "");
  const Plan plan = MakePlan(o);
  SimLog log;
  log.origin = 0;
  log.burstCount = plan.scopePoints;
  const SweepBreach cases[] = {
      {"as sent", false, [](std::vector<float>&) {}},
      {"a cut block unread and said", false,
       [](std::vector<float>& v) { std::fill(v.begin() + 1000, v.end(), -99999.0f); },
       "partial block: 999 of 2048 points"},
      {"a cut block unread and not said", true,
       [](std::vector<float>& v) { std::fill(v.begin() + 1000, v.end(), -99999.0f); }},
      {"a cut block completed with values nobody sent", true,
       [](std::vector<float>& v) { std::fill(v.begin() + 1000, v.end(), 0.5f); }},
      {"millivolts over the scope's scale", true,
       [](std::vector<float>& v) {
         for (float& x : v) x = x == -99999.0f ? 0.0f : (x - 0.5f) / 2 * 1000 / 3276.5f;
       }},
      {"shifted one place under a partial note", true,
       [](std::vector<float>& v) {
         std::rotate(v.begin() + 1, v.begin() + 2, v.end());
         v.back() = -99999.0f;
       },
       "partial block: 2047 of 2048 points"},
      // A Tab while the next block records saves the block before again, as it stood.
      {"a block saved again as it stood", false, [](std::vector<float>&) {}, "", {1, 1}},
      {"a block saved twice, the saves apart", false,
       [](std::vector<float>& v) { std::fill(v.begin() + 1000, v.end(), -99999.0f); },
       "partial block: 999 of 2048 points", {1, 1}, kOnce},
      {"an older block saved for a later Tab", false, [](std::vector<float>&) {}, "", {2, 1}, kOnce},
      // Named by the blocks asked for before its save, not by the last block named (the
      // sweeps between may have been saved with their places unknown).
      {"a block saved eight blocks after the one before", false, [](std::vector<float>&) {}, "", {5, 13}},
  };
  for (const SweepBreach& c : cases) {
    SCOPED_TRACE(c.name);
    const auto dir = test::MakeTempDir("soak-scope");
    std::filesystem::create_directories(dir / "documents");
    DataFileFacts f;
    f.scopeMax = plan.scopePoints;
    f.fastScope = true;
    f.nChannels = 1;
    f.channels[1].a = static_cast<float>(plan.scopeA);
    f.channels[1].b = static_cast<float>(plan.scopeB);
    f.scopeInterval = 0.001f;
    f.comment = std::string(c.comment) + "\r";
    std::ofstream(dir / "documents" / "sweep 1", std::ios::binary)
        << EncodeScopeFile(SweepView(plan, c.blocks[0], c.edit), f);
    f.comment = "\r";
    std::ofstream(dir / "documents" / "sweep 2", std::ios::binary)
        << EncodeScopeFile(SweepView(plan, c.blocks[1], [](std::vector<float>&) {}), f);
    // Block n asked for at n / 2 s; each sweep saved once the newest block it may hold was.
    std::vector<ScopeSweep> sweeps = LoadSweeps(dir);
    ASSERT_EQ(sweeps.size(), 2u);
    log.bursts.clear();
    for (long n = 1; n <= std::max(c.blocks[0], c.blocks[1]); ++n) log.bursts.push_back(n / 2.0);
    sweeps[0].saved = c.blocks[0] / 2.0 + 0.25;
    sweeps[1].saved = std::max(c.blocks[0], c.blocks[1]) / 2.0 + 0.26;
    const Report r = CheckScopeSweeps(plan, o, sweeps, log, {});
    EXPECT_EQ(r.invariants[kCells].violations > 0, c.fails) << r.Text();
    EXPECT_EQ(r.invariants[kOnce].violations > 0, c.failsToo == kOnce) << r.Text();
    EXPECT_EQ(r.invariants[kStored].violations, 0) << r.Text();
    std::filesystem::remove_all(dir);
  }
}

}  // namespace
}  // namespace mv::soak

namespace mv::soak {
namespace {

// A module silent through two late-reply windows is rested for half its silence so far,
// at most 10 s, before it is asked again: after a long silence an ADAM run may store no
// reading of it for a window and that rest. A short silence costs one window, and a
// kind with no modules to rest is asked again after one window whatever the silence.
TEST(SoakSweeps, AnAdamModuleIsAskedAgainAWindowAndARestAfterALongSilence) {
  Plan adam;
  adam.kind = FindKind("adam");
  const Sweeps a(adam, SimLog{});
  const double window = 0.5 + 3.5;
  EXPECT_DOUBLE_EQ(a.LateReplyWait(1), window);
  EXPECT_DOUBLE_EQ(a.LateReplyWait(6), window + (6 + window) / 2);
  EXPECT_DOUBLE_EQ(a.LateReplyWait(60), window + 10);
  Plan dt;
  dt.kind = FindKind("dt800");
  EXPECT_DOUBLE_EQ(Sweeps(dt, SimLog{}).LateReplyWait(60), window);
}

}  // namespace
}  // namespace mv::soak

namespace mv::soak {
namespace {

// A look-up over a few readings of `channels` inputs of a kind at 1 s, and the period
// file its cells go in.
struct LookUpRig {
  LookUpRig(const char* kind, int channels, int baud = 0) {
    p.kind = FindKind(kind);
    p.channels = channels;
    for (int c = 1; c <= channels; ++c) p.inputs.push_back(c);
    p.interval = 1;
    p.baud = baud;
    o.kind = kind;
    o.interval = 1;
    log.origin = 5;
    log.readingsLogged = true;
  }
  static StoredFile Period(std::vector<std::vector<double>> cells) {
    StoredFile f;
    f.name = "period";
    f.interval = f.firstInterval = 1;
    f.cells = std::move(cells);
    return f;
  }
  LookupResult Run(const StoredFile& f) const { return LookUp(p, o, log, {f}, 9, 0); }
  Plan p;
  Options o;
  SimLog log;
};

// An ADC-1 on a 1,200-baud line reads a small low-gain value again at high gain some
// 90 ms on and keeps the second; a second beyond the high gain's range (the input rose
// past 8.19 mV meanwhile) leaves the first standing, which is then the cell.
struct HighGainCase {
  const char* name;
  double again;  // the high-gain reading's value
  double cell;   // what sample 1 stores
  bool fails;    // the look-up reports sample 1
};

TEST(SoakLookUp, AnAdc1SmallReadingIsReadAgainAtHighGain) {
  const HighGainCase cases[] = {
      {"HighGainWithinItsRangeKept", 0.005, 0.005, false},
      {"HighGainPastItsRangeLeavesTheLowGain", 0.0102, 0.0012, false},
      {"HighGainPastItsRangeStoredClamped", 0.0102, 0.00819, true},
      {"LowGainStoredWhereHighGainWasInRange", 0.005, 0.0012, true},
  };
  for (const HighGainCase& c : cases) {
    SCOPED_TRACE(c.name);
    LookUpRig rig("adc1", 1, 1200);
    SimLog& log = rig.log;
    log.reads = {{10, 1, 0.2, {}, 0}, {11, 1, 0.0012, {}, 0}, {11.09, 1, c.again, {}, 0}, {12, 1, 0.1, {}, 0}};
    const StoredFile f =
        LookUpRig::Period({{static_cast<float>(0.2), static_cast<float>(c.cell), static_cast<float>(0.1)}});
    const LookupResult r = rig.Run(f);
    EXPECT_EQ(r.lookup.violations + r.answered.violations + r.held.violations > 0, c.fails)
        << r.lookup.violations << " " << r.answered.violations << " " << r.held.violations;
    // The sweep was asked from its low-gain exchange on: both exchanges' replies are its.
    if (!c.fails) {
      ASSERT_EQ(r.asked.count(1), 1u);
      EXPECT_EQ(r.asked.at(1).first, 11);
    }
  }
}

// A channel averaging three readings a sample stores their mean (in double precision,
// stored single); where a silence failed its first, the sample before (or -99999),
// never the last single reading of that sample.
TEST(SoakLookUp, AChannelAveragingReadingsStoresTheirMeanOrTheSampleBefore) {
  for (const auto& [cell, fails] : {std::pair<float, bool>{1.1f, false}, {-99999, false}, {1.2f, true}}) {
    SCOPED_TRACE(cell);
    LookUpRig rig("dt500", 1);
    rig.p.readings = {3};
    rig.log.reads = {{10, 1, 1.0, {}, 0},       {10.01, 1, 1.1, {}, 0}, {10.02, 1, 1.2, {}, 0},
                     {11, 1, 2.0, "silent", 0}, {12, 1, 3.0, {}, 0},    {12.01, 1, 3.1, {}, 0},
                     {12.02, 1, 3.3, {}, 0}};
    const float mean0 = static_cast<float>((double{1.0f} + double{1.1f} + double{1.2f}) / 3);
    const float mean2 = static_cast<float>((double{3.0f} + double{3.1f} + double{3.3f}) / 3);
    const LookupResult r = rig.Run(LookUpRig::Period({{mean0, cell == 1.1f ? mean0 : cell, mean2}}));
    EXPECT_EQ(r.lookup.violations + r.held.violations + r.answered.violations > 0, fails)
        << ::testing::PrintToString(r.lookup.first);
  }
}

// An ADAM module that went silent holds the line for no other module: with the
// interval room for its time-out, the module that answers (01, after 03's channel) is
// asked in the same sample and a -99999 there is no reading's; a late reply, owed
// bytes, holds it.
TEST(SoakLookUp, AnAnsweringModuleIsAskedWhileAnotherIsSilent) {
  for (const auto& [fault, fails] : {std::pair<const char*, bool>{"silent", true}, {"late", false}}) {
    SCOPED_TRACE(fault);
    LookUpRig rig("adam", 2);
    rig.p.inputs = {9, 1};
    rig.log.reads = {{10, 9, 0.2, {}, 0},
                     {10.01, 1, 0.1, {}, 0},
                     {11, 9, 0.3, fault, fault[0] == 'l' ? 584 : 0},
                     {12, 9, 0.4, {}, 0},
                     {12.01, 1, 0.12, {}, 0}};
    const LookupResult r = rig.Run(LookUpRig::Period({{0.2f, 0.2f, 0.4f}, {0.1f, -99999, 0.12f}}));
    EXPECT_EQ(r.held.violations > 0, fails) << ::testing::PrintToString(r.held.first);
  }
}

// A reply that failed leaves the line out of step: nothing is asked until what was owed
// has come and the line has been quiet for a reply's time-out (100 ms), or, with nothing
// come, until the 3.5 s window has passed; the first sweep after owed bytes that came
// between sweeps may be given up too (they are looked for only then). Each sweep due
// meanwhile is stored unasked, -99999. One stored unasked with the line back in step
// holds no reading's mark. A sweep answered after the unasked one is the next sample's,
// even where a sweep that failed follows it (`thenFailed`).
struct OutOfStepCase {
  const char* name;
  const char* fault;  // input 2's at the sweep of 10 s ("": answered)
  int ms;             // its reply that late
  double lateByte;    // when that reply came (< 0: none)
  int unasked;        // sweeps stored unasked after it, a second apart
  bool fails;
  bool thenFailed = false;  // after the sweep answered, one whose first reply came late
};

TEST(SoakLookUp, AFailedReplyExcusesOnlyTheSweepsDueWhileTheLineWasOutOfStep) {
  const OutOfStepCase cases[] = {
      {"LateReplyStillOwedWhenTheSweepWasDue", "late", 1100, 11.27, 1, false},
      {"LateReplyOwedThenASweepAnsweredThenOneFailed", "late", 1100, 11.27, 1, false, true},
      {"SecondSweepAfterAPromptLateReply", "late", 130, 10.3, 2, true},
      {"NothingFailedBefore", "", 0, -1, 1, true},
      {"SilentWithinItsWindow", "silent", 0, -1, 3, false},
      {"SilentPastItsWindow", "silent", 0, -1, 4, true},
  };
  for (const OutOfStepCase& c : cases) {
    SCOPED_TRACE(c.name);
    LookUpRig rig("adc1", 2, 1200);
    SimLog& log = rig.log;
    const bool failed = c.fault[0] != 0;
    const double next = 10 + c.unasked + 1;
    log.reads = {{10, 1, 0.2, {}, 0}, {10.1, 2, 0.21, c.fault, c.ms, -1, failed ? 10.17 : -1},
                 {next, 1, 0.25, {}, 0}, {next + 0.1, 2, 0.26, {}, 0}};
    log.replies = {10.02, 10.12, next + 0.02, next + 0.12};
    if (c.lateByte > 0) log.replies.push_back(c.lateByte);
    if (c.thenFailed) log.reads.push_back({next + 1, 1, 0.27, "late", 1100, -1, next + 1.07});
    std::sort(log.replies.begin(), log.replies.end());
    StoredFile f = LookUpRig::Period({{static_cast<float>(0.2)}, {failed ? -99999 : static_cast<float>(0.21)}});
    for (int k = 0; k < c.unasked; ++k) f.cells[0].push_back(-99999), f.cells[1].push_back(-99999);
    f.cells[0].push_back(static_cast<float>(0.25));
    f.cells[1].push_back(static_cast<float>(0.26));
    if (c.thenFailed) f.cells[0].push_back(-99999), f.cells[1].push_back(-99999);
    const LookupResult r = rig.Run(f);
    EXPECT_EQ(r.lookup.violations + r.answered.violations, 0);
    EXPECT_EQ(r.held.violations > 0, c.fails) << (r.held.first.empty() ? "" : r.held.first.front());
  }
}

}  // namespace
}  // namespace mv::soak

namespace mv::soak {
namespace {

// A DataTaker's spike filter (ratio 2) reads the sawtooth input 2 again after each
// jump. At the last sweep the input wraps (49.9 V, again -49.8 V), nearer the reference
// than the first reading, which is a spike: the reference stands in its place. The
// reference is the channel's first reading of the sweep before (46 V), a reply cut in
// two whose rest came in time among them; after a sweep a failure cut before the
// channel was asked, it is the channel's last good reading (46.1 V, the value that
// failed turn kept). Anything else there is no value the filter keeps.
struct SpikeCase {
  const char* name;
  const char* fault;  // of sweep 2's readings: "partial" (its rest 50 ms on) or none
  bool cut;           // a sweep whose first request went silent came before the last
  double reference;
  std::vector<std::pair<double, bool>> cells;  // the last sample's channel 2: fails
};

TEST(SoakLookUp, ASpikeKeepsTheChannelsReferenceInItsPlace) {
  const SpikeCase cases[] = {
      {"FirstReadingOfTheSweepBefore", "", false, 46, {{46, false}, {-49.8, true}, {46.1, true}, {49.9, true}}},
      {"PartialRepliesThatCameWhole", "partial", false, 46, {{46, false}, {-49.8, true}, {46.1, true}}},
      {"LastGoodReadingAfterACutSweep", "", true, 46.1, {{46.1, false}, {46, true}, {-49.8, true}}},
  };
  for (const SpikeCase& c : cases) {
    SCOPED_TRACE(c.name);
    LookUpRig rig("dt500", 2);
    rig.p.spikeRatio = 2;
    SimLog& log = rig.log;
    const std::string f2 = c.fault;
    const int rest = f2.empty() ? -1 : 50;
    // A re-read follows its first reading's reply, the rest of a cut one 50 ms on.
    const double after = f2.empty() ? 0.001 : 0.06;
    log.reads = {{10, 1, 3, {}, 0},
                 {10.001, 2, 40, {}, 0},
                 {11, 1, 3.1, f2, 0, rest},
                 {11 + after, 2, 46, f2, 0, rest},
                 {11 + 2 * after + 0.01, 2, 46.1, f2, 0, rest}};
    const std::vector<std::vector<double>> cells = {{3, 3.1f}, {40, 46.1f}};
    // The sweep the silence cut stored no sample (the run logs a gap).
    if (c.cut) log.reads.push_back({12, 1, 3.2, "silent", 0});
    log.reads.push_back({13, 1, 3.3, {}, 0});
    log.reads.push_back({13.001, 2, 49.9, {}, 0});
    log.reads.push_back({13.011, 2, -49.8, {}, 0});
    const std::vector<SpikeKept> kept = SpikesKept(rig.p, log);
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].t, 13.011);
    EXPECT_EQ(kept[0].reference, c.reference);
    for (const auto& [cell, fails] : c.cells) {
      SCOPED_TRACE(cell);
      StoredFile f = LookUpRig::Period(cells);
      f.cells[0].push_back(3.3f);
      f.cells[1].push_back(static_cast<float>(cell));
      const LookupResult r = rig.Run(f);
      EXPECT_EQ(r.lookup.violations + r.answered.violations + r.held.violations > 0, fails)
          << ::testing::PrintToString(r.lookup.first) << ::testing::PrintToString(r.answered.first)
          << ::testing::PrintToString(r.held.first);
    }
  }
}

}  // namespace
}  // namespace mv::soak

namespace mv::soak {
namespace {

// A reply cut in two is timed by its rest, the chunk after its first before the next
// request; a reply with no rest before the next request has none.
TEST(SoakLookUp, APartialReplysRestIsTimedFromTheLog) {
  const SimLog log = ParseSimLog(
      "2 -- start at 1000000\n"
      "1000000 rx 38 56 0D\n1000010 rd 8 37.89\n1000020 rf partial 0\n1000030 tx 33 37\n"
      "1050030 tx 38 39 0D 0A\n"
      "1060000 rx 38 56 0D\n1060010 rd 8 39.40\n1060020 rf partial 0\n1060030 tx 33 39\n"
      "1070000 rx 31 56 0D\n1070010 rd 1 17.8\n1070020 tx 31 37 0D 0A\n");
  ASSERT_EQ(log.reads.size(), 3u);
  EXPECT_EQ(log.reads[0].restMs, 50);
  EXPECT_EQ(log.reads[1].restMs, -1);
  EXPECT_EQ(log.reads[2].restMs, -1);
}

}  // namespace
}  // namespace mv::soak
