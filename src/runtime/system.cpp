#include "runtime/system.h"

#include "runtime/sound.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QScreen>
#include <QStandardPaths>
#include <QUrl>

#include <charconv>
#include <cstdlib>
#include <random>
#include <string_view>
#include <vector>

namespace mv::rt {
namespace {

std::mt19937& Rng() {
  static std::mt19937 rng(12345);
  return rng;
}

std::function<void(const std::string&)> gUrlOpener;
std::vector<std::function<void()>> gCleanups;
std::function<void(int)> gExitInterceptor;

bool ParseSize(const char* text, int& w, int& h) {
  if (!text) return false;
  std::string_view s(text);
  auto x = s.find_first_of("xX");
  if (x == std::string_view::npos) return false;
  auto a = std::from_chars(s.data(), s.data() + x, w);
  auto b = std::from_chars(s.data() + x + 1, s.data() + s.size(), h);
  return a.ec == std::errc() && b.ec == std::errc() && w > 0 && h > 0;
}

QSize ScreenSize() {
  int w = 0, h = 0;
  if (ParseSize(std::getenv("MV_DISPLAY_SIZE"), w, h)) return {w, h};
  if (QGuiApplication::instance()) {
    if (QScreen* s = QGuiApplication::primaryScreen()) return s->geometry().size();
  }
  return {1024, 768};
}

std::string EnvOr(const char* name, const QString& fallback) {
  const char* v = std::getenv(name);
  if (v && *v) return v;
  return fallback.toStdString();
}

std::string Ensure(const std::string& dir) {
  QDir().mkpath(QString::fromStdString(dir));
  return dir;
}

}  // namespace

int DisplayWidth() { return ScreenSize().width(); }
int DisplayHeight() { return ScreenSize().height(); }

std::string ApplicationDir() {
  if (QCoreApplication::instance()) return QCoreApplication::applicationDirPath().toStdString();
  return ".";
}

std::string ResourcesDir() {
  const char* v = std::getenv("MV_RESOURCES_DIR");
  if (v && *v) return v;
  // A build runs in place: resources are copied to <build>/resources, and the
  // executables live one or two folders below the build folder.
  QDir app(QString::fromStdString(ApplicationDir()));
  for (const char* rel : {"resources", "../resources", "../../resources", "../../../resources",
                          "../share/mirevant/resources"}) {
    QFileInfo fi(app.filePath(rel));
    if (fi.isDir()) return fi.canonicalFilePath().toStdString();
  }
  return app.filePath("resources").toStdString();
}

std::string ConfigDir() {
  return Ensure(EnvOr("MV_CONFIG_DIR", QDir::homePath() + "/.config/mirevant"));
}

std::string DocumentsDir() {
  QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (docs.isEmpty()) docs = QDir::homePath();
  return Ensure(EnvOr("MV_DOCUMENTS_DIR", docs));
}

std::string ResourcePath(const std::string& folder, const std::string& file) {
  std::string p = ResourcesDir();
  if (!folder.empty()) p += "/" + folder;
  if (!file.empty()) p += "/" + file;
  return p;
}

bool FileExistsAtPath(const std::string& path) { return QFileInfo::exists(QString::fromStdString(path)); }

void SeedRandomFromSystem() { Rng().seed(std::random_device{}()); }
void SeedRandom(uint32_t seed) { Rng().seed(seed); }
double RandomUnit() { return std::uniform_real_distribution<double>(0.0, 1.0)(Rng()); }
int Rnd(int n) {
  if (n < 1) return 0;
  return std::uniform_int_distribution<int>(1, n)(Rng());
}

void OpenURL(const std::string& url) {
  if (gUrlOpener) {
    gUrlOpener(url);
    return;
  }
  QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
}

void SetURLOpener(std::function<void(const std::string&)> opener) { gUrlOpener = std::move(opener); }

void SysBeep() {
  if (SoundSinkInstalled()) {
    PlaySoundFile("SysBeep");
    return;
  }
  if (QApplication::instance()) QApplication::beep();
}

void AddExitCleanup(std::function<void()> cleanup) { gCleanups.push_back(std::move(cleanup)); }
void SetExitInterceptor(std::function<void(int)> interceptor) { gExitInterceptor = std::move(interceptor); }

void ExitProgram(int status) {
  auto cleanups = std::move(gCleanups);
  gCleanups.clear();
  for (auto it = cleanups.rbegin(); it != cleanups.rend(); ++it) (*it)();
  if (gExitInterceptor) gExitInterceptor(status);
  std::exit(status);
}

}  // namespace mv::rt
