#include "control/switch_window.h"

#include <cmath>
#include <optional>
#include <string>

#include "acquisition/state.h"
#include "control/device_outputs.h"
#include "control/refusal_line.h"
#include "control/sequence_labels.h"
#include "control/state.h"
#include "control/switch_buttons.h"
#include "control/switch_diagram.h"
#include "control/switch_groups.h"
#include "control/switch_options_window.h"
#include "conversions/needs.h"
#include "devices/state.h"
#include "kit/builders.h"
#include "kit/drawing.h"
#include "kit/format.h"
#include "kit/help.h"
#include "kit/popups.h"
#include "kit/protocol.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/menus.h"
#include "runtime/windows.h"
#include "setup/state.h"

namespace mv {

namespace {

constexpr int16_t W = kSwitchWindow;
constexpr int16_t kCallerWindow = 4;
constexpr int16_t kHelpTopic = 137;
constexpr int16_t kViewMenu = 3, kShowSwitchStatusItem = 13;
namespace Item {
constexpr int16_t OneLine = 174, ThreeBit = 175, TwoGroups = 176, SetupOK = 177, Check = 178, ZeroLinks = 179,
                  ShortList = 180, FullList = 181, Help = 192, Marker = 210, Options = 211, RefLabel = 301,
                  SeqLabel = 302, RefField = 340, SeqField = 341, Parking = 750, Refusal = 760;
}
constexpr RGBColor kBlack{0, 0, 0};

// The row layout the area shows: sequential (patterns 9 and 10) or per-channel.
bool sequentialLayout = false;
// Said under the rows after a pattern choice turned Automatic Repeat off; empty when the
// last choice did not.
std::string repeatNote;

bool ScopeChart() {
  return RecordingMODE == RecordingModeCode::ScopeChart;
}
bool ADC1() {
  return External_AD == ExternalADCode::ADC1;
}
// The ADC-1 and the ADAM switch their own way whatever the coding: no radio is offered.
bool FixedCoding() {
  return ADC1() || External_AD == ExternalADCode::ADAM;
}
bool ThreeBitWord() {
  return PrefsArray[PrefsSlot::DigitalOutputCoding] != 0;
}
// Two groups only where the coding gives group 2 lines of its own.
bool OneGroupOnly() {
  return !SecondGroupSwitchable(External_AD, PrefsArray[PrefsSlot::DigitalOutputCoding]);
}
int16_t DeviceCount() {
  return SwitchDeviceCount(External_AD, PrefsArray[PrefsSlot::DigitalOutputCoding]);
}
int16_t WindowBottom() {
  return MaximumChans > 12 ? 632 : 552;
}
void SetState(int16_t control, int16_t state) {
  if (rt::ControlExists(control)) rt::SetControlState(control, state);
}
void Remove(int16_t number) {
  rt::DisposeControl(number);
  rt::DisposeEditField(number);
}
int16_t GroupBoxState() {
  if (OneGroupOnly()) return 0;
  return nGroups == 2 ? 2 : 1;
}

void MakeLabel(int16_t number, const char* text, Rect r) {
  EFForeColor = 1;
  EFBackColor = 7;
  BUILDEF(number, text, r.left, r.top, r.right, r.bottom, 5, 2);
  rt::SetEditColors(number, kBlack, LightGray);
}
void MakeNumberField(int16_t number, float value, Rect r) {
  EFForeColor = 1;
  EFBackColor = 1;
  BUILDEF(number, NumText(value), r.left, r.top, r.right, r.bottom, 1, 2);
  rt::FontSpec font = KitFont(KestraneFont, 16);
  font.bold = true;
  rt::SetEditFont(number, font);
}
void MakeReferenceInterval() {
  if (!rt::EditFieldExists(Item::RefLabel))
    MakeLabel(Item::RefLabel, "Reference interval (min)", RectOf(307, 110, 462, 125));
  if (!rt::EditFieldExists(Item::RefField))
    MakeNumberField(Item::RefField, refint, RectOf(330, 132, 420, 151));
}
void MakeSequenceInterval() {
  if (!rt::EditFieldExists(Item::SeqLabel))
    MakeLabel(Item::SeqLabel, "Sequence interval (min)", RectOf(470, 110, 625, 125));
  if (!rt::EditFieldExists(Item::SeqField))
    MakeNumberField(Item::SeqField, switchint, RectOf(500, 132, 590, 151));
}
void RemoveReferenceInterval() {
  Remove(Item::RefLabel);
  Remove(Item::RefField);
}
void RemoveSequenceInterval() {
  Remove(Item::SeqLabel);
  Remove(Item::SeqField);
}

// The typed intervals of the pattern into refint and switchint; false when one of
// them cannot be used.
bool ReadIntervals() {
  bool ok = true;
  const auto read = [&ok](int16_t field, float& into) {
    if (!rt::EditFieldExists(field)) return;
    const double minutes = TextToNumber(rt::EditText(field));
    into = static_cast<float>(minutes);
    if (!IntervalAccepted(minutes)) ok = false;
  };
  rt::SetOutputWindow(W);
  if (UsesReferenceInterval(SwitchingMode)) read(Item::RefField, refint);
  if (UsesSequenceInterval(SwitchingMode)) read(Item::SeqField, switchint);
  return ok;
}

bool AnyDeviceChosen() {
  const int16_t last = SequentialPattern(SwitchingMode) ? 8 : nChannels;
  for (int16_t r = 1; r <= last && r <= 16; ++r)
    if (ChannelVariables[r][ChanField::Device] > 0) return true;
  return false;
}

// The "Setup OK" gate: the pattern's intervals, devices and reference devices are all set.
bool SetupComplete() {
  ReadIntervals();
  return SwitchSetupComplete(SwitchingMode, AnyDeviceChosen(), refint, switchint, RefChan, RefChan2);
}

// Shows why the set-up cannot be finished as it stands, else the group of two that no
// channel uses (its device never goes out), else what the last pattern choice did to
// Automatic Repeat, or takes the line away.
void ShowUnswitchableDevice() {
  const int16_t B = WindowBottom();
  auto line = UnswitchableDevice();
  if (!line) line = GroupWithoutChannel();
  if (!line && !repeatNote.empty()) line = repeatNote;
  if (line)
    ShowRefusalLine(Item::Refusal, RectOf(10, B - 95, 630, B - 79), *line);
  else
    ClearRefusalLine(Item::Refusal);
}

// ---- opening ------------------------------------------------------------------------------------

void BuildFrame() {
  const int16_t B = WindowBottom();
  const int16_t left = PrefsArray[PrefsSlot::WindowWidth] > 640 ? 6 : 0;
  rt::CloseWindow(W);
  BuildWINDOW(W, "Digitial Control of External Devices", left, 44, 646, B, 262);
  const bool wide = PrefsArray[PrefsSlot::WindowWidth] >= 800;
  if (wide) rt::NewControl(Item::Help, rt::ControlType::PushButton, "?", RectOf(460, B - 78, 500, B - 56), 1);
  if (wide && PrefsArray[PrefsSlot::AlwaysShowHelpData] != 0) {
    DoHelpWindow(kHelpTopic);
    rt::BringWindowForward(W);
    rt::SetOutputWindow(W);
  }
  BuildGrayBox(25, 61, 290, 173, 1);
  PlotCG(1, 25, 85, 290, 85, 3);
  PlotCG(1, 156, 85, 156, 173, 3);
  EmbossPrint(0, "Device control", 12, 36, 20);
  PlotCG(1, 0, 180, 640, 180, 7);
  PlotCG(1, 0, 181, 640, 181, 0);
  int16_t okState = 1;
  if (SwitchingMode != 0) {
    int switched = 0;
    for (int16_t r = 1; r <= nChannels && r <= 16; ++r)
      if (ChannelVariables[r][ChanField::Device] != 0) ++switched;
    if (switched == 0 || (nGroups == 2 && switched < 2)) okState = 0;
  }
  rt::NewControl(Item::SetupOK, rt::ControlType::DefaultButton, "Setup OK", RectOf(520, B - 78, 630, B - 56),
                 okState);
}

// "Extra Zero Links" is offered with the periodic patterns of a chart recording whose
// interval leaves the sample takers time to zero the linked channels. A box that is
// dimmed is off and holds no links: links it cannot show checked would zero real
// readings unseen, and no link window opens at Setup OK for a pattern that does not
// offer them.
int16_t ZeroLinksBoxState() {
  const bool offered = ZeroLinksOffered();
  if (!offered) DropZeroLinksNotInForce();
  return offered ? (zerolink[0] == 1 ? 2 : 1) : 0;
}

void BuildOptions() {
  FinishFlag = 0;
  rt::NewControl(Item::ZeroLinks, rt::ControlType::CheckBox, "Extra Zero Links", RectOf(298, 162, 426, 178),
                 ZeroLinksBoxState());
  rt::NewControl(Item::Marker, rt::ControlType::CheckBox, "Insert Marker at Switch Time",
                 RectOf(434, 162, 638, 178), PrefsArray[PrefsSlot::MarkerAtSwitch] != 0 ? 2 : 1);
  const rt::FontSpec font = KitFont(KestraneFont, 12);
  if (FixedCoding()) {
    rt::FontSpec bold = font;
    bold.bold = true;
    rt::DrawText(335, 31, ADC1() ? "standard ADC-1 output coding" : "ADAM output word", bold, kBlack);
  } else {
    rt::NewControl(Item::OneLine, rt::ControlType::RadioButton, "One Line per Device",
                   RectOf(420, 7, 565, 27), ThreeBitWord() ? 1 : 2);
    rt::NewControl(Item::ThreeBit, rt::ControlType::RadioButton, "Three-bit Word", RectOf(420, 30, 565, 50),
                   ThreeBitWord() ? 2 : 1);
    rt::DrawText(310, 31, "output code:", font, kBlack);
    DrawIcon(138, 570, 42);
  }
  rt::DrawText(310, 76, "mode:", font, kBlack);
}

void BuildPatternList() {
  int16_t& p = SwitchingMode;
  if (ScopeChart()) {
    if (p == 5) p = 3;
    if (p == 6) p = 4;
    Popup180(kPopupMenu);
  } else {
    Popup181(kPopupMenu);
  }
  const int16_t control = ScopeChart() ? Item::ShortList : Item::FullList;
  rt::NewPopupControl(control, kPopupMenu, "", RectOf(359, 62, 622, 82), PatternListEntry(p, ScopeChart()));
  const char* label =
      ADC1() ? "Use Two Device Groups (1 to 3 and 4 to 6)" : "Use Two Device Groups (1 to 4 and 5 to 8)";
  const bool two = TwoGroupPattern(p);
  rt::NewControl(Item::TwoGroups, rt::ControlType::CheckBox, label, RectOf(333, 88, 630, 108),
                 OneGroupOnly() || p == 9 ? 0 : (two ? 2 : 1));
  if (ScopeChart()) {
    SetState(Item::TwoGroups, 0);
    if (p == 8) p = 7;
    if (p == 4) p = 3;
    if (p == 2) p = 1;
  }
  // Set after the scope-plus-chart change, so a one-group pattern never keeps two groups.
  nGroups = TwoGroupPattern(p) ? 2 : 0;
}

void OpenSwitchWindow() {
  repeatNote.clear();
  services::SetUpMENUs(0);
  UseScopeColors = 0;
  switch_window_hooks::COLORSELECT();
  wssst();
  MENUID = 0;
  item = 0;
  // Where the coding gives group 2 no lines (a word, the ADAM, a DT500 or DT50 wired
  // one line per device), a two-group pattern moves to its one-group partner, as
  // choosing such a coding in the window does, before anything is drawn for it.
  if (OneGroupOnly()) {
    if (TwoGroupPattern(SwitchingMode)) SwitchingMode = PatternAfterGroupToggle(SwitchingMode, ScopeChart());
    nGroups = 0;
  }
  BuildFrame();
  BuildOptions();
  DRAWREFBUTTONS();
  BuildPatternList();
  // The prompt follows the pattern as opened, after the list may have moved it.
  DRAWREFLINE();
  const int16_t B = WindowBottom();
  rt::NewControl(Item::Check, rt::ControlType::PushButton, "Check Configuration",
                 RectOf(20, B - 78, 170, B - 56), 1);
  rt::NewControl(Item::Options, rt::ControlType::PushButton, "Switch Marker and Zeroing Options...",
                 RectOf(180, B - 78, 440, B - 56), 1);
  DrawDeviceRows(true);
  DrawSwitchingPatternCode();
  MakeIntervalFields();
  Action = 0;
  EventID = 0;
  BUILDEF(Item::Parking, "", 700, 700, 720, 716, 1, 0);
  rt::FocusEditField(Item::Parking);
  extswitchflag = 0;
  rt::SetDialogHandler(doDIALOG);
  rt::SetMenuHandler([](int16_t menu, int16_t menuItem) { services::ShortMENU(menu, menuItem); });
  rt::SetEditKeyHandler(CheckRETURN);
  SWITCHDIAGRAM();
  MakeTheDeviceButtons(DeviceCount());
  FixSWITCHBUTTON();
  sequentialLayout = SequentialPattern(SwitchingMode);
  // The gate shows from the start whether the set-up as opened can be finished.
  CHECKSWITCHDATA();
  rt::FlushWindow();
}

// ---- the loop's pattern choices ----------------------------------------------------------------

// Moves the row area between the sequential and the per-channel layout when a pattern
// choice crosses between them.
void SwitchLayoutFor(int16_t choice) {
  const bool toSequential = choice == 186 || choice == 190;
  const bool toPerChannel = choice >= 180 && choice <= 184;
  if (!toSequential && !toPerChannel) return;
  const bool repeating = PrefsArray[PrefsSlot::Autorepeat] != 0;
  repeatNote.clear();
  if (toSequential && !sequentialLayout) {
    DRAWSWITCHBUTTONS(1);
    if (choice == 186) SwitchingMode = SwitchingPatternCode::SequentialFiles;
    PrefsArray[PrefsSlot::Autorepeat] = choice == 186 ? 1 : 0;
    ReferenceButtonsOff();
    FixSWITCHBUTTON();
    sequentialLayout = true;
  } else if (toPerChannel && sequentialLayout) {
    SwitchingMode = static_cast<int16_t>(choice - 180);
    for (int16_t r = 1; r <= 16; ++r) ChannelVariables[r][ChanField::Device] = 0;
    MakeTheDeviceButtons(DeviceCount());
    RefChan2 = 0;
    PrefsArray[PrefsSlot::Autorepeat] = 0;
    DRAWSWITCHBUTTONS(0);
    ReferenceButtonsOff();
    FixSWITCHBUTTON();
    sequentialLayout = false;
  }
  // The rule stands, but an unattended run must not stop after its first period unseen.
  if (repeating && PrefsArray[PrefsSlot::Autorepeat] == 0)
    repeatNote = "Automatic Repeat is now off: the recording stops after its first period.";
}

void ChoosePattern(int16_t choice) {
  const int16_t two = nGroups == 2 && !ScopeChart();
  switch (choice) {
    case 181:
      SwitchingMode = 0;
      downVipSOUND();
      RemoveReferenceInterval();
      RemoveSequenceInterval();
      SetState(Item::TwoGroups, 0);
      return;
    case 182:
      SwitchingMode = two ? 2 : 1;
      upVipSOUND();
      SetState(Item::TwoGroups, ScopeChart() ? 0 : GroupBoxState());
      RemoveReferenceInterval();
      RemoveSequenceInterval();
      return;
    case 183:
    case 180:
      upVipSOUND();
      SwitchingMode = static_cast<int16_t>((choice == 183 ? 3 : 7) + (two ? 1 : 0));
      RemoveSequenceInterval();
      MakeReferenceInterval();
      SetState(Item::TwoGroups, ScopeChart() ? 0 : GroupBoxState());
      return;
    case 184:
      upVipSOUND();
      SwitchingMode = nGroups == 2 ? 6 : 5;
      MakeReferenceInterval();
      MakeSequenceInterval();
      SetState(Item::TwoGroups, ScopeChart() ? 0 : GroupBoxState());
      return;
    case 186:
    case 190:
      upVipSOUND();
      SwitchingMode = choice == 186 ? 9 : 10;
      RemoveSequenceInterval();
      MakeReferenceInterval();
      if (choice == 190) MakeSequenceInterval();
      nGroups = 0;
      SetState(Item::TwoGroups, 0);
      return;
    default:
      return;
  }
}

void RemakeReferenceButtons() {
  DRAWREFBUTTONS();
  if (RefChan >= 1 && RefChan <= 8) SetState(RefChan, 2);
  if (TwoGroupPattern(SwitchingMode) && RefChan2 >= 1 && RefChan2 <= 8) SetState(RefChan2, 2);
}

void AfterGroupChange() {
  DRAWREFLINE();
  if (SwitchingMode <= 8) DrawGroupColumn(GroupTextStyle::Opening);
}

void ChooseCoding(int16_t choice) {
  PrefsArray[PrefsSlot::DigitalOutputCoding] = choice == Item::ThreeBit ? 1 : 0;
  // The coding decides which devices the interface can switch: the reference buttons
  // and the rows offer those and no others.
  RemakeReferenceButtons();
  RelayDeviceButtons();
  SetState(Item::OneLine, choice == Item::OneLine ? 2 : 1);
  SetState(Item::ThreeBit, choice == Item::ThreeBit ? 2 : 1);
  if (!OneGroupOnly()) {
    SetState(Item::TwoGroups, SwitchingMode == 9 ? 0 : GroupBoxState());
    return;
  }
  // The coding gives group 2 no lines: the groups go and the box is dimmed. One line
  // per device without groups to drop changes nothing more.
  const bool wasTwo = nGroups == 2;
  nGroups = 0;
  SetState(Item::TwoGroups, 0);
  if (choice == Item::OneLine && !wasTwo) return;
  if (wasTwo && TwoGroupPattern(SwitchingMode))
    SwitchingMode = PatternAfterGroupToggle(SwitchingMode, ScopeChart());
  AfterGroupChange();
  SWITCHDIAGRAM();
  if (SwitchingMode != 0) switch_window_hooks::SWITCHTOREFERENCE();
}

void ToggleGroups() {
  nGroups = nGroups == 2 ? 0 : 2;
  if (nGroups == 2) {
    SetState(Item::TwoGroups, 2);
    if (RefChan > GroupOneLastDevice(External_AD)) {
      if (RefChan <= 8) SetState(RefChan, 1);
      RefChan = 0;
    }
  } else {
    SetState(Item::TwoGroups, 1);
  }
  SwitchingMode = PatternAfterGroupToggle(SwitchingMode, ScopeChart());
  if (SwitchingMode == 0 || ScopeChart()) SetState(Item::TwoGroups, 0);
  AfterGroupChange();
  if (SwitchingMode == 0) {
    rt::EnableMenuItem(kViewMenu, kShowSwitchStatusItem, false);
    return;
  }
  switch_window_hooks::SWITCHTOREFERENCE();
}

void CommonTail(int16_t it) {
  if (SwitchingMode == 0) {
    rt::EnableMenuItem(kViewMenu, kShowSwitchStatusItem, false);
  } else {
    rt::EnableMenuItem(kViewMenu, kShowSwitchStatusItem, true);
    rt::CheckMenuItem(kViewMenu, kShowSwitchStatusItem, PrefsArray[PrefsSlot::ShowSwitchStatus] != 0);
  }
  rt::SetOutputWindow(W);
  if (SwitchingMode <= 8 && it >= 9 && it != Item::OneLine && it != Item::ThreeBit && it != Item::SetupOK)
    SWITCHDIAGRAM();
  CHECKSWITCHDATA();
  Action = 0;
  EventID = 0;
  SetState(Item::ZeroLinks, ZeroLinksBoxState());
}

// True when the finish request passes the interval check and every device chosen is
// one the interface can switch.
bool FinishAccepted() {
  Action = 0;
  EventID = 0;
  if (ReadIntervals() && !UnswitchableDevice()) return true;
  FinishFlag = 0;
  zap();
  ShowUnswitchableDevice();
  return false;
}

void CloseSwitchWindow() {
  rt::CloseWindow(W);
  FinishFlag = 0;
  // The switching is now as the user saw it here: nothing is left for the set-up window
  // to tell.
  SwitchingNote.clear();
  switch_window_hooks::SWITCHTOREFERENCE();
  if (SwitchingMode == SwitchingPatternCode::SequentialFiles) {
    GetSequenceLabels();
    if (rt::WindowExists(kCallerWindow)) rt::BringWindowForward(kCallerWindow);
  }
  if (zerolink[0] != 0) switch_window_hooks::EXTRAZERO();
  services::SetUpMENUs(1);
}

}  // namespace

// ---- rules ----------------------------------------------------------------------------------------

int16_t PatternListEntry(int16_t p, bool shortList) {
  if (p == 1 || p == 2) return 3;
  if (p == 3 || p == 4) return 4;
  if (p == 5 || p == 6) return 5;
  if (p == 7 || p == 8) return shortList ? 5 : 6;
  if (p == 9) return 8;
  if (p == 10) return 10;
  return 1;
}

int16_t PatternItemForEntry(int16_t entry, bool shortList) {
  if (entry == 1 || entry == 2) return 181;
  if (entry == 3) return 182;
  if (entry == 4) return 183;
  if (entry == 5) return shortList ? 180 : 184;
  if (shortList) return 0;
  if (entry == 6) return 180;
  if (entry == 7 || entry == 8) return 186;
  if (entry == 9) return 188;
  if (entry == 10) return 190;
  return 0;
}

int16_t PatternAfterGroupToggle(int16_t p, bool scopeChart) {
  switch (p) {
    case 1:
    case 3:
    case 5:
    case 7:
      return scopeChart ? 0 : static_cast<int16_t>(p + 1);
    case 2:
      return 1;
    case 4:
      return 3;
    case 6:
      return scopeChart ? 3 : 5;
    case 8:
      return 7;
    case 9:
      return 0;
    default:
      return p;
  }
}

bool IntervalAccepted(double minutes) {
  // Periods are counted in 1/60 s ticks in 32 bits at run time.
  return minutes > 0 && minutes * 3600.0 < 2'147'483'647.0;
}

bool SwitchSetupComplete(int16_t p, bool device, float ref, float seq, int16_t ref1, int16_t ref2) {
  const bool refOK = IntervalAccepted(ref), seqOK = IntervalAccepted(seq);
  switch (p) {
    case 0:
      return true;
    case 1:
      return device && ref1 > 0;
    case 2:
      return device && ref1 > 0 && ref2 > 0;
    case 3:
    case 7:
    case 9:
      return refOK && device && ref1 > 0;
    case 4:
    case 8:
      return refOK && device && ref1 > 0 && ref2 > 0;
    case 5:
    case 10:
      return refOK && seqOK && device && ref1 > 0;
    case 6:
      return refOK && seqOK && device && ref1 > 0 && ref2 > 0;
    default:
      return false;
  }
}

bool UsesReferenceInterval(int16_t p) {
  return p >= 3 && p <= 10;
}
bool UsesSequenceInterval(int16_t p) {
  return p == 5 || p == 6 || p == 10;
}

// ---- the window --------------------------------------------------------------------------------

void MakeIntervalFields() {
  rt::SetOutputWindow(W);
  const int16_t p = SwitchingMode;
  if (p == 3 || p == 4 || p == 7 || p == 8 || p == 9 || UsesSequenceInterval(p)) MakeReferenceInterval();
  if (UsesSequenceInterval(p)) MakeSequenceInterval();
}

void CHECKSWITCHDATA() {
  rt::SetOutputWindow(W);
  SetState(Item::SetupOK, SetupComplete() ? 1 : 0);
  ShowUnswitchableDevice();
}

void CHECKSWITCHBUTTON() {
  rt::SetOutputWindow(W);
  int16_t it = item;
  int16_t deviceButton = 0;
  if (it >= 10 && it <= 169) {
    deviceButton = it;
    it = SwitchItem::DeviceButton;
  }
  if ((it == 180 || it == 182 || it == 183 || it == 184) && SwitchingMode == 0) {
    ReferenceButtonsOff();
    if (RefChan >= 1 && RefChan <= 8) SetState(RefChan, 2);
  }
  ReadIntervals();
  if (it >= 180 && it <= 190) {
    ChoosePattern(it);
    DRAWREFLINE();
  } else if (it == Item::OneLine || it == Item::ThreeBit) {
    ChooseCoding(it);
  } else if (it == Item::TwoGroups) {
    ToggleGroups();
  } else if (it == Item::SetupOK) {
    FinishFlag = 1;
  } else if (it == Item::ZeroLinks) {
    if (rt::ControlState(Item::ZeroLinks) != 0) {
      zerolink[0] = zerolink[0] == 1 ? 0 : 1;
      // Unticked, the box clears its links: ticked again it starts with none.
      DropZeroLinksNotInForce();
    }
  } else if (it == SwitchItem::NoRefsBetweenChannels) {
    ClickNoRefsBetweenChannels();
  } else if (it >= 1 && it <= 8) {
    ClickReferenceButton(it);
  } else if (it == SwitchItem::DeviceButton) {
    ClickDeviceButton(deviceButton);
  } else if (it == Item::Marker) {
    TogglePrefs(PrefsSlot::MarkerAtSwitch);
    SetState(Item::Marker, PrefsArray[PrefsSlot::MarkerAtSwitch] == 1 ? 2 : 1);
  } else if (it == Item::Options) {
    SetSwitchOptions();
    rt::SetOutputWindow(W);
  }
  CommonTail(it);
}

void ExternalDeviceControl() {
  const HandlerScope callersHandlers;
  OpenSwitchWindow();
  const bool shortList = ScopeChart();
  while (rt::WindowExists(W)) {
    rt::PumpEvents();
    if (!rt::WindowExists(W)) break;
    rt::SetOutputWindow(W);
    if (Action == ActionCode::Key) {
      // Return finishes only what "Setup OK" would: an incomplete set-up stays open.
      if (SetupComplete())
        FinishFlag = 1;
      else
        zap();
      Action = 0;
    }
    if (extswitchflag == 1) MENUID = 0;
    if (Action == ActionCode::Click && EventID == (shortList ? Item::ShortList : Item::FullList)) {
      MENUID = static_cast<int16_t>(rt::ControlValue(static_cast<int16_t>(EventID)));
      Action = 0;
      if (const int16_t choice = PatternItemForEntry(MENUID, shortList)) {
        Action = ActionCode::Click;
        EventID = choice;
      }
    }
    if (Action == ActionCode::Click) SwitchLayoutFor(static_cast<int16_t>(EventID));
    if (Action == ActionCode::Click && EventID == Item::Help) {
      DoHelpWindow(kHelpTopic);
      rt::BringWindowForward(W);
      rt::SetOutputWindow(W);
    }
    if (Action == ActionCode::Click) {
      item = static_cast<int16_t>(EventID);
      CHECKSWITCHBUTTON();
    }
    if (!FixedCoding()) SetState(ThreeBitWord() ? Item::ThreeBit : Item::OneLine, 2);
    if (FinishFlag == 1 && FinishAccepted()) break;
    Action = 0;
    EventID = 0;
  }
  CloseSwitchWindow();
}

}  // namespace mv
