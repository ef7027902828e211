#include "drive/script.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QKeySequence>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSaveFile>
#include <QTabBar>
#include <QTest>
#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "drive/keyboard.h"
#include "drive/listing.h"
#include "runtime/application.h"
#include "runtime/events.h"
#include "runtime/menus.h"
#include "runtime/panels.h"
#include "runtime/printing.h"
#include "runtime/qt_bridge.h"
#include "runtime/system.h"
#include "runtime/windows.h"

namespace mv::drive {

namespace {

using Clock = std::chrono::steady_clock;

struct ScriptFailure {
  std::string message;
};
struct ScriptDone {};

std::vector<std::string> Split(const std::string& line, int maxParts = 0) {
  std::vector<std::string> out;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i >= line.size()) break;
    if (maxParts && static_cast<int>(out.size()) == maxParts - 1) {
      out.push_back(line.substr(i));
      break;
    }
    std::size_t j = i;
    while (j < line.size() && line[j] != ' ' && line[j] != '\t') ++j;
    out.push_back(line.substr(i, j - i));
    i = j;
  }
  return out;
}

int ToInt(const std::string& s) {
  int v = 0;
  auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  if (r.ec != std::errc() || r.ptr != s.data() + s.size()) throw ScriptFailure{"not a whole number: " + s};
  return v;
}

double ToDouble(const std::string& s) {
  double v = 0;
  auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  if (r.ec != std::errc() || r.ptr != s.data() + s.size()) throw ScriptFailure{"not a number: " + s};
  return v;
}

// Replaces each ${NAME} with the environment variable NAME, so a script can name
// folders and ports that are set up around it. An unset variable fails the line.
std::string ExpandVariables(const std::string& line) {
  std::string out;
  std::size_t i = 0;
  while (i < line.size()) {
    const std::size_t open = line.find("${", i);
    if (open == std::string::npos) break;
    const std::size_t close = line.find('}', open + 2);
    if (close == std::string::npos) throw ScriptFailure{"no } after ${"};
    const std::string name = line.substr(open + 2, close - open - 2);
    const char* value = std::getenv(name.c_str());
    if (name.empty() || !value) throw ScriptFailure{"the environment variable " + name + " is not set"};
    out += line.substr(i, open - i);
    out += value;
    i = close + 1;
  }
  return out + line.substr(std::min(i, line.size()));
}

bool IsComment(const std::string& line) {
  const std::size_t first = line.find_first_not_of(" \t");
  return first == std::string::npos || line[first] == '#';
}

// Writes a picture whole or not at all.
void SaveImage(const QImage& image, const std::string& path) {
  if (image.isNull()) throw ScriptFailure{"nothing to picture for " + path};
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
  QSaveFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::WriteOnly) || !image.save(&file, "PNG") || !file.commit())
    throw ScriptFailure{"could not save " + path};
}

KeySpec ParseKeyOrFail(const std::string& text) {
  std::string why;
  const std::optional<KeySpec> k = ParseKey(text, &why);
  if (!k) throw ScriptFailure{why};
  return *k;
}

void SendKey(QWidget* target, const KeySpec& k) {
  QKeyEvent press(QEvent::KeyPress, k.key, k.mods, k.text);
  QKeyEvent release(QEvent::KeyRelease, k.key, k.mods, k.text);
  QApplication::sendEvent(target, &press);
  QApplication::sendEvent(target, &release);
}

}  // namespace

struct ScriptRunner::Impl {
  std::vector<std::string> lines;
  std::string baseDir;
  std::size_t next = 0;  // index of the line to run
  bool programRunning = false;
  std::optional<Clock::time_point> deadline;
  ScriptResult result;
  std::function<void(const std::string&)> say;
  int seenPasses = 0;
  static constexpr int kSettlePasses = 10;

  std::string Resolve(const std::string& path) const {
    std::filesystem::path p(path);
    if (p.is_absolute()) return path;
    return (std::filesystem::path(baseDir) / p).string();
  }

  // Screenshots with a relative name go to MV_SHOT_DIR when it is set (the
  // tests' output folder), else beside the script.
  std::string ShotPath(const std::string& path) const {
    const char* dir = std::getenv("MV_SHOT_DIR");
    if (std::filesystem::path(path).is_absolute() || !dir || !*dir) return Resolve(path);
    return (std::filesystem::path(dir) / path).string();
  }

  void Say(const std::string& text) {
    result.output += text;
    if (say) say(text);
  }

  QWidget* Window(int16_t w) {
    QWidget* widget = rt::bridge::WindowWidget(w);
    if (!widget) throw ScriptFailure{"window " + std::to_string(w) + " is not open; " + OpenWindowsNamed()};
    return widget;
  }

  // A user acts on whatever window is shown; which window answers is the program's
  // rule (a click on a window behind the front one is reported as such).
  void Front(int16_t w) { Window(w); }

  QWidget* Control(int16_t w, int16_t n) {
    Front(w);
    QWidget* c = rt::bridge::ControlWidget(w, n);
    if (!c)
      throw ScriptFailure{"window " + std::to_string(w) + " has no control " + std::to_string(n) + "; " +
                          ControlsOf(w)};
    if (!c->isEnabled()) throw ScriptFailure{"control " + std::to_string(n) + " is dimmed; " + ControlsOf(w)};
    return c;
  }

  // Waits: returns false while the condition is not met (the program runs on).
  bool WaitFor(bool met, double seconds, const std::string& what) {
    if (met) {
      deadline.reset();
      return true;
    }
    if (!deadline) deadline = Clock::now() + std::chrono::milliseconds(static_cast<int>(seconds * 1000));
    if (Clock::now() > *deadline) throw ScriptFailure{"timed out waiting for " + what};
    return false;
  }

  // Runs one line. Returns false when the line waits and must be run again.
  bool Step(const std::string& scriptLine) {
    if (IsComment(scriptLine)) return true;
    const std::string line = ExpandVariables(scriptLine);
    auto parts = Split(line);
    if (parts.empty()) return true;
    const std::string& cmd = parts[0];
    auto need = [&](std::size_t n) {
      if (parts.size() < n + 1) throw ScriptFailure{cmd + " needs " + std::to_string(n) + " arguments"};
    };
    if (cmd == "wait") {
      need(1);
      if (!deadline)
        deadline = Clock::now() + std::chrono::milliseconds(static_cast<int>(ToDouble(parts[1]) * 1000));
      if (Clock::now() < *deadline) return false;
      deadline.reset();
      return true;
    }
    if (cmd == "until") {
      need(1);
      int16_t w = static_cast<int16_t>(ToInt(parts[1]));
      // A window counts as open once its loop runs: a freshly built window
      // spends a few pump passes before it installs its handlers.
      seenPasses = rt::WindowExists(w) ? seenPasses + 1 : 0;
      bool ready = seenPasses > kSettlePasses;
      if (ready) seenPasses = 0;
      return WaitFor(ready, parts.size() > 2 ? ToDouble(parts[2]) : 10, "window " + parts[1]);
    }
    if (cmd == "gone") {
      need(1);
      int16_t w = static_cast<int16_t>(ToInt(parts[1]));
      return WaitFor(!rt::WindowExists(w), parts.size() > 2 ? ToDouble(parts[2]) : 10,
                     "window " + parts[1] + " to close");
    }
    if (cmd == "expect-exit") {
      if (!programRunning) return CheckExit(parts);
      return WaitFor(false, 10, "the program to end");
    }
    if (cmd == "expect-file") {
      need(1);
      const std::string path = Resolve(Split(line, 2)[1]);
      std::error_code ec;
      if (!std::filesystem::is_regular_file(path, ec)) throw ScriptFailure{"no file " + path};
      if (std::filesystem::file_size(path, ec) == 0 || ec)
        throw ScriptFailure{"the file " + path + " is empty"};
      return true;
    }
    if (cmd == "panel") {
      need(1);
      rt::QueuePanelAnswer(parts[1] == "cancel" ? std::nullopt
                                                : std::optional<std::string>(Resolve(Split(line, 2)[1])));
      return true;
    }
    if (cmd == "print") {
      need(1);
      rt::QueuePrintAnswer(parts[1] == "cancel" ? std::nullopt
                                                : std::optional<std::string>(Resolve(Split(line, 2)[1])));
      return true;
    }
    if (cmd == "color") {
      need(3);
      // The program's colours are 16 bits a component: 65535 is full, 255 nearly black.
      const auto component = [](const std::string& text) {
        const int v = ToInt(text);
        if (v < 0 || v > 65535)
          throw ScriptFailure{"a colour component is 0 to 65535 (16 bits), not " + text};
        return static_cast<uint16_t>(v);
      };
      rt::QueueColorAnswer(RGBColor{component(parts[1]), component(parts[2]), component(parts[3])});
      return true;
    }
    if (cmd == "list") {
      // After an action, the listing shows the window as the program left it.
      if (programRunning && rt::EventsPending()) return false;
      Say(parts.size() > 1 ? ListWindow(static_cast<int16_t>(ToInt(parts[1]))) : ListWindows());
      return true;
    }
    if (cmd == "hold" || cmd == "release") {
      need(1);
      const KeySpec k = ParseKeyOrFail(parts[1]);
      if (k.macCode < 0) throw ScriptFailure{"no key code for " + parts[1]};
      // A real key: its press, its auto-repeat while it stays down, its release.
      if (cmd == "hold")
        HoldKey(k);
      else
        ReleaseKey(k);
      return true;
    }
    if (!programRunning) {
      if (cmd == "start") return true;  // handled by Run
      throw ScriptFailure{"the program is not running"};
    }
    if (cmd == "start") throw ScriptFailure{"the program is running already"};
    // Actions wait until the program has taken the events of the previous one.
    if (rt::EventsPending()) return false;
    return Act(cmd, parts, line);
  }

  bool CheckExit(const std::vector<std::string>& parts) {
    if (!result.exitStatus) throw ScriptFailure{"the program has not ended"};
    if (parts.size() > 1 && ToInt(parts[1]) != *result.exitStatus)
      throw ScriptFailure{"exit status " + std::to_string(*result.exitStatus) + ", expected " + parts[1]};
    return true;
  }

  bool Act(const std::string& cmd, const std::vector<std::string>& parts, const std::string& line) {
    auto need = [&](std::size_t n) {
      if (parts.size() < n + 1) throw ScriptFailure{cmd + " needs " + std::to_string(n) + " arguments"};
    };
    if (cmd == "click") {
      need(2);
      QWidget* c = Control(static_cast<int16_t>(ToInt(parts[1])), static_cast<int16_t>(ToInt(parts[2])));
      QTest::mouseClick(c, Qt::LeftButton, {}, c->rect().center());
      return true;
    }
    if (cmd == "press" || cmd == "unpress") {
      need(2);
      QWidget* c = Control(static_cast<int16_t>(ToInt(parts[1])), static_cast<int16_t>(ToInt(parts[2])));
      const QPoint where(std::min(10, c->width() / 2), c->height() / 2);
      if (cmd == "press")
        QTest::mousePress(c, Qt::LeftButton, {}, where);
      else
        QTest::mouseRelease(c, Qt::LeftButton, {}, where);
      return true;
    }
    if (cmd == "click-label") {
      need(2);
      int16_t w = static_cast<int16_t>(ToInt(parts[1]));
      std::string text = Split(line, 3)[2];
      rt::SetOutputWindow(w);
      for (int16_t n : rt::Controls(w)) {
        if (rt::ControlTitle(n).str().find(text) != std::string::npos) {
          QWidget* c = Control(w, n);
          QTest::mouseClick(c, Qt::LeftButton, {}, c->rect().center());
          return true;
        }
      }
      throw ScriptFailure{"no control titled " + text + "; " + ControlsOf(w)};
    }
    if (cmd == "pick") {
      need(3);
      QWidget* c = Control(static_cast<int16_t>(ToInt(parts[1])), static_cast<int16_t>(ToInt(parts[2])));
      int index = ToInt(parts[3]) - 1;
      if (auto* combo = qobject_cast<QComboBox*>(c)) {
        if (index < 0 || index >= combo->count())
          throw ScriptFailure{"no item " + parts[3] + "; the popup has " + std::to_string(combo->count())};
        combo->setCurrentIndex(index);
        emit combo->activated(index);
      } else if (auto* tabs = qobject_cast<QTabBar*>(c)) {
        if (index < 0 || index >= tabs->count())
          throw ScriptFailure{"no tab " + parts[3] + "; there are " + std::to_string(tabs->count())};
        tabs->setCurrentIndex(index);
        emit tabs->tabBarClicked(index);
      } else {
        throw ScriptFailure{"control " + parts[2] + " is not a popup; " +
                            ControlsOf(static_cast<int16_t>(ToInt(parts[1])))};
      }
      return true;
    }
    if (cmd == "type") {
      need(2);
      int16_t w = static_cast<int16_t>(ToInt(parts[1]));
      int16_t f = static_cast<int16_t>(ToInt(parts[2]));
      Front(w);
      QWidget* field = rt::bridge::EditFieldWidget(w, f);
      if (!field)
        throw ScriptFailure{"window " + parts[1] + " has no field " + parts[2] + "; " + FieldsOf(w)};
      field->setFocus(Qt::OtherFocusReason);
      auto all = Split(line, 4);
      QString text = all.size() > 3 ? QString::fromStdString(all[3]) : QString();
      for (QChar ch : text) {
        KeySpec k;
        k.text = QString(ch);
        k.key = ch.isLetter() ? static_cast<Qt::Key>(Qt::Key_A + (ch.toUpper().unicode() - 'A'))
                              : static_cast<Qt::Key>(ch.unicode());
        if (ch.unicode() > 127) k.key = Qt::Key_unknown;
        SendKey(field, k);
      }
      return true;
    }
    if (cmd == "key") {
      need(1);
      const KeySpec k = ParseKeyOrFail(parts[1]);
      int16_t front = rt::FrontWindow();
      QWidget* target = QApplication::focusWidget();
      if (!target && front) target = rt::bridge::WindowWidget(front);
      if (!target) throw ScriptFailure{"no window to type into"};
      SendKey(target, k);
      return true;
    }
    if (cmd == "menu") {
      need(2);
      int16_t m = static_cast<int16_t>(ToInt(parts[1])), i = static_cast<int16_t>(ToInt(parts[2]));
      if (!rt::MenuExists(m) || i < 1 || i > rt::MenuItemCount(m))
        throw ScriptFailure{"no menu item " + parts[1] + " " + parts[2]};
      if (!rt::MenuItemEnabled(m, i))
        throw ScriptFailure{"menu item " + parts[1] + " " + parts[2] + " is dimmed"};
      rt::bridge::ChooseMenuItem(m, i);
      return true;
    }
    if (cmd == "mouse") {
      need(3);
      int16_t w = static_cast<int16_t>(ToInt(parts[1]));
      Front(w);
      // As a user's click: whatever is shown under the point takes it (a control, a
      // field, a label), else the window's own canvas.
      QWidget* window = Window(w);
      const QPoint at(ToInt(parts[2]), ToInt(parts[3]));
      QWidget* under = window->childAt(at);
      QWidget* target = under ? under : window;
      QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(window, at));
      return true;
    }
    if (cmd == "close") {
      need(1);
      // The window's close box, as the user clicks it: the program decides what follows.
      Window(static_cast<int16_t>(ToInt(parts[1])))->close();
      return true;
    }
    if (cmd == "drag-size") {
      need(3);
      int16_t w = static_cast<int16_t>(ToInt(parts[1]));
      Window(w);
      rt::bridge::DragWindowSize(w, ToInt(parts[2]), ToInt(parts[3]));
      return true;
    }
    if (cmd == "shot") {
      need(2);
      int16_t w = static_cast<int16_t>(ToInt(parts[1]));
      Window(w);
      std::string path = ShotPath(Split(line, 3)[2]);
      std::filesystem::create_directories(std::filesystem::path(path).parent_path());
      if (!rt::SaveWindowImage(w, path)) throw ScriptFailure{"could not save " + path};
      return true;
    }
    if (cmd == "shot-menu") {
      need(2);
      int16_t m = static_cast<int16_t>(ToInt(parts[1]));
      if (!rt::MenuExists(m)) throw ScriptFailure{"no menu " + parts[1]};
      SaveImage(rt::bridge::OpenMenuImage(m), ShotPath(Split(line, 3)[2]));
      return true;
    }
    throw ScriptFailure{"unknown command: " + cmd};
  }

  // The pump hook: the held keys' repeats, then lines until one waits or an action was sent.
  void Agent() {
    RepeatHeldKeys();
    while (next < lines.size()) {
      auto parts = Split(lines[next]);
      bool isAction =
          !parts.empty() && parts[0][0] != '#' &&
          (parts[0] == "click" || parts[0] == "click-label" || parts[0] == "pick" || parts[0] == "type" ||
           parts[0] == "press" || parts[0] == "unpress" || parts[0] == "key" || parts[0] == "menu" ||
           parts[0] == "close" ||
           parts[0] == "mouse" || parts[0] == "drag-size");
      if (!RunLine()) return;
      if (isAction) return;
    }
    throw ScriptDone{};
  }

  bool RunLine() {
    try {
      if (!Step(lines[next])) return false;
    } catch (ScriptFailure& f) {
      Fail(f.message);
      throw;
    }
    ++next;
    return true;
  }

  void Fail(const std::string& message) {
    if (!result.ok) return;
    result.ok = false;
    result.failedLine = static_cast<int>(next) + 1;
    result.lineText = next < lines.size() ? lines[next] : "";
    result.message = message;
  }
};

ScriptRunner::ScriptRunner(std::string scriptText, std::string baseDir)
    : text_(std::move(scriptText)), baseDir_(std::move(baseDir)) {}

std::optional<ScriptRunner> ScriptRunner::FromFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::stringstream ss;
  ss << in.rdbuf();
  return ScriptRunner(ss.str(), std::filesystem::path(path).parent_path().string());
}

ScriptResult ScriptRunner::Run(const Program& program) {
  Impl impl;
  impl.baseDir = baseDir_.empty() ? "." : baseDir_;
  impl.say = say_;
  std::string line;
  for (char c : text_) {
    if (c == '\r' || c == '\n') {
      impl.lines.push_back(line);
      line.clear();
    } else {
      line += c;
    }
  }
  if (!line.empty()) impl.lines.push_back(line);

  rt::SetScriptedPanels(true);
  // A panel the script has not answered yet waits; saying so at once tells the
  // author which line is missing rather than leaving a silent 30 s pause.
  rt::SetScriptedWaitNotice([&impl](const std::string& what) {
    impl.Say("after line " + std::to_string(impl.next) + ": waiting for an answer to " + what +
             " (a 'panel', 'print' or 'color' line queued before the action answers it; none within 30 s "
             "cancels it)\n");
  });
  rt::SetExitInterceptor([](int status) { throw rt::ProgramExit{status}; });
  try {
    while (impl.next < impl.lines.size()) {
      auto parts = Split(impl.lines[impl.next]);
      if (!parts.empty() && parts[0] == "start") {
        if (impl.result.exitStatus) throw ScriptFailure{"the program has ended"};
        std::vector<std::string> args{"mirevant"};
        const auto words = Split(ExpandVariables(impl.lines[impl.next]));
        args.insert(args.end(), words.begin() + 1, words.end());
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        ++impl.next;
        impl.programRunning = true;
        rt::SetPumpHook([&impl] { impl.Agent(); });
        try {
          program(static_cast<int>(args.size()), argv.data());
          impl.result.exitStatus = 0;
        } catch (rt::ProgramExit& e) {
          impl.result.exitStatus = e.status;
        } catch (ScriptDone&) {
        }
        impl.programRunning = false;
        rt::SetPumpHook(nullptr);
        continue;
      }
      if (!impl.RunLine()) {
        if (!parts.empty() && parts[0] == "wait") {
          // Outside the program a wait simply passes the time.
          rt::PumpEvents(5);
          continue;
        }
        throw ScriptFailure{"the program is not running"};
      }
    }
  } catch (ScriptFailure& f) {
    impl.Fail(f.message);
  }
  rt::SetPumpHook(nullptr);
  ReleaseAllKeys();
  rt::SetScriptedWaitNotice(nullptr);
  rt::SetScriptedPanels(false);
  rt::SetExitInterceptor(nullptr);
  return impl.result;
}

std::string FormatFailure(const ScriptResult& r) {
  if (r.ok) return "ok";
  return "line " + std::to_string(r.failedLine) + ": " + r.lineText + ": " + r.message;
}

}  // namespace mv::drive
