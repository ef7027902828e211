#include "devices/firmware_windows.h"

#include <cctype>
#include <optional>

#include "devices/adam_protocol.h"
#include "devices/adam_reader.h"
#include "devices/connection.h"
#include "devices/connection_road.h"
#include "devices/read_wait.h"
#include "devices/serial_port.h"
#include "devices/state.h"
#include "kit/builders.h"
#include "kit/format.h"
#include "kit/protocol.h"
#include "kit/resources.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "runtime/windows.h"

namespace mv {

namespace {

constexpr RGBColor kBlack{0, 0, 0};
constexpr RGBColor kYellow{65535, 65535, 0};
constexpr char kPlusMinus = '\xB1', kOhm = '\xBD', kDegree = '\xA1';
constexpr uint32_t kSableTicks = 60, kTest0Ticks = 120, kStatusTicks = 30, kSelfTestTicks = 90;
constexpr uint32_t kDT800TestTicks = 10;

std::vector<std::string> g_texts;
std::vector<std::string> g_failed;

bool IsDT800Family(int16_t code) {
  return code >= ExternalADCode::DT800 && code <= ExternalADCode::DT85;
}

void Draw(int16_t x, int16_t y, const std::string& text, double size, RGBColor color = kBlack,
          bool bold = false) {
  rt::FontSpec font = KitFont(KestraneFont, size);
  font.bold = bold;
  rt::DrawText(x, y, text, font, color);
  rt::FlushWindow();
  g_texts.push_back(text);
}

// Draws the text from (x, y) on, breaking at CR and at blanks so that it stays inside
// `right`; a TAB indents the line it starts.
void DrawWrapped(int16_t x, int16_t y, const std::string& text, double size, RGBColor color, int16_t right) {
  const rt::FontSpec font = KitFont(KestraneFont, size);
  const int16_t step = static_cast<int16_t>(size + 4);
  std::string line;
  auto flush = [&] {
    std::string shown = line;
    for (char& c : shown)
      if (c == '\t') c = ' ';
    Draw(x, y, shown, size, color);
    y = static_cast<int16_t>(y + step);
    line.clear();
  };
  for (char c : text) {
    if (c == '\r') {
      flush();
      continue;
    }
    line += c == '\t' ? std::string("    ") : std::string(1, c);
    if (rt::TextWidth(line, font) > right - x) {
      const size_t cut = line.rfind(' ');
      std::string rest;
      if (cut != std::string::npos && cut > 0) {
        rest = line.substr(cut + 1);
        line.resize(cut);
      } else {
        rest = line.substr(line.size() - 1);
        line.pop_back();
      }
      flush();
      line = rest;
    }
  }
  if (!line.empty()) flush();
}

// Bytes up to `need` or the deadline, then everything waiting.
std::string AskAll(const std::string& command, int settleMs, int need, uint32_t ticks) {
  SerialPort& port = SerialLine();
  port.Write(command);
  rt::Delay(settleMs);
  WaitForBytes(port, need, rt::TickCount() + ticks, 0);
  return port.ReadBytes(4096);
}

// One reply line, taken byte by byte so that the lines after it stay waiting: at least
// `need` bytes, then up to its CR, all before the deadline. A LF left at its start by a
// CR LF ending is dropped.
std::optional<std::string> AwaitOneLine(SerialPort& port, int need, uint32_t deadline) {
  if (!WaitForBytes(port, need, deadline, 0)) return std::nullopt;
  std::string line;
  for (;;) {
    while (port.BytesWaiting() > 0) {
      const std::string c = port.ReadBytes(1);
      if (c == "\r") {
        if (!line.empty() && line.front() == '\n') line.erase(0, 1);
        return line;
      }
      line += c;
      if (line.size() > 255) return line;
    }
    if (TickPassed(deadline)) return std::nullopt;
    port.Pause(1);
  }
}

// Reads reply lines until one is longer than `longer` characters or the ticks run out;
// the last line read (possibly short or empty).
std::string LongLineWithin(uint32_t ticks, size_t longer) {
  SerialPort& port = SerialLine();
  const uint32_t deadline = rt::TickCount() + ticks;
  std::string last;
  while (!TickPassed(deadline)) {
    const std::optional<std::string> line = AwaitOneLine(port, 1, deadline);
    if (!line) break;
    last = *line;
    if (last.size() > longer) break;
  }
  return last;
}

void OpenFirmwareWindow(const Str255& title, int16_t right, int16_t bottom, bool diagnostics) {
  BuildWINDOW(kFirmwareWindow, title, 180, 100, right, bottom, 6);
  if (diagnostics)
    rt::NewControl(kDiagnosticsButton, rt::ControlType::PushButton, "Diagnostics",
                   Rect{static_cast<int16_t>(right - 180 - 110), static_cast<int16_t>(bottom - 100 - 30),
                        static_cast<int16_t>(right - 180 - 10), static_cast<int16_t>(bottom - 100 - 10)},
                   1);
  InstallDialogHandlers(NoMENU);
}

void ShowOnStartupWindow() {
  EnsureProgressWindow();
  rt::SetOutputWindow(kProgressWindow);
}

// ---- Sable ----------------------------------------------------------------------------------

void SableFirmware(bool atStartUp) {
  SerialLine().Discard();
  std::string reply = AskAll("e", 5, 3, kSableTicks).substr(0, 4);
  const bool ui3 = External_AD == ExternalADCode::SableUI3;
  int16_t line = 400;
  if (atStartUp) {
    ShowOnStartupWindow();
  } else {
    OpenFirmwareWindow(ui3 ? "UI3 firmware" : "UI2 firmware", 626, 188, false);
    DrawThisImage(CreateCGImageFromBundleResource("MVimages", ui3 ? "UI3.gif" : "UI2.gif"), 2, 0, 94, 86);
    line = 26;
  }
  const SableFirmwareText t = SableFirmwareLines(External_AD, reply);
  Draw(100, line, t.headline, 18, kBlack, true);
  Draw(125, static_cast<int16_t>(line + 26), t.channels, 13, RGBblue);
  Draw(125, static_cast<int16_t>(line + 48), t.temperatures, 13, RGBblue);
}

// ---- DataTaker --------------------------------------------------------------------------------

void DT500Firmware(bool atStartUp) {
  int16_t line = 350;
  double size = 18;
  if (atStartUp) {
    ShowOnStartupWindow();
  } else {
    OpenFirmwareWindow("DataTaker Firmware", 600, 192, true);
    line = 62;
    size = 24;
    Draw(5, line, "   Checking firmware...", size);
  }
  SerialPort& port = SerialLine();
  port.Discard();
  port.Write("/U\r");
  std::string reply = AskAll("TEST0\r", 300, 17, kTest0Ticks);
  if (reply.size() >= 11 && SoundsOn()) PlaySound("piiing.mp3", "MVsounds");
  port.Write("/u\r");
  reply = reply.size() >= 2 ? reply.substr(0, reply.size() - 2) : std::string();
  if (atStartUp) {
    if (reply.size() < 11) return ConnectionERROR("DataTaker");
    Draw(80, 320, "Connection seems OK", 18, RGBblue);
    BUILDEF(1, "firmware: " + reply, 40, 335, 420, 375, 5, 1);
    ConnectionOKindicator();
    return;
  }
  ClearArea(0, static_cast<int16_t>(line - 30), 420, static_cast<int16_t>(line + 10));
  DrawWrapped(5, line, bullet.str() + reply, size, kBlack, 415);
}

// Twice "/U" and "STATUS1", keeping the last line, then "/u".
std::string AskStatus() {
  SerialPort& port = SerialLine();
  std::string reply;
  for (int pass = 0; pass < 2; ++pass) {
    port.Write("/U\r");
    port.Write("STATUS1\r");
    rt::Delay(3);
    reply = LongLineWithin(kStatusTicks, 9);
    rt::Delay(5);
  }
  port.Write("/u\r");
  return reply;
}

Str255 DT800ModelName() {
  if (External_AD == ExternalADCode::DT80) return "DT80";
  if (External_AD == ExternalADCode::DT85) return "DT85";
  return "DT800";
}

void RetryAt115200() {
  if (SoundsOn()) PlaySound("AlarmBUZZ.mp3", "MVsounds");
  Draw(40, 325, "* Connecting at 57.6 Kb failed, retry at 115.2 Kb...", 18, RGBred);
  CloseActivePort();
  baudrate = 115200;
  ShowOnStartupWindow();
  ClearArea(0, 200, 640, 480);
  DrawThisImage(CreateCGImageFromBundleResource("MVimages", "green arrows.gif"), 23, 205, 81, 249);
  EmbossPrint(0, "opening serial port...", 24, 100, 230);
  SetUpSerialPort();
}

void DT800Firmware(bool atStartUp) {
  if (atStartUp)
    ShowOnStartupWindow();
  else
    OpenFirmwareWindow("DataTaker Firmware", 600, 192, true);
  std::string reply = AskStatus();
  if (reply.size() > 10) return DT800check(atStartUp, reply);
  if (!atStartUp) return;
  RetryAt115200();
  ShowOnStartupWindow();
  reply = AskStatus();
  if (reply.size() > 10) {
    if (SoundsOn()) PlaySound("upvip.mp3", "MVsounds");
    return DT800check(1, reply);
  }
  ConnectionERROR(DT800ModelName());
}

// ---- ADAM ----------------------------------------------------------------------------------------

// The reply line to a command without its first `drop` characters; nothing when none came.
std::optional<std::string> AdamAsk(const std::string& command, size_t drop) {
  SerialPort& port = SerialLine();
  port.Write(command + '\r');
  const std::optional<std::string> line = AwaitAdamLine(port, 5, rt::TickCount() + kAdamCjcTimeoutTicks, 0);
  if (!line) return std::nullopt;
  return line->size() > drop ? line->substr(drop) : std::string();
}

void AdamModule(int16_t address, int16_t y, int16_t firmwareY, bool bold) {
  const std::string a(1, static_cast<char>('0' + address));
  const std::optional<std::string> id = AdamAsk("$0" + a + "M", 3);
  if (!id) {
    if (address == 2)
      Draw(60, y, " ** no ADAM 4050 found **", 16, RGBred);
    else
      Draw(40, y, " ** 3rd ADAM module not found **", 16, RGBred);
    return;
  }
  Draw(50, y, a + ":  ADAM module ID:    " + *id, 16, kBlack, bold);
  Draw(60, firmwareY, "Firmware version:   " + AdamAsk("$0" + a + "F", 3).value_or(""), 16);
}

void AdamFirmware() {
  OpenFirmwareWindow("ADAM Firmware", 520, 375, false);
  SerialLine().Discard();
  Draw(50, 25, "1:  ADAM module ID:    " + AdamAsk("$01M", 3).value_or(""), 16);
  Draw(60, 55, "Firmware version:   " + AdamAsk("$01F", 3).value_or(""), 16);
  Draw(60, 87, "CJC temperature: ", 16);
  Draw(270, 87, std::string(1, kDegree) + "C", 16);
  BUILDEF(1, "", 200, 64, 266, 96, 5, 3);
  rt::SetEditFont(1, KitFont(KestraneFont, 22));
  AdamModule(2, 138, 168, false);
  AdamModule(3, 218, 243, true);
  Action = 0;
  EventID = 0;
  while (Action != ActionCode::CloseBox) {
    Action = 0;
    rt::PumpEvents();
    if (Action == ActionCode::CloseBox || !rt::WindowExists(kFirmwareWindow)) break;
    // The reply is ">" and the signed temperature (">-0005.0"); a missed reading or
    // an error reply leaves the last one shown.
    const std::optional<std::string> reply = AdamAsk("$013", 0);
    const std::optional<float> cjc = reply ? adam::DecodeReading(*reply) : std::nullopt;
    if (!cjc) continue;
    rt::SetOutputWindow(kFirmwareWindow);
    rt::SetEditText(1, NumText(*cjc).str());
  }
  rt::CloseWindow(kFirmwareWindow);
}

// The menu window waits for Diagnostics, its close box or a click elsewhere.
void WaitForFirmwareWindow() {
  Action = 0;
  EventID = 0;
  for (;;) {
    rt::PumpEvents();
    if (!rt::WindowExists(kFirmwareWindow)) break;
    if (Action == ActionCode::Click && EventID == kDiagnosticsButton) {
      DataTakerDiagnostics();
      InstallDialogHandlers(NoMENU);
    } else if (Action == ActionCode::CloseBox) {
      break;
    } else if (Action == ActionCode::WindowActivity && EventID != kFirmwareWindow) {
      break;
    }
    Action = 0;
  }
  rt::CloseWindow(kFirmwareWindow);
}

// The DataTaker self-test reply: one line awaited as the family does.
std::string SelfTestReply(int n, bool dt800) {
  SerialPort& port = SerialLine();
  port.Write("TEST" + std::to_string(n) + '\r');
  if (dt800) {
    rt::Delay(40);
    return LongLineWithin(kDT800TestTicks, 9);
  }
  rt::Delay(300);
  const uint32_t deadline = rt::TickCount() + kSelfTestTicks;
  return AwaitOneLine(port, 8, deadline).value_or(std::string());
}

void ShowSelfTest(int n, const std::string& reply, int16_t x, int16_t y) {
  const std::string shown = SelfTestLine(n, reply);
  const bool failed = SelfTestFailed(shown);
  if (failed) g_failed.push_back(shown);
  Draw(x, y, shown + (x == 16 ? " " : ""), 14, failed ? kYellow : kBlack, failed);
}

}  // namespace

SableFirmwareText SableFirmwareLines(int16_t code, const std::string& reply) {
  SableFirmwareText t;
  const bool ui3 = code == ExternalADCode::SableUI3;
  t.headline = std::string(ui3 ? "The UI3 firmware version is " : "The UI2 firmware version is ") + reply;
  const bool wide = ui3 || TextToNumber(reply) > 199;
  const std::string b = bullet.str();
  if (wide) {
    t.channels = b + " channels 1-8:  " + kPlusMinus + " 5.12 V";
    t.temperatures = b + "  channels T1-T4:  degrees C, " + kOhm + ", or 0-5.12 V";
  } else {
    t.channels = b + "   channels 1-8:  " + kPlusMinus + " 5.00 V";
    t.temperatures = b + "  channels T1-T4:  degrees C, " + kOhm + ", or 0-5.00 V";
  }
  return t;
}

std::string DT800StatusText(const std::string& reply, bool atStartUp) {
  const size_t a = reply.find('a');
  const std::string rest = a == std::string::npos ? std::string() : reply.substr(a);
  if (atStartUp) return "firmware:  d" + rest;
  std::string text = bullet.str() + "  d" + rest;
  for (size_t i = 2; i < text.size() && i < 50; ++i) {
    if (text[i] != 'F') continue;
    text[i - 2] = '\r';
    text[i - 1] = '\t';
  }
  return text;
}

std::string SelfTestLine(int n, const std::string& reply) {
  std::string line = reply;
  if (!line.empty() && static_cast<unsigned char>(line[0]) <= 13)
    line[0] = ' ';
  else
    line.insert(line.begin(), ' ');
  std::string shown = " " + std::to_string(n) + " " + line;
  if (n <= 9) shown.insert(shown.begin(), ' ');
  return shown;
}

bool SelfTestFailed(const std::string& shown) {
  return shown.size() >= 4 && shown.compare(shown.size() - 4, 4, "FAIL") == 0;
}

void DT800check(int16_t atStartUp, const std::string& reply) {
  if (SoundsOn()) PlaySound("piiing.mp3", "MVsounds");
  const std::string text = DT800StatusText(reply, atStartUp != 0);
  if (atStartUp != 0) {
    ShowOnStartupWindow();
    Draw(80, 320, "Connection seems OK at 115.2 Kbaud", 18, RGBblue);
    BUILDEF(1, text, 40, 335, 420, 375, 5, 1);
    g_texts.push_back(text);
    ConnectionOKindicator();
    return;
  }
  rt::SetOutputWindow(kFirmwareWindow);
  DrawWrapped(5, 26, text, 18, RGBblue, 415);
}

void GetFirmware(int16_t atStartUp) {
  const HandlerScope callersHandlers;
  g_texts.clear();
  const bool start = atStartUp != 0;
  const int16_t code = External_AD;
  if (code == ExternalADCode::SableUI2 || code == ExternalADCode::SableUI3) {
    SableFirmware(start);
  } else if (code == ExternalADCode::DT500 || code == ExternalADCode::DT50) {
    DT500Firmware(start);
  } else if (IsDT800Family(code)) {
    DT800Firmware(start);
  } else if (code == ExternalADCode::ADAM && !start) {
    AdamFirmware();
  } else {
    return;
  }
  if (start) {
    if (DemonstrationMODE == 0 && PrefsArray[PrefsSlot::RedoInterface] == 0) WaitPumping(2000);
  } else if (code != ExternalADCode::ADAM) {
    WaitForFirmwareWindow();
  }
  rt::FlushEvents();
  Action = 0;
  EventID = 0;
}

void DataTakerDiagnostics() {
  const HandlerScope callersHandlers;
  g_failed.clear();
  const int16_t code = External_AD;
  const bool dt800 = IsDT800Family(code);
  const int16_t height = code == ExternalADCode::DT80 || code == ExternalADCode::DT85 ? 535 : 385;
  if (!rt::WindowExists(kFirmwareWindow)) OpenFirmwareWindow("DataTaker Firmware", 600, 192, true);
  rt::BringWindowForward(kFirmwareWindow);
  rt::SetOutputWindow(kFirmwareWindow);
  rt::MoveWindowTo(kFirmwareWindow, 180, 100);
  rt::SizeWindow(kFirmwareWindow, 420, height);
  ClearArea(0, 0, 420, height);
  if (!dt800) {
    SerialLine().Write("/U\r");
    Draw(240, 150, "Testing 17 functions...", 16, kBlack, true);
    Draw(250, 185, "Please be patient; this", 14);
    Draw(250, 205, "takes some time.", 14);
    for (int n = 1; n <= 17; ++n)
      ShowSelfTest(n, SelfTestReply(n, false), 20, static_cast<int16_t>(17 * n + 73));
    SerialLine().Write("/u\r");
    Draw(260, 340, "Tests complete", 18, RGBblue);
    return;
  }
  // The first round wakes the logger's test engine; its answers are not the results.
  for (int n = 1; n <= 14; ++n) {
    SerialLine().Write("TEST" + std::to_string(n) + '\r');
    rt::Delay(10);
    LongLineWithin(kDT800TestTicks, 9);
  }
  for (int n = 1; n <= 14; ++n) ShowSelfTest(n, SelfTestReply(n, true), 16, static_cast<int16_t>(19 * n + 100));
}

const std::vector<std::string>& LastFirmwareTexts() {
  return g_texts;
}

const std::vector<std::string>& LastFailedTests() {
  return g_failed;
}

}  // namespace mv
