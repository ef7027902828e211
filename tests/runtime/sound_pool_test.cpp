// Overlapping sound cues: the pool of voices behind PlaySoundFile, watched through
// voices whose sounds last a set time instead of going to an audio device.
#include <QAudioDevice>
#include <QMediaDevices>
#include <chrono>
#include <deque>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "common/test_support.h"
#include "runtime/sound.h"
#include "runtime/sound_voices.h"

namespace mv {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// What the fake voices did: every cue started, on which voice, and whether it was
// cut off before its end.
struct Stage {
  std::map<std::string, milliseconds> lengths;
  struct Cue {
    std::string file;
    int voice;
    Clock::time_point start;
    bool cut = false;
  };
  std::deque<Cue> cues;  // a voice keeps a pointer to its cue
  int voicesMade = 0;
  bool device = true;

  const Cue& CueOf(const std::string& file) const {
    for (const Cue& c : cues)
      if (c.file == file) return c;
    ADD_FAILURE() << file << " never started";
    return cues.front();
  }
};

class FakeVoice final : public rt::SoundVoice {
 public:
  FakeVoice(Stage& stage, int id) : stage_(stage), id_(id) {}
  void Start(const std::string& path) override {
    Stop();
    cue_ = &stage_.cues.emplace_back(Stage::Cue{test::SoundFileName(path), id_, Clock::now()});
  }
  void Stop() override {
    if (IsPlaying()) cue_->cut = true;
    cue_ = nullptr;
  }
  bool IsPlaying() const override {
    return cue_ && Clock::now() - cue_->start < stage_.lengths.at(cue_->file);
  }

 private:
  Stage& stage_;
  int id_;
  Stage::Cue* cue_ = nullptr;
};

std::string Sound(const std::string& file) {
  return test::SourcePath("resources/MVsounds/" + file).string();
}

void Pause(int ms) {
  std::this_thread::sleep_for(milliseconds(ms));
}

// How long WaitForSoundEnd(capMs) takes.
milliseconds Wait(int capMs) {
  const auto begin = Clock::now();
  rt::WaitForSoundEnd(capMs);
  return std::chrono::duration_cast<milliseconds>(Clock::now() - begin);
}

class SoundPoolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rt::SetSoundSink(nullptr);
    rt::SetSoundVoiceMaker({[this] { return stage_.device; },
                            [this] { return std::make_unique<FakeVoice>(stage_, ++stage_.voicesMade); }});
  }
  void TearDown() override {
    rt::StopSounds();
    rt::SetSoundVoiceMaker({});
  }
  Stage stage_;
};

TEST_F(SoundPoolTest, TwoCuesFiftyMillisecondsApartBothPlayToTheirEnd) {
  // The guard's scream, and its spoken warning close behind it; the scream ends last.
  stage_.lengths = {{"scream.mp3", milliseconds(400)}, {"skid.mp3", milliseconds(300)}};
  const auto begin = Clock::now();
  rt::PlaySoundFile(Sound("scream.mp3"));
  Pause(50);
  rt::PlaySoundFile(Sound("skid.mp3"));
  EXPECT_TRUE(rt::SoundIsPlaying());
  rt::WaitForSoundEnd(5000);
  EXPECT_FALSE(rt::SoundIsPlaying());
  EXPECT_GE(Clock::now() - begin, milliseconds(400)) << "the wait lasts while any cue plays";
  ASSERT_EQ(stage_.cues.size(), 2u);
  EXPECT_NE(stage_.CueOf("scream.mp3").voice, stage_.CueOf("skid.mp3").voice);
  EXPECT_FALSE(stage_.CueOf("scream.mp3").cut) << "the second cue must not stop the first";
  EXPECT_FALSE(stage_.CueOf("skid.mp3").cut);
}

TEST_F(SoundPoolTest, TheOldestCueIsCutOnlyWhenEveryVoiceIsBusy) {
  for (const char* c : {"scream.mp3", "rip.mp3", "skid.mp3", "cat.mp3", "AlarmBUZZ.mp3"})
    stage_.lengths[c] = milliseconds(2000);
  stage_.lengths["tick.mp3"] = milliseconds(20);
  for (const char* c : {"scream.mp3", "tick.mp3", "rip.mp3", "skid.mp3"}) rt::PlaySoundFile(Sound(c));
  Pause(80);  // the tick is over: its voice is free
  rt::PlaySoundFile(Sound("cat.mp3"));
  EXPECT_EQ(stage_.CueOf("cat.mp3").voice, stage_.CueOf("tick.mp3").voice);
  for (const Stage::Cue& c : stage_.cues) EXPECT_FALSE(c.cut) << c.file << ": a voice was free";

  rt::PlaySoundFile(Sound("AlarmBUZZ.mp3"));  // all four busy now
  EXPECT_EQ(stage_.voicesMade, rt::kSoundVoices);
  EXPECT_TRUE(stage_.CueOf("scream.mp3").cut) << "the cue that started first gives way";
  EXPECT_EQ(stage_.CueOf("AlarmBUZZ.mp3").voice, stage_.CueOf("scream.mp3").voice);
  for (const char* still : {"rip.mp3", "skid.mp3", "cat.mp3"}) EXPECT_FALSE(stage_.CueOf(still).cut) << still;
}

TEST_F(SoundPoolTest, WaitingForTheSoundEndIsBoundedByItsCap) {
  stage_.lengths = {{"Guitar.mp3", milliseconds(10000)}};
  rt::PlaySoundFile(Sound("Guitar.mp3"));
  const milliseconds waited = Wait(150);
  EXPECT_GE(waited, milliseconds(150));
  EXPECT_LT(waited, milliseconds(3000));
  EXPECT_TRUE(rt::SoundIsPlaying()) << "the cap ends the wait, not the sound";
  rt::StopSounds();
  EXPECT_FALSE(rt::SoundIsPlaying());
}

TEST_F(SoundPoolTest, NothingPlaysAndNothingWaitsWhenThereIsNothingToPlay) {
  struct Case {
    const char* what;
    bool device, sink;
    std::string file;
  };
  const Case cases[] = {{"no audio device", false, false, Sound("Guitar.mp3")},
                        {"a test's sound sink listens instead", true, true, Sound("Guitar.mp3")},
                        {"the file is missing", true, false, Sound("no such sound.mp3")}};
  stage_.lengths["Guitar.mp3"] = milliseconds(10000);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    stage_.device = c.device;
    std::vector<std::string> heard;
    if (c.sink) rt::SetSoundSink([&heard](const std::string& path) { heard.push_back(path); });
    rt::PlaySoundFile(c.file);
    EXPECT_TRUE(stage_.cues.empty());
    EXPECT_FALSE(rt::SoundIsPlaying());
    EXPECT_LT(Wait(10000), milliseconds(500));
    EXPECT_EQ(heard.size(), c.sink ? 1u : 0u);
    rt::SetSoundSink(nullptr);
  }
}

// The program's own voices on a machine without audio output (as CI runs).
TEST(SoundPoolDeviceTest, WithoutAnAudioDeviceTheRealPlayersNeitherPlayNorWait) {
  if (!QMediaDevices::audioOutputs().isEmpty()) GTEST_SKIP() << "this machine has an audio device";
  rt::SetSoundSink(nullptr);
  rt::SetSoundVoiceMaker({});
  for (const char* file : {"scream.mp3", "skid.mp3"}) rt::PlaySoundFile(Sound(file));
  EXPECT_FALSE(rt::SoundIsPlaying());
  EXPECT_LT(Wait(10000), milliseconds(500));
}

TEST_F(SoundPoolTest, StoppingOneCueLeavesTheOthersPlaying) {
  for (const char* c : {"Sample.mp3", "AlarmBUZZ.mp3", "rip.mp3"}) stage_.lengths[c] = milliseconds(2000);
  rt::PlaySoundFile(Sound("AlarmBUZZ.mp3"));
  const rt::SoundCue beep = rt::PlaySoundCue(Sound("Sample.mp3"));
  ASSERT_NE(beep, 0u);
  rt::StopSoundCue(beep);
  EXPECT_TRUE(stage_.CueOf("Sample.mp3").cut);
  EXPECT_FALSE(stage_.CueOf("AlarmBUZZ.mp3").cut);
  // The voice the beep had now plays another cue, which the old cue cannot stop.
  rt::PlaySoundFile(Sound("rip.mp3"));
  rt::StopSoundCue(beep);
  EXPECT_FALSE(stage_.CueOf("rip.mp3").cut);
  EXPECT_EQ(stage_.voicesMade, 2);
}

}  // namespace
}  // namespace mv
