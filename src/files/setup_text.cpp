#include "files/setup_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "devices/state.h"
#include "kit/format.h"

namespace mv {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}
bool IsLineEnd(char c) {
  return c == '\r' || c == '\n';
}

// The fields of a text-form file, read in order. Every numeric field must be a
// number as a whole (blanks around it allowed); the first failure is remembered
// with the field's number, and every later read fails.
class TextFields {
 public:
  explicit TextFields(std::string_view text) : d_(text) {}

  // True when nothing but blanks and line ends is left.
  bool ended() const {
    for (std::size_t i = pos_; i < d_.size(); ++i)
      if (!IsBlank(d_[i]) && !IsLineEnd(d_[i])) return false;
    return true;
  }

  bool i16(int16_t& v) {
    double x = 0;
    if (!Number(x)) return false;
    if (std::trunc(x) != x || x < -32'768 || x > 32'767) return Fail("is not a whole number of the range");
    v = static_cast<int16_t>(x);
    return true;
  }
  // A decimal field kept as a 32-bit whole number (cut toward zero).
  bool i32(int32_t& v) {
    double x = 0;
    if (!Number(x)) return false;
    x = std::trunc(x);
    if (x < std::numeric_limits<int32_t>::min() || x > std::numeric_limits<int32_t>::max())
      return Fail("is out of range");
    v = static_cast<int32_t>(x);
    return true;
  }
  bool f32(float& v) {
    double x = 0;
    if (!Number(x)) return false;
    if (std::fabs(x) > std::numeric_limits<float>::max()) return Fail("is too large for single precision");
    v = static_cast<float>(x);
    return true;
  }
  bool f64(double& v) { return Number(v); }
  bool f32s(float* first, int count) {
    for (int i = 0; i < count; ++i)
      if (!f32(first[i])) return false;
    return true;
  }
  // A field whose value is not used.
  bool skip() {
    std::string_view f;
    return Field(f);
  }
  // Up to n raw bytes of the present line, padded with blanks to n; the rest of the
  // line, and its end, are passed over.
  bool rawLine(std::size_t n, std::string& out) {
    if (!ok() || pos_ >= d_.size()) return Fail("is missing: the file ends early");
    ++field_;
    out.clear();
    while (pos_ < d_.size() && !IsLineEnd(d_[pos_]) && out.size() < n) out.push_back(d_[pos_++]);
    out.resize(n, ' ');
    SkipLine();
    return true;
  }
  // The present line, without its end.
  bool line(std::string& out) {
    if (!ok() || pos_ >= d_.size()) return Fail("is missing: the file ends early");
    ++field_;
    const std::size_t start = pos_;
    while (pos_ < d_.size() && !IsLineEnd(d_[pos_])) ++pos_;
    out.assign(d_.substr(start, pos_ - start));
    SkipLineEnd();
    return true;
  }

  bool ok() const { return reason_.empty(); }
  const std::string& reason() const { return reason_; }

 private:
  bool Fail(const char* what) {
    if (ok()) reason_ = "field " + std::to_string(field_) + " " + what;
    return false;
  }
  void SkipLineEnd() {
    if (pos_ < d_.size() && d_[pos_] == '\r') ++pos_;
    if (pos_ < d_.size() && d_[pos_] == '\n') ++pos_;
  }
  void SkipLine() {
    while (pos_ < d_.size() && !IsLineEnd(d_[pos_])) ++pos_;
    SkipLineEnd();
  }
  // The next field up to a comma or a line end, which is passed over.
  bool Field(std::string_view& out) {
    if (!ok()) return false;
    ++field_;
    if (pos_ >= d_.size()) return Fail("is missing: the file ends early");
    const std::size_t start = pos_;
    while (pos_ < d_.size() && d_[pos_] != ',' && !IsLineEnd(d_[pos_])) ++pos_;
    out = d_.substr(start, pos_ - start);
    if (pos_ < d_.size() && d_[pos_] == ',')
      ++pos_;
    else
      SkipLineEnd();
    return true;
  }
  // A field that is a finite number and nothing else.
  bool Number(double& v) {
    std::string_view f;
    if (!Field(f)) return false;
    while (!f.empty() && IsBlank(f.front())) f.remove_prefix(1);
    while (!f.empty() && IsBlank(f.back())) f.remove_suffix(1);
    if (!f.empty() && f.front() == '+') f.remove_prefix(1);
    double x = 0;
    const auto [end, ec] = std::from_chars(f.data(), f.data() + f.size(), x, std::chars_format::general);
    if (f.empty() || ec != std::errc() || end != f.data() + f.size() || !std::isfinite(x))
      return Fail("is not a number");
    v = x;
    return true;
  }

  std::string_view d_;
  std::size_t pos_ = 0;
  int field_ = 0;
  std::string reason_;
};

#define MV_TRY(x) \
  if (!(x)) return false

bool Slots(TextFields& in, SetupRecord& r, std::initializer_list<int> numbers) {
  for (int s : numbers) MV_TRY(in.i16(r.prefSlots[s]));
  return true;
}

// Steps 1 to 3: mode, counts, intervals, switching and labels. The first fields are
// checked at once, so that a text that is no set-up stops here with its reason.
bool Head(TextFields& in, SetupRecord& r, std::string& why) {
  MV_TRY(in.i16(r.recordingMode) && in.i16(r.channels));
  if (r.recordingMode < 1 || r.recordingMode > 3 || r.channels < 1 || r.channels > 16) {
    why = "its first fields are no recording mode and channel count";
    return false;
  }
  MV_TRY(in.f32(r.chartTicks) && in.f32(r.scopeTicks) && in.i16(r.switchingMode));
  if (r.chartTicks == 0) MV_TRY(in.f32(r.chartTicks) && in.f32(r.scopeTicks) && in.i16(r.switchingMode));
  MV_TRY(in.f32(r.switchint) && in.f32(r.refint) && in.i16(r.refChan));
  const int first = std::min<int>(r.channels, 8);
  MV_TRY(in.rawLine(30 * static_cast<std::size_t>(first), r.labels1));
  if (r.channels > 8) MV_TRY(in.rawLine(30 * static_cast<std::size_t>(r.channels - 8), r.labels2));
  return true;
}

// Steps 4 to 6: the channel table.
bool Channels(TextFields& in, SetupRecord& r) {
  for (int ch = 1; ch <= r.channels; ++ch) MV_TRY(in.f32s(&r.channelTable[ch][1], 13));
  // Continuous averaging of the last channel when it averages no readings.
  r.prefSlots[PrefsSlot::AverageLastChannel] = r.channelTable[r.channels][ChanField::Averaged] == 0 ? 1 : 0;
  if (r.switchingMode != SwitchingPatternCode::SequentialFiles) return true;
  std::string value;
  MV_TRY(in.line(value));
  r.channelTable[0][0] = static_cast<float>(TextToNumber(value));
  for (int ch = 1; ch <= 8; ++ch) MV_TRY(in.f32(r.channelTable[ch][ChanField::Device]));
  return true;
}

// Step 7: scope and trigger settings.
bool ScopeAndTrigger(TextFields& in, SetupRecord& r) {
  if (in.ended()) {
    r.triggerOn = 0, r.triggerChan = 1, r.triggerval = 0, r.triggerMode = 0;
    r.chartView = 1, r.scopeMax = 640, r.refChan2 = 0;
  } else {
    MV_TRY(in.i16(r.scopeGain) && in.i32(r.maxSamples) && in.i16(r.triggerOn) && in.i16(r.triggerChan));
    MV_TRY(in.f32(r.triggerval) && in.i16(r.triggerMode) && in.f32(r.chartView) && in.i32(r.scopeMax));
    MV_TRY(in.i16(r.refChan2) && in.skip() && in.skip());
  }
  if (r.maxSamples == 0) r.maxSamples = r.prefSlots[PrefsSlot::WindowWidth];
  if (r.triggerChan < 1 || r.triggerChan > 16) r.triggerChan = 1;
  return true;
}

// Steps 8 and 9: the three-way button, interface words, display slots and flags.
// The interface code, baud rate and serial port are kept in the record but, as in
// the binary versions, never switch the interface in use.
bool InterfaceAndFlags(TextFields& in, SetupRecord& r) {
  if (in.ended()) {
    r.poly[0][0] = 0, r.poly[0][1] = 1, r.poly[0][2] = 0, r.poly[0][3] = 0, r.poly[0][5] = 1,
    r.poly[0][6] = 1000;
    r.interfaceCode = 0, r.baudrate = 9600;
  } else {
    for (int e : {0, 1, 2, 3, 5, 6}) MV_TRY(in.f32(r.poly[0][e]));
    MV_TRY(in.i16(r.interfaceCode) && in.i32(r.baudrate) && in.skip());
  }
  if (in.ended()) {
    r.prefSlots[PrefsSlot::TimeGrids] = 1;
    r.serialPort = 0, r.prefSlots[PrefsSlot::Autorepeat] = 0, r.absoluteValue = 0, r.audibleAlarm = 0;
    return true;
  }
  return Slots(in, r, {1, 2, 22}) && in.i16(r.serialPort) && Slots(in, r, {PrefsSlot::Autorepeat}) &&
         in.i16(r.absoluteValue) && in.i16(r.audibleAlarm);
}

// Steps 10 and 11: conversion codes and alarm fields 0 to 5 of the channels the form
// covers (8, or 12 beyond 8 channels; the others keep theirs); trigger saving, view
// words and the custom tick.
bool CodesAlarmsAndViews(TextFields& in, SetupRecord& r) {
  const int k = r.channels > 8 ? 12 : 8;
  if (in.ended()) {
    for (int ch = 1; ch <= k; ++ch) {
      r.channelTable[0][ch] = 1;
      std::fill(r.alarms[ch].begin(), r.alarms[ch].begin() + 6, 0.0f);
    }
  } else {
    for (int ch = 1; ch <= k; ++ch) MV_TRY(in.f32(r.channelTable[0][ch]));
    for (int ch = 1; ch <= k; ++ch) MV_TRY(in.f32s(r.alarms[ch].data(), 6));
  }
  if (in.ended()) {
    r.triggerSaveCount = 1, r.triggerSequence = 1, r.customTic = 0, r.scopeViewStep = 1;
    r.prefSlots[PrefsSlot::DashedGrids] = 1;
    r.prefSlots[PrefsSlot::LargeReadouts] = r.prefSlots[PrefsSlot::ShowSwitchStatus] =
        r.prefSlots[PrefsSlot::BeepEverySample] = 0;
    return true;
  }
  int16_t digitalCoding = 0;  // read, not applied (as in the binary versions)
  MV_TRY(in.i16(r.triggerSaveCount) && in.i16(r.triggerSequence) && Slots(in, r, {23, 5}));
  return in.f64(r.customTic) && Slots(in, r, {6, 42}) && in.i16(digitalCoding) && in.i16(r.scopeViewStep);
}

// Steps 12 to 16: device labels, DataTaker words, the timed backup, the zero links,
// the ports and the audible timer.
bool Tail(TextFields& in, SetupRecord& r) {
  if (r.switchingMode == SwitchingPatternCode::SequentialFiles && !in.ended())
    MV_TRY(in.line(r.deviceLabels));
  if (!in.ended())
    for (int ch = 1; ch <= r.channels; ++ch)
      for (int w = 1; w < kDataTakerWords; ++w) MV_TRY(in.i16(r.dataTaker[ch][w]));
  if (in.ended()) {
    r.prefSlots[PrefsSlot::AutomaticBackup] = 0, r.timedSaveInterval = 0;
  } else {
    MV_TRY(Slots(in, r, {PrefsSlot::AutomaticBackup}) && in.i32(r.timedSaveInterval));
  }
  if (!in.ended()) {
    MV_TRY(in.i16(r.zeroLinks[0]));
    for (int row = 0; row <= 16; ++row)
      MV_TRY(in.i16(r.zeroLinks[3 * row + 1]) && in.i16(r.zeroLinks[3 * row + 2]));
  }
  if (in.ended()) return true;
  MV_TRY(in.i32(r.digitalPort) && in.i32(r.maxDisplaySpeed) && Slots(in, r, {PrefsSlot::ChartRedrawOption}));
  MV_TRY(in.f32s(r.alertIntervals.data(), 3));
  for (int16_t& w : r.alertWords) MV_TRY(in.i16(w));
  for (int32_t& t : r.alertTimes) MV_TRY(in.i32(t));
  return in.skip();
}

#undef MV_TRY

// What the text form lacks: the late alarm fields and the save-format slots, as in
// the oldest binary version; and the two display slots it never carries.
void SetMissingDefaults(SetupRecord& r) {
  for (int row = 1; row <= 16; ++row)
    for (int f = 6; f <= 22; ++f) r.alarms[row][f] = 0;
  r.prefSlots[PrefsSlot::SaveSable] = r.prefSlots[PrefsSlot::SaveText] = 0;
  r.prefSlots[PrefsSlot::WarnUnsaved] = 1;
  r.prefSlots[PrefsSlot::MarkerAtSwitch] = 0;
}

}  // namespace

ParsedSetup ParseSetupText(std::string_view text, const SetupRecord& base) {
  ParsedSetup p;
  p.textForm = true;
  TextFields in(text);
  SetupRecord r = base;
  std::string why;
  const bool read = Head(in, r, why) && Channels(in, r) && ScopeAndTrigger(in, r) &&
                    InterfaceAndFlags(in, r) && CodesAlarmsAndViews(in, r) && Tail(in, r);
  if (!read) {
    p.reason = !why.empty() ? why : "it is not a set-up file: " + in.reason();
    return p;
  }
  if (!in.ended()) {
    p.reason = "the file goes on after its last field";
    return p;
  }
  SetMissingDefaults(r);
  // A trace at least one screen wide; the high-speed DataTaker scope for the
  // intervals only it offers (1 ms and shorter).
  r.scopeMax = std::max<int32_t>(r.scopeMax, r.prefSlots[PrefsSlot::WindowWidth]);
  const bool scopeModes =
      r.recordingMode == RecordingModeCode::Scope || r.recordingMode == RecordingModeCode::ScopeChart;
  r.prefSlots[PrefsSlot::DT800FastScope] = scopeModes && r.scopeTicks / 60.0 <= 0.001 * (1 + 1e-6) ? 1 : 0;
  r.deviceLabels.resize(160, ' ');
  p.record = r;
  return p;
}

}  // namespace mv
