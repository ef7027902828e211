#include "runtime/application.h"

#include <QApplication>
#include <QFontDatabase>
#include <QStyleFactory>

#include <cstdlib>
#include <cstring>

#include "runtime/help.h"
#include "runtime/internal.h"

namespace mv::rt {
namespace {
QApplication* gApp = nullptr;
}

void InitRuntime(int& argc, char** argv) {
  if (gApp || QApplication::instance()) {
    detail::InstallEventFilter();
    return;
  }
  // Every window is built at exact pixel positions and sizes.
  setenv("QT_ENABLE_HIGHDPI_SCALING", "0", 0);
  // Wayland ignores the window positions every window is built with; prefer
  // X11 (XWayland) unless the user chose a platform.
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if ((!platform || !*platform) && std::getenv("DISPLAY")) setenv("QT_QPA_PLATFORM", "xcb", 1);
  gApp = new QApplication(argc, argv);
  QApplication::setApplicationName("Mirevant");
  QApplication::setOrganizationName("Mirevant");
  QApplication::setStyle(QStyleFactory::create("Fusion"));
  QApplication::setQuitOnLastWindowClosed(false);
  QFont f("DejaVu Sans");
  f.setPixelSize(12);
  QApplication::setFont(f);
  detail::InstallEventFilter();
}

bool RuntimeReady() { return QApplication::instance() != nullptr; }

void ResetRuntime() {
  detail::CloseAllWindows();
  detail::ResetMenus();
  detail::ResetEvents();
  detail::ResetPanels();
  detail::ResetPrinting();
  CloseHelpWindow();
  if (QApplication::instance()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  detail::ClearQueue();
}

}  // namespace mv::rt
