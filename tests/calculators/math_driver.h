// Fixture of the Simple Math and expression evaluator window tests: the kit's fixture
// (the program's own resources, a sound sink that records what was asked for) and a
// small driver that acts on window 8 from the event pump, one step per pass, so the
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
#include "common/window_steps.h"
#include "kit/kit_test_support.h"
#include "runtime/events.h"
#include "runtime/qt_bridge.h"
#include "runtime/sound.h"
#include "runtime/windows.h"

namespace mv::test::math_calc {

class WindowTest : public KitTest, public WindowSteps {
 protected:
  void TearDown() override {
    rt::SetPumpHook(nullptr);
    KitTest::TearDown();
  }

  int CountPlayed(const std::string& name) const {
    int n = 0;
    for (const auto& p : sounds) n += std::filesystem::path(p).filename().string() == name ? 1 : 0;
    return n;
  }
};

}  // namespace mv::test::math_calc
