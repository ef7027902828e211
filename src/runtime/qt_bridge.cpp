#include "runtime/qt_bridge.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QWindow>

#include "runtime/internal.h"
#include "runtime/macroman.h"

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

namespace {

ControlView ViewOfControl(int16_t number, const ControlRec& c) {
  ControlView v;
  v.number = number;
  v.type = static_cast<int16_t>(c.type);
  v.title = MacRomanToUtf8(c.title.str());
  v.state = c.state;
  v.dimmed = c.state == 0 || c.dimmed;
  v.value = c.value;
  v.shown = c.widget && !c.widget->isHidden();
  if (auto* combo = qobject_cast<QComboBox*>(c.widget.data())) {
    for (int i = 0; i < combo->count(); ++i) v.items.push_back(combo->itemText(i).toStdString());
  } else if (auto* tabs = qobject_cast<QTabBar*>(c.widget.data())) {
    for (int i = 0; i < tabs->count(); ++i) v.items.push_back(tabs->tabText(i).toStdString());
  }
  return v;
}

FieldView ViewOfField(int16_t number, const FieldRec& f) {
  FieldView v;
  v.number = number;
  v.type = f.type;
  v.shown = f.widget && !f.widget->isHidden();
  if (auto* line = qobject_cast<QLineEdit*>(f.widget.data()))
    v.text = line->text().toStdString();
  else if (auto* text = qobject_cast<QPlainTextEdit*>(f.widget.data()))
    v.text = text->toPlainText().toStdString();
  else if (auto* label = qobject_cast<QLabel*>(f.widget.data()))
    v.text = label->text().toStdString();
  return v;
}

}  // namespace

std::optional<WindowView> DescribeWindow(int16_t window) {
  WindowRec* r = FindWindow(window);
  if (!r) return std::nullopt;
  WindowView v;
  v.number = window;
  v.kind = r->kind;
  v.title = r->widget ? r->widget->windowTitle().toStdString() : std::string();
  v.shown = r->widget && r->widget->isVisible();
  for (const auto& [number, c] : r->controls) v.controls.push_back(ViewOfControl(number, c));
  for (const auto& [number, f] : r->fields) v.fields.push_back(ViewOfField(number, f));
  return v;
}

}  // namespace mv::rt::bridge
