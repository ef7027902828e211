// Fixture of the Simple Math and expression evaluator window tests: the program's
// own resources, a sound sink that records what was asked for, and a small driver
// that acts on window 8 from the event pump, one step per pass, so the
// calculator's modal loop runs as it does for the user.
#pragma once
#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "common/test_support.h"
#include "runtime/events.h"
#include "runtime/qt_bridge.h"
#include "runtime/sound.h"
#include "runtime/windows.h"

namespace mv::test::math_calc {

class WindowTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    setenv("MV_RESOURCES_DIR", SourcePath("resources").c_str(), 1);
    rt::SetSoundSink([this](const std::string& path) { sounds.push_back(path); });
  }
  void TearDown() override {
    rt::SetPumpHook(nullptr);
    unsetenv("MV_RESOURCES_DIR");
    ProgramTest::TearDown();
  }

  int CountPlayed(const std::string& name) const {
    int n = 0;
    for (const auto& p : sounds) n += std::filesystem::path(p).filename().string() == name ? 1 : 0;
    return n;
  }

  using Step = std::function<bool()>;
  // Steps run from the event pump, one per pass once the previous step's events
  // are taken; a step returns false to be tried again on the next pass.
  void Drive(std::vector<Step> steps) {
    script.assign(steps.begin(), steps.end());
    passes = 0;
    rt::SetPumpHook([this] {
      if (script.empty() || rt::EventsPending()) return;
      if (++passes > 5000) {
        ADD_FAILURE() << "a window never reached the next step";
        script.clear();
        return;
      }
      if (script.front()()) script.pop_front();
    });
  }
  bool ScriptDone() const { return script.empty(); }

  static Step Until(int16_t window) {
    return [window] { return rt::WindowExists(window); };
  }
  static Step Click(int16_t window, int16_t control) {
    return [window, control] {
      auto* b = qobject_cast<QAbstractButton*>(rt::bridge::ControlWidget(window, control));
      EXPECT_NE(b, nullptr) << "no button " << control << " in window " << window;
      if (b) b->click();
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
      rt::BringWindowForward(window);
      QWidget* w = rt::bridge::EditFieldWidget(window, field);
      EXPECT_NE(w, nullptr);
      if (!w) return true;
      w->setFocus(Qt::OtherFocusReason);
      QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
      QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
      QApplication::sendEvent(w, &press);
      QApplication::sendEvent(w, &release);
      return true;
    };
  }
  // Types a text key by key into the field that has the focus.
  static Step Keys(int16_t window, int16_t field, std::string text) {
    return [window, field, text] {
      for (char c : text) {
        const char upper = c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
        Key(window, field, static_cast<Qt::Key>(upper), QString(QChar(c)))();
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

  std::vector<std::string> sounds;

 private:
  std::deque<Step> script;
  int passes = 0;
};

}  // namespace mv::test::math_calc
