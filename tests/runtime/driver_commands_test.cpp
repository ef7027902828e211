// The driver's pictures of open menus, its environment variables and its file
// check, and the menu bar's menus taking item states from the model as they open.
#include <QAction>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
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
#include "runtime/qt_bridge.h"
#include "runtime/system.h"
#include "runtime/windows.h"

namespace mv {
namespace {

namespace fs = std::filesystem;

class DriverCommandsTest : public test::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    rt::UseVirtualClock(false);
    dir_ = test::MakeTempDir("driver-commands");
  }
  void TearDown() override {
    fs::remove_all(dir_);
    ProgramTest::TearDown();
  }
  drive::ScriptResult Run(const std::string& script, const drive::Program& program = drive::SelfTestProgram) {
    drive::ScriptRunner runner(script, dir_.string());
    return runner.Run(program);
  }
  fs::path dir_;
};

// Window 1 with button 1, which dims menu 1's first item and checks its third
// without redrawing the bar, and button 2, which quits.
[[noreturn]] void MenuChangingProgram(int, char**) {
  rt::NewMenu(1, "Test");
  rt::SetMenuItem(1, 1, "Say hello");
  rt::SetMenuItem(1, 2, "-");
  rt::SetMenuItem(1, 3, "Loud");
  rt::SetMenuItem(1, 4, "Quit");
  rt::SetMenuItemKey(1, 4, 'Q');
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

TEST_F(DriverCommandsTest, ShotMenuPicturesTheMenuAsTheModelHasItWhenItOpens) {
  const auto result =
      Run("start\nuntil 1\n"
          "shot-menu 1 " +
              (test::TestOutputDir() / "menu-driver-test-plain.png").string() +
              "\nshot-menu 1 before.png\n"
              "click 1 1\nwait 0.1\n"
              "shot-menu 1 after.png\n"
              "shot-menu 1 " +
              (test::TestOutputDir() / "menu-driver-test-dimmed.png").string() +
              "\n"
              "click 1 2\nexpect-exit 0\n",
          MenuChangingProgram);
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
  const QImage before(QString::fromStdString((dir_ / "before.png").string()));
  const QImage after(QString::fromStdString((dir_ / "after.png").string()));
  ASSERT_FALSE(before.isNull());
  ASSERT_FALSE(after.isNull());
  EXPECT_EQ(before.size(), after.size()) << "the same items";
  EXPECT_NE(before, after) << "the dimmed item and the check mark show without a redraw of the bar";
  QWidget* bar = rt::bridge::MenuBarWindow();
  ASSERT_NE(bar, nullptr);
  EXPECT_GT(before.height(), bar->height()) << "the items hang below the bar's title";
}

TEST_F(DriverCommandsTest, TheBarsMenuTakesItemStatesSetSinceTheBarWasDrawn) {
  rt::NewMenu(1, "Test");
  rt::SetMenuItem(1, 1, "Say hello");
  rt::SetMenuItem(1, 2, "Loud");
  rt::SetMenuBar({1});
  rt::DrawMenuBar();
  rt::EnableMenuItem(1, 1, false);
  rt::CheckMenuItem(1, 2, true);
  rt::SetMenuItem(1, 3, "Added later");

  auto* bar = rt::bridge::MenuBarWindow()->findChild<QMenuBar*>();
  ASSERT_NE(bar, nullptr);
  ASSERT_EQ(bar->actions().size(), 1);
  QMenu* menu = bar->actions()[0]->menu();
  ASSERT_NE(menu, nullptr);
  menu->popup(QPoint(0, 30));
  const auto items = menu->actions();
  menu->hide();
  ASSERT_EQ(items.size(), 3);
  EXPECT_FALSE(items[0]->isEnabled());
  EXPECT_TRUE(items[1]->isChecked());
  EXPECT_EQ(items[2]->text(), "Added later");
}

TEST_F(DriverCommandsTest, ShotMenuOfAMissingMenuFailsItsLine) {
  const auto result = Run("start\nuntil 1\nshot-menu 9 none.png\n");
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.failedLine, 3);
  EXPECT_NE(result.message.find("no menu 9"), std::string::npos) << result.message;
  EXPECT_FALSE(fs::exists(dir_ / "none.png"));
}

TEST_F(DriverCommandsTest, VariablesComeFromTheEnvironmentAndAnUnsetOneFailsItsLine) {
  setenv("MV_DRIVER_TEST_DIR", dir_.c_str(), 1);
  setenv("MV_DRIVER_TEST_NAME", "from the environment", 1);
  unsetenv("MV_DRIVER_TEST_UNSET");
  const auto result =
      Run("start\nuntil 1\n"
          "# a comment may name ${MV_DRIVER_TEST_UNSET}\n"
          "shot 1 ${MV_DRIVER_TEST_DIR}/w1-${MV_DRIVER_TEST_NAME}.png\n"
          "click 1 2\nexpect-exit 3\n");
  EXPECT_TRUE(result.ok) << drive::FormatFailure(result);
  EXPECT_TRUE(fs::exists(dir_ / "w1-from the environment.png"));

  const auto unset = Run("start\nuntil 1\nshot 1 ${MV_DRIVER_TEST_UNSET}/w1.png\n");
  EXPECT_FALSE(unset.ok);
  EXPECT_EQ(unset.failedLine, 3);
  EXPECT_NE(unset.message.find("MV_DRIVER_TEST_UNSET is not set"), std::string::npos) << unset.message;
  unsetenv("MV_DRIVER_TEST_DIR");
  unsetenv("MV_DRIVER_TEST_NAME");
}

TEST_F(DriverCommandsTest, ExpectFileWantsAFileWithContent) {
  std::ofstream(dir_ / "written.kstr") << "data";
  std::ofstream(dir_ / "empty.kstr").flush();
  struct Case {
    const char* line;
    const char* failure;  // nullptr: the line passes
  } cases[] = {
      {"expect-file written.kstr", nullptr},
      {"expect-file missing.kstr", "no file"},
      {"expect-file empty.kstr", "is empty"},
  };
  for (const Case& c : cases) {
    const auto result = Run(std::string(c.line) + "\n");
    if (!c.failure) {
      EXPECT_TRUE(result.ok) << c.line << ": " << drive::FormatFailure(result);
      continue;
    }
    EXPECT_FALSE(result.ok) << c.line;
    EXPECT_EQ(result.failedLine, 1) << c.line;
    EXPECT_NE(result.message.find(c.failure), std::string::npos) << c.line << ": " << result.message;
  }
}

}  // namespace
}  // namespace mv
