// The menu model and the menu-bar window that shows it.
#include "runtime/menus.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMetaObject>
#include <QPainter>
#include <QPlainTextEdit>
#include <QStyle>
#include <QStyleOptionMenuItem>
#include <QVBoxLayout>
#include <QWidget>
#include <algorithm>
#include <cctype>
#include <map>
#include <utility>

#include "runtime/internal.h"
#include "runtime/macroman.h"
#include "runtime/system.h"

namespace mv::rt {

using namespace detail;

namespace {

struct Menu {
  std::string title;  // UTF-8
  std::vector<MenuItem> items;
  bool enabled = true;
};

std::map<int16_t, Menu>& Model() {
  static std::map<int16_t, Menu> m;
  return m;
}

std::vector<int16_t>& Bar() {
  static std::vector<int16_t> b;
  return b;
}

QPointer<QWidget> gBarWindow;
QPointer<QMenuBar> gBarWidget;

MenuItem* Item(int16_t menu, int16_t item, bool create) {
  auto it = Model().find(menu);
  if (it == Model().end()) {
    if (!create) return nullptr;
    it = Model().emplace(menu, Menu{}).first;
  }
  auto& items = it->second.items;
  if (item < 1) return nullptr;
  if (static_cast<std::size_t>(item) > items.size()) {
    if (!create) return nullptr;
    items.resize(item);
  }
  return &items[item - 1];
}

// The item's condition: a text command needs a field to act on.
bool Offered(const MenuItem& mi) {
  if (mi.fieldCommand >= 0 && !EditableFieldHasFocus()) return false;
  return !mi.offered || mi.offered();
}

bool ShownEnabled(const MenuItem& mi) {
  return mi.enabled && Offered(mi);
}

bool ShownChecked(const MenuItem& mi) {
  return mi.markedBy ? mi.markedBy() : mi.checked;
}

void SetText(MenuItem& mi, const std::string& utf8) {
  mi.text = utf8;
  mi.separator = utf8 == "-";
}

QString Label(const MenuItem& mi) {
  QString t = QString::fromStdString(mi.text);
  t.replace('&', "&&");
  if (mi.key) t += QString("\tCtrl+%1").arg(QChar(mi.key));
  return t;
}

void FillQMenu(QMenu* qm, int16_t menu, int depth) {
  auto it = Model().find(menu);
  if (it == Model().end()) return;
  qm->setEnabled(it->second.enabled);
  int16_t n = 0;
  for (const MenuItem& mi : it->second.items) {
    ++n;
    if (mi.separator) {
      qm->addSeparator();
      continue;
    }
    if (mi.submenu && depth < 4 && Model().count(mi.submenu)) {
      QMenu* sub = qm->addMenu(QString::fromStdString(mi.text));
      FillQMenu(sub, mi.submenu, depth + 1);
      sub->menuAction()->setData(static_cast<int>(n));
      sub->setEnabled(ShownEnabled(mi) && it->second.enabled);
      continue;
    }
    QAction* a = qm->addAction(Label(mi));
    a->setData(static_cast<int>(n));
    a->setEnabled(ShownEnabled(mi));
    const bool checked = ShownChecked(mi);
    a->setCheckable(checked);
    a->setChecked(checked);
    int16_t item = n;
    QObject::connect(a, &QAction::triggered, a, [menu, item] { TriggerMenuItem(menu, item); });
  }
}

// Item states, check marks and the conditions behind them (the focus of a field, a
// window being built) change without a redraw of the bar, so a menu takes them from
// the model each time it opens.
void RefillOnOpen(QMenu* qm, int16_t menu) {
  QObject::connect(qm, &QMenu::aboutToShow, qm, [qm, menu] {
    for (QMenu* sub : qm->findChildren<QMenu*>(Qt::FindDirectChildrenOnly)) sub->deleteLater();
    qm->clear();
    FillQMenu(qm, menu, 0);
  });
}

void EnsureBarWindow() {
  if (gBarWindow || !QApplication::instance()) return;
  // A slim window at the top of the screen holds the bar, so every numbered
  // window keeps its exact content geometry. It never takes the focus, so
  // using the menus does not deactivate the program's front window.
  auto* w = new QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
                                     Qt::WindowStaysOnTopHint);
  w->setAttribute(Qt::WA_ShowWithoutActivating);
  w->setWindowTitle("Mirevant");
  auto* layout = new QVBoxLayout(w);
  layout->setContentsMargins(0, 0, 0, 0);
  gBarWidget = new QMenuBar(w);
  gBarWidget->setNativeMenuBar(false);
  layout->addWidget(gBarWidget);
  w->setGeometry(0, 0, std::max(400, DisplayWidth()), 22);
  gBarWindow = w;
}

}  // namespace

void detail::TriggerMenuItem(int16_t menu, int16_t item) {
  if (const MenuItem* mi = Item(menu, item, false); mi && mi->fieldCommand >= 0) {
    // Carried out once the menu has closed and the field has its focus back.
    const auto command = static_cast<FieldCommand>(mi->fieldCommand);
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [command] { FocusedFieldCommand(command); }, Qt::QueuedConnection);
    return;
  }
  Enqueue({QueuedEvent::Menu, menu, item, {}, 0});
}

void detail::ResetMenus() {
  Model().clear();
  Bar().clear();
  if (gBarWindow) {
    gBarWindow->hide();
    delete gBarWindow.data();
  }
  gBarWindow = nullptr;
  gBarWidget = nullptr;
}

QWidget* detail::MenuBarWindow() {
  return gBarWindow;
}

void NewMenu(int16_t menu, const Str255& title) {
  Menu m;
  m.title = MacRomanToUtf8(title);
  Model()[menu] = m;
}

void DeleteMenu(int16_t menu) {
  Model().erase(menu);
  auto& b = Bar();
  b.erase(std::remove(b.begin(), b.end(), menu), b.end());
}

bool MenuExists(int16_t menu) {
  return Model().count(menu) != 0;
}

void SetMenuItem(int16_t menu, int16_t item, const Str255& text) {
  if (MenuItem* mi = Item(menu, item, true)) SetText(*mi, MacRomanToUtf8(text));
}

void SetMenuItemUtf8(int16_t menu, int16_t item, const std::string& text) {
  if (MenuItem* mi = Item(menu, item, true)) SetText(*mi, text);
}

void AppendMenuItems(int16_t menu, int16_t fromItem, const std::string& utf8List) {
  int16_t n = fromItem;
  std::size_t start = 0;
  while (start <= utf8List.size()) {
    std::size_t end = utf8List.find(';', start);
    if (end == std::string::npos) end = utf8List.size();
    SetMenuItemUtf8(menu, n++, utf8List.substr(start, end - start));
    start = end + 1;
  }
}

void RemoveMenuItem(int16_t menu, int16_t item) {
  auto it = Model().find(menu);
  if (it == Model().end() || item < 1 || static_cast<std::size_t>(item) > it->second.items.size()) return;
  it->second.items.erase(it->second.items.begin() + (item - 1));
}

int16_t MenuItemCount(int16_t menu) {
  auto it = Model().find(menu);
  return it == Model().end() ? 0 : static_cast<int16_t>(it->second.items.size());
}

MenuItem GetMenuItem(int16_t menu, int16_t item) {
  MenuItem* mi = Item(menu, item, false);
  if (!mi) return MenuItem{};
  MenuItem shown = *mi;
  shown.checked = ShownChecked(*mi);
  return shown;
}

Str255 MenuItemText(int16_t menu, int16_t item) {
  MenuItem* mi = Item(menu, item, false);
  return mi ? Str255(Utf8ToMacRoman(mi->text)) : Str255();
}

void EnableMenuItem(int16_t menu, int16_t item, bool enabled) {
  if (item == 0) {
    if (auto it = Model().find(menu); it != Model().end()) it->second.enabled = enabled;
    return;
  }
  if (MenuItem* mi = Item(menu, item, false)) mi->enabled = enabled;
}

bool MenuItemEnabled(int16_t menu, int16_t item) {
  auto it = Model().find(menu);
  if (it == Model().end()) return false;
  if (item == 0) return it->second.enabled;
  MenuItem* mi = Item(menu, item, false);
  return mi && it->second.enabled && ShownEnabled(*mi);
}

void CheckMenuItem(int16_t menu, int16_t item, bool checked) {
  if (MenuItem* mi = Item(menu, item, false)) mi->checked = checked;
}

bool MenuItemChecked(int16_t menu, int16_t item) {
  MenuItem* mi = Item(menu, item, false);
  return mi && ShownChecked(*mi);
}

void SetMenuItemKey(int16_t menu, int16_t item, char key) {
  if (MenuItem* mi = Item(menu, item, false))
    mi->key = static_cast<char>(std::toupper(static_cast<unsigned char>(key)));
}

void SetSubmenu(int16_t menu, int16_t item, int16_t submenu) {
  if (MenuItem* mi = Item(menu, item, true)) mi->submenu = submenu;
}

void SetMenuItemCondition(int16_t menu, int16_t item, std::function<bool()> offered) {
  if (MenuItem* mi = Item(menu, item, false)) mi->offered = std::move(offered);
}

void SetMenuItemMark(int16_t menu, int16_t item, std::function<bool()> marked) {
  if (MenuItem* mi = Item(menu, item, false)) mi->markedBy = std::move(marked);
}

void SetMenuItemFieldCommand(int16_t menu, int16_t item, FieldCommand command) {
  if (MenuItem* mi = Item(menu, item, false)) mi->fieldCommand = static_cast<int>(command);
}

bool EditableFieldHasFocus() {
  QWidget* fw = QApplication::focusWidget();
  if (!fw || !RecOfWidget(fw)) return false;
  if (auto* line = qobject_cast<QLineEdit*>(fw)) return !line->isReadOnly();
  if (auto* text = qobject_cast<QPlainTextEdit*>(fw)) return !text->isReadOnly();
  return false;
}

void SetMenuBar(const std::vector<int16_t>& menus) {
  Bar() = menus;
}
std::vector<int16_t> MenuBar() {
  return Bar();
}

void DrawMenuBar() {
  EnsureBarWindow();
  if (!gBarWidget) return;
  gBarWidget->clear();
  for (int16_t m : Bar()) {
    auto it = Model().find(m);
    if (it == Model().end()) continue;
    QMenu* qm = gBarWidget->addMenu(QString::fromStdString(it->second.title));
    qm->menuAction()->setData(static_cast<int>(m));
    FillQMenu(qm, m, 0);
    RefillOnOpen(qm, m);
  }
  if (!Bar().empty())
    gBarWindow->show();
  else
    gBarWindow->hide();
}

namespace {

// The bar's title of a menu, as the bar was last drawn; null when it shows none.
QAction* BarTitle(int16_t menu) {
  if (!gBarWidget || !gBarWindow || !gBarWindow->isVisible()) return nullptr;
  for (QAction* a : gBarWidget->actions())
    if (a->menu() && a->data().toInt() == menu) return a;
  return nullptr;
}

// The bar from its left end to the right of the pulled-down menu, with the
// menu's title drawn highlighted as it is while the menu is open.
QImage BarWithOpenTitle(QAction* title, int width) {
  QImage bar = gBarWidget->grab().toImage();
  QImage strip(std::max(width, 1), bar.height(), QImage::Format_ARGB32_Premultiplied);
  strip.fill(gBarWidget->palette().color(QPalette::Window));
  QPainter p(&strip);
  p.drawImage(0, 0, bar);
  QStyleOptionMenuItem opt;
  opt.initFrom(gBarWidget);
  opt.state = QStyle::State_Selected | QStyle::State_Sunken;
  if (title->isEnabled()) opt.state |= QStyle::State_Enabled;
  opt.menuItemType = QStyleOptionMenuItem::Normal;
  opt.checkType = QStyleOptionMenuItem::NotCheckable;
  opt.text = title->text();
  opt.rect = gBarWidget->actionGeometry(title);
  opt.menuRect = gBarWidget->rect();
  opt.font = gBarWidget->font();
  p.setFont(opt.font);
  gBarWidget->style()->drawControl(QStyle::CE_MenuBarItem, &opt, &p, gBarWidget);
  return strip;
}

}  // namespace

QImage detail::OpenMenuImage(int16_t menu) {
  if (!MenuExists(menu) || !QApplication::instance()) return {};
  // The items come from the model, as the bar's menu takes them when it opens.
  QMenu panel;
  FillQMenu(&panel, menu, 0);
  panel.ensurePolished();
  panel.adjustSize();
  const QImage items = panel.grab().toImage();
  QAction* title = BarTitle(menu);
  if (!title) return items;
  const QRect titleRect = gBarWidget->actionGeometry(title);
  const int width = std::max(titleRect.right() + 1, titleRect.left() + items.width());
  const QImage bar = BarWithOpenTitle(title, width);
  QImage open(width, bar.height() + items.height(), QImage::Format_ARGB32_Premultiplied);
  open.fill(Qt::transparent);
  QPainter p(&open);
  p.drawImage(0, 0, bar);
  p.drawImage(titleRect.left(), bar.height(), items);
  return open;
}

namespace {

// Searches a menu and the submenus hanging from it (key equivalents of
// hierarchical items work like those of the bar's own menus).
bool FindKeyIn(int16_t m, char k, int depth, int16_t& menu, int16_t& item) {
  auto it = Model().find(m);
  if (it == Model().end() || !it->second.enabled || depth > 4) return false;
  for (std::size_t i = 0; i < it->second.items.size(); ++i) {
    const MenuItem& mi = it->second.items[i];
    if (mi.key == k && ShownEnabled(mi) && !mi.separator) {
      menu = m;
      item = static_cast<int16_t>(i + 1);
      return true;
    }
  }
  for (const MenuItem& mi : it->second.items)
    if (mi.submenu && ShownEnabled(mi) && FindKeyIn(mi.submenu, k, depth + 1, menu, item)) return true;
  return false;
}

}  // namespace

bool FindMenuKey(char key, int16_t& menu, int16_t& item) {
  char k = static_cast<char>(std::toupper(static_cast<unsigned char>(key)));
  if (!k) return false;
  for (int16_t m : Bar())
    if (FindKeyIn(m, k, 0, menu, item)) return true;
  return false;
}

}  // namespace mv::rt
