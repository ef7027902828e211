// Opening the port at the interface's rate and contacting the interface, printing
// the progress into window 251; the ADAM identification; the reconnect command.
#include "devices/connection_road.h"

#include <algorithm>
#include <optional>

#include "devices/connection.h"
#include "devices/datataker_lists.h"
#include "devices/interfaces.h"
#include "devices/read_wait.h"
#include "devices/sable_protocol.h"
#include "devices/sable_reader.h"
#include "devices/state.h"
#include "kit/builders.h"
#include "kit/resources.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "runtime/menus.h"
#include "runtime/windows.h"
#include "setup/state.h"

namespace mv {

namespace {

constexpr RGBColor kBlack{0, 0, 0};
constexpr int16_t kDAMenu = 5;
// ADAM modules answer within this many ticks of a request at an address other than 01.
constexpr uint32_t kAdamTimeoutTicks = 30;
constexpr uint32_t kAdamFirstTimeoutTicks = 150;
// A reply line whose first bytes have come is waited for up to this much longer.
constexpr uint32_t kLineRestTicks = 30;
// Keys typed during a confirmation wait lengthen it, but never beyond this.
constexpr uint32_t kMostKeyTicks = 1800;

ConnectionRecord g_record;
PortLister g_lister;
LineOpener g_opener;

// One progress or result line in window 251, in the display font.
void Print(int16_t x, int16_t y, const Str255& text, double size, RGBColor color = kBlack,
           bool bold = false) {
  if (rt::WindowExists(kProgressWindow)) rt::SetOutputWindow(kProgressWindow);
  rt::FontSpec font = KitFont(KestraneFont, size);
  font.bold = bold;
  rt::DrawText(x, y, text, font, color);
  rt::FlushWindow();
  g_record.lines.push_back(text.str());
}

void PlayTick() {
  TickSound(ChartIntervalInSeconds);
}

// Waits `ticks`, pumping events; every key typed meanwhile adds `ticksPerKey`.
void WaitTicksCountingKeys(uint32_t ticks, uint32_t ticksPerKey) {
  const uint32_t start = rt::TickCount();
  uint32_t deadline = start + ticks;
  Action = 0;
  while (!TickPassed(deadline)) {
    rt::PumpEvents(0);
    if (Action == ActionCode::Key) {
      deadline = std::min(deadline + ticksPerKey, start + ticks + kMostKeyTicks);
      Action = 0;
    }
    rt::Delay(5);
  }
}

void CloseProgressWindow() {
  rt::CloseWindow(kProgressWindow);
}

// The port opened but the interface cannot be reached through it, or it did not open.
void ReportUnopenedPort(int16_t code, const std::string& reason) {
  g_record.openError = reason;
  ConnectionERROR(InterfaceFor(code).errorName, reason);
  CloseProgressWindow();
}

// Reopens the port at a new rate after the interface was told to switch; false when the
// port did not open again (which has been reported).
bool ReopenAt(int32_t baud) {
  const SerialOpenResult r = OpenActivePort(baud);
  if (!r.ok) ReportUnopenedPort(External_AD, r.reason);
  return r.ok;
}

// ---- Sable ----------------------------------------------------------------------------------

// Sends "e" and waits up to 60 ticks for `need` bytes of the firmware reply.
std::optional<std::string> AskFirmware(int need, int settleMs) {
  SerialPort& port = SerialLine();
  // Bytes still here from an earlier reply would be read as this one.
  port.Discard();
  port.Write(std::string(1, static_cast<char>(sable::kFirmwareCommand)));
  rt::Delay(settleMs);
  const bool got = WaitForBytes(port, need, rt::TickCount() + kSableTimeoutTicks, 0);
  std::string reply = port.ReadBytes(255);
  if (!got) return std::nullopt;
  return reply;
}

void SableNotFound() {
  ConnectionERROR("UI2, UI3");
  CloseProgressWindow();
}

void ShowSableConfirmed(const SableFirmware& firmware) {
  Print(80, 321, "connection seems OK", 18, RGBblue, true);
  ConnectionOKindicator();
  Print(80, 350, bullet + "   Sable firmware version " + std::string_view(firmware.version), 16);
  g_record.confirmed = true;
  g_record.firmware = firmware.version;
}

void ContactUI3() {
  Print(100, 270, bullet + "   attempting to contact Sable interface...", 16);
  PlayStartSound("big click.mp3");
  // The first answer only wakes the interface; the second decides.
  AskFirmware(4, 10);
  rt::Delay(10);
  const std::optional<std::string> reply = AskFirmware(4, 10);
  if (!reply) return SableNotFound();
  ShowSableConfirmed(JudgeSableFirmware(ExternalADCode::SableUI3, *reply));
  PrefsArray[PrefsSlot::Range512] = 1;
  WaitTicksCountingKeys(60, 1);
  WaitPumping(1000);
}

void ContactUI2() {
  // The port window always gives a UI2 115,200; any other rate leaves it uncontacted.
  if (baudrate != 115200) return;
  SerialLine().Write(std::string(1, static_cast<char>(sable::kFastBaudCommand)));
  CloseActivePort();
  rt::PumpEvents(0);
  rt::Delay(100);
  Print(100, 270, bullet + "   attempting to contact UI2...", 16);
  Print(100, 292, bullet + "   switching to 115.2 Kbaud...", 16);
  PlayTick();
  if (!ReopenAt(115200)) return;
  PlayStartSound("big click.mp3");
  const std::optional<std::string> reply = AskFirmware(3, 50);
  if (!reply) return SableNotFound();
  const SableFirmware firmware = JudgeSableFirmware(ExternalADCode::SableUI2, *reply);
  if (!firmware.confirmed) return;
  ShowSableConfirmed(firmware);
  // Set both ways: a range left from an interface contacted earlier would scale every reading.
  PrefsArray[PrefsSlot::Range512] = firmware.range512 ? 1 : 0;
  WaitTicksCountingKeys(60, 120);
  WaitPumping(1000);
}

// ---- DataTaker, ADC-1 --------------------------------------------------------------------------

void ContactDT500Family() {
  Print(100, 260, bullet + "   attempting to contact DataTaker...", 16);
  DT500setup();
  rt::Delay(200);
  rt::EnableMenuItem(kDAMenu, 0, false);
}

void ContactDT800Family() {
  Print(100, 270, bullet + "   contacting DataTaker at 57.6 Kb...", 18);
  SerialLine().Write(std::string(kDT800FastBaudCommand) + '\r');
  CloseActivePort();
  Print(100, 292, bullet + "   switching to 115.2 Kbaud...", 18);
  if (PrefsArray[PrefsSlot::StartupSounds] != 0) PlayTick();
  if (!ReopenAt(115200)) return;
  DT800setup();
}

void ContactADC1() {
  Print(70, 285, bullet + "   The ADC-1 should be communicating", 16);
  Print(70, 307, "       successfully at this point, but you", 16);
  Print(70, 329, "       will need to try it to see if it works.", 16);
  PlayStartSound("upvip.mp3");
  WaitPumping(3500);
}

// ---- ADAM ------------------------------------------------------------------------------------------

// One reply line up to CR. Its bytes may still be arriving: the rest is waited for until
// the deadline, and what came by then is the line.
std::string ReadReplyLine(SerialPort& port, uint32_t deadline) {
  std::string line;
  for (;;) {
    while (port.BytesWaiting() > 0) {
      const std::string b = port.ReadBytes(1);
      if (b.empty()) break;
      if (b[0] == '\r') return line;
      if (b[0] == '\n' && line.empty()) continue;
      if (line.size() < 255) line += b[0];
    }
    if (TickPassed(deadline)) return line;
    port.Pause(1);
  }
}

// Sends an ADAM request and returns its reply without the "!AA" that starts it, or nothing
// when fewer than 5 bytes came within the ticks.
std::optional<std::string> AdamRequest(std::string_view command, uint32_t ticks) {
  SerialPort& port = SerialLine();
  port.Discard();
  port.Write(std::string(command) + '\r');
  const uint32_t deadline = rt::TickCount() + ticks;
  if (!WaitForBytes(port, 5, deadline, 0)) return std::nullopt;
  const std::string line = ReadReplyLine(port, rt::TickCount() + kLineRestTicks);
  return line.size() > 3 ? line.substr(3) : std::string();
}

void IdentifyAdamModules() {
  Print(70, 265, bullet + "   Contacting ADAM-4019...", 16);
  PlayStartSound("upvip.mp3");
  const std::optional<std::string> id = AdamRequest("$01M", kAdamFirstTimeoutTicks);
  if (!id) {
    ConnectionERROR("ADAM-4019");
    return;
  }
  Print(60, 300, "ADAM module ID:    " + *id + " at address 01", 16);
  const Str255 label = "Firmware version:   ";
  // The primary module's firmware is waited for as long as the others'.
  const std::string firmware = AdamRequest("$01F", kAdamTimeoutTicks).value_or("");
  Print(60, 327, label + std::string_view(firmware), 16);
  g_record.firmware = firmware;

  if (const auto output = AdamRequest("$02M", kAdamTimeoutTicks)) {
    ADAM4050present = 1;
    Print(80, 355, "*** ADAM-" + *output + " located at address 02", 16, RGBblue);
    AdamRequest("$02F", kAdamTimeoutTicks);
  }
  PrefsArray[PrefsSlot::Adam16Inputs] = 0;
  if (const auto second = AdamRequest("$03M", kAdamTimeoutTicks)) {
    PrefsArray[PrefsSlot::Adam16Inputs] = SecondAdamModuleCode(*second);
    Print(80, 378, "*** ADAM-" + second->substr(0, 4) + " located at address 03", 16, RGBred);
    AdamRequest("$03F", kAdamTimeoutTicks);
  }
  g_record.confirmed = true;
  WaitPumping(1500);
}

}  // namespace

// ---- the record and the line ------------------------------------------------------------------------

const ConnectionRecord& LastConnection() {
  return g_record;
}

void NoteConnectionError(const std::string& name) {
  g_record.errorName = name;
}

void SetPortLister(PortLister lister) {
  g_lister = std::move(lister);
}

std::vector<std::string> SerialPortList() {
  return g_lister ? g_lister() : ListSerialPorts();
}

void SetLineOpener(LineOpener opener) {
  g_opener = std::move(opener);
}

SerialOpenResult OpenActivePort(int32_t baud) {
  if (ActiveSerialPort > 0) ActiveSerialPort = static_cast<int16_t>(-ActiveSerialPort);
  CloseActivePort();
  const std::vector<std::string> ports = SerialPortList();
  const auto k = static_cast<size_t>(-static_cast<int>(ActiveSerialPort));
  SerialOpenResult r;
  if (k == 0)
    r = {false, "No serial port is chosen."};
  else if (k > ports.size())
    r = {false, "Serial port " + std::to_string(k) + " is no longer in the list of " +
                    std::to_string(ports.size()) + " ports."};
  else
    r = g_opener ? g_opener(ports[k - 1], baud) : OpenSerialPortPath(ports[k - 1], baud);
  if (r.ok) g_record.openings.push_back(baud);
  PrefsArray[PrefsSlot::SerialPortOpen] = r.ok ? 1 : 0;
  return r;
}

void CloseActivePort() {
  CloseSerialPort();
  PrefsArray[PrefsSlot::SerialPortOpen] = 0;
}

void EnsureProgressWindow() {
  if (!rt::WindowExists(kProgressWindow)) {
    const InterfaceRow& row = InterfaceFor(External_AD);
    BuildWINDOW(kProgressWindow, *row.startupTitle ? row.startupTitle : "External A/D Device", 40, 54, 550,
                445, 262);
  }
  rt::SetOutputWindow(kProgressWindow);
}

void WaitPumping(int ms) {
  const uint64_t end = rt::Microseconds() + static_cast<uint64_t>(std::max(ms, 0)) * 1000;
  for (uint64_t now = rt::Microseconds(); now < end; now = rt::Microseconds()) {
    rt::PumpEvents(0);
    rt::Delay(static_cast<int>(std::min<uint64_t>((end - now + 999) / 1000, 5)));
  }
}

void PlayStartSound(const char* file) {
  if (SoundsOn() && PrefsArray[PrefsSlot::StartupSounds] != 0) PlaySound(file, "MVsounds");
}

// ---- the road ------------------------------------------------------------------------------------------

void SetUpSerialPort() {
  g_record = {};
  rt::EnableMenuItem(kDAMenu, 0, true);
  const int16_t code = External_AD;
  EnsureProgressWindow();
  const SerialOpenResult opened = OpenActivePort(OpeningBaudRate(code, baudrate));
  if (!opened.ok) {
    // Nothing is read from a port that did not open: the user retries, changes the
    // interface, goes on in demonstration mode or quits.
    if (code != ExternalADCode::Demonstration)
      ReportUnopenedPort(code, opened.reason);
    else
      g_record.openError = opened.reason;
  } else {
    switch (code) {
      case ExternalADCode::SableUI3:
        ContactUI3();
        break;
      case ExternalADCode::SableUI2:
        ContactUI2();
        break;
      case ExternalADCode::DT500:
      case ExternalADCode::DT50:
        ContactDT500Family();
        break;
      case ExternalADCode::DT800:
      case ExternalADCode::DT80:
      case ExternalADCode::DT85:
        ContactDT800Family();
        break;
      case ExternalADCode::ADC1:
        ContactADC1();
        break;
      case ExternalADCode::ADAM:
        IdentifyAdamModules();
        break;
      default:  // demonstration and streaming input: the opening is all
        break;
    }
  }
  if (PrefsArray[PrefsSlot::RedoInterface] == 0) WaitPumping(500);
}

void CHANGE_SERIAL_PORT() {
  if (ActiveSerialPort == 0) return;
  if (PrefsArray[PrefsSlot::SerialPortOpen] != 0) CloseActivePort();
  int16_t row = 200;
  if (External_AD == ExternalADCode::SerialStream) {
    BuildWINDOW(kProgressWindow, "open port", 100, 100, 450, 160, 262);
    row = 2;
  } else {
    EnsureProgressWindow();
    rt::BringWindowForward(kProgressWindow);
    rt::SetOutputWindow(kProgressWindow);
  }
  DrawThisImage(CreateCGImageFromBundleResource("MVimages", "green arrows.gif"), 23,
                static_cast<int16_t>(row + 5), 81, static_cast<int16_t>(row + 49));
  EmbossPrint(0, "opening serial port...", 24, 100, static_cast<int16_t>(row + 30));
  rt::FlushWindow();
  rt::PumpEvents(0);
  SetUpSerialPort();
}

void ReconfigureSerialPort() {
  const auto normal = [](int16_t port) { return static_cast<int16_t>(port > 0 ? -port : port); };
  const int16_t oldPort = normal(ActiveSerialPort);
  const int32_t oldBaud = baudrate;
  ConfigureSERIALPORT();
  if (ActiveSerialPort == 0 || External_AD == ExternalADCode::Demonstration) return;
  if (normal(ActiveSerialPort) != oldPort || baudrate != oldBaud || !SerialLine().IsOpen())
    CHANGE_SERIAL_PORT();
}

}  // namespace mv
