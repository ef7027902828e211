// Open and save panels and the colour picker, answered by the script driver
// when one runs.
#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>

#include <chrono>
#include <deque>

#include "runtime/events.h"
#include "runtime/internal.h"
#include "runtime/panels.h"

namespace mv::rt {
namespace {

std::deque<std::optional<std::string>> gPanelAnswers;
std::deque<std::optional<RGBColor>> gColorAnswers;
bool gScripted = false;
std::function<void(const std::string&)> gWaitNotice;

// A scripted panel waits for the script to answer it, for at most 30 s.
template <typename Queue>
bool WaitForAnswer(Queue& q, const std::string& what) {
  if (!q.empty() || !gScripted) return !q.empty();
  detail::NoteScriptedWait(what);
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (q.empty() && std::chrono::steady_clock::now() < end) PumpEvents(5);
  return !q.empty();
}

}  // namespace

void detail::ResetPanels() {
  gPanelAnswers.clear();
  gColorAnswers.clear();
  gScripted = false;
  gWaitNotice = nullptr;
}

void QueuePanelAnswer(std::optional<std::string> path) { gPanelAnswers.push_back(std::move(path)); }
void QueueColorAnswer(std::optional<RGBColor> color) { gColorAnswers.push_back(color); }
bool HasQueuedPanelAnswer() { return !gPanelAnswers.empty(); }
void SetScriptedPanels(bool scripted) { gScripted = scripted; }
bool detail::PanelsScripted() { return gScripted; }
void SetScriptedWaitNotice(std::function<void(const std::string&)> notice) { gWaitNotice = std::move(notice); }
void detail::NoteScriptedWait(const std::string& what) {
  if (gWaitNotice) gWaitNotice(what);
}

std::optional<std::string> OpenFilePanel(const std::string& prompt, const std::vector<std::string>& extensions) {
  if (WaitForAnswer(gPanelAnswers, "the open panel \"" + prompt + "\"")) {
    auto a = gPanelAnswers.front();
    gPanelAnswers.pop_front();
    return a;
  }
  if (gScripted) return std::nullopt;
  QString filter;
  if (!extensions.empty()) {
    filter = "Files (";
    for (const auto& e : extensions) filter += QString("*.%1 ").arg(QString::fromStdString(e));
    filter += ");;All files (*)";
  }
  QString f = QFileDialog::getOpenFileName(nullptr, QString::fromStdString(prompt), QString(), filter);
  if (f.isEmpty()) return std::nullopt;
  return f.toStdString();
}

std::optional<std::string> SaveFilePanel(const std::string& prompt, const std::string& proposedName) {
  if (WaitForAnswer(gPanelAnswers, "the save panel \"" + prompt + "\" proposing \"" + proposedName + "\"")) {
    auto a = gPanelAnswers.front();
    gPanelAnswers.pop_front();
    return a;
  }
  if (gScripted) return std::nullopt;
  QString f = QFileDialog::getSaveFileName(nullptr, QString::fromStdString(prompt), QString::fromStdString(proposedName));
  if (f.isEmpty()) return std::nullopt;
  return f.toStdString();
}

bool PickColor(const std::string& prompt, RGBColor& color) {
  if (WaitForAnswer(gColorAnswers, "the colour picker \"" + prompt + "\"")) {
    auto a = gColorAnswers.front();
    gColorAnswers.pop_front();
    if (!a) return false;
    color = *a;
    return true;
  }
  if (gScripted) return false;
  const QColor initial = detail::ToQColor(color);
  QColor c = QColorDialog::getColor(initial, nullptr, QString::fromStdString(prompt));
  if (!c.isValid()) return false;
  // The dialog works in 8 bits: a colour it hands back unchanged keeps its 16-bit components.
  if (c.rgb() == initial.rgb()) return true;
  const QRgba64 v = c.rgba64();
  color = RGBColor{v.red(), v.green(), v.blue()};
  return true;
}

}  // namespace mv::rt
