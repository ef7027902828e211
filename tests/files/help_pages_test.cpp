// The file information window as its help page explains it: every title the window
// shows in either layout is named in the page, and the page's comment example is what
// the window saves and counts.
#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <string>
#include <vector>

#include "common/help_page.h"
#include "files/file_info_window.h"
#include "files/state.h"
#include "files_test_support.h"
#include "kit/state.h"
#include "runtime/macroman.h"
#include "runtime/qt_bridge.h"

namespace mv {
namespace {

constexpr int16_t W = kFileInfoWindow;
const std::string kPage = "highASCII.html";

class FileInfoHelpTest : public test::FilesTest {
 protected:
  void Run(std::vector<Step> steps) {
    steps.insert(steps.begin(), Until(W));
    Drive(steps);
    GETFILECOMMENTS();
    EXPECT_TRUE(ScriptDone());
  }
};

TEST_F(FileInfoHelpTest, PageNamesEveryControlOfBothLayouts) {
  const std::string page = test::HelpPageText(kPage);
  ASSERT_FALSE(page.empty());
  for (const int16_t sable : {0, 1}) {
    PrefsArray[PrefsSlot::SaveSable] = sable;
    std::vector<std::string> titles;
    Run({Do([&titles] {
           rt::SetOutputWindow(W);
           titles = test::VisibleControlTitles();
         }),
         Shot(W, std::string("help-file-information-") + (sable ? "sable" : "chart") + ".png"),
         Click(W, kFileInfoOKButton)});
    test::ExpectPageNamesEveryTitle(page, titles, kPage);
  }
}

// The comment typed as the page gives it (characters Mac Roman lacks included, as
// the keyboard would put them in the view), then saved.
TEST_F(FileInfoHelpTest, CommentExampleIsSavedAndCountedAsThePageSays) {
  const std::string typed = test::HelpExampleText(kPage, "ascii-typed");
  const std::string saved = test::HelpExampleText(kPage, "ascii-saved");
  double length = 0;
  int decimals = 0;
  ASSERT_FALSE(typed.empty());
  ASSERT_TRUE(test::FirstNumberIn(test::HelpExampleText(kPage, "ascii-length"), length, decimals));
  PrefsArray[PrefsSlot::SaveSable] = 1;
  CommentContainer.clear();
  std::string counted;
  Run({Do([typed] {
         auto* view = qobject_cast<QPlainTextEdit*>(rt::bridge::EditFieldWidget(W, kCommentField));
         ASSERT_NE(view, nullptr);
         view->setPlainText(QString::fromStdString(typed));
       }),
       Do([] {}),  // a pass of the window loop, for the count to follow the text
       Do([&counted] {
         rt::SetOutputWindow(W);
         counted = rt::EditText(kCommentLengthField);
       }),
       Click(W, kFileInfoOKButton)});
  EXPECT_EQ(MacRomanToUtf8(CommentContainer), saved);
  double shown = 0;
  ASSERT_TRUE(test::FirstNumberIn(counted, shown, decimals)) << counted;
  EXPECT_EQ(shown, length);
}

}  // namespace
}  // namespace mv
