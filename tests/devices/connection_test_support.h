// Shared pieces of the connection tests: a line that logs every opening, write and
// closing (over a scripted port or a real pseudo-terminal), and an answer to a modal
// window given from the event pump.
#pragma once
#include <QAbstractButton>
#include <QComboBox>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/test_support.h"
#include "devices/acquisition_stand_ins.h"
#include "devices/connection_road.h"
#include "devices/scripted_port.h"
#include "devices/serial_port.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "runtime/qt_bridge.h"
#include "runtime/sound.h"
#include "runtime/windows.h"

namespace mv::test {

// Passes every call to the port underneath and writes a transcript: "[open RATE]" for
// each opening (written by the opener), the bytes written, "[close]" for each closing.
class LoggingPort : public SerialPort {
 public:
  LoggingPort(std::shared_ptr<SerialPort> inner, std::string* log, bool closeInner)
      : inner_(std::move(inner)), log_(log), closeInner_(closeInner) {}
  bool IsOpen() const override { return open_ && inner_->IsOpen(); }
  void Close() override {
    if (!open_) return;
    open_ = false;
    *log_ += "[close]";
    if (closeInner_) inner_->Close();
  }
  int BytesWaiting() override { return open_ ? inner_->BytesWaiting() : 0; }
  std::string ReadBytes(int n) override { return open_ ? inner_->ReadBytes(n) : std::string(); }
  bool Write(std::string_view bytes) override {
    if (!open_) return false;
    *log_ += bytes;
    return inner_->Write(bytes);
  }
  void Pause(int maxMs) override { inner_->Pause(maxMs); }

 private:
  std::shared_ptr<SerialPort> inner_;
  std::string* log_;
  bool closeInner_;
  bool open_ = true;
};

inline std::string OpenMark(int32_t baud) {
  return "[open " + std::to_string(baud) + "]";
}

// One scripted instrument behind every opening of the port; the port list has one port.
inline void UseScriptedLine(const std::shared_ptr<ScriptedSerialPort>& scripted, std::string* log) {
  SetPortLister([] { return std::vector<std::string>{"/dev/ttyUSB0"}; });
  SetLineOpener([scripted, log](const std::string&, int32_t baud) {
    *log += OpenMark(baud);
    InstallSerialPort(std::make_unique<LoggingPort>(scripted, log, false));
    return SerialOpenResult{true, {}};
  });
}

// The real termios port on the path it is given, logged.
inline void UseLoggedPosixLine(std::string* log) {
  SetLineOpener([log](const std::string& path, int32_t baud) {
    auto port = std::make_shared<PosixSerialPort>();
    SerialOpenResult r = port->Open(path, baud);
    if (r.ok) {
      *log += OpenMark(baud);
      InstallSerialPort(std::make_unique<LoggingPort>(port, log, true));
    }
    return r;
  });
}

// Clicks a button of a modal window once it has been open for a few pump passes, and
// notes the tick count at which the window first showed.
class WindowAnswer {
 public:
  WindowAnswer(int16_t window, int16_t button) : window_(window), button_(button) {
    rt::SetPumpHook([this] { Look(); });
  }
  ~WindowAnswer() { rt::SetPumpHook(nullptr); }
  bool Clicked() const { return clicked_; }
  bool Seen() const { return seen_; }
  uint32_t SeenAtTick() const { return seenAt_; }

 private:
  void Look() {
    if (clicked_ || !rt::WindowExists(window_)) return;
    if (!seen_) {
      seen_ = true;
      seenAt_ = rt::TickCount();
    }
    if (++passes_ < 4) return;
    auto* b = qobject_cast<QAbstractButton*>(rt::bridge::ControlWidget(window_, button_));
    if (!b) return;
    clicked_ = true;
    b->click();
  }

  int16_t window_, button_;
  int passes_ = 0;
  bool seen_ = false, clicked_ = false;
  uint32_t seenAt_ = 0;
};

// A user working through the program's windows, one step at a time, from the event pump:
// each step waits until its window has been open for a few passes and no event is pending,
// then acts. A step that never comes throws from the pump, so a test cannot hang in a
// modal loop.
class UserSteps {
 public:
  UserSteps() = default;
  ~UserSteps() { rt::SetPumpHook(nullptr); }
  UserSteps& Click(int16_t w, int16_t control) {
    return Add(w, "click " + std::to_string(control), [w, control] {
      auto* b = qobject_cast<QAbstractButton*>(rt::bridge::ControlWidget(w, control));
      if (!b) throw std::runtime_error("no button " + std::to_string(control));
      if (!b->isEnabled()) throw std::runtime_error("button " + std::to_string(control) + " is dimmed");
      b->click();
    });
  }
  UserSteps& Pick(int16_t w, int16_t control, int item) {
    return Add(w, "pick " + std::to_string(item), [w, control, item] {
      auto* c = qobject_cast<QComboBox*>(rt::bridge::ControlWidget(w, control));
      if (!c || item < 1 || item > c->count()) throw std::runtime_error("no popup item");
      c->setCurrentIndex(item - 1);
      emit c->activated(item - 1);
    });
  }
  UserSteps& CloseBox(int16_t w) {
    return Add(w, "close box", [w] { rt::bridge::WindowWidget(w)->close(); });
  }
  UserSteps& Shot(int16_t w, const std::string& file) {
    return Add(w, "shot " + file, [w, file] {
      if (!rt::SaveWindowImage(w, (TestOutputDir() / file).string()))
        throw std::runtime_error("could not save " + file);
    });
  }
  UserSteps& Check(int16_t w, std::function<void()> check) { return Add(w, "check", std::move(check)); }
  void Start() {
    rt::SetPumpHook([this] { Look(); });
  }
  bool Done() const { return next_ == steps_.size(); }

 private:
  struct Step {
    int16_t window;
    std::string what;
    std::function<void()> act;
  };
  static constexpr int kSettlePasses = 4;
  static constexpr int kMostPasses = 200000;

  UserSteps& Add(int16_t w, std::string what, std::function<void()> act) {
    steps_.push_back({w, std::move(what), std::move(act)});
    return *this;
  }
  void Look() {
    if (Done()) return;
    const Step& step = steps_[next_];
    if (++waited_ > kMostPasses)
      throw std::runtime_error("gave up waiting for window " + std::to_string(step.window) + " to " +
                               step.what);
    open_ = rt::WindowExists(step.window) ? open_ + 1 : 0;
    if (open_ <= kSettlePasses || rt::EventsPending()) return;
    ++next_;
    waited_ = 0;
    open_ = 0;
    step.act();
  }

  std::vector<Step> steps_;
  size_t next_ = 0;
  int waited_ = 0, open_ = 0;
};

// Resets the connection's seams after each test.
class ConnectionTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    rt::SetSoundSink([this](const std::string& path) { sounds.push_back(test::SoundFileName(path)); });
    acquisition.Install();
  }
  void TearDown() override {
    rt::SetPumpHook(nullptr);
    SetPortLister(nullptr);
    SetLineOpener(nullptr);
    CloseSerialPort();
    ProgramTest::TearDown();
  }
  std::vector<std::string> sounds;
  AcquisitionStandIns acquisition;
};

}  // namespace mv::test
