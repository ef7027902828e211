#include "drive/listing.h"

#include <string_view>

#include "runtime/qt_bridge.h"
#include "runtime/windows.h"

namespace mv::drive {

namespace {

using rt::bridge::ControlView;
using rt::bridge::FieldView;
using rt::bridge::WindowView;

std::string Quoted(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\r' || c == '\n')
      out += "\\n";
    else if (c == '"')
      out += "\\\"";
    else
      out += c;
  }
  return out + "\"";
}

const char* ControlKind(int16_t type) {
  switch (static_cast<rt::ControlType>(type)) {
    case rt::ControlType::PushButton:
      return "button";
    case rt::ControlType::CheckBox:
      return "checkbox";
    case rt::ControlType::RadioButton:
      return "radio";
    case rt::ControlType::DefaultButton:
      return "default-button";
    case rt::ControlType::PictureButton:
      return "picture-button";
    case rt::ControlType::Popup:
      return "popup";
    case rt::ControlType::Tabs:
      return "tabs";
    case rt::ControlType::ProgressBar:
      return "progress";
    case rt::ControlType::StaticText:
      return "label";
  }
  return "control";
}

const char* StateWord(int16_t state, bool dimmed) {
  if (dimmed) return state == 2 ? "dimmed, marked" : "dimmed";
  return state == 2 ? "marked" : "enabled";
}

const char* FieldKind(int16_t type) {
  if (type == 1 || type == 3) return "field";
  if (type >= 5) return "text";
  return "field-lines";
}

std::string WindowLine(const WindowView& w) {
  std::string line =
      "window " + std::to_string(w.number) + " " + Quoted(w.title) + " kind " + std::to_string(w.kind);
  if (rt::FrontWindow() == w.number)
    line += " (front)";
  else if (!w.shown)
    line += " (hidden)";
  return line;
}

std::string ControlLine(const ControlView& c) {
  std::string line =
      std::to_string(c.number) + " " + ControlKind(c.type) + " " + Quoted(c.title) + " " + StateWord(c.state, c.dimmed);
  const auto type = static_cast<rt::ControlType>(c.type);
  if (type == rt::ControlType::Popup || type == rt::ControlType::Tabs) {
    line += ", item " + std::to_string(c.value) + " of " + std::to_string(c.items.size());
    if (c.value >= 1 && c.value <= static_cast<int>(c.items.size()))
      line += " " + Quoted(c.items[static_cast<std::size_t>(c.value - 1)]);
  } else if (type == rt::ControlType::ProgressBar) {
    line += ", value " + std::to_string(c.value);
  }
  if (!c.shown) line += " (hidden)";
  return line;
}

std::string FieldLine(const FieldView& f) {
  std::string line = std::to_string(f.number) + " " + FieldKind(f.type) + " " + Quoted(f.text);
  if (!f.shown) line += " (hidden)";
  return line;
}

}  // namespace

std::string ListWindows() {
  std::string out;
  for (int16_t number : rt::OpenWindows())
    if (auto w = rt::bridge::DescribeWindow(number)) out += WindowLine(*w) + "\n";
  return out.empty() ? "no window is open\n" : out;
}

std::string ListWindow(int16_t window) {
  auto w = rt::bridge::DescribeWindow(window);
  if (!w) return "window " + std::to_string(window) + " is not open\n";
  std::string out = WindowLine(*w) + "\n";
  for (const ControlView& c : w->controls) out += "  control " + ControlLine(c) + "\n";
  for (const FieldView& f : w->fields) out += "  field " + FieldLine(f) + "\n";
  if (w->controls.empty() && w->fields.empty()) out += "  (no controls or fields)\n";
  return out;
}

std::string ControlsOf(int16_t window) {
  auto w = rt::bridge::DescribeWindow(window);
  if (!w) return OpenWindowsNamed();
  if (w->controls.empty()) return "window " + std::to_string(window) + " has no controls";
  std::string out = "its controls: ";
  for (std::size_t i = 0; i < w->controls.size(); ++i) out += (i ? "; " : "") + ControlLine(w->controls[i]);
  return out;
}

std::string FieldsOf(int16_t window) {
  auto w = rt::bridge::DescribeWindow(window);
  if (!w) return OpenWindowsNamed();
  if (w->fields.empty()) return "window " + std::to_string(window) + " has no fields";
  std::string out = "its fields: ";
  for (std::size_t i = 0; i < w->fields.size(); ++i) out += (i ? "; " : "") + FieldLine(w->fields[i]);
  return out;
}

std::string OpenWindowsNamed() {
  std::string out;
  for (int16_t number : rt::OpenWindows())
    if (auto w = rt::bridge::DescribeWindow(number)) out += (out.empty() ? "" : "; ") + WindowLine(*w);
  return out.empty() ? "no window is open" : "open windows: " + out;
}

}  // namespace mv::drive
