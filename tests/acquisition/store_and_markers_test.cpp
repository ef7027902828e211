// The chart sample store, the scope rows' reset, markers and notes.
#include "acq_fixture.h"

namespace mv::test {
namespace {

using StoreTest = AcqTest;

TEST_F(StoreTest, ColumnsNeverWrittenReadZero) {
  ChartDataArray.Set(2, 5, 1.5f);
  EXPECT_EQ(ChartDataArray.Get(2, 5), 1.5f);
  EXPECT_EQ(ChartDataArray.Get(3, 5), 0.0f);  // a channel only ever written up to 2
  EXPECT_EQ(ChartDataArray.Get(2, 4), 0.0f);
  EXPECT_EQ(ChartDataArray.Get(2, 1'999'999), 0.0f);
  EXPECT_EQ(ChartDataArray.HighestColumn(2), 5);
  EXPECT_EQ(ChartDataArray.HighestColumn(3), -1);
}

TEST_F(StoreTest, IndexesOutsideTheStoreNeverTouchMemory) {
  EXPECT_FALSE(ChartDataArray.Set(1, -1, 9.0f));
  EXPECT_FALSE(ChartDataArray.Set(17, 0, 9.0f));
  EXPECT_FALSE(ChartDataArray.Set(-1, 0, 9.0f));
  EXPECT_FALSE(ChartDataArray.Set(1, ChartStore::kChartColumns, 9.0f));
  EXPECT_TRUE(ChartDataArray.Set(16, 2'000'001, 9.0f));  // the last column of the longest run
  EXPECT_EQ(ChartDataArray.Get(16, 2'000'001), 9.0f);
  EXPECT_EQ(ChartDataArray.Get(1, -1), 0.0f);
  EXPECT_EQ(ChartDataArray.Get(17, 3), 0.0f);
  EXPECT_EQ(ChartDataArray.Get(1, ChartStore::kChartColumns), 0.0f);
}

TEST_F(StoreTest, MemoryGrowsWithWhatIsRecorded) {
  EXPECT_EQ(ChartDataArray.BytesHeld(), 0u);
  for (int32_t col = 0; col < 100'000; ++col) ChartDataArray.Set(1, col, static_cast<float>(col));
  const std::size_t held = ChartDataArray.BytesHeld();
  EXPECT_GE(held, 100'000u * 4);
  // The values, rounded up to a block, and their summaries, at most a sixteenth more.
  EXPECT_LE(held, (100'000u * 4 + 64 * 1024) * 17 / 16);
  // A second channel of a longer run costs the same again, no more.
  for (int32_t col = 0; col < 100'000; ++col) ChartDataArray.Set(16, col, 1.0f);
  EXPECT_LE(ChartDataArray.BytesHeld(), 2 * held);
  EXPECT_EQ(ChartDataArray.Get(1, 99'999), 99'999.0f);
  // The store is not cleared between runs: a new run overwrites from column 0.
  ResetRunCounters();
  EXPECT_EQ(ChartDataArray.Get(1, 99'999), 99'999.0f);
}

TEST_F(StoreTest, ClearingTheScopeRowsLeavesNoStaleSweep) {
  for (int row = 1; row <= 3; ++row) scopedata[row].fill(7.0f);
  CLEARARRAY();
  for (int row = 1; row <= 3; ++row) {
    EXPECT_EQ(scopedata[row][0], 0.0f);
    EXPECT_EQ(scopedata[row][2'079], 0.0f);
    EXPECT_EQ(scopedata[row][2'080], 0.0f) << "a sweep longer than 2,080 points kept the last run's data";
    EXPECT_EQ(scopedata[row][16'384], 0.0f);
  }
}

TEST_F(StoreTest, RunResetClearsTheCounters) {
  Sample = 9;
  ScSample = 4;
  NscrnCASEs = 3;
  Nmarkers = 2;
  ResetRunCounters();
  EXPECT_EQ(Sample, 0);
  EXPECT_EQ(ScSample, 0);
  EXPECT_EQ(NscrnCASEs, 0);
  EXPECT_EQ(Nmarkers, 0);
}

class MarkerTest : public AcqTest {
 protected:
  void SetUp() override {
    AcqTest::SetUp();
    OpenAcquisitionWindow();
  }
};

TEST_F(MarkerTest, MarkersBeforeTheFirstSampleHaveSampleZero) {
  EXPECT_TRUE(InsertMarker(7, 'a', 46));
  EXPECT_TRUE(InsertMarker(7, 'b', 46));
  EXPECT_EQ(Nmarkers, 2);
  EXPECT_EQ(MarkersArray[1].sample, 0);
  EXPECT_EQ(MarkersArray[2].sample, 0);
  EXPECT_EQ(MarkersArray[2].code, 'b');
  EXPECT_EQ(markerFlag, 1);
  EXPECT_EQ(Count("FirstMarkerCheck"), 1) << "only the run's first marker starts what waits for it";
}

TEST_F(MarkerTest, QAndXMarkersRunTheirActionsInEitherCase) {
  InsertMarker(7, 'q', 46);
  InsertMarker(7, 'Q', 46);
  InsertMarker(7, 'x', 46);
  InsertMarker(7, 'X', 46);
  InsertMarker(7, 'y', 46);
  EXPECT_EQ(Count("Q_Key_check"), 2);
  EXPECT_EQ(Count("X_Key_check"), 2);
}

TEST_F(MarkerTest, SwitchMarkerShowsTheDeviceWhenAsked) {
  ShowSwitchDeviceAsMarker = 1;
  DeviceInUse = 3;
  InsertDeviceSwitchMarker('S', 34);
  EXPECT_EQ(MarkersArray[1].code, '3');
}

// A marker beyond the table is refused, and the user is told: the screen's bottom line
// says the table is full from its last place taken on (markers used to be refused
// without a word).
TEST_F(MarkerTest, AFullMarkerTableIsRefusedAndSaidOnTheScreen) {
  constexpr int16_t kMarkersFullField = 196;
  Nmarkers = kMaxMarkers - 1;
  EXPECT_TRUE(InsertDeviceSwitchMarker('S', 34));
  EXPECT_EQ(Nmarkers, kMaxMarkers);
  rt::SetOutputWindow(1);
  ASSERT_TRUE(rt::EditFieldExists(kMarkersFullField)) << "said as the last place is taken";
  EXPECT_EQ(rt::EditText(kMarkersFullField), "Marker table full: no more markers are kept");
  EXPECT_FALSE(InsertDeviceSwitchMarker('R', 34));
  EXPECT_FALSE(InsertMarker(7, 'a', 46));
  EXPECT_FALSE(InsertScanMarker('a'));
  EXPECT_EQ(Nmarkers, kMaxMarkers);
  EXPECT_EQ(MarkersArray[kMaxMarkers].code, 'S');
  rt::SaveWindowImage(1, (TestOutputDir() / "w1-marker-table-full.png").string());
}

TEST_F(MarkerTest, MarkerLineIsDrawnAtThePresentSample) {
  rt::FillWindow(RGBColor{0, 0, 0});
  MarkerColor = RGBColor{65535, 65535, 65535};
  NscrnCASEs = 200;
  ChartView = 2;
  InsertMarker(7, 'm', 46);
  EXPECT_EQ(rt::CanvasPixel(100, 200), (RGBColor{65535, 65535, 65535}));
  EXPECT_EQ(rt::CanvasPixel(104, 200), (RGBColor{0, 0, 0}));
  rt::SaveWindowImage(1, (TestOutputDir() / "w1-marker.png").string());
}

TEST_F(MarkerTest, MarkSoundOnlyWhenSoundsAreOn) {
  Sound_Is_On = 0;
  InsertMarker(7, 'a', 46);
  EXPECT_EQ(Played("mark.mp3"), 0);
  Sound_Is_On = 1;
  InsertMarker(7, 'b', 46);
  EXPECT_EQ(Played("mark.mp3"), 1);
}

TEST_F(MarkerTest, ScanMarkerCountsNumberedMarkers) {
  MarkerCounter = 201;
  InsertScanMarker(203);
  EXPECT_EQ(MarkerCounter, 202);
  EXPECT_EQ(MarkersArray[1].code, 203);
}

TEST_F(MarkerTest, NotesStopAtFiftyAndAreCutTo250Characters) {
  const std::string longText(300, 'n');
  for (int i = 0; i < kMaxNotes; ++i) EXPECT_TRUE(AddNote(i * 10, "12:00:00", longText));
  EXPECT_FALSE(AddNote(999, "12:00:01", "one too many"));
  EXPECT_EQ(NumberOfNotes, kMaxNotes);
  EXPECT_EQ(fileRemarks[1].text.size(), 250u);
  EXPECT_EQ(fileRemarks[2].sample.str(), " 10");
  EXPECT_EQ(fileRemarks[50].time.str(), "12:00:00");
}

}  // namespace
}  // namespace mv::test
