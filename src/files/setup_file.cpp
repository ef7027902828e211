#include "files/setup_file.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "acquisition/state.h"
#include "files/bytes.h"
#include "files/setup_text.h"
#include "files/state.h"
#include "kit/channel_values.h"
#include "kit/format.h"
#include "kit/sample_intervals.h"

namespace mv {

namespace {

constexpr std::size_t kLabelsLimit = 241;
constexpr std::size_t kDeviceLabelsSize = 160;
// The switch window's devices, and the view windows' largest compression and step.
constexpr double kLastSwitchedDevice = 8;
constexpr float kLargestChartView = 10;
constexpr int16_t kLargestScopeStep = 30;

// The field order, walked once to write and once to read: the writer puts each
// value, the reader takes it (checking every read against the end of the file).
class SetupWriter {
 public:
  bool i16(int16_t& v) { return w_.i16be(v), true; }
  bool i32(int32_t& v) { return w_.i32be(v), true; }
  bool f32(float& v) { return w_.f32be(v), true; }
  bool f64(double& v) { return w_.f64be(v), true; }
  bool counted(std::string& text) {
    w_.f32be(static_cast<float>(text.size()));
    w_.raw(text);
    return true;
  }
  bool more() const { return true; }
  bool check(bool, const char*) { return true; }
  bool reading() const { return false; }
  std::string take() { return w_.take(); }

 private:
  bytes::ByteWriter w_;
};

class SetupReader {
 public:
  explicit SetupReader(std::string_view data) : r_(data) {}
  bool i16(int16_t& v) { return r_.i16be(v) || Fail("the file ends early"); }
  bool i32(int32_t& v) { return r_.i32be(v) || Fail("the file ends early"); }
  bool f32(float& v) { return r_.f32be(v) || Fail("the file ends early"); }
  bool f64(double& v) { return r_.f64be(v) || Fail("the file ends early"); }
  // A byte count that is a whole number from 0 to 255, then that many bytes.
  bool counted(std::string& text) {
    float n = 0;
    if (!f32(n)) return false;
    if (!(n >= 0 && n <= 255 && std::trunc(n) == n)) return Fail("a text length is out of range");
    return r_.raw(static_cast<std::size_t>(n), text) || Fail("the file ends early");
  }
  bool more() const { return !r_.atEnd(); }
  bool check(bool ok, const char* why) { return ok || Fail(why); }
  bool reading() const { return true; }
  const std::string& reason() const { return reason_; }

 private:
  bool Fail(const char* why) {
    if (reason_.empty()) reason_ = why;
    return false;
  }
  bytes::ByteReader r_;
  std::string reason_;
};

struct Version {
  int16_t code;
  bool current() const { return code == kSetupVersion; }
  bool older() const { return code == kSetupVersionOlder; }
  bool oldest() const { return code == kSetupVersionOldest || code == kSetupVersionOldestShort; }
};

int16_t MaxChannels(int16_t mode) {
  return mode == RecordingModeCode::Scope ? 1 : mode == RecordingModeCode::ScopeChart ? 5 : 16;
}

#define MV_TRY(x) \
  if (!(x)) return false

template <class IO>
bool Slots(IO& io, SetupRecord& r, std::initializer_list<int> numbers) {
  for (int s : numbers) MV_TRY(io.i16(r.prefSlots[s]));
  return true;
}

template <class IO>
bool Floats(IO& io, float* first, int count) {
  for (int i = 0; i < count; ++i) MV_TRY(io.f32(first[i]));
  return true;
}

// Fields 2 to 13: mode, counts, intervals, switching, labels and the channel table.
template <class IO>
bool WalkChannels(IO& io, SetupRecord& r) {
  MV_TRY(io.i16(r.recordingMode) && io.i16(r.channels));
  MV_TRY(io.check(r.recordingMode >= 1 && r.recordingMode <= 3, "the recording mode is unknown"));
  MV_TRY(io.check(r.channels >= 1 && r.channels <= MaxChannels(r.recordingMode),
                  "the channel count does not fit the recording mode"));
  MV_TRY(io.f32(r.chartTicks) && io.f32(r.scopeTicks));
  MV_TRY(io.i16(r.switchingMode) && io.f32(r.switchint) && io.f32(r.refint) && io.i16(r.refChan));
  MV_TRY(io.check(r.switchingMode >= 0 && r.switchingMode <= SwitchingPatternCode::SequentialDevices,
                  "the switching pattern is unknown"));
  MV_TRY(io.counted(r.labels1));
  if (r.channels >= 9) MV_TRY(io.counted(r.labels2));
  for (int ch = 1; ch <= r.channels; ++ch) MV_TRY(Floats(io, &r.channelTable[ch][1], 13));
  if (r.switchingMode == SwitchingPatternCode::SequentialFiles) {
    MV_TRY(io.f32(r.channelTable[0][0]));
    for (int ch = 1; ch <= 8; ++ch) MV_TRY(io.f32(r.channelTable[ch][ChanField::Device]));
  }
  return true;
}

// Fields 14 to 34: scope and trigger settings, the three-way button, interface words.
template <class IO>
bool WalkScopeAndTrigger(IO& io, SetupRecord& r) {
  MV_TRY(io.i16(r.scopeGain) && io.i32(r.maxSamples) && io.i16(r.triggerOn) && io.i16(r.triggerChan));
  MV_TRY(io.f32(r.triggerval) && io.i16(r.triggerMode) && io.f32(r.chartView));
  if (io.reading()) {
    if (r.maxSamples == 0) r.maxSamples = r.prefSlots[PrefsSlot::WindowWidth];
    if (r.triggerChan < 1 || r.triggerChan > 16) r.triggerChan = 1;
  }
  MV_TRY(
      io.check(r.maxSamples >= 0 && r.maxSamples <= MaximumSamples, "the recording length is out of range"));
  MV_TRY(io.i32(r.scopeMax) && io.i16(r.refChan2) && io.i16(r.scopeScale));
  MV_TRY(io.check(r.scopeMax >= 0 && r.scopeMax <= MaximumScopeSamples,
                  "the scope trace length is out of range"));
  int16_t reserved = 0, iface = r.interfaceCode, port = r.serialPort;
  MV_TRY(io.i16(r.extraTriggerInput));
  for (int e : {0, 1, 2, 3, 5, 6}) MV_TRY(io.f32(r.poly[0][e]));
  MV_TRY(io.i16(iface));
  MV_TRY(io.i16(reserved) && Slots(io, r, {1, 2, 22}) && io.i16(port) && Slots(io, r, {44}));
  return io.i16(r.absoluteValue) && io.i16(r.audibleAlarm);
}

// Field 35: conversion codes and alarm fields 0 to 5 (the oldest version in two blocks).
template <class IO>
bool WalkCodesAndAlarms(IO& io, SetupRecord& r, Version v) {
  if (!v.oldest()) {
    for (int k = 1; k <= 16; ++k) MV_TRY(io.f32(r.channelTable[0][k]) && Floats(io, &r.alarms[k][0], 6));
    return true;
  }
  const int n = r.channels <= 8 ? 8 : 16;
  for (int k = 1; k <= n; ++k) MV_TRY(io.f32(r.channelTable[0][k]));
  for (int k = 1; k <= n; ++k) MV_TRY(Floats(io, &r.alarms[k][0], 6));
  return true;
}

// Fields 36 to 58: trigger saving, view words, device labels, DataTaker words, backup,
// zero links, ports and the audible timer.
template <class IO>
bool WalkMiddle(IO& io, SetupRecord& r, Version v) {
  MV_TRY(io.i16(r.triggerSaveCount) && io.i16(r.triggerSequence) && Slots(io, r, {23, 5}));
  MV_TRY(io.f64(r.customTic) && Slots(io, r, {6, 42}));
  int16_t pa3 = r.prefSlots[3];
  MV_TRY(io.i16(pa3) && io.i16(r.scopeViewStep));
  if (r.switchingMode == SwitchingPatternCode::SequentialFiles) MV_TRY(io.counted(r.deviceLabels));
  for (int ch = 1; ch <= r.channels; ++ch)
    for (int w = v.current() ? 0 : 1; w < kDataTakerWords; ++w) MV_TRY(io.i16(r.dataTaker[ch][w]));
  MV_TRY(Slots(io, r, {28}) && io.i32(r.timedSaveInterval) && io.i16(r.zeroLinks[0]));
  for (int row = 0; row <= 16; ++row)
    MV_TRY(io.i16(r.zeroLinks[3 * row + 1]) && io.i16(r.zeroLinks[3 * row + 2]));
  int32_t port = r.digitalPort;
  MV_TRY(io.i32(port) && io.i32(r.maxDisplaySpeed) && Slots(io, r, {4}));
  if (v.oldest()) r.digitalPort = port;
  MV_TRY(Floats(io, r.alertIntervals.data(), 3));
  for (int16_t& w : r.alertWords) MV_TRY(io.i16(w));
  for (int32_t& t : r.alertTimes) MV_TRY(io.i32(t));
  float reserved = 0;
  int32_t baud = r.baudrate;
  return io.f32(reserved) && io.i32(baud);
}

template <class IO>
bool Breakpoints(IO& io, SetupRecord& r) {
  for (int row = 1; row <= 22; ++row) MV_TRY(Floats(io, r.breakpoints[row].data(), 22));
  return true;
}
template <class IO>
bool GasExchange(IO& io, SetupRecord& r) {
  for (int row = 1; row <= 16; ++row) MV_TRY(Floats(io, &r.gasExchange[row][1], 20));
  return true;
}
template <class IO>
bool XYPlot(IO& io, SetupRecord& r) {
  MV_TRY(io.i16(r.showXYPlot));
  for (int row = 1; row <= 16; ++row) MV_TRY(Floats(io, &r.xyPlot[row][1], 10));
  return true;
}

// What the oldest version lacks: the late alarm fields and the two save-format
// slots it never carries, and the two slots a file that ends early leaves out.
void SetOldestDefaults(SetupRecord& r) {
  for (int row = 1; row <= 16; ++row)
    for (int f = 6; f <= 22; ++f) r.alarms[row][f] = 0;
  r.prefSlots[16] = r.prefSlots[17] = 0;
  r.prefSlots[31] = 1;
  r.prefSlots[39] = 0;
}

// Field 59 to the end of the oldest version: every group after the first two prefSlots
// may be missing.
template <class IO>
bool WalkOldestTail(IO& io, SetupRecord& r, ParsedSetup* meta) {
  MV_TRY(Slots(io, r, {40, 30}));
  if (io.reading()) SetOldestDefaults(r);
  if (!io.more()) return true;
  int16_t width = 0;
  MV_TRY(io.i16(width));
  if (meta) meta->storedWidth = width, meta->hasStoredWidth = true;
  if (!io.more()) return true;
  MV_TRY(Breakpoints(io, r));
  if (!io.more()) return true;
  MV_TRY(Slots(io, r, {31}));
  if (!io.more()) return true;
  MV_TRY(GasExchange(io, r));
  if (!io.more()) return true;
  MV_TRY(XYPlot(io, r));
  if (!io.more()) return true;
  return Slots(io, r, {39});
}

// Fields 59 to 76 of the two newer versions (the older one may stop after field 65
// and lacks 75 and 76; its DataTaker word 0 comes after field 70).
template <class IO>
bool WalkTail(IO& io, SetupRecord& r, Version v, ParsedSetup* meta) {
  int16_t width = r.prefSlots[PrefsSlot::WindowWidth];
  MV_TRY(Slots(io, r, {40, 30}) && io.i16(width));
  if (meta) meta->storedWidth = width, meta->hasStoredWidth = true;
  MV_TRY(Breakpoints(io, r) && Slots(io, r, {31}) && GasExchange(io, r) && XYPlot(io, r) &&
         Slots(io, r, {39}));
  const bool optional = v.older();
  const auto present = [&] { return !optional || io.more(); };
  if (!present()) {
    for (int row = 1; row <= 16; ++row)
      for (int f = 6; f <= 22; ++f) r.alarms[row][f] = 0;
  } else {
    for (int row = 1; row <= 16; ++row) MV_TRY(Floats(io, &r.alarms[row][6], 17));
  }
  if (!present()) {
    r.prefSlots[16] = r.prefSlots[17] = 0;
  } else {
    MV_TRY(Slots(io, r, {16, 17, 18}));
  }
  if (present()) {
    for (int k = 1; k <= 4; ++k) MV_TRY(io.i16(r.tInputModes[k]));
  }
  if (present()) MV_TRY(Slots(io, r, {19}));
  if (present()) {
    for (int row = 0; row <= 16; ++row) MV_TRY(Floats(io, r.poly[row].data(), 7));
  }
  if (v.older() && present()) {
    for (int ch = 1; ch <= r.channels; ++ch) MV_TRY(io.i16(r.dataTaker[ch][0]));
  }
  if (present()) {
    for (int ch = 1; ch <= r.channels; ++ch) MV_TRY(io.f32(r.spikeFilter[ch]));
    if (meta) meta->spikeThresholds = true;
  }
  if (present()) MV_TRY(io.i16(r.showSwitchDeviceAsMarker));
  if (present()) MV_TRY(io.f32(r.valueForZero));
  if (present()) {
    for (int k = 1; k <= 16; ++k) MV_TRY(io.i16(r.sensorTypes[k]));
  }
  if (v.older()) return true;
  if (io.more()) MV_TRY(io.i16(r.dt800Fast));
  if (io.more()) MV_TRY(io.i16(r.mainsFrequency));
  return true;
}

template <class IO>
bool Walk(IO& io, SetupRecord& r, Version v, ParsedSetup* meta) {
  MV_TRY(WalkChannels(io, r) && WalkScopeAndTrigger(io, r) && WalkCodesAndAlarms(io, r, v));
  MV_TRY(WalkMiddle(io, r, v));
  return v.oldest() ? WalkOldestTail(io, r, meta) : WalkTail(io, r, v, meta);
}

#undef MV_TRY

// Labels as the program keeps them: the first block at most 241 bytes, the device
// labels exactly eight 20-character fields.
void TidyTexts(SetupRecord& r) {
  if (r.labels1.size() > kLabelsLimit) r.labels1.resize(kLabelsLimit);
  if (r.labels2.size() > kLabelsLimit) r.labels2.resize(kLabelsLimit);
  r.deviceLabels = bytes::FixedWidth(r.deviceLabels, kDeviceLabelsSize);
}

// Files made before the temperature inputs had their own table hold other codes in
// the read-mode field (a serial channel's value number, an ADAM range). Those were
// never a mode the user chose: the input reads degrees C, as a new set-up does.
void TidyTemperatureModes(SetupRecord& r) {
  for (int k = 1; k <= 4; ++k)
    if (r.tInputModes[k] < 0 || r.tInputModes[k] > 2) r.tInputModes[k] = 0;
}

// The extra trigger input the file keeps goes into channel record 16 as the trigger
// window leaves it: read as volts (a 0, b 1, c 1). A file that keeps none (0, as every
// older file holds there) leaves the record as it was; so does a set-up of 16 channels,
// whose record 16 is a channel of its own.
void PlaceExtraTriggerInput(SetupRecord& r) {
  if (r.extraTriggerInput < 1 || r.extraTriggerInput > 16 || r.channels >= 16) return;
  ChannelVariablesRecord& extra = r.channelTable[16];
  extra[ChanField::Input] = r.extraTriggerInput;
  extra[ChanField::A] = 0.0f;
  extra[ChanField::B] = 1.0f;
  extra[ChanField::C] = 1.0f;
}

// The extra trigger input of the table in force, as the file keeps it.
int16_t ExtraTriggerInputOf(const std::array<ChannelVariablesRecord, kChannelRows>& table, int16_t channels) {
  if (channels >= 16) return 0;
  const float input = table[16][ChanField::Input];
  return input >= 1.0f && input < 17.0f ? static_cast<int16_t>(input) : int16_t{0};
}

// The parse, refused when the program could not use a value of its record.
ParsedSetup Checked(ParsedSetup p) {
  if (!p.record) return p;
  p.reason = SetupRecordProblem(*p.record);
  if (!p.reason.empty()) p.record.reset();
  return p;
}

template <class Table>
bool AllFinite(const Table& rows, std::size_t firstRow, std::size_t firstField, std::size_t lastField) {
  for (std::size_t row = firstRow; row < rows.size(); ++row)
    for (std::size_t f = firstField; f <= lastField && f < rows[row].size(); ++f)
      if (!std::isfinite(rows[row][f])) return false;
  return true;
}

bool IsDevice(double d) {
  return d >= 0 && d <= kLastSwitchedDevice;
}

// The single values and tables of a record that must hold numbers.
bool NumbersAreFinite(const SetupRecord& r) {
  const double singles[] = {r.switchint,        r.refint,       r.triggerval,        r.chartView,
                            r.customTic,        r.valueForZero, r.alertIntervals[0], r.alertIntervals[1],
                            r.alertIntervals[2]};
  for (double v : singles)
    if (!std::isfinite(v)) return false;
  return AllFinite(r.channelTable, 0, 0, 16) && AllFinite(r.alarms, 1, 0, kAlarmFields - 1) &&
         AllFinite(r.breakpoints, 1, 0, 21) && AllFinite(r.gasExchange, 1, 1, 20) &&
         AllFinite(r.xyPlot, 1, 1, 10) && AllFinite(r.poly, 0, 0, 6) &&
         std::all_of(r.spikeFilter.begin(), r.spikeFilter.end(), [](float v) { return std::isfinite(v); });
}

std::string Trimmed(const Str255& number) {
  std::string text = number.str();
  text.erase(0, text.find_first_not_of(' '));
  return text;
}

// A channel's readings averaged and coefficients (its row's a, b, c and its three-way
// record) by the rules of the windows that set them. The data file states the count it
// was given: a fraction, or a count beyond what the sample takers count, would say one
// count while they average another.
std::string ChannelValueProblem(const SetupRecord& r, int ch) {
  const double averaged = r.channelTable[ch][ChanField::Averaged];
  // Beyond the chart the count is the scope samples per chart sample, worked out from the
  // intervals whenever the set-up window opens; no sample taker averages it.
  const double counted = r.recordingMode == RecordingModeCode::Chart
                             ? averaged
                             : std::min(averaged, static_cast<double>(kMostReadingsAveraged));
  if (const auto why = ReadingsAveragedProblem(counted))
    return "channel " + std::to_string(ch) + " averages " + Trimmed(PrintedNumber(averaged)) +
           " readings: " + *why;
  const std::pair<int, const char*> coefficients[] = {
      {ChanField::A, "a"}, {ChanField::B, "b"}, {ChanField::C, "c"}};
  for (const auto& [field, name] : coefficients)
    if (const auto why = CoefficientProblem(r.channelTable[ch][field]))
      return "channel " + std::to_string(ch) + "'s coefficient " + name + " is " +
             Trimmed(PrintedNumber(r.channelTable[ch][field])) + ": it " + *why;
  const std::pair<int, const char*> threeWay[] = {{0, "p0"}, {1, "p1"}, {2, "p2"},
                                                  {3, "p3"}, {5, "K"},  {6, "m"}};
  for (const auto& [field, name] : threeWay)
    if (const auto why = CoefficientProblem(r.poly[ch][field]))
      return "channel " + std::to_string(ch) + "'s three-way coefficient " + name + " is " +
             Trimmed(PrintedNumber(r.poly[ch][field])) + ": it " + *why;
  return {};
}

// An interval as the file stores it: ticks (1/60 s) in single precision.
float TicksOf(double seconds) {
  return static_cast<float>(seconds * 60.0);
}

// The interval that stored ticks stand for. Ticks are kept in single precision, so
// 0.01 s goes to the file as 0.6000000238 ticks; the interval is the one the writer
// would have stored those very ticks for: a rate preset, else a whole number of
// microseconds, else the ticks as they are (a typed 1/60 s is 1.0 ticks exactly).
double IntervalFromTicks(float ticks) {
  for (const double preset : RatePresetIntervals())
    if (TicksOf(preset) == ticks) return preset;
  const double seconds = ticks / 60.0;
  const double microseconds = std::round(seconds * 1e6) / 1e6;
  return microseconds > 0 && TicksOf(microseconds) == ticks ? microseconds : seconds;
}

// The strips as the user chose them while they are still the ones the acquisition
// screen fitted to a small display: the set-up then reopens at the chosen height
// without a screen-size question.
void StoreChosenStripLayout(SetupRecord& r) {
  const StripLayoutBeforeFit& c = ChosenStripLayout;
  if (!c.valid || PrefsArray[PrefsSlot::WindowHeight] != c.fittedHeight) return;
  StripLayoutBeforeFit::Strips present{};
  for (int ch = 1; ch <= 16; ++ch)
    for (int f = 0; f < 5; ++f) present[ch][f] = ChannelVariables[ch][ChanField::StripHeight + f];
  if (!SameStripLayout(present, c.fitted)) return;
  for (int ch = 1; ch <= 16; ++ch)
    for (int f = 0; f < 5; ++f) r.channelTable[ch][ChanField::StripHeight + f] = c.chosen[ch][f];
}

}  // namespace

std::string SetupRecordProblem(const SetupRecord& r) {
  if (r.recordingMode < 1 || r.recordingMode > 3) return "the recording mode is unknown";
  if (r.channels < 1 || r.channels > MaxChannels(r.recordingMode))
    return "the channel count does not fit the recording mode";
  if (r.switchingMode < 0 || r.switchingMode > SwitchingPatternCode::SequentialDevices)
    return "the switching pattern is unknown";
  if (!SampleIntervalWithinLimits(r.chartTicks / 60.0))
    return "the chart interval lies outside the Sample Rate window's limits (0.0002 s to 86400 s)";
  if (!SampleIntervalWithinLimits(r.scopeTicks / 60.0))
    return "the scope interval lies outside the Sample Rate window's limits (0.0002 s to 86400 s)";
  if (!NumbersAreFinite(r)) return "a table or setting holds a value that is no number";
  if (r.switchint < 0 || r.refint < 0) return "a switching interval is negative";
  if (!IsDevice(r.refChan) || !IsDevice(r.refChan2)) return "a reference device is out of range";
  const int devices = r.switchingMode == SwitchingPatternCode::SequentialFiles ? 8 : r.channels;
  for (int ch = 1; ch <= std::max<int>(devices, r.channels); ++ch)
    if (!IsDevice(r.channelTable[ch][ChanField::Device]))
      return "a channel's switched device is out of range";
  for (int ch = 1; ch <= r.channels; ++ch)
    if (std::string why = ChannelValueProblem(r, ch); !why.empty()) return why;
  if (r.extraTriggerInput < 0 || r.extraTriggerInput > 16)
    return "the trigger's extra A-D input is " + std::to_string(r.extraTriggerInput) +
           ": inputs are numbered 1 to 16";
  if (!(r.chartView > 0 && r.chartView <= kLargestChartView)) return "the chart compression is out of range";
  if (r.scopeViewStep < 1 || r.scopeViewStep > kLargestScopeStep)
    return "the scope plot step is out of range";
  if (r.maxSamples < 0 || r.maxSamples > MaximumSamples) return "the recording length is out of range";
  if (r.scopeMax < 0 || r.scopeMax > MaximumScopeSamples) return "the scope trace length is out of range";
  if (r.timedSaveInterval < 0) return "the timed backup interval is negative";
  if (r.labels1.size() > 255 || r.labels2.size() > 255) return "a label text is too long";
  return {};
}

int16_t SetupMarkerOf(std::string_view firstLine) {
  std::size_t i = 0;
  while (i < firstLine.size() && firstLine[i] == ' ') ++i;
  bool negative = false;
  if (i < firstLine.size() && (firstLine[i] == '-' || firstLine[i] == '+')) negative = firstLine[i++] == '-';
  int32_t value = 0;
  bool digits = false;
  for (; i < firstLine.size() && firstLine[i] >= '0' && firstLine[i] <= '9' && value < 100'000; ++i) {
    value = value * 10 + (firstLine[i] - '0');
    digits = true;
  }
  if (!digits || value > 32'768) return 0;
  return static_cast<int16_t>(negative ? -value : value);
}

std::string EncodeSetup(const SetupRecord& record) {
  SetupRecord r = record;
  SetupWriter w;
  std::string out = "-9997\r";
  Walk(w, r, Version{kSetupVersion}, nullptr);
  return out + w.take();
}

ParsedSetup ParseSetup(std::string_view data, const SetupRecord& base) {
  ParsedSetup p;
  const std::string_view first = bytes::FirstLine(data);
  p.version = SetupMarkerOf(first);
  const Version v{p.version};
  if (!v.current() && !v.older() && !v.oldest()) return Checked(ParseSetupText(data, base));
  // The version line ends in CR (or LF / CRLF from a copied file).
  std::size_t start = first.size();
  if (start < data.size() && data[start] == '\r') ++start;
  if (start < data.size() && data[start] == '\n') ++start;
  SetupReader reader(data.substr(start));
  SetupRecord r = base;
  if (!Walk(reader, r, v, &p)) {
    p.reason = reader.reason().empty() ? "the file is damaged" : reader.reason();
    return p;
  }
  if (reader.more()) {
    p.reason = "the file goes on after its last field";
    return p;
  }
  TidyTexts(r);
  TidyTemperatureModes(r);
  PlaceExtraTriggerInput(r);
  p.record = r;
  return Checked(std::move(p));
}

SetupRecord CaptureSetup() {
  SetupRecord r;
  r.recordingMode = RecordingMODE;
  r.channels = nChannels;
  r.chartTicks = TicksOf(ChartIntervalInSeconds);
  r.scopeTicks = TicksOf(ScopeIntervalInSeconds);
  r.switchingMode = SwitchingMode;
  r.switchint = switchint;
  r.refint = refint;
  r.refChan = RefChan;
  r.refChan2 = RefChan2;
  r.labels1 = datalabel.str();
  r.labels2 = datalabel2.str();
  r.deviceLabels = prefix.str().substr(0, std::min<std::size_t>(prefix.size(), kDeviceLabelsSize));
  r.channelTable = ChannelVariables;
  r.extraTriggerInput = ExtraTriggerInputOf(ChannelVariables, nChannels);
  StoreChosenStripLayout(r);
  r.scopeGain = ScopeGain;
  r.maxSamples = MaxSamples;
  r.triggerOn = TriggerON;
  r.triggerChan = TriggerChan;
  r.triggerval = triggerval;
  r.triggerMode = TriggerMode;
  r.chartView = ChartView;
  r.scopeMax = ScopeMax;
  r.scopeScale = ScopeScale;
  r.interfaceCode = External_AD;
  r.serialPort = ActiveSerialPort;
  r.absoluteValue = AbsoluteValue;
  r.audibleAlarm = AudibleALARM;
  r.prefSlots = PrefsArray;
  r.alarms = alarmsArray;
  r.triggerSaveCount = TriggerSaveCount;
  r.triggerSequence = TriggerSequence;
  r.customTic = CustomTic;
  r.scopeViewStep = ScopeViewSTEP;
  r.dataTaker = DataTakerChannels;
  r.timedSaveInterval = TimedSaveINTERVAL;
  // Links the switching window does not show ticked are no part of the set-up.
  r.zeroLinks = zerolink;
  if (!ZeroLinksInForce()) r.zeroLinks.fill(0);
  r.digitalPort = Digital_Port;
  r.maxDisplaySpeed = Max_Display_Speed;
  r.alertIntervals = {StartAlertInt, StopAlertInt, ContinueAlertInt};
  r.alertWords = {StartALERT,      ContinueALERT,   StopALERTx,     StartAlertMODE, ContAlertMODE,
                  StopAlertMODE,   StopAlertCASE,   AlertSOUNDS,    DOstartALERT,   DoStopALERT,
                  StartAlertCount, StopAlertCount,  ContAlertCount, ContAlertEnd,   AlertCount,
                  maxalerts,       StartAlertSound, ContAlertSound, StopAlertSound};
  r.alertTimes = {StartAlertTime, StopAlertTime, ContAlertInt, nextAlert};
  r.baudrate = baudrate;
  r.breakpoints = BreakpointArray;
  r.gasExchange = SpecialOpsArray;
  r.showXYPlot = ShowXYPlot;
  for (int row = 0; row < 17; ++row)
    for (int f = 0; f < 11; ++f) r.xyPlot[row][f] = XYregressionArray[row][f];
  r.poly = polyarray;
  r.spikeFilter = SpikeFilterArray;
  r.showSwitchDeviceAsMarker = ShowSwitchDeviceAsMarker;
  r.valueForZero = ValueForZeroInGasExchange;
  r.tInputModes = TInputMode;
  r.sensorTypes = ADsensorType;
  r.dt800Fast = DT800FastAcquisitionMode;
  r.mainsFrequency = mainsfrequency;
  return r;
}

void ApplySetup(const SetupRecord& r) {
  RecordingMODE = r.recordingMode;
  nChannels = r.channels;
  // Ticks back to the seconds they were written for: 6 ticks are 0.1 s.
  ChartIntervalInSeconds = IntervalFromTicks(r.chartTicks);
  ScopeIntervalInSeconds = IntervalFromTicks(r.scopeTicks);
  SwitchingMode = r.switchingMode;
  switchint = r.switchint;
  refint = r.refint;
  RefChan = r.refChan;
  RefChan2 = r.refChan2;
  datalabel = Str255(r.labels1);
  if (r.channels >= 9) datalabel2 = Str255(r.labels2);
  if (r.switchingMode == SwitchingPatternCode::SequentialFiles) prefix = Str255(r.deviceLabels);
  ChannelVariables = r.channelTable;
  ScopeGain = r.scopeGain;
  MaxSamples = r.maxSamples;
  TriggerON = r.triggerOn;
  TriggerChan = r.triggerChan;
  triggerval = r.triggerval;
  TriggerMode = r.triggerMode;
  ChartView = r.chartView;
  ScopeMax = r.scopeMax;
  ScopeScale = r.scopeScale;
  AbsoluteValue = r.absoluteValue;
  AudibleALARM = r.audibleAlarm;
  for (int s : {1, 2, 4, 5, 6, 16, 17, 18, 19, 22, 23, 28, 30, 31, 36, 39, 40, 42, 44})
    PrefsArray[s] = r.prefSlots[s];
  alarmsArray = r.alarms;
  TriggerSaveCount = r.triggerSaveCount;
  TriggerSequence = r.triggerSequence;
  CustomTic = r.customTic;
  ScopeViewSTEP = r.scopeViewStep;
  DataTakerChannels = r.dataTaker;
  TimedSaveINTERVAL = r.timedSaveInterval;
  zerolink = r.zeroLinks;
  Digital_Port = r.digitalPort;
  Max_Display_Speed = r.maxDisplaySpeed;
  StartAlertInt = r.alertIntervals[0];
  StopAlertInt = r.alertIntervals[1];
  ContinueAlertInt = r.alertIntervals[2];
  int16_t* const words[kAlertWords] = {&StartALERT,      &ContinueALERT,  &StopALERTx,      &StartAlertMODE,
                                       &ContAlertMODE,   &StopAlertMODE,  &StopAlertCASE,   &AlertSOUNDS,
                                       &DOstartALERT,    &DoStopALERT,    &StartAlertCount, &StopAlertCount,
                                       &ContAlertCount,  &ContAlertEnd,   &AlertCount,      &maxalerts,
                                       &StartAlertSound, &ContAlertSound, &StopAlertSound};
  for (int i = 0; i < kAlertWords; ++i) *words[i] = r.alertWords[i];
  StartAlertTime = r.alertTimes[0];
  StopAlertTime = r.alertTimes[1];
  ContAlertInt = r.alertTimes[2];
  nextAlert = r.alertTimes[3];
  BreakpointArray = r.breakpoints;
  SpecialOpsArray = r.gasExchange;
  ShowXYPlot = r.showXYPlot;
  for (int row = 0; row < 17; ++row)
    for (int f = 0; f < 11; ++f) XYregressionArray[row][f] = r.xyPlot[row][f];
  polyarray = r.poly;
  SpikeFilterArray = r.spikeFilter;
  ShowSwitchDeviceAsMarker = r.showSwitchDeviceAsMarker;
  ValueForZeroInGasExchange = r.valueForZero;
  TInputMode = r.tInputModes;
  ADsensorType = r.sensorTypes;
  DT800FastAcquisitionMode = r.dt800Fast;
  mainsfrequency = r.mainsFrequency;
  // A file with links its pattern or interval does not offer (or with the box off) sets
  // none: the switching window could never show them.
  DropZeroLinksNotInForce();
  // A file edited by hand may hold back-links, self-links or links from an unswitched row
  // that the window never shows: only what it shows comes in.
  KeepShownZeroLinks();
}

}  // namespace mv
