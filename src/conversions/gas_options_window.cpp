// The gas-exchange options window (window 14) as its loop, and the rules of what it
// shows and how its clicks change the channel's record.
#include "conversions/gas_options_window.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string>

#include "conversions/channel_labels_window.h"
#include "conversions/conversions_window.h"
#include "conversions/equation_panel.h"
#include "conversions/evaluate.h"
#include "conversions/needs.h"
#include "conversions/state.h"
#include "conversions/text_fields.h"
#include "kit/builders.h"
#include "kit/format.h"
#include "kit/help.h"
#include "kit/popups.h"
#include "kit/protocol.h"
#include "kit/refusal_line.h"
#include "kit/resources.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "kit/subscript.h"
#include "runtime/events.h"
#include "runtime/menus.h"
#include "runtime/windows.h"
#include "setup/state.h"

namespace mv {

// ---- rules ---------------------------------------------------------------------------------------

Str255 GasOptionsTitle(int16_t channel, std::string_view label) {
  Str255 trimmed(label);
  TRUNCATE(trimmed);
  return Str255("Conversion Options, Channel") + NumText(channel) + ":    '" + trimmed + "  '";
}

bool ApplyGasToggle(GasExchangeRecord& r, int16_t toggle) {
  using namespace GasOptionsControl;
  int16_t code = 0;
  if (toggle == ComputeVO2) code = GasComputationCode::VO2;
  if (toggle == ComputeVCO2) code = GasComputationCode::VCO2;
  if (toggle == ComputeEWL) code = GasComputationCode::EWL;
  if (code == 0) return false;
  r[GasField::Computation] = WholeCode(r[GasField::Computation]) == code ? 0.0f : static_cast<float>(code);
  return true;
}

GasShownValues GasShownValuesOf(const GasExchangeRecord& r) {
  const auto positiveOr = [](float v, float otherwise) { return v > 0.0f ? v : otherwise; };
  return GasShownValues{positiveOr(r[GasField::RQ], 0.85f), positiveOr(r[GasField::Z], 1.0f),
                        positiveOr(r[GasField::FiO2], 0.2095f), positiveOr(r[GasField::FiCO2], 0.0f)};
}

int16_t GasPopupItem(const GasExchangeRecord& r, int16_t popup) {
  using namespace GasOptionsControl;
  switch (popup) {
    case VO2Case:
      return WholeCode(ValidGasCase(GasComputationCode::VO2, r[GasField::Case]));
    case VCO2Case:
      return WholeCode(ValidGasCase(GasComputationCode::VCO2, r[GasField::Case]));
    case EWLUnits:
    case VO2Units:
    case VCO2Units: {
      const int16_t units = WholeCode(r[GasField::Units]);
      return units >= 1 && units <= 4 ? units : int16_t{2};
    }
    default:
      return WholeCode(r[GasField::FlowSource]) == kFlowFromChannel ? kFlowFromChannel : int16_t{1};
  }
}

Str255 GasCaseNote(int16_t vo2Case) {
  if (vo2Case != 5) return Str255();
  return "VO2 has no formula yet for CO2 present with the flowmeter downstream: values pass unchanged.";
}

std::string GasFlowChannelRefusal(int16_t computation, int16_t flowSource, double typedFlow,
                                  int16_t nChannels) {
  if (computation < GasComputationCode::VO2 || computation > GasComputationCode::EWL) return "";
  if (flowSource != kFlowFromChannel) return "";
  const int16_t last = std::clamp<int16_t>(nChannels, 0, 16);
  if (typedFlow >= 1 && typedFlow <= last && typedFlow == std::trunc(typedFlow)) return "";
  return "Flow Channel: type a channel from 1 to " + std::to_string(last) + ".";
}

// ---- the window ----------------------------------------------------------------------------------

namespace {

using namespace GasOptionsControl;
constexpr int16_t kWindow = kGasOptionsWindow;
constexpr int16_t kHelpTopic = 156;
constexpr int16_t kEquationsMenu = 100, kOptionsMenu = 120;
constexpr std::size_t kLabelWidth = 30;
constexpr RGBColor kBlack{0, 0, 0};
constexpr RGBColor kNoteColor{0xB000, 0, 0};

// One row of the gas computations: its toggle, popups and flow field.
struct GasRow {
  int16_t code, toggle, casePopup, unitsPopup, flowPopup, flowField, top;
  const char* title;
  const char* note;     // the measured quantity, with its subscript below
  const char* noteSub;  // the subscript ("" for none)
};
constexpr GasRow kRows[] = {
    {GasComputationCode::VO2, ComputeVO2, VO2Case, VO2Units, VO2FlowSource, VO2Flow, 66, "Compute VO2",
     "(from % O", "2"},
    {GasComputationCode::VCO2, ComputeVCO2, VCO2Case, VCO2Units, VCO2FlowSource, VCO2Flow, 112,
     "Compute VCO2", "(from % CO", "2"},
    {GasComputationCode::EWL, ComputeEWL, 0, EWLUnits, EWLFlowSource, EWLFlow, 158, "Compute EWL",
     "(from % R.H.)", ""},
};

void GasOptionsMenuHandler(int16_t menu, int16_t menuItem) {
  services::ShortMENU(menu, menuItem);
}

int16_t Bottom(int16_t top, int16_t height) {
  return static_cast<int16_t>(top + height);
}

double FieldValue(int16_t field) {
  return rt::EditFieldExists(field) ? TextToNumber(rt::EditText(field)) : 0.0;
}

class GasOptionsWindow {
 public:
  explicit GasOptionsWindow(int16_t channel) : channel_(channel) {}

  void Run() {
    LastChanModified = channel_;
    Build();
    for (;;) {
      ShowState();
      rt::PumpEvents();
      if (!rt::WindowExists(kWindow)) break;
      const int16_t action = Action;
      const int32_t item = EventID;
      Action = 0;
      EventID = 0;
      bool leaving = action == ActionCode::Click && Click(static_cast<int16_t>(item));
      leaving |= action == ActionCode::WindowActivity || action == ActionCode::CloseBox;
      leaving |= action == ActionCode::Key && (item == 0 || item == 13 || item == 3);
      if (leaving && LeaveAllowed()) break;
    }
    if (rt::WindowExists(kWindow)) {
      Done();
      rt::CloseWindow(kWindow);
    }
    Action = ActionCode::Redraw;
  }

 private:
  GasExchangeRecord& Record() { return SpecialOpsArray[channel_]; }

  // ---- building ------------------------------------------------------------------------------
  void Build() {
    const GasExchangeRecord& r = Record();
    const Str255 label = Trimmed(StoredChannelLabel(channel_));
    // 632 pixels wide: the window and its frame fit the narrowest display (640).
    BuildWINDOW(kWindow, GasOptionsTitle(channel_, label.str()), 60, 70, 692, 495, 6);
    BUILDBOX2(8, 6, 624, 222);
    BUILDBOX2(8, 230, 624, 282);
    BUILDBOX2(8, 290, 624, 416);
    EmbossPrint(1, "Aerial respirometry and water loss functions...", 24, 18, 34);
    const rt::FontSpec heads = KitFont(KestraneFont, 11);
    rt::DrawText(14, 57, "gas species                     conversion type, units", heads, kBlack);
    rt::DrawText(446, 57, "flow rate source     (in ml/min)", heads, kBlack);
    for (const GasRow& row : kRows) BuildRow(row, r);
    drawOptionsText(r);
    BuildCorrectionPanel(r);
    BuildResultsPanel(r, label);
    if (PrefsArray[PrefsSlot::AlwaysShowHelpData] != 0) {
      DoHelpWindow(kHelpTopic);
      rt::BringWindowForward(kWindow);
      rt::SetOutputWindow(kWindow);
    }
    Action = 0;
    EventID = 0;
    InstallDialogHandlers(GasOptionsMenuHandler);
    rt::FlushWindow();
  }

  static Str255 Trimmed(Str255 text) {
    TRUNCATE(text);
    return text;
  }

  void BuildRow(const GasRow& row, const GasExchangeRecord& r) {
    const int16_t top = row.top, bottom = Bottom(row.top, 22);
    rt::NewControl(row.toggle, rt::ControlType::PushButton, row.title, Rect{12, top, 116, bottom}, 1);
    if (row.casePopup == VO2Case) Popup140(kPopupMenu);
    if (row.casePopup == VCO2Case) Popup141(kPopupMenu);
    if (row.casePopup != 0)
      rt::NewPopupControl(row.casePopup, kPopupMenu, "", Rect{120, top, 368, bottom},
                          GasPopupItem(r, row.casePopup));
    if (row.code == GasComputationCode::EWL)
      Popup142(kPopupMenu);
    else
      Popup143(kPopupMenu);
    rt::NewPopupControl(row.unitsPopup, kPopupMenu, "", Rect{372, top, 460, bottom},
                        GasPopupItem(r, row.unitsPopup));
    Popup145(kPopupMenu);
    rt::NewPopupControl(row.flowPopup, kPopupMenu, "", Rect{464, top, 580, bottom},
                        GasPopupItem(r, row.flowPopup));
    BUILDEF(row.flowField, CoefficientText(r[GasField::Flow]), 584, Bottom(top, 2), 620, Bottom(top, 20), 1,
            2);
    rt::SetTextFont(KitFont(KestraneFont, 11));
    rt::SetTextColor(kBlack);
    DoSubscript(20, Bottom(top, 36), row.note, row.noteSub, *row.noteSub ? ")" : "", 3);
  }

  // The incurrent fractions, RQ and the air temperature, and the note of a case
  // without a formula.
  void drawOptionsText(const GasExchangeRecord& r) {
    const GasShownValues shown = GasShownValuesOf(r);
    rt::SetTextFont(KitFont(KestraneFont, 12));
    rt::SetTextColor(kBlack);
    DoSubscript(140, 211, "FiO", "2", "", 3);
    BUILDEF(FiO2, CoefficientText(shown.fio2), 174, 197, 244, 215, 1, 2);
    DoSubscript(268, 211, "FiCO", "2", "", 3);
    BUILDEF(FiCO2, CoefficientText(shown.fico2), 312, 197, 382, 215, 1, 2);
    rt::DrawText(406, 211, "RQ", rt::TextFont(), kBlack);
    BUILDEF(RQ, CoefficientText(shown.rq), 432, 197, 492, 215, 1, 2);
    const int16_t ewlTop = kRows[2].top;
    rt::DrawText(124, ewlTop + 16, "t, RH", rt::TextFont(), kBlack);
    BUILDEF(Temperature, CoefficientText(r[GasField::Temperature]), 168, Bottom(ewlTop, 2), 228,
            Bottom(ewlTop, 20), 1, 2);
    rt::DrawText(232, ewlTop + 16, degC, rt::TextFont(), kBlack);
    const int16_t vo2Top = kRows[0].top;
    BUILDEF(CaseNote, "", 120, Bottom(vo2Top, 25), 620, Bottom(vo2Top, 41), 5, 0);
    rt::SetEditFont(CaseNote, KitFont(KestraneFont, 10));
    rt::SetEditColors(CaseNote, kNoteColor, kThemeBackground);
  }

  void BuildCorrectionPanel(const GasExchangeRecord& r) {
    EmbossPrint(1, "Response correction:", 22, 18, 265);
    rt::SetTextFont(KitFont(KestraneFont, 12));
    rt::SetTextColor(kBlack);
    BUILDBUTTON(Correction, r[GasField::Correction] > 0.0f ? 2 : 1, "Z- Transformation; Z Value:", 262, 249,
                2, 0);
    BUILDEF(Z, CoefficientText(GasShownValuesOf(r).z), 470, 247, 540, 265, 1, 2);
  }

  void BuildResultsPanel(const GasExchangeRecord& r, const Str255& label) {
    EmbossPrint(1, "Conversion results:", 22, 18, 322);
    rt::SetTextFont(KitFont(KestraneFont, 12));
    rt::SetTextColor(kBlack);
    const bool save = r[GasField::Save] != 0.0f;
    BUILDBUTTON(DisplayOnly, save ? 1 : 2, "Display Only", 34, 341, 3, 0);
    BUILDBUTTON(DisplayAndSave, save ? 2 : 1, "Display & Save", 34, 377, 3, 0);
    DrawThisImage(CreateCGImageFromBundleResource("MVimages", "blank screen.gif"), 172, 330, 208, 357);
    DrawThisImage(CreateCGImageFromBundleResource("MVimages", "hard drive.gif"), 176, 362, 204, 391);
    EmbossPrint(1, "Label:", 22, 250, 322);
    BUILDEF(Label, label, 330, 306, 618, 326, 1, 0);
    rt::NewControl(ShowLabels, rt::ControlType::PushButton, "Show Channel Labels...",
                   Rect{330, 338, 510, 360}, 1);
    rt::NewControl(Help, rt::ControlType::PushButton, "?", Rect{494, 384, 534, 406}, 1);
    rt::NewControl(GasOptionsControl::Done, rt::ControlType::DefaultButton, "Done", Rect{544, 384, 618, 406},
                   1);
  }

  // The pressed toggle, the check box, the radio pair and the case note as the
  // record stands.
  void ShowState() {
    if (!rt::WindowExists(kWindow)) return;
    if (rt::OutputWindow() != kWindow) rt::SetOutputWindow(kWindow);
    const GasExchangeRecord& r = Record();
    const int16_t computation = WholeCode(r[GasField::Computation]);
    for (const GasRow& row : kRows) SetState(row.toggle, row.code == computation ? 2 : 1);
    SetState(Correction, r[GasField::Correction] > 0.0f ? 2 : 1);
    const bool save = r[GasField::Save] != 0.0f;
    SetState(DisplayOnly, save ? 1 : 2);
    SetState(DisplayAndSave, save ? 2 : 1);
    const Str255 note = GasCaseNote(static_cast<int16_t>(rt::ControlValue(VO2Case)));
    if (rt::EditText(CaseNote) != note.str()) rt::SetEditText(CaseNote, note.str());
  }

  static void SetState(int16_t control, int16_t state) {
    if (rt::ControlExists(control) && rt::ControlState(control) != state) rt::SetControlState(control, state);
  }

  // ---- events --------------------------------------------------------------------------------
  // True when the click ends the window.
  bool Click(int16_t control) {
    GasExchangeRecord& r = Record();
    if (ApplyGasToggle(r, control)) return false;
    rt::SetOutputWindow(kWindow);
    switch (control) {
      case VO2Case:
      case VCO2Case:
        r[GasField::Case] = static_cast<float>(rt::ControlValue(control));
        return false;
      case EWLUnits:
      case VO2Units:
      case VCO2Units:
        r[GasField::Units] = static_cast<float>(rt::ControlValue(control));
        return false;
      case VO2FlowSource:
      case VCO2FlowSource:
      case EWLFlowSource:
        r[GasField::FlowSource] = static_cast<float>(rt::ControlValue(control));
        return false;
      case Correction:
        r[GasField::Correction] = r[GasField::Correction] == 1.0f ? 0.0f : 1.0f;
        return false;
      case DisplayOnly:
      case DisplayAndSave:
        r[GasField::Save] = control == DisplayAndSave ? 1.0f : 0.0f;
        return false;
      case ShowLabels:
        ChannelLabelsWindow();
        Return();
        return false;
      case Help:
        DoHelpWindow(kHelpTopic);
        Return();
        return false;
      case GasOptionsControl::Done:
        return true;
      default:
        return false;
    }
  }

  // Back from a window opened over this one.
  void Return() {
    if (!rt::WindowExists(kWindow)) return;
    rt::BringWindowForward(kWindow);
    rt::SetOutputWindow(kWindow);
    Action = 0;
    EventID = 0;
    InstallDialogHandlers(GasOptionsMenuHandler);
  }

  // A flow channel the recording cannot read keeps the window open, with a line that
  // says which channels it can be.
  bool LeaveAllowed() {
    if (!rt::WindowExists(kWindow)) return true;
    rt::SetOutputWindow(kWindow);
    const int16_t computation = WholeCode(Record()[GasField::Computation]);
    for (const GasRow& row : kRows) {
      if (row.code != computation) continue;
      const auto source = static_cast<int16_t>(rt::ControlValue(row.flowPopup));
      const std::string refusal = GasFlowChannelRefusal(computation, source, FieldValue(row.flowField), nChannels);
      if (refusal.empty()) break;
      zap();
      ShowRefusalLine(FlowRefusal, Rect{218, 386, 490, 404}, refusal);
      rt::BringWindowForward(kWindow);
      rt::SelectEditText(row.flowField, 0, -1);
      return false;
    }
    ClearRefusalLine(FlowRefusal);
    return true;
  }

  // The Done step: the active row's popups and flow, the typed numbers and the
  // derived factors, the label and the channel's menu items.
  void Done() {
    rt::SetOutputWindow(kWindow);
    GasExchangeRecord& r = Record();
    // One record serves the three rows, and a popup of another row may have been
    // touched last: the row that is on keeps what it shows.
    const int16_t computation = WholeCode(r[GasField::Computation]);
    for (const GasRow& row : kRows) {
      if (row.code != computation) continue;
      if (row.casePopup != 0) r[GasField::Case] = static_cast<float>(rt::ControlValue(row.casePopup));
      r[GasField::Units] = static_cast<float>(rt::ControlValue(row.unitsPopup));
      r[GasField::FlowSource] = static_cast<float>(rt::ControlValue(row.flowPopup));
    }
    GasOptionsInput in;
    in.vo2Flow = FieldValue(VO2Flow);
    in.vco2Flow = FieldValue(VCO2Flow);
    in.ewlFlow = FieldValue(EWLFlow);
    in.rq = FieldValue(RQ);
    in.fio2 = FieldValue(FiO2);
    in.fico2 = FieldValue(FiCO2);
    in.z = FieldValue(Z);
    in.temperature = FieldValue(Temperature);
    ApplyGasOptionsDone(r, in);

    const Str255 typed =
        rt::EditFieldExists(Label) ? Str255(rt::EditText(Label)) : StoredChannelLabel(channel_);
    StoreChannelLabel(channel_, PadOrCut(typed.str(), kLabelWidth));
    const Str255 shown = Trimmed(StoredChannelLabel(channel_));
    rt::SetMenuItem(kEquationsMenu, channel_, ChannelMenuItemText(kEquationsMenu, channel_, shown.str()));
    rt::SetMenuItem(kOptionsMenu, channel_, ChannelMenuItemText(kOptionsMenu, channel_, shown.str()));
  }

  int16_t channel_;
};

}  // namespace

void ConversionOptions(int16_t channel) {
  const HandlerScope callersHandlers;
  if (channel < 1 || channel > 16 || channel > nChannels) return;
  GasOptionsWindow(channel).Run();
}

}  // namespace mv
