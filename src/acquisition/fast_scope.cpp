#include "acquisition/fast_scope.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "acquisition/recording_keys.h"
#include "acquisition/scope_loop.h"
#include "acquisition/state.h"
#include "devices/read_wait.h"
#include "devices/serial_port.h"
#include "devices/state.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "runtime/system.h"
#include "runtime/windows.h"
#include "setup/state.h"
#include "shell/kit/drawing.h"
#include "shell/state.h"

namespace mv {

std::string BurstCommandText(int16_t input, int16_t kind, int16_t thermocoupleType, double s, int32_t scopeMax) {
  std::string type;
  if (kind == 1) type = "VNC";
  else if (kind != 0) type = "R(2W)";
  else type = thermocoupleType == 2 ? "TJ" : thermocoupleType == 3 ? "TK" : "TT";
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
  return s <= 0.001 ? scopeMax : static_cast<int32_t>(s * scopeMax / 0.001);
}

int32_t FastScopeSamplesPerPoint(double s) { return s > 0.001 ? static_cast<int32_t>(s * 1000) : 1; }

namespace {
bool IsSeparator(char c) { return c == ',' || c == ' ' || c == '\r' || c == '\n' || c == '\t'; }
}  // namespace

FastBlock DecodeFastBlock(std::string_view bytes, int32_t count) {
  FastBlock block;
  size_t i = 0;
  while (static_cast<int32_t>(block.values.size()) < count) {
    while (i < bytes.size() && IsSeparator(bytes[i])) ++i;
    if (i >= bytes.size()) break;
    size_t end = i;
    while (end < bytes.size() && !IsSeparator(bytes[end])) ++end;
    float v = 0;
    // The leading number of the item; an item without one counts as 0.
    std::from_chars(bytes.data() + i + (bytes[i] == '+' ? 1 : 0), bytes.data() + end, v);
    block.values.push_back(v);
    i = end;
  }
  if (static_cast<int32_t>(block.values.size()) < count)
    block.reason = "block ended after " + std::to_string(block.values.size()) + " of " + std::to_string(count) +
                   " numbers";
  return block;
}

std::vector<float> FastBlockAverages(const std::vector<float>& raw, int32_t m, int32_t points) {
  std::vector<float> out(points > 0 ? points : 0, 0.0f);
  if (m < 1) m = 1;
  for (int32_t j = 0; j < points; ++j) {
    int32_t sum = 0;
    for (int32_t k = 0; k < m; ++k) {
      const size_t idx = static_cast<size_t>(j) * m + k;
      const float v = idx < raw.size() ? raw[idx] : 0.0f;
      sum = static_cast<int32_t>(std::trunc(static_cast<double>(sum) + v));
    }
    out[j] = static_cast<float>(sum / m);
  }
  return out;
}

std::vector<float> ScaleFastBlock(const std::vector<float>& av, const std::vector<float>& previous,
                                  bool thermocouple, float a, float b) {
  const size_t n = av.size();
  std::vector<float> out(n, 0.0f);
  auto prev = [&](size_t i) { return i < previous.size() ? previous[i] : 0.0f; };
  double t = 0;
  for (size_t i = 0; i < n; ++i) {
    const bool inside = i >= 1 && i + 1 < n;  // positions 2 .. ScopeMax - 1
    if (!thermocouple) {
      double v = static_cast<double>(av[i]) * 0.001 * b + a;
      if (inside && v == 0.0) v = (static_cast<double>(out[i - 1]) + prev(i + 1)) * 0.5;
      out[i] = static_cast<float>(v);
    } else {
      if (inside) t = (t + av[i - 1] + av[i + 1]) * 0.3333333;
      t = t * b + a;
      out[i] = static_cast<float>(t);
    }
  }
  return out;
}

void SendBurstCommand() {
  const auto& ch = ChannelVariables[1];
  const auto& dt = DataTakerChannels[1];
  hardwareADchannel = static_cast<int16_t>(ch[ChanField::Input]);
  const std::string cmd = BurstCommandText(hardwareADchannel, dt[0], dt[2], ScopeIntervalInSeconds, ScopeMax);
  if (DemonstrationMODE == 0) SerialLine().Write(cmd + "\r");
}

namespace {

// One poll of the toolbar and the keys: Stop or Escape alone asks to stop, the save
// icon or Tab alone asks to save.
void PollStopAndSave() {
  ReadToolbarOncePerTick();
  if (StopIconClicked) EscapeKeyHit = 1;
  if (SaveScopeIconClicked) TabKeyHit = 1;
  KeystrokeArray = rt::GetKeys();
  const uint16_t w = rt::KeyMapWord(KeystrokeArray, 3);
  if (TakeCommandQTyped() || w == KeyWord3::Escape) EscapeKeyHit = 1;  // Ctrl-Q ends the run too
  if (w == KeyWord3::Tab) TabKeyHit = 1;
}

// Waits for the recording time, then for the logger's first bytes; false when
// stopped or when the logger never answered.
bool WaitForRecording(SerialPort& port, uint32_t recordTicks, const std::function<void()>& save) {
  const uint32_t ready = rt::TickCount() + recordTicks;
  const uint32_t giveUp = ready + kFastReplyTicks;
  for (;;) {
    SaveScopeIconClicked = 0;
    PollStopAndSave();
    if (EscapeKeyHit) return false;
    if (TabKeyHit) {
      // The block being recorded is not in yet: the previous one is saved.
      if (FastScopeCount > 0 && save) save();
      TabKeyHit = 0;
    }
    if (TickPassed(ready - 1) && port.BytesWaiting() >= 3) return true;
    if (TickPassed(giveUp)) return false;
    port.Pause(2);
  }
}

// Downloads up to n numbers into the raw column; ends early on a stop or save request
// or when a number does not come in time. Returns how many came.
int32_t Download(SerialPort& port, int32_t n) {
  for (int32_t k = 1; k <= n; ++k) {
    const uint32_t deadline = rt::TickCount() + kFastNumberTicks;
    for (;;) {
      PollStopAndSave();
      if (EscapeKeyHit || TabKeyHit) return k - 1;
      if (port.BytesWaiting() >= 2) break;
      // The last number may come without a separator after it.
      if (k == n && port.BytesWaiting() >= 1) break;
      if (TickPassed(deadline)) return k - 1;
      port.Pause(2);
    }
    if (k < kScopeBufferRows) ScopeBufferArray[k].raw = static_cast<float>(port.ReadNumber());
  }
  return n;
}

void AverageAndScale(int32_t m) {
  const int32_t points = std::min<int32_t>(ScopeMax, kScopeColumns - 1);
  std::vector<float> raw;
  raw.reserve(static_cast<size_t>(points) * m);
  for (int64_t k = 1; k <= static_cast<int64_t>(points) * m && k < kScopeBufferRows; ++k)
    raw.push_back(ScopeBufferArray[k].raw);
  const std::vector<float> av = FastBlockAverages(raw, m, points);
  std::vector<float> previous(points);
  for (int32_t i = 0; i < points; ++i) previous[i] = scopedata[1][i + 1];
  const float a = ChannelVariables[1][ChanField::A], b = ChannelVariables[1][ChanField::B];
  const std::vector<float> v = ScaleFastBlock(av, previous, DataTakerChannels[1][0] == 0, a, b);
  for (int32_t i = 1; i <= points && i < kScopeBufferRows; ++i) {
    ScopeBufferArray[i].averaged = av[i - 1];
    ScopeBufferArray[i].raw = 0;
    scopedata[1][i] = v[i - 1];
  }
}

}  // namespace

void FastScopeBlock(const std::function<void()>& save) {
  hardwareADchannel = static_cast<int16_t>(ChannelVariables[1][ChanField::Input]);
  EscapeKeyHit = 0;
  TabKeyHit = 0;
  const double s = ScopeIntervalInSeconds;
  const auto d = static_cast<uint32_t>(std::max(0.0, std::trunc(ScopeMax * s * 60)));
  timeNow = static_cast<int32_t>(rt::TickCount() + d);
  int32_t m = 1;
  if (DemonstrationMODE != 0) {
    for (int32_t k = 0; k <= ScopeMax && k < kScopeBufferRows; ++k)
      ScopeBufferArray[k].raw = static_cast<float>(rt::Rnd(1800) + 300);
    ++FastScopeCount;
  } else {
    SerialPort& port = SerialLine();
    const int32_t n = std::min<int32_t>(FastScopeSampleCount(s, ScopeMax), kScopeBufferRows - 1);
    // Numbers left over from an earlier burst (a count the logger and the program
    // disagree on, an interrupted download) must not start this block.
    port.Discard();
    port.Write("X\r");
    if (WaitForRecording(port, d, save) && !EscapeKeyHit) Download(port, n);
    else if (!EscapeKeyHit) EscapeKeyHit = 1;  // no answer: the run stops rather than hang
    m = FastScopeSamplesPerPoint(s);
  }
  if (!EscapeKeyHit) AverageAndScale(m);
  ++FastScopeCount;
  if (TabKeyHit) {
    if (save) save();
    TabKeyHit = 0;
  }
}

int32_t FastTraceY(float v, float miny, int32_t hite, float range, int32_t bottom) {
  if (range == 0.0f) return bottom;
  const double y = std::trunc(bottom - (static_cast<double>(v) - miny) * hite / range);
  if (std::isnan(y) || y > bottom) return bottom;
  return y < 0 ? 0 : static_cast<int32_t>(y);
}

void DrawFastBlock() {
  ScSample = TotScopeSample = ScopeMax;
  ScopeViewSTEP = 1;
  const auto& ch = ChannelVariables[1];
  const float maxy = ch[ChanField::PlotMax], miny = ch[ChanField::PlotMin];
  const auto hite = static_cast<int32_t>(ch[ChanField::StripHeight]);
  const auto bottom = static_cast<int32_t>(ch[ChanField::StripBottom] - 1);
  const float range = maxy - miny;
  const float dx = scopeXfactor < 0.5f ? scopeXfactor : 1.0f;
  const int32_t n = std::min<int32_t>({ScopeMax, kScopeColumns - 1, kQuartzLastPoint});
  if (n < 1) return;
  for (int32_t i = 1; i <= n; ++i) {
    QuartzPointsArray[i].x = static_cast<float>((i + 1) * dx);
    QuartzPointsArray[i].y = static_cast<float>(FastTraceY(scopedata[1][i], miny, hite, range, bottom));
  }
  ScYpos = QuartzPointsArray[1].y;
  rt::SetOutputWindow(kAcquisitionWindow);
  CGContext context = BeginCGContextForCurrentPort();
  SetCGScopeLinesColor(context);
  drawPaneContent(context, n);
}

}  // namespace mv
