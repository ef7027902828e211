#include "runtime/printing.h"

#include <QBuffer>
#include <QByteArray>
#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QSaveFile>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <chrono>
#include <deque>

#include "runtime/events.h"
#include "runtime/internal.h"
#include "runtime/macroman.h"

namespace mv::rt {

namespace {

std::string gJobName;
std::deque<std::optional<std::string>> gPrintAnswers;

// Page positions of the heading, in points from the printable area's top left.
constexpr double kHeadingLeft = 140, kBodyLeft = 5, kBodyTop = 105;
constexpr double kHeadingBaselines[] = {28, 50, 70, 94};
constexpr double kHeadingSizes[] = {18, 14, 12, 12};
constexpr double kLogoWidth = 130, kLogoHeight = 95;
constexpr double kLargestBodySize = 9, kSmallestBodySize = 5;

QStringList Lines(const std::string& macRoman) {
  QString text = QString::fromStdString(MacRomanToUtf8(macRoman));
  text.replace("\r\n", "\n").replace('\r', '\n');
  if (text.endsWith('\n')) text.chop(1);
  return text.isEmpty() ? QStringList() : text.split('\n');
}

// The script's answer, waiting for one (at most 30 s) while a script runs. False when
// the real dialogs are to be shown.
bool TakeScriptedAnswer(std::optional<std::string>& answer) {
  if (gPrintAnswers.empty() && detail::PanelsScripted()) {
    detail::NoteScriptedWait("the print dialog of \"" + gJobName + "\"");
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (gPrintAnswers.empty() && std::chrono::steady_clock::now() < end) PumpEvents(5);
    if (gPrintAnswers.empty()) {
      answer.reset();  // nobody answered: as a cancelled dialog
      return true;
    }
  }
  if (gPrintAnswers.empty()) return false;
  answer = gPrintAnswers.front();
  gPrintAnswers.pop_front();
  return true;
}

// The page set-up and print dialogs, or the script's answer; false when cancelled.
bool AskForPrinter(QPrinter& printer) {
  std::optional<std::string> answer;
  if (TakeScriptedAnswer(answer)) {
    if (!answer) return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(*answer));
    return true;
  }
  QPageSetupDialog pageSetup(&printer);
  if (pageSetup.exec() != QDialog::Accepted) return false;
  QPrintDialog print(&printer);
  return print.exec() == QDialog::Accepted;
}

class Pages {
 public:
  Pages(QPagedPaintDevice& device, int resolution)
      : device_(device), resolution_(resolution), scale_(resolution / 72.0) {}
  double Px(double points) const { return points * scale_; }

  void Heading(QPainter& p, const PrintedReport& r) {
    const QImage logo(QString::fromStdString(r.logoPath));
    if (!logo.isNull()) {
      const QSizeF size = QSizeF(logo.size()).scaled(Px(kLogoWidth), Px(kLogoHeight), Qt::KeepAspectRatio);
      p.drawImage(QRectF(QPointF(0, 0), size), logo);
    }
    const QStringList lines = Lines(r.heading);
    for (int i = 0; i < lines.size(); ++i) {
      const int row = std::min(i, 3);
      QFont f("DejaVu Sans");
      // No ligatures: a reader searching the PDF for "file" must find it.
      f.setStyleStrategy(QFont::PreferNoShaping);
      f.setPointSizeF(kHeadingSizes[row]);
      f.setBold(i == 0);
      p.setFont(f);
      p.drawText(QPointF(Px(kHeadingLeft), Px(kHeadingBaselines[row] + 20.0 * (i - row))),
                 lines[i].trimmed());
    }
  }

  // The body in the largest fixed-pitch size (at most 9 pt) that fits its widest line.
  bool Body(QPainter& p, const QStringList& lines) {
    QFont f("DejaVu Sans Mono");
    f.setStyleHint(QFont::Monospace);
    f.setStyleStrategy(QFont::PreferNoShaping);
    f.setPointSizeF(kLargestBodySize);
    qsizetype widest = 1;
    for (const QString& l : lines) widest = std::max(widest, l.size());
    const QRect page = device_.pageLayout().paintRectPixels(resolution_);
    const double width = page.width() - Px(kBodyLeft);
    const double advance = QFontMetricsF(f, &device_).horizontalAdvance('M');
    if (advance * static_cast<double>(widest) > width)
      f.setPointSizeF(
          std::max(kSmallestBodySize, kLargestBodySize * width / (advance * static_cast<double>(widest))));
    p.setFont(f);
    const QFontMetricsF m(f, &device_);
    const double bottom = page.height();
    double y = Px(kBodyTop) + m.ascent();
    for (const QString& line : lines) {
      if (y + m.descent() > bottom) {
        if (!device_.newPage()) return false;
        y = m.ascent();
      }
      p.drawText(QPointF(Px(kBodyLeft), y), line);
      y += m.lineSpacing();
    }
    return true;
  }

 private:
  QPagedPaintDevice& device_;
  int resolution_;
  double scale_;
};

bool Paint(QPagedPaintDevice& device, int resolution, const PrintedReport& report) {
  QPainter painter;
  if (!painter.begin(&device)) return false;
  Pages pages(device, resolution);
  pages.Heading(painter, report);
  const bool ok = pages.Body(painter, Lines(report.body));
  return painter.end() && ok;
}

}  // namespace

void detail::ResetPrinting() {
  gPrintAnswers.clear();
}

void SetPrintJobName(const std::string& name) {
  gJobName = name;
}

std::string PrintJobName() {
  return gJobName;
}

void QueuePrintAnswer(std::optional<std::string> pdfPath) {
  gPrintAnswers.push_back(std::move(pdfPath));
}

bool HasQueuedPrintAnswer() {
  return !gPrintAnswers.empty();
}

namespace {

// A print to a file: the PDF is made in memory, as the printer's page set-up lays it
// out, then written whole beside the file's name and renamed over it only once every
// byte is on the disk. The PDF engine itself does not fail on a write error, so a
// full disk would otherwise leave an empty or cut file in place of a good one.
PrintResult PrintToFile(const QPrinter& printer, const PrintedReport& report, std::string* failure) {
  const QString target = printer.outputFileName();
  QByteArray pdf;
  {
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setPdfVersion(printer.pdfVersion());
    writer.setResolution(printer.resolution());
    writer.setPageLayout(printer.pageLayout());
    writer.setTitle(printer.docName());
    writer.setCreator(printer.creator());
    if (!Paint(writer, writer.resolution(), report)) {
      if (failure) *failure = "The report could not be laid out on the page.";
      return PrintResult::Failed;
    }
  }
  QSaveFile file(target);
  const bool ok = file.open(QIODevice::WriteOnly) && file.write(pdf) == pdf.size() && file.commit();
  if (ok) return PrintResult::Printed;
  if (failure)
    *failure = "\"" + QFileInfo(target).fileName().toStdString() + "\": " + file.errorString().toStdString();
  file.cancelWriting();
  return PrintResult::Failed;
}

}  // namespace

PrintResult PrintReport(const PrintedReport& report, const std::function<void()>& whilePrinting,
                        std::string* failure) {
  if (failure) failure->clear();
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(QString::fromStdString(gJobName.empty() ? std::string("untitled") : gJobName));
  if (!AskForPrinter(printer)) return PrintResult::Cancelled;
  if (whilePrinting) whilePrinting();
  if (!printer.outputFileName().isEmpty()) return PrintToFile(printer, report, failure);
  if (Paint(printer, printer.resolution(), report)) return PrintResult::Printed;
  if (failure) *failure = "The printer could not be written.";
  return PrintResult::Failed;
}

}  // namespace mv::rt
