// The "DataTaker 800 Acquisition Mode" window: high speed or high accuracy, the mains
// frequency and, in high speed, the mains filter; the chosen parameter block goes to
// the logger when the window closes.
#include "devices/dt800_mode_window.h"

#include "conversions/needs.h"
#include "devices/datataker_reader.h"
#include "devices/state.h"
#include "kit/builders.h"
#include "kit/help.h"
#include "kit/protocol.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/windows.h"

namespace mv {

namespace {

constexpr int16_t W = kDT800ModeWindow;
constexpr int16_t kFastButton = 1, kAccurateButton = 2, kMains60Button = 3, kMains50Button = 4, kNoFilterBox = 9,
                  kOKButton = 10, kHelpButton = 11;
constexpr int16_t kHelpTopic = 148;

int16_t Marked(bool on) {
  return on ? 2 : 1;
}

void ShowFilterBox() {
  rt::SetControlState(kNoFilterBox,
                      DT800FastAcquisitionMode != 0 ? Marked(PrefsArray[PrefsSlot::DT800MainsFilter] != 0) : 0);
}

void ShowChoices() {
  rt::SetControlState(kFastButton, Marked(DT800FastAcquisitionMode != 0));
  rt::SetControlState(kAccurateButton, Marked(DT800FastAcquisitionMode == 0));
  rt::SetControlState(kMains60Button, Marked(mainsfrequency == 60));
  rt::SetControlState(kMains50Button, Marked(mainsfrequency != 60));
  ShowFilterBox();
}

void Note(int16_t x, int16_t y, std::string_view text) {
  rt::DrawText(x, y, text, KitFont(KestraneFont, 14), RGBblue);
}

void BuildModeWindow() {
  BuildWINDOW(W, "DataTaker 800 Acquisition Mode", 100, 100, 510, 437, 6);
  EmbossPrint(1, "DT800 ADC characteristics", 24, 40, 40);
  const auto font = KitFont(KestraneFont, 12);
  rt::SetTextFont(font);
  BUILDBUTTON(kFastButton, 1, "High-speed Mode", 20, 70, 3, 0);
  BUILDBUTTON(kAccurateButton, 1, "High-accuracy Mode", 220, 70, 3, 0);
  const char* fastNote[] = {"Use this for the fastest", "sampling rates (with a", "small tradeoff in noise",
                            "and accuracy)"};
  const char* accurateNote[] = {"Use this for lowest noise", "and highest precision", "(but with lower maximal",
                                "sampling rates)"};
  for (int i = 0; i < 4; ++i) {
    Note(20, static_cast<int16_t>(110 + 20 * i), fastNote[i]);
    Note(220, static_cast<int16_t>(110 + 20 * i), accurateNote[i]);
  }
  rt::StrokeLine(205, 62, 205, 178, rt::StrokeStyle{0.4, 0.4, 0.4});
  BUILDBUTTON(kNoFilterBox, 1, "No Mains Filtration (for highest possible speed)", 20, 200, 2, 0);
  Note(30, 270, "Select mains frequncy (for AC noise rejection)");
  BUILDBUTTON(kMains60Button, 1, "60-Hz Mains Frequency", 30, 282, 3, 0);
  BUILDBUTTON(kMains50Button, 1, "50-Hz Mains Frequency", 220, 282, 3, 0);
  rt::NewControl(kHelpButton, rt::ControlType::PushButton, "?", Rect{20, 304, 44, 328}, 1);
  rt::NewControl(kOKButton, rt::ControlType::DefaultButton, "Selection OK", Rect{280, 304, 400, 328}, 1);
  ShowChoices();
  rt::FlushWindow();
  InstallDialogHandlers([](int16_t menu, int16_t item) { services::ShortMENU(menu, item); });
  Action = 0;
  EventID = 0;
}

// A control of the window; true when it ends the window.
bool Click(int16_t control) {
  switch (control) {
    case kFastButton:
      DT800FastAcquisitionMode = 1;
      upVipSOUND();
      break;
    case kAccurateButton:
      DT800FastAcquisitionMode = 0;
      downVipSOUND();
      break;
    case kMains60Button:
      mainsfrequency = 60;
      break;
    case kMains50Button:
      mainsfrequency = 50;
      break;
    case kNoFilterBox:
      TogglePrefs(PrefsSlot::DT800MainsFilter);
      break;
    case kHelpButton:
      DoHelpWindow(kHelpTopic);
      break;
    case kOKButton:
      return true;
    default:
      break;
  }
  ShowChoices();
  return false;
}

}  // namespace

void DT800COMMUNICATIONS() {
  const HandlerScope callersHandlers;
  services::SetUpMENUs(0);
  BuildModeWindow();
  bool done = false;
  while (!done && rt::WindowExists(W)) {
    rt::PumpEvents();
    rt::SetOutputWindow(W);
    if (Action == ActionCode::Click)
      done = Click(static_cast<int16_t>(EventID));
    else if (Action == ActionCode::Key)
      done = true;
    else if (Action == ActionCode::WindowActivity)
      done = EventID != W && EventID != -W;
    else if (Action == ActionCode::CloseBox)
      done = EventID == W;
    Action = 0;
    EventID = 0;
  }
  if (DT800FastAcquisitionMode != 0)
    SwitchDT800ToHIGHSpeed();
  else
    SwitchDT800ToLOWSpeed();
  rt::CloseWindow(W);
  services::SetUpMENUs(1);
}

}  // namespace mv
