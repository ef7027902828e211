// The Serial Port Selection window: the ports the interface may hang on, its baud rate,
// demonstration mode, and the automatic choice of the adapter shipped with an interface.
#include <string>
#include <vector>

#include "conversions/needs.h"
#include "devices/connection.h"
#include "devices/connection_road.h"
#include "devices/interfaces.h"
#include "devices/state.h"
#include "kit/builders.h"
#include "kit/help.h"
#include "kit/needs.h"
#include "kit/popups.h"
#include "kit/protocol.h"
#include "kit/resources.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/macroman.h"
#include "runtime/windows.h"

namespace mv {

namespace {

constexpr int16_t kWindow = 88;
constexpr int16_t kBaudPopup = 128, kDemoButton = 19, kOkButton = 20, kQuitButton = 21, kHelpButton = 22;
// Why the chosen port was refused (static text).
constexpr int16_t kRefusalField = 23;
// Port k of the list is radio button k + 10.
constexpr int16_t kPortButtonBase = 10;
constexpr RGBColor kBlack{0, 0, 0};

struct PortWindow {
  std::vector<std::string> paths;
  PortChoice choice;
  int16_t offset = 0;  // vertical offset of the buttons, growing with the list
  int16_t code = 0;    // the interface the window was opened for
};

rt::FontSpec Font(double size, bool bold = false, bool italic = false) {
  rt::FontSpec f = KitFont(KestraneFont, size);
  f.bold = bold;
  f.italic = italic;
  return f;
}

int16_t PortButton(int16_t k) {
  return static_cast<int16_t>(k + kPortButtonBase);
}

void BuildFrame(const PortWindow& w) {
  const InterfaceRow& row = InterfaceFor(External_AD);
  Str255 title = "Serial Port Selection:  ";
  if (External_AD != ExternalADCode::Demonstration) title += row.portWindowName;
  BuildWINDOW(kWindow, title, 40, 80, 660, PortWindowBottom(w.paths.size()), 6);
  if (PrefsArray[PrefsSlot::StartupSounds] != 0) wsst();
  rt::NewControl(kHelpButton, rt::ControlType::PushButton, "?", Rect{390, 90, 450, 110}, 1);
  rt::NewControl(kDemoButton, rt::ControlType::PushButton, "Use DEMO Mode",
                 Rect{340, static_cast<int16_t>(w.offset + 156), 470, static_cast<int16_t>(w.offset + 176)},
                 1);
}

void BuildBaudPopup() {
  if (External_AD == ExternalADCode::SableUI3) return;
  if (External_AD == ExternalADCode::SableUI2) baudrate = 115200;
  Popup128(kPopupMenu);
  rt::NewPopupControl(kBaudPopup, kPopupMenu, "", Rect{503, 15, 610, 30}, PopupItemForBaud(baudrate));
}

void BuildPortButtons(const PortWindow& w) {
  int16_t m = 0;
  for (int16_t k : w.choice.listed) {
    ++m;
    rt::NewControl(PortButton(k), rt::ControlType::RadioButton, w.paths[k - 1],
                   Rect{22, static_cast<int16_t>(22 * m + 24), 362, static_cast<int16_t>(22 * m + 42)}, 1);
  }
  if (!w.choice.listed.empty())
    rt::NewControl(kOkButton, rt::ControlType::DefaultButton, "Selection OK",
                   Rect{500, static_cast<int16_t>(w.offset + 156), 600, static_cast<int16_t>(w.offset + 176)},
                   1);
}

void ShowNoPorts(const PortWindow& w) {
  WARNINGSTRIPES(6);
  rt::DrawText(32, 36, "No appropriate ports found!", Font(22, true), RGBred);
  rt::DrawText(44, 67, bullet + " click  'use DEMO mode'  to continue with a", Font(14), kBlack);
  const Str255 simulated = "simulated A-D converter, ";
  rt::DrawText(64, 87, simulated, Font(14), kBlack);
  rt::DrawText(64 + rt::TextWidth(simulated, Font(14)), 87, " OR...", Font(14, false, true), kBlack);
  rt::DrawText(44, 113, bullet + "  click  'quit'  to check connections, then", Font(14), kBlack);
  rt::DrawText(64, 133, "relaunch Mirevant to try again", Font(14), kBlack);
  rt::NewControl(kQuitButton, rt::ControlType::PushButton, "Quit Mirevant",
                 Rect{190, static_cast<int16_t>(w.offset + 156), 320, static_cast<int16_t>(w.offset + 176)},
                 1);
  PlaySound(SoundsOn() ? "bzot.mp3" : "AlarmBUZZ.mp3", "MVsounds");
}

void ShowGuidance(const PortWindow& w) {
  if (w.code == ExternalADCode::SableUI3) {
    DrawThisImage(CreateCGImageFromBundleResource("MVimages", "UI3small.gif"), 485, 37, 578, 137);
    rt::DrawText(380, 20, "The UI3 always uses 115.2 Kbaud.", Font(13), kBlack);
  } else {
    rt::DrawText(380, 60, "Be sure to match the baud rates", Font(13), kBlack);
    rt::DrawText(380, 78, "of the computer and A-D converter.", Font(13), kBlack);
    const Str255 label = "Baud rate:";
    const rt::FontSpec big = Font(18);
    rt::FillRect(408, 13, 4 + rt::TextWidth(label, big), 23, LightGray.red / 65535.0,
                 LightGray.green / 65535.0, LightGray.blue / 65535.0);
    rt::DrawText(410, 31, label, big, RGBblue);
  }
  if (w.choice.listed.empty()) return;
  rt::DrawText(29, 33, "Finding ports...", Font(13), RGBred);
  rt::FlushWindow();
  ClearArea(27, 18, 200, 38);
  const int16_t boxBottom = static_cast<int16_t>(22 * w.choice.listed.size() + 50);
  BUILDBOX(14, 42, 370, boxBottom);
  DrawThisImage(CreateCGImageFromBundleResource("MVimages", "green arrows.gif"), 110,
                static_cast<int16_t>(w.offset + 146), 168, static_cast<int16_t>(w.offset + 190));
  rt::DrawText(19, 33, "Available serial ports:", Font(18), RGBblue);
  rt::SetControlState(PortButton(w.choice.last), 2);
}

void ChoosePort(const PortWindow& w, int16_t k) {
  for (int16_t other : w.choice.listed) rt::SetControlState(PortButton(other), 1);
  rt::SetControlState(PortButton(k), 2);
  ActiveSerialPort = static_cast<int16_t>(-k);
}

bool IsListed(const PortWindow& w, int32_t k) {
  for (int16_t listed : w.choice.listed)
    if (listed == k) return true;
  return false;
}

// A port another program holds is not taken: the window says so and stays, and that
// program's recording goes on untouched. False when the port was refused.
bool ChosenPortFree(const PortWindow& w) {
  const auto k = static_cast<size_t>(-static_cast<int>(ActiveSerialPort));
  if (k < 1 || k > w.paths.size() || !SerialPortHeldBy(w.paths[k - 1])) {
    if (rt::EditFieldExists(kRefusalField)) rt::SetEditText(kRefusalField, "");
    return true;
  }
  // In place of the guidance beside the rate, right of the help button; the port is the
  // one marked in the list.
  ClearArea(372, 36, 616, 150);
  rt::NewEditField(kRefusalField, Utf8ToMacRoman(PortInUseText(w.paths[k - 1], false)),
                   Rect{458, 40, 616, 150}, 5, 0);
  PlaySound("bzot.mp3", "MVsounds");
  return false;
}

// The window's loop: ends on a choice, on a close box or on a typed key.
void RunPortWindow(const PortWindow& w) {
  InstallDialogHandlers(NoMENU);
  Action = 0;
  EventID = 0;
  for (;;) {
    rt::PumpEvents();
    if (Action == ActionCode::Click) {
      if (EventID == kBaudPopup) {
        baudrate = BaudForPopupItem(rt::ControlValue(kBaudPopup));
        if (SoundsOn()) PlaySound("big click.mp3", "MVsounds");
      } else if (EventID > kPortButtonBase && IsListed(w, EventID - kPortButtonBase)) {
        ChoosePort(w, static_cast<int16_t>(EventID - kPortButtonBase));
      } else if (EventID == kDemoButton) {
        PrefsArray[PrefsSlot::SetupKnownAtStart] = 0;
        ActiveSerialPort = 0;
        DemonstrationMODE = 1;
        External_AD = ExternalADCode::Demonstration;
        return;
      } else if (EventID == kOkButton) {
        if (ChosenPortFree(w)) {
          PrefsArray[PrefsSlot::SetupKnownAtStart] = 1;
          return;
        }
      } else if (EventID == kQuitButton) {
        services::Quit();
      } else if (EventID == kHelpButton) {
        HBGotoPage("baudRates.html");
        rt::BringWindowForward(kWindow);
        rt::SetOutputWindow(kWindow);
      }
    } else if (Action == ActionCode::CloseBox) {
      if (EventID != kWindow) PrefsArray[PrefsSlot::SetupKnownAtStart] = 1;
      return;
    } else if (Action == ActionCode::Key) {
      if (ChosenPortFree(w)) return;
    }
    Action = 0;
  }
}

}  // namespace

void ConfigureSERIALPORT() {
  const HandlerScope callersHandlers;
  services::SetUpMENUs(0);
  PortWindow w;
  w.paths = SerialPortList();
  w.choice = ChoosePorts(w.paths, IsPreferredAdapterPath);
  w.offset = PortWindowOffset(w.paths.size());
  w.code = External_AD;
  BuildFrame(w);
  BuildBaudPopup();
  BuildPortButtons(w);
  if (w.choice.last != 0) ActiveSerialPort = static_cast<int16_t>(-w.choice.last);
  if (w.choice.listed.empty()) ShowNoPorts(w);

  // The open line stays open: the caller reconnects when the choice changed.
  bool ask = true;
  if (w.choice.listed.empty()) {
    ActiveSerialPort = 0;
    DemonstrationMODE = 1;
    if (External_AD != ExternalADCode::SerialStream) External_AD = ExternalADCode::Demonstration;
  } else if (PrefsArray[PrefsSlot::AutoSerialPort] != 0 && w.choice.preferred != 0) {
    // Without a preferred adapter the automatic choice would leave no port at all: the
    // user is asked instead.
    ActiveSerialPort = static_cast<int16_t>(-w.choice.preferred);
    ask = false;
  }
  if (ask) {
    ShowGuidance(w);
    rt::FlushWindow();
    RunPortWindow(w);
  }

  rt::CloseWindow(kWindow);
  if (SoundsOn() && PrefsArray[PrefsSlot::StartupSounds] != 0) PlaySound("tick.mp3", "MVsounds");
  Action = 0;
  EventID = 0;
  MENUID = 0;
  item = 0;
  services::SetUpMENUs(1);
}

}  // namespace mv
