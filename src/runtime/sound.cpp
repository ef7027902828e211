// Sound playback through Qt Multimedia, on a small pool of players so that cues
// which follow each other closely overlap instead of cutting each other off.
// Machines without an audio device (CI) play nothing, and "is a sound playing" is
// then always false.
#include "runtime/sound.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QCoreApplication>
#include <QFileInfo>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QUrl>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

#include "runtime/sound_voices.h"

namespace mv::rt {
namespace {

// A player with its own output. The output is declared first so that it outlives
// the player that points at it.
class QtVoice final : public SoundVoice {
 public:
  QtVoice() { player_.setAudioOutput(&output_); }
  void Start(const std::string& path) override {
    player_.stop();
    player_.setSource(QUrl::fromLocalFile(QString::fromStdString(path)));
    player_.play();
  }
  void Stop() override { player_.stop(); }
  // A player with no device to play on reports "playing" for ever with an error set.
  bool IsPlaying() const override {
    return player_.playbackState() == QMediaPlayer::PlayingState && player_.error() == QMediaPlayer::NoError;
  }

 private:
  QAudioOutput output_;
  QMediaPlayer player_;
};

SoundVoiceMaker QtVoices() {
  return {[] { return QCoreApplication::instance() && !QMediaDevices::audioOutputs().isEmpty(); },
          [] { return std::unique_ptr<SoundVoice>(std::make_unique<QtVoice>()); }};
}

struct PooledVoice {
  std::unique_ptr<SoundVoice> voice;
  std::uint64_t startedAs = 0;  // the order of the cue it last started
};

struct Pool {
  SoundVoiceMaker maker = QtVoices();
  std::vector<PooledVoice> voices;
  std::uint64_t starts = 0;
};

// Never destroyed: its Qt players must not outlive the application object at exit.
Pool& ThePool() {
  static Pool* pool = new Pool;
  return *pool;
}

std::function<void(const std::string&)> gSink;

bool OutputAvailable() {
  return ThePool().maker.outputAvailable();
}

// An idle voice if there is one, a new one while the pool is not full, else the
// voice whose cue started first.
PooledVoice* VoiceForNextCue() {
  Pool& pool = ThePool();
  for (PooledVoice& v : pool.voices)
    if (!v.voice->IsPlaying()) return &v;
  if (pool.voices.size() < static_cast<std::size_t>(kSoundVoices)) {
    if (auto voice = pool.maker.make()) {
      pool.voices.push_back({std::move(voice), 0});
      return &pool.voices.back();
    }
  }
  if (pool.voices.empty()) return nullptr;
  return &*std::min_element(
      pool.voices.begin(), pool.voices.end(),
      [](const PooledVoice& a, const PooledVoice& b) { return a.startedAs < b.startedAs; });
}

}  // namespace

void SetSoundVoiceMaker(SoundVoiceMaker maker) {
  StopSounds();
  Pool& pool = ThePool();
  pool.voices.clear();
  pool.maker = maker.outputAvailable && maker.make ? std::move(maker) : QtVoices();
}

void SetSoundSink(std::function<void(const std::string&)> sink) {
  gSink = std::move(sink);
}
bool SoundSinkInstalled() {
  return static_cast<bool>(gSink);
}

void PlaySoundFile(const std::string& path) {
  PlaySoundCue(path);
}

SoundCue PlaySoundCue(const std::string& path) {
  if (gSink) {
    gSink(path);
    return 0;
  }
  if (!QFileInfo::exists(QString::fromStdString(path)) || !OutputAvailable()) return 0;
  PooledVoice* v = VoiceForNextCue();
  if (!v) return 0;
  v->startedAs = ++ThePool().starts;
  v->voice->Start(path);
  return v->startedAs;
}

void StopSoundCue(SoundCue cue) {
  if (cue == 0) return;
  // The voice may have gone on to a later cue since: that one is not this cue's to stop.
  for (PooledVoice& v : ThePool().voices)
    if (v.startedAs == cue) v.voice->Stop();
}

bool SoundIsPlaying() {
  if (gSink || !OutputAvailable()) return false;
  const auto& voices = ThePool().voices;
  return std::any_of(voices.begin(), voices.end(), [](const PooledVoice& v) { return v.voice->IsPlaying(); });
}

void StopSounds() {
  for (PooledVoice& v : ThePool().voices) v.voice->Stop();
}

void WaitForSoundEnd(int capMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(capMs);
  while (SoundIsPlaying() && std::chrono::steady_clock::now() < end) {
    if (QCoreApplication::instance()) QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

}  // namespace mv::rt
