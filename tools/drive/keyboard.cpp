#include "drive/keyboard.h"

#include <QApplication>
#include <QKeyEvent>
#include <QStyleHints>
#include <QWidget>
#include <algorithm>
#include <cctype>
#include <vector>

#include "runtime/clock.h"
#include "runtime/events.h"
#include "runtime/qt_bridge.h"
#include "runtime/windows.h"

namespace mv::drive {

namespace {

int MacCodeForChar(char c) {
  static const char* letters = "asdfhgzxcv\0bqweryt123465=97-80]ou[ip\0lj'k;\\,/nm.";
  c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (int i = 0; i < 48; ++i)
    if (letters[i] == c && c) return i;
  if (c == ' ') return rt::key::Space;
  return -1;
}

struct Modifier {
  Qt::KeyboardModifier mod;
  Qt::Key key;
  int macCode;
};
constexpr Modifier kModifiers[] = {
    {Qt::ControlModifier, Qt::Key_Control, rt::key::Command},
    {Qt::AltModifier, Qt::Key_Alt, rt::key::Option},
    {Qt::ShiftModifier, Qt::Key_Shift, rt::key::Shift},
};

bool IsModifierKey(Qt::Key key) {
  return key == Qt::Key_Control || key == Qt::Key_Alt || key == Qt::Key_Shift;
}

struct HeldKey {
  KeySpec stroke;
  long long nextRepeatUs = 0;
};
std::vector<HeldKey> gHeld;  // in the order they went down
Qt::KeyboardModifiers gMods;

long long NowUs() {
  return static_cast<long long>(rt::Microseconds());
}

// Where the keyboard's events go: the focused widget, else the front window; with no
// window at all the application still hears the key (its key map follows the keys).
QObject* KeyboardTarget() {
  if (QWidget* focus = QApplication::focusWidget()) return focus;
  if (const int16_t front = rt::FrontWindow(); front != 0)
    if (QWidget* w = rt::bridge::WindowWidget(front)) return w;
  return QApplication::instance();
}

void Send(QEvent::Type type, const KeySpec& k, bool repeat) {
  QObject* target = KeyboardTarget();
  if (!target) return;
  QKeyEvent e(type, k.key, gMods, k.text, repeat);
  QApplication::sendEvent(target, &e);
}

auto Find(Qt::Key key) {
  return std::find_if(gHeld.begin(), gHeld.end(), [key](const HeldKey& h) { return h.stroke.key == key; });
}

void Down(const KeySpec& k) {
  if (Find(k.key) != gHeld.end()) return;
  for (const Modifier& m : kModifiers)
    if (k.key == m.key) gMods |= m.mod;
  gHeld.push_back({k, NowUs() + kRepeatDelayUs});
  Send(QEvent::KeyPress, k, false);
}

// A key let go that was not held here (pressed by other means) still sends its
// release: the program then sees it up.
void Up(const KeySpec& k) {
  if (const auto held = Find(k.key); held != gHeld.end()) gHeld.erase(held);
  Send(QEvent::KeyRelease, k, false);
  for (const Modifier& m : kModifiers)
    if (k.key == m.key) gMods &= ~Qt::KeyboardModifiers(m.mod);
}

KeySpec ModifierKey(const Modifier& m) {
  KeySpec k;
  k.key = m.key;
  k.macCode = m.macCode;
  return k;
}

}  // namespace

std::optional<KeySpec> ParseKey(const std::string& keyText, std::string* why) {
  KeySpec k;
  std::string rest = keyText;
  for (;;) {
    auto plus = rest.find('+');
    if (plus == std::string::npos || plus == rest.size() - 1) break;
    std::string mod = rest.substr(0, plus);
    if (mod == "ctrl")
      k.mods |= Qt::ControlModifier;
    else if (mod == "alt")
      k.mods |= Qt::AltModifier;
    else if (mod == "shift")
      k.mods |= Qt::ShiftModifier;
    else
      return *why = "unknown modifier: " + mod, std::nullopt;
    rest = rest.substr(plus + 1);
  }
  static const std::pair<const char*, std::pair<Qt::Key, int>> named[] = {
      {"Return", {Qt::Key_Return, rt::key::Return}},
      {"Enter", {Qt::Key_Enter, rt::key::KeypadEnter}},
      {"Tab", {Qt::Key_Tab, rt::key::Tab}},
      {"Escape", {Qt::Key_Escape, rt::key::Escape}},
      {"Space", {Qt::Key_Space, rt::key::Space}},
      {"Left", {Qt::Key_Left, rt::key::Left}},
      {"Right", {Qt::Key_Right, rt::key::Right}},
      {"Up", {Qt::Key_Up, rt::key::Up}},
      {"Down", {Qt::Key_Down, rt::key::Down}},
      {"Backspace", {Qt::Key_Backspace, rt::key::Backspace}},
      {"Delete", {Qt::Key_Delete, rt::key::ForwardDelete}},
      {"Home", {Qt::Key_Home, rt::key::Home}},
      {"ctrl", {Qt::Key_Control, rt::key::Command}},
      {"alt", {Qt::Key_Alt, rt::key::Option}},
      {"shift", {Qt::Key_Shift, rt::key::Shift}},
  };
  for (auto& [name, v] : named) {
    if (rest == name) {
      k.key = v.first;
      k.macCode = v.second;
      if (rest == "Space") k.text = " ";
      return k;
    }
  }
  QString q = QString::fromStdString(rest);
  if (q.size() != 1) return *why = "unknown key: " + rest, std::nullopt;
  QChar c = q.at(0);
  k.text = (k.mods & Qt::ControlModifier) ? QString() : q;
  k.key = c.isLetter() ? static_cast<Qt::Key>(Qt::Key_A + (c.toUpper().unicode() - 'A'))
                       : static_cast<Qt::Key>(c.unicode());
  if (c.isUpper()) k.mods |= Qt::ShiftModifier;
  k.macCode = MacCodeForChar(static_cast<char>(c.unicode()));
  return k;
}

long long RepeatIntervalUs() {
  const int rate =
      QGuiApplication::styleHints() ? QGuiApplication::styleHints()->keyboardAutoRepeatRate() : 0;
  return 1'000'000 / (rate > 0 ? rate : 30);
}

void HoldKey(const KeySpec& k) {
  for (const Modifier& m : kModifiers)
    if (k.mods & m.mod) Down(ModifierKey(m));
  Down(k);
}

void ReleaseKey(const KeySpec& k) {
  Up(k);
  for (const Modifier& m : kModifiers)
    if ((k.mods & m.mod) && k.key != m.key) Up(ModifierKey(m));
}

void RepeatHeldKeys() {
  const long long now = NowUs();
  // A copy: a repeat may reach a loop that lets keys go.
  const std::vector<HeldKey> held = gHeld;
  for (const HeldKey& h : held) {
    if (IsModifierKey(h.stroke.key) || now < h.nextRepeatUs) continue;
    const auto still = Find(h.stroke.key);
    if (still == gHeld.end()) continue;
    still->nextRepeatUs = now + RepeatIntervalUs();
    Send(QEvent::KeyRelease, h.stroke, true);
    Send(QEvent::KeyPress, h.stroke, true);
  }
}

void ReleaseAllKeys() {
  while (!gHeld.empty()) Up(gHeld.back().stroke);
  gMods = {};
}

}  // namespace mv::drive
