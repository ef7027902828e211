#include "devices/datataker_inputs_window.h"

#include <algorithm>
#include <cmath>

#include "conversions/needs.h"
#include "devices/connection.h"
#include "devices/hardware_input.h"
#include "kit/builders.h"
#include "kit/channel_labels.h"
#include "kit/format.h"
#include "kit/help.h"
#include "kit/protocol.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/windows.h"
#include "setup/state.h"

namespace mv {

namespace {

constexpr int16_t W = kDataTakerInputsWindow;
constexpr int16_t kHelpTopic = 148;
constexpr int16_t kCounter = 0, kTypeT = 20, kTypeJ = 40, kTypeK = 60, kPlus = 80, kMinus = 100, kStar = 120,
                  kDiff = 140, kVolts = 160, kOhms = 180, kLabel = 200;

using namespace DataTakerWord;

bool RowShown(int16_t channel) {
  return channel >= 1 && channel <= 16 && channel <= nChannels && HardwareInputOf(channel) > 0;
}

int16_t RowY(int16_t channel) {
  return static_cast<int16_t>(96 + 21 * (channel - 1));
}

int16_t Marked(bool on) {
  return on ? 2 : 1;
}

// The buttons of a row as its record stands: a counter shows only its own button.
void ShowRow(int16_t i) {
  const DataTakerChannelsRecord& r = DataTakerChannels[i];
  const bool counter = r[Counter] != 0;
  const bool tc = !counter && r[Kind] == 0;
  rt::SetControlState(static_cast<int16_t>(i + kCounter), Marked(counter));
  rt::SetControlState(static_cast<int16_t>(i + kTypeT), Marked(tc && r[ThermocoupleType] == 1));
  rt::SetControlState(static_cast<int16_t>(i + kTypeJ), Marked(tc && r[ThermocoupleType] == 2));
  rt::SetControlState(static_cast<int16_t>(i + kTypeK), Marked(tc && r[ThermocoupleType] == 3));
  rt::SetControlState(static_cast<int16_t>(i + kVolts), Marked(!counter && r[Kind] == 1));
  rt::SetControlState(static_cast<int16_t>(i + kOhms), Marked(!counter && r[Kind] == 2));
  const int16_t t = r[Terminal];
  rt::SetControlState(static_cast<int16_t>(i + kPlus), Marked(!counter && t == 1));
  rt::SetControlState(static_cast<int16_t>(i + kMinus), Marked(!counter && t == 2));
  rt::SetControlState(static_cast<int16_t>(i + kStar), Marked(!counter && t == 3));
  rt::SetControlState(static_cast<int16_t>(i + kDiff), Marked(!counter && (t < 1 || t > 3)));
}

void Text(int16_t x, int16_t y, std::string_view text, double size, RGBColor color = RGBColor{0, 0, 0}) {
  rt::DrawText(x, y, text, KitFont(KestraneFont, size), color);
}

// The help text, its pieces alternating blue and black, wrapped before the "Inputs" head.
void HelpText() {
  const Str255 deg = degC;
  const std::string pieces[] = {"DataTakers",
                                " can read counters, thermocouples as ",
                                deg.str(),
                                ", resistance (ohms), or volts.  For ",
                                "thermocouples, select the type (",
                                "T, J,  K",
                                ").  For volts, you can use",
                                " differential or single-ended ",
                                "inputs.  For the latter, you must indicate which connector (+, -, or *) is used  "
                                "with the ground ",
                                "terminal; = R or #.   For ",
                                "resistance, ",
                                "use either the + and - or the * and R/# connector."};
  const auto font = KitFont(KestraneFont, 11);
  int x = 85, y = 14;
  bool blue = true;
  for (const std::string& piece : pieces) {
    const RGBColor color = blue ? RGBblue : RGBColor{0, 0, 0};
    blue = !blue;
    size_t start = 0;
    while (start < piece.size()) {
      size_t end = piece.find(' ', start + 1);
      if (end == std::string::npos) end = piece.size();
      const std::string word = piece.substr(start, end - start);
      const int w = rt::TextWidth(word, font);
      if (x + w > 600) {
        x = 85;
        y += 12;
      }
      rt::DrawText(x, y, word, font, color);
      x += w;
      start = end;
    }
  }
}

void ColumnHeads() {
  const std::pair<int16_t, const char*> heads[] = {{10, "Channel number and label"}, {283, "Counter"},
                                                   {369, "T-couple of type..."},      {500, "Volts"},
                                                   {550, "Ohms"},                     {613, " + "},
                                                   {642, "-"},                        {671, "*"},
                                                   {703, " + & - "}};
  for (const auto& [x, text] : heads) Text(x, 73, text, 13);
  Text(607, 60, "single-ended", 13);
  Text(632, 33, "Inputs", 13);
  Text(710, 60, "diff", 13);
}

void BuildRow(int16_t i) {
  const int16_t y = RowY(i);
  Text(10, static_cast<int16_t>(y + 12), std::to_string(i), 12);
  BUILDEF(static_cast<int16_t>(kLabel + i), ChannelLabel(i), 40, static_cast<int16_t>(y - 1), 260,
          static_cast<int16_t>(y + 16), 1, 1);
  const std::pair<int16_t, int16_t> buttons[] = {{kCounter, 300}, {kTypeT, 365}, {kTypeJ, 410}, {kTypeK, 455},
                                                 {kVolts, 508},   {kOhms, 559},  {kPlus, 610},  {kMinus, 639},
                                                 {kStar, 668},    {kDiff, 717}};
  for (const auto& [offset, x] : buttons) BUILDBUTTON(static_cast<int16_t>(i + offset), 1, "", x, y, 3, 0);
  Text(383, static_cast<int16_t>(y + 11), "T", 12);
  Text(428, static_cast<int16_t>(y + 11), "J", 12);
  Text(473, static_cast<int16_t>(y + 11), "K", 12);
  ShowRow(i);
}

void BuildInputsWindow(const std::string& counterText) {
  rt::CloseWindow(W);
  BuildWINDOW(W, "DataTaker A-D Mode Controls", 6, 50, 758, 512, 6);
  PLACE_AD_ICON(1, 6, 1);
  rt::SetOutputWindow(W);
  HelpText();
  ColumnHeads();
  for (int16_t i = 1; i <= 16; ++i)
    if (RowShown(i)) BuildRow(i);
  Text(12, 447, "Start counters at:", 12);
  BUILDEF(kCounterStartField, Str255(counterText), 150, 434, 250, 452, 1, 1);
  Text(260, 447, "(maximum 1,000,000)", 12);
  rt::NewControl(kInputsHelpButton, rt::ControlType::PushButton, "?", Rect{560, 430, 584, 454}, 1);
  rt::NewControl(kInputsOKButton, rt::ControlType::DefaultButton, "Conversion Modes OK", Rect{596, 430, 744, 454},
                 1);
  rt::FlushWindow();
  InstallDialogHandlers([](int16_t menu, int16_t item) { services::ShortMENU(menu, item); });
  Action = 0;
  EventID = 0;
}

bool ShowsNoOwnLabel(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return true;
  Str255 t(text);
  TRUNCATE(t);
  // A kind's name put here earlier follows the kind, so it never names the wrong one.
  for (const char* name : {" [ volts ]", "counter", "volts", "resistance (ohms)"})
    if (t.str() == name) return true;
  return t.str() == "Temperature (" + degC.str() + ")";
}

void NameBlankLabel(int16_t i) {
  const int16_t field = static_cast<int16_t>(kLabel + i);
  if (ShowsNoOwnLabel(rt::EditText(field))) rt::SetEditText(field, KindName(DataTakerChannels[i]));
}

// A click: true when it ends the window.
bool Click(int16_t control) {
  if (control == kInputsHelpButton) {
    DoHelpWindow(kHelpTopic);
    return false;
  }
  for (int16_t i = 1; i <= 16; ++i) {
    if (!RowShown(i)) continue;
    const DataTakerChannelsRecord before = DataTakerChannels[i];
    if (!ApplyInputButton(DataTakerChannels[i], i, control)) continue;
    const DataTakerChannelsRecord& after = DataTakerChannels[i];
    if (before[Kind] != after[Kind] || before[Counter] != after[Counter] ||
        before[ThermocoupleType] != after[ThermocoupleType])
      NameBlankLabel(i);
    ShowRow(i);
    return false;
  }
  return true;  // OK or any other button
}

int32_t CounterStart(const std::string& text) {
  const double v = TextToNumber(text);
  if (!std::isfinite(v)) return 0;
  return static_cast<int32_t>(std::clamp(std::trunc(v), 0.0, static_cast<double>(kMaxCounterStart)));
}

}  // namespace

bool ApplyInputButton(DataTakerChannelsRecord& r, int16_t row, int16_t control) {
  const int offset = control - row;
  switch (offset) {
    case kCounter:
      // A thermocouple type left behind would make the channel's set-up take the
      // counter for a temperature (label and range).
      r[Counter] = 1;
      r[Kind] = 0;
      r[ThermocoupleChosen] = 0;
      r[ThermocoupleType] = 0;
      return true;
    case kTypeT:
    case kTypeJ:
    case kTypeK:
      r[ThermocoupleType] = static_cast<int16_t>(offset / 20);
      r[Kind] = 0;
      r[ThermocoupleChosen] = 1;
      r[Counter] = 0;
      return true;
    case kVolts:
    case kOhms:
      r[Kind] = offset == kVolts ? 1 : 2;
      r[ThermocoupleChosen] = 0;
      r[ThermocoupleType] = 0;
      r[Counter] = 0;
      return true;
    case kPlus:
    case kMinus:
    case kStar:
    case kDiff:
      r[Terminal] = offset == kDiff ? 0 : static_cast<int16_t>(offset / 20 - 3);
      r[ThermocoupleChosen] = 0;
      r[Counter] = 0;
      return true;
    default:
      return false;
  }
}

std::string KindName(const DataTakerChannelsRecord& r) {
  if (r[Counter] != 0) return "counter";
  if (r[Kind] == 0) return "Temperature (" + degC.str() + ")";
  if (r[Kind] == 1) return "volts";
  return "resistance (ohms)";
}

void DATATAKERSTATUS() {
  const HandlerScope callersHandlers;
  services::SetUpMENUs(0);
  BuildInputsWindow(NumText(counterstart).str());
  upVipSOUND();
  bool done = false;
  while (!done && rt::WindowExists(W)) {
    rt::PumpEvents();
    rt::SetOutputWindow(W);
    if (Action == ActionCode::Click)
      done = Click(static_cast<int16_t>(EventID));
    else if (Action == ActionCode::Key || Action == ActionCode::WindowActivity || Action == ActionCode::CloseBox)
      done = true;
    if (!done && MENUID == 255) {
      // A menu command was handled: the window is built afresh over what it changed.
      MENUID = 0;
      const std::string typed = rt::EditText(kCounterStartField);
      BuildInputsWindow(typed);
    }
    Action = 0;
    EventID = 0;
  }
  if (rt::WindowExists(W)) {
    rt::SetOutputWindow(W);
    counterstart = CounterStart(rt::EditText(kCounterStartField));
  }
  rt::CloseWindow(W);
  Action = 0;
  EventID = 0;
  services::SetUpMENUs(1);
}

}  // namespace mv
