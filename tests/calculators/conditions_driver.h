// Fixture of the experiment-condition calculator tests (altitude, STP flow, oxygen,
// Q10, washout): a driver that acts on window 8 from the event pump, one step per
// pass, so a calculator's modal loop runs as it does for the user, and a sound sink
// that records the sounds asked for.
#pragma once
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QWidget>
#include <algorithm>
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
#include "shell/kit/format.h"
#include "shell/state.h"

namespace mv::test {

class ConditionsCalcTest : public ProgramTest {
 protected:
  static constexpr int16_t W = 8;

  void SetUp() override {
    ProgramTest::SetUp();
    setenv("MV_RESOURCES_DIR", SourcePath("resources").c_str(), 1);
    Sound_Is_On = 1;
    rt::SetSoundSink([this](const std::string& path) { sounds.push_back(path); });
  }
  void TearDown() override {
    rt::SetPumpHook(nullptr);
    unsetenv("MV_RESOURCES_DIR");
    ProgramTest::TearDown();
  }

  using Step = std::function<bool()>;
  // Runs the calculator with the steps acting on its window; the last step should end it.
  void Run(const std::function<void()>& calculator, std::vector<Step> steps) {
    steps.insert(steps.begin(), [] { return rt::WindowExists(W); });
    script.assign(steps.begin(), steps.end());
    passes = 0;
    rt::SetPumpHook([this] {
      if (script.empty() || rt::EventsPending()) return;
      if (++passes > 5000) {
        ADD_FAILURE() << "the window never reached the next step";
        script.clear();
        rt::CloseWindow(W);
        return;
      }
      if (script.front()()) script.pop_front();
    });
    calculator();
    rt::SetPumpHook(nullptr);
    EXPECT_TRUE(script.empty()) << script.size() << " steps were not taken";
    EXPECT_FALSE(rt::WindowExists(W));
  }

  static Step Click(int16_t control) {
    return [control] {
      auto* b = qobject_cast<QAbstractButton*>(rt::bridge::ControlWidget(W, control));
      EXPECT_NE(b, nullptr) << "no button " << control;
      if (b) b->click();
      return true;
    };
  }
  static Step Pick(int16_t control, int item) {
    return [control, item] {
      auto* combo = qobject_cast<QComboBox*>(rt::bridge::ControlWidget(W, control));
      EXPECT_NE(combo, nullptr) << "control " << control << " is no popup";
      if (combo) {
        combo->setCurrentIndex(item - 1);
        emit combo->activated(item - 1);
      }
      return true;
    };
  }
  static Step Type(int16_t field, std::string text) {
    return [field, text] {
      rt::SetOutputWindow(W);
      rt::SetEditText(field, text);
      return true;
    };
  }
  // Presses and releases a key in an edit field, as typed by the user.
  static Step Key(int16_t field, Qt::Key key, QString text) {
    return [field, key, text] {
      rt::BringWindowForward(W);
      QWidget* w = rt::bridge::EditFieldWidget(W, field);
      EXPECT_NE(w, nullptr) << "no field " << field;
      if (!w) return true;
      w->setFocus(Qt::OtherFocusReason);
      QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
      QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
      QApplication::sendEvent(w, &press);
      QApplication::sendEvent(w, &release);
      return true;
    };
  }
  static Step Return(int16_t field) { return Key(field, Qt::Key_Return, "\r"); }
  static Step Shot(std::string name) {
    return [name] {
      EXPECT_TRUE(rt::SaveWindowImage(W, (TestOutputDir() / name).string()));
      return true;
    };
  }
  static Step Do(std::function<void()> f) {
    return [f] {
      rt::SetOutputWindow(W);
      f();
      return true;
    };
  }
  static Step Close() {
    return [] {
      rt::CloseWindow(W);
      return true;
    };
  }

  static std::string Text(int16_t field) {
    rt::SetOutputWindow(W);
    return rt::EditText(field);
  }
  static double Value(int16_t field) { return TextToNumber(Text(field)); }
  static int16_t State(int16_t control) {
    rt::SetOutputWindow(W);
    return rt::ControlState(control);
  }

  int CountPlayed(const std::string& file) const {
    return static_cast<int>(std::count_if(sounds.begin(), sounds.end(), [&](const std::string& p) {
      return std::filesystem::path(p).filename().string() == file;
    }));
  }
  void ForgetSounds() { sounds.clear(); }

  std::vector<std::string> sounds;

 private:
  std::deque<Step> script;
  int passes = 0;
};

}  // namespace mv::test
