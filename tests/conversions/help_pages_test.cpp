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

#include "conversions/conversions_window.h"
#include "conversions/evaluate.h"
#include "conversions/state.h"
#include "devices/state.h"
#include "runtime/macroman.h"
#include "runtime/menus.h"
#include "runtime/windows.h"
#include "setup/state.h"
#include "shell/kit/help.h"
#include "shell/state.h"
#include "window_fixture.h"

namespace mv {
namespace {

std::string PageHtml(int16_t topic) {
  std::ifstream in(test::SourcePath("resources/HelpFiles/" + HelpTopicPage(topic)), std::ios::binary);
  std::stringstream all;
  all << in.rdbuf();
  return all.str();
}

// The page's words as a reader sees them: tags dropped, the few entities the
// pages use decoded, every run of white space one blank.
std::string PageText(int16_t topic) {
  const std::string html = PageHtml(topic);
  std::string text;
  bool inTag = false;
  for (char c : html) {
    if (c == '<') inTag = true;
    if (!inTag) text += c;
    if (c == '>') inTag = false, text += ' ';
  }
  const std::pair<const char*, const char*> entities[] = {
      {"&amp;", "&"}, {"&lt;", "<"}, {"&gt;", ">"}, {"&nbsp;", " "}, {"&quot;", "\""}};
  for (const auto& [from, to] : entities)
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at))
      text.replace(at, std::string(from).size(), to);
  std::string squeezed;
  for (char c : text) {
    const bool blank = c == ' ' || c == '\n' || c == '\r' || c == '\t';
    if (blank && (squeezed.empty() || squeezed.back() == ' ')) continue;
    squeezed += blank ? ' ' : c;
  }
  return squeezed;
}

// A title as the page would quote it: blanks at either end dropped, runs squeezed.
std::string Squeezed(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == ' ' && (out.empty() || out.back() == ' ')) continue;
    out += c;
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

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
    // The program wires both windows; here they only need to exist, so that their
    // buttons show as the user sees them.
    conversion_hooks::DIRECTCAL = [](int16_t) {};
    conversion_hooks::ConversionOptions = [](int16_t) {};
  }
};

class ConversionHelpPageTest : public ConversionHelpTest, public ::testing::WithParamInterface<Window> {};

TEST_P(ConversionHelpPageTest, NamesEveryControlTheWindowShows) {
  const Window& w = GetParam();
  const std::string page = PageText(w.topic);
  ASSERT_FALSE(page.empty()) << HelpTopicPage(w.topic);
  std::vector<std::string> titles;
  test::WindowDriver driver;
  driver.WaitFor(w.window)
      .Check([&] {
        for (int16_t c : rt::Controls(w.window)) {
          const std::string title = Squeezed(MacRomanToUtf8(rt::ControlTitle(c).str()));
          if (!title.empty()) titles.push_back(title);
        }
      })
      .Shot(w.window, Shot((std::string("help-") + w.name + ".png").c_str()))
      .Click(w.window, w.done);
  Run(driver, w.open);
  ASSERT_FALSE(titles.empty());
  for (const std::string& t : titles)
    EXPECT_NE(page.find(t), std::string::npos) << HelpTopicPage(w.topic) << " does not name \"" << t << "\"";
}

INSTANTIATE_TEST_SUITE_P(EveryConversionWindowWithHelp, ConversionHelpPageTest, ::testing::ValuesIn(kWindows),
                         [](const ::testing::TestParamInfo<Window>& info) {
                           return TestName(info.param.name);
                         });

// The text of the page's element with the given id.
std::string QuotedOnPage(int16_t topic, const std::string& id) {
  const std::string html = PageHtml(topic);
  const std::size_t at = html.find("id=\"" + id + "\"");
  if (at == std::string::npos) return {};
  const std::size_t start = html.find('>', at) + 1;
  return html.substr(start, html.find('<', start) - start);
}

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

// A worked conversion: the page gives the coefficients and the volts (elements
// id-a, id-b, id-c, id-v; c only where the type has one) and the value (element id).
struct Example {
  const char* id;
  int16_t topic;
  int16_t type;
};

const Example kExamples[] = {
    {"linear", 132, ConversionTypeCode::Linear},
    {"polynomial", 132, ConversionTypeCode::Polynomial},
};

void PrintTo(const Example& e, std::ostream* os) {
  *os << e.id;
}

class ConversionHelpExampleTest : public ConversionHelpTest, public ::testing::WithParamInterface<Example> {};

TEST_P(ConversionHelpExampleTest, PageQuotesWhatTheConversionGives) {
  const Example& e = GetParam();
  const std::string id = e.id;
  double given[4] = {0, 0, 0, 0};
  int unused = 0;
  const char* parts[] = {"-a", "-b", "-c", "-v"};
  for (int k = 0; k < 4; ++k) {
    const std::string quoted = QuotedOnPage(e.topic, id + parts[k]);
    if (k == 2 && quoted.empty()) continue;
    ASSERT_TRUE(FirstNumber(quoted, given[k], unused))
        << HelpTopicPage(e.topic) << " has no " << id << parts[k];
  }
  const std::string quoted = QuotedOnPage(e.topic, id);
  double page = 0;
  int decimals = 0;
  ASSERT_TRUE(FirstNumber(quoted, page, decimals))
      << HelpTopicPage(e.topic) << " has no example \"" << id << "\"";
  const ConvResult r = ConvertReading(e.type, static_cast<float>(given[0]), static_cast<float>(given[1]),
                                      static_cast<float>(given[2]), BreakpointRecord{}, ThreeWayPolyRecord{},
                                      0, static_cast<float>(given[3]));
  EXPECT_NEAR(r.value, page, 0.5 * std::pow(10.0, -decimals) * (1 + 1e-6))
      << id << ": the page says " << quoted << ", the conversion gives " << r.value;
}

INSTANTIATE_TEST_SUITE_P(EveryWorkedConversion, ConversionHelpExampleTest, ::testing::ValuesIn(kExamples),
                         [](const ::testing::TestParamInfo<Example>& info) {
                           return TestName(info.param.id);
                         });

}  // namespace
}  // namespace mv
