// The help window (a QTextBrowser of its own) and text views in numbered windows.
#include "runtime/help.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QTextBrowser>
#include <QUrl>
#include <algorithm>
#include <map>
#include <utility>

#include "runtime/internal.h"
#include "runtime/macroman.h"

namespace mv::rt {

using namespace detail;

namespace {

// QTextBrowser keeps its viewport margins protected; text views need them.
class TextView : public QTextBrowser {
 public:
  using QTextBrowser::QTextBrowser;
  void SetMargins(int l, int t, int r, int b) {
    setViewportMargins(l, t, r, b);
    margins_ = {l, t, r, b};
  }
  std::array<int, 4> Margins() const { return margins_; }

 private:
  std::array<int, 4> margins_{0, 0, 0, 0};
};

QPointer<QTextBrowser> gHelp;
std::string gHelpPath;
std::map<std::pair<int16_t, int16_t>, QPointer<TextView>> gViews;

TextView* FindView(int16_t window, int16_t view) {
  auto it = gViews.find({window, view});
  if (it == gViews.end()) return nullptr;
  if (!it->second) {
    gViews.erase(it);
    return nullptr;
  }
  return it->second.data();
}

QTextBrowser* HelpBrowser() {
  if (!gHelp) {
    auto* b = new QTextBrowser(nullptr);
    b->setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    b->setWindowTitle("Mirevant Help");
    b->setOpenExternalLinks(true);
    // The program's dialogs keep the keyboard while help is read beside them.
    b->setAttribute(Qt::WA_ShowWithoutActivating);
    b->setGeometry(140, 90, 560, 600);
    gHelp = b;
  }
  return gHelp;
}

}  // namespace

bool ShowHelpPage(const std::string& path, const std::string& anchor) {
  if (!QApplication::instance()) return false;
  QFileInfo fi(QString::fromStdString(path));
  if (!fi.isFile() || !fi.isReadable()) return false;
  QTextBrowser* b = HelpBrowser();
  QUrl url = QUrl::fromLocalFile(fi.absoluteFilePath());
  if (!anchor.empty()) url.setFragment(QString::fromStdString(anchor));
  b->setSearchPaths({fi.absolutePath()});
  b->setSource(url);
  gHelpPath = path;
  // Some window systems activate the viewer all the same: the front window takes
  // the keyboard back, and neither change is the user's.
  b->show();
  b->raise();
  ReactivateFrontWindow();
  return true;
}

std::string HelpPageShown() {
  return gHelp && gHelp->isVisible() ? gHelpPath : std::string();
}

void CloseHelpWindow() {
  if (gHelp) {
    gHelp->hide();
    delete gHelp.data();
  }
  gHelp = nullptr;
  gHelpPath.clear();
}

void NewTextView(int16_t window, int16_t view, Rect where) {
  WindowRec* r = FindWindow(window);
  if (!r || !r->widget) return;
  if (TextView* old = FindView(window, view)) delete old;
  auto* v = new TextView(r->widget);
  v->setReadOnly(true);
  v->setOpenExternalLinks(true);
  v->setFocusPolicy(Qt::NoFocus);  // keys stay with the window's own handling
  v->setGeometry(where.left, where.top, std::max(1, where.width()), std::max(1, where.height()));
  v->show();
  gViews[{window, view}] = v;
}

bool TextViewExists(int16_t window, int16_t view) {
  return FindView(window, view) != nullptr;
}

bool LoadTextViewFile(int16_t window, int16_t view, const std::string& path) {
  TextView* v = FindView(window, view);
  QFile f(QString::fromStdString(path));
  if (!f.open(QIODevice::ReadOnly)) return false;
  QByteArray bytes = f.readAll();
  if (!v) return true;
  if (bytes.trimmed().startsWith('<')) {
    v->setHtml(QString::fromUtf8(bytes));
  } else {
    QString text = QString::fromStdString(MacRomanToUtf8(std::string_view(bytes.constData(), bytes.size())));
    text.replace("\r\n", "\n");
    text.replace('\r', '\n');
    v->setPlainText(text);
  }
  return true;
}

void SetTextViewMargins(int16_t window, int16_t view, int left, int top, int right, int bottom) {
  if (TextView* v = FindView(window, view)) v->SetMargins(left, top, right, bottom);
}

std::array<int, 4> TextViewMargins(int16_t window, int16_t view) {
  TextView* v = FindView(window, view);
  return v ? v->Margins() : std::array<int, 4>{0, 0, 0, 0};
}

std::string TextViewPlainText(int16_t window, int16_t view) {
  TextView* v = FindView(window, view);
  if (!v) return {};
  QString s = v->toPlainText();
  s.replace('\n', '\r');
  return FromQString(s);
}

}  // namespace mv::rt
