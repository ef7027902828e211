// The per-sample beep against the other sounds of a recording: a reader that ends
// the beep must leave the alarm buzz, the marker sound and the timer alerts playing.
// Real sample takes and readers on a scripted port, with voices that only note what
// they were asked to do.
#include <memory>
#include <string>
#include <vector>

#include "acq_fixture.h"
#include "acquisition/chart_sample.h"
#include "acquisition/install.h"
#include "devices/adc1_reader.h"
#include "devices/needs.h"
#include "devices/sable_reader.h"
#include "devices/scripted_port.h"
#include "kit/sounds.h"
#include "runtime/sound_voices.h"
#include "runtime/system.h"

namespace mv::test {
namespace {

// What the voices played, and which cues were cut before they ended by themselves.
struct Stage {
  struct Cue {
    std::string file;
    bool cut = false;
  };
  std::vector<std::unique_ptr<Cue>> cues;
  bool Cut(const std::string& file) const {
    for (const auto& c : cues)
      if (c->file == file) return c->cut;
    ADD_FAILURE() << file << " never played";
    return false;
  }
};

// A voice whose cue plays until it is stopped.
class StageVoice final : public rt::SoundVoice {
 public:
  explicit StageVoice(Stage& stage) : stage_(stage) {}
  void Start(const std::string& path) override {
    Stop();
    cue_ = stage_.cues.emplace_back(std::make_unique<Stage::Cue>(Stage::Cue{SoundFileName(path)})).get();
  }
  void Stop() override {
    if (cue_) cue_->cut = true;
    cue_ = nullptr;
  }
  bool IsPlaying() const override { return cue_ != nullptr; }

 private:
  Stage& stage_;
  Stage::Cue* cue_ = nullptr;
};

struct Case {
  const char* name;
  int16_t interface;
  std::vector<std::string> replies;  // one per byte the reader sends; empty: silence
};

class SampleBeepFixture : public AcqTest {
 protected:
  void SetUp() override {
    AcqTest::SetUp();
    rt::SetSoundSink(nullptr);
    rt::SetSoundVoiceMaker({[] { return true; }, [this] { return std::make_unique<StageVoice>(stage); }});
    InstallAcquisitionServices();
    services::ReadADC1 = ReadADC1;
    auto p = std::make_unique<ScriptedSerialPort>();
    port = p.get();
    InstallSerialPort(std::move(p));
    OpenAcquisitionWindow();
    SetChannels(1);
    DemonstrationMODE = 0;
    PrefsArray[PrefsSlot::BeepEverySample] = 1;
  }
  void TearDown() override {
    rt::StopSounds();
    rt::SetSoundVoiceMaker({});
    CloseSerialPort();
    AcqTest::TearDown();
  }
  Stage stage;
  ScriptedSerialPort* port = nullptr;
};

class SampleBeepTest : public SampleBeepFixture, public ::testing::WithParamInterface<Case> {};

TEST_P(SampleBeepTest, AReadingEndsTheSampleBeepAndNoOtherSound) {
  External_AD = GetParam().interface;
  for (const std::string& r : GetParam().replies) port->ReplyNext(r);
  // An alarm that went off in the sample before, still sounding.
  PlaySound("AlarmBUZZ.mp3", "MVsounds");
  GETDATA();
  EXPECT_TRUE(stage.Cut("Sample.mp3")) << "the reader ends the per-sample beep";
  EXPECT_FALSE(stage.Cut("AlarmBUZZ.mp3")) << "the buzz plays on across the reading";
  EXPECT_TRUE(rt::SoundIsPlaying());
}

using namespace std::string_literals;

INSTANTIATE_TEST_SUITE_P(
    Readers, SampleBeepTest,
    ::testing::Values(Case{"Adc1GoodReading", ExternalADCode::ADC1, {"\x00"s, "\x11"s, "\x80"s}},
                      Case{"Adc1Silence", ExternalADCode::ADC1, {}},
                      Case{"SableSilence", ExternalADCode::SableUI3, {}}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

// A beep that has already ended leaves its voice to the next cue: stopping the beep
// then must not cut whatever that voice plays now.
TEST_F(SampleBeepFixture, StoppingAnEndedBeepLeavesItsVoiceAlone) {
  PlaySampleBeepSound();
  ASSERT_EQ(stage.cues.size(), 1u);
  rt::StopSounds();                        // the beep is over
  PlaySound("AlarmBUZZ.mp3", "MVsounds");  // takes the idle voice
  StopSampleBeepSound();
  EXPECT_FALSE(stage.Cut("AlarmBUZZ.mp3"));
}

}  // namespace
}  // namespace mv::test
