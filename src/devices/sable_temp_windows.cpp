#include "devices/sable_temp_windows.h"

#include <cmath>

#include "conversions/needs.h"
#include "devices/state.h"
#include "kit/builders.h"
#include "kit/format.h"
#include "kit/protocol.h"
#include "kit/resources.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/windows.h"
#include "setup/state.h"

namespace mv {

namespace {

constexpr int16_t kDoneButton = 40, kCloseButton = 10;
constexpr RGBColor kBlack{0, 0, 0};

void TempMENU(int16_t menu, int16_t menuItem) {
  services::ShortMENU(menu, menuItem);
}

// Done-like endings shared by both windows: Return, the close box, or a click in
// another window.
bool EndsWindow(int16_t window) {
  if (Action == ActionCode::Key) return true;
  if (Action == ActionCode::CloseBox) return true;
  return Action == ActionCode::WindowActivity && EventID > 0 && EventID != window;
}

// Marks the button of the mode alone in row k (buttons k, 10 + k, 20 + k).
void MarkRow(int16_t k, int16_t mode) {
  for (int16_t m = 0; m <= 2; ++m) rt::SetControlState(static_cast<int16_t>(k + 10 * m), m == mode ? 2 : 1);
}

}  // namespace

Str255 SableTempTitle(int16_t externalAD) {
  return Str255(externalAD == ExternalADCode::SableUI3 ? "UI3" : "UI2") + "Temperature Channels";
}

int16_t TempModeButton(int16_t mode) {
  if (mode == 0) return 1;
  return mode == 2 ? 3 : 2;
}

int16_t TemperatureInputOf(int16_t hardwareInput) {
  return hardwareInput >= 9 && hardwareInput <= 12 ? static_cast<int16_t>(hardwareInput - 8) : 0;
}

void SABLETEMPCHANNELS() {
  const HandlerScope callersHandlers;
  BuildWINDOW(kSableTempWindow, SableTempTitle(External_AD), 106, 50, 530, 275, 6);
  SetWindowBackground(LightGray, true);
  upVipSOUND();
  EmbossPrint(1, "T1-T4 input modes", 20, 20, 34);
  const char* picture = External_AD == ExternalADCode::SableUI3 ? "UI3.gif" : "UI2.gif";
  DrawThisImage(CreateCGImageFromBundleResource("MVimages", picture), 300, 10, 410, 70);
  const rt::FontSpec head = KitFont(KestraneFont, 14), row = KitFont(KestraneFont, 16);
  rt::DrawText(150, 90, "temperature", head, kBlack);
  rt::DrawText(260, 90, "volts", head, kBlack);
  rt::DrawText(330, 90, "Ohms", head, kBlack);
  static const char* kRows[4] = {"Input 9  (T1):", "Input 10 (T2):", "Input 11 (T3):", "Input 12 (T4):"};
  for (int16_t k = 1; k <= 4; ++k) {
    const int16_t y = static_cast<int16_t>(100 + 25 * (k - 1));
    rt::DrawText(20, y + 15, kRows[k - 1], row, kBlack);
    const int16_t xs[3] = {180, 270, 340};
    for (int16_t m = 0; m <= 2; ++m)
      rt::NewControl(static_cast<int16_t>(k + 10 * m), rt::ControlType::RadioButton, "",
                     Rect{xs[m], y, static_cast<int16_t>(xs[m] + 20), static_cast<int16_t>(y + 18)},
                     TInputMode[k] == m ? 2 : 1);
  }
  rt::NewControl(kDoneButton, rt::ControlType::DefaultButton, "Done", Rect{320, 195, 400, 215}, 1);
  InstallDialogHandlers(TempMENU);
  Action = 0;
  EventID = 0;
  for (;;) {
    rt::PumpEvents();
    if (Action == ActionCode::Click) {
      if (EventID == kDoneButton) break;
      const int16_t k = static_cast<int16_t>(EventID % 10), mode = static_cast<int16_t>(EventID / 10);
      if (k >= 1 && k <= 4 && mode <= 2) {
        TInputMode[k] = mode;
        MarkRow(k, mode);
      }
    } else if (EndsWindow(kSableTempWindow)) {
      break;
    }
    Action = 0;
  }
  rt::CloseWindow(kSableTempWindow);
  Action = 0;
  EventID = 0;
}

void CheckUI2TempChannel(int16_t channel) {
  const HandlerScope callersHandlers;
  if (channel < 1 || channel > 16) return;
  const float input = ChannelVariables[channel][ChanField::Input];
  hardwareADchannel = std::isfinite(input) ? static_cast<int16_t>(std::trunc(input)) : 0;
  const int16_t t = TemperatureInputOf(hardwareADchannel);
  if (t == 0) return;  // not a temperature input: there is no mode to set
  BuildWINDOW(kTempChannelWindow, "UI2 Temperature Channel", 100, 100, 470, 226, 6);
  EmbossPrint(1, Str255("Options for input T") + static_cast<char>('0' + t), 18, 70, 34);
  DrawIcon(128, 20, 44);
  const char* titles[3] = {"Temperature", "Volts", "Ohms"};
  for (int16_t b = 1; b <= 3; ++b)
    rt::NewControl(b, rt::ControlType::RadioButton, titles[b - 1],
                   Rect{static_cast<int16_t>(20 + 110 * (b - 1)), 56, static_cast<int16_t>(120 + 110 * (b - 1)), 76},
                   TempModeButton(TInputMode[t]) == b ? 2 : 1);
  rt::NewControl(kCloseButton, rt::ControlType::DefaultButton, "OK -- Close", Rect{240, 94, 350, 114}, 1);
  InstallDialogHandlers(NoMENU);
  Action = 0;
  EventID = 0;
  for (;;) {
    rt::PumpEvents();
    if (Action == ActionCode::Click) {
      if (EventID == kCloseButton) break;
      if (EventID >= 1 && EventID <= 3) {
        TInputMode[t] = static_cast<int16_t>(EventID - 1);
        for (int16_t b = 1; b <= 3; ++b) rt::SetControlState(b, b == EventID ? 2 : 1);
      }
    } else if (EndsWindow(kTempChannelWindow)) {
      break;
    }
    Action = 0;
  }
  rt::CloseWindow(kTempChannelWindow);
  Action = 0;
  EventID = 0;
}

}  // namespace mv
