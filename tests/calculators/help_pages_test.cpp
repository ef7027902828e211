// The calculators' help pages as a user reads them: every calculator whose "?"
// opens a page is explained there control by control (each title the window shows
// is named in the page), and every worked example a page gives is what the
// calculator itself computes from the example's entries.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTextBrowser>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <ostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "calculators/altitude.h"
#include "calculators/altitude_simulation.h"
#include "calculators/closed_system.h"
#include "calculators/day_of_year.h"
#include "calculators/dissolved_o2.h"
#include "calculators/expression_window.h"
#include "calculators/metabolism.h"
#include "calculators/po2.h"
#include "calculators/q10.h"
#include "calculators/regression.h"
#include "calculators/simple_math.h"
#include "calculators/stp_flow.h"
#include "calculators/sun_cycle_window.h"
#include "calculators/unit_conversions.h"
#include "calculators/washout.h"
#include "common/help_page.h"
#include "conditions_driver.h"
#include "kit/help.h"
#include "runtime/help.h"
#include "runtime/macroman.h"
#include "runtime/windows.h"

namespace mv::calc {
namespace {

struct Window {
  const char* name;
  std::function<void()> open;
  int16_t topic;  // what its "?" opens
  int16_t done;
};

const Window kWindows[] = {
    {"simple-math", [] { SIMPLECALC(); }, 178, 41},
    {"regression", [] { SimpleRegression(); }, 191, 66},
    {"expression-evaluator", [] { ExpressionEvaluator(); }, 193, 250},
    {"stp-flow", [] { STPflowAdjust(); }, 179, 13},
    {"altitude", [] { ALTITUDE(); }, 180, 4},
    {"altitude-simulation", [] { AltitudeSimulation(); }, 180, 4},
    {"po2", [] { PO2CALC(); }, 181, 20},
    {"dissolved-o2", [] { DissolvedO2CALC(); }, 181, 14},
    {"metabolism", [] { METABOLISM(0); }, 160, 3},
    {"minimum-flow", [] { METABOLISM(1); }, 160, 3},
    {"washout", [] { ChamberWashout(); }, 188, 20},
    {"q10", [] { Q10adjust(); }, 182, 3},
    {"closed-system", [] { ClosedSystemRespirometry(); }, 140, 2},
    {"sun-cycle", [] { Sunrise(); }, 169, 241},
};

void PrintTo(const Window& w, std::ostream* os) {
  *os << w.name;
}

class CalculatorHelpPageTest : public test::ConditionsCalcTest,
                               public ::testing::WithParamInterface<Window> {};

TEST_P(CalculatorHelpPageTest, NamesEveryControlTheWindowShows) {
  const Window& w = GetParam();
  const std::string page = test::HelpTopicText(w.topic);
  ASSERT_FALSE(page.empty()) << HelpTopicPage(w.topic);
  std::vector<std::string> titles;
  Run(w.open, {Do([&] {
                 for (int16_t c : rt::Controls(W)) {
                   const std::string title = test::SqueezedText(MacRomanToUtf8(rt::ControlTitle(c).str()));
                   if (!title.empty() && title != " ") titles.push_back(title);
                 }
               }),
               Click(w.done)});
  test::ExpectPageNamesEveryTitle(page, titles, HelpTopicPage(w.topic));
}

INSTANTIATE_TEST_SUITE_P(EveryCalculatorWithHelp, CalculatorHelpPageTest, ::testing::ValuesIn(kWindows),
                         [](const ::testing::TestParamInfo<Window>& info) {
                           std::string name;
                           for (const char* p = info.param.name; *p; ++p) name += *p == '-' ? '_' : *p;
                           return name;
                         });

// The worked examples: the entries a page gives, typed into the real window, and
// the field whose text the page quotes (marked in the page by the example's id).
struct Example {
  const char* id;
  int16_t topic;
  std::function<void()> open;
  std::function<std::vector<test::WindowSteps::Step>()> entries;
  int16_t result;
  int16_t done;
};

// The window steps, reachable from the table.
struct S : test::ConditionsCalcTest {
  using ConditionsCalcTest::Click;
  using ConditionsCalcTest::Pick;
  using ConditionsCalcTest::Type;
};
using Steps = std::vector<test::WindowSteps::Step>;

// Three points on the line Y = 7 - 2 X, fitted with a straight line.
Steps RegressionRows() {
  return Steps{S::Type(101, "1"), S::Type(201, "5"), S::Type(102, "2"), S::Type(202, "3"),
               S::Type(103, "3"), S::Type(203, "1"), S::Click(10)};
}

const Example kExamples[] = {
    {"math-sphere", 178, [] { SIMPLECALC(); },
     [] {
       return Steps{S::Type(111, "2"), S::Click(35)};
     },
     112, 41},
    {"math-power", 178, [] { SIMPLECALC(); },
     [] {
       return Steps{S::Type(111, "2"), S::Type(112, "10"), S::Click(12)};
     },
     111, 41},
    {"regression-a", 191, [] { SimpleRegression(); }, [] { return RegressionRows(); }, 51, 66},
    {"regression-b", 191, [] { SimpleRegression(); }, [] { return RegressionRows(); }, 56, 66},
    {"regression-y", 191, [] { SimpleRegression(); },
     [] {
       Steps s = RegressionRows();
       s.push_back(S::Type(41, "4"));
       s.push_back(S::Click(11));
       return s;
     },
     46, 66},
    {"expression", 193, [] { ExpressionEvaluator(); },
     [] {
       return Steps{S::Click(141), S::Click(142)};
     },
     103, 250},
    {"stp", 179, [] { STPflowAdjust(); },
     [] {
       return Steps{S::Type(112, "100"), S::Type(115, "760"), S::Type(116, "0"),
                    S::Type(117, "20"),  S::Type(118, "0"),   S::Click(15)};
     },
     111, 13},
    {"stp-calibrated", 179, [] { STPflowAdjust(); },
     [] {
       return Steps{S::Type(112, "100"), S::Type(115, "760"), S::Type(116, "0"),
                    S::Type(117, "20"),  S::Type(118, "20"),  S::Click(15)};
     },
     111, 13},
    {"altitude", 180, [] { ALTITUDE(); },
     [] {
       return Steps{S::Type(112, "1000"), S::Click(2)};
     },
     111, 4},
    {"altitude-back", 180, [] { ALTITUDE(); },
     [] {
       return Steps{S::Type(111, "670"), S::Click(1)};
     },
     112, 4},
    {"simulation-conc", 180, [] { AltitudeSimulation(); },
     [] {
       return Steps{S::Type(101, "20.95"), S::Type(111, "3000"), S::Type(121, "0"), S::Click(1)};
     },
     131, 4},
    {"simulation-diff", 180, [] { AltitudeSimulation(); },
     [] {
       return Steps{S::Type(101, "20.95"), S::Type(111, "3000"), S::Type(121, "0"), S::Click(1)};
     },
     141, 4},
    {"po2-vapour", 181, [] { PO2CALC(); },
     [] {
       return Steps{S::Type(111, "742.5"), S::Click(19)};
     },
     114, 20},
    {"po2", 181, [] { PO2CALC(); },
     [] {
       return Steps{S::Type(111, "742.5"), S::Click(19)};
     },
     116, 20},
    {"do-per-litre", 181, [] { DissolvedO2CALC(); },
     [] {
       return Steps{S::Type(104, "10"), S::Type(105, "10000"), S::Type(106, "760"), S::Type(107, "20.95"),
                    S::Type(108, "2"),  S::Type(109, "100"),   S::Click(11)};
     },
     103, 14},
    {"do-net", 181, [] { DissolvedO2CALC(); },
     [] {
       return Steps{S::Type(104, "10"), S::Type(105, "10000"), S::Type(106, "760"), S::Type(107, "20.95"),
                    S::Type(108, "2"),  S::Type(109, "100"),   S::Click(11)};
     },
     101, 14},
    {"q10-adjusted", 182, [] { Q10adjust(); },
     [] {
       return Steps{S::Type(111, "2.5"), S::Type(112, "25"), S::Type(114, "3"), S::Type(113, "35"),
                    S::Click(1)};
     },
     115, 3},
    {"q10-q10", 182, [] { Q10adjust(); },
     [] {
       return Steps{S::Type(112, "20"), S::Type(114, "2"), S::Type(113, "30"), S::Type(115, "5"),
                    S::Click(2)};
     },
     111, 3},
    {"washout", 188, [] { ChamberWashout(); },
     [] {
       return Steps{S::Type(11, "500"), S::Type(12, "250"), S::Pick(100, 7)};
     },
     13, 20},
    {"closed-vo2", 140, [] { ClosedSystemRespirometry(); }, [] { return Steps{S::Click(1)}; }, 212, 2},
    {"closed-vo2-rate", 140, [] { ClosedSystemRespirometry(); }, [] { return Steps{S::Click(1)}; }, 213, 2},
    {"closed-vco2", 140, [] { ClosedSystemRespirometry(); }, [] { return Steps{S::Click(1)}; }, 214, 2},
    {"metabolism-20", 160, [] { METABOLISM(0); },
     [] {
       return Steps{S::Pick(51, 1),     S::Type(112, "1000"), S::Type(114, "20"),
                    S::Type(115, "20"), S::Type(116, "2.2"),  S::Click(2)};
     },
     117, 3},
    {"metabolism-30", 160, [] { METABOLISM(0); },
     [] {
       return Steps{S::Pick(51, 1),     S::Type(112, "1000"), S::Type(114, "20"),
                    S::Type(115, "30"), S::Type(116, "2.2"),  S::Click(2)};
     },
     117, 3},
    {"metabolism-flow", 160, [] { METABOLISM(1); },
     [] {
       return Steps{S::Pick(51, 1),      S::Type(112, "1000"), S::Type(114, "20"), S::Type(115, "30"),
                    S::Type(116, "2.2"), S::Type(108, "0.4"),  S::Click(2)};
     },
     109, 3},
    {"sun-rise", 169, [] { Sunrise(); },
     [] {
       return Steps{S::Type(1, "33.95"),  S::Type(2, "117.33"), S::Type(111, "21"),
                    S::Type(113, "2026"), S::Pick(54, 6),       S::Click(240)};
     },
     5, 241},
    {"sun-set", 169, [] { Sunrise(); },
     [] {
       return Steps{S::Type(1, "33.95"),  S::Type(2, "117.33"), S::Type(111, "21"),
                    S::Type(113, "2026"), S::Pick(54, 6),       S::Click(240)};
     },
     6, 241},
    {"sun-length", 169, [] { Sunrise(); },
     [] {
       return Steps{S::Type(1, "33.95"),  S::Type(2, "117.33"), S::Type(111, "21"),
                    S::Type(113, "2026"), S::Pick(54, 6),       S::Click(240)};
     },
     7, 241},
    {"sun-noon-polar", 169, [] { Sunrise(); },
     [] {
       return Steps{S::Click(102),        S::Type(1, "69.6"), S::Type(2, "0"), S::Type(111, "23"),
                    S::Type(113, "2023"), S::Pick(54, 1),     S::Click(240)};
     },
     8, 241},
    {"day-of-year", 167, [] { DayOfTheYear(); },
     [] {
       return Steps{S::Pick(54, 6), S::Type(111, "21"), S::Type(113, "2026"), S::Click(19)};
     },
     112, 20},
    {"unit-f-to-c", 167, [] { UnitCONVERT(); },
     [] {
       return Steps{S::Type(111, "98.6"), S::Pick(63, 10), S::Click(119)};
     },
     112, 120},
    {"unit-vapour", 167, [] { UnitCONVERT(); },
     [] {
       return Steps{S::Click(124), S::Type(111, "0.01"), S::Pick(66, 16), S::Click(119)};
     },
     112, 120},
};

void PrintTo(const Example& e, std::ostream* os) {
  *os << e.id;
}

// The first number in a text, with its count of decimals; `whole` tells that the
// text (blanks aside) is nothing but that number.
bool FirstNumber(const std::string& text, double& value, int& decimals, bool* whole = nullptr) {
  const std::size_t at = text.find_first_of("-0123456789.");
  if (at == std::string::npos) return false;
  const char* first = text.data() + at;
  const auto [end, ec] = std::from_chars(first, text.data() + text.size(), value);
  if (ec != std::errc{}) return false;
  const std::string_view digits(first, static_cast<std::size_t>(end - first));
  const std::size_t point = digits.find('.');
  decimals = point == std::string_view::npos ? 0 : static_cast<int>(digits.size() - point - 1);
  if (whole) {
    const std::string rest = text.substr(0, at) + std::string(end, text.data() + text.size());
    *whole = rest.find_first_not_of(' ') == std::string::npos;
  }
  return true;
}

class CalculatorHelpExampleTest : public test::ConditionsCalcTest,
                                  public ::testing::WithParamInterface<Example> {};

TEST_P(CalculatorHelpExampleTest, PageQuotesWhatTheCalculatorComputes) {
  const Example& e = GetParam();
  const std::string quoted = test::HelpTopicExampleText(e.topic, e.id);
  ASSERT_FALSE(quoted.empty()) << HelpTopicPage(e.topic) << " has no example \"" << e.id << "\"";
  std::string shown;
  Steps steps = e.entries();
  steps.push_back(Do([&] { shown = MacRomanToUtf8(Text(e.result)); }));
  // The window as the example leaves it, the picture its page shows.
  steps.push_back(Shot(std::string("w8-help-") + e.id + ".png"));
  steps.push_back(Click(e.done));
  Run(e.open, std::move(steps));
  double page = 0, program = 0;
  int decimals = 0, unused = 0;
  bool number = false;
  if (FirstNumber(quoted, page, decimals, &number) && number) {
    ASSERT_TRUE(FirstNumber(shown, program, unused)) << shown;
    EXPECT_NEAR(program, page, 0.5 * std::pow(10.0, -decimals) * (1 + 1e-9))
        << e.id << ": the page says " << quoted << ", the window shows \"" << shown << "\"";
  } else {
    EXPECT_NE(shown.find(quoted), std::string::npos)
        << e.id << ": the page says " << quoted << ", the window shows \"" << shown << "\"";
  }
}

INSTANTIATE_TEST_SUITE_P(EveryWorkedExample, CalculatorHelpExampleTest, ::testing::ValuesIn(kExamples),
                         [](const ::testing::TestParamInfo<Example>& info) {
                           std::string name;
                           for (const char* p = info.param.id; *p; ++p) name += *p == '-' ? '_' : *p;
                           return name;
                         });

// Every page a calculator's "?" opens, and the Special menu's own page.
std::set<int16_t> CalculatorTopics() {
  std::set<int16_t> topics = {167};
  for (const Window& w : kWindows) topics.insert(w.topic);
  return topics;
}

// The addresses of one attribute (href or src) in a page, outside addresses aside.
std::vector<std::string> LocalTargets(const std::string& html, const std::string& attribute) {
  std::vector<std::string> out;
  const std::string key = attribute + "=\"";
  for (std::size_t at = html.find(key); at != std::string::npos; at = html.find(key, at + 1)) {
    const std::size_t start = at + key.size();
    std::string target = html.substr(start, html.find('"', start) - start);
    if (target.rfind("http", 0) == 0 || target.rfind("mailto:", 0) == 0) continue;
    target = target.substr(0, target.find('#'));
    for (std::size_t sp = target.find("%20"); sp != std::string::npos; sp = target.find("%20"))
      target.replace(sp, 3, " ");
    if (!target.empty()) out.push_back(target);
  }
  return out;
}

class CalculatorHelpLinksTest : public test::ConditionsCalcTest {};

TEST_F(CalculatorHelpLinksTest, EveryLinkAndPictureOfACalculatorPageResolvesAndThePageShows) {
  const std::filesystem::path folder = test::SourcePath("resources/HelpFiles");
  for (int16_t topic : CalculatorTopics()) {
    const std::string page = HelpTopicPage(topic);
    std::ifstream in(folder / page, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    const std::vector<std::string> pictures = LocalTargets(all.str(), "src");
    if (topic != 167) {
      EXPECT_FALSE(pictures.empty()) << page << " shows no picture of its window";
    }
    for (const std::string& link : LocalTargets(all.str(), "href"))
      EXPECT_TRUE(std::filesystem::exists(folder / link)) << page << " links to a missing " << link;
    for (const std::string& picture : pictures)
      EXPECT_TRUE(std::filesystem::exists(folder / picture)) << page << " shows a missing " << picture;
    // The page as the help window shows it, for a look at the pictures in place.
    ASSERT_TRUE(DoHelpWindow(topic) == 0 && !rt::HelpPageShown().empty());
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (qobject_cast<QTextBrowser*>(w) && w->isVisible())
        w->grab().save(QString::fromStdString((test::TestOutputDir() / ("help-" + page + ".png")).string()));
    }
  }
  rt::CloseHelpWindow();
}

}  // namespace
}  // namespace mv::calc
