#include "kit/resources.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <fstream>

#include "kit/state.h"
#include "runtime/macroman.h"
#include "runtime/system.h"

namespace mv {

rt::ImageHandle CreateCGImageFromBundleResource(const std::string& folder, const std::string& file) {
  std::string path = rt::ResourcePath(folder, file);
  if (!rt::FileExistsAtPath(path)) return nullptr;
  return rt::LoadImage(path);
}

void DrawThisImage(const rt::ImageHandle& image, int16_t left, int16_t top, int16_t right, int16_t bottom) {
  if (image) rt::DrawImage(image, Rect{left, top, right, bottom});
}

std::string MakeCFString(const Str255& text) {
  return MacRomanToUtf8(text.str());
}

int16_t FileExists(const Str255& name, int16_t, int32_t) {
  return !name.empty() && rt::FileExistsAtPath(name.str()) ? -1 : 0;
}

std::string FM_URLForApplicationDirectory() {
  return rt::ApplicationDir();
}

int16_t FM_FileExistsAtURL(const std::string& path) {
  return !path.empty() && rt::FileExistsAtPath(path) ? 1 : 0;
}

std::string URL_URLByAppendingPathComponent(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

int16_t FirstLineNumber(std::string_view bytes) {
  bytes = bytes.substr(0, std::min(bytes.size(), kFirstLineLimit));
  bytes = bytes.substr(0, bytes.find_first_of("\r\n"));
  std::size_t i = 0;
  while (i < bytes.size() && (bytes[i] == ' ' || bytes[i] == '\t')) ++i;
  const char* first = bytes.data() + i;
  const char* last = bytes.data() + bytes.size();
  if (first < last && *first == '+') ++first;
  int value = 0;
  auto [ptr, ec] = std::from_chars(first, last, value);
  if (ec != std::errc() || value < INT16_MIN || value > INT16_MAX) return 0;
  return static_cast<int16_t>(value);
}

bool IsSetupFileMarker(int16_t number) {
  return number == -9999 || number == -9998 || number == -9997 || number == -99;
}

namespace {

// The extension of the path in lower case ("" for none).
std::string LowerExtension(const std::string& path) {
  std::size_t dot = path.find_last_of('.');
  std::size_t slash = path.find_last_of('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  std::string ext = path.substr(dot);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext;
}

}  // namespace

bool HasDataFileExtension(const std::string& path) {
  const std::string ext = LowerExtension(path);
  return ext == ".kstr" || ext == ".kssc" || ext == ".kssable";
}

namespace {

// A set-up file by its name (the old text form has no marker line), or by its
// first line; the loader then reads it or says why it cannot.
bool LooksLikeSetupFile(const std::string& path) {
  if (HasDataFileExtension(path)) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  if (LowerExtension(path) == ".mvsetup") return true;
  char buffer[kFirstLineLimit];
  in.read(buffer, sizeof buffer);
  return IsSetupFileMarker(FirstLineNumber(std::string_view(buffer, static_cast<std::size_t>(in.gcount()))));
}

}  // namespace

void MyFinderInfo(const std::vector<std::string>& paths) {
  CLICKEDSetupFileCFURL.clear();
  for (const std::string& path : paths) {
    CLICKEDSetupFileCFURL = path;
    FileIconWasClicked = LooksLikeSetupFile(path) ? 1 : 0;
  }
}

}  // namespace mv
