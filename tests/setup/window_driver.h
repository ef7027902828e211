// Drives a real modal window from inside its own event loop: each pass of the
// program's event pump runs the next step once the previous one has been taken up.
// A window that never ends (or a step that never succeeds) stops the test instead
// of hanging it.
#pragma once
#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "kit/protocol.h"
#include "runtime/events.h"
#include "runtime/qt_bridge.h"
#include "runtime/windows.h"

namespace mv::test {

struct DriverStuck {
  std::string what;
};

class WindowDriver {
 public:
  using Step = std::function<bool()>;  // true when done; false to try again next pass

  WindowDriver() {
    rt::SetPumpHook([this] { Tick(); });
  }
  ~WindowDriver() { rt::SetPumpHook(nullptr); }
  WindowDriver(const WindowDriver&) = delete;
  WindowDriver& operator=(const WindowDriver&) = delete;

  WindowDriver& Then(std::string what, Step step) {
    steps_.push_back({std::move(what), std::move(step)});
    return *this;
  }
  WindowDriver& WaitFor(int16_t window) {
    return Then("window " + std::to_string(window) + " open", [window] { return rt::WindowExists(window); });
  }
  WindowDriver& Click(int16_t window, int16_t control) {
    return Then("click " + std::to_string(control), [window, control] {
      auto* b = qobject_cast<QAbstractButton*>(rt::bridge::ControlWidget(window, control));
      if (!b) return false;
      b->click();
      return true;
    });
  }
  WindowDriver& Key(int16_t window, Qt::Key key, const char* text) {
    return Then("key", [window, key, text] {
      QWidget* w = rt::bridge::WindowWidget(window);
      if (!w) return false;
      QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString::fromLatin1(text));
      QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString::fromLatin1(text));
      QApplication::sendEvent(w, &press);
      QApplication::sendEvent(w, &release);
      return true;
    });
  }
  // A dialog event as the window system would report it (activation changes, the
  // close box).
  WindowDriver& Event(int16_t kind, int16_t item) {
    return Then("event", [kind, item] {
      doDIALOG(kind, item);
      return true;
    });
  }
  // Ends a window by the control that ends it, or by its close box (kCloseBox), for a
  // window whose own button may refuse to end it as it stands.
  static constexpr int16_t kCloseBox = 0;
  WindowDriver& End(int16_t window, int16_t control) {
    return control == kCloseBox ? Event(4, window) : Click(window, control);
  }
  WindowDriver& Shot(int16_t window, std::string path) {
    return Then("shot " + path, [window, path] { return rt::SaveWindowImage(window, path); });
  }
  WindowDriver& Check(std::function<void()> check) {
    return Then("check", [check] {
      check();
      return true;
    });
  }

  bool Finished() const { return next_ >= steps_.size(); }

 private:
  static constexpr int kSettlePasses = 3;
  static constexpr int kMaxPasses = 3000;

  void Tick() {
    if (++passes_ > kMaxPasses)
      throw DriverStuck{Finished() ? "the window did not end" : "stuck at: " + steps_[next_].first};
    if (Finished() || rt::EventsPending()) return;
    if (++settle_ < kSettlePasses) return;
    settle_ = 0;
    if (steps_[next_].second()) ++next_;
  }

  std::vector<std::pair<std::string, Step>> steps_;
  std::size_t next_ = 0;
  int passes_ = 0;
  int settle_ = 0;
};

}  // namespace mv::test
