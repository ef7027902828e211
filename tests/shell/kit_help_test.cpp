// Help topics and pages, the outside addresses, and the scrolling text window.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <set>

#include "runtime/events.h"
#include "runtime/help.h"
#include "runtime/system.h"
#include "shell/kit/builders.h"
#include "shell/kit/help.h"
#include "shell/kit/protocol.h"
#include "shell/state.h"
#include "shell_test_support.h"

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

TEST(HelpTopics, LinksBetweenPagesLeadToExistingPages) {
  auto folder = test::SourcePath("resources/HelpFiles");
  ASSERT_TRUE(std::filesystem::exists(folder / kHelpBookStartPage));
  const std::regex href("href=\"([^\":#]+)\"");
  int links = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    // The pictures the pages show live in a folder of their own.
    if (!entry.is_regular_file() || entry.path().extension() != ".html") continue;
    std::string text = ReadAll(entry.path());
    EXPECT_NE(text.find("<title>"), std::string::npos) << entry.path();
    for (std::sregex_iterator it(text.begin(), text.end(), href), end; it != end; ++it) {
      std::string target = std::regex_replace((*it)[1].str(), std::regex("%20"), " ");
      EXPECT_TRUE(std::filesystem::exists(folder / target)) << entry.path().filename() << " -> " << target;
      ++links;
    }
  }
  EXPECT_GT(links, 60) << "the start page links every topic";
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
