// The help page of the strip-height window as a user reads it: every title the
// window shows is named in the page its "?" opens.
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "acq_fixture.h"
#include "acquisition/chart_heights.h"
#include "acquisition/view_windows.h"
#include "common/help_page.h"
#include "common/window_steps.h"
#include "kit/help.h"
#include "kit/state.h"
#include "runtime/macroman.h"
#include "runtime/windows.h"

namespace mv::test {
namespace {

constexpr int16_t W = kChartHeightWindow;
constexpr int16_t kTopic = 185;
// The window's "Cancel" (which offers "Done") and "Plot Heights OK; Done".
constexpr int16_t kCancelButton = 5, kDoneButton = 4;

// The page's words as a reader sees them: tags dropped, runs of white space one blank.
std::string PageText(int16_t topic) {
  std::ifstream in(SourcePath("resources/HelpFiles/" + HelpTopicPage(topic)), std::ios::binary);
  std::stringstream all;
  all << in.rdbuf();
  std::string text;
  bool inTag = false, blank = false;
  for (char c : all.str()) {
    if (c == '<') inTag = true;
    const bool space = inTag || c == ' ' || c == '\n' || c == '\t' || c == '\r';
    if (!space)
      text += c;
    else if (!blank && !text.empty())
      text += ' ';
    blank = space;
    if (c == '>') inTag = false;
  }
  for (std::size_t at = text.find("&amp;"); at != std::string::npos; at = text.find("&amp;"))
    text.replace(at, 5, "&");
  return text;
}

class ChartHeightsHelpTest : public AcqTest, public WindowSteps {
 protected:
  void SetUp() override {
    AcqTest::SetUp();
    DEFAULTCOLORS();
    RecordingMODE = RecordingModeCode::Chart;
    SetChannels(3);
    const float bottoms[] = {0, 255, 475, 700};
    for (int ch = 1; ch <= 3; ++ch) {
      auto& r = ChannelVariables[ch];
      const float top = ch == 1 ? 35 : bottoms[ch - 1] + 1;
      r[ChanField::StripBottom] = bottoms[ch];
      r[ChanField::StripHeight] = bottoms[ch] - top;
      r[ChanField::StripTop] = top + 10;
      r[ChanField::BottomLess2] = bottoms[ch] - 1;
    }
  }
  void TearDown() override {
    if (rt::WindowExists(W)) rt::CloseWindow(W);
    AcqTest::TearDown();
  }
};

TEST_F(ChartHeightsHelpTest, ScreenHeightPageNamesEveryControlTheWindowShows) {
  const std::string page = PageText(kTopic);
  ASSERT_FALSE(page.empty());
  std::vector<std::string> titles;
  Drive({Until(W), Do([&] {
           for (int16_t c : rt::Controls(W)) {
             const std::string title = MacRomanToUtf8(rt::ControlTitle(c).str());
             if (!title.empty()) titles.push_back(title);
           }
         }),
         Shot(W, "help-chart-heights.png"), Click(W, kCancelButton), Click(W, kDoneButton)},
        [] { rt::CloseWindow(W); });
  ChangeCHARTHITE();
  EXPECT_TRUE(ScriptDone());
  test::ExpectPageNamesEveryTitle(page, titles, HelpTopicPage(kTopic));
}

// The chart view window on an 800-point plot at one sample a second with 3 hours of
// samples: every title it shows is named in its page, and the screen duration the
// page quotes for a compression of 2 is the window's.
TEST_F(ChartHeightsHelpTest, ChartViewPageNamesEveryControlAndQuotesTheScreenDuration) {
  constexpr int16_t topic = 194, V = kViewWindow;
  setenv("MV_RESOURCES_DIR", SourcePath("resources").c_str(), 1);
  PrefsArray[PrefsSlot::WindowWidth] = 800;
  ChartIntervalInSeconds = 1.0;
  MaxSamples = 10'800;
  ChartView = 1;
  CustomTic = 0;
  const std::string page = PageText(topic);
  std::vector<std::string> titles;
  std::string duration;
  Drive(
      {Until(V), Do([&] {
         for (int16_t c : rt::Controls(V)) {
           const std::string title = MacRomanToUtf8(rt::ControlTitle(c).str());
           if (!title.empty()) titles.push_back(title);
         }
       }),
       Click(V, 2), Do([&] { duration = rt::EditText(102); }), Shot(V, "help-chart-view.png"), Click(V, 11)},
      [] { rt::CloseWindow(kViewWindow); });
  SETCHARTVIEW();
  EXPECT_TRUE(ScriptDone());
  unsetenv("MV_RESOURCES_DIR");
  ASSERT_FALSE(titles.empty());
  for (std::string t : titles) {
    while (!t.empty() && t.back() == ' ') t.pop_back();
    while (!t.empty() && t.front() == ' ') t.erase(0, 1);
    EXPECT_NE(page.find(t), std::string::npos) << HelpTopicPage(topic) << " does not name \"" << t << "\"";
  }
  const std::string key = "id=\"view-duration\">";
  std::ifstream in(SourcePath("resources/HelpFiles/" + HelpTopicPage(topic)), std::ios::binary);
  std::stringstream all;
  all << in.rdbuf();
  const std::string html = all.str();
  const std::size_t at = html.find(key);
  ASSERT_NE(at, std::string::npos);
  const std::string quoted = html.substr(at + key.size(), html.find('<', at) - at - key.size());
  auto squeeze = [](const std::string& s) {
    std::string out;
    for (char c : s)
      if (c != ' ') out += c;
    return out;
  };
  EXPECT_EQ(squeeze(quoted), squeeze(duration))
      << "the page says " << quoted << ", the window shows " << duration;
}

}  // namespace
}  // namespace mv::test
