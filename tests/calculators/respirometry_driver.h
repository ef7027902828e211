// Fixture of the respirometry calculator window tests: a driver that acts on the
// windows from the event pump, one step per pass, so a calculator's modal loop runs
// as it does for the user; and a sound sink that records what was asked for.
#pragma once
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QWidget>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "common/test_support.h"
#include "runtime/events.h"
#include "runtime/qt_bridge.h"
#include "runtime/sound.h"
#include "runtime/windows.h"
#include "shell/kit/format.h"

namespace mv::test {

class CalculatorWindowTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    rt::SetSoundSink([this](const std::string& path) { sounds.push_back(path); });
  }
  void TearDown() override {
    rt::SetPumpHook(nullptr);
    ProgramTest::TearDown();
  }

  using Step = std::function<bool()>;
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
  static Step Pick(int16_t window, int16_t control, int item) {
    return [window, control, item] {
      auto* combo = qobject_cast<QComboBox*>(rt::bridge::ControlWidget(window, control));
      EXPECT_NE(combo, nullptr) << "control " << control << " of window " << window << " is no popup";
      if (combo) {
        combo->setCurrentIndex(item - 1);
        emit combo->activated(item - 1);
      }
      return true;
    };
  }
  static Step Type(int16_t window, int16_t field, std::string text) {
    return [window, field, text] {
      rt::SetOutputWindow(window);
      rt::SetEditText(field, text);
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
  // A field's number as the user reads it.
  static double Shown(int16_t window, int16_t field) {
    rt::SetOutputWindow(window);
    return TextToNumber(rt::EditText(field));
  }
  static std::string TextOf(int16_t window, int16_t field) {
    rt::SetOutputWindow(window);
    return rt::EditText(field);
  }

  std::vector<std::string> sounds;

 private:
  std::deque<Step> script;
  int passes = 0;
};

}  // namespace mv::test
