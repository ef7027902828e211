// Internal structures of the runtime: the window registry and the event queue.
// Included only by the runtime's own .cpp files and qt_bridge.cpp.
#pragma once
#include <QImage>
#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "runtime/types.h"
#include "runtime/windows.h"

class QAbstractButton;

namespace mv::rt::detail {

struct ControlRec {
  ControlType type = ControlType::PushButton;
  QPointer<QWidget> widget;
  int16_t state = 1;
  bool dimmed = false;  // dimmed whatever the state, which keeps its mark
  int value = 0, minimum = 0, maximum = 1;
  int16_t menu = 0;     // popup controls: the menu that holds the items
  Str255 title;
};

struct FieldRec {
  int16_t type = 1;
  QPointer<QWidget> widget;
  // A static field's text as the program last gave it (Mac Roman): a recording gives
  // its readouts and status fields their texts with every sample, mostly unchanged.
  std::string staticText;
  FontSpec font;  // as the program last set it
};

class WindowWidget;

struct WindowRec {
  int16_t number = 0;
  int16_t kind = 6;
  QPointer<WindowWidget> widget;
  QImage canvas;
  RGBColor background{0xEEEE, 0xEEEE, 0xEEEE};
  std::map<int16_t, ControlRec> controls;
  std::map<int16_t, FieldRec> fields;
  FontSpec textFont;
  RGBColor textColor{0, 0, 0};
  Point pen;
  uint64_t activationOrder = 0;
  Rect cursorArea;  // SetAreaCursor; empty: the arrow everywhere
  CursorShape cursorShape = CursorShape::Arrow;
  // What the canvas's painters have asked to repaint since the window last painted,
  // as one rectangle: the drawing of one pass grows it rather than adding to the
  // window's dirty region piece by piece.
  QRect awaitingRepaint;
};

// The top-level widget of a numbered window: shows its canvas.
class WindowWidget : public QWidget {
  Q_OBJECT
 public:
  WindowWidget(int16_t number, Qt::WindowFlags flags);
  int16_t number() const { return number_; }

 protected:
  void paintEvent(QPaintEvent*) override;
  void closeEvent(QCloseEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;

 public:
  // The pointer's shape for a position in the window, by its cursor area.
  void UpdateCursor(QPoint local);

 private:
  int16_t number_;
};

std::map<int16_t, std::unique_ptr<WindowRec>>& Windows();
WindowRec* FindWindow(int16_t number);
WindowRec* OutputRec();                       // the current output window, or null
WindowRec* RecOfWidget(const QWidget* w);     // the numbered window a widget belongs to
int16_t WindowNumberOf(const QWidget* w);     // 0 when not one of ours
void CloseAllWindows();
// A resizable window's canvas made the size of its widget: what was drawn stays,
// the rest takes the background colour. True when the size changed.
bool FitCanvasToWidget(WindowRec& r);

// The queue of events waiting to be handed to the program's handlers; one is
// delivered per pump pass, as a window loop expects one event per pass.
struct QueuedEvent {
  enum Kind { Dialog, EditKey, Menu, Mouse } kind = Dialog;
  int16_t a = 0, b = 0;      // dialog kind and item; menu and item; click count
  std::string key;           // edit key
  int16_t window = 0;        // the window the event came from (0: none, e.g. the menu bar)
};
void Enqueue(QueuedEvent e);
void ClearQueue();
bool QueueEmpty();

// The program's window order: OpenWindow and BringWindowForward put a window in
// front; user clicks and activations never change it.
void NoteBroughtForward(int16_t number);
// The front window by the program's order, or null; `showing`, about to show,
// counts as shown.
WindowRec* FrontRec(const WindowRec* showing = nullptr);
bool IsCompanion(const WindowRec& r);
void ReactivateFrontWindow();
// Asks the window system to activate a window of the program. Until it reports that
// window active, every activation change is the program's doing (superseded requests
// still arrive, offscreen at the next pass, X11 after a round trip), and none is
// reported as the user's.
void RequestActivation(int16_t number, QWidget* widget);
void ExpectApplicationBlink();

// Installs the event filter (once) and resets input state.
void InstallEventFilter();
void ResetEvents();
void ResetMenus();
void ResetPanels();
void ResetPrinting();
// True while a script answers the panels and dialogs (SetScriptedPanels).
bool PanelsScripted();
// Tells the script, once, that a panel or dialog waits for an answer it has not queued.
void NoteScriptedWait(const std::string& what);
QWidget* MenuBarWindow();
// Menu M as it looks pulled down (with its title in the bar when the bar shows
// it); a null image when there is no menu M.
QImage OpenMenuImage(int16_t menu);
void TriggerMenuItem(int16_t menu, int16_t item);
void FillPopup(ControlRec& rec);

QColor ToQColor(RGBColor c);
QString ToQString(std::string_view macRoman);
std::string FromQString(const QString& s);
QFont ToQFont(const FontSpec& f);

}  // namespace mv::rt::detail
