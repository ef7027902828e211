#include "acquisition/fast_scope.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

#include "acquisition/markers.h"
#include "acquisition/needs.h"
#include "acquisition/recording_keys.h"
#include "acquisition/scope_loop.h"
#include "acquisition/state.h"
#include "conversions/state.h"
#include "devices/needs.h"
#include "devices/serial_port.h"
#include "devices/state.h"
#include "files/save_commands.h"
#include "files/save_names.h"
#include "files/state.h"
#include "kit/builders.h"
#include "kit/drawing.h"
#include "kit/format.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "runtime/system.h"
#include "runtime/windows.h"
#include "setup/state.h"

namespace mv {

// ---- codec -----------------------------------------------------------------------------

std::string BurstCommandText(int16_t input, int16_t kind, int16_t thermocoupleType, double s,
                             int32_t scopeMax) {
  std::string type;
  if (kind == 1)
    type = "VNC";
  else if (kind != 0)
    type = "R(2W)";
  else
    type = thermocoupleType == 2 ? "TJ" : thermocoupleType == 3 ? "TK" : "TT";
  // The runtime's number text: a blank before a number that is not negative.
  const std::string channel = (input >= 0 ? " " : "") + std::to_string(input) + type;
  int32_t count = scopeMax;
  int32_t rate = 2000;
  if (s <= 0.001) {
    rate = s == 0.0002 ? 10000 : s == 0.0005 ? 4000 : s == 0.001 ? 2000 : 1000;
  } else {
    count = scopeMax * (s == 0.002 ? 2 : s == 0.004 ? 4 : 8);
  }
  return "RX;BURST(" + std::to_string(count) + "," + std::to_string(rate) + ")" + channel;
}

int32_t FastScopeSampleCount(double s, int32_t scopeMax) {
  // In binary 0.002 x 2001 / 0.001 comes out a hair under 4002: one number short of
  // the burst's count would leave the last point unread, and the number left over
  // would then make every place of the block unknown.
  const double x = s * scopeMax / 0.001;
  const double whole = std::round(x);
  const double n = s <= 0.001 ? scopeMax : std::fabs(x - whole) < 1e-6 ? whole : std::trunc(x);
  if (!(n > 0)) return 0;
  return static_cast<int32_t>(std::min<double>(n, kFastMaxNumbers));
}

int32_t FastScopeSamplesPerPoint(double s) {
  return s > 0.001 ? static_cast<int32_t>(std::clamp(s * 1000, 1.0, double{kFastMaxNumbers})) : 1;
}

int32_t FastScopePoints(int32_t scopeMax) {
  return std::clamp<int32_t>(scopeMax, 0, kFastMaxPoints);
}

uint32_t FastRecordingTicks(int32_t scopeMax, double s) {
  const double d = std::trunc(FastScopePoints(scopeMax) * s * 60);
  return d > 0 ? static_cast<uint32_t>(std::min(d, 1e9)) : 0;
}

uint32_t FastDemoDownloadTicks(int32_t scopeMax, double s) {
  const int32_t sixth = FastScopePoints(scopeMax) / 6;
  if (!(s > 0.001)) return static_cast<uint32_t>(sixth);
  const double d = std::trunc(sixth * s / 0.001);
  return d > 0 ? static_cast<uint32_t>(std::min(d, 1e9)) : 0;
}

namespace {
bool IsSeparator(char c) {
  return c == ',' || c == ' ' || c == '\r' || c == '\n' || c == '\t';
}
}  // namespace

float ParseFastNumber(std::string_view item) {
  if (!item.empty() && item.front() == '+') item.remove_prefix(1);
  float v = 0;
  const auto r = std::from_chars(item.data(), item.data() + item.size(), v);
  if (item.empty() || r.ec != std::errc() || r.ptr != item.data() + item.size() || !std::isfinite(v))
    return kFastBadNumber;
  return v;
}

FastBlock DecodeFastBlock(std::string_view bytes, int32_t count) {
  FastBlock block;
  size_t i = 0;
  while (static_cast<int32_t>(block.values.size()) < count) {
    while (i < bytes.size() && IsSeparator(bytes[i])) ++i;
    if (i >= bytes.size()) break;
    size_t end = i;
    while (end < bytes.size() && !IsSeparator(bytes[end])) ++end;
    block.values.push_back(ParseFastNumber(bytes.substr(i, end - i)));
    i = end;
  }
  if (static_cast<int32_t>(block.values.size()) < count)
    block.reason = "block ended after " + std::to_string(block.values.size()) + " of " +
                   std::to_string(count) + " numbers";
  return block;
}

std::vector<float> FastBlockAverages(const std::vector<float>& raw, int32_t m, int32_t points) {
  std::vector<float> out(points > 0 ? points : 0, 0.0f);
  if (m < 1) m = 1;
  for (int32_t j = 0; j < points; ++j) {
    int64_t sum = 0;
    bool bad = false;
    for (int32_t k = 0; k < m; ++k) {
      const size_t idx = static_cast<size_t>(j) * m + k;
      // A number that never came is no reading either.
      const float v = idx < raw.size() ? raw[idx] : kFastBadNumber;
      bad |= v == kFastBadNumber;
      sum = static_cast<int64_t>(std::trunc(static_cast<double>(sum) + v));
    }
    // A number that did not come through is no reading: averaged with good ones it
    // would make a plausible value of the whole point.
    out[j] = bad ? kFastBadNumber : static_cast<float>(sum / m);
  }
  return out;
}

namespace {

// The thermocouple's running 3-point smoothing; a bad point takes no part in it.
std::vector<float> ScaleThermocoupleBlock(const std::vector<float>& av, float a, float b) {
  const size_t n = av.size();
  std::vector<float> out(n, kFastBadNumber);
  const auto good = [&](size_t i) { return av[i] != kFastBadNumber; };
  // The running value stays in the logger's degrees; only what is shown is scaled.
  double t = 0;
  bool started = false;
  for (size_t i = 0; i < n; ++i) {
    if (!good(i)) continue;
    if (!started) {
      t = av[i];
      started = true;
    } else if (i + 1 < n && good(i - 1) && good(i + 1)) {
      t = (t + av[i - 1] + av[i + 1]) * 0.3333333;
    } else if (i + 1 < n) {
      const double other = good(i - 1) ? av[i - 1] : good(i + 1) ? av[i + 1] : t;
      t = (t + other) * 0.5;
    }
    out[i] = static_cast<float>(t * b + a);
  }
  return out;
}

}  // namespace

std::vector<float> ScaleFastBlock(const std::vector<float>& av, bool thermocouple, float a, float b) {
  if (thermocouple) return ScaleThermocoupleBlock(av, a, b);
  std::vector<float> out(av.size(), kFastBadNumber);
  // A zero is the logger's reading like any other: a number that did not come is
  // already the bad-reading mark, so nothing here is made up from the neighbours.
  for (size_t i = 0; i < av.size(); ++i)
    if (av[i] != kFastBadNumber) out[i] = static_cast<float>(static_cast<double>(av[i]) * 0.001 * b + a);
  return out;
}

std::string PartialBlockText(int32_t pointsRead, int32_t points) {
  return "partial block: " + std::to_string(pointsRead) + " of " + std::to_string(points) + " points";
}

std::string PlacesUnknownText() {
  return "partial block: places unknown";
}

bool FastValueInRange(float v, int16_t kind, int16_t thermocoupleType) {
  if (!std::isfinite(v)) return false;
  if (kind == 1) return std::fabs(v) <= 10'000.0f;
  if (kind != 0) return std::fabs(v) <= 1.0e7f;
  const float top = thermocoupleType == 2 ? 1200.0f : thermocoupleType == 3 ? 1372.0f : 400.0f;
  return v >= -273.15f && v <= top;
}

int32_t FastTraceY(float v, float miny, int32_t hite, float range, int32_t bottom) {
  if (range == 0.0f) return bottom;
  const double y = std::trunc(bottom - (static_cast<double>(v) - miny) * hite / range);
  if (std::isnan(y) || y > bottom) return bottom;
  return y < 0 ? 0 : static_cast<int32_t>(y);
}

float FastTraceStep(float xFactor) {
  return xFactor > 0.0f ? std::min(xFactor, 1.0f) : 1.0f;
}

// ---- the block transfer ------------------------------------------------------------------

namespace {

constexpr int16_t kStatusField = 300;
constexpr Rect kStatusPlace{2, 17, 152, 33};
constexpr Rect kTransferBarPlace{155, 20, 277, 28};

// The first key typed since the last GETFAST: the waits pump events, and a typed key
// they deliver is kept here for GETFAST to act on.
int32_t gTypedKey = 0;

void TakeTypedKey() {
  if (Action != ActionCode::Key) return;
  if (gTypedKey == 0) gTypedKey = EventID;
  Action = ActionCode::Nothing;
}

// One look at the toolbar and the keys: Stop or Escape alone asks to stop, the save
// icon or Tab alone asks to save.
void PollStopAndSave() {
  ReadToolbarOncePerTick();
  TakeTypedKey();
  if (StopIconClicked) EscapeKeyHit = 1;
  if (SaveScopeIconClicked) TabKeyHit = 1;
  KeystrokeArray = rt::GetKeys();
  const uint16_t w = rt::KeyMapWord(KeystrokeArray, 3);
  if (TakeCommandQTyped() || w == KeyWord3::Escape) EscapeKeyHit = 1;  // Ctrl-Q ends the run too
  if (w == KeyWord3::Tab) TabKeyHit = 1;
}

// Handles what is pending once, as between the phases.
void HandlePendingEvents() {
  services::ReadControlStrip();
  TakeTypedKey();
}

uint64_t Now() {
  return rt::Ticks64();
}

// The status field and the transfer bar live on the acquisition window; the screen
// makes the bar for a DT800, and both are made here when missing.
void EnsureTransferDisplays() {
  if (!rt::WindowExists(kAcquisitionWindow)) return;
  rt::SetOutputWindow(kAcquisitionWindow);
  if (!rt::EditFieldExists(kStatusField)) rt::NewEditField(kStatusField, "", kStatusPlace, 5, 0);
  if (!rt::ControlExists(kProgressBarControl))
    rt::NewProgressBar(kProgressBarControl, kTransferBarPlace, 1, 100, 1);
}

void RestoreTransferBar() {
  EnsureTransferDisplays();
  if (!rt::ControlExists(kProgressBarControl)) return;
  rt::MoveControl(kProgressBarControl, kTransferBarPlace);
  rt::SetControlRange(kProgressBarControl, 1, 100);
}

void ShowPhase(const FastPhase& phase) {
  if (!rt::WindowExists(kAcquisitionWindow)) return;
  EnsureTransferDisplays();
  EFBackColor = phase.back;
  EFForeColor = phase.fore;
  SetEditFieldColors(kStatusField, phase.text, 3);
  rt::FontSpec font = KitFont(3, 12);
  font.bold = true;
  rt::SetEditFont(kStatusField, font);
  rt::FlushWindow();
}

void SetTransferBar(int64_t percent) {
  if (!rt::WindowExists(kAcquisitionWindow)) return;
  EnsureTransferDisplays();
  rt::SetControlValue(kProgressBarControl, static_cast<int>(std::clamp<int64_t>(percent, 0, 100)));
  rt::FlushWindow();
}

// The bar moves in steps of 5 percent of a wait.
struct Progress {
  int64_t shown = -1;
  // True when p is a new multiple of 5.
  bool Step(int64_t p) {
    p = std::min<int64_t>(p, 100);
    if (p % 5 != 0 || p == shown) return false;
    shown = p;
    return true;
  }
};

int64_t Percent(uint64_t elapsed, uint64_t span) {
  return static_cast<int64_t>(elapsed * 100 / std::max<uint64_t>(span, 1));
}

// " next: '<root><n>'" over the fast scope's background, where the next sweep saved
// by Tab goes (the name the next save really takes: taken numbers are passed over).
void ShowNextFileLabel() {
  if (!rt::WindowExists(kAcquisitionWindow)) return;
  rt::SetOutputWindow(kAcquisitionWindow);
  const Str255 text = NextFileText(filestrings.rootName.str(), NextNumberedCount(RootKind::Scope));
  const rt::FontSpec font = KitFont(3, 9);
  const int ascent = rt::FontAscent(font);
  const auto part = [](uint16_t c) { return c / 65535.0; };
  rt::FillRect(350, 45 - ascent, rt::TextWidth(text.str(), font) + 2, ascent + 3,
               part(FastScopeBackground.red), part(FastScopeBackground.green),
               part(FastScopeBackground.blue));
  rt::DrawText(350, 45, text.str(), font, ScopeFrameColor);
}

// Whether the logger left the last block unanswered.
bool gLoggerSilent = false;

// After a save by Tab the key is waited for to come up, so one press saves once.
void WaitForTabRelease() {
  const uint64_t giveUp = Now() + kFastTabReleaseTicks;
  for (;;) {
    const uint16_t w = rt::KeyMapWord(rt::GetKeys(), 3);
    if ((w != 1 && w != 256 && w != 258) || Now() > giveUp) return;
    ReadToolbarOncePerTick();
    TakeTypedKey();
    if (StopIconClicked) EscapeKeyHit = 1;
    if (EscapeKeyHit) return;
    rt::Delay(2);
  }
}

// The demonstration's block: random millivolts, then the recording time, a quarter of
// it processing, and (when asked for) the download's time.
void DemonstrationBlock(int32_t points, uint32_t d, double s) {
  for (int32_t k = 0; k <= points; ++k) ScopeBufferArray[k].raw = static_cast<float>(rt::Rnd(1800) + 300);
  uint64_t start = Now();
  Progress bar;
  while (Now() <= start + d) {
    if (bar.Step(Percent(Now() - start, d))) SetTransferBar(bar.shown);
    PollStopAndSave();
    if (EscapeKeyHit || TabKeyHit) break;
    rt::Delay(2);
  }
  const uint64_t until = Now() + d / 4;
  ShowPhase(fast_phase::Processing);
  while (Now() <= until && !EscapeKeyHit) {
    PollStopAndSave();
    rt::Delay(2);
  }
  ShowPhase(fast_phase::Downloading);
  if (EscapeKeyHit || PrefsArray[PrefsSlot::SimulateBlockTransfer] == 0) return;
  const uint32_t d2 = FastDemoDownloadTicks(points, s);
  start = Now();
  Progress download;
  while (Now() <= start + d2) {
    if (download.Step(Percent(Now() - start, d2))) SetTransferBar(download.shown);
    rt::Delay(2);
    PollStopAndSave();
    if (EscapeKeyHit || TabKeyHit) break;
  }
}

// "partial block: N of M points" on the status line while the sweep on show came short.
void ShowPartialNote() {
  if (!FastSweepNote.empty())
    ShowPhase({FastSweepNote.c_str(), fast_phase::Partial.back, fast_phase::Partial.fore});
}

// Tab before the download: the block being taken is not in yet, so the sweep on show
// (the previous block) is saved at once.
void SaveSweepOnShowOnTab(bool& tabSaved) {
  if (!TabKeyHit) return;
  if (FastScopeCount > 0) {
    SaveFastScopeSweep();
    tabSaved = true;
  }
  TabKeyHit = 0;
  SaveScopeIconClicked = 0;  // one click saves once: the download must not take it again
  WaitForTabRelease();
}

// True once a download stopped before its last number: the logger may still be
// sending the rest of that block.
bool gBlockCut = false;

// A block that came short by a time-out with no pause seen before it: the line fell
// silent either because the logger held the rest back (it comes later, and the numbers
// read stand at their places) or because bytes were lost where no pause showed and the
// logger had sent all it would (every number after the loss stands at another place).
// What comes next tells them apart: the numbers read and the rest the drain reads make
// the block's count exactly only in the first case.
struct RestVerdict {
  bool pending = false;
  int32_t numbersRead = 0;  // whole numbers read before the time-out
  int32_t count = 0;        // numbers the block was asked for
  int32_t rest = 0;         // items the rest has ended so far (an item cut off included)
  bool inItem = false;      // the rest's last byte so far is inside an item
  // Until the verdict the sweep on show holds no number (a trigger may save it at
  // once); the sweep of the numbers read, and its note, wait here.
  std::vector<float> averaged, sweep;
  Str255 note;
};
RestVerdict gRest;

// Counts the items the rest of a cut block ends.
void CountRest(const std::string& bytes) {
  for (const char c : bytes) {
    if (!IsSeparator(c)) {
      gRest.inItem = true;
    } else if (gRest.inItem) {
      ++gRest.rest;
      gRest.inItem = false;
    }
  }
}

// Reads and drops whatever the logger still sends of an earlier block until the line
// has been quiet long enough: at once when nothing waits and no block was cut. False
// when a stop ends it. The sweep on show, when its block waits for a verdict on its
// rest, gets it here, before a Tab saves it.
bool DrainLine(SerialPort& port, bool& tabSaved) {
  if (!gBlockCut && port.BytesWaiting() == 0) return true;
  // The sweep on show is still the one that came short: the wait goes on under its note.
  ShowPartialNote();
  const uint32_t quiet = gBlockCut ? kFastQuietTicks : kFastSettleTicks;
  const uint64_t giveUp = Now() + kFastDrainTicks;
  uint64_t quietFrom = Now();
  for (;;) {
    SaveScopeIconClicked = 0;
    PollStopAndSave();
    if (!gRest.pending) SaveSweepOnShowOnTab(tabSaved);
    if (EscapeKeyHit) {
      gRest = {};
      return false;
    }
    if (const int waiting = port.BytesWaiting(); waiting > 0) {
      const std::string bytes = port.ReadBytes(waiting);
      if (gRest.pending) CountRest(bytes);
      quietFrom = Now();
    } else if (Now() > quietFrom + quiet) {
      break;
    }
    if (Now() > giveUp) break;
    port.Pause(2);
  }
  if (gRest.pending) {
    if (!gRest.inItem && gRest.numbersRead + gRest.rest == gRest.count) {
      // The rest made the count: the logger held it back, and the numbers read before
      // the silence stand at their places.
      for (size_t i = 1; i < gRest.sweep.size(); ++i) {
        ScopeBufferArray[i].averaged = gRest.averaged[i];
        scopedata[1][i] = gRest.sweep[i];
      }
      FastSweepNote = gRest.note;
      ShowPartialNote();
    }
    gRest = {};
    SaveSweepOnShowOnTab(tabSaved);
  }
  gBlockCut = false;
  ShowPhase(fast_phase::Sampling);
  return true;
}

// Waits the recording time, then for the logger's first bytes; false when stopped or
// when the logger never answered. Tab saves the previous block at once. `lateStart`:
// the line stayed quiet for kFastSettleTicks or more once the recording time was over.
// `touched`: bytes came while the logger was still recording, so they are an earlier
// block's; they are dropped, and what follows them may be more of that block.
bool RecordingWait(SerialPort& port, uint32_t d, bool& tabSaved, bool& lateStart, bool& touched) {
  const uint64_t start = Now(), ready = start + d, giveUp = ready + kFastReplyTicks;
  Progress bar;
  uint64_t quietFrom = 0;
  lateStart = false;
  touched = false;
  for (;;) {
    if (bar.Step(Percent(Now() - start, d))) {
      if (bar.shown >= 96) ShowPhase(fast_phase::LoggerProcessing);
      SetTransferBar(bar.shown);
    }
    SaveScopeIconClicked = 0;
    PollStopAndSave();
    SaveSweepOnShowOnTab(tabSaved);
    if (EscapeKeyHit) return false;
    // Before the tick the recording time ends on, the logger cannot have begun this
    // block (the tick clock started no later than the "X" went out).
    if (Now() < ready) {
      if (const int waiting = port.BytesWaiting(); waiting > 0) {
        port.ReadBytes(waiting);
        touched = true;
      }
    } else if (Now() > ready && port.BytesWaiting() >= 3) {
      return true;
    }
    if (Now() > ready && quietFrom == 0) quietFrom = Now();
    if (quietFrom != 0 && Now() - quietFrom >= kFastSettleTicks) lateStart = true;
    if (Now() > giveUp) {
      ShowPhase(fast_phase::NoReply);
      gLoggerSilent = true;
      EscapeKeyHit = 1;  // the run stops rather than wait for ever
      return false;
    }
    port.Pause(2);
  }
}

// Reads the numbers of a block as they come, each item up to its separator.
class NumberReader {
 public:
  explicit NumberReader(SerialPort& port) : port_(port) {}
  // The next number; false when a stop or save request ends the download, or when no
  // number came in time.
  bool Next(float& value) {
    const uint64_t deadline = Now() + kFastNumberTicks;
    std::string item;
    uint64_t quietFrom = 0;
    afterQuiet_ = false;
    itemOpen_ = false;
    for (;;) {
      while (at_ < pending_.size()) {
        const char c = pending_[at_++];
        if (!IsSeparator(c)) {
          if (item.size() < 64) item += c;
          itemOpen_ = true;
        } else if (!item.empty()) {
          value = ParseFastNumber(item);
          itemOpen_ = false;
          return true;
        }
      }
      PollStopAndSave();
      if (EscapeKeyHit || TabKeyHit) return false;
      const int waiting = port_.BytesWaiting();
      if (waiting > 0) {
        pending_ = port_.ReadBytes(waiting);
        at_ = 0;
        quietFrom = 0;
        continue;
      }
      // An item the silence cut off ("30125" of "301251") is no number: without its
      // separator nothing says it is whole.
      if (Now() > deadline) return false;
      if (quietFrom == 0) quietFrom = Now();
      if (Now() - quietFrom >= kFastSettleTicks) afterQuiet_ = true;
      port_.Pause(2);
    }
  }
  // Whether the line fell quiet (for kFastSettleTicks or more) while the number Next
  // last gave was awaited.
  bool CameAfterQuiet() const { return afterQuiet_; }
  // Whether Next gave up inside an item.
  bool ItemOpen() const { return itemOpen_; }
  // After the block's last number: whether anything but separators follows it before
  // the line has been quiet for as long as a number is waited for. A logger that
  // repeats earlier output may fall silent before it goes on, as within a block, and
  // what then follows tells that the block's first numbers may not be its own. It
  // stops at the first such byte (the next block's drain takes the rest) or at a stop
  // (which leaves the block unscaled); a save request waits for the answer, so a block
  // saved by it is judged like any.
  bool MoreFollows() {
    const uint64_t giveUp = Now() + kFastDrainTicks;
    uint64_t quietFrom = Now();
    for (;;) {
      for (; at_ < pending_.size(); ++at_)
        if (!IsSeparator(pending_[at_])) return true;
      PollStopAndSave();
      if (EscapeKeyHit) return false;
      if (const int waiting = port_.BytesWaiting(); waiting > 0) {
        pending_ = port_.ReadBytes(waiting);
        at_ = 0;
        quietFrom = Now();
        continue;
      }
      if (Now() > quietFrom + kFastNumberTicks || Now() > giveUp) return false;
      port_.Pause(2);
    }
  }

 private:
  SerialPort& port_;
  std::string pending_;
  size_t at_ = 0;
  bool afterQuiet_ = false;
  bool itemOpen_ = false;
};

// What a download leaves: numbers 1 to `kept` stand at their own places (a number the
// flow paused in is the bad-reading mark), unless no number's place is known.
struct Downloaded {
  int32_t kept = 0;
  bool placesUnknown = false;
  bool awaitsRest = false;  // the numbers kept wait for the verdict on the rest (gRest)
};

// Downloads up to n numbers into the block buffer's raw values. A stop or save request,
// or a number that does not come in time, ends it early.
// - Where the line fell quiet within the block, bytes may have been lost in that
//   silence: the number it fell quiet in (or before) is no number, and if the block
//   came short every number after it stands at no known place, so only those before
//   the first silence are kept; none when the block itself began late (`lateStart`),
//   whether it came short by itself or a stop or save cut it.
// - A block that came short with no silence seen, by its time-out or cut by a save,
//   waits for the verdict on its rest (gRest): a short silence may have lost bytes
//   unseen, and only the rest tells whether the numbers read stand at their places.
//   The next block's drain gives it, or at once the save's (HIGHSPEEDIO).
// - Numbers beyond the count or a value the input cannot read mean bytes were
//   repeated, lost or garbled where nothing showed it: no number of the block has a
//   known place. (An item that is no number is a bad point at its own place.)
Downloaded Download(SerialPort& port, int32_t n, bool lateStart, int16_t kind, int16_t thermocoupleType) {
  NumberReader reader(port);
  Progress bar;
  bool downloading = false;
  bool paused = lateStart;
  int32_t beforeQuiet = lateStart ? 0 : -1;
  Downloaded got;
  for (int32_t k = 1; k <= n; ++k) {
    const int64_t p = static_cast<int64_t>(k) * 100 / n;
    if (!downloading && p >= 1 && (p % 5 == 0 || p > 5)) {
      ShowPhase(fast_phase::Downloading);
      downloading = true;
    }
    if (bar.Step(p)) SetTransferBar(p);
    float v = 0;
    if (!reader.Next(v)) {
      // A stop ends the run (the block is never scaled); the next one starts by
      // dropping what is left on the line.
      const bool stopped = EscapeKeyHit != 0;
      gBlockCut = !stopped;
      got.kept = beforeQuiet >= 0 ? beforeQuiet : k - 1;
      if (!stopped && !paused && !got.placesUnknown) {
        gRest = {};
        gRest.pending = true;
        gRest.numbersRead = k - 1;
        gRest.count = n;
        gRest.inItem = reader.ItemOpen();
        got.awaitsRest = true;
      }
      return got;
    }
    if (reader.CameAfterQuiet() || (k == 1 && lateStart)) {
      paused = true;
      if (beforeQuiet < 0) beforeQuiet = k - 1;
      v = kFastBadNumber;
    } else if (v != kFastBadNumber && !FastValueInRange(v, kind, thermocoupleType)) {
      got.placesUnknown = true;
    }
    ScopeBufferArray[k].raw = v;
  }
  got.kept = n;
  if (reader.MoreFollows()) {
    got.placesUnknown = true;
    gBlockCut = true;
  }
  return got;
}

struct LoggerTake {
  Downloaded block;
  bool tabSaved = false;
};

// The logger's block: "X" starts the burst; after the recording time the numbers come.
LoggerTake LoggerBlock(int32_t points, uint32_t d, double s) {
  SerialPort& port = SerialLine();
  const int32_t n = FastScopeSampleCount(s, points);
  LoggerTake take;
  if (FastScopeCount == 0) gRest = {};  // nothing of the last run waits for a verdict
  // Nothing of an earlier block may start this one: the rest of a block cut short, or
  // numbers beyond the count asked for, are let run out first.
  if (!DrainLine(port, take.tabSaved)) return take;
  port.Discard();
  port.Write("X\r");
  bool lateStart = false, touched = false;
  if (!RecordingWait(port, d, take.tabSaved, lateStart, touched)) return take;
  ShowPhase(fast_phase::LoggerProcessing);
  const auto& dt = DataTakerChannels[1];
  take.block = Download(port, n, lateStart, dt[0], dt[2]);
  if (touched) {
    // An earlier block's bytes ran into this one: none of its numbers is known to be
    // its own, and what is left of them is let run out before the next.
    take.block.placesUnknown = true;
    gBlockCut = true;
    gRest = {};
  }
  return take;
}

// The block's numbers read (rows 1 to `got.kept`) averaged and scaled into the sweep;
// every point whose numbers did not all come is the bad-reading mark, and so is every
// point of a block whose places are unknown.
void AverageAndScale(int32_t points, int32_t m, const Downloaded& got) {
  const int64_t numbers = got.placesUnknown ? 0
                                            : std::clamp<int64_t>(got.kept, 0,
                                                                  std::min<int64_t>(int64_t{points} * m,
                                                                                    kFastMaxNumbers));
  std::vector<float> raw(static_cast<size_t>(numbers));
  for (int64_t k = 1; k <= numbers; ++k) raw[static_cast<size_t>(k - 1)] = ScopeBufferArray[k].raw;
  for (int64_t k = 1; k <= std::min<int64_t>(int64_t{points} * m, kFastMaxNumbers); ++k) ScopeBufferArray[k].raw = 0;
  const std::vector<float> av = FastBlockAverages(raw, m, points);
  const float a = ChannelVariables[1][ChanField::A], b = ChannelVariables[1][ChanField::B];
  aval = a;
  bval = b;
  exponent = 1;
  const std::vector<float> v = ScaleFastBlock(av, DataTakerChannels[1][0] == 0, a, b);
  int32_t held = 0;
  for (const float x : v) held += x != kFastBadNumber ? 1 : 0;
  const Str255 note = held < points ? Str255(PartialBlockText(held, points)) : Str255();
  const bool waiting = got.awaitsRest && !got.placesUnknown;
  if (waiting) {
    gRest.averaged.assign(1, kFastBadNumber);
    gRest.averaged.insert(gRest.averaged.end(), av.begin(), av.end());
    gRest.sweep.assign(1, kFastBadNumber);
    gRest.sweep.insert(gRest.sweep.end(), v.begin(), v.end());
    gRest.note = note;
  }
  const bool unknown = got.placesUnknown || waiting;
  for (int32_t i = 1; i <= points; ++i) {
    ScopeBufferArray[i].averaged = unknown ? kFastBadNumber : av[i - 1];
    ScopeBufferArray[i].raw = 0;
    scopedata[1][i] = unknown ? kFastBadNumber : v[i - 1];
  }
  FastSweepNote = unknown ? Str255(PlacesUnknownText()) : note;
}

}  // namespace

void BurstCommandString() {
  const auto& ch = ChannelVariables[1];
  const auto& dt = DataTakerChannels[1];
  if (dt[3] == 1) PlaySound("bzot.mp3", "MVsounds");
  hardwareADchannel = static_cast<int16_t>(ch[ChanField::Input]);
  const std::string cmd =
      BurstCommandText(hardwareADchannel, dt[0], dt[2], ScopeIntervalInSeconds, FastScopePoints(ScopeMax));
  if (DemonstrationMODE == 0) SerialLine().Write(cmd + "\r");
}

void SaveFastScopeSweep() {
  SaveSCOPE();
  ShowNextFileLabel();
  if (rt::WindowExists(kAcquisitionWindow)) rt::FlushWindow();
}

bool FastScopeLoggerSilent() {
  return gLoggerSilent;
}

int16_t HIGHSPEEDIO() {
  ShowNextFileLabel();
  hardwareADchannel = static_cast<int16_t>(ChannelVariables[1][ChanField::Input]);
  SetTransferBar(0);
  ShowPhase(fast_phase::Sampling);
  HandlePendingEvents();
  EscapeKeyHit = 0;
  TabKeyHit = 0;
  gLoggerSilent = false;
  const double s = ScopeIntervalInSeconds;
  const int32_t points = FastScopePoints(ScopeMax);
  const uint32_t d = FastRecordingTicks(points, s);
  bool tabSaved = false;
  int32_t m = 1;
  Downloaded got;
  got.kept = points;
  if (DemonstrationMODE != 0) {
    DemonstrationBlock(points, d, s);
  } else {
    const LoggerTake take = LoggerBlock(points, d, s);
    tabSaved = take.tabSaved;
    got = take.block;
    m = FastScopeSamplesPerPoint(s);
  }
  if (!EscapeKeyHit) {
    ShowPhase(fast_phase::Transfer);
    HandlePendingEvents();
    AverageAndScale(points, m, got);
    ShowPartialNote();
  }
  ++FastScopeCount;
  if (TabKeyHit && gRest.pending && !EscapeKeyHit) {
    // A save cut the download: the rest of the block is read before the sweep is saved
    // (as long as the next block's drain would wait), so the sweep holds the numbers
    // read only when the rest makes the count. A stop during it leaves them unplaced.
    DrainLine(SerialLine(), tabSaved);
    ShowPartialNote();
  }
  if (TabKeyHit) {
    SaveFastScopeSweep();
    WaitForTabRelease();
    tabSaved = true;
  }
  // GETFAST marks a sweep saved by Tab and clears the flag.
  TabKeyHit = tabSaved ? 1 : 0;
  return 0;
}

// ---- drawing and keys --------------------------------------------------------------------

namespace {

// The last block's trace, painted over in the background before the next is drawn.
struct DrawnTrace {
  std::vector<float> xy;                     // polyline points x0, y0, x1, y1, ...
  std::vector<std::array<int16_t, 3>> bars;  // x, top, bottom
};
DrawnTrace gDrawn;

RGBColor TraceBackground() {
  return PrefsArray[PrefsSlot::DT800FastScope] == 1 ? FastScopeBackground : ScopeBackgroundColor;
}

rt::StrokeStyle TraceStyle(RGBColor c) {
  rt::StrokeStyle style;
  style.red = c.red / 65535.0;
  style.green = c.green / 65535.0;
  style.blue = c.blue / 65535.0;
  style.antialias = false;
  return style;
}

void EraseLastTrace() {
  if (gDrawn.xy.size() >= 4)
    rt::StrokePolyline(gDrawn.xy.data(), gDrawn.xy.size() / 2, TraceStyle(TraceBackground()));
  for (const auto& b : gDrawn.bars) CGDrawLineNoAliasing(b[0], b[1], b[0], b[2], TraceBackground());
  gDrawn = {};
}

// The demonstration's block as one vertical bar per pixel column, from the smallest
// to the largest y of the column's averages.
void DrawDemoBars(int32_t points) {
  const float k = scd != 0.0f ? ScopeCalibrationFactor / scd : 0.0f;
  const int32_t r = scopeXfactor > 0.0f ? std::max<int32_t>(1, static_cast<int32_t>(1.0f / scopeXfactor)) : 1;
  const auto& ch = ChannelVariables[1];
  const double bottom = std::trunc(ch[ChanField::StripBottom] - 1);
  const double top = bottom - std::trunc(ch[ChanField::StripHeight]);
  int32_t row = 1;
  int16_t previous = -1;  // none before the first column
  for (int32_t g = 1; row <= points; ++g) {
    double lo = 32000, hi = -32000;
    for (int32_t j = 0; j < r && row <= points; ++j, ++row) {
      const double y = ScopeBase - static_cast<double>(ScopeBufferArray[row].averaged) * k;
      lo = std::min(lo, y);
      hi = std::max(hi, y);
    }
    const auto clampY = [&](double y) {
      return static_cast<int16_t>(std::clamp(std::trunc(y), top, bottom));
    };
    const auto x = static_cast<int16_t>(std::clamp(std::trunc(scopeXfactor + g), -32768.0f, 32767.0f));
    // A column of one point (half a pixel a point or more) has no bar of its own: a bar
    // from y to the same y would draw nothing. It joins the column before, so the
    // block reads as a trace.
    int16_t y0 = clampY(lo), y1 = clampY(hi);
    if (y0 == y1 && previous >= 0) {
      y0 = std::min(y0, previous);
      y1 = std::max(y1, previous);
    }
    if (y0 == y1) ++y1;
    previous = clampY(hi);
    gDrawn.bars.push_back({x, y0, y1});
    CGDrawLineNoAliasing(x, y0, x, y1, ScopeDataColor);
  }
}

// The logger's block as one polyline over the scope plot.
void DrawSweep(int32_t points) {
  const auto& ch = ChannelVariables[1];
  const float maxy = ch[ChanField::PlotMax], miny = ch[ChanField::PlotMin];
  const auto hite = static_cast<int32_t>(ch[ChanField::StripHeight]);
  const auto bottom = static_cast<int32_t>(ch[ChanField::StripBottom] - 1);
  ScopeminimumPixels = static_cast<int16_t>(bottom);
  const float range = maxy - miny;
  const float dx = FastTraceStep(scopeXfactor);
  const int32_t n = std::min<int32_t>({points, kScopeColumns - 1, kQuartzLastPoint});
  if (n < 1) return;
  gDrawn.xy.resize(static_cast<size_t>(n) * 2);
  for (int32_t i = 1; i <= n; ++i) {
    QuartzPointsArray[i].x = static_cast<float>((i + 1) * dx);
    QuartzPointsArray[i].y = static_cast<float>(FastTraceY(scopedata[1][i], miny, hite, range, bottom));
    gDrawn.xy[static_cast<size_t>(i - 1) * 2] = QuartzPointsArray[i].x;
    gDrawn.xy[static_cast<size_t>(i - 1) * 2 + 1] = QuartzPointsArray[i].y;
  }
  ScYpos = QuartzPointsArray[1].y;
  CGContext context = BeginCGContextForCurrentPort();
  SetCGScopeLinesColor(context);
  context.style.antialias = false;
  drawPaneContent(context, n);
}

// Tab saved the sweep: with automatic markers the next digit marks it.
void MarkSavedSweep() {
  if (PrefsArray[PrefsSlot::Automarkers] != 1 || Nmarkers > 639) return;
  AutoMarkCount = static_cast<int16_t>(AutoMarkCount >= 9 ? 0 : AutoMarkCount + 1);
  InsertFastScopeMarker('0' + AutoMarkCount);
}

void ActOnCode(int32_t c) {
  switch (c) {
    case RecordingKeyCode::Return:
      AddSomeTIME();
      // The added time rebuilds the chart's capacity bar; the scope keeps its transfer bar.
      RestoreTransferBar();
      break;
    case RecordingKeyCode::Home:
      ASCIIvalue = 0;
      break;
    case RecordingKeyCode::Right:
    case RecordingKeyCode::Up:
      ASCIIvalue = static_cast<int16_t>(ASCIIvalue + 1);
      break;
    case RecordingKeyCode::Left:
    case RecordingKeyCode::Down:
      ASCIIvalue = static_cast<int16_t>(ASCIIvalue - 1);
      break;
    default:
      if (c >= '0' && c <= '9') ASCIIvalue = static_cast<int16_t>(c - '0');
      break;
  }
}

}  // namespace

int16_t GETFAST() {
  const int32_t points = FastScopePoints(ScopeMax);
  ScSample = TotScopeSample = points;
  ScopeViewSTEP = 1;
  if (rt::WindowExists(kAcquisitionWindow)) rt::SetOutputWindow(kAcquisitionWindow);
  // A run's first block draws on a fresh screen: nothing of the last run to paint over.
  if (FastScopeCount <= 1) gDrawn = {};
  EraseLastTrace();
  if (DemonstrationMODE != 0)
    DrawDemoBars(points);
  else
    DrawSweep(points);
  rt::FlushWindow();
  HandlePendingEvents();
  const auto c = static_cast<int16_t>(gTypedKey);
  gTypedKey = 0;
  if (c == RecordingKeyCode::Escape) EscapeKeyHit = 1;
  if (c == 'x' || c == 'X') acq_hooks::X_Key_check();
  if (c == 'q' || c == 'Q') acq_hooks::Q_Key_check();
  if (TabKeyHit) {
    if (rt::WindowExists(kAcquisitionWindow)) rt::SetOutputWindow(kAcquisitionWindow);
    MarkSavedSweep();
  }
  TabKeyHit = 0;
  ActOnCode(c);
  return c;
}

}  // namespace mv
