// Driver steps of the channel-dialog tests: typing into an edit field key by key
// (the keys pass the window's edit-key handler as the user's would), choosing a
// menu item, and the fixture every dialog test shares.
#pragma once
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <string>

#include "runtime/menus.h"
#include "runtime/qt_bridge.h"
#include "runtime/windows.h"
#include "setup/channel_dialogs.h"
#include "setup_fixture.h"
#include "window_driver.h"

namespace mv::test {

inline void SendKeyTo(QWidget* target, Qt::Key key, const QString& text) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
  QApplication::sendEvent(target, &press);
  QApplication::sendEvent(target, &release);
}

// Focuses the field with its text selected, types the text over it and, when
// asked, presses Return in the field.
inline WindowDriver::Step TypeInto(int16_t window, int16_t field, std::string text, bool thenReturn = false) {
  return [=] {
    QWidget* f = rt::bridge::EditFieldWidget(window, field);
    if (!f) return false;
    rt::BringWindowForward(window);
    rt::SetOutputWindow(window);
    rt::FocusEditField(field);
    rt::SelectEditText(field, 0, -1);
    for (char ch : text) SendKeyTo(f, static_cast<Qt::Key>(ch), QString(QChar(ch)));
    if (thenReturn) SendKeyTo(f, Qt::Key_Return, "\r");
    return true;
  };
}

inline WindowDriver::Step ChooseMenu(int16_t menu, int16_t menuItem) {
  return [=] {
    rt::bridge::ChooseMenuItem(menu, menuItem);
    return true;
  };
}

// Program state reset, the menus the dialogs mark (File, View, A-D and the Sample
// Averaging submenu) made, and the dialogs run under the driver.
class DialogTest : public SetupTest {
 protected:
  void SetUp() override {
    SetupTest::SetUp();
    InstallChannelDialogs();
    for (int16_t menu : {1, 3, 4, 110}) {
      rt::NewMenu(menu, "menu");
      for (int16_t i = 1; i <= 25; ++i) rt::SetMenuItem(menu, i, "item");
    }
    rt::SetMenuBar({1, 3, 4});
  }
  std::string Shot(const char* name) const { return (TestOutputDir() / name).string(); }
  template <typename Fn>
  auto Run(WindowDriver& driver, Fn window) {
    try {
      auto result = window();
      EXPECT_TRUE(driver.Finished()) << "the window ended before every step ran";
      return result;
    } catch (const DriverStuck& s) {
      ADD_FAILURE() << s.what;
      return decltype(window())();
    }
  }
  void RunVoid(WindowDriver& driver, const std::function<void()>& window) {
    Run(driver, [&] {
      window();
      return true;
    });
  }
};

}  // namespace mv::test
