// The preferences file: byte for byte against an encoder written here from the
// layout, round trips, refusals that change nothing, and the window-size clamps.
#include "files/prefs_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <bit>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <random>

#include "conversions/state.h"
#include "devices/state.h"
#include "files/state.h"
#include "files_test_support.h"
#include "kit/prefs_slots.h"
#include "kit/state.h"
#include "setup/state.h"
#include "shell/reset.h"

namespace mv {
namespace {

namespace fs = std::filesystem;
using test::FilesTest;

constexpr int kStoredSlots[] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14,
                                15, 16, 17, 18, 19, 20, 21, 30, 51, 52, 53, 57, 59, 60};

// ---- the values of one complete test file ---------------------------------------------------

struct Sample {
  std::array<RGBColor, 8> colors{{{1, 2, 3},
                                  {577, 43860, 60159},
                                  {0xFFFF, 0, 0x8000},
                                  {65535, 65535, 65535},
                                  {64512, 62333, 1327},
                                  {0x0102, 0x0304, 0x0506},
                                  {56680, 2242, 1698},
                                  {9, 8, 7}}};
  std::string titles = std::string("\xC6 %O2 title") + std::string(50, 'T');  // shorter than 225
  std::string threeWay = std::string(40, 'w');                                // longer than 30: cut
  std::string labels = "% oxygen  (Sable)";
  int32_t soundIsOn = 0;
  int32_t maxDisplaySpeed = 6667;
  int32_t digitalPort = 0;
  float sampRateError = 0.005f;
  int16_t interfaceCode = ExternalADCode::DT800;

  static float Custom(int row, int e) { return static_cast<float>(row * 10 + e) + 0.25f * (e % 3) - 7.0f; }
  static float Breakpoint(int row, int f) {
    return (f % 2 ? -1.0f : 1.0f) * (static_cast<float>(row) + f / 8.0f);
  }
  static int16_t SlotValue(int s) {
    switch (s) {
      case 1:
        return 1234;  // stored only: any value
      case 4:
        return -7;
      case 8:
        return 5;
      case 9:
        return 99;
      case 11:
        return 1024;
      case 12:
        return 768;
      case 13:
        return 6;
      case 19:
        return 100;
      case 20:
        return 31000;
      default:
        return static_cast<int16_t>(s % 2);  // the switches
    }
  }
};

void PutIntoProgram(const Sample& v) {
  ChartFrameColor = v.colors[0];
  ChartBackgroundColor = v.colors[1];
  ChartDataColor = v.colors[2];
  MarkerColor = v.colors[3];
  ScopeDataColor = v.colors[4];
  ScopeBackgroundColor = v.colors[5];
  FastScopeBackground = v.colors[6];
  ScopeFrameColor = v.colors[7];
  for (int row = 3; row <= 11; ++row)
    for (int e = 1; e <= 8; ++e) conversionsArray[9 * row + e] = Sample::Custom(row, e);
  buttonlbls = v.titles;
  but1lbls = v.threeWay;
  butcomments = v.labels;
  Sound_Is_On = v.soundIsOn;
  for (int s : kStoredSlots) PrefsArray[s] = Sample::SlotValue(s);
  Max_Display_Speed = v.maxDisplaySpeed;
  Digital_Port = v.digitalPort;
  SampRateError = v.sampRateError;
  for (int row = 17; row <= 22; ++row)
    for (int f = 0; f < kBreakpointFields; ++f) BreakpointArray[row][f] = Sample::Breakpoint(row, f);
  External_AD = v.interfaceCode;
}

// ---- an encoder of our own, straight from the layout's offsets --------------------------------

class Golden {
 public:
  Golden() : b_(1433, '\0') {}
  void be16(std::size_t at, int v) {
    b_[at] = static_cast<char>((v >> 8) & 0xFF);
    b_[at + 1] = static_cast<char>(v & 0xFF);
  }
  void be32(std::size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b_[at + i] = static_cast<char>((v >> (24 - 8 * i)) & 0xFF);
  }
  void f32(std::size_t at, float f) { be32(at, std::bit_cast<uint32_t>(f)); }
  void le16(std::size_t at, int v) {
    b_[at] = static_cast<char>(v & 0xFF);
    b_[at + 1] = static_cast<char>((v >> 8) & 0xFF);
  }
  void text(std::size_t at, const std::string& s, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i) b_[at + i] = i < s.size() ? s[i] : ' ';
  }
  const std::string& bytes() const { return b_; }

 private:
  std::string b_;
};

std::string GoldenFile(const Sample& v) {
  Golden g;
  for (int i = 0; i < 8; ++i) {
    g.le16(6 * i, v.colors[i].red);
    g.le16(6 * i + 2, v.colors[i].green);
    g.le16(6 * i + 4, v.colors[i].blue);
  }
  for (int row = 3; row <= 11; ++row)
    for (int e = 1; e <= 8; ++e) g.f32(48 + 4 * ((row - 3) * 8 + (e - 1)), Sample::Custom(row, e));
  g.text(336, v.titles, 225);
  g.text(561, v.threeWay, 30);
  g.text(591, v.labels, 240);
  g.be32(831, static_cast<uint32_t>(v.soundIsOn));
  for (int s = 1; s <= 4; ++s) g.be16(835 + 2 * (s - 1), Sample::SlotValue(s));
  g.be32(843, static_cast<uint32_t>(v.maxDisplaySpeed));
  for (int s = 5; s <= 12; ++s) g.be16(847 + 2 * (s - 5), Sample::SlotValue(s));
  g.be32(863, static_cast<uint32_t>(v.digitalPort));
  g.be16(867, Sample::SlotValue(13));
  g.f32(869, v.sampRateError);
  g.be16(873, Sample::SlotValue(30));
  g.be16(875, Sample::SlotValue(15));
  for (int row = 17; row <= 22; ++row)
    for (int f = 0; f < 22; ++f) g.f32(877 + 88 * (row - 17) + 4 * f, Sample::Breakpoint(row, f));
  g.be16(1405, Sample::SlotValue(14));
  g.be16(1407, Sample::SlotValue(16));
  for (int s = 17; s <= 21; ++s) g.be16(1409 + 2 * (s - 17), Sample::SlotValue(s));
  g.be16(1419, Sample::SlotValue(51));
  g.be16(1421, Sample::SlotValue(52));
  g.be16(1423, Sample::SlotValue(53));
  g.be16(1425, v.interfaceCode);
  g.be16(1427, Sample::SlotValue(57));
  g.be16(1429, Sample::SlotValue(59));
  g.be16(1431, Sample::SlotValue(60));
  return g.bytes();
}

// Everything the file or a refusal could touch, for "nothing changed" checks.
struct Snapshot {
  std::string stored;
  std::array<int16_t, kPrefsSlots> prefSlots;
  std::array<RGBColor, 6> light;
  std::array<ThreeWayPolyRecord, 17> poly;
  bool operator==(const Snapshot&) const = default;
};
Snapshot Take() {
  return {EncodePreferences(CapturePreferences()),
          PrefsArray,
          {lightBlue, zcyan, VeryLightGray, veryLightBlue, extremelyLightGray, manila},
          polyarray};
}

class PrefsFileTest : public FilesTest {
 protected:
  void SetUp() override {
    FilesTest::SetUp();
    setenv("MV_DISPLAY_SIZE", "1440x900", 1);
    path = configDir / kPreferencesFileName;
    // The slots as start-up leaves them on this display.
    PrefsArray = kPrefsInitialValues;
    PrefsArray[PrefsSlot::WindowWidth] = 1024;
    PrefsArray[PrefsSlot::WindowHeight] = 768;
  }
  fs::path path;
};

// ---- writing ------------------------------------------------------------------------------------

TEST_F(PrefsFileTest, SavedFileEqualsTheLayoutByteForByte) {
  const Sample v;
  PutIntoProgram(v);
  ASSERT_TRUE(SAVEsettings());
  const std::string written = ReadBytes(path);
  ASSERT_EQ(written.size(), 1433u);
  const std::string golden = GoldenFile(v);
  for (std::size_t i = 0; i < golden.size(); ++i)
    ASSERT_EQ(static_cast<unsigned char>(written[i]), static_cast<unsigned char>(golden[i]))
        << "offset " << i;
}

TEST_F(PrefsFileTest, ColourComponentsAreLittleEndianSoRed577IsBytes41Then02) {
  ASSERT_EQ(ChartBackgroundColor.red, 577);  // the start-up default
  ASSERT_TRUE(SavePreferencesFile());
  const std::string written = ReadBytes(path);
  EXPECT_EQ(static_cast<unsigned char>(written[6]), 0x41);
  EXPECT_EQ(static_cast<unsigned char>(written[7]), 0x02);
  EXPECT_EQ(static_cast<unsigned char>(written[831 + 3]), 1) << "Sound_Is_On, big-endian";
}

TEST_F(PrefsFileTest, SavingPlaysTheConfirmationOnlyOnSuccess) {
  Sound_Is_On = 1;
  PrefsArray[PrefsSlot::WeirdSounds] = 1;
  ASSERT_TRUE(SAVEsettings());
  EXPECT_EQ(CountPlayed("wsst.mp3"), 1);
  EXPECT_TRUE(notices.empty());
}

TEST_F(PrefsFileTest, AFailedSaveSaysSoKeepsTheOldFileAndPlaysNothing) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
  ASSERT_TRUE(SavePreferencesFile());
  const std::string before = ReadBytes(path);
  Sound_Is_On = 1;
  PrefsArray[PrefsSlot::WeirdSounds] = 1;
  ChartDataColor = {1, 1, 1};
  fs::permissions(configDir, fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_FALSE(SAVEsettings());
  fs::permissions(configDir, fs::perms::owner_all);
  EXPECT_EQ(ReadBytes(path), before);
  EXPECT_EQ(CountPlayed("wsst.mp3"), 0);
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_NE(notices[0].find("not saved"), std::string::npos) << notices[0];
}

TEST_F(PrefsFileTest, ASaveThatCannotBeWrittenWholeKeepsTheOldFile) {
  ASSERT_TRUE(SavePreferencesFile());
  const std::string before = ReadBytes(path);
  ChartDataColor = {1, 1, 1};
  bool saved = true;
  {
    test::FileSizeLimit limit(1000);
    saved = SAVEsettings();
  }
  EXPECT_FALSE(saved);
  EXPECT_EQ(ReadBytes(path), before);
  EXPECT_EQ(notices.size(), 1u);
}

// ---- reading ------------------------------------------------------------------------------------

TEST_F(PrefsFileTest, ARoundTripRestoresEveryStoredValue) {
  const Sample v;
  PutIntoProgram(v);
  ASSERT_TRUE(SavePreferencesFile());
  const StoredPreferences saved = CapturePreferences();

  ResetProgramState();
  ASSERT_EQ(GETSettings(), PrefsLoad::Loaded);
  EXPECT_EQ(PrefsArray[PrefsSlot::InterfaceCode], v.interfaceCode);
  EXPECT_EQ(External_AD, 0) << "the interface in use is not the remembered one";
  External_AD = v.interfaceCode;
  EXPECT_EQ(ChartFrameColor, v.colors[0]);
  EXPECT_EQ(FastScopeBackground, v.colors[6]);
  EXPECT_EQ(ScopeFrameColor, v.colors[7]);
  for (int row = 3; row <= 11; ++row)
    for (int e = 1; e <= 8; ++e) EXPECT_EQ(conversionsArray[9 * row + e], Sample::Custom(row, e));
  EXPECT_EQ(buttonlbls.str(), v.titles + std::string(225 - v.titles.size(), ' ')) << "the padding comes back";
  EXPECT_EQ(but1lbls.str(), std::string(30, 'w'));
  EXPECT_EQ(butcomments.str().size(), 240u);
  EXPECT_EQ(Sound_Is_On, 0);
  for (int s : kStoredSlots) EXPECT_EQ(PrefsArray[s], Sample::SlotValue(s)) << "slot " << s;
  EXPECT_EQ(Max_Display_Speed, 6667);
  EXPECT_EQ(Digital_Port, 0);
  EXPECT_EQ(SampRateError, 0.005f);
  for (int row = 17; row <= 22; ++row)
    for (int f = 0; f < kBreakpointFields; ++f)
      EXPECT_EQ(BreakpointArray[row][f], Sample::Breakpoint(row, f));
  EXPECT_EQ(EncodePreferences(CapturePreferences()), EncodePreferences(saved))
      << "the file reads back as it was written";
}

TEST_F(PrefsFileTest, TheInterfaceCodeReturnsInSlot54NotInExternalAD) {
  External_AD = ExternalADCode::ADAM;
  ASSERT_TRUE(SavePreferencesFile());
  External_AD = ExternalADCode::SableUI2;
  PrefsArray[PrefsSlot::InterfaceCode] = 0;
  ASSERT_EQ(GETSettings(), PrefsLoad::Loaded);
  EXPECT_EQ(PrefsArray[PrefsSlot::InterfaceCode], ExternalADCode::ADAM);
  EXPECT_EQ(External_AD, ExternalADCode::SableUI2);
}

TEST_F(PrefsFileTest, LoadingCopiesTheThreeWayButtonIntoPolyRow0) {
  conversionsArray[101] = 0.5f;
  ASSERT_TRUE(SavePreferencesFile());
  ResetProgramState();
  polyarray[0].fill(0);
  ASSERT_EQ(GETSettings(), PrefsLoad::Loaded);
  EXPECT_EQ(polyarray[0][1], 0.5f);
}

TEST_F(PrefsFileTest, AMissingFileGivesTheDefaultColoursAndChangesNothingElse) {
  ChartDataColor = {5, 5, 5};
  manila = {1, 2, 3};
  PrefsArray[PrefsSlot::LargeReadouts] = 1;
  Max_Display_Speed = 2000;
  EXPECT_EQ(GETSettings(), PrefsLoad::Missing);
  EXPECT_EQ(ChartDataColor, (RGBColor{0, 0, 0}));
  EXPECT_EQ(manila, (RGBColor{65535, 65399, 50461}));
  EXPECT_EQ(PrefsArray[PrefsSlot::LargeReadouts], 1);
  EXPECT_EQ(Max_Display_Speed, 2000);
  EXPECT_TRUE(notices.empty()) << "a first start says nothing";
}

TEST_F(PrefsFileTest, TruncatedOversizedAndRandomFilesAreRefusedWithNothingChanged) {
  ASSERT_TRUE(SavePreferencesFile());
  const std::string good = ReadBytes(path);
  PutIntoProgram(Sample{});
  const Snapshot before = Take();

  std::mt19937 rng(20240607);
  std::vector<std::string> bad = {good.substr(0, 1432), good + "x", good + std::string(5000, '\0'), "",
                                  good.substr(0, 831)};
  for (int k = 0; k < 20; ++k) {
    std::string random(1433, '\0');
    for (char& c : random) c = static_cast<char>(rng() & 0xFF);
    bad.push_back(random);
  }
  for (std::size_t i = 0; i < bad.size(); ++i) {
    WriteBytes(path, bad[i]);
    notices.clear();
    EXPECT_EQ(GETSettings(), PrefsLoad::Refused) << "file " << i;
    EXPECT_TRUE(Take() == before) << "file " << i << " changed something";
    EXPECT_EQ(notices.size(), 1u) << "the user is told once";
    EXPECT_EQ(ReadBytes(path), bad[i]) << "a refused file is left as it is";
  }
}

TEST_F(PrefsFileTest, ValuesTheProgramNeverWritesMakeTheFileCorrupt) {
  ASSERT_TRUE(SavePreferencesFile());
  const std::string good = ReadBytes(path);
  auto patched = [&](std::size_t at, std::initializer_list<int> bytes) {
    std::string b = good;
    for (int v : bytes) b[at++] = static_cast<char>(v);
    return b;
  };
  const std::pair<const char*, std::string> cases[] = {
      {"a switch slot of 7", patched(835 + 2, {0, 7})},         // slot 2
      {"a window-size choice of 9", patched(847 + 6, {0, 9})},  // slot 8
      {"a NaN in the custom table", patched(48, {0x7F, 0xC0, 0, 0})},
      {"an infinite breakpoint", patched(877, {0x7F, 0x80, 0, 0})},
      {"a control character in a title", patched(340, {0x0D})},
      {"a rate tolerance of -1", patched(869, {0xBF, 0x80, 0, 0})},
      {"a sound switch of 2", patched(831, {0, 0, 0, 2})},
      {"a digital port of 1", patched(863, {0, 0, 0, 1})},
      {"an interface code of 12", patched(1425, {0, 12})},
      {"a status limit of -2", patched(843, {0xFF, 0xFF, 0xFF, 0xFE})},
  };
  for (const auto& [what, bytes] : cases) {
    const ParsedPreferences parsed = DecodePreferences(bytes);
    EXPECT_FALSE(parsed.prefs.has_value()) << what;
    EXPECT_FALSE(parsed.reason.empty()) << what;
  }
  EXPECT_TRUE(DecodePreferences(good).prefs.has_value());
  EXPECT_TRUE(DecodePreferences(patched(843, {0, 0, 0x30, 0x39})).prefs.has_value())
      << "a status limit of 12345 is a user's own value";
}

TEST_F(PrefsFileTest, AStoredWindowLargerThanTheDisplayIsCutOnReadingButKeptInTheFile) {
  PrefsArray[PrefsSlot::WindowWidth] = 3000;
  PrefsArray[PrefsSlot::WindowHeight] = 2000;
  ASSERT_TRUE(SavePreferencesFile());
  const std::string file = ReadBytes(path);
  ASSERT_EQ(GETSettings(), PrefsLoad::Loaded);
  EXPECT_EQ(PrefsArray[PrefsSlot::WindowWidth], 1440 - 50);
  EXPECT_EQ(PrefsArray[PrefsSlot::WindowHeight], 900 - 80);
  EXPECT_EQ(ReadBytes(path), file);
}

TEST_F(PrefsFileTest, ATinyZeroOrNegativeStoredWindowIsRaisedToTheSmallestUsableSize) {
  // tfact and scopeXfactor divide by the width later: it must never be 0 or less.
  PrefsArray[PrefsSlot::WindowWidth] = 0;
  PrefsArray[PrefsSlot::WindowHeight] = -256;
  ASSERT_TRUE(SavePreferencesFile());
  ASSERT_EQ(GETSettings(), PrefsLoad::Loaded);
  EXPECT_EQ(PrefsArray[PrefsSlot::WindowWidth], 640);
  EXPECT_EQ(PrefsArray[PrefsSlot::WindowHeight], 480);
}

TEST_F(PrefsFileTest, DefaultColoursSetTheStoredAndLightPaletteColoursOnly) {
  ChartBackgroundColor = {};
  zcyan = {};
  LightGray = {1, 1, 1};
  DEFAULTCOLORS();
  EXPECT_EQ(ChartBackgroundColor, (RGBColor{577, 43860, 60159}));
  EXPECT_EQ(FastScopeBackground, (RGBColor{56680, 2242, 1698}));
  EXPECT_EQ(zcyan, (RGBColor{1577, 48860, 63159}));
  EXPECT_EQ(LightGray, (RGBColor{1, 1, 1})) << "the fixed palette belongs to SetInitialColorValues";
  SetInitialColorValues();
  EXPECT_EQ(LightGray, (RGBColor{58900, 58900, 58900}));
  EXPECT_EQ(RGBblue, (RGBColor{0, 0, 44098}));
}

// ---- the recording window at the next start ------------------------------------------------------

TEST(StartupWindowSize, AStoredChoiceTakesEffectWithinTheDisplay) {
  EXPECT_FALSE(StartupWindowSize(PrefsLoad::Missing, 2, 800, 600, 1440, 900));
  EXPECT_FALSE(StartupWindowSize(PrefsLoad::Loaded, 0, 800, 600, 1440, 900)) << "never chosen";
  EXPECT_EQ(StartupWindowSize(PrefsLoad::Loaded, 2, 0, 0, 1440, 900), (StoredWindowSize{800, 600}));
  EXPECT_EQ(StartupWindowSize(PrefsLoad::Loaded, 5, 900, 700, 1440, 900), (StoredWindowSize{900, 700}));
  EXPECT_EQ(StartupWindowSize(PrefsLoad::Loaded, 6, 0, 0, 1440, 900), (StoredWindowSize{1410, 853}));
  EXPECT_EQ(StartupWindowSize(PrefsLoad::Loaded, 4, 0, 0, 1000, 700), (StoredWindowSize{970, 653}))
      << "1024 x 768 on a smaller display";
}

// The preferences reader's fuzz target starts from the golden file (written anew with
// MV_WRITE_FUZZ_SEEDS=1 when the encoding here changes).
TEST_F(PrefsFileTest, TheFuzzSeedIsTheGoldenFile) {
  const std::string golden = GoldenFile(Sample{});
  const auto seed = test::SourcePath("tools/fuzz/corpus/prefs/golden.MVprefs");
  if (std::getenv("MV_WRITE_FUZZ_SEEDS")) {
    fs::create_directories(seed.parent_path());
    std::ofstream(seed, std::ios::binary) << golden;
  }
  EXPECT_EQ(ReadBytes(seed), golden);
  EXPECT_TRUE(DecodePreferences(golden).prefs) << DecodePreferences(golden).reason;
}

}  // namespace
}  // namespace mv
