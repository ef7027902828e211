// A demonstration recording as the control loop runs it, in-process: the run's reset,
// the schedule's anchor, the loop with window 1 standing in for the acquisition
// screen, and Escape to stop. (The mode window before it and the options window after
// it belong to the control loop.)
#include <cstdlib>

#include "acq_fixture.h"
#include "acquisition/install.h"
#include "common/window_steps.h"
#include "control/alarm_log.h"
#include "kit/format.h"

namespace mv::test {
namespace {

using DemonstrationRun = AcqTest;

TEST_F(DemonstrationRun, RecordsUntilEscapeWithTheScreenLive) {
  ChartIntervalInSeconds = 0.05;
  MaxSamples = 800;
  donefact = 100.0f / MaxSamples;
  OpenAcquisitionWindow();
  rt::FillWindow(ChartBackgroundColor);
  ResetRunCounters();
  StartChartSchedule();
  const double anchor = CurrentTimeInSeconds + 0.1;
  script = [] {
    if (Sample == 40) Hold({rt::key::Escape});
  };
  EXPECT_EQ(Record(), RunEnd::StopKey);
  EXPECT_EQ(Sample, 40);
  EXPECT_EQ(dues.front(), anchor);
  for (int ch = 1; ch <= 2; ++ch) {
    for (int i = 0; i < 40; ++i) {
      EXPECT_GE(ChartDataArray.Get(ch, i), 0.201f);
      EXPECT_LE(ChartDataArray.Get(ch, i), 1.0f);
    }
    EXPECT_EQ(rt::EditText(static_cast<int16_t>(ch + 6)), StringFormatter(ChartDataArray.Get(ch, 39)));
  }
  EXPECT_EQ(rt::EditText(2), " Sample 40");
  rt::SaveWindowImage(1, (TestOutputDir() / "w1-demonstration-run.png").string());
}

TEST_F(DemonstrationRun, InstalledToolbarReaderPumpsEvents) {
  InstallAcquisitionServices();
  int pumps = 0;
  rt::SetPumpHook([&] { ++pumps; });
  MaxSamples = 5;
  CHARTSCANNING();
  rt::SetPumpHook(nullptr);
  EXPECT_GT(pumps, 30);  // one before the first pass and one per tick of 0.6 s
  EXPECT_LE(pumps, 40);
}

class DemonstrationAlarmLog : public AcqTest, public WindowSteps {
 protected:
  void SetUp() override {
    AcqTest::SetUp();
    setenv("MV_RESOURCES_DIR", SourcePath("resources").c_str(), 1);
  }
  void TearDown() override {
    rt::SetPumpHook(nullptr);
    if (rt::WindowExists(kAlarmLogWindow)) rt::CloseWindow(kAlarmLogWindow);
    unsetenv("MV_RESOURCES_DIR");
    AcqTest::TearDown();
  }
};

// After a demonstration run whose readings (0.2 to 1) cross channel 2's upper limit,
// the alarm log shows how many samples raised it and the last of them; channel 1's
// lower limit lies below every reading, so it shows none.
TEST_F(DemonstrationAlarmLog, TheLogAfterARunShowsTheHighAlarmsCountAndLastSample) {
  ChartIntervalInSeconds = 0.05;
  MaxSamples = 60;
  donefact = 100.0f / MaxSamples;
  datalabel = Str255("O2 analyser                   CO2 analyser                  ");
  CLEARALARMS();
  alarmsArray[1][AlarmField::AnyOn] = 1;
  alarmsArray[1][AlarmField::LowerOn] = 1;
  alarmsArray[1][AlarmField::LowerLimit] = 0.1f;
  alarmsArray[1][AlarmField::OverRangeOn] = 1;
  alarmsArray[2][AlarmField::AnyOn] = 1;
  alarmsArray[2][AlarmField::UpperOn] = 1;
  alarmsArray[2][AlarmField::UpperLimit] = 0.7f;
  OpenAcquisitionWindow();
  rt::FillWindow(ChartBackgroundColor);
  ResetRunCounters();
  StartChartSchedule();
  EXPECT_EQ(Record(), RunEnd::SamplesDone);
  int above = 0, last = 0;
  for (int i = 0; i < Sample; ++i)
    if (ChartDataArray.Get(2, i) >= 0.7f) ++above, last = i;  // the value of Sample as it was taken
  ASSERT_GT(above, 0);
  ASSERT_LT(above, Sample);
  EXPECT_EQ(alarmsArray[2][AlarmField::UpperCount], static_cast<float>(above));
  EXPECT_EQ(alarmsArray[1][AlarmField::LowerCount], 0.0f);
  EXPECT_EQ(alarmsArray[1][AlarmField::OverRangeCount], 0.0f) << "demonstration readings stay within 5 V";
  Drive({Until(kAlarmLogWindow), Do([above, last] {
           rt::SetOutputWindow(kAlarmLogWindow);
           EXPECT_EQ(TextOf(kAlarmLogWindow, AlarmLogField(2, 4)), NumText(static_cast<float>(above)).str());
           EXPECT_EQ(TextOf(kAlarmLogWindow, AlarmLogField(2, 5)), NumText(static_cast<float>(last)).str());
           EXPECT_EQ(TextOf(kAlarmLogWindow, AlarmLogField(1, 1)), "   none");
           EXPECT_EQ(TextOf(kAlarmLogWindow, AlarmLogField(1, 6)), "   none");
         }),
         Shot(kAlarmLogWindow, "w5-alarm-log-demonstration-run.png"), Click(kAlarmLogWindow, kAlarmLogOK)});
  SHOWALARMS();
  EXPECT_TRUE(ScriptDone());
}

}  // namespace
}  // namespace mv::test
