#include "devices/adam_windows.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "conversions/needs.h"
#include "devices/adam_protocol.h"
#include "devices/adam_reader.h"
#include "devices/hardware_input.h"
#include "devices/state.h"
#include "kit/builders.h"
#include "kit/channel_labels.h"
#include "kit/format.h"
#include "kit/help.h"
#include "kit/protocol.h"
#include "kit/resources.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "runtime/windows.h"
#include "setup/state.h"

namespace mv {

namespace {

constexpr RGBColor kBlack{0, 0, 0};
constexpr int16_t kAddressWindow = 18, kCheckWindow = 999, kSensorWindow = 11;
constexpr int16_t kAddressField = 5, kAddressRefusal = 6, kChangeButton = 9, kDoneButton = 10,
                  kAddressHelp = 11, kCancelButton = 12;
constexpr int16_t kOkButton = 130, kHelpButton = 134, kSensorRefusal = 19;
// The second module's code in the preferences when it is an ADAM-4017.
constexpr int16_t kSecondIs4017 = 13;
constexpr const char* kAddressRefusalText = "The original address is 1 or 2 hexadecimal digits (0-9, A-F).";

struct SensorButton {
  int16_t code;
  const char* text;  // Mac Roman: 0xB1 is the plus-minus sign
  int16_t base;
  bool thermocouple;
};
constexpr std::array<SensorButton, 7> kSensorButtons{{{adam::Sensor::Volts10, "\xB1 10", 340, false},
                                                      {adam::Sensor::Volts5, "\xB1 5", 220, false},
                                                      {adam::Sensor::Volts2_5, "\xB1 2.5", 240, false},
                                                      {adam::Sensor::Volts1, "\xB1 1", 260, false},
                                                      {adam::Sensor::TypeJ, "J", 280, true},
                                                      {adam::Sensor::TypeK, "K", 300, true},
                                                      {adam::Sensor::TypeT, "T", 320, true}}};

// The sensor code of a clicked radio button, and its row; code 0 when none.
std::pair<int16_t, int16_t> ClickedSensor(int32_t id) {
  for (const SensorButton& b : kSensorButtons)
    if (id > b.base && id <= b.base + 16) return {b.code, static_cast<int16_t>(id - b.base)};
  return {0, 0};
}

void MarkRow(int16_t row, int16_t sensor) {
  for (const SensorButton& b : kSensorButtons) {
    const int16_t n = static_cast<int16_t>(b.base + row);
    if (rt::ControlExists(n)) rt::SetControlState(n, b.code == adam::ShownSensor(sensor) ? 2 : 1);
  }
}

void SetPlotLimits(int16_t channel, int16_t sensor) {
  if (const auto limits = adam::PlotLimitsOf(sensor)) {
    ChannelVariables[channel][ChanField::PlotMax] = limits->max;
    ChannelVariables[channel][ChanField::PlotMin] = limits->min;
  }
}

// The channel's input when the modules have it (16 inputs at most), else 0.
int AdamInputOf(int16_t channel) {
  const int16_t input = HardwareInputOf(channel);
  return input <= 16 ? input : 0;
}

// Inputs 9 to 16 are the second module's.
bool OnAdam4017(int input) {
  return input >= 9 && input <= 16 && PrefsArray[PrefsSlot::Adam16Inputs] == kSecondIs4017;
}

void DrawPanels(int16_t left, int16_t top, int16_t rows, int16_t voltRows, int16_t tcRows) {
  const rt::FontSpec font = KitFont(KestraneFont, 11);
  rt::DrawText(left, top - 6, "Volts;  input range:", font, kBlack);
  rt::DrawText(left + 270, top - 6, "Thermocouple type:", font, kBlack);
  BuildGrayBox(left, top, static_cast<int16_t>(left + 255), static_cast<int16_t>(top + voltRows * rows + 4), 0);
  if (tcRows > 0)
    BuildGrayBox(static_cast<int16_t>(left + 270), top, static_cast<int16_t>(left + 420),
                 static_cast<int16_t>(top + tcRows * rows + 4), 0);
}

// The seven buttons of one row; `offered` says which are offered.
template <typename Offered>
void BuildRow(int16_t row, int16_t left, int16_t y, int16_t sensor, Offered offered) {
  int16_t x = left + 6;
  for (const SensorButton& b : kSensorButtons) {
    if (b.thermocouple && x < left + 276) x = static_cast<int16_t>(left + 276);
    if (offered(b)) BUILDBUTTON(static_cast<int16_t>(b.base + row), 1, b.text, x, y, 3, 0);
    x = static_cast<int16_t>(x + (b.thermocouple ? 46 : 62));
  }
  MarkRow(row, sensor);
}

void ShowHelp(int16_t topic, int16_t window) {
  DoHelpWindow(topic);
  if (rt::WindowExists(window)) rt::BringWindowForward(window);
}

}  // namespace

int16_t AdamSensorButton(int16_t sensorType, int16_t row) {
  for (const SensorButton& b : kSensorButtons)
    if (b.code == adam::ShownSensor(sensorType)) return static_cast<int16_t>(b.base + row);
  return 0;
}

int16_t AdamPreselectedInput(int16_t channel, int16_t count, bool newChannel) {
  const int present = AdamInputOf(channel);
  if (newChannel) {
    for (int16_t k = 1; k <= count; ++k)
      if (ChannelButtonsArray[k] == 0.0f) return k;
  }
  return present >= 1 && present <= count ? static_cast<int16_t>(present) : int16_t{1};
}

// ---- address setting ------------------------------------------------------------------

void SendNewAddressCheck(const std::string& command) {
  const HandlerScope callersHandlers;
  BuildWINDOW(kCheckWindow, "New ADAM address check", 100, 200, 500, 350, 0);
  const rt::FontSpec font = KitFont(KestraneFont, 14);
  rt::FontSpec bold = font;
  bold.bold = true;
  std::string shown = command;
  if (!shown.empty() && shown.back() == '\r') shown.pop_back();
  rt::DrawText(15, 25, "Address command sent:    " + shown, font, kBlack);
  rt::NewControl(2, rt::ControlType::PushButton, "Done", Rect{300, 115, 380, 135}, 1);
  rt::FlushWindow();
  InstallDialogHandlers(NoMENU);
  Action = 0;
  EventID = 0;

  SerialPort& port = SerialLine();
  const uint32_t deadline = rt::TickCount() + kAdamRangeTimeoutTicks;
  rt::Delay(10);
  const std::optional<std::string> reply = AwaitAdamLine(port, 2, deadline, 0);
  if (!reply) {
    PlaySound("bzot.mp3", "MVsounds");
    rt::DrawText(15, 55, "Communication timeout error! ", bold, RGBred);
  } else {
    rt::DrawText(15, 50, "response received:   " + *reply, font, kBlack);
    if (!adam::AddressAccepted(*reply)) {
      PlaySound("bzot.mp3", "MVsounds");
      rt::DrawText(15, 75, "Possible error (invalid command)! ", bold, RGBred);
    } else {
      upVipSOUND();
      rt::DrawText(15, 75, "Re-addressing apparently successful! ", bold, kBlack);
      rt::DrawText(15, 95, "Wait 7 seconds for reset to finish...", font, kBlack);
      BUILDEF(1, " 0", 15, 105, 260, 138, 5, 0);
      rt::SetEditFont(1, KitFont(KestraneFont, 24));
      // The module restarts with its new address; the count shows the user when it is done.
      const uint64_t start = rt::Microseconds();
      for (int64_t shownSecond = 0;;) {
        const int64_t second = static_cast<int64_t>((rt::Microseconds() - start) / 1000000u);
        if (second > 7) break;
        if (second != shownSecond) {
          shownSecond = second;
          rt::SetEditText(1, NumText(static_cast<double>(second)).str());
        }
        rt::PumpEvents(0);
        rt::Delay(50);
      }
      rt::SetEditText(1, "OK to proceed");
    }
  }
  rt::FlushWindow();
  // A click on Done during the count is kept: the window then closes at once.
  for (;;) {
    if (Action == ActionCode::Nothing) rt::PumpEvents();
    if (Action == ActionCode::Click && EventID == 2) break;
    if (Action == ActionCode::CloseBox && EventID == kCheckWindow) break;
    Action = 0;
  }
  rt::CloseWindow(kCheckWindow);
  Action = 0;
  EventID = 0;
}

namespace {

void BuildAddressWindow() {
  BuildWINDOW(kAddressWindow, "ADAM Module Address Setting", 50, 50, 600, 400, 0);
  DrawThisImage(CreateCGImageFromBundleResource("MVimages", "ADAM image.gif"), 440, 205, 520, 286);
  BuildGrayBox(10, 10, 540, 200, 0);
  const rt::FontSpec font = KitFont(KestraneFont, 12);
  rt::FontSpec bold = font;
  bold.bold = true;
  rt::DrawText(20, 30, bullet.str() + "  This function sets the address of an additional ADAM module (4050, 4017,", font,
               kBlack);
  rt::DrawText(20, 46, "or 4019).  A 4050 is always set to address 2; a 4017 or 4019 is set to address 3.", font,
               kBlack);
  rt::DrawText(20, 62, "The primary 4019 uses the default factory setting of address 1.", font, kBlack);
  rt::DrawText(20, 90, bullet.str(), font, kBlack);
  rt::DrawText(30, 90, " CAUTION:  ", bold, RGBred);
  rt::DrawText(110, 90, "Before proceeding, you need to make sure the new module is the", font, kBlack);
  rt::DrawText(30, 106, "only one connected to the computer. ", font, kBlack);
  rt::DrawText(30, 122, "Click the '?' button for details.", font, kBlack);
  rt::DrawText(20, 150, "Select the module to be re-addressed:", bold, kBlack);
  BUILDBUTTON(1, 1, "ADAM-4050 (digital outputs)", 30, 215, 3, 0);
  BUILDBUTTON(2, 1, "ADAM-4017 or -4019 (as additional 8 A-D inputs)", 30, 240, 3, 0);
  BUILDBUTTON(3, 1, "Primary ADAM-4019 (if address is not 1)", 30, 265, 3, 0);
  BUILDEF(4, "original address:", 30, 297, 150, 315, 5, 0);
  BUILDEF(kAddressField, "1", 155, 295, 195, 315, 1, 0);
  BUILDEF(kAddressRefusal, "", 20, 168, 490, 188, 5, 0);
  rt::SetEditColors(kAddressRefusal, RGBred, LightGray);
  rt::NewControl(kChangeButton, rt::ControlType::PushButton, "Change the Address", Rect{220, 293, 380, 315}, 1);
  rt::NewControl(kDoneButton, rt::ControlType::DefaultButton, "Done", Rect{460, 315, 530, 337}, 1);
  rt::NewControl(kAddressHelp, rt::ControlType::PushButton, "?", Rect{500, 160, 530, 182}, 1);
  rt::NewControl(kCancelButton, rt::ControlType::PushButton, "Cancel", Rect{380, 315, 450, 337}, 1);
  rt::FlushWindow();
}

}  // namespace

void SetADAMaddress() {
  const HandlerScope callersHandlers;
  BuildAddressWindow();
  InstallDialogHandlers(NoMENU);
  adam::ModuleKind kind = adam::ModuleKind::None;
  Action = 0;
  EventID = 0;
  for (;;) {
    rt::PumpEvents();
    if (Action == ActionCode::Click) {
      const int32_t id = EventID;
      if (id >= 1 && id <= 3) {
        kind = static_cast<adam::ModuleKind>(id);
        for (int16_t b = 1; b <= 3; ++b) rt::SetControlState(b, b == id ? 2 : 1);
      } else if (id == kChangeButton && kind != adam::ModuleKind::None) {
        // Only a real address goes out: a CR or comma typed into the field would end
        // or split the command, and the modules on the line would take the rest.
        const auto command = adam::AddressCommand(kind, rt::EditText(kAddressField));
        rt::SetEditText(kAddressRefusal, command ? "" : kAddressRefusalText);
        if (!command) {
          zap();
        } else {
          SerialLine().Discard();
          SerialLine().Write(*command);
          SendNewAddressCheck(*command);
          rt::SetOutputWindow(kAddressWindow);
          InstallDialogHandlers(NoMENU);
        }
      } else if (id == kAddressHelp) {
        ShowHelp(172, kAddressWindow);
      } else if (id == kDoneButton || id == kCancelButton) {
        break;
      }
    } else if (Action == ActionCode::CloseBox && EventID == kAddressWindow) {
      break;
    }
    Action = 0;
  }
  Action = 0;
  EventID = 0;
  rt::CloseWindow(kAddressWindow);
}

// ---- sensor types ---------------------------------------------------------------------

// The sensor windows' OK and help buttons at okLeft, then the handlers of a dialog.
void FinishSensorWindow(int okLeft, int height) {
  const auto top = static_cast<int16_t>(height - 40), bottom = static_cast<int16_t>(height - 18);
  rt::NewControl(kOkButton, rt::ControlType::DefaultButton, "Selection OK",
                 Rect{static_cast<int16_t>(okLeft), top, static_cast<int16_t>(okLeft + 120), bottom}, 1);
  rt::NewControl(kHelpButton, rt::ControlType::PushButton, "?",
                 Rect{static_cast<int16_t>(okLeft - 50), top, static_cast<int16_t>(okLeft - 20), bottom}, 1);
  rt::FlushWindow();
  if (PrefsArray[PrefsSlot::AlwaysShowHelpData]) ShowHelp(171, kSensorWindow);
  InstallDialogHandlers(NoMENU);
  Action = 0;
  EventID = 0;
}

namespace {

// Whether a channel is set to a range or type its ADAM-4017 input lacks (a set-up file
// may hold one): the module would refuse the range command and keep reading on its old
// range. The window says which channel, and is not left until it is changed.
bool RefuseSettingTheModuleLacks(int16_t channels) {
  rt::SetOutputWindow(kSensorWindow);
  for (int16_t k = 1; k <= channels; ++k) {
    if (!OnAdam4017(AdamInputOf(k)) || adam::Adam4017Has(ADsensorType[k])) continue;
    rt::SetEditText(kSensorRefusal, "Channel " + std::to_string(k) +
                                        ": the ADAM-4017 has only the \xB1 10, \xB1 5 and \xB1 1 V ranges.");
    zap();
    return true;
  }
  rt::SetEditText(kSensorRefusal, "");
  return false;
}

}  // namespace

void ADAMseriesSTATUS() {
  const HandlerScope callersHandlers;
  const int16_t n = static_cast<int16_t>(std::clamp<int>(nChannels, 0, 16));
  const int16_t rows = 24, top = 95;
  const int16_t height = static_cast<int16_t>(std::max(335, top + n * rows + 60));
  BuildWINDOW(kSensorWindow, "Sensor Type Selection For ADAM-4019", 55, 150, 755, static_cast<int16_t>(150 + height), 0);
  EmbossPrint(0, "ADAM  signal connections", 20, 20, 30);
  DrawThisImage(CreateCGImageFromBundleResource("MVimages", "ADAM image B.gif"), 600, 5, 690, 70);
  DrawPanels(250, top - 10, rows, n, n);
  const rt::FontSpec font = KitFont(KestraneFont, 12);
  for (int16_t k = 1; k <= n; ++k) {
    const int16_t y = static_cast<int16_t>(top + (k - 1) * rows);
    rt::DrawText(8, y + 12, NumText(k).str().substr(1) + ":", font, kBlack);
    BUILDEF(k, ChannelLabel(k), 35, y, 190, static_cast<int16_t>(y + 18), 1, 0);
    rt::DrawText(198, y + 12, "read as", font, kBlack);
    // A row on an ADAM-4017 offers its ranges only, and shows a setting it lacks.
    const bool on4017 = OnAdam4017(AdamInputOf(k));
    const int16_t stored = adam::ShownSensor(ADsensorType[k]);
    BuildRow(k, 250, y, ADsensorType[k],
             [&](const SensorButton& b) { return !on4017 || adam::Adam4017Has(b.code) || b.code == stored; });
  }
  BUILDEF(kSensorRefusal, "", 20, static_cast<int16_t>(height - 40), 500, static_cast<int16_t>(height - 20),
          5, 0);
  rt::SetEditColors(kSensorRefusal, RGBred, LightGray);
  FinishSensorWindow(560, height);
  for (;;) {
    rt::PumpEvents();
    if (Action == ActionCode::Click) {
      const auto [code, row] = ClickedSensor(EventID);
      if (code != 0 && row <= n) {
        ADsensorType[row] = code;
        SetPlotLimits(row, code);
        MarkRow(row, code);
      } else if (EventID == kHelpButton) {
        ShowHelp(171, kSensorWindow);
      } else if (EventID == kOkButton && !RefuseSettingTheModuleLacks(n)) {
        break;
      }
    } else if (Action == ActionCode::Key || (Action == ActionCode::CloseBox && EventID == kSensorWindow)) {
      if (!RefuseSettingTheModuleLacks(n)) break;
    }
    Action = 0;
  }
  rt::SetOutputWindow(kSensorWindow);
  for (int16_t k = 1; k <= n; ++k) SetChannelLabel(k, rt::EditText(k));
  rt::CloseWindow(kSensorWindow);
  SetADAM(0, 1);
  Action = 0;
  EventID = 0;
  services::SetUpMENUs(1);
  DisplaySetupEFchanged = 1;
}

// ---- input selection ------------------------------------------------------------------

void ADAMChannels(int16_t channel, int16_t newChannel) {
  const HandlerScope callersHandlers;
  if (channel < 1 || channel > 16) return;
  const int16_t second = PrefsArray[PrefsSlot::Adam16Inputs];
  const int16_t count = second != 0 ? 16 : 8;
  PrefsArray[PrefsSlot::HardwareInputs] = count;

  // The window's own choice per input: what the channel on that input uses now, and for
  // this channel's own input, its own setting.
  std::array<int16_t, 17> choice{};
  ChannelButtonsArray.fill(0.0f);
  for (int16_t c = 1; c <= std::clamp<int>(nChannels, 0, 16); ++c) {
    const int input = AdamInputOf(c);
    if (input == 0 || c == channel) continue;
    ChannelButtonsArray[input] = 1.0f;
    if (choice[input] == 0) choice[input] = ADsensorType[c];
  }
  if (const int own = AdamInputOf(channel)) choice[own] = ADsensorType[channel];
  InputNumber = AdamPreselectedInput(channel, count, newChannel != 0);

  const int16_t rows = 22, top = 80;
  const int16_t height = count == 16 ? 475 : 325;
  BuildWINDOW(kSensorWindow, Str255("Input Selection For Chart Channel") + NumText(channel), 55, 150, 695,
              static_cast<int16_t>(150 + height), 0);
  EmbossPrint(0,
              second == kSecondIs4017 ? "ADAM-4019 + 4017* signal connections"
              : second == 14          ? "ADAM-4019 + 4019* signal connections"
                                      : "ADAM-4019 signal connections",
              20, 20, 30);
  DrawPanels(215, top - 10, rows, count, second == 14 ? 16 : 8);
  const rt::FontSpec font = KitFont(KestraneFont, 12);
  for (int16_t k = 1; k <= count; ++k) {
    const int16_t y = static_cast<int16_t>(top + (k - 1) * rows);
    Str255 label = Str255("Input") + NumText(k) + (k > 8 ? "*" : "");
    rt::NewControl(k, rt::ControlType::PushButton, label, Rect{8, y, 78, static_cast<int16_t>(y + 18)},
                   k == InputNumber ? 2 : 1);
    BUILDEF(static_cast<int16_t>(100 + k), ChannelButtonsArray[k] != 0.0f ? " in use" : "     available ", 84,
            y, 165, static_cast<int16_t>(y + 18), 5, 0);
    rt::DrawText(169, y + 12, "read as", font, kBlack);
    BuildRow(k, 215, y, choice[k], [&](const SensorButton& b) {
      if (OnAdam4017(k)) return adam::Adam4017Has(b.code);
      return !b.thermocouple || k <= 8 || second == 14;
    });
  }
  FinishSensorWindow(500, height);
  for (;;) {
    rt::PumpEvents();
    if (Action == ActionCode::Click) {
      const int32_t id = EventID;
      const auto [code, row] = ClickedSensor(id);
      if (id >= 1 && id <= count) {
        InputNumber = static_cast<int16_t>(id);
        for (int16_t k = 1; k <= count; ++k) rt::SetControlState(k, k == id ? 2 : 1);
      } else if (code != 0 && row <= count) {
        choice[row] = code;
        MarkRow(row, code);
      } else if (id == kHelpButton) {
        ShowHelp(171, kSensorWindow);
      } else if (id == kOkButton) {
        break;
      }
    } else if (Action == ActionCode::CloseBox && EventID == kSensorWindow) {
      break;
    }
    Action = 0;
  }
  ChannelVariables[channel][ChanField::Input] = InputNumber;
  ADsensorType[channel] = adam::ShownSensor(choice[InputNumber]);
  SetPlotLimits(channel, ADsensorType[channel]);
  Action = 0;
  EventID = 0;
  rt::CloseWindow(kSensorWindow);
}

}  // namespace mv
