// The set-up windows' help pages as a user reads them: every window whose "?"
// opens a page is explained there control by control (each title the window shows
// is named in the page), and every worked example a page gives is what the window
// itself shows for the example's entries.
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "acquisition/state.h"
#include "common/help_page.h"
#include "conversions/evaluate.h"
#include "conversions/state.h"
#include "devices/needs.h"
#include "devices/state.h"
#include "dialog_steps.h"
#include "files/state.h"
#include "kit/channel_labels.h"
#include "kit/help.h"
#include "kit/state.h"
#include "runtime/help.h"
#include "runtime/macroman.h"
#include "runtime/windows.h"
#include "setup/calibration_window.h"
#include "setup/channel_check_window.h"
#include "setup/channel_dialogs.h"
#include "setup/channel_table.h"
#include "setup/interval_rules.h"
#include "setup/needs.h"
#include "setup/rate_check_window.h"
#include "setup/setup_window.h"
#include "setup/setup_window_rules.h"
#include "setup/state.h"
#include "setup/xy_plot_dialog.h"

namespace mv {
namespace {

struct Window {
  const char* name;
  std::function<void()> prepare;  // the experiment the window opens on
  std::function<void()> open;
  int16_t window;
  int16_t topic;  // what its "?" opens
  int16_t done;
};

void Chart() {
  RecordingMODE = RecordingModeCode::Chart;
  External_AD = ExternalADCode::SableUI2;
  nChannels = 4;
  OldChartSpeed = 1.0;
  OldChartSpeedBut = 9;
  ChartIntervalInSeconds = 1.0;
  MaxSamples = 3'600;
}

// A DataTaker and an ADC-1 show the plain input dialog; the Sable interfaces have
// their own page.
void DataTaker() {
  Chart();
  External_AD = ExternalADCode::DT500;
  // Channels 1 and 3 already read inputs 1 and 2.
  ChannelVariables[1][ChanField::Input] = 1.0f;
  ChannelVariables[3][ChanField::Input] = 2.0f;
}
void Adc1() {
  Chart();
  External_AD = ExternalADCode::ADC1;
}

// Channel 2 converted to % oxygen, with the range its page suggests.
void OxygenChannel() {
  DataTaker();
  datalabel = Str255(std::string(240, ' '));
  SetChannelLabel(2, "% oxygen");
  miny = 20.4f;
  maxy = 21.0f;
}

// Four linear channels on an ADC-1 as the set-up window shows them on a 1280 x 800
// display; the per-channel dialogs it may open change nothing here.
void FourChannels() {
  setenv("MV_DISPLAY_SIZE", "1280x800", 1);
  Adc1();
  PrefsArray[PrefsSlot::WindowWidth] = 1280;
  PrefsArray[PrefsSlot::WindowHeight] = 768;
  MaximumChans = 16;
  BlankChannelLabels();
  struct Row {
    const char* label;
    float b, minimum, maximum;
  };
  const Row rows[] = {{"% oxygen", 5.0f, 20.4f, 21.0f},
                      {"% CO2", 0.2f, 0.0f, 1.0f},
                      {"air flow (ml/min)", 1000.0f, 0.0f, 5000.0f},
                      {"temperature", 20.0f, 0.0f, 45.0f}};
  for (int16_t c = 1; c <= 4; ++c) {
    auto& r = ChannelVariables[c];
    r[ChanField::Input] = c;
    r[ChanField::B] = rows[c - 1].b;
    r[ChanField::PlotMax] = rows[c - 1].maximum;
    r[ChanField::PlotMin] = rows[c - 1].minimum;
    r[ChanField::Averaged] = 10.0f;
    ChannelVariables[0][c] = 1.0f;
    SetChannelLabel(c, rows[c - 1].label);
  }
  setup_hooks::SELECTCHANNEL = [](int16_t, int16_t) { return false; };
  setup_hooks::SCALE = [](int16_t) { return false; };
  setup_hooks::AVERAGING = [](int16_t) { return false; };
  setup_hooks::DoMENU = [](int16_t, int16_t) {};
  setup_hooks::CHECKCHANNEL = [](int16_t) {};
  setup_hooks::TRIGGER = [] {};
}

// Three labelled channels, for the X-Y plot dialog.
void ThreeLabelledChannels() {
  DataTaker();
  nChannels = 3;
  BlankChannelLabels();
  SetChannelLabel(1, "% O2 difference");
  SetChannelLabel(2, "% CO2 difference");
  SetChannelLabel(3, "temperature");
}

// The volts the interface gives the calibration's next reading.
float calibrationVolts = 0;

// Channel 2 on input 3 of a logger whose reader gives calibrationVolts.
void CalibrationChannel() {
  DataTaker();
  nChannels = 2;
  BlankChannelLabels();
  SetChannelLabel(2, "% oxygen");
  ChannelVariables[2][ChanField::Input] = 3;
  services::ReadDataTaker500 = [](int16_t, int16_t) { volts = calibrationVolts; };
}

// Channel 2 of the demonstration interface, converted to % oxygen.
void OxygenOnTheDemonstration() {
  Chart();
  External_AD = ExternalADCode::Demonstration;
  nChannels = 2;
  BlankChannelLabels();
  SetChannelLabel(2, "% oxygen");
  ChannelVariables[0][2] = ConversionTypeCode::Linear;
  ChannelVariables[2][ChanField::Input] = 3;
  ChannelVariables[2][ChanField::B] = 5;
  ChannelVariables[2][ChanField::PlotMax] = 21;
  ChannelVariables[2][ChanField::PlotMin] = 20.4f;
}

// The last of four channels, on a logger with the estimate of readings averaged
// worked out for a 10-second interval.
void LastOfFour() {
  DataTaker();
  ChartIntervalInSeconds = 10.0;
  MAXAVERAGE();
}

const Window kWindows[] = {
    {"interval-chart", Chart, [] { GetSampleINTERVAL("Chart Channels"); }, kIntervalWindow, 130, 14},
    {"interval-scope", Chart, [] { GetSampleINTERVAL("OSCILLOSCOPE"); }, kIntervalWindow, 130, 14},
    {"input-datataker", DataTaker, [] { SELECTCHANNEL(2, 0); }, kInputWindow, 131, 130},
    {"input-adc1", Adc1, [] { SELECTCHANNEL(2, 0); }, kInputWindow, 131, 130},
    {"scaling", OxygenChannel, [] { SCALE(2); }, kScalingWindow, 133, 1},
    {"setup", FourChannels, [] { DISPLAYSETUP(); }, kSetupWindow, 135, SetupItem::SetupOK},
    {"xy-plot", ThreeLabelledChannels, [] { XYPlotSetup(); }, kXYDialogWindow, 157, kXYDoneButton},
    {"calibration", CalibrationChannel, [] { DIRECTCAL(2); }, kCalibrationWindow, 159,
     test::WindowDriver::kCloseBox},
    {"channel-check", OxygenOnTheDemonstration, [] { CHECKCHANNEL(2); }, kChannelCheckWindow, 173,
     CheckButton::Done},
    {"rate-precision", Chart, [] { SampleRatePRECISION(); }, kRatePrecisionWindow, 183, 9},
    {"averaging", LastOfFour, [] { AVERAGING(4); }, kAveragingWindow, 134, 1},
};

void PrintTo(const Window& w, std::ostream* os) {
  *os << w.name;
}

std::string TestName(const char* id) {
  std::string name;
  for (const char* p = id; *p; ++p) name += *p == '-' ? '_' : *p;
  return name;
}

class SetupWindowHelpTest : public test::DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    PrefsArray[PrefsSlot::WindowWidth] = 700;
  }
  void TearDown() override {
    unsetenv("MV_DISPLAY_SIZE");
    DialogTest::TearDown();
  }
};

class SetupWindowHelpPageTest : public SetupWindowHelpTest, public ::testing::WithParamInterface<Window> {};

TEST_P(SetupWindowHelpPageTest, NamesEveryControlTheWindowShows) {
  const Window& w = GetParam();
  const std::string page = test::HelpTopicText(w.topic);
  ASSERT_FALSE(page.empty()) << HelpTopicPage(w.topic);
  w.prepare();
  std::vector<std::string> titles;
  test::WindowDriver driver;
  driver.WaitFor(w.window)
      .Check([&] {
        rt::SetOutputWindow(w.window);
        titles = test::VisibleControlTitles();
      })
      .Shot(w.window, Shot((std::string("help-") + w.name + ".png").c_str()))
      .End(w.window, w.done);
  RunVoid(driver, w.open);
  test::ExpectPageNamesEveryTitle(page, titles, HelpTopicPage(w.topic));
}

INSTANTIATE_TEST_SUITE_P(EverySetupWindowWithHelp, SetupWindowHelpPageTest, ::testing::ValuesIn(kWindows),
                         [](const ::testing::TestParamInfo<Window>& info) {
                           return TestName(info.param.name);
                         });

// The worked examples: the buttons a page says to press in the real window, and
// the field whose text the page quotes (marked in the page by the example's id).
struct Example {
  const char* id;
  int16_t topic;
  std::function<void()> prepare;
  std::function<void()> open;
  int16_t window;
  std::vector<int16_t> clicks;
  int16_t result;
  int16_t done;
};

void ChartInterval() {
  GetSampleINTERVAL("Chart Channels");
}
void AveragingOfTheLast() {
  AVERAGING(4);
}

const Example kExamples[] = {
    {"interval-max-second", 130, Chart, ChartInterval, kIntervalWindow, {}, 122, 14},
    {"interval-max-sixtieth", 130, Chart, ChartInterval, kIntervalWindow, {2}, 122, 14},
    {"interval-hour-samples", 130, Chart, ChartInterval, kIntervalWindow, {2, 59}, 111, 14},
    {"averaging-max", 134, LastOfFour, AveragingOfTheLast, kAveragingWindow, {}, 101, 1},
};

void PrintTo(const Example& e, std::ostream* os) {
  *os << e.id;
}

// The first number in a text (thousands separators aside, sign kept), with its decimals.
bool FirstNumber(std::string text, double& value, int& decimals) {
  std::erase(text, ',');
  std::size_t at = text.find_first_of("0123456789.");
  if (at == std::string::npos) return false;
  if (at > 0 && text[at - 1] == '-') --at;
  const char* first = text.data() + at;
  const auto [end, ec] = std::from_chars(first, text.data() + text.size(), value);
  if (ec != std::errc{}) return false;
  const std::string_view digits(first, static_cast<std::size_t>(end - first));
  const std::size_t point = digits.find('.');
  decimals = point == std::string_view::npos ? 0 : static_cast<int>(digits.size() - point - 1);
  return true;
}

class SetupWindowHelpExampleTest : public SetupWindowHelpTest,
                                   public ::testing::WithParamInterface<Example> {};

TEST_P(SetupWindowHelpExampleTest, PageQuotesWhatTheWindowShows) {
  const Example& e = GetParam();
  const std::string quoted = test::HelpTopicExampleText(e.topic, e.id);
  ASSERT_FALSE(quoted.empty()) << HelpTopicPage(e.topic) << " has no example \"" << e.id << "\"";
  e.prepare();
  std::string shown;
  test::WindowDriver driver;
  driver.WaitFor(e.window);
  for (int16_t c : e.clicks) driver.Click(e.window, c);
  driver.Check([&] { shown = MacRomanToUtf8(rt::EditText(e.result)); })
      .Shot(e.window, Shot((std::string("help-") + e.id + ".png").c_str()))
      .Click(e.window, e.done);
  RunVoid(driver, e.open);
  double page = 0, program = 0;
  int decimals = 0, unused = 0;
  ASSERT_TRUE(FirstNumber(quoted, page, decimals)) << quoted;
  ASSERT_TRUE(FirstNumber(shown, program, unused)) << shown;
  EXPECT_NEAR(program, page, 0.5 * std::pow(10.0, -decimals) * (1 + 1e-9))
      << e.id << ": the page says " << quoted << ", the window shows \"" << shown << "\"";
  // The unit the page gives is the window's.
  const std::size_t unit = quoted.find_last_of("0123456789") + 1;
  EXPECT_NE(shown.find(test::SqueezedText(quoted.substr(unit))), std::string::npos)
      << quoted << " / " << shown;
}

INSTANTIATE_TEST_SUITE_P(EveryWorkedExample, SetupWindowHelpExampleTest, ::testing::ValuesIn(kExamples),
                         [](const ::testing::TestParamInfo<Example>& info) {
                           return TestName(info.param.id);
                         });

// The page's calibration points taken in the real window, and the fit it shows.
TEST_F(SetupWindowHelpTest, DirectCalibrationPageQuotesTheFitOfItsPoints) {
  constexpr int16_t topic = 159;
  using namespace CalibrationControl;
  CalibrationChannel();
  constexpr int16_t W = kCalibrationWindow;
  test::WindowDriver driver;
  driver.WaitFor(W);
  for (const char* k : {"1", "2", "3"}) {
    const std::string value = test::HelpTopicExampleText(topic, std::string("cal-value-") + k);
    double v = 0;
    int unused = 0;
    ASSERT_TRUE(FirstNumber(test::HelpTopicExampleText(topic, std::string("cal-volts-") + k), v, unused))
        << k;
    ASSERT_FALSE(value.empty()) << k;
    driver.Then("value", test::TypeInto(W, ValueField, value))
        .Check([v] { calibrationVolts = static_cast<float>(v); })
        .Click(W, GetVoltage);
  }
  std::string equation, count;
  driver
      .Then("fitted",
            [&] {
              count = rt::EditText(CountField);
              return count.find("r-squared") != std::string::npos;
            })
      .Check([&] { equation = rt::EditText(EquationField); })
      .Shot(W, Shot("help-calibration-fit.png"))
      .Click(W, EquationOK);
  RunVoid(driver, [] { DIRECTCAL(2); });
  // The equation reads "A + B*volts" (or "A-B*volts"); the count "... r-squared = R".
  const std::size_t plus = equation.find_first_of("+-", equation.find_first_not_of(" -"));
  ASSERT_NE(plus, std::string::npos) << equation;
  const struct {
    const char* id;
    std::string shown;
  } quoted[] = {{"cal-a", equation},
                {"cal-b", equation.substr(equation[plus] == '-' ? plus : plus + 1)},
                {"cal-r2", count.substr(count.find('=') + 1)}};
  for (const auto& q : quoted) {
    std::string text = test::HelpTopicExampleText(topic, q.id);
    // The page writes a minus as the minus sign.
    for (std::size_t at = text.find("\xE2\x88\x92"); at != std::string::npos; at = text.find("\xE2\x88\x92"))
      text.replace(at, 3, "-");
    double page = 0, program = 0;
    int decimals = 0, unused = 0;
    ASSERT_TRUE(FirstNumber(text, page, decimals)) << q.id;
    ASSERT_TRUE(FirstNumber(q.shown, program, unused)) << q.shown;
    EXPECT_NEAR(program, page, 0.5 * std::pow(10.0, -decimals) * (1 + 1e-9))
        << q.id << ": the page says " << text << ", the window shows \"" << q.shown << "\"";
  }
}

// The page's run checked by the program's rate check at the two tolerances the
// page gives: the interval the data file keeps is the one the page quotes.
TEST_F(SetupWindowHelpTest, RatePrecisionPageQuotesTheIntervalTheFileKeeps) {
  constexpr int16_t topic = 183;
  const auto number = [](const char* id) {
    double v = NAN;
    int unused = 0;
    EXPECT_TRUE(FirstNumber(test::HelpTopicExampleText(topic, id), v, unused)) << id;
    return v;
  };
  const double requested = number("rate-requested"), seconds = number("rate-seconds");
  const auto samples = static_cast<int32_t>(number("rate-samples"));
  RecordingMODE = RecordingModeCode::Chart;
  ChartIntervalInSeconds = requested;
  Sample = samples - 1;
  for (const char* width : {"wide", "narrow"}) {
    SampRateError = static_cast<float>(number((std::string("rate-tolerance-") + width).c_str()));
    double page = 0;
    int decimals = 0;
    ASSERT_TRUE(
        FirstNumber(test::HelpTopicExampleText(topic, std::string("rate-kept-") + width), page, decimals))
        << width;
    CHECKSAMPLERATE(ChartRunTiming{0.0, seconds, samples, 0.0, 0.0}, static_cast<float>(requested), 0);
    EXPECT_NEAR(SampleInterval, page, 0.5 * std::pow(10.0, -decimals) * (1 + 1e-6)) << width;
    if (std::string(width) == "narrow") {
      EXPECT_TRUE(rt::SaveWindowImage(kRecordingCheckWindow, Shot("help-rate-check-narrow.png")));
    }
    rt::CloseWindow(kRecordingCheckWindow);
  }
}

}  // namespace
}  // namespace mv
