// Help topics and pages, the outside addresses, and the scrolling text window.
#include "runtime/help.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <set>

#include "kit/builders.h"
#include "kit/help.h"
#include "kit/kit_test_support.h"
#include "kit/protocol.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/system.h"

namespace mv {
namespace {

using HelpTest = test::KitTest;

const std::set<int> kNoPage = {143, 144, 145, 146, 150, 151, 155};

std::string ReadAll(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(HelpTopics, EveryTopicWithAPageNamesAnExistingPageAndTheOthersNone) {
  auto folder = test::SourcePath("resources/HelpFiles");
  std::set<std::string> pages;
  for (int topic = 120; topic <= 200; ++topic) {
    std::string page = HelpTopicPage(static_cast<int16_t>(topic));
    bool expectPage = topic >= 128 && topic <= 194 && !kNoPage.count(topic);
    EXPECT_EQ(!page.empty(), expectPage) << topic;
    if (page.empty()) continue;
    EXPECT_TRUE(std::filesystem::is_regular_file(folder / page)) << topic << " " << page;
    EXPECT_TRUE(pages.insert(page).second) << "each topic has a page of its own: " << page;
  }
  EXPECT_EQ(pages.size(), 60u);
  EXPECT_EQ(HelpTopicPage(-32768), "");
}

// Every reference in a page (a link, with or without an anchor, or a picture)
// leads to a file of the help folder, and an anchor to a place in that page.
TEST(HelpTopics, EveryLinkInEveryPageResolves) {
  namespace fs = std::filesystem;
  const fs::path folder = test::SourcePath("resources/HelpFiles");
  ASSERT_TRUE(fs::exists(folder / kHelpBookStartPage));
  const std::regex reference("(?:href|src)\\s*=\\s*\"([^\"]*)\"", std::regex::icase);
  int references = 0, pages = 0;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.path().extension() != ".html") continue;
    ++pages;
    const std::string text = ReadAll(entry.path());
    EXPECT_NE(text.find("<title>"), std::string::npos) << entry.path();
    for (std::sregex_iterator it(text.begin(), text.end(), reference), end; it != end; ++it) {
      const std::string target = (*it)[1].str();
      if (target.find(':') != std::string::npos) continue;  // outside addresses: web, mail
      ++references;
      const std::size_t hash = target.find('#');
      const std::string file = std::regex_replace(target.substr(0, hash), std::regex("%20"), " ");
      const fs::path page = file.empty() ? entry.path() : entry.path().parent_path() / file;
      SCOPED_TRACE(entry.path().filename().string() + " -> " + target);
      ASSERT_TRUE(fs::is_regular_file(page));
      if (hash == std::string::npos) continue;
      const std::string anchor = target.substr(hash + 1), inPage = ReadAll(page);
      EXPECT_TRUE(inPage.find("id=\"" + anchor + "\"") != std::string::npos ||
                  inPage.find("name=\"" + anchor + "\"") != std::string::npos);
    }
  }
  EXPECT_GT(pages, 60);
  EXPECT_GT(references, 60);
}

TEST(HelpTopics, TheStartPageLinksEveryTopicsPage) {
  const std::string start = ReadAll(test::SourcePath("resources/HelpFiles") / kHelpBookStartPage);
  for (int topic = 128; topic <= 194; ++topic) {
    std::string page = HelpTopicPage(static_cast<int16_t>(topic));
    if (page.empty()) continue;
    page = std::regex_replace(page, std::regex(" "), "%20");
    EXPECT_NE(start.find("href=\"" + page + "\""), std::string::npos) << topic << " " << page;
  }
}

// The page each topic opens, by its name in the help book. The Special menu and
// its calculators have their pages under the name "MVCalculatorMenu...".
TEST_F(HelpTest, EachTopicOpensThePageOfItsName) {
  const std::pair<int, const char*> topics[] = {
      {128, "MVoverview.html"},
      {129, "MirevantModes.html"},
      {130, "SampleRates.html"},
      {131, "MVchannels.html"},
      {132, "MVvolts.html"},
      {133, "scaleav.html"},
      {134, "averaging.html"},
      {135, "displaysetup.html"},
      {136, "triggers.html"},
      {137, "devices.html"},
      {138, "gatherdata.html"},
      {139, "options.html"},
      {140, "ClosedSystemRespirometry.html"},
      {141, "baudRates.html"},
      {142, "timedBackups.html"},
      {147, "audibleTimer.html"},
      {148, "DatatakerModes.html"},
      {149, "zeroLinking.html"},
      {152, "AOscript.html"},
      {153, "feedback control.html"},
      {154, "customConversions.html"},
      {156, "conversionOptions.html"},
      {157, "XY plots.html"},
      {158, "external AD.html"},
      {159, "direct calibration.html"},
      {160, "allometry.html"},
      {161, "streamingSerial.html"},
      {162, "fMVFileMenu.html"},
      {163, "EditMenu.html"},
      {164, "ViewMenu.html"},
      {165, "A-DMenu.html"},
      {166, "D-AMenu.html"},
      {167, "MVCalculatorMenu.html"},
      {168, "spikeFilter.html"},
      {169, "SunriseSunset.html"},
      {170, "plotHeight.html"},
      {171, "ADAMchannels.html"},
      {172, "ADAMaddressing.html"},
      {173, "channelCheck.html"},
      {174, "preferences.html"},
      {175, "preferences2.html"},
      {176, "preferences3.html"},
      {177, "worldMap.html"},
      {178, "MVCalculatorMenuMath.html"},
      {179, "MVCalculatorMenuSTP.html"},
      {180, "MVCalculatorMenuAltitude.html"},
      {181, "MVCalculatorMenuPO2.html"},
      {182, "MVCalculatorMenuMetabolism.html"},
      {183, "SampleRateErrorTolerance.html"},
      {184, "StatusDisplays.html"},
      {185, "ScreenHeight.html"},
      {186, "LogonImages.html"},
      {187, "breakpoint.html"},
      {188, "washout.html"},
      {189, "alarms.html"},
      {190, "highASCII.html"},
      {191, "SimpleRegression.html"},
      {192, "SableChannels.html"},
      {193, "expEval.html"},
      {194, "ChartView.html"},
  };
  const std::string folder = test::SourcePath("resources").string() + "/HelpFiles/";
  for (const auto& [topic, name] : topics) {
    rt::CloseHelpWindow();
    DoHelpWindow(static_cast<int16_t>(topic));
    EXPECT_EQ(rt::HelpPageShown(), folder + name) << topic;
  }
}

TEST_F(HelpTest, TopicOpensItsPageBesideTheDialogWhichGoesOn) {
  BuildWINDOW(14, "dialog", 100, 100, 400, 300, 6);
  InstallDialogHandlers(NoMENU);
  for (int i = 0; i < 5; ++i) rt::PumpEvents(0);
  Action = 0;
  EventID = 0;
  EXPECT_EQ(DoHelpWindow(139), 0);
  EXPECT_EQ(rt::HelpPageShown(), test::SourcePath("resources").string() + "/HelpFiles/options.html");
  for (int i = 0; i < 10; ++i) rt::PumpEvents(0);
  EXPECT_EQ(Action, 0) << "opening help reports nothing to the dialog";
  EXPECT_EQ(rt::FrontWindow(), 14) << "the dialog keeps the keyboard";
  HBGotoPage(kHelpBookStartPage);
  EXPECT_NE(rt::HelpPageShown().find("Mirevant help book.html"), std::string::npos);
}

TEST_F(HelpTest, TopicsWithoutAPageAndMissingPagesOpenNothing) {
  for (int16_t topic : {150, 143, 155, 127, 195, 0}) {
    DoHelpWindow(topic);
    EXPECT_EQ(rt::HelpPageShown(), "") << topic;
  }
  auto empty = test::MakeTempDir("nohelp");
  setenv("MV_RESOURCES_DIR", empty.c_str(), 1);
  DoHelpWindow(128);
  EXPECT_EQ(rt::HelpPageShown(), "") << "a missing page opens nothing and shows no error";
  EXPECT_TRUE(rt::OpenWindows().empty());
  std::filesystem::remove_all(empty);
}

TEST_F(HelpTest, OutsideAddressesOneToThreeAndNothingElse) {
  std::vector<std::string> opened;
  rt::SetURLOpener([&](const std::string& url) { opened.push_back(url); });
  for (int16_t which : {0, 1, 2, 3, 4, -1}) LSLaunchURL(which);
  rt::SetURLOpener(nullptr);
  ASSERT_EQ(opened.size(), 3u);
  EXPECT_EQ(opened[0].rfind("https://", 0), 0u);
  EXPECT_EQ(opened[1].rfind("mailto:", 0), 0u);
  EXPECT_NE(opened[1].find("subject=Mirevant"), std::string::npos) << "the subject names the program";
  EXPECT_EQ(opened[2].rfind("https://", 0), 0u);
}

TEST_F(HelpTest, ScrollingTextWindowTakesTheNextFreeNumberAndTheWarningText) {
  rt::OpenWindow(1, "one", Rect{0, 0, 50, 50}, 6);
  NIBwindowIndex = 2;
  auto view = BuildScrollingTextWindow();
  ASSERT_TRUE(view.has_value());
  EXPECT_EQ(view->window, 2) << "the next free window number";
  EXPECT_TRUE(rt::WindowVisible(2));
  EXPECT_TRUE(rt::TextViewExists(view->window, view->view));
  EXPECT_NE(rt::TextViewPlainText(view->window, view->view).find("slower than requested"), std::string::npos);
  EXPECT_EQ(TxtViewLoadText(*view, "anything.rtf"), 0);
  auto empty = test::MakeTempDir("notext");
  setenv("MV_RESOURCES_DIR", empty.c_str(), 1);
  EXPECT_EQ(TxtViewLoadText(*view, kSpeedWarningText), -43) << "a missing text is reported";
  std::filesystem::remove_all(empty);
}

}  // namespace
}  // namespace mv
