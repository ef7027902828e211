// Continuous scanning on the virtual clock, with an interface whose reads take a
// set time.
#include "acquisition/scan_averaging.h"

#include "acq_fixture.h"
#include "devices/needs.h"

namespace mv::test {
namespace {

class ScanTest : public AcqTest {
 protected:
  void SetUp() override {
    AcqTest::SetUp();
    PrefsArray[PrefsSlot::AverageAllChannels] = 1;
    External_AD = ExternalADCode::DT500;
    ChartIntervalInSeconds = 1.0;
    MaxSamples = 3;
    StartChartSchedule();
    services::ReadDataTaker500 = [this](int16_t ch, int16_t) {
      rt::AdvanceVirtualClock(readSeconds);
      volts = 0.1f * ch;
    };
  }
  double readSeconds = 0.1;
};

TEST_F(ScanTest, AboutFiveScansPerSampleAtOneSecondWithTwoSlowChannels) {
  EXPECT_EQ(Record(), RunEnd::SamplesDone);
  EXPECT_EQ(Sample, 4);
  // The first interval starts 0.1 s before its due time.
  for (int16_t ch = 1; ch <= 2; ++ch) {
    EXPECT_EQ(ScansStored[ch].readings, 1 + 5 + 5 + 5);
    EXPECT_EQ(ScansStored[ch].samples, 4);
  }
  for (int i = 0; i < 4; ++i) {
    EXPECT_FLOAT_EQ(ChartDataArray.Get(1, i), 0.1f);
    EXPECT_FLOAT_EQ(ChartDataArray.Get(2, i), 0.2f);
  }
  for (std::size_t i = 1; i < dues.size(); ++i) EXPECT_NEAR(dues[i] - dues[i - 1], 1.0, 1e-9);
}

TEST_F(ScanTest, StopBeforeTheFirstScanTakesNoSample) {
  NoteWindowIsOpen = 1;
  services::HandleNotes = [] {
    if (Sample >= 2) StopIconClicked = ControlStripClicked = 1;
  };
  EXPECT_EQ(Record(), RunEnd::StopIcon);
  EXPECT_EQ(Sample, 2);
  EXPECT_EQ(ScansStored[1].readings, 1 + 5);
  EXPECT_EQ(ScansStored[1].samples, 2);
  EXPECT_EQ(ChartDataArray.HighestColumn(1), 1) << "a sample of no scans would store 0/0";
}

TEST_F(ScanTest, CommandQMarksQAndEndsTheRun) {
  MaxSamples = 50;
  OpenAcquisitionWindow();
  script = [] {
    if (Sample >= 1) Hold({rt::key::Command, rt::key::Q});
  };
  EXPECT_EQ(Record(), RunEnd::CommandQ);
  EXPECT_LE(Sample, 3);
  ASSERT_EQ(Nmarkers, 1);
  EXPECT_EQ(MarkersArray[1].code, 'Q');
  EXPECT_EQ(Count("Q_Key_check"), 1);
}

TEST_F(ScanTest, CommandPPausesThenMarksWith166) {
  OpenAcquisitionWindow();
  bool pressed = false;
  script = [&] {
    if (!pressed && Sample >= 1) {
      pressed = true;
      Hold({rt::key::Command, rt::key::P});
    } else {
      ReleaseAll();
    }
  };
  Record();
  EXPECT_EQ(Count("PAUSE"), 1);
  ASSERT_EQ(Nmarkers, 1);
  EXPECT_EQ(MarkersArray[1].code, 166);
}

TEST_F(ScanTest, EscapeAndKey61EndTheRun) {
  MaxSamples = 50;
  script = [] {
    if (Sample >= 1) Hold({rt::key::Escape});
  };
  EXPECT_EQ(Record(), RunEnd::StopKey);

  ReleaseAll();
  ResetRunCounters();
  StartChartSchedule();
  script = [] {
    if (Sample >= 1) Hold({61, rt::key::Space});
  };
  EXPECT_EQ(Record(), RunEnd::StopKey);
}

// A held arrow steps the keyboard value again after each 15-tick throttle; a held "="
// switches once.
TEST_F(ScanTest, HeldKeyActsOncePer15TicksAndASwitchingKeyOnce) {
  readSeconds = 0.005;
  MaxSamples = 5;
  std::vector<int64_t> at;
  int switches = 0;
  SwitchingMode = SwitchingPatternCode::Keyboard;
  SampleValve = 2;
  Sound_Is_On = 1;
  rt::SetSoundSink([&](const std::string& path) {
    if (test::SoundFileName(path) == "tick.mp3") ++switches;
  });
  ASCIIvalue = 0;
  int16_t seen = 0;
  script = [&] {
    if (ASCIIvalue != seen) at.push_back(static_cast<int64_t>(rt::TickCount()));
    seen = ASCIIvalue;
    if (Sample >= 1 && Sample < 3)
      Hold({rt::key::Up});
    else if (Sample >= 3 && Sample < 5)
      Hold({rt::key::Equal});
    else
      ReleaseAll();
  };
  Record();
  // Each step is seen by the script's pass, up to a scan after it.
  ASSERT_GE(at.size(), 3u);
  for (std::size_t i = 1; i < at.size(); ++i) {
    EXPECT_GE(at[i] - at[i - 1], 15);
    EXPECT_LE(at[i] - at[i - 1], 18);
  }
  EXPECT_GE(at.back() - at.front(), 16 * static_cast<int64_t>(at.size() - 1) - 1);
  EXPECT_EQ(switches, 1) << "held across two samples, \"=\" switched once";
}

TEST_F(ScanTest, PlotKeysNeedTheXYPlotWhileScanning) {
  readSeconds = 0.01;
  script = [] {
    if (Sample == 1)
      Hold({rt::key::Option, rt::key::C});
    else
      ReleaseAll();
  };
  Record();
  EXPECT_EQ(Count("ClearXYPlot"), 0);

  ResetRunCounters();
  StartChartSchedule();
  ShowXYPlot = 1;
  Record();
  EXPECT_GE(Count("ClearXYPlot"), 1);
}

}  // namespace
}  // namespace mv::test
