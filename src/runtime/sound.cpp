// Sound playback through Qt Multimedia. Machines without an audio device (CI)
// play nothing, and "is a sound playing" is then always false.
#include <QAudioDevice>
#include <QAudioOutput>
#include <QCoreApplication>
#include <QFileInfo>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QUrl>

#include <chrono>
#include <thread>

#include "runtime/sound.h"

namespace mv::rt {
namespace {

std::function<void(const std::string&)> gSink;
QMediaPlayer* gPlayer = nullptr;
QAudioOutput* gOutput = nullptr;

bool HaveAudioDevice() { return !QMediaDevices::audioOutputs().isEmpty(); }

}  // namespace

void SetSoundSink(std::function<void(const std::string&)> sink) { gSink = std::move(sink); }
bool SoundSinkInstalled() { return static_cast<bool>(gSink); }

void PlaySoundFile(const std::string& path) {
  if (gSink) {
    gSink(path);
    return;
  }
  if (!QCoreApplication::instance() || !QFileInfo::exists(QString::fromStdString(path))) return;
  if (!HaveAudioDevice()) return;
  if (!gPlayer) {
    gPlayer = new QMediaPlayer;
    gOutput = new QAudioOutput;
    gPlayer->setAudioOutput(gOutput);
  }
  gPlayer->stop();
  gPlayer->setSource(QUrl::fromLocalFile(QString::fromStdString(path)));
  gPlayer->play();
}

bool SoundIsPlaying() {
  if (gSink || !gPlayer || !HaveAudioDevice()) return false;
  return gPlayer->playbackState() == QMediaPlayer::PlayingState && gPlayer->error() == QMediaPlayer::NoError;
}

void StopSounds() {
  if (gPlayer) gPlayer->stop();
}

void WaitForSoundEnd(int capMs) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(capMs);
  while (SoundIsPlaying() && std::chrono::steady_clock::now() < end) {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

}  // namespace mv::rt
