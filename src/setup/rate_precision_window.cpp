// The "Sample Rate Precision" dialog (window 19): the accepted deviation of the
// achieved chart rate, kept in SampRateError and its button in preference slot 13.
#include "conversions/needs.h"
#include "kit/builders.h"
#include "kit/help.h"
#include "kit/protocol.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/windows.h"
#include "setup/rate_check_window.h"
#include "setup/state.h"

namespace mv {

namespace {

constexpr int16_t kWindow = kRatePrecisionWindow;
constexpr int16_t kOK = 9, kHelp = 10, kFirstRadio = 11, kLastRadio = 18;
constexpr int16_t kHeadingField = 1;

void PrecisionMenuHandler(int16_t menu, int16_t menuItem) {
  services::ShortMENU(menu, menuItem);
}

void SelectOnly(int16_t button) {
  for (int16_t b = kFirstRadio; b <= kLastRadio; ++b) rt::SetControlState(b, b == button ? 2 : 1);
}

void BuildPrecisionWindow() {
  // "\xB1" is the plus-minus sign.
  static constexpr const char* kLabels[] = {"\xB1 5%",  "\xB1 3% (default)", "\xB1 2%",   "\xB1 1%",
                                            "\xB1 0.5", "\xB1 0.3%",         "\xB1 0.2%", "\xB1 0.1%"};
  rt::CloseWindow(kWindow);
  BuildWINDOW(kWindow, "Sample Rate Precision", 50, 100, 510, 238, 6);
  BUILDEF(kHeadingField, "Sample rate error tolerance", 10, 8, 450, 40, 7, 1);
  rt::SetEditFont(kHeadingField, KitFont(KestraneFont, 24));
  for (int16_t i = 0; i < 8; ++i) {
    const int16_t left = i < 4 ? 20 : 170, top = static_cast<int16_t>(50 + 20 * (i % 4));
    rt::NewControl(static_cast<int16_t>(kFirstRadio + i), rt::ControlType::RadioButton, kLabels[i],
                   Rect{left, top, static_cast<int16_t>(left + 140), static_cast<int16_t>(top + 18)}, 1);
  }
  SelectOnly(ToleranceButtonForSlot(PrefsArray[kRateToleranceSlot]));
  DrawIcon(138, 350, 85);
  rt::NewControl(kHelp, rt::ControlType::PushButton, "?", Rect{300, 100, 330, 126}, 1);
  rt::NewControl(kOK, rt::ControlType::DefaultButton, "Selection OK", Rect{340, 100, 450, 126}, 1);
  rt::FlushWindow();
}

// True when the dialog ends.
bool HandleClick(int16_t button) {
  if (button >= kFirstRadio && button <= kLastRadio) {
    SelectOnly(button);
    PrefsArray[kRateToleranceSlot] = static_cast<int16_t>(button - 10);
    SampRateError = ToleranceForButton(button);
    return false;
  }
  if (button == kHelp) {
    DoHelpWindow(kRatePrecisionHelpTopic);
    rt::BringWindowForward(kWindow);
    rt::SetOutputWindow(kWindow);
    return false;
  }
  return button == kOK;
}

}  // namespace

void SampleRatePRECISION() {
  const HandlerScope callersHandlers;
  services::SetUpMENUs(0);
  BuildPrecisionWindow();
  Action = 0;
  EventID = 0;
  MENUID = 0;
  InstallDialogHandlers(PrecisionMenuHandler);
  for (;;) {
    rt::PumpEvents();
    if (!rt::WindowExists(kWindow)) break;
    rt::SetOutputWindow(kWindow);
    bool done = false;
    if (MENUID == 255) {
      MENUID = 0;
      BuildPrecisionWindow();
      InstallDialogHandlers(PrecisionMenuHandler);
    } else if (Action == ActionCode::Click) {
      done = HandleClick(static_cast<int16_t>(EventID));
    } else if (Action == ActionCode::CloseBox && EventID == kWindow) {
      done = true;
    } else if (Action == ActionCode::Key) {
      done = true;
    }
    Action = 0;
    EventID = 0;
    if (done) break;
  }
  rt::CloseWindow(kWindow);
  Action = 0;
  EventID = 0;
  services::SetUpMENUs(1);
}

}  // namespace mv
