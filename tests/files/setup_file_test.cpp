// The set-up file: exact bytes of the current version against an encoding written
// field by field here, the round trip through the reader, the older version that
// stops early, and files that are short or hostile.
#include "files/setup_file.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "acquisition/state.h"
#include "control/state.h"
#include "control/trigger_window.h"
#include "conversions/state.h"
#include "devices/state.h"
#include "files/needs.h"
#include "files/setup_commands.h"
#include "files/setup_report.h"
#include "files/state.h"
#include "files_test_support.h"
#include "kit/format.h"
#include "kit/state.h"
#include "setup/state.h"

namespace mv {
namespace {

// Big-endian fields written without the program's byte codecs.
struct Hand {
  std::string s;
  void u(uint64_t v, int n) {
    for (int i = n - 1; i >= 0; --i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
  }
  void i16(int v) { u(static_cast<uint16_t>(v), 2); }
  void i32(int64_t v) { u(static_cast<uint32_t>(v), 4); }
  void f32(float v) { u(std::bit_cast<uint32_t>(v), 4); }
  void f64(double v) { u(std::bit_cast<uint64_t>(v), 8); }
  void zf(int n) {
    for (int i = 0; i < n; ++i) f32(0);
  }
  void zi(int n) {
    for (int i = 0; i < n; ++i) i16(0);
  }
  void text(const std::string& t) {
    f32(static_cast<float>(t.size()));
    s += t;
  }
};

const std::string kLabels = "O2                            CO2                           ";

// A two-channel chart set-up with a value in most groups; everything else zero.
void SetTwoChannelSetup() {
  PrefsArray.fill(0);
  for (auto& row : ChannelVariables) row.fill(0);
  for (auto& row : alarmsArray) row.fill(0);
  for (auto& row : BreakpointArray) row.fill(0);
  for (auto& row : SpecialOpsArray) row.fill(0);
  for (auto& row : XYregressionArray) row.fill(0);
  for (auto& row : polyarray) row.fill(0);
  for (auto& row : DataTakerChannels) row.fill(0);
  zerolink.fill(0);
  SpikeFilterArray.fill(0);
  ADsensorType.fill(0);
  TInputMode.fill(0);
  RecordingMODE = RecordingModeCode::Chart;
  nChannels = 2;
  ChartIntervalInSeconds = 0.1;
  ScopeIntervalInSeconds = 0.001;
  SwitchingMode = 0;
  switchint = 2.5f;
  refint = 0.5f;
  RefChan = 3;
  datalabel = Str255(kLabels);
  for (int f = 1; f <= 12; ++f) {
    ChannelVariables[1][f] = static_cast<float>(f);
    ChannelVariables[2][f] = static_cast<float>(100 + f);
  }
  ChannelVariables[1][13] = 2;  // the switched devices
  ChannelVariables[2][13] = 3;
  ChannelVariables[0][1] = ChannelVariables[0][2] = 1;
  ScopeGain = 5;
  MaxSamples = 0;
  PrefsArray[PrefsSlot::WindowWidth] = 700;
  TriggerON = 1;
  TriggerChan = 0;
  triggerval = 0.3f;
  TriggerMode = 1;
  ChartView = 2;
  ScopeMax = 640;
  RefChan2 = 4;
  ScopeScale = 2;
  polyarray[0] = {1, 2, 3, 4, 9, 5, 6};
  External_AD = ExternalADCode::DT500;
  PrefsArray[1] = 1;
  PrefsArray[22] = 1;
  ActiveSerialPort = 2;
  AbsoluteValue = 1;
  AudibleALARM = 1;
  alarmsArray[1][0] = 1;
  alarmsArray[1][3] = 5;
  TriggerSaveCount = 3;
  TriggerSequence = 2;
  PrefsArray[23] = 1;
  CustomTic = 0.5;
  PrefsArray[42] = 1;
  ScopeViewSTEP = 1;
  DataTakerChannels[1] = {1, 0, 2, 3, 4};
  PrefsArray[28] = 1;
  TimedSaveINTERVAL = 3'600;
  Digital_Port = 2;
  Max_Display_Speed = -1;
  PrefsArray[4] = 2;
  StartAlertInt = 1;
  StopAlertInt = ContinueAlertInt = 0;
  StartALERT = ContinueALERT = StopALERTx = StartAlertMODE = ContAlertMODE = StopAlertMODE = StopAlertCASE =
      0;
  AlertSOUNDS = DOstartALERT = DoStopALERT = StartAlertCount = StopAlertCount = ContAlertCount = 0;
  ContAlertEnd = AlertCount = maxalerts = 0;
  StartAlertSound = 1;
  ContAlertSound = 2;
  StopAlertSound = 3;
  StartAlertTime = StopAlertTime = ContAlertInt = 0;
  nextAlert = 77;
  baudrate = 9'600;
  BreakpointArray[1][0] = 1.25f;
  PrefsArray[31] = 1;
  SpecialOpsArray[2][20] = 7;
  ShowXYPlot = 0;
  alarmsArray[1][22] = 4;
  PrefsArray[16] = PrefsArray[18] = 1;
  ADsensorType[1] = 5;  // channel 1 takes the serial instrument's fifth value
  TInputMode[2] = 2;    // T2 reads ohms
  SpikeFilterArray[1] = 2;
  PrefsArray[PrefsSlot::SpikeFilterOn] = 1;  // channel 1 filtered: its threshold is in force
  ShowSwitchDeviceAsMarker = 0;
  ValueForZeroInGasExchange = 0.25f;
  DT800FastAcquisitionMode = 0;
  mainsfrequency = 60;
}

// The same set-up, field by field. olderVersion writes "-9998" (DataTaker words 1-4,
// word 0 after the three-way rows, nothing after the sensor types); stopAfter39 ends
// an older file after slot 39.
// oldest writes a "-9999" file that ends after slots 40 and 30.
std::string HandEncoded(bool olderVersion = false, bool stopAfter39 = false, bool oldest = false) {
  Hand h;
  if (oldest) olderVersion = true;
  h.s = oldest ? "-9999\r" : olderVersion ? "-9998\r" : "-9997\r";
  h.i16(1), h.i16(2), h.f32(6.0f), h.f32(0.06f), h.i16(0), h.f32(2.5f), h.f32(0.5f), h.i16(3);
  h.text(kLabels);
  for (int f = 1; f <= 12; ++f) h.f32(static_cast<float>(f));
  h.f32(2);
  for (int f = 1; f <= 12; ++f) h.f32(static_cast<float>(100 + f));
  h.f32(3);
  h.i16(5), h.i32(700), h.i16(1), h.i16(1), h.f32(0.3f), h.i16(1), h.f32(2), h.i32(640), h.i16(4), h.i16(2);
  h.i16(0);
  for (float v : {1, 2, 3, 4, 5, 6}) h.f32(v);
  h.i16(3), h.i16(0), h.i16(1), h.i16(0), h.i16(1), h.i16(2), h.i16(0), h.i16(1), h.i16(1);
  if (oldest) {
    for (int k = 1; k <= 8; ++k) h.f32(k <= 2 ? 1.0f : 0.0f);
    h.f32(1), h.zf(2), h.f32(5), h.zf(2), h.zf(7 * 6);
  }
  for (int k = 1; k <= (oldest ? 0 : 16); ++k) {
    h.f32(k <= 2 ? 1.0f : 0.0f);
    if (k == 1) {
      h.f32(1), h.zf(2), h.f32(5), h.zf(2);
    } else {
      h.zf(6);
    }
  }
  h.i16(3), h.i16(2), h.i16(1), h.i16(0), h.f64(0.5), h.i16(0), h.i16(1), h.i16(0), h.i16(1);
  if (olderVersion) {
    h.i16(0), h.i16(2), h.i16(3), h.i16(4), h.zi(4);
  } else {
    h.i16(1), h.i16(0), h.i16(2), h.i16(3), h.i16(4), h.zi(5);
  }
  h.i16(1), h.i32(3'600), h.i16(0), h.zi(34);
  h.i32(2), h.i32(-1), h.i16(2);
  h.f32(1), h.zf(2);
  h.zi(16), h.i16(1), h.i16(2), h.i16(3);
  h.i32(0), h.i32(0), h.i32(0), h.i32(77);
  h.f32(0), h.i32(9'600);
  h.i16(0), h.i16(0);
  if (oldest) return h.s;
  h.i16(700);
  h.f32(1.25f), h.zf(22 * 22 - 1);
  h.i16(1);
  h.zf(20 + 19), h.f32(7), h.zf(14 * 20);
  h.i16(0), h.zf(160), h.i16(0);
  if (stopAfter39) return h.s;
  h.zf(16), h.f32(4), h.zf(15 * 17);
  h.i16(1), h.i16(0), h.i16(1);
  h.i16(0), h.i16(2), h.zi(2), h.i16(0);  // the T1..T4 read modes, then PA[19]
  for (float v : {1, 2, 3, 4, 9, 5, 6}) h.f32(v);
  h.zf(16 * 7);
  if (olderVersion) h.i16(1), h.i16(0);
  h.f32(2), h.f32(0);
  h.i16(0), h.f32(0.25f);
  h.i16(5), h.zi(15);
  if (!olderVersion) h.i16(0), h.i16(60);
  return h.s;
}

class SetupFileTest : public test::FilesTest {
 protected:
  std::filesystem::path Write(const std::string& bytes) {
    const auto path = configDir / "test.MVsetup";
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
};

TEST_F(SetupFileTest, CurrentVersionBytesMatchAHandEncoding) {
  SetTwoChannelSetup();
  const auto path = configDir / "two.MVsetup";
  ASSERT_TRUE(WriteSetupFile(path.string()));
  const std::string written = ReadBytes(path);
  const std::string expected = HandEncoded();
  ASSERT_EQ(written.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) ASSERT_EQ(written[i], expected[i]) << "byte " << i;
  EXPECT_EQ(MaxSamples, 700) << "a recording length of 0 is stored as the window width";
  EXPECT_EQ(TriggerChan, 1);
}

TEST_F(SetupFileTest, ReadingBackRestoresTheSetupWithTicksTurnedToSeconds) {
  SetTwoChannelSetup();
  const auto path = Write(HandEncoded());
  test::ProgramTest::TearDown();
  test::ProgramTest::SetUp();
  files_hooks::FileNotice = [this](const std::string& t, const std::string& m) { notices.push_back(t + m); };
  std::vector<std::string> layouts;
  files_hooks::SetChanParams = [&](int16_t old, int16_t rescale) {
    layouts.push_back(std::to_string(old) + "," + std::to_string(rescale));
    ChannelVariables[nChannels][ChanField::StripBottom] = PrefsArray[PrefsSlot::WindowHeight] - 10.0f;
  };
  CLICKEDSetupFileCFURL = path.string();
  ASSERT_TRUE(GETSETUP(1)) << (notices.empty() ? "" : notices.front());
  EXPECT_EQ(SetupFileName.str(), "test.MVsetup");
  EXPECT_EQ(nChannels, 2);
  EXPECT_EQ(ChartIntervalInSeconds, 0.1) << "6 ticks are a tenth of a second, as written";
  EXPECT_EQ(ScopeIntervalInSeconds, 0.001) << "0.06 ticks in single precision are the 1 ms preset";
  EXPECT_EQ(datalabel.str(), kLabels);
  EXPECT_EQ(ChannelVariables[2][12], 112.0f);
  EXPECT_EQ(ChannelVariables[2][13], 3.0f);
  EXPECT_EQ(ChannelVariables[0][2], 1.0f);
  EXPECT_EQ(alarmsArray[1][22], 4.0f);
  EXPECT_EQ(BreakpointArray[1][0], 1.25f);
  EXPECT_EQ(SpecialOpsArray[2][20], 7.0f);
  EXPECT_EQ(polyarray[0][6], 6.0f);
  EXPECT_EQ(DataTakerChannels[1][4], 4);
  EXPECT_EQ(SpikeFilterArray[1], 2.0f);
  EXPECT_EQ(ValueForZeroInGasExchange, 0.25f);
  EXPECT_EQ(nextAlert, 77);
  EXPECT_EQ(StopAlertSound, 3);
  EXPECT_EQ(mainsfrequency, 60);
  EXPECT_EQ(TInputMode[2], 2);
  EXPECT_EQ(ADsensorType[1], 5);
  EXPECT_EQ(External_AD, 0) << "the stored interface code is not applied";
  EXPECT_EQ(PrefsArray[PrefsSlot::AutomaticBackup], 1);
  EXPECT_EQ(TriggerGain, 10);  // 0.3: at least 0.05, 0.1 and 0.25
  EXPECT_EQ(OldChartSpeedBut, 6) << "the 1/10 second button";
  EXPECT_EQ(AltChartInt, 0);
  EXPECT_EQ(OldScopeSpeedBut, 13) << "1 ms is a button of the DataTaker scope column only";
  EXPECT_EQ(AltScopeInt, 1);
  EXPECT_EQ(layouts.front(), std::to_string(PrefsArray[PrefsSlot::WindowHeight]) + ",1");
}

TEST_F(SetupFileTest, AnOlderFileEndingAfterSlot39ZeroesTheLateAlarmFields) {
  SetTwoChannelSetup();
  const std::string full = HandEncoded(true), shortFile = HandEncoded(true, true);
  const SetupRecord base = CaptureSetup();
  const ParsedSetup whole = ParseSetup(full, base);
  ASSERT_TRUE(whole.record) << whole.reason;
  EXPECT_EQ(whole.version, kSetupVersionOlder);
  EXPECT_EQ(whole.record->dataTaker[1], (DataTakerChannelsRecord{1, 0, 2, 3, 4}));

  SetupRecord dirty = base;
  dirty.alarms[1][22] = 9;
  dirty.prefSlots[17] = 1;
  const ParsedSetup cut = ParseSetup(shortFile, dirty);
  ASSERT_TRUE(cut.record) << cut.reason;
  EXPECT_EQ(cut.record->alarms[1][22], 0.0f);
  EXPECT_EQ(cut.record->prefSlots[16], 0);
  EXPECT_EQ(cut.record->prefSlots[17], 0);
}

TEST_F(SetupFileTest, TheOldestVersionEndingEarlyTakesItsDigitalPortAndDefaults) {
  SetTwoChannelSetup();
  const std::string bytes = HandEncoded(false, false, true);
  SetupRecord base = CaptureSetup();
  base.digitalPort = 0;
  base.prefSlots[31] = 0;
  base.prefSlots[39] = 1;
  // What the oldest version never carries takes its defaults, not what was in force.
  base.alarms[3][6] = base.alarms[1][22] = 9;
  base.prefSlots[16] = base.prefSlots[17] = 1;
  const ParsedSetup p = ParseSetup(bytes, base);
  ASSERT_TRUE(p.record) << p.reason;
  EXPECT_EQ(p.version, kSetupVersionOldest);
  EXPECT_EQ(p.record->digitalPort, 2) << "only the oldest version applies the digital port";
  EXPECT_EQ(p.record->alarms[1][3], 5.0f);
  EXPECT_EQ(p.record->channelTable[0][2], 1.0f);
  EXPECT_FALSE(p.hasStoredWidth);
  EXPECT_EQ(p.record->prefSlots[31], 1);
  EXPECT_EQ(p.record->prefSlots[39], 0);
  EXPECT_EQ(p.record->alarms[3][6], 0.0f);
  EXPECT_EQ(p.record->alarms[1][22], 0.0f);
  EXPECT_EQ(p.record->prefSlots[16], 0);
  EXPECT_EQ(p.record->prefSlots[17], 0);
}

// The temperature inputs' read modes and the channels' value numbers are two tables:
// a set-up saved with T2 in ohms and channel 2 on the instrument's third value loads
// with both as they were saved.
TEST_F(SetupFileTest, T2InOhmsSurvivesASetupRoundTrip) {
  SetTwoChannelSetup();
  TInputMode = {0, 1, 2, 0, 1};
  ADsensorType[2] = 3;
  const auto path = configDir / "ohms.MVsetup";
  ASSERT_TRUE(WriteSetupFile(path.string())) << (notices.empty() ? "" : notices.front());
  TInputMode.fill(0);
  ADsensorType.fill(0);
  ASSERT_TRUE(LoadSetupFile(path.string())) << (notices.empty() ? "" : notices.front());
  EXPECT_EQ(TInputMode, (std::array<int16_t, 5>{0, 1, 2, 0, 1}));
  EXPECT_EQ(ADsensorType[1], 5);
  EXPECT_EQ(ADsensorType[2], 3) << "channel 2's value number is not T2's mode";
}

// Every channel's row and label comes back as it was saved, for one channel, a full
// first label block, the first channel of the second block, all sixteen, and the
// sequential-files switching pattern.
TEST_F(SetupFileTest, EveryChannelComesBackAsSavedWhateverTheCountAndPattern) {
  const struct {
    int16_t channels, pattern;
  } cases[] = {{1, 0}, {8, 0}, {9, 0}, {16, 0}, {16, SwitchingPatternCode::SequentialFiles}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.channels) + " channels, pattern " + std::to_string(c.pattern));
    SetTwoChannelSetup();
    nChannels = c.channels;
    SwitchingMode = c.pattern;
    std::string labels1, labels2;
    for (int ch = 1; ch <= 16; ++ch) {
      std::string label = "channel " + std::to_string(ch);
      label.resize(30, ' ');
      (ch <= 8 ? labels1 : labels2) += label;
      auto& row = ChannelVariables[ch];
      row.fill(0);
      if (ch > c.channels) continue;
      row[ChanField::Input] = static_cast<float>(ch);
      row[ChanField::A] = 0.5f * static_cast<float>(ch);
      row[ChanField::B] = 1.0f + static_cast<float>(ch);
      row[ChanField::C] = 0.25f * static_cast<float>(ch);
      row[ChanField::PlotMax] = 10.0f + static_cast<float>(ch);
      row[ChanField::PlotMin] = -static_cast<float>(ch);
      row[ChanField::Averaged] = static_cast<float>(ch);
      row[ChanField::Device] = static_cast<float>(ch % 8 + 1);
    }
    datalabel = Str255(labels1);
    datalabel2 = Str255(labels2);
    const auto saved = ChannelVariables;
    const auto path = configDir / "channels.MVsetup";
    ASSERT_TRUE(WriteSetupFile(path.string())) << (notices.empty() ? "" : notices.front());
    for (auto& row : ChannelVariables) row.fill(0);
    datalabel = datalabel2 = Str255();
    nChannels = 2;
    SwitchingMode = 0;
    ASSERT_TRUE(LoadSetupFile(path.string())) << (notices.empty() ? "" : notices.front());
    EXPECT_EQ(nChannels, c.channels);
    EXPECT_EQ(SwitchingMode, c.pattern);
    for (int ch = 1; ch <= c.channels; ++ch)
      for (int f : {ChanField::Input, ChanField::A, ChanField::B, ChanField::C, ChanField::PlotMax,
                    ChanField::PlotMin, ChanField::Averaged, ChanField::Device})
        EXPECT_EQ(ChannelVariables[ch][f], saved[ch][f]) << "channel " << ch << " field " << f;
    EXPECT_EQ(datalabel.str().substr(0, 240), labels1.substr(0, 240));
    if (c.channels > 8) {
      const std::size_t n = 30 * static_cast<std::size_t>(c.channels - 8);
      EXPECT_EQ(datalabel2.str().substr(0, n), labels2.substr(0, n));
    }
  }
}

// A trigger on the extra A/D input is still on the extra input after the set-up is saved
// and loaded again: not moved to channel 1.
TEST_F(SetupFileTest, ATriggerOnTheExtraInputSurvivesASetupFile) {
  SetTwoChannelSetup();
  TriggerON = 1;
  TriggerChan = 1;
  Drive({Until(kTriggerWindow), Click(kTriggerWindow, TriggerItem::ExtraInput),
         Type(kTriggerWindow, TriggerItem::InputField, "5"), Click(kTriggerWindow, TriggerItem::OK)});
  TRIGGER();
  ASSERT_TRUE(ScriptDone());
  const auto path = configDir / "trigger.MVsetup";
  ASSERT_TRUE(WriteSetupFile(path.string())) << (notices.empty() ? "" : notices.front());
  TriggerChan = 2;
  ChannelVariables[16].fill(0);  // as at a later start: the file alone holds the input
  ASSERT_TRUE(LoadSetupFile(path.string())) << (notices.empty() ? "" : notices.front());
  EXPECT_EQ(TriggerON, 1);
  EXPECT_GT(TriggerChan, nChannels) << "the trigger names no recorded channel";
  EXPECT_EQ(ChannelVariables[16][ChanField::Input], 5.0f) << "the extra input's number is kept";
  EXPECT_EQ(ChannelVariables[16][ChanField::A], 0.0f);
  EXPECT_EQ(ChannelVariables[16][ChanField::B], 1.0f) << "read as its volts";
  EXPECT_EQ(ChannelVariables[16][ChanField::C], 1.0f);
  EXPECT_EQ(TriggerInputRefusal(), std::nullopt);
  Drive({Until(kTriggerWindow), Do([] {
           EXPECT_EQ(rt::ControlState(TriggerItem::ExtraInput), 2) << "the extra input is marked";
           EXPECT_EQ(rt::ControlState(1), 1);
           EXPECT_EQ(rt::EditText(TriggerItem::InputField), " 5");
         }),
         Click(kTriggerWindow, TriggerItem::OK)});
  TRIGGER();
  EXPECT_TRUE(ScriptDone());
  EXPECT_EQ(TriggerChan, kExtraTriggerInput);
}

// The spike filter's on/off slot is in no file: the thresholds go out as the filter uses
// them, and a loaded set-up filters exactly when it filtered as it was saved.
TEST_F(SetupFileTest, ASetupSavedWithTheSpikeFilterOnLoadsWithItOn) {
  const struct {
    const char* what;
    int16_t on;
    float stored, kept;
  } rows[] = {
      {"filter on, threshold 5", 1, 5.0f, 5.0f},
      {"filter off, a new set-up's threshold 2 unused", 0, 2.0f, 0.0f},
  };
  for (const auto& row : rows) {
    SetTwoChannelSetup();
    SpikeFilterArray[1] = SpikeFilterArray[2] = row.stored;
    PrefsArray[PrefsSlot::SpikeFilterOn] = row.on;
    const auto path = configDir / "spikes.MVsetup";
    ASSERT_TRUE(WriteSetupFile(path.string())) << row.what;
    PrefsArray[PrefsSlot::SpikeFilterOn] = row.on ? 0 : 1;  // the next start's or another set-up's
    ASSERT_TRUE(LoadSetupFile(path.string())) << row.what;
    EXPECT_EQ(PrefsArray[PrefsSlot::SpikeFilterOn], row.on) << row.what;
    EXPECT_EQ(SpikeFilterArray[1], row.kept) << row.what;
    EXPECT_EQ(SpikeFilterArray[2], row.kept) << row.what;
  }
}

// "Use Automatic Backup" comes back from "Use Setup File" as it was when the set-up was
// saved, whatever the backup interval: unticked with an interval stays unticked.
TEST_F(SetupFileTest, UseAutomaticBackupComesBackAsSaved) {
  for (const int16_t saved : {0, 1}) {
    SetTwoChannelSetup();
    PrefsArray[PrefsSlot::AutomaticBackup] = saved;
    ASSERT_NE(TimedSaveINTERVAL, 0);
    const auto path = configDir / "backup.MVsetup";
    ASSERT_TRUE(WriteSetupFile(path.string())) << saved;
    PrefsArray[PrefsSlot::AutomaticBackup] = saved ? 0 : 1;
    ASSERT_TRUE(LoadSetupFile(path.string())) << saved;
    EXPECT_EQ(PrefsArray[PrefsSlot::AutomaticBackup], saved);
  }
}

// A set-up file sets the zero links the zero-link window shows, with their back-links,
// and no other: row 1's link to channel 2 comes back, row 2's link to itself does not,
// and channel 2's back-link names row 1 whatever the file held.
TEST_F(SetupFileTest, ASetupFileSetsOnlyTheZeroLinksTheWindowShows) {
  SetTwoChannelSetup();
  SwitchingMode = 5;
  zerolink[0] = 1;
  zerolink[3 * 1 + 1] = 2;
  zerolink[3 * 2 + 1] = 2;
  zerolink[3 * 2 + 2] = 2;
  const auto path = configDir / "links.MVsetup";
  ASSERT_TRUE(WriteSetupFile(path.string()));
  zerolink.fill(0);
  ASSERT_TRUE(LoadSetupFile(path.string()));
  EXPECT_EQ(zerolink[0], 1);
  EXPECT_EQ(zerolink[3 * 1 + 1], 2);
  EXPECT_EQ(zerolink[3 * 2 + 1], 0) << "a link to itself is never shown";
  EXPECT_EQ(zerolink[3 * 2 + 2], 1);
  EXPECT_EQ(zerolink[3 * 1 + 2], 0);
}

// Older files may hold a channel's value number or an ADAM range in the read-mode
// field; a code that is no read mode leaves the input reading degrees C.
TEST_F(SetupFileTest, ACodeThatIsNoReadModeReadsDegrees) {
  const struct {
    int16_t stored, mode;
  } cases[] = {{0, 0}, {1, 1}, {2, 2}, {3, 0}, {101, 0}, {-1, 0}, {32'767, 0}};
  for (const auto& c : cases) {
    SetTwoChannelSetup();
    SetupRecord r = CaptureSetup();
    r.tInputModes[3] = c.stored;
    const ParsedSetup p = ParseSetup(EncodeSetup(r), CaptureSetup());
    ASSERT_TRUE(p.record) << c.stored << ": " << p.reason;
    EXPECT_EQ(p.record->tInputModes[3], c.mode) << c.stored;
    EXPECT_EQ(p.record->tInputModes[2], 2) << c.stored;
  }
}

// A file cut anywhere inside its fixed part must be refused whole: nothing of it
// may reach the program's tables.
TEST_F(SetupFileTest, AShortFileNeverChangesTheSettings) {
  SetTwoChannelSetup();
  const std::string full = HandEncoded();
  const SetupRecord base = CaptureSetup();
  for (std::size_t n = 0; n + 4 < full.size(); n += 7)
    EXPECT_FALSE(ParseSetup(full.substr(0, n), base).record) << "cut at " << n;
  nChannels = 5;
  const auto path = Write(full.substr(0, full.size() / 2));
  CLICKEDSetupFileCFURL = path.string();
  EXPECT_FALSE(GETSETUP(1));
  EXPECT_EQ(nChannels, 5);
  EXPECT_EQ(notices.size(), 1u);
}

TEST_F(SetupFileTest, HostileCountsAndLengthsAreRefused) {
  SetTwoChannelSetup();
  const SetupRecord base = CaptureSetup();
  const std::string good = HandEncoded();
  const std::size_t fields = 6;  // after "-9997\r"
  const auto patched = [&](std::size_t at, const std::string& bytes) {
    std::string s = good;
    s.replace(at, bytes.size(), bytes);
    return s;
  };
  EXPECT_FALSE(ParseSetup(patched(fields + 2, std::string("\x00\xC8", 2)), base).record) << "200 channels";
  EXPECT_FALSE(ParseSetup(patched(fields, std::string("\x00\x07", 2)), base).record) << "mode 7";
  EXPECT_FALSE(
      ParseSetup(
          patched(fields + 2, std::string("\x00\x02", 2)).replace(fields, 2, std::string("\x00\x02", 2)),
          base)
          .record)
      << "two channels in oscilloscope mode";
  const std::size_t labelLength = fields + 2 + 2 + 4 + 4 + 2 + 4 + 4 + 2;
  EXPECT_FALSE(ParseSetup(patched(labelLength, "\x4E\x6E\x6B\x28"), base).record) << "a length of 1e9";
  EXPECT_FALSE(ParseSetup(patched(labelLength, std::string("\x7F\xC0\x00\x00", 4)), base).record)
      << "a length that is no number";
  EXPECT_FALSE(ParseSetup("hello\rworld", base).record);
  EXPECT_FALSE(ParseSetup(good + std::string(1, '\0'), base).record) << "a byte after the last field";
  EXPECT_EQ(SetupMarkerOf(" -99"), -99);
  EXPECT_EQ(SetupMarkerOf("-9997"), -9997);
  EXPECT_EQ(SetupMarkerOf("-99999999"), 0);
}

// A value the program cannot use is refused with the reason, and the load changes
// nothing: an interval of 3e38 ticks would hang the recording's wait for its first
// sample, one of 0 ticks is no interval, NaN spreads into every reading, and a
// reference device beyond the switch window's eight is no device.
TEST_F(SetupFileTest, ValuesTheProgramCannotUseAreRefusedWithNothingChanged) {
  const float nan = std::nanf("");
  const struct {
    const char* what;
    std::function<void(SetupRecord&)> spoil;
    const char* reason;
  } cases[] = {
      {"chart 3e38 ticks", [](SetupRecord& r) { r.chartTicks = 3e38f; }, "chart interval"},
      {"chart 0 ticks", [](SetupRecord& r) { r.chartTicks = 0; }, "chart interval"},
      {"scope 3e38 ticks", [](SetupRecord& r) { r.scopeTicks = 3e38f; }, "scope interval"},
      {"scope 0 ticks", [](SetupRecord& r) { r.scopeTicks = 0; }, "scope interval"},
      {"chart interval of two days", [](SetupRecord& r) { r.chartTicks = 2 * 86'400 * 60; },
       "chart interval"},
      {"NaN in a breakpoint row", [nan](SetupRecord& r) { r.breakpoints[3][4] = nan; }, "no number"},
      {"NaN in the channel table", [nan](SetupRecord& r) { r.channelTable[2][3] = nan; }, "no number"},
      {"NaN as the trigger level", [nan](SetupRecord& r) { r.triggerval = nan; }, "no number"},
      {"reference device 40", [](SetupRecord& r) { r.refChan = 40; }, "reference device"},
      {"second reference device 40", [](SetupRecord& r) { r.refChan2 = 40; }, "reference device"},
      {"channel 2 switches device 40", [](SetupRecord& r) { r.channelTable[2][13] = 40; }, "device"},
      {"chart compression 0", [](SetupRecord& r) { r.chartView = 0; }, "compression"},
      {"scope plot step 0", [](SetupRecord& r) { r.scopeViewStep = 0; }, "step"},
      {"channel 2 averages -3 readings", [](SetupRecord& r) { r.channelTable[2][7] = -3; },
       "channel 2 averages -3 readings"},
      {"channel 2 averages 2.5 readings", [](SetupRecord& r) { r.channelTable[2][7] = 2.5f; },
       "channel 2 averages 2.5 readings: a channel averages a whole number of readings"},
      {"channel 1 averages 3e9 readings", [](SetupRecord& r) { r.channelTable[1][7] = 3e9f; },
       "channel 1 averages"},
      {"channel 1 averages 40000 readings", [](SetupRecord& r) { r.channelTable[1][7] = 40000; },
       "channel 1 averages 40000 readings: a channel averages at most 32767 readings"},
      {"channel 2's b of 1e-45", [](SetupRecord& r) { r.channelTable[2][3] = 1e-45f; },
       "channel 2's coefficient b is 1e-45: it is too near 0 for a channel (at least 1.18e-38, or "
       "0)"},
      {"extra trigger input 40", [](SetupRecord& r) { r.extraTriggerInput = 40; }, "extra A-D input is 40"},
  };
  for (const auto& c : cases) {
    SetTwoChannelSetup();
    const std::string before = EncodeSetup(CaptureSetup());
    SetupRecord spoilt = CaptureSetup();
    c.spoil(spoilt);
    notices.clear();
    EXPECT_FALSE(LoadSetupFile(Write(EncodeSetup(spoilt)).string())) << c.what;
    EXPECT_EQ(EncodeSetup(CaptureSetup()), before) << c.what << ": nothing changed";
    ASSERT_EQ(notices.size(), 1u) << c.what;
    EXPECT_NE(notices[0].find(c.reason), std::string::npos) << c.what << ": " << notices[0];
  }
  // Beyond the chart a channel's count is the scope samples per chart sample, which no
  // sample taker averages: 60 s over 1 ms is a set-up like any other.
  SetTwoChannelSetup();
  RecordingMODE = RecordingModeCode::ScopeChart;
  ChannelVariables[2][7] = 60'000;
  EXPECT_EQ(SetupRecordProblem(CaptureSetup()), "");
  SetTwoChannelSetup();
  notices.clear();
  EXPECT_FALSE(LoadSetupFile(Write(HandEncoded() + "\x01").string()));
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_NE(notices[0].find("after its last field"), std::string::npos) << notices[0];
}

// The writer never makes a file its reader would refuse.
TEST_F(SetupFileTest, ASetupTheReaderWouldRefuseIsNotWritten) {
  SetTwoChannelSetup();
  ChartView = 0;
  const auto path = configDir / "zero view.MVsetup";
  EXPECT_FALSE(WriteSetupFile(path.string()));
  EXPECT_FALSE(std::filesystem::exists(path));
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_NE(notices[0].find("compression"), std::string::npos) << notices[0];
}

// Saved at a preset interval, a set-up loads with exactly that interval and the
// preset's button: the file records 0.1 s as 6 ticks, and 6 ticks are 0.1 s. Ticks
// are single precision, so 0.01 s is stored as 0.6000000238 ticks: it still loads as
// 0.01 s, a preset or a whole microsecond within a single's rounding being that value
// (else a scope-plus-chart run at 0.5 s and 0.01 s averages 49 scope readings per
// chart sample, not 50, and the report prints "0.0100000004sec").
TEST_F(SetupFileTest, ASetupSavedAtAPresetOrWholeMicrosecondIntervalLoadsWithExactlyIt) {
  const struct {
    double chart, scope;
    int16_t mode, iface, chartButton, scopeButton;
  } cases[] = {
      {0.1, 0.001, RecordingModeCode::Chart, ExternalADCode::DT500, 6, 13},
      {1.0 / 60, 0.004, RecordingModeCode::Scope, ExternalADCode::DT800, 2, 20},
      {0.01666667, 0.004, RecordingModeCode::Scope, ExternalADCode::SableUI2, 2, 67},
      {0.002, 0.0002, RecordingModeCode::Scope, ExternalADCode::DT80, 68, 24},
      {20, 30, RecordingModeCode::ScopeChart, ExternalADCode::DT500, 15, 31},
      {0.5, 0.01, RecordingModeCode::ScopeChart, ExternalADCode::DT500, 8, 13},
      {0.123457, 0.0005, RecordingModeCode::Scope, ExternalADCode::DT80, 13, 23},
      {0.3, 0.008, RecordingModeCode::Chart, ExternalADCode::DT500, 13, 1},
  };
  files_hooks::SetChanParams = [](int16_t, int16_t) {};
  for (const auto& c : cases) {
    SetTwoChannelSetup();
    RecordingMODE = c.mode;
    nChannels = c.mode == RecordingModeCode::Scope ? 1 : 2;
    ShowXYPlot = 1;  // strips laid out afresh without asking
    ChartIntervalInSeconds = c.chart;
    ScopeIntervalInSeconds = c.scope;
    const auto path = configDir / "preset.MVsetup";
    ASSERT_TRUE(WriteSetupFile(path.string()));
    ChartIntervalInSeconds = ScopeIntervalInSeconds = 1;
    External_AD = c.iface;
    DemonstrationMODE = 0;
    ASSERT_TRUE(LoadSetupFile(path.string())) << (notices.empty() ? "" : notices.back());
    EXPECT_EQ(ChartIntervalInSeconds, c.chart) << c.chart;
    EXPECT_EQ(ScopeIntervalInSeconds, c.scope) << c.scope;
    if (c.mode != RecordingModeCode::Chart) {
      const std::string report = SetupReportText({}, "12/07/26");
      EXPECT_NE(report.find("scope sample interval:" + PrintedNumber(c.scope).str() + "sec"),
                std::string::npos)
          << report;
    }
    EXPECT_EQ(OldChartSpeedBut, c.chartButton) << c.chart;
    EXPECT_EQ(OldScopeSpeedBut, c.scopeButton) << c.scope;
    EXPECT_EQ(AltChartInt, c.chartButton == 13 ? 1 : 0);
  }
  EXPECT_EQ(ChartIntervalInSeconds, 0.3) << "a typed interval comes back as typed";
}

// The set-up reader's fuzz target starts from these golden files (written anew with
// MV_WRITE_FUZZ_SEEDS=1 when the encoding here changes).
TEST_F(SetupFileTest, TheFuzzSeedsAreTheGoldenFiles) {
  SetTwoChannelSetup();
  const std::pair<const char*, std::string> seeds[] = {
      {"current.MVsetup", HandEncoded()},
      {"older.MVsetup", HandEncoded(true)},
      {"older-ends-after-slot-39.MVsetup", HandEncoded(true, true)},
      {"oldest.MVsetup", HandEncoded(false, false, true)}};
  const auto dir = test::SourcePath("tools/fuzz/corpus/setup");
  for (const auto& [name, bytes] : seeds) {
    if (std::getenv("MV_WRITE_FUZZ_SEEDS")) std::ofstream(dir / name, std::ios::binary) << bytes;
    EXPECT_EQ(ReadBytes(dir / name), bytes) << name;
    EXPECT_TRUE(ParseSetup(bytes, CaptureSetup()).record) << name;
  }
}

// A stored window width of 0 would make the time per pixel a division by zero.
TEST_F(SetupFileTest, AStoredWidthOfZeroKeepsTheWindowWidth) {
  SetTwoChannelSetup();
  std::string bytes = HandEncoded();
  // Slot 11 is followed by fields 60 to 76.
  const std::size_t tail = 22 * 22 * 4 + 2 + 16 * 20 * 4 + 2 + 16 * 10 * 4 + 2 + 16 * 17 * 4 + 6 + 8 + 2 +
                           17 * 7 * 4 + 2 * 4 + 2 + 4 + 16 * 2 + 2 + 2;
  const std::size_t widthAt = bytes.size() - tail - 2;
  ASSERT_EQ(bytes.substr(widthAt, 2), std::string("\x02\xBC", 2));  // 700
  bytes.replace(widthAt, 2, std::string("\x00\x00", 2));
  PrefsArray[PrefsSlot::WindowWidth] = 640;
  files_hooks::SetChanParams = [](int16_t, int16_t) {};
  ChannelVariables[2][ChanField::StripBottom] = 0;
  PrefsArray[PrefsSlot::WindowHeight] = 0;
  ASSERT_TRUE(LoadSetupFile(Write(bytes).string()));
  EXPECT_EQ(PrefsArray[PrefsSlot::WindowWidth], 640);
}

// The file was made on a wider display than this one: the window width stays, and
// taking the file's screen size then gives this display's width.
TEST_F(SetupFileTest, ScreenSizeMismatchTakesTheFilesHeightAndThisDisplaysWidth) {
  SetTwoChannelSetup();
  const auto path = Write(HandEncoded());  // made at width 700
  setenv("MV_DISPLAY_SIZE", "640x480", 1);
  PrefsArray[PrefsSlot::WindowWidth] = 600;
  PrefsArray[PrefsSlot::WindowHeight] = 460;
  Sound_Is_On = 1;
  files_hooks::SetChanParams = [](int16_t, int16_t) { ChannelVariables[2][ChanField::StripBottom] = 300; };
  Drive({Until(kScreenMismatchWindow), Shot(kScreenMismatchWindow, "w11-screen-size-mismatch.png"),
         Click(kScreenMismatchWindow, 2)});
  ASSERT_TRUE(LoadSetupFile(path.string()));
  EXPECT_TRUE(ScriptDone());
  EXPECT_FALSE(rt::WindowExists(kScreenMismatchWindow));
  EXPECT_EQ(PrefsArray[PrefsSlot::WindowHeight], 330);
  EXPECT_EQ(PrefsArray[PrefsSlot::WindowWidth], 640);
  EXPECT_EQ(CountPlayed("ahem.mp3"), 1);
  EXPECT_EQ(CountPlayed("setup.mp3"), 1);
}

TEST(SetupRules, GainsAndScales) {
  EXPECT_EQ(ScopeScaleForGain(20).countsPerVolt, 8192.0f);
  EXPECT_EQ(ScopeScaleForGain(3).fullScale, 5.0f);
}

}  // namespace
}  // namespace mv
