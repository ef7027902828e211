#include "runtime/printing.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>
#include <QString>
#include <QStringList>
#include <filesystem>

#include "runtime/macroman.h"
#include "runtime/system.h"

namespace mv::rt {

namespace {
std::string gJobName;
}

void SetPrintJobName(const std::string& name) {
  gJobName = name;
}

std::string PrintJobName() {
  return gJobName;
}

std::string PrintTextToPdf(const std::string& macRomanText) {
  // The job name comes from the program; only its last part names the file, so it
  // can never point outside the documents folder.
  std::string name = std::filesystem::path(gJobName).filename().string();
  if (name.empty()) name = "untitled.pdf";
  std::error_code ec;
  std::filesystem::create_directories(DocumentsDir(), ec);
  const std::string path = (std::filesystem::path(DocumentsDir()) / name).string();

  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromStdString(path));
  printer.setDocName(QString::fromStdString(name));
  QPainter painter;
  if (!painter.begin(&printer)) return {};
  QFont font("DejaVu Sans Mono");
  font.setStyleHint(QFont::Monospace);
  font.setPointSizeF(9);
  painter.setFont(font);
  const QFontMetrics metrics(font, painter.device());
  const QRect page = painter.viewport();
  const int lineHeight = metrics.lineSpacing();
  QString text = QString::fromStdString(MacRomanToUtf8(macRomanText));
  text.replace("\r\n", "\n").replace('\r', '\n');
  int y = metrics.ascent();
  for (const QString& line : text.split('\n')) {
    if (y > page.height() - lineHeight && y > metrics.ascent()) {
      printer.newPage();
      y = metrics.ascent();
    }
    painter.drawText(0, y, line);
    y += lineHeight;
  }
  if (!painter.end()) return {};
  return std::filesystem::exists(path) ? path : std::string();
}

}  // namespace mv::rt
