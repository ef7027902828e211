// The input selection dialog (window 11): which input of the interface feeds a
// channel, with the inputs other channels use, the Sable temperature inputs' read
// modes and the ADC-1 gain, and the interface windows that follow the choice.
#include <algorithm>

#include "devices/state.h"
#include "files/state.h"
#include "kit/builders.h"
#include "kit/drawing.h"
#include "kit/format.h"
#include "kit/help.h"
#include "kit/protocol.h"
#include "kit/resources.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/windows.h"
#include "setup/channel_dialogs.h"
#include "setup/channel_table.h"
#include "setup/needs.h"
#include "setup/state.h"

namespace mv {

namespace {

constexpr int16_t kWindow = kInputWindow;
constexpr int16_t kOK = 130, kHelp = 134, kReturnItem = 30;
constexpr int16_t kFirstVolts = 21, kFirstOhms = 25, kFirstGain = 31;
constexpr int16_t kRowHeight = 22;
constexpr RGBColor kBlack{0, 0, 0};

bool Sable(int16_t externalAD) {
  return externalAD == ExternalADCode::SableUI2 || externalAD == ExternalADCode::SableUI3;
}

void ChannelMenuHandler(int16_t menu, int16_t menuItem) {
  setup_hooks::DoMENU(menu, menuItem);
}

struct Geometry {
  int16_t width = 0, height = 0;
  int16_t firstRowTop = 45;
  int16_t column2 = 0;  // left of the second column
};

Geometry GeometryFor(int16_t externalAD, int16_t demonstrationMode) {
  int16_t right = 620, bottom = 460;
  if (Sable(externalAD)) {
    right = 665;
    bottom = 475;
  }
  if (externalAD == ExternalADCode::DT85) bottom = 480;
  if (demonstrationMode != 0) right = 455;
  Geometry g;
  g.width = static_cast<int16_t>(right - 55);
  g.height = static_cast<int16_t>(bottom - 150);
  g.firstRowTop = Sable(externalAD) ? 120 : 45;
  g.column2 = Sable(externalAD) ? 250 : static_cast<int16_t>(g.width / 2);
  return g;
}

class InputDialog {
 public:
  InputDialog(int16_t channel, int16_t storeFlag) : channel_(channel), store_(storeFlag) {}

  bool Run() {
    Open();
    Loop();
    return Close();
  }

 private:
  void Open() {
    geometry_ = GeometryFor(External_AD, DemonstrationMODE);
    BuildWINDOW(kWindow, InputDialogTitle(channel_, RecordingMODE), 55, 150,
                static_cast<int16_t>(55 + geometry_.width), static_cast<int16_t>(150 + geometry_.height), 6);
    InputNumber = channel_;
    const bool sable = Sable(External_AD);
    if (sable) {
      DrawThisImage(CreateCGImageFromBundleResource(
                        "MVimages", External_AD == ExternalADCode::SableUI2 ? "UI2.gif" : "UI3.gif"),
                    10, 10, 110, 96);
      EmbossPrint(1, InputHeading(External_AD), 20, 125, 40);
    } else {
      EmbossPrint(1, InputHeading(External_AD), 20, 14, 30);
    }
    count_ = HardwareInputCount(External_AD, DemonstrationMODE, AD_Device_Code, PrefsArray[PrefsSlot::Adam16Inputs]);
    PrefsArray[PrefsSlot::HardwareInputs] = count_;

    MarkInputsInUse(channel_);
    for (int16_t k = 1; k <= count_; ++k) BuildInputRow(k);
    if (sable) BuildReadModes();
    InputNumber = PreselectedInput(count_, CurrentInput());
    rt::SetControlState(InputNumber, 2);

    if (PrefsArray[PrefsSlot::AlwaysShowHelpData] != 0) {
      DoHelpWindow(131);
      rt::BringWindowForward(kWindow);
      rt::SetOutputWindow(kWindow);
    }
    if (External_AD == ExternalADCode::ADC1) BuildGainButtons();
    const int16_t w = geometry_.width, h = geometry_.height;
    rt::NewControl(kHelp, rt::ControlType::PushButton, "?",
                   Rect{static_cast<int16_t>(w - 172), static_cast<int16_t>(h - 40), static_cast<int16_t>(w - 142),
                        static_cast<int16_t>(h - 14)},
                   1);
    rt::NewControl(kOK, rt::ControlType::DefaultButton, "Selection OK",
                   Rect{static_cast<int16_t>(w - 130), static_cast<int16_t>(h - 40), static_cast<int16_t>(w - 14),
                        static_cast<int16_t>(h - 14)},
                   1);
    Action = 0;
    EventID = 0;
    InstallDialogHandlers(ChannelMenuHandler);
    rt::FlushWindow();
  }

  int16_t CurrentInput() const {
    const float input = ChannelVariables[channel_][ChanField::Input];
    return input >= 1.0f && input < 17.0f ? static_cast<int16_t>(input) : int16_t{0};
  }

  Rect RowRect(int16_t input, int16_t left, int16_t width) const {
    const int16_t row = static_cast<int16_t>((input - 1) % 8);
    const auto top = static_cast<int16_t>(geometry_.firstRowTop + kRowHeight * row);
    return Rect{left, top, static_cast<int16_t>(left + width), static_cast<int16_t>(top + kRowHeight - 2)};
  }

  void BuildInputRow(int16_t k) {
    const bool sable = Sable(External_AD);
    const int16_t buttonWidth = sable ? 104 : 86;
    const int16_t left = k <= 8 ? int16_t{12} : geometry_.column2;
    const Rect button = RowRect(k, left, buttonWidth);
    rt::NewControl(k, rt::ControlType::PushButton, InputLabel(k, External_AD), button, 1);

    const bool inUse = InputInUse(k);
    const Rect status = RowRect(k, static_cast<int16_t>(button.right + 4), 80);
    const int16_t oldFore = EFForeColor, oldBack = EFBackColor;
    EFForeColor = inUse ? 4 : 3;
    EFBackColor = inUse ? 2 : 7;
    const char* text = sable ? (inUse ? "  in use" : "    available") : (inUse ? " in use" : "     available ");
    BUILDEF(static_cast<int16_t>(100 + k), text, status.left, static_cast<int16_t>(status.top + 2), status.right,
            static_cast<int16_t>(status.bottom - 1), 7, 1);
    EFForeColor = oldFore;
    EFBackColor = oldBack;
    if (inUse) {
      CGdrawBox(1, RGBred, 0, static_cast<float>(status.left - 1), static_cast<float>(status.top + 1),
                static_cast<float>(status.right + 1), static_cast<float>(status.bottom), 0);
      DrawThisImage(CreateCGImageFromBundleResource("MVimages", "CautionIcon.gif"),
                    static_cast<int16_t>(status.right + 4), status.top, static_cast<int16_t>(status.right + 24),
                    static_cast<int16_t>(status.top + 20));
    }
    if (sable && k == 13)
      rt::DrawText(status.right + 28, status.top + 15, "(on digital channel 8)", KitFont(KestraneFont, 11), kBlack);
  }

  // The temperature inputs T1-T4 read as temperature, volts or ohms.
  void BuildReadModes() {
    const rt::FontSpec font = KitFont(KestraneFont, 11);
    for (int16_t t = 1; t <= 4; ++t) {
      const Rect row = RowRect(static_cast<int16_t>(8 + t), 480, 0);
      rt::DrawText(row.left, row.top + 14, "read as", font, kBlack);
      rt::NewControl(static_cast<int16_t>(kFirstVolts + t - 1), rt::ControlType::PushButton, "Volts",
                     Rect{522, row.top, 562, row.bottom}, 1);
      rt::NewControl(static_cast<int16_t>(kFirstOhms + t - 1), rt::ControlType::PushButton, "Ohms",
                     Rect{564, row.top, 604, row.bottom}, 1);
      ShowReadMode(t);
    }
  }

  void ShowReadMode(int16_t t) {
    rt::SetControlState(static_cast<int16_t>(kFirstVolts + t - 1), TInputMode[t] == 1 ? 2 : 1);
    rt::SetControlState(static_cast<int16_t>(kFirstOhms + t - 1), TInputMode[t] == 2 ? 2 : 1);
  }

  void BuildGainButtons() {
    const char* labels[] = {"Automatic Gain", "Fixed LOW Gain", "Fixed HIGH Gain"};
    const auto top = static_cast<int16_t>(geometry_.firstRowTop + 8 * kRowHeight + 8);
    for (int16_t g = 0; g < 3; ++g) {
      const auto y = static_cast<int16_t>(top + 20 * g);
      rt::NewControl(static_cast<int16_t>(kFirstGain + g), rt::ControlType::RadioButton, labels[g],
                     Rect{14, y, 200, static_cast<int16_t>(y + 18)}, GainSet == g + 1 ? 2 : 1);
    }
  }

  // ---- events ---------------------------------------------------------------------------------
  void Loop() {
    for (;;) {
      rt::PumpEvents();
      if (!rt::WindowExists(kWindow)) return;
      const bool done = HandleEvent();
      if (Action != ActionCode::Redraw) Action = 0;
      EventID = 0;
      if (done) return;
    }
  }

  bool HandleEvent() {
    switch (Action) {
      case ActionCode::Key:
        return EventID == 0 || EventID == 13 || EventID == 3;  // Return or Enter: item 30
      case ActionCode::WindowActivity:
        rt::BringWindowForward(kWindow);
        rt::SetOutputWindow(kWindow);
        return false;
      case ActionCode::CloseBox:
        if (EventID == kWindow) return true;
        if (EventID > 0 && EventID <= INT16_MAX && rt::WindowExists(static_cast<int16_t>(EventID)))
          rt::CloseWindow(static_cast<int16_t>(EventID));
        rt::SetOutputWindow(kWindow);
        return false;
      case ActionCode::Click:
        return HandleClick(static_cast<int16_t>(EventID));
      default:
        return false;
    }
  }

  bool HandleClick(int16_t id) {
    if (id == kOK || id == kReturnItem) return true;
    if (id == kHelp) {
      DoHelpWindow(Sable(External_AD) ? 192 : 131);
      rt::BringWindowForward(kWindow);
      rt::SetOutputWindow(kWindow);
    } else if (Sable(External_AD) && id >= kFirstVolts && id < kFirstVolts + 4) {
      const int16_t t = static_cast<int16_t>(id - kFirstVolts + 1);
      TInputMode[t] = TInputMode[t] == 1 ? 0 : 1;
      ShowReadMode(t);
    } else if (Sable(External_AD) && id >= kFirstOhms && id < kFirstOhms + 4) {
      const int16_t t = static_cast<int16_t>(id - kFirstOhms + 1);
      TInputMode[t] = TInputMode[t] == 2 ? 0 : 2;
      ShowReadMode(t);
    } else if (External_AD == ExternalADCode::ADC1 && id >= kFirstGain && id < kFirstGain + 3) {
      GainSet = static_cast<int16_t>(id - 30);
      for (int16_t g = 1; g <= 3; ++g) rt::SetControlState(static_cast<int16_t>(30 + g), g == GainSet ? 2 : 1);
      ChannelVariables[channel_][ChanField::Gain] = static_cast<float>(GainSet);
    } else if (id >= 1 && id <= count_) {
      if (rt::ControlExists(InputNumber)) rt::SetControlState(InputNumber, 1);
      InputNumber = id;
      rt::SetControlState(id, 2);
      clicked_ = true;
    }
    return false;
  }

  // ---- closing --------------------------------------------------------------------------------
  bool Close() {
    rt::CloseWindow(kWindow);
    const bool stored = store_ == 1 || clicked_;
    if (stored) ChannelVariables[channel_][ChanField::Input] = static_cast<float>(InputNumber);
    if (External_AD == ExternalADCode::SableUI2 && CurrentInput() == 15) setup_hooks::InspectSerialInput(channel_);
    if (External_AD >= ExternalADCode::DT500 && External_AD <= ExternalADCode::DT85) {
      setup_hooks::DATATAKERSTATUS();
      if (DataTakerChannels[channel_][DataTakerWord::ThermocoupleType] != 0) PresetThermocouple();
    }
    Action = 0;
    EventID = 0;
    return stored;
  }

  // A thermocouple channel is labelled and scaled for temperatures. (The range goes
  // only into the scaling texts: the custom conversion table belongs to the custom
  // buttons and has no records for the higher channels.)
  void PresetThermocouple() {
    Str255& labels = channel_ <= 8 ? datalabel : datalabel2;
    const Str255 label = Str255("temperature  (") + degC + ")" + Str255(13, ' ');
    labels = LimitLabelString(labels + label);
    minyString = "0";
    maxYstring = "40";
  }

  const int16_t channel_;
  const int16_t store_;
  Geometry geometry_;
  int16_t count_ = 0;
  bool clicked_ = false;
};

}  // namespace

Str255 InputHeading(int16_t externalAD) {
  switch (externalAD) {
    case ExternalADCode::SableUI2: return "UI2 signal connections";
    case ExternalADCode::SableUI3: return "UI3 signal connections";
    case ExternalADCode::DT500: return "DT500/600 signal connections";
    case ExternalADCode::DT50: return "DT50 signal connections";
    case ExternalADCode::DT800: return "DT800 signal connections";
    case ExternalADCode::DT80: return "DT80 signal connections";
    case ExternalADCode::DT85: return "DT85 signal connections";
    case ExternalADCode::ADC1: return "ADC-1 signal connections";
    default: return "A to D signal connections";
  }
}

Str255 InputLabel(int16_t input, int16_t externalAD) {
  if (Sable(externalAD)) {
    if (input >= 9 && input <= 12)
      return Str255("Input") + NumText(input) + (input == 9 ? "  " : " ") + "(T" +
             static_cast<char>('0' + (input - 8) % 10) + ")";
    if (input == 13) return "Pulse Counter";
    if (input == 14) return "Auxiliary A-D";
    if (input == 15) return "Serial Input";
  }
  return Str255("Input") + NumText(input);
}

Str255 InputDialogTitle(int16_t channel, int16_t recordingMode) {
  if (channel == 1 && recordingMode == RecordingModeCode::ScopeChart) return "Input Selection For Oscilloscope";
  return Str255("Input Selection For Chart Channel") + NumText(channel);
}

void MarkInputsInUse(int16_t exceptChannel) {
  ChannelButtonsArray.fill(0.0f);
  const int16_t n = static_cast<int16_t>(std::clamp<int>(nChannels, 0, 16));
  for (int16_t c = 1; c <= n; ++c) {
    if (c == exceptChannel) continue;
    const float used = ChannelVariables[c][ChanField::Input];
    if (used >= 1.0f && used < 17.0f) ChannelButtonsArray[static_cast<int>(used)] = 1.0f;
  }
}

bool InputInUse(int16_t input) {
  for (int c = 1; c <= 16; ++c) {
    const float used = ChannelVariables[c][ChanField::Input];
    if (used >= 1.0f && used < 17.0f && static_cast<int>(used) == input) return true;
  }
  return false;
}

int16_t PreselectedInput(int16_t count, int16_t currentInput) {
  const int16_t last = static_cast<int16_t>(std::clamp<int>(count, 0, 16));
  for (int16_t k = 1; k <= last; ++k)
    if (ChannelButtonsArray[k] == 0.0f) return k;
  return currentInput >= 1 && currentInput <= last ? currentInput : int16_t{1};
}

bool SELECTCHANNEL(int16_t channel, int16_t storeFlag) {
  const HandlerScope callersHandlers;
  if (channel < 1 || channel > 16) return false;
  if (External_AD == ExternalADCode::ADAM) {
    setup_hooks::ADAMChannels(channel, storeFlag);
    return storeFlag == 1;
  }
  return InputDialog(channel, storeFlag).Run();
}

}  // namespace mv
