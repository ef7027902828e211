// The About window's help page: it names every button of the About and More Info
// windows, and every start-up picture the program can choose.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/help_page.h"
#include "common/window_steps.h"
#include "kit/help.h"
#include "runtime/windows.h"
#include "shell/about.h"
#include "shell_test_support.h"

namespace mv {
namespace {

class LogonImagesHelpTest : public test::LaunchTest, public test::WindowSteps {};

TEST_F(LogonImagesHelpTest, PageNamesEveryButtonOfTheAboutWindows) {
  const std::string page = test::HelpPageText(HelpTopicPage(kLogonImagesHelpTopic));
  ASSERT_FALSE(page.empty());
  std::vector<std::string> titles;
  const auto collect = [&titles](int16_t w) {
    return Do([&titles, w] {
      rt::SetOutputWindow(w);
      for (const std::string& t : test::VisibleControlTitles()) titles.push_back(t);
    });
  };
  Drive({Until(kAboutWindow), collect(kAboutWindow), Shot(kAboutWindow, "help-about.png"),
         Click(kAboutWindow, AboutButton::MoreInfo), Until(kMoreInfoWindow), collect(kMoreInfoWindow),
         Click(kMoreInfoWindow, 1), Gone(kMoreInfoWindow), Click(kAboutWindow, AboutButton::Close)});
  AboutMV();
  ASSERT_TRUE(ScriptDone());
  ASSERT_FALSE(titles.empty());
  for (const std::string& t : titles)
    EXPECT_NE(page.find(t), std::string::npos) << "the page does not name \"" << t << "\"";
}

TEST_F(LogonImagesHelpTest, PageNamesEveryStartUpPicture) {
  const std::string page = test::HelpPageText(HelpTopicPage(kLogonImagesHelpTopic));
  for (int16_t n = 1; n <= 52; ++n) {
    std::string name = SplashPhotoName(n);
    name = name.substr(0, name.rfind('.'));
    // Named in the page's list, each name ended by a comma or the list's full stop.
    const bool listed =
        page.find(" " + name + ",") != std::string::npos || page.find(" " + name + ".") != std::string::npos;
    EXPECT_TRUE(listed) << "the page does not name \"" << name << "\"";
  }
}

}  // namespace
}  // namespace mv
