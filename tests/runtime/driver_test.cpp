// The scripted driver runs a window built from the runtime and checks a PNG.
#include <QImage>

#include <filesystem>
#include <fstream>

#include "common/test_support.h"
#include "drive/script.h"
#include "drive/selftest.h"
#include "runtime/clock.h"

namespace mv {
namespace {

using DriverTest = test::ProgramTest;

int InkPixels(const std::filesystem::path& png) {
  QImage img(QString::fromStdString(png.string()));
  int ink = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (qBlue(img.pixel(x, y)) > 100 && qRed(img.pixel(x, y)) < 60) ++ink;
  return ink;
}

TEST_F(DriverTest, TypesClicksChoosesAMenuAndSavesAPicture) {
  rt::UseVirtualClock(false);
  auto shot = test::TestOutputDir() / "w1-driver-selftest.png";
  std::filesystem::remove(shot);
  drive::ScriptRunner runner(
      "start\n"
      "until 1\n"
      "type 1 1 Hello 42\n"
      "click 1 1\n"
      "menu 1 1\n"
      "wait 0.1\n"
      "shot 1 " + shot.string() + "\n"
      "click-label 1 Quit\n"
      "expect-exit 3\n");
  auto result = runner.Run(drive::SelfTestProgram);
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
  ASSERT_TRUE(std::filesystem::exists(shot));
  EXPECT_GT(InkPixels(shot), 50) << "the greeting and the field text are drawn in blue";
}

TEST_F(DriverTest, AFailingLineIsReportedWithItsNumber) {
  rt::UseVirtualClock(false);
  drive::ScriptRunner runner("start\nuntil 1\nclick 1 9\n");
  auto result = runner.Run(drive::SelfTestProgram);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.failedLine, 3);
  EXPECT_NE(result.message.find("no control 9"), std::string::npos) << result.message;
}

TEST_F(DriverTest, WrongExitStatusFails) {
  rt::UseVirtualClock(false);
  drive::ScriptRunner runner("start\nuntil 1\nmenu 1 2\nexpect-exit 0\n");
  auto result = runner.Run(drive::SelfTestProgram);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.failedLine, 4);
  ASSERT_TRUE(result.exitStatus.has_value());
  EXPECT_EQ(*result.exitStatus, 3);
}

TEST_F(DriverTest, WaitingForAWindowThatNeverOpensTimesOut) {
  rt::UseVirtualClock(false);
  drive::ScriptRunner runner("start\nuntil 42 0.2\n");
  auto result = runner.Run(drive::SelfTestProgram);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.failedLine, 2);
}

}  // namespace
}  // namespace mv
