#include "control/ao_script_window.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <utility>

#include "control/analog_output.h"
#include "control/ao_script_diagram.h"
#include "control/editor_loop.h"
#include "control/refusal_line.h"
#include "control/state.h"
#include "conversions/needs.h"
#include "devices/state.h"
#include "kit/builders.h"
#include "kit/format.h"
#include "kit/help.h"
#include "kit/popups.h"
#include "kit/protocol.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/menus.h"
#include "runtime/system.h"
#include "runtime/windows.h"

namespace mv {

namespace {

using namespace AOItem;
constexpr int16_t W = kAOscriptWindow;
constexpr int16_t kHelpTopic = 152;
constexpr int16_t kDAMenu = 5;
constexpr int kMaxSteps = kAOscriptRows - 1;
constexpr RGBColor kBlack{0, 0, 0};

// The whole part of a typed or stored step number, kept to the int16 range.
int WholeNumber(double v) {
  if (!(v > -32768.0)) return -32768;
  return v >= 32767.0 ? 32767 : static_cast<int>(std::trunc(v));
}
float FieldNumber(int16_t field) {
  return static_cast<float>(TextToNumber(rt::EditText(field)));
}
void Text(const char* text, int x, int y, double size, int16_t font) {
  rt::DrawText(x, y, text, KitFont(font, size), kBlack);
}
void MenuHandler(int16_t menu, int16_t menuItem) {
  services::ShortMENU(menu, menuItem);
}

// Column 0 rows of output n's settings.
int PreRunRow(int16_t n) {
  return n == 2 ? 4 : 1;
}
int EndRow(int16_t n) {
  return n == 2 ? 5 : 2;
}
int StartRow(int16_t n) {
  return n == 2 ? 9 : 7;
}
int StopRow(int16_t n) {
  return n == 2 ? 10 : 8;
}
int16_t& Enabled(int16_t n) {
  return n == 2 ? AO2on : AO1on;
}
int16_t& EndMode(int16_t n) {
  return n == 2 ? AO2endMode : AO1endMode;
}

struct Editor {
  ScriptSteps steps;
  bool ramp = false;
};

// The line over the top of the diagram that says why a value was refused.
void Refuse(const std::string& text) {
  ShowRefusalLine(RefusalLine, RectOf(44, 193, 615, 209), text);
}

// Volts the output can give pass; any other is refused as typed, never changed behind
// the user's back: the buzz, and the line naming what was refused and the range.
bool VoltsAccepted(const std::string& what, float volts) {
  if (InAORange(volts)) return true;
  rt::SysBeep();
  Refuse(AORangeRefusal(what, volts));
  return false;
}

void ShowCountAndTotal(const ScriptSteps& s) {
  rt::SetEditText(CountField, NumText(s.count).str());
  rt::SetEditText(TotalField, NumText(s.Total()).str());
}

void BuildStatic(AOVoltRange range) {
  rt::NewControl(Help, rt::ControlType::PushButton, "?", RectOf(450, 358, 486, 378), 1);
  if (PrefsArray[PrefsSlot::AlwaysShowHelpData] != 0) {
    DoHelpWindow(kHelpTopic);
    rt::BringWindowForward(W);
    rt::SetOutputWindow(W);
  }
  BUILDBOX2(5, 72, 430, 185);
  BUILDBOX2(445, 96, 614, 185);
  BUILDBOX2(5, 28, 430, 68);
  BUILDBOX2(435, 10, 630, 88);
  // The scale names only volts the output can give: an interface without negative
  // volts has no label below the zero line.
  if (range.high > 5.0f) {
    Text(" +10V -", 5, 207, 12, 0);
    if (range.low < 0.0f) Text("-10V -", 5, 349, 12, 0);
  } else {
    Text(" +5V -", 10, 207, 12, 0);
    if (range.low < 0.0f) Text("-5V -", 10, 349, 12, 0);
  }
  Text("  0V -", 10, 277, 12, 0);
  Text("steps:", 10, 20, 14, KestraneFont);
  Text("total time", 150, 19, 14, KestraneFont);
  Text("minutes", 360, 19, 14, KestraneFont);
  Text("Output", 15, 94, 14, KestraneFont);
  Text("start at:", 442, 37, 12, KestraneFont);
  Text("stop at:", 445, 72, 12, KestraneFont);
  Text("pre-run volts:", 14, 374, 12, KestraneFont);
  Text("At end of script:", 256, 364, 12, KestraneFont);
  Text("volts for", 169, 94, 12, KestraneFont);
  Text("minute(s)", 349, 94, 12, KestraneFont);
}

// The first stored value of output n the interface cannot give as it is (a table made
// for another interface, or loaded from a file), said as what goes out in its place.
std::optional<std::string> StoredValueBeyondRange(const ScriptSteps& s, int16_t n) {
  const auto line = [](const std::string& what, float v) {
    return what + ": " + VoltsText(v) + " V is sent as " + VoltsText(LimitVolts(v)) + " V (" +
           AORangeWords() + ").";
  };
  for (int r = 1; r <= s.count; ++r)
    if (!InAORange(AOscript[r][s.col])) return line("Step " + std::to_string(r), AOscript[r][s.col]);
  if (!InAORange(AOscript[PreRunRow(n)][0])) return line("Pre-run volts", AOscript[PreRunRow(n)][0]);
  if (!InAORange(AOscript[EndRow(n)][0])) return line("End volts", AOscript[EndRow(n)][0]);
  return std::nullopt;
}

// Fields show the volts that go out, never a value the output cannot give.
void BuildFields(const ScriptSteps& s, int16_t n) {
  Str255 volts = "0", minutes = "1";
  if (Enabled(n) != 0 && s.count >= 1) {
    volts = NumText(LimitVolts(AOscript[s.count][s.col]));
    minutes = NumText(AOscript[s.count][s.col + 1]);
  }
  EFForeColor = 1;
  EFBackColor = 1;
  BUILDEF(CountField, NumText(s.count), 69, 4, 135, 22, 7, 2);
  BUILDEF(TotalField, NumText(s.Total()), 240, 4, 355, 22, 7, 2);
  BUILDEF(VoltsField, volts, 77, 80, 160, 98, 3, 2);
  BUILDEF(MinutesField, minutes, 245, 80, 340, 98, 3, 2);
  BUILDEF(LoopField, "1", 560, 133, 605, 151, 3, 2);
  BUILDEF(StepField, "1", 105, 39, 165, 57, 3, 2);
  BUILDEF(PreRunField, NumText(LimitVolts(AOscript[PreRunRow(n)][0])), 106, 363, 178, 377, 3, 2);
  BUILDEF(EndVoltsField, NumText(LimitVolts(AOscript[EndRow(n)][0])), 340, 373, 418, 387, 3, 2);
}

void BuildButtons(const ScriptSteps& s, int16_t n, AOVoltRange range) {
  using rt::ControlType;
  struct B {
    int16_t number;
    ControlType type;
    Str255 title;
    Rect where;
  };
  const B buttons[] = {
      {ZeroV, ControlType::PushButton, "Zero V", RectOf(35, 110, 92, 130)},
      {UpperV, ControlType::PushButton, NumText(range.high).str() + "V", RectOf(97, 110, 133, 130)},
      {LowerV, ControlType::PushButton, NumText(range.low).str() + "V", RectOf(138, 110, 180, 130)},
      {Constant, ControlType::RadioButton, "Constant Voltage", RectOf(25, 135, 180, 155)},
      {Ramp, ControlType::RadioButton, "Ramp to this Voltage", RectOf(25, 160, 180, 180)},
      {Pulse, ControlType::PushButton, "Pulse (0.1 sec)", RectOf(220, 110, 340, 130)},
      {OneMin, ControlType::PushButton, "1 min", RectOf(220, 135, 275, 155)},
      {FiveMin, ControlType::PushButton, "5 min", RectOf(280, 135, 340, 155)},
      {TenMin, ControlType::PushButton, "10 min", RectOf(220, 160, 275, 180)},
      {SixtyMin, ControlType::PushButton, "60 min", RectOf(280, 160, 340, 180)},
      {AddStep, ControlType::PushButton, "Add Step", RectOf(350, 110, 425, 180)},
      {LoopToStart, ControlType::PushButton, "Loop to Start", RectOf(453, 102, 605, 122)},
      {LoopToStep, ControlType::PushButton, "Loop to Step:", RectOf(453, 132, 550, 152)},
      {DeleteLoop, ControlType::PushButton, "Delete Loop", RectOf(453, 160, 605, 180)},
      {GoToStep, ControlType::PushButton, "Go to Step", RectOf(10, 38, 100, 58)},
      {Update, ControlType::PushButton, "Update", RectOf(180, 30, 250, 48)},
      {Delete, ControlType::PushButton, "Delete", RectOf(180, 48, 250, 67)},
      {InsertFront, ControlType::PushButton, "Insert New Step in Front", RectOf(255, 30, 420, 48)},
      {InsertBack, ControlType::PushButton, "Insert New Step in Back", RectOf(255, 48, 420, 67)},
      {PreRun, ControlType::PushButton, "Switch to Pre-run Value", RectOf(8, 385, 190, 406)},
      {SetVolts, ControlType::RadioButton, "Set Volts to:", RectOf(233, 371, 335, 387)},
      {KeepVoltage, ControlType::RadioButton, "Keep Existing Voltage", RectOf(233, 392, 400, 410)},
      {ClearAll, ControlType::PushButton, "Clear All", RectOf(495, 358, 610, 378)},
      {Done, ControlType::DefaultButton, "Done", RectOf(450, 387, 610, 408)},
  };
  for (const B& b : buttons) rt::NewControl(b.number, b.type, b.title, b.where, 1);
  rt::SetControlState(EndMode(n) != 0 ? SetVolts : KeepVoltage, 2);
  rt::SetControlState(Constant, 2);
  rt::SetControlState(Delete, s.count == 0 ? 0 : 1);
  Popup129(kPopupMenu);
  rt::NewPopupControl(StartPopup, kPopupMenu, "", RectOf(505, 24, 625, 40),
                      WholeNumber(AOscript[StartRow(n)][0]));
  Popup130(kActivityPopupMenu);
  rt::NewPopupControl(StopPopup, kActivityPopupMenu, "", RectOf(505, 60, 625, 76),
                      WholeNumber(AOscript[StopRow(n)][0]));
}

void BuildScriptWindow(Editor& e) {
  const int16_t n = e.steps.n;
  const AOVoltRange range = AOOutputRange();
  BuildWINDOW(W, Str255("Voltage output script, AO channel" + NumText(n).str()), 10, 70, 645, 485, 6);
  BuildStatic(range);
  BuildFields(e.steps, n);
  BuildButtons(e.steps, n, range);
  SetWindowBackground(LightGray, false);
  MENUID = 0;
  DrawAOdiagram(e.steps.count, e.steps.Total(), n);
  if (const auto line = StoredValueBeyondRange(e.steps, n)) Refuse(*line);
}

void SetRamp(Editor& e, bool ramp) {
  e.ramp = ramp;
  rt::SetControlState(Constant, ramp ? 1 : 2);
  rt::SetControlState(Ramp, ramp ? 2 : 1);
}

float TypedMinutes(const Editor& e) {
  const float m = FieldNumber(MinutesField);
  return e.ramp ? -m : m;
}

// The pre-run test puts the typed volts out at once, when the output can give them.
void PutOutPreRunVolts(int16_t n) {
  const float v = FieldNumber(PreRunField);
  if (VoltsAccepted("Pre-run volts", v)) SetAOvolts(n, v);
}

void GoTo(Editor& e) {
  rt::SetControlState(GoToStep, 2);
  const int k = WholeNumber(TextToNumber(rt::EditText(StepField)));
  if (k < 1 || k > e.steps.count) return;
  const AOscriptRow& row = AOscript[k];
  rt::SetEditText(VoltsField, NumText(LimitVolts(row[e.steps.col])).str());
  SetRamp(e, row[e.steps.col + 1] < 0.0f);
  rt::SetEditText(MinutesField, NumText(std::fabs(row[e.steps.col + 1])).str());
}

void Loop(Editor& e, int16_t button) {
  e.steps.Renumber();
  for (int16_t b : {DeleteLoop, LoopToStart, LoopToStep}) rt::SetControlState(b, 1);
  if (button == DeleteLoop) return;
  if (button == LoopToStart) rt::SetEditText(LoopField, "1");
  e.steps.LoopTo(TextToNumber(rt::EditText(LoopField)));
}

// Step edits: fields follow the new count and total.
void EditSteps(Editor& e, int16_t id) {
  ScriptSteps& s = e.steps;
  const int k = WholeNumber(TextToNumber(rt::EditText(StepField)));
  const float volts = FieldNumber(VoltsField);
  const bool typedStep = id == AddStep || id == InsertFront || id == InsertBack || id == Update;
  if (typedStep && !VoltsAccepted("A step", volts)) return;
  if (id == AddStep) {
    if (s.Add(volts, TypedMinutes(e))) rt::SetEditText(LoopField, NumText(s.count + 1).str());
  } else if (id == InsertFront || id == InsertBack) {
    if (s.Insert(id == InsertBack ? k + 1 : k, volts, TypedMinutes(e)))
      rt::SetEditText(LoopField, NumText(s.count).str());
  } else if (id == Update) {
    s.Update(k, volts, TypedMinutes(e));
  } else if (id == Delete) {
    if (s.Delete(k)) rt::SetEditText(LoopField, NumText(s.count).str());
  } else if (id == ClearAll) {
    s.Clear();
    rt::SetEditText(LoopField, "0");
    if (Sound_Is_On != 0) PlaySound("rip.mp3", "MVsounds");
  }
  ShowCountAndTotal(s);
}

void Clicked(Editor& e, int16_t id) {
  const int16_t n = e.steps.n;
  ClearRefusalLine(RefusalLine);
  switch (id) {
    case ZeroV:
      rt::SetEditText(VoltsField, "0");
      break;
    case UpperV:
      rt::SetEditText(VoltsField, NumText(AOOutputRange().high).str());
      break;
    case LowerV:
      rt::SetEditText(VoltsField, NumText(AOOutputRange().low).str());
      break;
    case Constant:
      SetRamp(e, false);
      break;
    case Ramp:
      SetRamp(e, true);
      break;
    case Pulse:
      rt::SetEditText(MinutesField, ".00167");
      break;
    case OneMin:
      rt::SetEditText(MinutesField, "1");
      break;
    case FiveMin:
      rt::SetEditText(MinutesField, "5");
      break;
    case TenMin:
      rt::SetEditText(MinutesField, "10");
      break;
    case SixtyMin:
      rt::SetEditText(MinutesField, "60");
      break;
    case GoToStep:
      GoTo(e);
      break;
    case DeleteLoop:
    case LoopToStart:
    case LoopToStep:
      Loop(e, id);
      break;
    case AddStep:
    case InsertFront:
    case InsertBack:
    case Update:
    case Delete:
    case ClearAll:
      EditSteps(e, id);
      break;
    case SetVolts:
    case KeepVoltage:
      rt::SetControlState(SetVolts, id == SetVolts ? 2 : 1);
      rt::SetControlState(KeepVoltage, id == SetVolts ? 1 : 2);
      EndMode(n) = id == SetVolts ? 1 : 0;
      break;
    case PreRun:
      PutOutPreRunVolts(n);
      break;
    case StartPopup:
      AOscript[StartRow(n)][0] = static_cast<float>(rt::ControlValue(StartPopup));
      break;
    case StopPopup:
      AOscript[StopRow(n)][0] = static_cast<float>(rt::ControlValue(StopPopup));
      break;
    case Help:
      DoHelpWindow(kHelpTopic);
      rt::BringWindowForward(W);
      rt::SetOutputWindow(W);
      break;
    default:
      break;
  }
  static constexpr int16_t kRedrawn[] = {DeleteLoop, LoopToStart, LoopToStep, AddStep, Update,
                                         Delete,     InsertFront, InsertBack, ClearAll};
  if (std::find(std::begin(kRedrawn), std::end(kRedrawn), id) != std::end(kRedrawn)) {
    rt::SetControlState(GoToStep, 1);
    DrawAOdiagram(e.steps.count, e.steps.Total(), n);
  }
  const int16_t adding = e.steps.count >= kMaxSteps ? 0 : 1;
  for (int16_t b : {AddStep, InsertFront, InsertBack}) rt::SetControlState(b, adding);
  rt::SetControlState(Delete, e.steps.count == 0 ? 0 : 1);
}

// The window ends only with pre-run and end volts the output can give: a value beyond
// them is refused with its line, and the window stays.
bool TypedVoltsAccepted() {
  rt::SetOutputWindow(W);
  const std::pair<int16_t, const char*> fields[] = {{PreRunField, "Pre-run volts"},
                                                    {EndVoltsField, "End volts"}};
  for (const auto& [field, what] : fields) {
    if (VoltsAccepted(what, FieldNumber(field))) continue;
    rt::FocusEditField(field);
    return false;
  }
  return true;
}

EditorEnd ScriptLoop(Editor& e) {
  for (;;) {
    const EditorEnd end = RunEditorLoop(W, MenuHandler, nullptr, [&e](int16_t id) {
      if (id == Done) return true;
      Clicked(e, id);
      return false;
    });
    if (end != EditorEnd::Done || TypedVoltsAccepted()) return end;
  }
}

// What closing stores: the count, the limited pre-run and end volts, the flag and the mark.
void StoreScript(const ScriptSteps& s, bool fieldsReadable) {
  const int16_t n = s.n;
  AOscript[0][s.col] = static_cast<float>(s.count);
  if (fieldsReadable) {
    rt::SetOutputWindow(W);
    AOscript[PreRunRow(n)][0] = LimitVolts(FieldNumber(PreRunField));
    AOscript[EndRow(n)][0] = LimitVolts(FieldNumber(EndVoltsField));
  }
  Enabled(n) = s.count > 0 ? 1 : 0;
  rt::CheckMenuItem(kDAMenu, n == 2 ? 4 : 1, s.count > 0);
}

}  // namespace

ScriptSteps::ScriptSteps(int16_t output) : n(output == 2 ? 2 : 1), col(output == 2 ? 4 : 1) {
  if ((n == 2 ? AO2on : AO1on) != 0)
    count = static_cast<int16_t>(std::clamp(WholeNumber(AOscript[0][col]), 0, kMaxSteps));
}

float ScriptSteps::Total() const {
  float total = 0.0f;
  for (int r = 1; r <= count; ++r) total += std::fabs(AOscript[r][col + 1]);
  return total;
}

bool ScriptSteps::Add(float volts, float minutes) {
  if (count >= kMaxSteps) return false;
  ++count;
  AOscript[count][col] = volts;
  AOscript[count][col + 1] = minutes;
  Renumber();
  return true;
}

bool ScriptSteps::Insert(int k, float volts, float minutes) {
  if (count >= kMaxSteps || k < 1 || k > count + 1) return false;
  for (int r = count; r >= k; --r) {
    AOscript[r + 1][col] = AOscript[r][col];
    AOscript[r + 1][col + 1] = AOscript[r][col + 1];
    const float next = AOscript[r][col + 2];
    // A loop back to a step in front of the new one keeps its target.
    AOscript[r + 1][col + 2] = next >= static_cast<float>(k) ? next + 1.0f : next;
  }
  ++count;
  AOscript[k][col] = volts;
  AOscript[k][col + 1] = minutes;
  AOscript[k][col + 2] = static_cast<float>(k + 1);
  return true;
}

bool ScriptSteps::Update(int k, float volts, float minutes) {
  if (k < 1 || k > count) return false;
  AOscript[k][col] = volts;
  AOscript[k][col + 1] = minutes;
  return true;
}

bool ScriptSteps::Delete(int k) {
  if (k < 1 || k > count) return false;
  for (int r = k; r < count; ++r) {
    AOscript[r][col] = AOscript[r + 1][col];
    AOscript[r][col + 1] = AOscript[r + 1][col + 1];
    AOscript[r][col + 2] = AOscript[r + 1][col + 2];
  }
  AOscript[count][col] = AOscript[count][col + 1] = AOscript[count][col + 2] = 0.0f;
  --count;
  // Numbers that named a step behind the deleted one follow it up; a loop to the deleted
  // step goes to the step that took its place.
  for (int r = 1; r <= count; ++r)
    if (AOscript[r][col + 2] > static_cast<float>(k)) AOscript[r][col + 2] -= 1.0f;
  return true;
}

void ScriptSteps::Renumber() {
  for (int r = 1; r <= count; ++r) AOscript[r][col + 2] = static_cast<float>(r + 1);
}

void ScriptSteps::LoopTo(double target) {
  if (count < 1) return;
  int t = WholeNumber(target);
  if (t > count) t = count;
  if (t <= 0) t = 1;
  AOscript[count][col + 2] = static_cast<float>(t);
}

void ScriptSteps::Clear() {
  for (int r = 1; r <= count; ++r) AOscript[r][col] = AOscript[r][col + 1] = AOscript[r][col + 2] = 0.0f;
  AOscript[0][col] = AOscript[0][col + 1] = 0.0f;
  count = 0;
}

void AnalogOutputScript(int16_t n) {
  services::SetUpMENUs(0);
  Editor e{ScriptSteps(n)};
  EditorEnd end = EditorEnd::MenuCommand;
  while (end == EditorEnd::MenuCommand) {
    e.ramp = false;
    BuildScriptWindow(e);
    end = ScriptLoop(e);
    StoreScript(e.steps, end != EditorEnd::Gone);
    if (end == EditorEnd::MenuCommand && rt::WindowExists(W)) rt::CloseWindow(W);
  }
  if (rt::WindowExists(W)) rt::CloseWindow(W);
  Action = 0;
  EventID = 0;
  services::SetUpMENUs(1);
}

}  // namespace mv
