#include "runtime/qt_bridge.h"

#include <QWindow>

#include "runtime/internal.h"

namespace mv::rt::bridge {

using namespace detail;

QWidget* WindowWidget(int16_t window) {
  WindowRec* r = FindWindow(window);
  return r ? r->widget.data() : nullptr;
}

QWidget* ControlWidget(int16_t window, int16_t control) {
  WindowRec* r = FindWindow(window);
  if (!r) return nullptr;
  auto it = r->controls.find(control);
  return it == r->controls.end() ? nullptr : it->second.widget.data();
}

QWidget* EditFieldWidget(int16_t window, int16_t field) {
  WindowRec* r = FindWindow(window);
  if (!r) return nullptr;
  auto it = r->fields.find(field);
  return it == r->fields.end() ? nullptr : it->second.widget.data();
}

QWidget* MenuBarWindow() { return detail::MenuBarWindow(); }

QImage OpenMenuImage(int16_t menu) { return detail::OpenMenuImage(menu); }

void ChooseMenuItem(int16_t menu, int16_t item) { TriggerMenuItem(menu, item); }

void DragWindowSize(int16_t window, int width, int height) {
  WindowRec* r = FindWindow(window);
  if (!r || !r->widget) return;
  QWidget* w = r->widget;
  w->winId();
  const QSize size = QSize(width, height).expandedTo(w->minimumSize()).boundedTo(w->maximumSize());
  w->windowHandle()->resize(size);
}

}  // namespace mv::rt::bridge
