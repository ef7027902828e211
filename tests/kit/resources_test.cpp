// Sounds and their cue rules, the resource files the program names, the file
// helpers and the open-document handler.
#include "kit/resources.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "kit/kit_test_support.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/system.h"

namespace mv {
namespace {

using SoundsTest = test::KitTest;
using ResourcesTest = test::KitTest;

TEST_F(SoundsTest, CuesFollowTheSoundAndWeirdSoundSwitches) {
  const std::vector<std::string> plain = {"MVsounds/bup.mp3", "MVsounds/bzot.mp3", "MVsounds/upvip.mp3",
                                          "MVsounds/downvip.mp3"};
  std::vector<std::string> weird = {"MVsounds/rip.mp3", "MVsounds/wsst.mp3", "MVsounds/wssst!.mp3"};
  weird.insert(weird.end(), plain.begin(), plain.end());
  for (auto [soundsOn, weirdOn] : {std::pair{0, 0}, {0, 1}, {1, 0}, {1, 1}}) {
    sounds.clear();
    Sound_Is_On = soundsOn;
    PrefsArray[PrefsSlot::WeirdSounds] = static_cast<int16_t>(weirdOn);
    for (auto cue : {ripSound, wsst, wssst, bup, zap, upVipSOUND, downVipSOUND}) cue();
    EXPECT_EQ(Played(), !soundsOn ? std::vector<std::string>{}
                        : weirdOn ? weird
                                  : plain)
        << soundsOn << weirdOn;
  }
}

TEST_F(SoundsTest, TickIsSilentAtExactlyTheLimitInterval) {
  Sound_Is_On = 1;
  TickSound(0.235);
  TickSound(0.1);
  EXPECT_TRUE(sounds.empty());
  TickSound(0.236);
  TickSound(10);
  EXPECT_EQ(Played(), (std::vector<std::string>{"MVsounds/tick.mp3", "MVsounds/tick.mp3"}));
  sounds.clear();
  Sound_Is_On = 0;
  TickSound(10);
  EXPECT_TRUE(sounds.empty());
}

TEST_F(SoundsTest, PlaySoundAndScreamIgnoreTheSwitchAndMissingFilesAreSkippedSilently) {
  Sound_Is_On = 0;
  PlaySound("ahem.mp3", "MVtimerSounds");
  PlaySound("no such sound.mp3", "MVsounds");
  PlaySound("bup.mp3", "NoSuchFolder");
  PlaySound("", "MVsounds");
  PlayNamedSound("buzz3");
  scream();
  EXPECT_EQ(Played(), (std::vector<std::string>{"MVtimerSounds/ahem.mp3", "MVsounds/buzz3.mp3",
                                                "ZQsounds/scream.mp3"}));
}

TEST_F(ResourcesTest, PicturesLoadAndDrawScaledIntoTheirRectangle) {
  EXPECT_EQ(CreateCGImageFromBundleResource("MVimages", "missing.gif"), nullptr);
  rt::ImageHandle stop = CreateCGImageFromBundleResource("MVimages", "stopIcon.gif");
  ASSERT_NE(stop, nullptr);
  EXPECT_EQ(rt::ImageWidth(stop), 32);
  WhiteWindow(3, 200, 100);
  DrawThisImage(nullptr, 0, 0, 100, 100);  // a picture that did not load draws nothing
  DrawThisImage(stop, 100, 0, 196, 96);    // three times its size
  EXPECT_EQ(rt::CanvasPixel(50, 50), kWhite);
  EXPECT_GT(rt::CanvasPixel(148, 20).red, 40000) << "the sign fills the rectangle";
}

TEST(FinderInfo, FirstLineNumbersAreParsedSafely) {
  EXPECT_EQ(FirstLineNumber("-99\rrest"), -99);
  EXPECT_EQ(FirstLineNumber("  -9998\r\n"), -9998);
  EXPECT_EQ(FirstLineNumber("+12 apples"), 12);
  EXPECT_EQ(FirstLineNumber(""), 0);
  EXPECT_EQ(FirstLineNumber("abc"), 0);
  EXPECT_EQ(FirstLineNumber("\r-99"), 0) << "the number must be on the first line";
  EXPECT_EQ(FirstLineNumber("99999999999"), 0) << "a number that does not fit 16 bits";
  EXPECT_EQ(FirstLineNumber(std::string(150, ' ') + "-99"), 0) << "only the first 144 bytes are read";
  EXPECT_TRUE(IsSetupFileMarker(-99));
  EXPECT_FALSE(IsSetupFileMarker(-9996));
}

class FinderInfoTest : public test::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    dir = test::MakeTempDir("finder");
  }
  void TearDown() override {
    std::filesystem::remove_all(dir);
    ProgramTest::TearDown();
  }
  std::string Write(const std::string& name, const std::string& bytes) {
    auto p = dir / name;
    std::ofstream(p, std::ios::binary) << bytes;
    return p.string();
  }
  std::filesystem::path dir;
};

// A set-up marker on the first line, with any line end, or the set-up extension
// (the old text form has no marker) makes a set-up file; the last document decides. A long chart file starts
// with the same marker as the oldest set-up version, so no data file counts.
TEST_F(FinderInfoTest, TheLastDocumentDecidesWhetherASetupFileWasOpened) {
  const std::string setup = Write("a.MVsetup", "-99\r"), text = Write("b.txt", "hello\r");
  std::vector<std::pair<std::vector<std::string>, int16_t>> cases = {
      {{setup, text}, 0},
      {{text, setup}, 1},
      {{Write("other.txt", "-9996\r")}, 0},
      {{Write("old text form.MVsetup", "1\r2\r6\r")}, 1},
      {{Write("OLD.MVSETUP", "1,2,6\r")}, 1},
      {{(dir / "missing").string()}, 0},
      {{Write("huge", "-99" + std::string(1 << 20, '7'))}, 0},
      {{Write("binary", std::string("\x00\x01-99", 5))}, 0}};
  for (const char* bytes : {"-99\r1\r", "-99\n1\n", "-99\r\n1\r\n", "-9999\r", "-9998", "-9997\n"})
    cases.push_back({{Write("setup " + std::to_string(cases.size()) + ".MVsetup", bytes)}, 1});
  for (const char* name : {"run.kstr", "sweep 1.kssc", "run.KSSable", "RUN.KSTR"})
    cases.push_back({{Write(name, "-9999\r" + std::string(4000, '\x7f'))}, 0});
  for (const auto& [documents, clicked] : cases) {
    MyFinderInfo(documents);
    EXPECT_EQ(FileIconWasClicked, clicked) << documents.back();
    EXPECT_EQ(CLICKEDSetupFileCFURL, documents.back());
  }
  EXPECT_FALSE(HasDataFileExtension("/data.kstr/setup"));
}

}  // namespace
}  // namespace mv
