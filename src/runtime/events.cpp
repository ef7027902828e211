// The event pump: Qt events become the program's dialog, edit-key, menu and
// mouse events, queued and handed out one per pump pass.
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <chrono>
#include <deque>

#include "runtime/clock.h"
#include "runtime/events.h"
#include "runtime/internal.h"
#include "runtime/macroman.h"
#include "runtime/menus.h"

namespace mv::rt {

using namespace detail;

namespace {

DialogHandler gDialog;
EditKeyHandler gEditKey;
MenuHandler gMenu;
MouseHandler gMouse;
ErrorHandler gError;
OpenDocumentHandler gOpenDoc;
std::function<void()> gPumpHook;

std::deque<QueuedEvent> gQueue;
KeyMap gKeys{};
bool gButtonDown = false;
QPoint gMouseGlobal;
int gClickCount = 0;
QPoint gClickLocal;
int16_t gClickWindow = 0;
bool gDiscardInput = false;
bool gPressOnControl = false;
bool gActivationDue = false;     // the window system is still to be asked
int16_t gPendingActivation = 0;  // the window the program asked to activate, until it is
int gExpectedBlinks = 0;         // application state changes the program causes
bool gFilterInstalled = false;
bool gInPumpHook = false;

// Qt key -> classic virtual key code, for the keys the program decodes.
int MacKeyCode(int qtKey) {
  if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) {
    static const int letters[26] = {key::A, key::B, key::C, key::D, key::E, key::F, key::G, key::H, key::I,
                                    key::J, key::K, key::L, key::M, key::N, key::O, key::P, key::Q, key::R,
                                    key::S, key::T, key::U, key::V, key::W, key::X, key::Y, key::Z};
    return letters[qtKey - Qt::Key_A];
  }
  if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) {
    static const int digits[10] = {key::N0, key::N1, key::N2, key::N3, key::N4,
                                   key::N5, key::N6, key::N7, key::N8, key::N9};
    return digits[qtKey - Qt::Key_0];
  }
  switch (qtKey) {
    case Qt::Key_Return: return key::Return;
    case Qt::Key_Enter: return key::KeypadEnter;
    case Qt::Key_Tab: case Qt::Key_Backtab: return key::Tab;
    case Qt::Key_Space: return key::Space;
    case Qt::Key_Backspace: return key::Backspace;
    case Qt::Key_Escape: return key::Escape;
    case Qt::Key_Control: return key::Command;   // Ctrl stands for Command
    case Qt::Key_Shift: return key::Shift;
    case Qt::Key_CapsLock: return key::CapsLock;
    case Qt::Key_Alt: return key::Option;        // Alt stands for Option
    case Qt::Key_Meta: return key::Control;
    case Qt::Key_Minus: return key::Minus;
    case Qt::Key_Equal: case Qt::Key_Plus: return key::Equal;
    case Qt::Key_BracketLeft: return key::LeftBracket;
    case Qt::Key_BracketRight: return key::RightBracket;
    case Qt::Key_Apostrophe: return key::Quote;
    case Qt::Key_Semicolon: return key::Semicolon;
    case Qt::Key_Backslash: return key::Backslash;
    case Qt::Key_Comma: return key::Comma;
    case Qt::Key_Slash: return key::Slash;
    case Qt::Key_Period: return key::Period;
    case Qt::Key_QuoteLeft: return key::Grave;
    case Qt::Key_Home: return key::Home;
    case Qt::Key_End: return key::End;
    case Qt::Key_PageUp: return key::PageUp;
    case Qt::Key_PageDown: return key::PageDown;
    case Qt::Key_Delete: return key::ForwardDelete;
    case Qt::Key_Left: return key::Left;
    case Qt::Key_Right: return key::Right;
    case Qt::Key_Up: return key::Up;
    case Qt::Key_Down: return key::Down;
    default: return -1;
  }
}

void SetModifierBits(Qt::KeyboardModifiers m) {
  SetKeyDown(key::Command, m & Qt::ControlModifier);
  SetKeyDown(key::Shift, m & Qt::ShiftModifier);
  SetKeyDown(key::Option, m & Qt::AltModifier);
  SetKeyDown(key::Control, m & Qt::MetaModifier);
}

// Keys that act in a focused field directly and never reach the edit-key handler.
bool IsFieldNavigation(int qtKey) {
  switch (qtKey) {
    case Qt::Key_Left: case Qt::Key_Right: case Qt::Key_Up: case Qt::Key_Down:
    case Qt::Key_Backspace: case Qt::Key_Delete:
    case Qt::Key_Home: case Qt::Key_End: case Qt::Key_PageUp: case Qt::Key_PageDown:
      return true;
    default:
      return false;
  }
}

// The character code the program sees for a key, 0 when the key types nothing.
int CharCode(const QKeyEvent* ke) {
  switch (ke->key()) {
    case Qt::Key_Return: return 13;
    case Qt::Key_Enter: return 3;
    case Qt::Key_Tab: case Qt::Key_Backtab: return 9;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Delete: return 127;
    case Qt::Key_Left: return 28;
    case Qt::Key_Right: return 29;
    case Qt::Key_Up: return 30;
    case Qt::Key_Down: return 31;
    case Qt::Key_Home: return 1;
    case Qt::Key_End: return 4;
    case Qt::Key_PageUp: return 11;
    case Qt::Key_PageDown: return 12;
    default: break;
  }
  QString t = ke->text();
  if (t.isEmpty()) return 0;
  char32_t cp = t.at(0).unicode();
  if (t.at(0).isHighSurrogate() && t.size() > 1) cp = QChar::surrogateToUcs4(t.at(0), t.at(1));
  if (cp < 32) return 0;
  return UnicodeToMacRoman(cp);
}

// The letter of a Ctrl combination: the key itself, since the text is a control character.
int CommandChar(const QKeyEvent* ke) {
  int k = ke->key();
  if (k >= Qt::Key_A && k <= Qt::Key_Z)
    return (ke->modifiers() & Qt::ShiftModifier) ? k : k - Qt::Key_A + 'a';
  if (k >= 32 && k < 127) return k;
  return 0;
}

bool IsOurField(QWidget* w) {
  WindowRec* r = RecOfWidget(w);
  if (!r) return false;
  for (auto& [n, f] : r->fields)
    if (f.widget == w && f.type >= 0 && f.type <= 4) return true;
  return false;
}

// An activation change the user made: a window other than the front one activated,
// or the front window deactivated (another window or another application took the
// keyboard). While the program's own request is pending every change is the
// program's, and once it is granted changes that agree with the front window are too.
void OnActivation(int16_t number, bool activate) {
  if (gPendingActivation != 0) return;
  if (gDiscardInput) return;
  const int16_t front = FrontWindow();
  const bool byUser = activate ? number != front : number == front;
  if (byUser) Enqueue({QueuedEvent::Dialog, 18, static_cast<int16_t>(activate ? number : -number), {}, number});
}

// A window of the program that stands behind the front one (companions stand beside it).
bool BehindTheFront(int16_t window) {
  const WindowRec* r = FindWindow(window);
  return r && window != FrontWindow() && !IsCompanion(*r);
}

bool HandleKeyPress(QWidget* target, QKeyEvent* ke) {
  int16_t win = WindowNumberOf(target);
  if (!win) return false;
  QWidget* focus = QApplication::focusWidget();
  bool inField = focus && IsOurField(focus) && WindowNumberOf(focus) == win;
  // A key held down is one press: its auto-repeat types again into a text field and
  // nowhere else (no second command, button or menu choice).
  if (ke->isAutoRepeat() && (!inField || (ke->modifiers() & Qt::ControlModifier))) return true;
  if (ke->modifiers() & Qt::ControlModifier) {
    int c = CommandChar(ke);
    if (!c) return false;
    int16_t menu = 0, menuItem = 0;
    if (FindMenuKey(static_cast<char>(c), menu, menuItem)) {
      Enqueue({QueuedEvent::Menu, menu, menuItem, {}, win});
      return true;
    }
    if (inField) return false;  // cut, copy, paste and the like act in the field
    Enqueue({QueuedEvent::Dialog, 24, static_cast<int16_t>(c), {}, win});
    return true;
  }
  int c = CharCode(ke);
  if (!c) return false;
  if (inField) {
    if (IsFieldNavigation(ke->key())) return false;
    Enqueue({QueuedEvent::EditKey, 0, 0, std::string(1, static_cast<char>(c)), win});
    return true;
  }
  Enqueue({QueuedEvent::Dialog, 16, static_cast<int16_t>(c), {}, win});
  return true;
}

bool HandleMousePress(QWidget* target, QMouseEvent* me, int clicks) {
  int16_t win = WindowNumberOf(target);
  if (!win) return false;
  gButtonDown = true;
  gMouseGlobal = me->globalPosition().toPoint();
  gClickCount = clicks;
  gClickWindow = win;
  WindowRec* r = FindWindow(win);
  if (r && r->widget) gClickLocal = r->widget->mapFromGlobal(gMouseGlobal);
  bool onCanvas = target == target->window() || qobject_cast<QLabel*>(target) != nullptr;
  gPressOnControl = !onCanvas;
  if (BehindTheFront(win)) {
    // A press on a window behind the front one is reported as such and acts on
    // nothing there: the front window's loop is modal, and it stays in front.
    Enqueue({QueuedEvent::Dialog, 3, win, {}, win});
    ReactivateFrontWindow();
    return true;
  }
  if (onCanvas) {
    // Taken here, label or window: a label would pass the press on to its window,
    // which would report the one click twice.
    Enqueue({QueuedEvent::Mouse, static_cast<int16_t>(clicks), 0, {}, win});
    return true;
  }
  return false;
}

class EventFilter : public QObject {
 public:
  bool eventFilter(QObject* obj, QEvent* e) override {
    auto* w = qobject_cast<QWidget*>(obj);
    switch (e->type()) {
      case QEvent::KeyPress:
      case QEvent::KeyRelease: {
        auto* ke = static_cast<QKeyEvent*>(e);
        bool down = e->type() == QEvent::KeyPress;
        if (int code = MacKeyCode(ke->key()); code >= 0 && !ke->isAutoRepeat()) SetKeyDown(code, down);
        if (down) SetModifierBits(ke->modifiers());
        if (!w || !WindowNumberOf(w)) return false;
        if (gDiscardInput) return true;
        if (down) return HandleKeyPress(w, ke);
        return false;
      }
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonDblClick: {
        if (!w || !WindowNumberOf(w)) return false;
        if (gDiscardInput) return true;
        return HandleMousePress(w, static_cast<QMouseEvent*>(e), e->type() == QEvent::MouseButtonDblClick ? 2 : 1);
      }
      case QEvent::MouseButtonRelease:
        gButtonDown = false;
        if (w && WindowNumberOf(w)) gMouseGlobal = static_cast<QMouseEvent*>(e)->globalPosition().toPoint();
        return false;
      case QEvent::MouseMove:
        if (w && WindowNumberOf(w)) gMouseGlobal = static_cast<QMouseEvent*>(e)->globalPosition().toPoint();
        return false;
      case QEvent::WindowActivate:
      case QEvent::WindowDeactivate: {
        auto* ww = qobject_cast<WindowWidget*>(obj);
        if (!ww || !FindWindow(ww->number())) return false;
        OnActivation(ww->number(), e->type() == QEvent::WindowActivate);
        return false;
      }
      default:
        return false;
    }
  }
};

EventFilter* gFilter = nullptr;

// The modal rule: the loop that pumps serves the front window, so a control click,
// a canvas click or a key from any other window never reaches it as one; a click
// there is reported as a click in a window behind (kind 3) and a key is dropped.
// Close boxes, redraws, activations and menu choices pass whatever their window,
// as long as it is still open.
void Deliver(QueuedEvent e) {
  // An event of a window closed since is nobody's.
  if (e.window != 0 && !WindowExists(e.window)) return;
  if (BehindTheFront(e.window)) {
    const bool click = (e.kind == QueuedEvent::Dialog && e.a == 1) || e.kind == QueuedEvent::Mouse;
    const bool key = e.kind == QueuedEvent::EditKey || (e.kind == QueuedEvent::Dialog && (e.a == 16 || e.a == 24));
    if (key) return;
    if (click) e = {QueuedEvent::Dialog, 3, e.window, {}, e.window};
  }
  switch (e.kind) {
    case QueuedEvent::Dialog:
      if (auto h = gDialog) h(e.a, e.b);
      // A control click is followed by a short pause, as the window loops expect.
      if (e.a == 1) Delay(8);
      break;
    case QueuedEvent::EditKey:
      if (auto h = gEditKey) h(e.key);
      else InsertIntoFocusedField(e.key);
      break;
    case QueuedEvent::Menu:
      if (auto h = gMenu) h(e.a, e.b);
      break;
    case QueuedEvent::Mouse:
      if (auto h = gMouse) h(e.a);
      break;
  }
}

QTimer* WakeTimer() {
  static QTimer* t = [] {
    auto* timer = new QTimer;
    timer->setSingleShot(true);
    return timer;
  }();
  return t;
}

// Asks the window system for the window the program wants active now.
void IssueActivationRequest() {
  if (!gActivationDue) return;
  gActivationDue = false;
  const WindowRec* r = FindWindow(gPendingActivation);
  if (r && r->widget && !r->widget->isHidden()) r->widget->activateWindow();
}

// A pass of the window system is over: a request the window system has granted is
// no longer pending (changes in the same pass were all its own), and once the
// application is in front again a blink the program caused is over.
void SettleActivation() {
  if (gPendingActivation != 0 && !gActivationDue) {
    // Granted when the window system itself has given the window the focus (the
    // runtime's own at-once activation does not count: a window manager answers
    // later, and may pass through superseded requests first). Until then the user's
    // clicks still arrive through their presses; only a switch to another
    // application would go unreported.
    const WindowRec* r = FindWindow(gPendingActivation);
    const QWindow* focus = QGuiApplication::focusWindow();
    if (!r || (r->widget && focus && r->widget->windowHandle() == focus)) gPendingActivation = 0;
  }
  if (QGuiApplication::applicationState() == Qt::ApplicationActive) gExpectedBlinks = 0;
}

}  // namespace

void detail::Enqueue(QueuedEvent e) { gQueue.push_back(std::move(e)); }
void detail::ClearQueue() { gQueue.clear(); }
bool detail::QueueEmpty() { return gQueue.empty(); }

void detail::RequestActivation(int16_t number, QWidget* widget) {
  if (!widget) return;
  gPendingActivation = number;
  widget->raise();
  // The window system is asked once, at the next pass, for the window the program
  // wants by then, so that a burst of window calls makes one request and its
  // answers cannot be taken for a later one's. With no window manager (offscreen)
  // the application activates the window itself at once as well, so that a field
  // focused before the next pass takes the keys; under a window manager that would
  // only anticipate an answer still to come.
  if (QGuiApplication::platformName() == "offscreen") QApplication::setActiveWindow(widget);
  gActivationDue = true;
}

void detail::ExpectApplicationBlink() { gExpectedBlinks = 2; }

void detail::InstallEventFilter() {
  if (gFilterInstalled || !QApplication::instance()) return;
  gFilter = new EventFilter;
  QApplication::instance()->installEventFilter(gFilter);
  QObject::connect(qApp, &QGuiApplication::applicationStateChanged, gFilter, [](Qt::ApplicationState s) {
    if (s != Qt::ApplicationActive) ClearKeyMap();
    if (s == Qt::ApplicationActive || s == Qt::ApplicationInactive) {
      if (gExpectedBlinks > 0 || gPendingActivation != 0) {
        if (gExpectedBlinks > 0) --gExpectedBlinks;
        return;
      }
      Enqueue({QueuedEvent::Dialog, 19, static_cast<int16_t>(s == Qt::ApplicationActive ? 1 : 2), {}, 0});
    }
  });
  gFilterInstalled = true;
}

void detail::ResetEvents() {
  gDialog = nullptr;
  gEditKey = nullptr;
  gMenu = nullptr;
  gMouse = nullptr;
  gError = nullptr;
  gOpenDoc = nullptr;
  gPumpHook = nullptr;
  gQueue.clear();
  gKeys.fill(0);
  gButtonDown = false;
  gClickCount = 0;
  gClickWindow = 0;
  gPressOnControl = false;
  gPendingActivation = 0;
  gActivationDue = false;
  gExpectedBlinks = 0;
}

void SetDialogHandler(DialogHandler handler) { gDialog = std::move(handler); }
void SetEditKeyHandler(EditKeyHandler handler) { gEditKey = std::move(handler); }
void SetMenuHandler(MenuHandler handler) { gMenu = std::move(handler); }
void SetMouseHandler(MouseHandler handler) { gMouse = std::move(handler); }
bool DialogHandlerIs(void (*handler)(int16_t kind, int16_t item)) {
  const auto* installed = gDialog.target<void (*)(int16_t, int16_t)>();
  return installed && *installed == handler;
}
void SetErrorHandler(ErrorHandler handler) { gError = std::move(handler); }
WindowHandlers CurrentWindowHandlers() {
  return WindowHandlers{gDialog, gEditKey, gMenu, gMouse};
}
void SetWindowHandlers(WindowHandlers handlers) {
  gDialog = std::move(handlers.dialog);
  gEditKey = std::move(handlers.editKey);
  gMenu = std::move(handlers.menu);
  gMouse = std::move(handlers.mouse);
}
void SetOpenDocumentHandler(OpenDocumentHandler handler) { gOpenDoc = std::move(handler); }
void SetPumpHook(std::function<void()> hook) { gPumpHook = std::move(hook); }
bool EventsPending() { return !gQueue.empty(); }

void ReportError(int code) {
  if (auto h = gError) h(code);
}

void DeliverOpenDocuments(const std::vector<std::string>& paths) {
  if (auto h = gOpenDoc) h(paths);
}

namespace {

void RunPumpHook() {
  if (!gPumpHook || gInPumpHook) return;
  // The hook (the script driver) may itself pump while it waits; it is not
  // re-entered from those nested passes.
  gInPumpHook = true;
  struct Reset {
    ~Reset() { gInPumpHook = false; }
  } reset;
  auto hook = gPumpHook;
  hook();
}

// Kept in a function so a gate installed while the program's values are first set
// (before main) finds it made.
DeliveryGate& Gate() {
  static DeliveryGate gate;
  return gate;
}

bool Holding() {
  const DeliveryGate& g = Gate();
  return g.holding && g.holding();
}

// The window system's own redraws and the application coming and going ask nothing of
// a loop that a later event could take from it: they never hold the queue.
void DeliverThroughGate(const QueuedEvent& e) {
  Deliver(e);
  const bool systemsOwn = e.kind == QueuedEvent::Dialog && (e.a == 5 || e.a == 19);
  if (const auto delivered = Gate().delivered; delivered && !systemsOwn) delivered();
}

// One pass of the window system: the pump hook, the activation asked for, every
// pending event turned into the queue, deferred deletions. False without an
// application, when there is nothing to pass.
bool PassWindowSystemEvents() {
  RunPumpHook();
  if (!QApplication::instance()) return false;
  IssueActivationRequest();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  SettleActivation();
  return true;
}

}  // namespace

void PumpEvents(int idleWaitMs) {
  if (!PassWindowSystemEvents()) return;
  const bool holding = Holding();
  if ((gQueue.empty() || holding) && idleWaitMs > 0) {
    WakeTimer()->start(idleWaitMs);
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    WakeTimer()->stop();
  }
  if (!gQueue.empty() && !holding) {
    QueuedEvent e = std::move(gQueue.front());
    gQueue.pop_front();
    DeliverThroughGate(e);
  }
}

void SettleEvents() {
  if (!PassWindowSystemEvents() || Holding()) return;
  const auto raisedByTheSystem = [](const QueuedEvent& e) {
    return e.kind == QueuedEvent::Dialog && (e.a == 5 || e.a == 18 || e.a == 19);
  };
  const auto it = std::find_if(gQueue.begin(), gQueue.end(), raisedByTheSystem);
  if (it == gQueue.end()) return;
  QueuedEvent e = std::move(*it);
  gQueue.erase(it);
  DeliverThroughGate(e);
}

void SetDeliveryGate(DeliveryGate gate) { Gate() = std::move(gate); }

void FlushEvents() {
  if (QApplication::instance()) {
    IssueActivationRequest();
    gDiscardInput = true;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    gDiscardInput = false;
    SettleActivation();
  }
  gQueue.clear();
}

void PeekEvents() {
  if (QApplication::instance()) QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

KeyMap GetKeys() { return gKeys; }

bool KeyIsDown(int code) {
  if (code < 0 || code > 127) return false;
  return (gKeys[code >> 3] >> (code & 7)) & 1;
}

uint16_t KeyMapWord(const KeyMap& map, int w) {
  if (w < 0 || w > 7) return 0;
  return static_cast<uint16_t>(map[2 * w] | (map[2 * w + 1] << 8));
}

void ClearKeyMap() { gKeys.fill(0); }

void SetKeyDown(int code, bool down) {
  if (code < 0 || code > 127) return;
  uint8_t bit = static_cast<uint8_t>(1u << (code & 7));
  if (down) gKeys[code >> 3] |= bit;
  else gKeys[code >> 3] &= static_cast<uint8_t>(~bit);
}

bool Button() { return gButtonDown || (QGuiApplication::mouseButtons() & Qt::LeftButton); }

Point GetMouse() {
  QPoint global = QGuiApplication::platformName() == "offscreen" ? gMouseGlobal : QCursor::pos();
  WindowRec* r = OutputRec();
  QPoint local = r && r->widget ? r->widget->mapFromGlobal(global) : global;
  return Point{static_cast<int16_t>(local.x()), static_cast<int16_t>(local.y())};
}

int LastClickCount() { return gClickCount; }
Point LastClickPosition() { return Point{static_cast<int16_t>(gClickLocal.x()), static_cast<int16_t>(gClickLocal.y())}; }
int16_t LastClickWindow() { return gClickWindow; }
bool LastPressOnControl() { return gPressOnControl; }

bool ApplicationIsActive() {
  return QGuiApplication::instance() && QGuiApplication::applicationState() == Qt::ApplicationActive;
}

}  // namespace mv::rt
