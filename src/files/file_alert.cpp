#include "files/file_alert.h"

#include <algorithm>

#include "kit/builders.h"
#include "kit/protocol.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/windows.h"

namespace mv {

namespace {

constexpr int16_t kWidth = 500;
constexpr std::size_t kLineChars = 58;
constexpr int kLineHeight = 18;
constexpr int kMaxLines = 8;

// Characters, not bytes, so a file name with accents wraps where it shows.
std::size_t Utf8Length(std::string_view s) {
  return static_cast<std::size_t>(
      std::count_if(s.begin(), s.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

// The byte offset of the first n characters.
std::size_t Utf8Prefix(std::string_view s, std::size_t n) {
  std::size_t chars = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if ((s[i] & 0xC0) != 0x80) {
      if (chars == n) return i;
      ++chars;
    }
  }
  return s.size();
}

bool Answered(int16_t window) {
  switch (Action) {
    case ActionCode::Click:
      return EventID == kFileAlertOK;
    case ActionCode::CloseBox:
      return EventID == window;
    case ActionCode::Key:
      return EventID == 13 || EventID == 3 || EventID == 0;
    default:
      return false;
  }
}

}  // namespace

std::vector<std::string> WrapText(std::string_view text, std::size_t maxChars) {
  std::vector<std::string> lines;
  if (maxChars == 0) return lines;
  std::string current;
  auto flush = [&] {
    lines.push_back(current);
    current.clear();
  };
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(' ', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view word = text.substr(start, end - start);
    while (Utf8Length(word) > maxChars) {  // a word longer than a line is cut
      if (!current.empty()) flush();
      const std::size_t cut = Utf8Prefix(word, maxChars);
      lines.emplace_back(word.substr(0, cut));
      word.remove_prefix(cut);
    }
    const std::size_t need = Utf8Length(current) + (current.empty() ? 0 : 1) + Utf8Length(word);
    if (!current.empty() && need > maxChars) flush();
    if (!word.empty()) {
      if (!current.empty()) current += ' ';
      current.append(word);
    }
    start = end + 1;
  }
  if (!current.empty()) flush();
  return lines;
}

void FileAlert(const std::string& title, const std::string& message) {
  const HandlerScope callersHandlers;
  const int16_t previous = rt::OutputWindow();
  std::vector<std::string> lines = WrapText(message, kLineChars);
  if (lines.size() > kMaxLines) lines.resize(kMaxLines);
  const int16_t height =
      static_cast<int16_t>(std::max<int>(150, 70 + kLineHeight * static_cast<int>(lines.size()) + 50));
  BuildWINDOW(kFileAlertWindow, Str255(title), 120, 120, static_cast<int16_t>(120 + kWidth),
              static_cast<int16_t>(120 + height), 6);
  DrawIcon(138, 20, 58);
  const rt::FontSpec bold{kSystemFontFamily, 15, true};
  rt::DrawTextUtf8(68, 38, title, bold, RGBColor{0, 0, 0});
  const rt::FontSpec font{kSystemFontFamily, 13};
  for (std::size_t i = 0; i < lines.size(); ++i)
    rt::DrawTextUtf8(68, 64 + kLineHeight * static_cast<double>(i), lines[i], font, RGBColor{0, 0, 0});
  rt::NewControl(kFileAlertOK, rt::ControlType::DefaultButton, "OK",
                 Rect{static_cast<int16_t>(kWidth - 110), static_cast<int16_t>(height - 40),
                      static_cast<int16_t>(kWidth - 20), static_cast<int16_t>(height - 14)},
                 1);
  rt::FlushWindow();
  zap();

  Action = 0;
  EventID = 0;
  InstallDialogHandlers(NoMENU);
  while (rt::WindowExists(kFileAlertWindow)) {
    rt::PumpEvents();
    const bool done = Answered(kFileAlertWindow);
    Action = 0;
    EventID = 0;
    if (done) break;
  }
  rt::CloseWindow(kFileAlertWindow);
  Action = 0;
  EventID = 0;
  if (previous != 0 && rt::WindowExists(previous)) {
    rt::SetOutputWindow(previous);
    rt::BringWindowForward(previous);
  }
}

}  // namespace mv
