#include "setup/stream_panel.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <vector>

#include "devices/serial_port.h"
#include "devices/state.h"
#include "devices/stream_protocol.h"
#include "devices/stream_reader.h"
#include "kit/builders.h"
#include "kit/format.h"
#include "kit/help.h"
#include "kit/needs.h"
#include "kit/protocol.h"
#include "kit/resources.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/menus.h"
#include "runtime/system.h"
#include "runtime/windows.h"
#include "setup/channel_table.h"
#include "setup/state.h"

namespace mv {

namespace {

constexpr int16_t kOkButton = 20, kHelpButton = 60, kReloadButton = 61, kDatabaseButton = 62;
constexpr int16_t kValueField = 100, kLabelField = 120, kChannelField = 140, kNameField = 300;
constexpr int16_t kHelpTopic = 161;
constexpr int16_t kRowTop = 104, kRowHeight = 23;
constexpr RGBColor kBlack{0, 0, 0};

int16_t RowTop(int n) {
  return static_cast<int16_t>(kRowTop + kRowHeight * (n - 1));
}

// Quit still passes the program's Quit procedure; every other menu choice is dropped.
void PanelMENU(int16_t menu, int16_t menuItem) {
  const bool quit = menu == 1 && rt::GetMenuItem(menu, menuItem).key == 'Q';
  MENUID = 0;
  item = 0;
  if (quit) services::Quit();
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The recorded texts: the copy beside the application first, then the user's own.
std::string DatabaseText() {
  return ReadWholeFile(rt::ApplicationDir() + "/" + kInstrumentDatabaseFile) + "\r" +
         ReadWholeFile(InstrumentDatabasePath());
}

bool AppendSafely(const std::string& path, const std::string& bytes) {
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
  const std::string tmp = path + ".tmp";
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    out << ReadWholeFile(path) << bytes;
    out.flush();
    if (!out) return false;
  }
  std::filesystem::rename(tmp, path, ec);
  return !ec;
}

std::string LabelText(int n) {
  return rt::EditFieldExists(static_cast<int16_t>(kLabelField + n))
             ? rt::EditText(static_cast<int16_t>(kLabelField + n))
             : std::string(stream::kLabelPlaceholder);
}

struct Panel {
  std::string name;
  Str255 displayName;
  int16_t rows = 16;
  int16_t bottom = 0;  // top of the buttons
};

void BuildRow(int n) {
  const int16_t top = RowTop(n), bottom = static_cast<int16_t>(top + 18);
  BUILDEF(static_cast<int16_t>(kNameField + n), "variable" + NumText(n, 2) + ":", 14, top, 100, bottom, 5, 0);
  BUILDEF(static_cast<int16_t>(kValueField + n), "--", 104, top, 210, bottom, 5, 3);
  rt::NewControl(static_cast<int16_t>(n), rt::ControlType::CheckBox, "",
                 Rect{232, static_cast<int16_t>(top + 1), 250, static_cast<int16_t>(top + 17)},
                 serialArray[n][2] != 0.0f ? 2 : 1);
  BUILDEF(static_cast<int16_t>(kLabelField + n), Str255(stream::kLabelPlaceholder), 270, top, 470, bottom, 1,
          0);
  const Str255 channel = serialArray[n][2] != 0.0f ? NumText(serialArray[n][2]) : Str255();
  BUILDEF(static_cast<int16_t>(kChannelField + n), channel, 490, top, 540, bottom, 5, 2);
}

void RemoveRow(int n) {
  rt::DisposeEditField(static_cast<int16_t>(kNameField + n));
  rt::DisposeEditField(static_cast<int16_t>(kValueField + n));
  rt::DisposeEditField(static_cast<int16_t>(kLabelField + n));
  rt::DisposeEditField(static_cast<int16_t>(kChannelField + n));
  rt::DisposeControl(static_cast<int16_t>(n));
}

void BuildPanel(Panel& p) {
  RecordingMODE = 1;
  BuildWINDOW(kStreamPanelWindow, "Modes and Channels", 60, 75, 632, 75 + 560, 6);
  p.name = GetInstrumentName();
  for (int n = 1; n <= stream::kVariables; ++n) BuildRow(n);
  p.rows = 16;
  if (!p.name.empty()) {
    p.displayName = SerialDeviceName(p.name);
    rt::DrawText(20, 32, "Streaming serial data setup", KitFont(KestraneFont, 24), kBlack);
    rt::DrawText(20, 60, "Instrument:   " + p.displayName, KitFont(KestraneFont, 18), RGBblue);
    std::string labels[17];
    for (int n = 1; n <= stream::kVariables; ++n) labels[n] = LabelText(n);
    p.rows = StreamRowsShown(true, labels);
    for (int n = stream::kVariables; n > p.rows; --n) RemoveRow(n);
  } else {
    EmbossPrint(1, "Streaming serial channels", 24, 20, 40);
  }
  DrawThisImage(CreateCGImageFromBundleResource("MVimages", "DB9.gif"), 470, 8, 560, 68);
  const rt::FontSpec head = KitFont(KestraneFont, 12);
  rt::DrawText(140, 96, "value", head, kBlack);
  rt::DrawText(222, 96, "select", head, kBlack);
  rt::DrawText(350, 96, "label", head, kBlack);
  rt::DrawText(484, 96, "channel #", head, kBlack);
  p.bottom = static_cast<int16_t>(RowTop(p.rows) + 34);
  auto button = [&](int16_t number, const char* title, int16_t left, int16_t right, rt::ControlType type) {
    rt::NewControl(number, type, title, Rect{left, p.bottom, right, static_cast<int16_t>(p.bottom + 20)}, 1);
  };
  button(kDatabaseButton, "Add to Instrument Database", 14, 214, rt::ControlType::PushButton);
  button(kReloadButton, "Reload Data", 226, 326, rt::ControlType::PushButton);
  button(kHelpButton, "?", 338, 368, rt::ControlType::PushButton);
  button(kOkButton, "selection OK", 420, 540, rt::ControlType::DefaultButton);
  rt::SetControlState(kOkButton, 0);
  rt::SizeWindow(kStreamPanelWindow, 572, static_cast<int16_t>(p.bottom + 36));
  InstallDialogHandlers(PanelMENU);
}

void ToggleVariable(int16_t n) {
  const bool marking = serialArray[n][2] == 0.0f;
  if (marking && nChannels >= MaximumChans) {
    rt::SysBeep();  // every chart channel is taken
    return;
  }
  serialArray[n][2] = marking ? 1.0f : 0.0f;
  rt::SetControlState(n, marking ? 2 : 1);
  CountSerialChannels();
  rt::SetControlState(kOkButton, nChannels > 0 ? 1 : 0);
  const int16_t field = static_cast<int16_t>(kLabelField + n);
  rt::FocusEditField(field);
  rt::SelectEditText(field, 0, -1);
}

void LeavePanel() {
  CountSerialChannels();
  SetChanParams(0, 0);
  RecordingMODE = 1;
  if (MaxSamples == 0) MaxSamples = PrefsArray[PrefsSlot::WindowWidth];
  rt::CloseWindow(kStreamPanelWindow);
}

}  // namespace

float StreamPlotLimit(float shown) {
  float limit = shown * 1.2f;
  if (std::fabs(limit) > 1.0f) return std::round(limit + 1.0f);
  return std::round(limit * 100.0f) / 100.0f;
}

Str255 StreamValueText(float value) {
  return value == kBadReading ? Str255("--") : NumText(value);
}

int16_t StreamRowsShown(bool named, const std::string (&labels)[17]) {
  if (!named) return 16;
  int16_t rows = 7;
  for (int16_t n = 16; n >= 8; --n) {
    if (labels[n] != stream::kLabelPlaceholder) {
      rows = n;
      break;
    }
  }
  return rows;
}

std::string InstrumentDatabasePath() {
  return rt::ConfigDir() + "/" + kInstrumentDatabaseFile;
}

Str255 SerialDeviceName(const std::string& name) {
  std::optional<stream::Record> rec = stream::FindRecord(DatabaseText(), name);
  if (!rec) return Str255(name);
  // Labels belong to variables 3 onward, in the order they were written.
  for (size_t k = 0; k < rec->labels.size() && k + 3 <= stream::kVariables; ++k) {
    const int16_t field = static_cast<int16_t>(kLabelField + 3 + k);
    if (rt::EditFieldExists(field) && !rec->labels[k].empty()) rt::SetEditText(field, rec->labels[k]);
  }
  return Str255(rec->displayName);
}

namespace {

Str255 AskInstrumentName(const Str255& current) {
  const HandlerScope callersHandlers;
  BuildWINDOW(kInstrumentNameWindow, "Instrument name", 120, 140, 480, 250, 6);
  rt::DrawText(20, 30, "Give this instrument a name:", KitFont(KestraneFont, 16), kBlack);
  BUILDEF(1, current, 20, 44, 340, 64, 1, 0);
  rt::NewControl(2, rt::ControlType::DefaultButton, "Done", Rect{260, 76, 340, 98}, 1);
  rt::FocusEditField(1);
  InstallDialogHandlers(NoMENU);
  Action = 0;
  EventID = 0;
  // Done, Return or the close box end the window.
  while (!((Action == ActionCode::Click && EventID == 2) || Action == ActionCode::Key ||
           (Action == ActionCode::CloseBox && EventID == kInstrumentNameWindow))) {
    Action = 0;
    rt::PumpEvents();
  }
  Str255 text(rt::EditText(1));
  rt::CloseWindow(kInstrumentNameWindow);
  Action = 0;
  EventID = 0;
  return text;
}

}  // namespace

bool UpdateSerialInstrumentList(const std::string& name, Str255& displayName) {
  int n = 0;
  for (int v = 1; v <= stream::kVariables; ++v)
    if (serialArray[v][1] != kBadReading) ++n;
  displayName = AskInstrumentName(displayName);
  rt::SetOutputWindow(kStreamPanelWindow);
  std::vector<std::string> labels;
  for (int field = 123; field <= 121 + n; ++field) labels.push_back(LabelText(field - kLabelField));
  const bool ok =
      AppendSafely(InstrumentDatabasePath(), stream::FormatRecord(name, n - 1, displayName.str(), labels));
  rt::SetOutputWindow(kStreamPanelWindow);
  return ok;
}

void loadSerialStreamValues(int16_t rows) {
  if (DemonstrationMODE) {
    int16_t lastAction = 0, lastEvent = 0;
    serialArray[1][1] = 5.0f;
    serialArray[2][1] = 2.0f;
    for (int n = 3; n <= 12; ++n) {
      const float r = static_cast<float>(rt::Rnd(5684));
      serialArray[n][1] = n % 2 == 0 ? r * 0.0001f : r;
      // Events are let in until one arrives; the next stays queued for the panel's
      // loop, so two clicks made together both count.
      if (n % 2 == 1 && lastAction == 0) {
        Action = 0;
        rt::PumpEvents(0);
        if (Action != 0) {
          lastAction = Action;
          lastEvent = EventID;
        }
      }
    }
    for (int n = 13; n <= 16; ++n) serialArray[n][1] = kBadReading;
    Action = lastAction;
    EventID = lastEvent;
  } else if (SerialLine().BytesWaiting() > 0) {
    ReadSerialStream(1);
    if (EventID == 0) {
      auto [other, event] = StreamWaitOtherAction();
      Action = other;
      EventID = event;
    }
  }
  for (int n = 1; n <= rows && n <= stream::kVariables; ++n) {
    const int16_t field = static_cast<int16_t>(kValueField + n);
    if (rt::EditFieldExists(field)) rt::SetEditText(field, StreamValueText(serialArray[n][1]).str());
  }
}

void CountSerialChannels() {
  nChannels = 0;
  BlankChannelLabels();
  for (int16_t n = 1; n <= stream::kVariables; ++n) {
    const int16_t numberField = static_cast<int16_t>(kChannelField + n);
    if (rt::EditFieldExists(numberField)) rt::SetEditText(numberField, "");
    const int16_t valueField = static_cast<int16_t>(kValueField + n);
    const float shown = rt::EditFieldExists(valueField)
                            ? static_cast<float>(TextToNumber(rt::EditText(valueField)))
                            : (serialArray[n][1] == kBadReading ? 0.0f : serialArray[n][1]);
    const float limit = StreamPlotLimit(shown);
    if (serialArray[n][2] == 0.0f) continue;
    if (nChannels >= MaximumChans) {  // never more channels than the chart has strips
      serialArray[n][2] = 0.0f;
      continue;
    }
    const int16_t k = ++nChannels;
    serialArray[n][2] = k;
    ChannelVariablesRecord& rec = ChannelVariables[k];
    rec[ChanField::Input] = n;
    rec[ChanField::A] = 0.0f;
    rec[ChanField::B] = 1.0f;
    rec[ChanField::C] = 0.0f;
    float max = limit > 0.0f ? limit : 0.0f, min = limit > 0.0f ? 0.0f : limit;
    // An absent variable ("--") or one near 0 gives a limit of 0: the strip still gets
    // a height, below 0 for a small negative value.
    if (limit == 0.0f && shown < 0.0f) min = -1.0f;
    WidenFlatPlotLimits(min, max);
    rec[ChanField::PlotMax] = max;
    rec[ChanField::PlotMin] = min;
    ChannelVariables[0][k] = 1.0f;
    if (rt::EditFieldExists(numberField)) rt::SetEditText(numberField, NumText(k).str());
    SetChannelLabel(k, LabelText(n));
  }
}

namespace {

// True when the panel is to be built again.
bool RunPanel(Panel& p) {
  for (;;) {
    rt::SetOutputWindow(kStreamPanelWindow);
    rt::SetControlState(kOkButton, nChannels > 0 ? 1 : 0);
    Action = 0;
    EventID = 0;
    loadSerialStreamValues(p.rows);
    if (Action == ActionCode::Nothing || (Action == ActionCode::Click && EventID == 0)) {
      Action = 0;
      rt::PumpEvents();
    }
    if (Action == ActionCode::Key && nChannels > 0) return false;
    if (Action == ActionCode::CloseBox && EventID == kStreamPanelWindow && nChannels > 0) return false;
    if (Action != ActionCode::Click) continue;
    if (EventID >= 1 && EventID <= p.rows) {
      ToggleVariable(EventID);
    } else if (EventID == kDatabaseButton) {
      UpdateSerialInstrumentList(p.name, p.displayName);
      InstallDialogHandlers(PanelMENU);
    } else if (EventID == kReloadButton) {
      return true;
    } else if (EventID == kHelpButton) {
      DoHelpWindow(kHelpTopic);
      rt::BringWindowForward(kStreamPanelWindow);
      rt::SetOutputWindow(kStreamPanelWindow);
    } else if (EventID == kOkButton && nChannels > 0) {
      return false;
    }
  }
}

}  // namespace

void StreamingSerialChannels() {
  const HandlerScope callersHandlers;
  for (;;) {
    Panel p;
    BuildPanel(p);
    if (!RunPanel(p)) break;
    rt::CloseWindow(kStreamPanelWindow);
  }
  LeavePanel();
}

}  // namespace mv
