#include "conversions/state.h"

#include <string>
#include <string_view>

namespace mv {

std::array<BreakpointRecord, kBreakpointRows> BreakpointArray{};
std::array<ThreeWayPolyRecord, 17> polyarray{};
float aval = 0.0f;
float bval = 0.0f;
float exponent = 0.0f;
float v = 0.0f;
int16_t ConversionType = 0;
float miny = 0.0f;
float maxy = 0.0f;

std::array<float, kCustomValues> conversionsArray{};
Str255 buttonlbls;
Str255 butcomments;
Str255 but1lbls;

std::array<GasExchangeRecord, 17> SpecialOpsArray{};
float ValueForZeroInGasExchange = 0;
std::array<float, 17> SpikeFilterArray{};
float SpikeFilterRatio = 2.0f;
SpikeFilterRun SpikeFilterOfRun;
ConversionsRun ConversionsOfRun;
std::array<std::array<float, 4>, 101> autocalibrationArray{};

namespace {

// Mac Roman: 0xC6 is the Greek capital delta, 0xA1 the degree sign.
constexpr std::string_view kDelta = "\xC6";
constexpr std::string_view kDegC =
    "\xA1"
    "C";

std::string Padded(std::string text, std::size_t width) {
  text.resize(width, ' ');
  return text;
}

struct Preset {
  std::string title;
  std::string label;
  float a, b, c, min, max;
};

}  // namespace

// A record nobody has edited must record the reading itself: the initial equation
// is V (linear, a 0, b 1) and neither side adds anything. With both sides on and
// taking the volts, as the rows once started, it recorded I + V = 2V. The sides
// start off with no kind, adding to the initial value, so ticking one of them
// before setting its equation still records V.
void WriteBreakpointStartValues() {
  BreakpointArray[0].fill(0.0f);
  for (int row = 1; row < kBreakpointRows; ++row) {
    BreakpointRecord& r = BreakpointArray[row];
    r.fill(0.0f);
    r[0] = 1.0f;  // the breakpoint, volts
    r[1] = 1.0f;  // the initial equation on,
    r[2] = 1.0f;  // linear,
    r[4] = 1.0f;  // b 1
  }
}

void CopyThreeWayButtonToPolyRow0() {
  for (int i = 0; i < 4; ++i) polyarray[0][i] = conversionsArray[100 + i];
  polyarray[0][5] = conversionsArray[104];
  polyarray[0][6] = conversionsArray[105];
}

void WriteCustomConversionPresets() {
  const Preset presets[8] = {
      {"% Oxygen (Sable 19-21.5%)", "% oxygen  (Sable)", 19, 0.5f, 0, 19, 21.5f},
      {std::string(kDelta) + " %O2 (Sable 19-21.5%)", "% oxygen  deflection (Sable)", 2, -0.5f, 0, 0, 1},
      {std::string(kDelta) + "  % Oxygen (S-3A)", "% oxygen  deflection (S-3A)", 0, -10, 0, 0, 1},
      {"% CO2 (Sable)", "% CO2 (Sable)", 0, 0.2f, 0, 0, 1},
      {"Degrees C (Sable TC1000)", "temperature (" + std::string(kDegC) + ")", 0, 20, 0, 0, 45},
      {"% RH (Sable RH-100)", "% R.H. (Sable)", 0, 50, 0, 0, 80},
      {"Flow (0-5 SLPM) in air", "air flow (0-5000 ml/min)", 0, 1000, 0, 0, 5000},
      {"Flow (0-5 SLPM) in Helox", "helox flow (0-5000 ml/min)", 0, 13333.3f, 0, 0, 50000},
  };
  conversionsArray.fill(0.0f);
  std::string titles, labels;
  for (int k = 0; k < 8; ++k) {
    const Preset& p = presets[k];
    const int base = 9 * (k + 3);
    conversionsArray[base + 1] = p.a;
    conversionsArray[base + 2] = p.b;
    conversionsArray[base + 3] = p.c;
    conversionsArray[base + 4] = p.min;
    conversionsArray[base + 5] = p.max;
    conversionsArray[base + 8] = 2.0f;
    titles += Padded(p.title, 25);
    labels += Padded(p.label, 30);
  }
  titles += Padded("%CO2 (Li-Cor), 3-way poly", 25);
  const float threeWay[8] = {0.0f, 0.1419f, 1.536e-5f, 1.874e-9f, 0.0001f, 10000.0f, 0.0f, 0.3f};
  for (int i = 0; i < 8; ++i) conversionsArray[100 + i] = threeWay[i];
  buttonlbls = Str255(titles);
  butcomments = Str255(labels);
  but1lbls = Str255(Padded("% CO2 (LiCor)", 30));
  CopyThreeWayButtonToPolyRow0();
}

void ResetConversionsState() {
  WriteBreakpointStartValues();
  for (auto& row : polyarray) row.fill(0.0f);
  aval = 0.0f;
  bval = 0.0f;
  exponent = 0.0f;
  v = 0.0f;
  ConversionType = 0;
  miny = 0.0f;
  maxy = 0.0f;
  WriteCustomConversionPresets();
  for (auto& row : SpecialOpsArray) row.fill(0.0f);
  ValueForZeroInGasExchange = 0;
  SpikeFilterArray.fill(0.0f);
  SpikeFilterRatio = 2.0f;
  SpikeFilterOfRun = {};
  ConversionsOfRun = {};
  for (auto& row : autocalibrationArray) row.fill(0.0f);
}

}  // namespace mv
