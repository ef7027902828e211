// The conversion windows' help pages as a user reads them: every window whose "?"
// opens a page is explained there control by control (each title the window shows
// is named in the page), and every worked conversion a page gives is what the
// program's own conversion makes of the page's coefficients and volts.
#include <charconv>
#include <cmath>
#include <fstream>
#include <functional>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "common/help_page.h"
#include "conversions/breakpoint_window.h"
#include "conversions/conversions_window.h"
#include "conversions/custom_windows.h"
#include "conversions/evaluate.h"
#include "conversions/gas_exchange.h"
#include "conversions/gas_options_window.h"
#include "conversions/needs.h"
#include "conversions/spike_filter.h"
#include "conversions/state.h"
#include "devices/state.h"
#include "kit/channel_labels.h"
#include "kit/format.h"
#include "kit/help.h"
#include "kit/state.h"
#include "runtime/macroman.h"
#include "runtime/menus.h"
#include "runtime/windows.h"
#include "setup/state.h"
#include "window_fixture.h"

namespace mv {
namespace {

std::string TestName(const char* id) {
  std::string name;
  for (const char* p = id; *p; ++p) name += *p == '-' ? '_' : *p;
  return name;
}

struct Window {
  const char* name;
  std::function<void()> open;
  int16_t window;
  int16_t topic;  // what its "?" opens
  int16_t done;
};

const Window kWindows[] = {
    {"conversions", [] { CONVERT(2); }, kConversionsWindow, 132, ConversionsButton::SelectionOK},
    {"custom-editor", [] { CustomConversionEditor(); }, kCustomEditorWindow, 154,
     CustomEditorControl::ConversionsOK},
    {"gas-options", [] { ConversionOptions(2); }, kGasOptionsWindow, 156, GasOptionsControl::Done},
    {"spike-filter", [] { SetSpikeFilter(); }, kSpikeFilterWindow, 168, SpikeControl::Done},
    {"breakpoint", [] { BREAKPOINT(2); }, kBreakpointWindow, 187, BreakpointControl::Done},
    {"custom-transfer", [] { CUSTOMTRANSFER(); }, kCustomTransferWindow, 154,
     CustomTransferControl::ConversionsOK},
};

void PrintTo(const Window& w, std::ostream* os) {
  *os << w.name;
}

class ConversionHelpTest : public test::ConversionWindowTest {
 protected:
  void SetUp() override {
    ConversionWindowTest::SetUp();
    RecordingMODE = RecordingModeCode::Chart;
    External_AD = ExternalADCode::DT500;
    nChannels = 3;
    datalabel = Str255(std::string(240, ' '));
    datalabel2 = datalabel;
    for (int16_t c = 1; c <= 3; ++c) {
      auto& r = ChannelVariables[c];
      r[ChanField::Input] = c;
      r[ChanField::B] = 1.0f;
      r[ChanField::PlotMax] = 5.0f;
      r[ChanField::PlotMin] = -5.0f;
      ChannelVariables[0][c] = 1.0f;
    }
    rt::NewMenu(100, "Conversion Equations");
    rt::NewMenu(120, "Conversion Options");
    // The program wires the calibration window; here it only needs to exist, so that
    // its button shows as the user sees it.
    conversion_hooks::DIRECTCAL = [](int16_t) {};
  }
};

class ConversionHelpPageTest : public ConversionHelpTest, public ::testing::WithParamInterface<Window> {};

TEST_P(ConversionHelpPageTest, NamesEveryControlTheWindowShows) {
  const Window& w = GetParam();
  const std::string page = test::HelpTopicText(w.topic);
  ASSERT_FALSE(page.empty()) << HelpTopicPage(w.topic);
  std::vector<std::string> titles;
  test::WindowDriver driver;
  driver.WaitFor(w.window)
      .Check([&] {
        rt::SetOutputWindow(w.window);
        titles = test::VisibleControlTitles();
      })
      .Shot(w.window, Shot((std::string("help-") + w.name + ".png").c_str()))
      .Click(w.window, w.done);
  Run(driver, w.open);
  test::ExpectPageNamesEveryTitle(page, titles, HelpTopicPage(w.topic));
}

INSTANTIATE_TEST_SUITE_P(EveryConversionWindowWithHelp, ConversionHelpPageTest, ::testing::ValuesIn(kWindows),
                         [](const ::testing::TestParamInfo<Window>& info) {
                           return TestName(info.param.name);
                         });

// The first number in a text, with its count of decimals.
bool FirstNumber(const std::string& text, double& value, int& decimals) {
  const std::size_t at = text.find_first_of("-0123456789.");
  if (at == std::string::npos) return false;
  const char* first = text.data() + at;
  const auto [end, ec] = std::from_chars(first, text.data() + text.size(), value);
  if (ec != std::errc{}) return false;
  const std::string_view digits(first, static_cast<std::size_t>(end - first));
  const std::size_t point = digits.find('.');
  decimals = point == std::string_view::npos ? 0 : static_cast<int>(digits.size() - point - 1);
  return true;
}

// A worked conversion: the page gives its entries (elements id-a, id-b and so on,
// one per part, or the element a '#' part names) and the value (element id); the
// program converts the entries.
struct Example {
  const char* id;
  int16_t topic;
  std::vector<const char*> parts;
  std::function<double(const std::vector<float>&)> convert;
};

double Convert(int16_t type, const std::vector<float>& e) {
  return ConvertReading(type, e[0], e[1], e[2], BreakpointRecord{}, ThreeWayPolyRecord{}, 0, e[3]).value;
}

// A breakpoint record as the window leaves it for two linear sides on the volts:
// breakpoint, below a and b, above a and b.
BreakpointRecord TwoSlopes(const std::vector<float>& e) {
  BreakpointRecord r{};
  r[0] = e[0];
  r[6] = 1.0f;
  SetBreakpointEquation(r, 1, BreakpointKindCode::Linear, e[1], e[2], 0.0f);
  r[11] = 1.0f;
  SetBreakpointEquation(r, 2, BreakpointKindCode::Linear, e[3], e[4], 0.0f);
  r[20] = r[21] = 1.0f;
  return r;
}

const Example kExamples[] = {
    {"linear",
     132,
     {"a", "b", "", "v"},
     [](const auto& e) { return Convert(ConversionTypeCode::Linear, e); }},
    {"polynomial",
     132,
     {"a", "b", "c", "v"},
     [](const auto& e) { return Convert(ConversionTypeCode::Polynomial, e); }},
    {"threeway",
     154,
     {"p0", "p1", "p2", "p3", "k", "m", "v"},
     [](const auto& e) {
       ThreeWayPolyRecord r{};
       for (int i = 0; i < 4; ++i) r[i] = e[i];
       r[5] = e[4];
       r[6] = e[5];
       return static_cast<double>(EvaluateThreeWay(r, e[6]).value);
     }},
    // Both sides linear on the volts, added to no initial conversion.
    {"bp-value1",
     187,
     {"#bp-break", "#bp-below-a", "#bp-below-b", "#bp-above-a", "#bp-above-b", "#bp-v1"},
     [](const auto& e) { return static_cast<double>(EvaluateBreakpoint(TwoSlopes(e), e[5])); }},
    {"bp-value2",
     187,
     {"#bp-break", "#bp-below-a", "#bp-below-b", "#bp-above-a", "#bp-above-b", "#bp-v2"},
     [](const auto& e) { return static_cast<double>(EvaluateBreakpoint(TwoSlopes(e), e[5])); }},
};

void PrintTo(const Example& e, std::ostream* os) {
  *os << e.id;
}

class ConversionHelpExampleTest : public ConversionHelpTest, public ::testing::WithParamInterface<Example> {};

TEST_P(ConversionHelpExampleTest, PageQuotesWhatTheConversionGives) {
  const Example& e = GetParam();
  const std::string id = e.id;
  std::vector<float> entries;
  int unused = 0;
  for (const char* part : e.parts) {
    double v = 0;
    // A part the type has no use for is left out of the page and taken as 0.
    if (*part != 0) {
      // A part starting with '#' names its element outright; others follow the id.
      const std::string element = *part == '#' ? std::string(part + 1) : id + "-" + part;
      ASSERT_TRUE(FirstNumber(test::HelpTopicExampleText(e.topic, element), v, unused))
          << HelpTopicPage(e.topic) << " has no " << element;
    }
    entries.push_back(static_cast<float>(v));
  }
  const std::string quoted = test::HelpTopicExampleText(e.topic, id);
  double page = 0;
  int decimals = 0;
  ASSERT_TRUE(FirstNumber(quoted, page, decimals))
      << HelpTopicPage(e.topic) << " has no example \"" << id << "\"";
  const double program = e.convert(entries);
  EXPECT_NEAR(program, page, 0.5 * std::pow(10.0, -decimals) * (1 + 1e-6))
      << id << ": the page says " << quoted << ", the conversion gives " << program;
}

// The page's VO2 example typed into the real options window, then one recorded
// sample of the difference it gives converted by the channel's record.
TEST_F(ConversionHelpTest, GasOptionsPageQuotesTheVO2OfItsExample) {
  constexpr int16_t topic = 156;
  double flow = 0, fio2 = 0, delta = 0, page = 0;
  int decimals = 0, unused = 0;
  ASSERT_TRUE(FirstNumber(test::HelpTopicExampleText(topic, "vo2-flow"), flow, unused));
  ASSERT_TRUE(FirstNumber(test::HelpTopicExampleText(topic, "vo2-fio2"), fio2, unused));
  ASSERT_TRUE(FirstNumber(test::HelpTopicExampleText(topic, "vo2-delta"), delta, unused));
  ASSERT_TRUE(FirstNumber(test::HelpTopicExampleText(topic, "vo2"), page, decimals));
  SetChannelLabel(2, "% O2 difference");
  constexpr int16_t W = kGasOptionsWindow;
  test::WindowDriver driver;
  driver.WaitFor(W)
      .Click(W, GasOptionsControl::ComputeVO2)
      .Then("flow",
            test::TypeInto(W, GasOptionsControl::VO2Flow, PrintedNumber(static_cast<float>(flow)).str()))
      .Then("FiO2", test::TypeInto(W, GasOptionsControl::FiO2, PrintedNumber(static_cast<float>(fio2)).str()))
      .Shot(W, Shot("help-gas-options-vo2.png"))
      .Click(W, GasOptionsControl::Done);
  Run(driver, [] { ConversionOptions(2); });
  const GasStepOutcome out = GasExchangeStep(SpecialOpsArray[2], static_cast<float>(delta), 1, nullptr);
  EXPECT_NEAR(out.display, page, 0.5 * std::pow(10.0, -decimals) * (1 + 1e-6))
      << "the page says " << page << ", the recording shows " << out.display;
}

INSTANTIATE_TEST_SUITE_P(EveryWorkedConversion, ConversionHelpExampleTest, ::testing::ValuesIn(kExamples),
                         [](const ::testing::TestParamInfo<Example>& info) {
                           return TestName(info.param.id);
                         });

}  // namespace
}  // namespace mv
