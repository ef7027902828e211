// Numbered controls and edit fields of the output window.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QFontMetrics>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardItemModel>
#include <QTabBar>
#include <QTextBlock>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>

#include "runtime/internal.h"
#include "runtime/macroman.h"
#include "runtime/menus.h"
#include "runtime/windows.h"

namespace mv::rt {

using namespace detail;

namespace {

ControlRec* FindControl(int16_t number) {
  WindowRec* w = OutputRec();
  if (!w) return nullptr;
  auto it = w->controls.find(number);
  return it == w->controls.end() ? nullptr : &it->second;
}

FieldRec* FindField(int16_t number) {
  WindowRec* w = OutputRec();
  if (!w) return nullptr;
  auto it = w->fields.find(number);
  return it == w->fields.end() ? nullptr : &it->second;
}

// Buttons never toggle themselves: the program sets every state. A click is
// reported and the shown state put back to what the program last set.
void ApplyButtonState(ControlRec& c) {
  if (!c.widget) return;
  c.widget->setEnabled(c.state != 0 && !c.dimmed);
  if (auto* b = qobject_cast<QAbstractButton*>(c.widget.data())) {
    if (b->isCheckable()) b->setChecked(c.state == 2);
  }
}

void ApplyControlEnabling(ControlRec& c) {
  if (c.type == ControlType::Popup || c.type == ControlType::Tabs || c.type == ControlType::ProgressBar) {
    if (c.widget) c.widget->setEnabled(c.state != 0 && !c.dimmed);
  } else {
    ApplyButtonState(c);
  }
}

void ReportClick(int16_t window, int16_t number) {
  Enqueue({QueuedEvent::Dialog, 1, number, {}, window});
}

// A button that is nothing but its picture, stretched over its whole rectangle: a
// column of picture buttons whose rectangles differ by a pixel or two in height
// still lines up edge to edge (a style's tool button would shrink each picture
// into its frame, keeping proportions, and every one would come out a different
// width). Marked or held down it shows the picture darkened; dimmed, greyed.
class PictureButton final : public QAbstractButton {
 public:
  PictureButton(QWidget* parent, const QPixmap& picture, QSize size) : QAbstractButton(parent) {
    if (picture.isNull()) return;
    normal_ = picture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    marked_ = normal_;
    QPainter p(&marked_);
    p.setCompositionMode(QPainter::CompositionMode_SourceAtop);
    p.fillRect(marked_.rect(), QColor(0, 0, 0, 70));
    p.end();
    QStyleOption option;
    option.initFrom(this);
    dimmed_ = style()->generatedIconPixmap(QIcon::Disabled, normal_, &option);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    if (normal_.isNull()) {
      p.setPen(palette().color(QPalette::Mid));
      p.drawRect(rect().adjusted(0, 0, -1, -1));
      return;
    }
    const QPixmap& shown = !isEnabled() ? dimmed_ : (isChecked() || isDown()) ? marked_ : normal_;
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
    p.drawPixmap(rect(), shown);
  }
  QSize sizeHint() const override { return normal_.isNull() ? QSize(16, 16) : normal_.size(); }

 private:
  QPixmap normal_, marked_, dimmed_;
};

// A radio button or check box acts on a click anywhere in its rectangle, as the
// window's layout gives it, not only on its circle or box and the width of its
// title: a short title ("g") leaves most of the rectangle, where a user clicks it.
template <typename Button>
class WholeRectButton final : public Button {
 public:
  using Button::Button;

 protected:
  bool hitButton(const QPoint& pos) const override { return this->rect().contains(pos); }
};

void Place(QWidget* w, Rect r) {
  w->setGeometry(r.left, r.top, std::max(1, r.width()), std::max(1, r.height()));
  w->show();
}

void DisposeWidget(QPointer<QWidget>& w) {
  if (w) {
    w->hide();
    w->deleteLater();
  }
  w = nullptr;
}

}  // namespace

void detail::FillPopup(ControlRec& rec) {
  auto* combo = qobject_cast<QComboBox*>(rec.widget.data());
  if (!combo) return;
  QSignalBlocker block(combo);
  combo->clear();
  int n = MenuItemCount(rec.menu);
  auto* model = qobject_cast<QStandardItemModel*>(combo->model());
  for (int16_t i = 1; i <= n; ++i) {
    MenuItem mi = GetMenuItem(rec.menu, i);
    combo->addItem(QString::fromStdString(mi.separator ? std::string() : mi.text));
    if (model) {
      QStandardItem* it = model->item(i - 1);
      if (mi.separator || !mi.enabled) it->setFlags(it->flags() & ~(Qt::ItemIsEnabled | Qt::ItemIsSelectable));
    }
  }
  rec.minimum = 1;
  rec.maximum = std::max(1, n);
  if (rec.value >= 1 && rec.value <= n) combo->setCurrentIndex(rec.value - 1);
}

void NewControl(int16_t number, ControlType type, const Str255& title, Rect where, int16_t state) {
  WindowRec* w = OutputRec();
  if (!w) return;
  DisposeControl(number);
  ControlRec c;
  c.type = type;
  c.state = state;
  c.title = title;
  QWidget* widget = nullptr;
  QString text = ToQString(title);
  int16_t win = w->number;
  switch (type) {
    case ControlType::CheckBox:
    case ControlType::RadioButton: {
      QAbstractButton* b = type == ControlType::CheckBox
                               ? static_cast<QAbstractButton*>(new WholeRectButton<QCheckBox>(text, w->widget))
                               : new WholeRectButton<QRadioButton>(text, w->widget);
      b->setCheckable(true);
      b->setAutoExclusive(false);
      widget = b;
      break;
    }
    case ControlType::StaticText: {
      auto* l = new QLabel(text, w->widget);
      widget = l;
      break;
    }
    default: {
      auto* b = new QPushButton(text, w->widget);
      if (type == ControlType::DefaultButton) b->setDefault(true);
      b->setCheckable(true);  // state 2 shows the button marked
      widget = b;
      break;
    }
  }
  widget->setFocusPolicy(Qt::NoFocus);
  if (auto* b = qobject_cast<QAbstractButton*>(widget)) {
    QObject::connect(b, &QAbstractButton::clicked, b, [win, number](bool) {
      WindowRec* r = FindWindow(win);
      if (!r) return;
      auto it = r->controls.find(number);
      if (it != r->controls.end()) ApplyButtonState(it->second);
      ReportClick(win, number);
    });
  }
  c.widget = widget;
  Place(widget, where);
  ApplyButtonState(c);
  w->controls[number] = c;
}

void NewPictureButton(int16_t number, const std::string& imagePath, Rect where, int16_t state,
                      const Str255& title) {
  WindowRec* w = OutputRec();
  if (!w) return;
  DisposeControl(number);
  ControlRec c;
  c.type = ControlType::PictureButton;
  c.state = state;
  c.title = title;
  const QPixmap picture(QString::fromStdString(imagePath));
  auto* b = new PictureButton(w->widget, picture, QSize(std::max(1, where.width()), std::max(1, where.height())));
  b->setFocusPolicy(Qt::NoFocus);
  b->setCheckable(true);
  b->setAccessibleName(ToQString(title));
  int16_t win = w->number;
  QObject::connect(b, &QAbstractButton::clicked, b, [win, number](bool) {
    WindowRec* r = FindWindow(win);
    if (!r) return;
    auto it = r->controls.find(number);
    if (it != r->controls.end()) ApplyButtonState(it->second);
    ReportClick(win, number);
  });
  c.widget = b;
  Place(b, where);
  ApplyButtonState(c);
  w->controls[number] = c;
}

void NewPopupControl(int16_t number, int16_t menuNumber, const Str255& title, Rect where, int16_t value) {
  WindowRec* w = OutputRec();
  if (!w) return;
  DisposeControl(number);
  ControlRec c;
  c.type = ControlType::Popup;
  c.menu = menuNumber;
  c.value = value;
  c.title = title;
  auto* combo = new QComboBox(w->widget);
  combo->setFocusPolicy(Qt::NoFocus);
  c.widget = combo;
  FillPopup(c);
  int16_t win = w->number;
  QObject::connect(combo, QOverload<int>::of(&QComboBox::activated), combo, [win, number](int index) {
    WindowRec* r = FindWindow(win);
    if (!r) return;
    auto it = r->controls.find(number);
    if (it == r->controls.end()) return;
    it->second.value = index + 1;
    ReportClick(win, number);
  });
  Place(combo, where);
  w->controls[number] = c;
}

void NewTabsControl(int16_t number, const std::vector<Str255>& labels, Rect where, int16_t value) {
  WindowRec* w = OutputRec();
  if (!w) return;
  DisposeControl(number);
  ControlRec c;
  c.type = ControlType::Tabs;
  auto* tabs = new QTabBar(w->widget);
  tabs->setFocusPolicy(Qt::NoFocus);
  for (const auto& l : labels) tabs->addTab(ToQString(l));
  c.minimum = 1;
  c.maximum = std::max<int>(1, static_cast<int>(labels.size()));
  c.value = std::clamp<int>(value, 1, c.maximum);
  tabs->setCurrentIndex(c.value - 1);
  int16_t win = w->number;
  QObject::connect(tabs, &QTabBar::tabBarClicked, tabs, [win, number](int index) {
    WindowRec* r = FindWindow(win);
    if (!r || index < 0) return;
    auto it = r->controls.find(number);
    if (it == r->controls.end()) return;
    it->second.value = index + 1;
    ReportClick(win, number);
  });
  c.widget = tabs;
  Place(tabs, where);
  w->controls[number] = c;
}

void NewProgressBar(int16_t number, Rect where, int minimum, int maximum, int value) {
  WindowRec* w = OutputRec();
  if (!w) return;
  DisposeControl(number);
  ControlRec c;
  c.type = ControlType::ProgressBar;
  auto* bar = new QProgressBar(w->widget);
  bar->setTextVisible(false);
  c.widget = bar;
  c.minimum = minimum;
  c.maximum = std::max(minimum, maximum);
  bar->setRange(c.minimum, c.maximum);
  c.value = std::clamp(value, c.minimum, c.maximum);
  bar->setValue(c.value);
  Place(bar, where);
  w->controls[number] = c;
}

bool ControlExists(int16_t number) { return FindControl(number) != nullptr; }

void DisposeControl(int16_t number) {
  WindowRec* w = OutputRec();
  if (!w) return;
  auto it = w->controls.find(number);
  if (it == w->controls.end()) return;
  DisposeWidget(it->second.widget);
  w->controls.erase(it);
}

void SetControlState(int16_t number, int16_t state) {
  if (ControlRec* c = FindControl(number)) {
    c->state = state;
    ApplyControlEnabling(*c);
  }
}

void SetControlDimmed(int16_t number, bool dimmed) {
  if (ControlRec* c = FindControl(number)) {
    c->dimmed = dimmed;
    ApplyControlEnabling(*c);
  }
}

bool ControlDimmed(int16_t number) {
  const ControlRec* c = FindControl(number);
  return !c || c->state == 0 || c->dimmed;
}

int16_t ControlState(int16_t number) {
  ControlRec* c = FindControl(number);
  return c ? c->state : 0;
}

namespace {

// Swallows a window's requests to paint now; what they would have painted stays
// marked and is painted at the window's next paint.
class HoldPaintRequests final : public QObject {
 public:
  bool eventFilter(QObject*, QEvent* e) override { return e->type() == QEvent::UpdateRequest; }
};

}  // namespace

void SetControlValue(int16_t number, int value) {
  ControlRec* c = FindControl(number);
  if (!c) return;
  switch (c->type) {
    case ControlType::Popup:
      FillPopup(*c);
      c->value = std::clamp(value, 1, std::max(1, c->maximum));
      if (auto* combo = qobject_cast<QComboBox*>(c->widget.data())) combo->setCurrentIndex(c->value - 1);
      break;
    case ControlType::Tabs:
      c->value = std::clamp(value, c->minimum, c->maximum);
      if (auto* t = qobject_cast<QTabBar*>(c->widget.data())) {
        QSignalBlocker b(t);
        t->setCurrentIndex(c->value - 1);
      }
      break;
    case ControlType::ProgressBar:
      // Callers may pass values beyond the range; the bar shows them clamped.
      c->value = std::clamp(value, c->minimum, c->maximum);
      if (auto* p = qobject_cast<QProgressBar*>(c->widget.data()); p && p->value() != c->value) {
        // The bar asks to be painted at once when it has grown enough to show, and with
        // it everything else waiting to be painted in its window: inside a recording's
        // sample. That request is held back; the bar is painted with its window.
        static HoldPaintRequests hold;
        QWidget* top = p->window();
        top->installEventFilter(&hold);
        p->setValue(c->value);
        top->removeEventFilter(&hold);
      }
      break;
    default:
      c->value = value;
      break;
  }
}

int ControlValue(int16_t number) {
  ControlRec* c = FindControl(number);
  return c ? c->value : 0;
}

void SetControlRange(int16_t number, int minimum, int maximum) {
  ControlRec* c = FindControl(number);
  if (!c) return;
  c->minimum = minimum;
  c->maximum = std::max(minimum, maximum);
  c->value = std::clamp(c->value, c->minimum, c->maximum);
  if (auto* p = qobject_cast<QProgressBar*>(c->widget.data())) {
    p->setRange(c->minimum, c->maximum);
    p->setValue(c->value);
  }
}

void SetControlTitle(int16_t number, const Str255& title) {
  ControlRec* c = FindControl(number);
  if (!c) return;
  c->title = title;
  if (auto* b = qobject_cast<QAbstractButton*>(c->widget.data())) b->setText(ToQString(title));
  if (auto* l = qobject_cast<QLabel*>(c->widget.data())) l->setText(ToQString(title));
}

Str255 ControlTitle(int16_t number) {
  ControlRec* c = FindControl(number);
  return c ? c->title : Str255();
}

void MoveControl(int16_t number, Rect where) {
  if (ControlRec* c = FindControl(number); c && c->widget) Place(c->widget, where);
}

void OpenPopupList(int16_t number) {
  ControlRec* c = FindControl(number);
  if (!c || c->type != ControlType::Popup || c->state == 0 || c->dimmed) return;
  if (auto* combo = qobject_cast<QComboBox*>(c->widget.data())) combo->showPopup();
}

std::vector<int16_t> Controls(int16_t window) {
  std::vector<int16_t> v;
  if (WindowRec* w = FindWindow(window))
    for (auto& [n, c] : w->controls) v.push_back(n);
  return v;
}

// ---- edit fields ----------------------------------------------------------------------------

namespace {

bool IsEditable(int16_t type) { return type >= 0 && type <= 4; }
bool IsSingleLine(int16_t type) { return type == 1 || type == 3; }

Qt::Alignment AlignFor(int16_t justification) {
  switch (justification) {
    case 2:
      return Qt::AlignHCenter;
    case 3:
      return Qt::AlignRight;
    default:
      return Qt::AlignLeft;
  }
}

// How a one-line text is shown in a field of some width and font: `shown` (the
// text, or its start with an ellipsis) in `font`.
struct FittedText {
  QFont font;
  QString shown;
};

struct FitKey {
  QString text;
  int width;
  QFont font;
  bool operator==(const FitKey&) const = default;
};

size_t qHash(const FitKey& k, size_t seed = 0) {
  return qHashMulti(seed, k.text, k.width, k.font);
}

// Fitting measures and shapes the text at every size it tries, and a recording's
// readouts repaint many times a second, mostly with texts they had before: the
// fittings are kept by text, width and font, a bounded number of them.
const FittedText& FitOneLine(const QString& text, int width, const QFont& base) {
  static QHash<FitKey, FittedText> fitted;
  constexpr qsizetype kMostKept = 4096;
  constexpr int kSmallestPixels = 7;
  FitKey key{text, width, base};
  if (auto it = fitted.constFind(key); it != fitted.cend()) return *it;
  if (fitted.size() >= kMostKept) fitted.clear();
  QString shown = text;
  shown.replace('\n', ' ');
  QFont f = base;
  int px = QFontInfo(f).pixelSize();
  while (px > kSmallestPixels && QFontMetrics(f).horizontalAdvance(shown) > width) f.setPixelSize(--px);
  // The eliding measures the text its own way (a text that just fits by its advance
  // may still lose its end): it has the last word, as it always had.
  shown = QFontMetrics(f).elidedText(shown, Qt::ElideRight, width);
  return *fitted.insert(std::move(key), FittedText{f, shown});
}

// A static field. One whose rectangle holds a single line of its font never wraps:
// a wrapped count in a short status field shows only its first word, the number
// itself falling below the field. A text too wide for the field is drawn in a
// smaller font, down to 7 pixels, and what still does not fit is cut at its end
// with an ellipsis. Only the drawing changes: text() stays the whole text.
// Fields tall enough for two lines wrap as usual.
class StaticTextLabel final : public QLabel {
 public:
  using QLabel::QLabel;

 protected:
  void paintEvent(QPaintEvent* event) override {
    if (height() >= 2 * fontMetrics().lineSpacing()) {
      QLabel::paintEvent(event);
      return;
    }
    const QRect area = contentsRect();
    const FittedText& fit = FitOneLine(text(), area.width(), font());
    QPainter p(this);
    p.setFont(fit.font);
    style()->drawItemText(&p, area, static_cast<int>(alignment()) | Qt::TextSingleLine, palette(),
                          isEnabled(), fit.shown, foregroundRole());
  }
};

// Several-line fields keep CR line ends in the program; Qt wants "\n".
QString FieldText(std::string_view macRoman) {
  QString s = ToQString(macRoman);
  s.replace("\r\n", "\n");
  s.replace('\r', '\n');
  return s;
}

}  // namespace

void NewEditField(int16_t number, std::string_view text, Rect where, int16_t type, int16_t justification) {
  WindowRec* w = OutputRec();
  if (!w) return;
  if (FieldRec* f = FindField(number); f && f->widget && f->type == type) {
    Place(f->widget, where);
    SetEditText(number, text);
    return;
  }
  DisposeEditField(number);
  FieldRec f;
  f.type = type;
  QWidget* widget = nullptr;
  if (IsSingleLine(type)) {
    auto* e = new QLineEdit(w->widget);
    e->setText(FieldText(text));
    e->setAlignment(AlignFor(justification) | Qt::AlignVCenter);
    e->setFrame(type == 3);
    e->selectAll();
    widget = e;
  } else if (IsEditable(type)) {
    auto* e = new QPlainTextEdit(w->widget);
    e->setPlainText(FieldText(text));
    e->selectAll();
    widget = e;
  } else {
    auto* l = new StaticTextLabel(FieldText(text), w->widget);
    f.staticText = text;
    l->setAlignment(AlignFor(justification) | Qt::AlignTop);
    l->setWordWrap(true);
    widget = l;
  }
  f.widget = widget;
  Place(widget, where);
  w->fields[number] = f;
}

bool EditFieldExists(int16_t number) { return FindField(number) != nullptr; }

void DisposeEditField(int16_t number) {
  WindowRec* w = OutputRec();
  if (!w) return;
  auto it = w->fields.find(number);
  if (it == w->fields.end()) return;
  DisposeWidget(it->second.widget);
  w->fields.erase(it);
}

void SetEditText(int16_t number, std::string_view text) {
  FieldRec* f = FindField(number);
  if (!f || !f->widget) return;
  if (auto* e = qobject_cast<QLineEdit*>(f->widget.data())) e->setText(FieldText(text));
  else if (auto* p = qobject_cast<QPlainTextEdit*>(f->widget.data())) p->setPlainText(FieldText(text));
  else if (auto* l = qobject_cast<QLabel*>(f->widget.data())) {
    // A label is repainted only when its text changed.
    if (text == f->staticText) return;
    f->staticText = text;
    if (QString t = FieldText(text); t != l->text()) l->setText(t);
  }
}

std::string EditText(int16_t number) {
  FieldRec* f = FindField(number);
  if (!f || !f->widget) return {};
  QString s;
  if (auto* e = qobject_cast<QLineEdit*>(f->widget.data())) s = e->text();
  else if (auto* p = qobject_cast<QPlainTextEdit*>(f->widget.data())) s = p->toPlainText();
  else if (auto* l = qobject_cast<QLabel*>(f->widget.data())) s = l->text();
  s.replace('\n', '\r');
  return FromQString(s);
}

void SetEditColors(int16_t number, RGBColor text, RGBColor background) {
  FieldRec* f = FindField(number);
  if (!f || !f->widget) return;
  QPalette pal = f->widget->palette();
  const QColor fore = ToQColor(text), back = ToQColor(background);
  // The recording sets a readout's colours with every sample: only a change repaints.
  if (f->widget->autoFillBackground() && pal.color(QPalette::Text) == fore &&
      pal.color(QPalette::WindowText) == fore && pal.color(QPalette::Base) == back &&
      pal.color(QPalette::Window) == back)
    return;
  pal.setColor(QPalette::Text, fore);
  pal.setColor(QPalette::WindowText, fore);
  pal.setColor(QPalette::Base, back);
  pal.setColor(QPalette::Window, back);
  f->widget->setPalette(pal);
  f->widget->setAutoFillBackground(true);
}

void SetEditFont(int16_t number, const FontSpec& font) {
  FieldRec* f = FindField(number);
  if (!f || !f->widget) return;
  f->font = font;
  f->widget->setFont(ToQFont(font));
}

FontSpec EditFont(int16_t number) {
  const FieldRec* f = FindField(number);
  return f ? f->font : FontSpec{};
}

int EditFieldWidth(int16_t number) {
  const FieldRec* f = FindField(number);
  return f && f->widget ? f->widget->width() : 0;
}

void SelectEditText(int16_t number, int start, int end) {
  FieldRec* f = FindField(number);
  if (!f || !f->widget) return;
  if (auto* e = qobject_cast<QLineEdit*>(f->widget.data())) {
    int len = e->text().size();
    start = std::clamp(start, 0, len);
    end = end < 0 ? len : std::clamp(end, start, len);
    if (start == end) e->setCursorPosition(start);
    else e->setSelection(start, end - start);
  } else if (auto* p = qobject_cast<QPlainTextEdit*>(f->widget.data())) {
    QTextCursor c = p->textCursor();
    int len = p->toPlainText().size();
    start = std::clamp(start, 0, len);
    end = end < 0 ? len : std::clamp(end, start, len);
    c.setPosition(start);
    c.setPosition(end, QTextCursor::KeepAnchor);
    p->setTextCursor(c);
  }
}

std::pair<int, int> EditSelection(int16_t number) {
  FieldRec* f = FindField(number);
  if (!f || !f->widget) return {0, 0};
  if (auto* e = qobject_cast<QLineEdit*>(f->widget.data())) {
    if (e->hasSelectedText()) return {e->selectionStart(), e->selectionEnd()};
    return {e->cursorPosition(), e->cursorPosition()};
  }
  if (auto* p = qobject_cast<QPlainTextEdit*>(f->widget.data())) {
    QTextCursor c = p->textCursor();
    return {c.selectionStart(), c.selectionEnd()};
  }
  return {0, 0};
}

void FocusEditField(int16_t number) {
  WindowRec* w = OutputRec();
  if (!w) return;
  if (number == 0) {
    if (QWidget* fw = QApplication::focusWidget(); fw && RecOfWidget(fw) == w) fw->clearFocus();
    if (w->widget) w->widget->setFocus();
    return;
  }
  FieldRec* f = FindField(number);
  if (f && f->widget && IsEditable(f->type)) f->widget->setFocus(Qt::OtherFocusReason);
}

int16_t FocusedEditField() {
  WindowRec* w = OutputRec();
  if (!w) return 0;
  QWidget* fw = w->widget ? w->widget->focusWidget() : nullptr;
  if (!fw) return 0;
  for (auto& [n, f] : w->fields)
    if (f.widget == fw && IsEditable(f.type)) return n;
  return 0;
}

int16_t EditFieldType(int16_t number) {
  FieldRec* f = FindField(number);
  return f ? f->type : 0;
}

std::vector<int16_t> EditFields(int16_t window) {
  std::vector<int16_t> v;
  if (WindowRec* w = FindWindow(window))
    for (auto& [n, f] : w->fields) v.push_back(n);
  return v;
}

void InsertIntoFocusedField(std::string_view macRoman) {
  QWidget* fw = QApplication::focusWidget();
  if (!fw || !RecOfWidget(fw)) return;
  // Control characters (Escape, Home...) are never text; a CR starts a new line
  // in a several-line field.
  const bool severalLines = qobject_cast<QPlainTextEdit*>(fw) != nullptr;
  std::string clean;
  for (char ch : macRoman)
    if ((static_cast<unsigned char>(ch) >= 32 && ch != 127) || (ch == '\r' && severalLines)) clean += ch;
  if (clean.empty()) return;
  QString s = FieldText(clean);
  if (auto* e = qobject_cast<QLineEdit*>(fw)) e->insert(s);
  else if (auto* p = qobject_cast<QPlainTextEdit*>(fw)) p->insertPlainText(s);
}

bool FocusedFieldCommand(FieldCommand command) {
  QWidget* fw = QApplication::focusWidget();
  if (!fw || !RecOfWidget(fw)) return false;
  if (auto* e = qobject_cast<QLineEdit*>(fw)) {
    switch (command) {
      case FieldCommand::Undo: e->undo(); break;
      case FieldCommand::Cut: e->cut(); break;
      case FieldCommand::Copy: e->copy(); break;
      case FieldCommand::Paste: e->paste(); break;
      case FieldCommand::Clear: e->del(); break;
      case FieldCommand::SelectAll: e->selectAll(); break;
    }
    return true;
  }
  if (auto* p = qobject_cast<QPlainTextEdit*>(fw)) {
    switch (command) {
      case FieldCommand::Undo: p->undo(); break;
      case FieldCommand::Cut: p->cut(); break;
      case FieldCommand::Copy: p->copy(); break;
      case FieldCommand::Paste: p->paste(); break;
      case FieldCommand::Clear: p->textCursor().removeSelectedText(); break;
      case FieldCommand::SelectAll: p->selectAll(); break;
    }
    return true;
  }
  return false;
}

}  // namespace mv::rt
