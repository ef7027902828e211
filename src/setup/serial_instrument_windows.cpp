#include "setup/serial_instrument_windows.h"

#include <cmath>
#include <string>

#include "devices/hardware_input.h"
#include "devices/sable_protocol.h"
#include "devices/sable_reader.h"
#include "devices/serial_port.h"
#include "devices/state.h"
#include "kit/builders.h"
#include "kit/format.h"
#include "kit/help.h"
#include "kit/protocol.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "runtime/system.h"
#include "runtime/windows.h"
#include "setup/channel_table.h"
#include "setup/state.h"

namespace mv {

namespace {

constexpr int16_t kOkButton = 40, kHelpButton = 41, kUpdateButton = 42;
constexpr int16_t kUpperField = 20, kLowerField = 21;
// Value field n of window 11 is edit field kValueFieldBase + n, beside radio button n.
constexpr int16_t kValueFieldBase = 50;
constexpr int16_t kOptionsHelp = 192, kSelectHelp = 192;
// Each "i" request waits this long for the reply; a silent interface gets this many.
constexpr uint32_t kReplyTicks = 50;
constexpr int kRequests = 3;
constexpr RGBColor kBlack{0, 0, 0};

int CountValues(std::string_view line) {
  const size_t comma = line.find(',');
  if (comma == std::string_view::npos) return 0;
  std::string_view rest = line.substr(comma + 1);
  while (!rest.empty() && (rest.back() == '\r' || rest.back() == '\n')) rest.remove_suffix(1);
  if (rest.empty()) return 0;
  int n = 1;
  for (char c : rest)
    if (c == ',' || c == ':') ++n;
  return n < kMaxInstrumentValues ? n : kMaxInstrumentValues;
}

std::string DemoLine() {
  std::string line = "demo device";
  for (int k = 1; k <= kMaxInstrumentValues; ++k)
    line += "," + PlainText10(rt::Rnd(50) * 0.1 / k).str().substr(1);
  return line;
}

std::string RequestLine() {
  if (DemonstrationMODE) return DemoLine();
  for (int attempt = 0; attempt < kRequests; ++attempt) {
    auto line = RequestInstrumentLine(SerialLine(), rt::TickCount() + kReplyTicks);
    if (line && line->size() >= 5) return *line;  // 6 characters with the byte taken off
  }
  return {};
}

}  // namespace

std::vector<Str255> InstrumentValueTexts(std::string_view line) {
  std::vector<Str255> out;
  const int n = CountValues(line);
  for (int k = 1; k <= n; ++k) {
    auto v = sable::InstrumentField(line, k);
    out.push_back(v ? PlainText10(*v) : Str255("--"));
  }
  return out;
}

Str255 InstrumentEntryTitle(int n) {
  const std::string digits = NumText(n, 2).str().substr(1);
  std::string title = "#" + digits;
  title.resize(5, ' ');
  return Str255(title + "value " + digits + " of instrument");
}

Str255 LabelFromEntryTitle(const Str255& title) {
  std::string s = title.str();
  s.erase(0, s.find_first_not_of(' ') == std::string::npos ? s.size() : s.find_first_not_of(' '));
  s += std::string(35, ' ');
  return Str255(s.substr(5, 30));
}

int16_t SerialStringUpdate(bool build) {
  const std::vector<Str255> values = InstrumentValueTexts(RequestLine());
  rt::SetOutputWindow(kSelectSerialWindow);
  for (int n = 1; n <= kMaxInstrumentValues; ++n) {
    const int16_t top = static_cast<int16_t>(54 + 21 * n);
    const bool present = n <= static_cast<int>(values.size());
    if (build && present) {
      rt::NewControl(static_cast<int16_t>(n), rt::ControlType::RadioButton, InstrumentEntryTitle(n),
                     Rect{30, top, 230, static_cast<int16_t>(top + 18)}, 1);
      BUILDEF(static_cast<int16_t>(kValueFieldBase + n), values[n - 1], 236, top, 330,
              static_cast<int16_t>(top + 16), 5, 3);
      rt::SetEditFont(static_cast<int16_t>(kValueFieldBase + n), [] {
        rt::FontSpec f = KitFont(KestraneFont, 13);
        f.bold = true;
        return f;
      }());
    } else if (!build && rt::EditFieldExists(static_cast<int16_t>(kValueFieldBase + n))) {
      rt::SetEditText(static_cast<int16_t>(kValueFieldBase + n), present ? values[n - 1].str() : "--");
    }
  }
  if (build && values.empty())
    rt::DrawText(30, 90, "The instrument did not answer.", KitFont(KestraneFont, 13), RGBred);
  return static_cast<int16_t>(values.size());
}

namespace {

// A limit field left empty keeps the channel's limit.
float LimitOfField(int16_t field, float previous) {
  const std::string text = rt::EditText(field);
  if (text.find_first_not_of(' ') == std::string::npos) return previous;
  return static_cast<float>(TextToNumber(text));
}

// The plot scale typed, as a range the strip can show.
void StorePlotScale(int16_t channel) {
  ChannelVariablesRecord& rec = ChannelVariables[channel];
  float max = LimitOfField(kUpperField, rec[ChanField::PlotMax]);
  float min = LimitOfField(kLowerField, rec[ChanField::PlotMin]);
  WidenFlatPlotLimits(min, max);
  rec[ChanField::PlotMax] = max;
  rec[ChanField::PlotMin] = min;
}

}  // namespace

void InspectSerialInput(int16_t channel) {
  const HandlerScope callersHandlers;
  if (channel < 1 || channel > 16) return;
  if (rt::WindowExists(kSelectSerialWindow)) rt::CloseWindow(kSelectSerialWindow);
  BuildWINDOW(kSelectSerialWindow, "Select Serial Input, Channel" + NumText(channel, 2), 35, 50, 540, 465, 6);
  EmbossPrint(1, "Pick a variable to record:", 16, 30, 40);
  EmbossPrint(1, "plot scale:", 16, 370, 40);
  BUILDEF(kUpperField, "", 370, 80, 460, 98, 1, 0);
  BUILDEF(kLowerField, "", 370, 130, 460, 148, 1, 0);
  rt::DrawText(370, 74, "upper limit", KitFont(KestraneFont, 12), kBlack);
  rt::DrawText(370, 124, "lower limit", KitFont(KestraneFont, 12), kBlack);
  const int16_t count = SerialStringUpdate(true);
  rt::NewControl(kOkButton, rt::ControlType::DefaultButton, "OK -- Close", Rect{380, 375, 490, 397}, 1);
  rt::NewControl(kHelpButton, rt::ControlType::PushButton, "?", Rect{330, 375, 360, 397}, 1);
  rt::NewControl(kUpdateButton, rt::ControlType::PushButton, "Update Variables", Rect{370, 330, 490, 352}, 1);
  if (ADsensorType[channel] == 0) ADsensorType[channel] = 1;
  if (rt::ControlExists(ADsensorType[channel])) rt::SetControlState(ADsensorType[channel], 2);
  InstallDialogHandlers(NoMENU);
  Action = 0;
  EventID = 0;
  for (;;) {
    rt::PumpEvents();
    if (Action == ActionCode::Click) {
      if (EventID == kOkButton) break;
      if (EventID >= 1 && EventID <= count) {
        for (int16_t n = 1; n <= count; ++n) rt::SetControlState(n, n == EventID ? 2 : 1);
        ADsensorType[channel] = EventID;
      } else if (EventID == kUpdateButton) {
        SerialStringUpdate(false);
      } else if (EventID == kHelpButton) {
        DoHelpWindow(kSelectHelp);
        rt::BringWindowForward(kSelectSerialWindow);
      }
    } else if (Action == ActionCode::Key || Action == ActionCode::CloseBox) {
      break;
    } else if (Action == ActionCode::WindowActivity && EventID > 0 && EventID != kSelectSerialWindow) {
      rt::BringWindowForward(kSelectSerialWindow);
    }
    rt::SetOutputWindow(kSelectSerialWindow);
    Action = 0;
  }
  StorePlotScale(channel);
  const int16_t chosen = ADsensorType[channel];
  if (rt::ControlExists(chosen))
    SetChannelLabel(channel, LabelFromEntryTitle(rt::ControlTitle(chosen)).str());
  rt::CloseWindow(kSelectSerialWindow);
  Action = 0;
  EventID = 0;
}

namespace {

void BuildOptions() {
  BuildWINDOW(kSerialOptionsWindow, "Serial Instrument Options", 50, 70, 590, 480, 6);
  EmbossPrint(1, "Select or adjust serial instrument inputs", 18, 20, 40);
  for (int16_t c = 1; c <= nChannels; ++c) {
    const int16_t top = static_cast<int16_t>(64 + 20 * (c - 1));
    const bool serial = HardwareInputOf(c) == kSerialInstrumentInput;
    rt::DrawText(14, top + 13, "Channel" + NumText(c, 2) + ":", KitFont(KestraneFont, 12), kBlack);
    BUILDEF(c, ChannelLabelField(c), 100, top, 330, static_cast<int16_t>(top + 16), 5, 0);
    rt::NewControl(c, rt::ControlType::CheckBox, "Serial?",
                   Rect{340, top, 420, static_cast<int16_t>(top + 18)}, serial ? 2 : 1);
    rt::NewControl(static_cast<int16_t>(16 + c), rt::ControlType::PushButton, "Update Setup...",
                   Rect{426, top, 530, static_cast<int16_t>(top + 18)}, serial ? 1 : 0);
  }
  rt::NewControl(kOkButton, rt::ControlType::DefaultButton, "OK -- Close", Rect{420, 375, 530, 397}, 1);
  rt::NewControl(kHelpButton, rt::ControlType::PushButton, "?", Rect{370, 375, 400, 397}, 1);
  InstallDialogHandlers(NoMENU);
}

}  // namespace

void SerialInstrumentInput() {
  const HandlerScope callersHandlers;
  BuildOptions();
  Action = 0;
  EventID = 0;
  for (;;) {
    rt::PumpEvents();
    const int16_t id = EventID;
    if (Action == ActionCode::Click) {
      if (id == kOkButton) break;
      if (id >= 1 && id <= nChannels) {
        const int16_t c = id;
        if (HardwareInputOf(c) == kSerialInstrumentInput) {
          rt::SetControlState(id, 1);
          rt::SetControlState(static_cast<int16_t>(16 + c), 0);
          ChannelVariables[c][ChanField::Input] = 1.0f;
        } else {
          rt::SetControlState(id, 2);
          rt::SetControlState(static_cast<int16_t>(16 + c), 1);
          ChannelVariables[c][ChanField::Input] = kSerialInstrumentInput;
          InspectSerialInput(c);
          rt::BringWindowForward(kSerialOptionsWindow);
          rt::SetOutputWindow(kSerialOptionsWindow);
          InstallDialogHandlers(NoMENU);
        }
      } else if (id > 16 && id <= 16 + nChannels) {
        InspectSerialInput(static_cast<int16_t>(id - 16));
        rt::BringWindowForward(kSerialOptionsWindow);
        rt::SetOutputWindow(kSerialOptionsWindow);
        InstallDialogHandlers(NoMENU);
      } else if (id == kHelpButton) {
        DoHelpWindow(kOptionsHelp);
        rt::BringWindowForward(kSerialOptionsWindow);
      }
    } else if (Action == ActionCode::Key || Action == ActionCode::CloseBox) {
      break;
    } else if (Action == ActionCode::WindowActivity && EventID > 0 && EventID != kSerialOptionsWindow) {
      rt::BringWindowForward(kSerialOptionsWindow);
    }
    Action = 0;
  }
  Action = 0;
  EventID = 0;
  rt::CloseWindow(kSerialOptionsWindow);
}

}  // namespace mv
