// The set-up report's text: heading, basic set-up, the channel table with the
// equation blocks, then the chosen trigger, switching, display and alarm sections.
#include "files/setup_report.h"

#include <algorithm>
#include <cmath>

#include "acquisition/state.h"
#include "control/state.h"
#include "conversions/gas_exchange.h"
#include "conversions/state.h"
#include "devices/state.h"
#include "files/state.h"
#include "kit/channel_labels.h"
#include "kit/format.h"
#include "kit/state.h"
#include "setup/state.h"

namespace mv {

namespace {

constexpr char kBullet[] = "\xA5";
// Columns of the channel table, wide enough for their headings and their usual values;
// a value too wide for its column still leaves a blank before the next one.
constexpr int kColInput = 8, kColEquation = 15, kColA = 27, kColB = 41, kColC = 55, kColAveraged = 69,
              kColLabel = 79;

const std::string kRule(75, '_');
const std::string kShortRule(49, '_');

int Whole(float v) {
  return static_cast<int>(v);
}

const char* InterfaceName(int16_t code) {
  switch (code) {
    case 1: return "Sable UI2";
    case 2: return "Sable UI3";
    case 3: return "DataTaker DT500";
    case 4: return "DataTaker DT50";
    case 5: return "DataTaker DT800";
    case 6: return "DataTaker DT80";
    case 7: return "DataTaker DT85";
    case 8: return "ADAM module(s)";
    case 9: return "ADC-1";
    default: return "simulated ('test mode'  random number generator)";
  }
}

const char* OnOff(bool on) {
  return on ? "ON" : "OFF";
}

// A number as the report prints it, without the sign blank.
std::string Bare(float value) {
  ReportText t;
  t.Num(value);
  std::string s = t.text();
  s.erase(0, s.find_first_not_of(' '));
  return s;
}

// The kind's name and formula as the conversion evaluates it, on input x ("volts" or
// the initial value "I"); the reciprocal always divides the volts, and its c of 0
// stands for 1.
std::string EquationText(int kind, float a, float b, float c, const std::string& x) {
  switch (kind) {
    case 1: return "linear,  " + Bare(a) + " + " + Bare(b) + " * " + x;
    case 2: return "polynomial,  " + Bare(a) + " + " + Bare(b) + " * " + x + " + " + Bare(c) + " * " + x + "^2";
    case 3: return "power,  " + Bare(a) + " + " + Bare(b) + " * " + x + "^" + Bare(c);
    case 9:
      return "reciprocal,  " + Bare(a) + " + " + Bare(b) + (c == 0.0f ? "" : " * " + Bare(c)) + "/volts";
    default: return "no equation,  0";
  }
}

// The breakpoint record's initial equation: I, the value a side adds to or multiplies.
std::string InitialText(const BreakpointRecord& r) {
  if (r[1] == 0.0f) return "off,  I = 0";
  const std::string e = EquationText(Whole(r[2]), r[3], r[4], r[5], "volts");
  const std::size_t comma = e.find(',');
  return e.substr(0, comma) + ",  I = " + e.substr(comma + 3);
}

// One side of the breakpoint (fields from `on`: on, kind, a, b, c), with its operator
// and input fields.
std::string SideText(const BreakpointRecord& r, int on, int op, int input) {
  if (r[static_cast<std::size_t>(on)] == 0.0f) return "off,  = I";
  const std::string x = r[static_cast<std::size_t>(input)] != 0.0f ? "volts" : "I";
  const auto f = [&](int k) { return r[static_cast<std::size_t>(on + k)]; };
  const std::string e = EquationText(Whole(f(1)), f(2), f(3), f(4), x);
  const std::size_t comma = e.find(',');
  const char* how = r[static_cast<std::size_t>(op)] != 0.0f ? " x (" : " + (";
  return e.substr(0, comma) + ",  = I" + how + e.substr(comma + 3) + ")";
}

// The heading lines, which the printer sets beside its logo.
void Heading(ReportText& out, const std::string& date) {
  out.Put("Mirevant ").Put(" acquisition parameters").Line();
  const char* mode = RecordingMODE == RecordingModeCode::Scope        ? "Oscilloscope"
                     : RecordingMODE == RecordingModeCode::ScopeChart ? "Oscilloscope plus chart"
                                                                      : "Chart";
  out.Put(mode).Put(" mode  ").Put("(" + date + ")").Line();
  out.Tab().Put("MV build date: ").Put(version.str()).Line();
  if (!SetupFileName.empty()) out.Put("setup file:  '").Put(SetupFileName.str()).Put("'").Line();
}

void BasicSetup(ReportText& out) {
  out.Put(kRule).Line();
  out.Put(kBullet).Put(" Basic setup data").Line();
  out.Column(6).Put("A/D converter:  ").Put(InterfaceName(External_AD)).Line();
}

void Intervals(ReportText& out) {
  if (RecordingMODE != RecordingModeCode::Scope) {
    out.Column(6).Put("chart sample interval:").Num(ChartIntervalInSeconds).Put(" sec; ");
    out.Put("maximum number of samples:").Num(MaxSamples).Line();
    const double t = static_cast<double>(MaxSamples) * ChartIntervalInSeconds;
    out.Column(6).Put("maximum chart recording time:");
    if (t > 3600)
      out.Num(t / 3600).Put(" hours");
    else if (t > 600)
      out.Num(t / 60).Put(" minutes");
    else
      out.Num(t).Put(" sec");
    out.Line();
  }
  if (RecordingMODE == RecordingModeCode::Scope || RecordingMODE == RecordingModeCode::ScopeChart) {
    if (RecordingMODE == RecordingModeCode::ScopeChart) out.Line();
    out.Tab().Put("scope sample interval:").Num(ScopeIntervalInSeconds).Put("sec       ");
    out.Put("number of samples:").Num(ScopeMax).Line();
    out.Tab().Put("scope screen contains:").Num(ScopeIntervalInSeconds * static_cast<double>(ScopeMax)).Put("sec").Line();
    const float v = ChannelVariables[1][ChanField::PlotMax];
    out.Tab().Put("Scope gain is").Num(ScopeGain).Put("   Input signal range is");
    if (ScopeScale == 1) out.Put(" zero to").Num(v).Put("volts");
    if (ScopeScale == 2) out.Put(" ").Num(v).Put(" to zero volts");
    if (ScopeScale == 3) out.Put(" ").Num(-v).Put(" to").Num(v).Put(" volts");
    out.Line();
  }
  out.Tab().Put(kRule).Line();
}

void EquationColumns(ReportText& out, int16_t n, int type) {
  const auto& rec = ChannelVariables[n];
  const char* fixedText = type == 5 ? "breakpoint equation (coefficients below)"
                        : type == 6 ? "3-way polynomial (coefficients below)"
                        : type == 7 ? "keyboard event recorder"
                                    : nullptr;
  if (fixedText != nullptr) {
    out.Column(kColEquation).Put(fixedText);
    return;
  }
  const auto& dt = DataTakerChannels[n];
  const bool thermocouple = dt[DataTakerWord::Kind] == 0;
  const bool counter = dt[DataTakerWord::Counter] != 0;
  if (External_AD >= 2 && (thermocouple || counter)) {
    out.Column(kColEquation);
    if (thermocouple) {
      const int16_t tc = dt[DataTakerWord::ThermocoupleType];
      out.Put("TC type ").Put(tc == 3 ? "K" : tc == 2 ? "J" : "T");
    } else {
      out.Put("counter");
    }
  } else {
    const char* name = type == 1 ? "linear" : type == 2 ? "2-way poly" : type == 3 ? "power"
                       : type == 8 ? "log10" : type == 9 ? "reciprocal" : "";
    out.Column(kColEquation).Put(name);
  }
  out.Column(kColA).Num(rec[ChanField::A]);
  out.Column(kColB).Num(rec[ChanField::B]);
  out.Column(kColC);
  if (type == 1)
    out.Put("     1");
  else
    out.Num(rec[ChanField::C]);
}

// The case of a computation as its popup names it.
const char* GasCaseText(int computation, int gasCase) {
  if (computation == GasComputationCode::VCO2)
    return gasCase == 2 ? "Use RQ, Flowmeter Downstream" : "Use RQ, Flowmeter Upstream";
  if (computation != GasComputationCode::VO2) return "";
  switch (gasCase) {
    case 2:
      return "No CO2, Flowmeter Downstream";
    case 4:
      return "CO2 Present, Flowmeter Upstream";
    case 5:
      return "CO2 Present, Flowmeter Downstream";
    default:
      return "No CO2, Flowmeter Upstream";
  }
}

// A channel whose values become a rate: what it computes from its converted % difference,
// with the flow and the fractions the computation uses, and what the files keep.
void PrintGasExchange(ReportText& out, int16_t n) {
  const GasExchangeRecord& r = SpecialOpsArray[n];
  const int computation = Whole(r[GasField::Computation]);
  // A case that passes the converted value on computes no rate: no unit of a rate is
  // claimed for it, and the files keep the value whatever the save choice.
  const bool rate = GasComputesRate(r);
  const std::string rateName = GasRateName(r).str();
  out.Tab().Column(10).Put(kShortRule).Line();
  out.Tab().Put("Gas exchange, channel").Num(n).Put(": ");
  out.Put(rate ? rateName : rateName.substr(0, rateName.find(' ')));
  if (computation != GasComputationCode::EWL)
    out.Put(",  ").Put(GasCaseText(computation, Whole(r[GasField::Case])));
  out.Line();
  out.Column(10).Put("flow:");
  if (Whole(r[GasField::FlowSource]) == kFlowFromChannel)
    out.Put(" channel").Num(Whole(r[GasField::Flow]));
  else
    out.Num(r[GasField::Flow]).Put(" ml/min");
  if (computation == GasComputationCode::EWL) {
    out.Put(";  air temperature").Num(r[GasField::Temperature]).Put(" C");
  } else {
    out.Put(";  FiO2").Num(r[GasField::FiO2]).Put(";  FiCO2").Num(r[GasField::FiCO2]);
    out.Put(";  RQ").Num(r[GasField::RQ]);
  }
  out.Line();
  out.Column(10).Put(!rate ? "this case computes no rate: the data files keep the converted value"
                     : (Whole(r[GasField::Save]) & 1) != 0
                         ? "Display & Save: the data files keep the rate"
                         : "Display Only: the data files keep the converted value");
  if (r[GasField::Correction] > 0.0f) out.Put(";  response correction Z =").Num(r[GasField::Z]);
  out.Line();
}

void ChannelTable(ReportText& out) {
  out.Put("chan.").Column(kColInput).Put("input").Column(kColEquation).Put("equation");
  out.Column(kColA).Put("A-value").Column(kColB).Put("B-value").Column(kColC).Put("C-value");
  out.Column(kColAveraged).Put("averaged").Column(kColLabel).Put("label").Line();
  for (int16_t n = 1; n <= nChannels && n <= 16; ++n) {
    const auto& rec = ChannelVariables[n];
    const int input = Whole(rec[ChanField::Input]);
    out.Num(n).Column(kColInput).Num(input);
    EquationColumns(out, n, Whole(ChannelVariables[0][n]));
    out.Column(kColAveraged);
    if (PrefsArray[PrefsSlot::AverageAllChannels] != 0)
      out.Put("scan");
    else
      out.Num(rec[ChanField::Averaged]);
    out.Column(kColLabel).Put(RecordedChannelLabel(n).str()).Line();
  }
  int16_t threeWay = 0;
  for (int16_t n = 1; n <= nChannels && n <= 16; ++n)
    if (Whole(ChannelVariables[0][n]) == 6) threeWay = n;
  if (threeWay != 0) {
    const auto& p = polyarray[threeWay];
    out.Tab().Column(10).Put(kShortRule).Line();
    out.Tab().Put("Three-way polynomial equation, channel").Num(threeWay).Put(":").Line();
    out.Column(10).Put("input voltage conversion: V=volts *").Num(p[6]).Line();
    out.Column(10).Put("result= ").Num(p[5]).Put("*[").Num(p[0]).Put(" + ").Num(p[1]).Put("*V + ").Num(p[2]);
    out.Put("*V^2 + ").Num(p[3]).Put("*V^3 ]").Line();
  }
  for (int16_t n = 1; n <= nChannels && n <= 16; ++n)
    if (Whole(ChannelVariables[0][n]) == 5) PrintBreakpointData(out, n);
  for (int16_t n = 1; n <= nChannels && n <= 16; ++n)
    if (Whole(SpecialOpsArray[n][GasField::Computation]) > 0) PrintGasExchange(out, n);
  out.Tab().Put(kRule).Line().Line();
}

void TriggerSection(ReportText& out) {
  out.Tab().Put(kBullet).Put(" Triggering is ");
  if (TriggerON != 0) {
    out.Put("ON,").Put(" trigger channel is").Num(TriggerChan).Put(" and the trigger condition is: ");
    out.Put(TriggerMode != 0 ? "<" : " > ").Num(triggerval);
  } else {
    out.Put("OFF");
  }
  out.Line().Line();
}

const char* SwitchingModeName(int16_t mode) {
  switch (mode) {
    case 1: case 2: return "Keyboard control";
    case 3: case 4: return "Reference at start and end";
    case 5: case 6: return "Periodic references";
    case 7: case 8: return "Keyboard control, timed reference";
    case 9: return "Start and end, sequential files";
    case 10: return "Sequential devices, one channel";
    default: return "OFF";
  }
}

void SwitchingSection(ReportText& out) {
  out.Put(kBullet).Put("Device switching is ");
  if (SwitchingMode == 0) {
    out.Put("OFF").Line().Line();
    return;
  }
  const bool twoGroups = SwitchingMode == 2 || SwitchingMode == 4 || SwitchingMode == 6 || SwitchingMode == 8;
  out.Put("ON, reference interval is ").Num(refint).Put(" min, sample interval is ").Num(switchint).Put(" min").Line();
  out.Tab().Put("     The switching mode is:   ").Put(SwitchingModeName(SwitchingMode));
  out.Put(twoGroups ? " using two device groups" : " using one device group").Line();
  out.Tab().Put(twoGroups ? "      The reference devices are " : "     The reference device is ").Num(RefChan);
  if (RefChan2 != 0) out.Put(" (group 1) and").Num(RefChan2).Put(" (group 2)");
  out.Line();
  out.Tab().Put("     The following channels are connected to sample devices:").Line();
  for (int16_t n = 1; n <= nChannels && n <= 16; ++n) {
    const int device = Whole(ChannelVariables[n][ChanField::Device]);
    if (device == 0) continue;
    out.Tab().Tab().Put("         Channel").Num(n).Put(" is connected to device").Num(device);
    if (twoGroups) {
      const int lastOfGroup1 = External_AD == ExternalADCode::ADC1 ? 3 : 4;
      out.Put(device > lastOfGroup1 ? " (group 2)" : " (group 1)");
    }
    out.Line();
  }
  out.Line();
}

// Slope trends show when any recorded channel's alarm record asks for them.
bool AnySlopeTrendOn() {
  for (int16_t n = 1; n <= nChannels && n <= 16; ++n)
    if (alarmsArray[n][AlarmField::SlopeTrendOn] > 0) return true;
  return false;
}

void DisplaySection(ReportText& out) {
  const auto slot = [](int s) { return PrefsArray[s] != 0; };
  out.Put(kBullet).Put("Screen display, audible signals, data backup, alarms:").Line();
  out.Tab().Put("     Automatic repeat is ").Put(OnOff(slot(PrefsSlot::Autorepeat))).Line();
  out.Tab().Put("     Custom time tics are ").Put(OnOff(CustomTic != 0)).Tab().Put("sample beep is ");
  out.Put(OnOff(slot(PrefsSlot::BeepEverySample))).Line();
  const char* zeroLines = slot(PrefsSlot::ZeroLines) ? "SHOWN;    " : "NOT SHOWN;    ";
  out.Tab().Put("     Zero lines are ").Put(zeroLines).Tab().Put("High-density grids are ");
  out.Put(OnOff(slot(PrefsSlot::ManyGridLines))).Line();
  out.Tab().Tab().Put("    Grid lines are ").Put(slot(PrefsSlot::DashedGrids) ? "DASHED" : "SOLID").Line();
  out.Tab().Put("     Switch status is ").Put(slot(PrefsSlot::ShowSwitchStatus) ? "SHOWN" : "NOT SHOWN").Line();
  out.Tab().Put("     Numeric readouts are ").Put(slot(PrefsSlot::LargeReadouts) ? "LARGE;   " : "NORMAL;   ");
  out.Tab().Put("     Slope trends are ").Put(OnOff(AnySlopeTrendOn())).Line();
  const int16_t scroll = PrefsArray[PrefsSlot::ChartRedrawOption];
  out.Tab().Put("     Screen scrolling is ").Put(scroll == 1 ? "50%" : scroll == 2 ? "67%" : scroll == 3 ? "75%" : "100%");
  out.Line();
  out.Tab().Put("     Audible timing signals are ").Put(OnOff(AlertSOUNDS != 0)).Line();
  out.Tab().Put("     Automatic backup is ");
  if (slot(PrefsSlot::AutomaticBackup))
    out.Put("ON and data are saved every").Num(TimedSaveINTERVAL / 3600.0).Put(" minutes");
  else
    out.Put("OFF");
  out.Line();
}

void AlarmSection(ReportText& out) {
  bool any = false;
  for (int16_t n = 1; n <= 16; ++n) any = any || alarmsArray[n][AlarmField::AnyOn] != 0;
  out.Line().Put(kBullet).Put("  Alarms are ");
  out.Put(any ? "ACTIVATED for the following channel(s) and conditions:" : "NOT SET").Line();
  for (int16_t n = 1; n <= nChannels && n <= 16; ++n) {
    const auto& a = alarmsArray[n];
    bool started = false;
    const auto prefix = [&] {
      if (!started) out.Tab().Tab().Put("     channel").Num(n).Tab();
      started = true;
    };
    if (a[AlarmField::LowerOn] != 0) {
      prefix();
      out.Put("   less than").Num(a[AlarmField::LowerLimit]).Tab();
    }
    if (a[AlarmField::UpperOn] != 0) {
      prefix();
      out.Put("   more than").Num(a[AlarmField::UpperLimit]).Tab();
    }
    if (a[AlarmField::OverRangeOn] != 0) {
      prefix();
      out.Put("   OVERRANGE").Tab().Line();
    }
    if (started) out.Line();
  }
}

}  // namespace

ReportText& ReportText::Put(const std::string& s) {
  text_ += s;
  col_ += static_cast<int>(s.size());
  return *this;
}

ReportText& ReportText::Num(double value) {
  return Put(PrintedNumber(value).str());
}

ReportText& ReportText::Num(float value) {
  return Put(PrintedNumber(value).str());
}

ReportText& ReportText::Tab() {
  text_ += '\t';
  col_ = (col_ / 8 + 1) * 8;
  return *this;
}

ReportText& ReportText::Column(int n) {
  const int want = std::max(0, n - 1);
  if (col_ < want) return Put(std::string(static_cast<std::size_t>(want - col_), ' '));
  if (col_ > want) return Put(" ");
  // Exactly at the column: a blank still parts it from text that ends there.
  const char last = text_.empty() ? '\r' : text_.back();
  return col_ == 0 || last == ' ' || last == '\t' ? *this : Put(" ");
}

ReportText& ReportText::Line() {
  text_ += '\r';
  col_ = 0;
  return *this;
}

std::string ExpandTabs(const std::string& text) {
  std::string out;
  std::size_t col = 0;
  for (const char c : text) {
    if (c == '\t') {
      const std::size_t next = (col / 8 + 1) * 8;
      out.append(next - col, ' ');
      col = next;
    } else {
      out += c;
      col = (c == '\r' || c == '\n') ? 0 : col + 1;
    }
  }
  return out;
}

void PrintBreakpointData(ReportText& out, int16_t channel) {
  const auto& r = BreakpointArray[static_cast<std::size_t>(channel)];
  out.Tab().Column(7).Put(kShortRule).Line();
  out.Tab().Put("Breakpoint equation, channel").Num(channel).Put(":").Line();
  out.Column(10).Put("breakpoint value =").Num(r[0]).Line();
  out.Column(10).Put("initial conversion is ").Put(InitialText(r)).Line();
  out.Column(10).Put("below breakpoint conversion is ").Put(SideText(r, 6, 18, 20)).Line();
  out.Column(10).Put("above breakpoint conversion is ").Put(SideText(r, 11, 19, 21)).Line();
}

SetupReport BuildSetupReport(const SetupReportSections& sections, const std::string& date) {
  ReportText heading, out;
  Heading(heading, date);
  BasicSetup(out);
  Intervals(out);
  ChannelTable(out);
  if (sections.trigger) TriggerSection(out);
  if (sections.switching) SwitchingSection(out);
  if (sections.display) DisplaySection(out);
  if (sections.alarms) AlarmSection(out);
  out.Line();
  return {heading.text(), out.text()};
}

std::string SetupReportText(const SetupReportSections& sections, const std::string& date) {
  const SetupReport report = BuildSetupReport(sections, date);
  return report.heading + report.body;
}

}  // namespace mv
