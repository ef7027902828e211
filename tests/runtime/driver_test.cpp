// The scripted driver: it runs a window built from the runtime, types, clicks,
// chooses menus, pictures windows and open menus, takes variables from the
// environment, checks files, and names the line that fails.
#include <QImage>
#include <QWidget>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "common/test_support.h"
#include "drive/script.h"
#include "drive/selftest.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "runtime/menus.h"
#include "runtime/panels.h"
#include "runtime/printing.h"
#include "runtime/qt_bridge.h"
#include "runtime/system.h"
#include "runtime/windows.h"

namespace mv {
namespace {

namespace fs = std::filesystem;

class DriverTest : public test::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    rt::UseVirtualClock(false);
    dir_ = test::MakeTempDir("driver");
  }
  void TearDown() override {
    fs::remove_all(dir_);
    ProgramTest::TearDown();
  }
  drive::ScriptResult Run(const std::string& script, const drive::Program& program = drive::SelfTestProgram) {
    return drive::ScriptRunner(script, dir_.string()).Run(program);
  }
  QImage Picture(const std::string& name) const {
    return QImage(QString::fromStdString((dir_ / name).string()));
  }
  fs::path dir_;
};

int InkPixels(const QImage& img) {
  int ink = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (qBlue(img.pixel(x, y)) > 100 && qRed(img.pixel(x, y)) < 60) ++ink;
  return ink;
}

TEST_F(DriverTest, TypesClicksChoosesAMenuAndSavesAPictureNamedFromTheEnvironment) {
  setenv("MV_DRIVER_TEST_NAME", "from the environment", 1);
  unsetenv("MV_DRIVER_TEST_UNSET");
  const auto result =
      Run("start\nuntil 1\n"
          "# a comment may name ${MV_DRIVER_TEST_UNSET}\n"
          "type 1 1 Hello 42\nclick 1 1\nmenu 1 1\nwait 0.1\n"
          "shot 1 w1-${MV_DRIVER_TEST_NAME}.png\n"
          "shot 1 " +
          (test::TestOutputDir() / "w1-driver-selftest.png").string() +
          "\n"
          "click-label 1 Quit\nexpect-exit 3\n");
  unsetenv("MV_DRIVER_TEST_NAME");
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
  EXPECT_GT(InkPixels(Picture("w1-from the environment.png")), 50)
      << "the greeting and the field text are drawn in blue";
}

// Window 1 with button 1, which dims menu 1's first item and checks its third
// without redrawing the bar, and button 2, which quits.
[[noreturn]] void MenuChangingProgram(int, char**) {
  rt::NewMenu(1, "Test");
  for (int16_t i = 1; i <= 4; ++i) rt::SetMenuItem(1, i, i == 2 ? "-" : "Item");
  rt::SetMenuBar({1});
  rt::DrawMenuBar();
  rt::OpenWindow(1, "Menus", Rect{40, 60, 340, 220}, 6);
  rt::NewControl(1, rt::ControlType::PushButton, "Dim", Rect{10, 10, 90, 32}, 1);
  rt::NewControl(2, rt::ControlType::PushButton, "Quit", Rect{10, 40, 90, 62}, 1);
  int16_t clicked = 0;
  // Kind 1 is a click on a control (the other kinds are window activity).
  rt::SetDialogHandler([&clicked](int16_t kind, int16_t control) {
    if (kind == 1) clicked = control;
  });
  for (;;) {
    rt::PumpEvents();
    if (clicked == 1) {
      rt::EnableMenuItem(1, 1, false);
      rt::CheckMenuItem(1, 3, true);
    }
    if (clicked == 2) rt::ExitProgram(0);
    clicked = 0;
  }
}

TEST_F(DriverTest, ShotMenuPicturesTheMenuAsTheModelHasItWhenItOpens) {
  const auto review = test::TestOutputDir() / "menu-driver-test-dimmed.png";
  const auto result =
      Run("start\nuntil 1\nshot-menu 1 before.png\nclick 1 1\nwait 0.1\nshot-menu 1 after.png\n"
          "shot-menu 1 " +
              review.string() + "\nclick 1 2\nexpect-exit 0\n",
          MenuChangingProgram);
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
  const QImage before = Picture("before.png"), after = Picture("after.png");
  ASSERT_FALSE(before.isNull());
  EXPECT_EQ(before.size(), after.size()) << "the same items";
  EXPECT_NE(before, after) << "the dimmed item and the check mark show without a redraw of the bar";
  ASSERT_NE(rt::bridge::MenuBarWindow(), nullptr);
  EXPECT_GT(before.height(), rt::bridge::MenuBarWindow()->height()) << "the items hang below the bar's title";
}

// Window 1, resizable down to 200 x 100, ends the program with status 5 once the
// user has dragged it to 500 pixels wide.
[[noreturn]] void ResizableWindowProgram(int, char**) {
  rt::OpenWindow(1, "Sized", Rect{40, 60, 440, 360}, rt::kResizableWindow);
  rt::SetWindowMinimumSize(1, 200, 100);
  for (;;) {
    rt::PumpEvents();
    if (rt::WindowContentRect(1).width() == 500) rt::ExitProgram(5);
  }
}

TEST_F(DriverTest, DragSizeResizesAWindowAsTheUsersDragWould) {
  const auto result = Run("start\nuntil 1\ndrag-size 1 500 350\nexpect-exit 5\n", ResizableWindowProgram);
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
}

// Window 1 with a check box (control 1) at 10..110 x 10..30, a static text (control 2)
// at 10..110 x 40..60 and the canvas elsewhere. Each click is noted in turn: "box" and
// "text" for a control's click, "canvas" for the canvas's; a click at the bottom
// right corner ends the program with the notes' count, after they are kept in `seen`.
std::vector<std::string>* gSeen = nullptr;
[[noreturn]] void ClickTargetsProgram(int, char**) {
  rt::OpenWindow(1, "Targets", Rect{40, 60, 340, 220}, 6);
  rt::NewControl(1, rt::ControlType::CheckBox, "Box", Rect{10, 10, 110, 30}, 1);
  rt::NewControl(2, rt::ControlType::StaticText, "Text", Rect{10, 40, 110, 60}, 1);
  bool last = false;
  rt::SetDialogHandler([](int16_t kind, int16_t control) {
    if (kind == 1) gSeen->push_back(control == 1 ? "box" : "text");
  });
  rt::SetMouseHandler([&last](int) {
    const Point p = rt::LastClickPosition();
    gSeen->push_back("canvas");
    last = p.h > 250 && p.v > 120;
  });
  for (;;) {
    rt::PumpEvents();
    if (last) rt::ExitProgram(static_cast<int>(gSeen->size()));
  }
}

TEST_F(DriverTest, MouseClicksWhateverLiesUnderThePointAsAUsersClickDoes) {
  std::vector<std::string> seen;
  gSeen = &seen;
  const auto result =
      Run("start\nuntil 1\nmouse 1 20 20\nmouse 1 200 20\nmouse 1 20 50\nmouse 1 280 140\n"
          "expect-exit 4\n",
          ClickTargetsProgram);
  gSeen = nullptr;
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result) << " after " << seen.size() << " clicks";
  EXPECT_EQ(seen, (std::vector<std::string>{"box", "canvas", "canvas", "canvas"}))
      << "the box takes the click on it; a static text is part of the canvas, as the program draws it";
}

TEST_F(DriverTest, ALineThatCannotBeCarriedOutFailsWithItsNumber) {
  std::ofstream(dir_ / "written.kstr") << "data";
  std::ofstream(dir_ / "empty.kstr").flush();
  unsetenv("MV_DRIVER_TEST_UNSET");
  struct Case {
    const char* script;
    int failedLine;  // 0: the script passes
    const char* message;
  };
  const Case cases[] = {
      {"expect-file written.kstr\n", 0, ""},
      {"expect-file missing.kstr\n", 1, "no file"},
      {"expect-file empty.kstr\n", 1, "is empty"},
      {"start\nuntil 42 0.2\n", 2, "timed out"},
      {"start\nuntil 1\nclick 1 9\n", 3, "no control 9"},
      // A line naming a control, a field or a window that is not there names what is.
      {"start\nuntil 1\nclick 1 9\n", 3,
       "its controls: 1 button \"Show\" enabled; 2 button \"Quit\" enabled"},
      {"start\nuntil 1\npress 1 3\n", 3, "2 button \"Quit\""},
      {"start\nuntil 1\npick 1 1 2\n", 3, "is not a popup; its controls: 1 button \"Show\""},
      {"start\nuntil 1\nclick-label 1 Cancel\n", 3, "no control titled Cancel; its controls: 1 button"},
      {"start\nuntil 1\ntype 1 4 x\n", 3, "no field 4; its fields: 1 field \"\""},
      {"start\nuntil 1\nclick 7 1\n", 3,
       "window 7 is not open; open windows: window 1 \" Driver self-test \""},
      {"start\nuntil 1\nshot-menu 9 none.png\n", 3, "no menu 9"},
      {"start\nuntil 1\nshot 1 ${MV_DRIVER_TEST_UNSET}/w1.png\n", 3, "MV_DRIVER_TEST_UNSET is not set"},
      {"start\nuntil 1\nmenu 1 2\nexpect-exit 0\n", 4, "exit status 3"},
      // A colour is 16 bits a component: 65536 is no colour, never taken as 0.
      {"color 65536 0 0\n", 1, "a colour component is 0 to 65535 (16 bits), not 65536"},
      {"color 0 -1 0\n", 1, "a colour component is 0 to 65535"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    const auto result = Run(c.script);
    EXPECT_EQ(result.ok, c.failedLine == 0) << drive::FormatFailure(result);
    if (c.failedLine == 0) continue;
    EXPECT_EQ(result.failedLine, c.failedLine);
    EXPECT_NE(result.message.find(c.message), std::string::npos) << result.message;
  }
  EXPECT_FALSE(fs::exists(dir_ / "none.png"));
}

TEST_F(DriverTest, ListNamesTheOpenWindowsAndOneWindowsControlsAndFields) {
  const auto result =
      Run("list\nstart\nuntil 1\nlist\ntype 1 1 Hello\nlist 1\nlist 8\nclick 1 2\nexpect-exit 3\n");
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
  const std::string expected =
      "no window is open\n"
      "window 1 \" Driver self-test \" kind 6 (front)\n"
      "window 1 \" Driver self-test \" kind 6 (front)\n"
      "  control 1 button \"Show\" enabled\n"
      "  control 2 button \"Quit\" enabled\n"
      "  field 1 field \"Hello\"\n"
      "window 8 is not open\n";
  EXPECT_EQ(result.output, expected);
}

// Window 1 whose button 1 asks for a file with the open panel and button 2 prints a
// report; the program ends with status 4 when a file was chosen or the report
// printed, 5 when the panel or the print dialog was cancelled.
[[noreturn]] void PanelProgram(int, char**) {
  rt::OpenWindow(1, "Panel", Rect{40, 60, 340, 220}, 6);
  rt::NewControl(1, rt::ControlType::PushButton, "Open...", Rect{10, 10, 90, 32}, 1);
  rt::NewControl(2, rt::ControlType::PushButton, "Print...", Rect{10, 40, 90, 62}, 1);
  rt::SetPrintJobName("Channel report");
  int16_t clicked = 0;
  rt::SetDialogHandler([&clicked](int16_t kind, int16_t control) {
    if (kind == 1) clicked = control;
  });
  for (;;) {
    rt::PumpEvents();
    if (clicked == 1) rt::ExitProgram(rt::OpenFilePanel("Choose a set-up file") ? 4 : 5);
    if (clicked == 2)
      rt::ExitProgram(rt::PrintReport(rt::PrintedReport{"Report", "one line", ""}, [] {}) ==
                              rt::PrintResult::Printed
                          ? 4
                          : 5);
  }
}

TEST_F(DriverTest, APanelOrPrintDialogWithNoQueuedAnswerSaysItWaitsAndTakesTheNextAnswer) {
  const auto result = Run("start\nuntil 1\nclick 1 1\nwait 0.2\npanel cancel\nexpect-exit 5\n", PanelProgram);
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
  EXPECT_NE(
      result.output.find("after line 3: waiting for an answer to the open panel \"Choose a set-up file\""),
      std::string::npos)
      << result.output;
  const auto answered = Run("start\nuntil 1\npanel chosen.txt\nclick 1 1\nexpect-exit 4\n", PanelProgram);
  ASSERT_TRUE(answered.ok) << drive::FormatFailure(answered);
  EXPECT_EQ(answered.output, "") << "a panel answered in advance does not wait";
  const auto printing =
      Run("start\nuntil 1\nclick 1 2\nwait 0.2\nprint cancel\nexpect-exit 5\n", PanelProgram);
  ASSERT_TRUE(printing.ok) << drive::FormatFailure(printing);
  EXPECT_NE(
      printing.output.find("after line 3: waiting for an answer to the print dialog of \"Channel report\""),
      std::string::npos)
      << printing.output;
}

}  // namespace
}  // namespace mv
