// Drives the program's real modal windows from inside their own event loops: steps
// run from the event pump, one per pass once the previous step's events are taken;
// a step returns false to be tried again on the next pass (waiting for a window).
// A script that never gets through fails the test instead of hanging it.
#pragma once
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTabBar>
#include <QWidget>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "common/test_support.h"
#include "kit/format.h"
#include "runtime/events.h"
#include "runtime/qt_bridge.h"
#include "runtime/windows.h"

namespace mv::test {

class WindowSteps {
 public:
  using Step = std::function<bool()>;

  WindowSteps() = default;
  WindowSteps(const WindowSteps&) = delete;
  WindowSteps& operator=(const WindowSteps&) = delete;
  virtual ~WindowSteps() { rt::SetPumpHook(nullptr); }

  // Installs the steps; onStuck runs when they never get through (e.g. to close
  // the window under test so its loop ends).
  void Drive(std::vector<Step> steps, std::function<void()> onStuck = {}) {
    script_.assign(steps.begin(), steps.end());
    passes_ = 0;
    rt::SetPumpHook([this, onStuck] {
      if (script_.empty() || rt::EventsPending()) return;
      if (++passes_ > 5000) {
        ADD_FAILURE() << "a window never reached the next step";
        script_.clear();
        if (onStuck) onStuck();
        return;
      }
      if (script_.front()()) script_.pop_front();
    });
  }
  bool ScriptDone() const { return script_.empty(); }
  std::size_t StepsLeft() const { return script_.size(); }

  static Step Until(int16_t window) {
    return [window] { return rt::WindowExists(window); };
  }
  static Step Gone(int16_t window) {
    return [window] { return !rt::WindowExists(window); };
  }
  static Step Click(int16_t window, int16_t control) {
    return [window, control] {
      auto* b = qobject_cast<QAbstractButton*>(rt::bridge::ControlWidget(window, control));
      EXPECT_NE(b, nullptr) << "no button " << control << " in window " << window;
      if (b) b->click();
      return true;
    };
  }
  // Chooses item (1-based) of a popup or a tab bar.
  static Step Pick(int16_t window, int16_t control, int item) {
    return [window, control, item] {
      QWidget* w = rt::bridge::ControlWidget(window, control);
      if (auto* combo = qobject_cast<QComboBox*>(w)) {
        combo->setCurrentIndex(item - 1);
        emit combo->activated(item - 1);
      } else if (auto* tabs = qobject_cast<QTabBar*>(w)) {
        tabs->setCurrentIndex(item - 1);
        emit tabs->tabBarClicked(item - 1);
      } else {
        ADD_FAILURE() << "control " << control << " of window " << window << " is no popup";
      }
      return true;
    };
  }
  // Sets a field's text as a paste would (no keys reach the handler).
  static Step Type(int16_t window, int16_t field, std::string text) {
    return [window, field, text] {
      rt::SetOutputWindow(window);
      rt::SetEditText(field, text);
      return true;
    };
  }
  // Presses and releases a key in an edit field, as typed by the user.
  static Step Key(int16_t window, int16_t field, Qt::Key key, QString text) {
    return [window, field, key, text] {
      PressKey(window, field, key, text);
      return true;
    };
  }
  static Step Return(int16_t window, int16_t field) { return Key(window, field, Qt::Key_Return, "\r"); }
  // Types a text key by key into a field.
  static Step Keys(int16_t window, int16_t field, std::string text) {
    return [window, field, text] {
      for (char c : text) {
        const char upper = c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
        PressKey(window, field, static_cast<Qt::Key>(upper), QString(QChar(c)));
      }
      return true;
    };
  }
  // The window's close box.
  static Step CloseBox(int16_t window) {
    return [window] {
      QWidget* w = rt::bridge::WindowWidget(window);
      EXPECT_NE(w, nullptr);
      if (w) w->close();
      return true;
    };
  }
  // The user drags the window's edge to a new content size; the window system's
  // answer arrives at a later pump pass.
  static Step DragSize(int16_t window, int width, int height) {
    return [window, width, height] {
      rt::bridge::DragWindowSize(window, width, height);
      return true;
    };
  }
  // A click on the window's own surface (not on a control) at window position x, y.
  static Step ClickSurface(int16_t window, int x, int y) {
    return [window, x, y] {
      QWidget* w = rt::bridge::WindowWidget(window);
      EXPECT_NE(w, nullptr) << "no window " << window;
      if (!w) return true;
      const QPointF local(x, y), global = w->mapToGlobal(local);
      QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                        Qt::NoModifier);
      QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                          Qt::NoModifier);
      QApplication::sendEvent(w, &press);
      QApplication::sendEvent(w, &release);
      return true;
    };
  }
  static Step Shot(int16_t window, std::string name) {
    return [window, name] {
      EXPECT_TRUE(rt::SaveWindowImage(window, (TestOutputDir() / name).string()));
      return true;
    };
  }
  static Step Do(std::function<void()> f) {
    return [f] {
      f();
      return true;
    };
  }

  // A field's text and its number as the user reads them.
  static std::string TextOf(int16_t window, int16_t field) {
    rt::SetOutputWindow(window);
    return rt::EditText(field);
  }
  static double Shown(int16_t window, int16_t field) { return TextToNumber(TextOf(window, field)); }

 private:
  // As the user types: into the field of a window as it stands (keys typed into a
  // window behind the program's front window reach nobody).
  static void PressKey(int16_t window, int16_t field, Qt::Key key, const QString& text) {
    QWidget* w = rt::bridge::EditFieldWidget(window, field);
    EXPECT_NE(w, nullptr) << "no field " << field << " in window " << window;
    if (!w) return;
    w->setFocus(Qt::OtherFocusReason);
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &press);
    QApplication::sendEvent(w, &release);
  }

  std::deque<Step> script_;
  int passes_ = 0;
};

}  // namespace mv::test
