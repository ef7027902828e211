// The fixture of the conversion window tests: program state reset, resources from
// the source tree, every sound and hook call recorded, and steps that drive the
// real windows from inside their own loops.
#pragma once
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/test_support.h"
#include "conversions/needs.h"
#include "runtime/qt_bridge.h"
#include "runtime/sound.h"
#include "runtime/str255.h"
#include "runtime/windows.h"
#include "setup/window_driver.h"

namespace mv::test {

class ConversionWindowTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    setenv("MV_RESOURCES_DIR", SourcePath("resources").c_str(), 1);
    conversion_hooks::ResetConversionWindowHooks();
    rt::SetSoundSink([this](const std::string& path) { sounds.push_back(path.substr(path.rfind('/') + 1)); });
    services::SetUpMENUs = [this](int16_t on) { calls.push_back(on ? "menus on" : "menus off"); };
    services::SAVEsettings = [this] { calls.push_back("SAVEsettings"); };
  }
  void TearDown() override {
    conversion_hooks::ResetConversionWindowHooks();
    ProgramTest::TearDown();
  }

  int Count(const std::string& call) const {
    int n = 0;
    for (const auto& c : calls) n += c == call;
    return n;
  }
  int Played(const std::string& file) const {
    int n = 0;
    for (const auto& s : sounds) n += s == file;
    return n;
  }
  static std::string Shot(const char* name) { return (TestOutputDir() / name).string(); }

  // Runs a window with the driver's steps; a window that never ends fails the test.
  template <typename Fn>
  void Run(WindowDriver& driver, Fn window) {
    try {
      window();
      EXPECT_TRUE(driver.Finished()) << "the window ended before every step ran";
    } catch (const DriverStuck& s) {
      ADD_FAILURE() << s.what;
    }
  }

  std::vector<std::string> sounds;
  std::vector<std::string> calls;
};

// Types text into an edit field key by key, as the user would: the field takes the
// focus with its text selected, so the typing replaces it.
inline WindowDriver::Step TypeInto(int16_t window, int16_t field, std::string text) {
  return [window, field, text] {
    auto* e = qobject_cast<QLineEdit*>(rt::bridge::EditFieldWidget(window, field));
    if (!e) return false;
    e->setFocus(Qt::OtherFocusReason);
    e->selectAll();
    for (char ch : text) {
      const QString s = QString::fromLatin1(&ch, 1);
      const auto key = ch >= 'a' && ch <= 'z' ? static_cast<Qt::Key>(Qt::Key_A + (ch - 'a'))
                                              : static_cast<Qt::Key>(s.toUpper().at(0).unicode());
      QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, s);
      QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, s);
      QApplication::sendEvent(e, &press);
      QApplication::sendEvent(e, &release);
    }
    return true;
  };
}

// Return typed in a field of the window.
inline WindowDriver::Step ReturnIn(int16_t window, int16_t field) {
  return [window, field] {
    QWidget* e = rt::bridge::EditFieldWidget(window, field);
    if (!e) return false;
    e->setFocus(Qt::OtherFocusReason);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, "\r");
    QApplication::sendEvent(e, &press);
    QApplication::sendEvent(e, &release);
    return true;
  };
}

// The text of a field of an open window, read through the widget (the program's
// output window is left alone).
inline std::string FieldOf(int16_t window, int16_t field) {
  QWidget* w = rt::bridge::EditFieldWidget(window, field);
  if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text().toUtf8().toStdString();
  if (auto* l = qobject_cast<QLabel*>(w)) return l->text().toUtf8().toStdString();
  return "<no field>";
}

inline std::string Padded(const std::string& text, std::size_t width = 30) {
  std::string s = text.substr(0, width);
  s.resize(width, ' ');
  return s;
}

}  // namespace mv::test
