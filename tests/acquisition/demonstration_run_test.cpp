// A demonstration recording as the control loop runs it, in-process: the run's reset,
// the schedule's anchor, the loop with window 1 standing in for the acquisition
// screen, and Escape to stop. (The mode window before it and the options window after
// it belong to the control loop.)
#include "acq_fixture.h"
#include "acquisition/install.h"

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

}  // namespace
}  // namespace mv::test
