// The conversions window (window 10) as its loop: entry, building, the event loop
// with the type dispatch, and the final store.
#include "conversions/conversions_window.h"

#include "conversions/breakpoint_window.h"
#include "conversions/custom_table.h"
#include "conversions/equation_panel.h"
#include "conversions/evaluate.h"
#include "conversions/gas_options_window.h"
#include "conversions/needs.h"
#include "conversions/state.h"
#include "conversions/text_fields.h"
#include "devices/state.h"
#include "kit/builders.h"
#include "kit/format.h"
#include "kit/help.h"
#include "kit/protocol.h"
#include "kit/refusal_line.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/menus.h"
#include "runtime/windows.h"
#include "setup/state.h"

namespace mv {
namespace {

constexpr int16_t kWindow = kConversionsWindow;
constexpr int16_t kHelpTopic = 132;
constexpr int16_t kEquationsMenu = 100, kOptionsMenu = 120;
constexpr RGBColor kBlack{0, 0, 0};

// Every button that can carry the mark.
constexpr int16_t kTypeButtons[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 13, 14, 17, 18, 19};

void ConversionsMenuHandler(int16_t menu, int16_t menuItem) {
  services::ShortMENU(menu, menuItem);
}

Str255 Trimmed(Str255 text) {
  TRUNCATE(text);
  return text;
}

float FieldNumber(int16_t field) {
  return rt::EditFieldExists(field) ? CoefficientFromText(rt::EditText(field)) : 0.0f;
}

void SetRange(float& minimum, float& maximum, DisplayRange range) {
  minimum = range.minimum;
  maximum = range.maximum;
}

class ConversionsWindow {
 public:
  explicit ConversionsWindow(int16_t channel) : channel_(channel) {}

  bool Run() {
    if (!Enter()) return false;
    Build();
    while (!done_) {
      MarkButtons();
      rt::PumpEvents();
      if (!rt::WindowExists(kWindow)) {
        Build();
        continue;
      }
      HandleEvent();
      if (rebuild_ && !done_) {
        rebuild_ = false;
        Build();
      }
    }
    return true;
  }

 private:
  ChannelVariablesRecord& Record() { return ChannelVariables[channel_]; }
  float& TypeCode() { return ChannelVariables[0][channel_]; }

  // ---- entry --------------------------------------------------------------------------------
  // False when no window opens.
  bool Enter() {
    LastChanModified = channel_;
    const bool sable = External_AD == ExternalADCode::SableUI2 || External_AD == ExternalADCode::SableUI3;
    const auto input = WholeCode(Record()[ChanField::Input]);
    if (sable && input > 8) {
      hardwareADchannel = input;
      const int16_t mode = input >= 9 && input <= 12 ? TInputMode[input - 8] : 0;
      const InputProposal p = SableInternalInputProposal(input, mode);
      if (p.label) StoreChannelLabel(channel_, *p.label);
      if (p.range) {
        SetRange(Record()[ChanField::PlotMin], Record()[ChanField::PlotMax], *p.range);
        SetRange(miny, maxy, *p.range);
      }
      if (p.zap) zap();
    }
    // The scope channel is always shown in volts.
    if (channel_ == 1 &&
        (RecordingMODE == RecordingModeCode::Scope || RecordingMODE == RecordingModeCode::ScopeChart)) {
      StoreChannelLabel(channel_, "oscilloscope volts");
      return false;
    }
    miny = Record()[ChanField::PlotMin];
    maxy = Record()[ChanField::PlotMax];
    if (!(Record()[ChanField::PlotMin] < Record()[ChanField::PlotMax])) {
      const DisplayRange r = InterfaceVoltageRange(External_AD);
      SetRange(Record()[ChanField::PlotMin], Record()[ChanField::PlotMax], r);
      SetRange(miny, maxy, r);
    }
    return true;
  }

  // ---- building -----------------------------------------------------------------------------
  void Build() {
    if (rt::WindowExists(kWindow)) rt::CloseWindow(kWindow);
    BuildWINDOW(kWindow, Str255("Chart channel") + NumText(channel_), 26, 84, 500, 485, 6);
    // The heading sits a little lower than its nominal baseline so that the whole
    // 26-pixel text shows under the title bar.
    EmbossPrint(1, "Conversions", 26, 30, 27);
    BuildButtons();

    Str255 label = Trimmed(StoredChannelLabel(channel_));
    if (label.empty()) label = "volts";
    const auto& dt = DataTakerChannels[channel_];
    if (const auto o = InterfaceLabelOverride(External_AD, dt[DataTakerWord::Kind],
                                              dt[DataTakerWord::ThermocoupleType], ADsensorType[channel_])) {
      label = o->label;
      SetRange(miny, maxy, o->range);
    }
    rt::DrawText(280, 207, "Channel label:", KitFont(KestraneFont, 12), kBlack);
    BUILDEF(kChannelLabelField, label, 213, 214, 459, 232, 3, 1);

    aval = Record()[ChanField::A];
    bval = Record()[ChanField::B];
    exponent = Record()[ChanField::C];
    const int16_t type = WholeCode(TypeCode());
    marked_ = MarkedButtonForType(type);
    if (type == ConversionTypeCode::Breakpoint) {
      DrawBreakpointNotice();
    } else {
      EQUATION(marked_, 1, aval, bval, exponent, 0, channel_);
      if (type == ConversionTypeCode::ThreeWay) rt::SetEditText(kChannelLabelField, label);
    }
    // An opened three-way channel shows its own panel, whose edits the store keeps.
    panelKind_ = type == ConversionTypeCode::ThreeWay ? ConversionsButton::ThreeWay : int16_t{0};
    proposed_ = label;
    minyString = RangeText(Record()[ChanField::PlotMin]);
    maxYstring = RangeText(Record()[ChanField::PlotMax]);

    ShowNextRunNote();
    if (PrefsArray[PrefsSlot::AlwaysShowHelpData] != 0) {
      DoHelpWindow(kHelpTopic);
      rt::BringWindowForward(kWindow);
      rt::SetOutputWindow(kWindow);
    }
    Action = 0;
    EventID = 0;
    InstallDialogHandlers(ConversionsMenuHandler);
    rt::FlushWindow();
  }

  void Button(int16_t number, const Str255& title, int16_t top, int16_t height = 20) {
    rt::NewControl(number, rt::ControlType::PushButton, title,
                   Rect{6, top, 204, static_cast<int16_t>(top + height)}, 1);
  }

  void BuildButtons() {
    using namespace ConversionsButton;
    Button(Linear, "Linear", 34);
    Button(Power, "Power Function", 54);
    Button(Polynomial, "2-degree Polynomial", 74);
    Button(Log, "log10(volts) Function", 94);
    Button(Reciprocal, Str255("Reciprocal (a + b ") + divideBy + " volts)", 114);
    for (int16_t n = FirstCustom; n <= LastCustom; ++n)
      Button(n, Trimmed(CustomButtonTitle(n)), static_cast<int16_t>(138 + 20 * (n - FirstCustom)));
    Button(Keyboard, "Keyboard Event Recorder", 303);
    Button(ThreeWay, Trimmed(CustomButtonTitle(kThreeWayButton)), 323);
    Button(Breakpoint, "Breakpoint Conversion...", 343);
    if (OptionsButtonShown(RecordingMODE, channel_)) Button(Options, "Additional Options...", 371, 24);
    // A button whose window is not part of the program yet is shown dimmed.
    if (CalibrationButtonShown(External_AD))
      rt::NewControl(DirectCalibration, rt::ControlType::PushButton, "Direct Calibration...",
                     Rect{230, 248, 400, 273}, conversion_hooks::DIRECTCAL.Built() ? 1 : 0);
    rt::NewControl(SelectionOK, rt::ControlType::PushButton, "Selection OK", Rect{290, 355, 430, 376}, 1);
    rt::NewControl(Help, rt::ControlType::PushButton, "?", Rect{230, 355, 270, 376}, 1);
  }

  // Between a run and the next: the run's files keep the conversions it converted
  // by, so what is chosen here is for the next run, and the window says so.
  static void ShowNextRunNote() {
    if (!RunConversionsInHand()) return;
    EFForeColor = 1;
    EFBackColor = 7;
    BUILDEF(kNextRunNoteField, kNextRunNote, 213, 280, 470, 322, 5, 0);
    rt::FontSpec font = KitFont(KestraneFont, 11);
    font.bold = true;
    rt::SetEditFont(kNextRunNoteField, font);
    rt::SetEditColors(kNextRunNoteField, RGBColor{0xA000, 0, 0}, VeryLightGray);
  }

  // A breakpoint channel's panel: a note that the equation lives in its own window.
  void DrawBreakpointNotice() {
    ClearEquationPanel();
    BUILDBOX(213, 35, 460, 180);
    const rt::FontSpec large = KitFont(KestraneFont, 22);
    const rt::FontSpec small = KitFont(KestraneFont, 13);
    rt::DrawText(236, 76, "Complex equation", large, kBlack);
    rt::DrawText(254, 106, "with breakpoint", large, kBlack);
    rt::DrawText(226, 146, bullet + " click 'breakpoint conversion'", small, kBlack);
    rt::DrawText(241, 164, "button for details", small, kBlack);
  }

  void MarkButtons() {
    if (rt::OutputWindow() != kWindow) rt::SetOutputWindow(kWindow);
    for (int16_t b : kTypeButtons) {
      if (!rt::ControlExists(b)) continue;
      const int16_t state = b == marked_ ? 2 : 1;
      if (rt::ControlState(b) != state) rt::SetControlState(b, state);
    }
  }

  // ---- events --------------------------------------------------------------------------------
  void HandleEvent() {
    const int16_t action = Action;
    const int32_t item = EventID;
    Action = 0;
    EventID = 0;
    switch (action) {
      case ActionCode::Key:
        Click(ConversionsButton::SelectionOK);
        break;
      case ActionCode::CloseBox:
        // The close box does not close the window; it only confirms the label.
        if (item == kWindow) Finish();
        break;
      case ActionCode::Click:
        Click(static_cast<int16_t>(item));
        break;
      default:
        break;
    }
  }

  void Click(int16_t button) {
    using namespace ConversionsButton;
    switch (button) {
      case SelectionOK:
        if (CoefficientRefused()) return;
        Finish();
        FinalStore();
        return;
      case Options:
        RunOptions();
        return;
      case Help:
        DoHelpWindow(kHelpTopic);
        rt::SetOutputWindow(kWindow);
        return;
      default:
        break;
    }
    if (!TypeDispatch(button)) return;
    // A label typed and not confirmed gives way to the one the button proposed.
    if (!done_ && rt::OutputWindow() == kWindow && rt::EditFieldExists(kChannelLabelField))
      rt::SetEditText(kChannelLabelField, proposed_);
  }

  // False for a click that is no type button.
  bool TypeDispatch(int16_t button) {
    using namespace ConversionsButton;
    const bool known =
        button == Breakpoint || button == DirectCalibration || TypeButtonChoice(button, External_AD);
    if (!known) return false;
    if (ClickMarksButton(button)) marked_ = button;
    DataTakerChannels[channel_][DataTakerWord::ThermocoupleChosen] = 0;
    if (button == Breakpoint) {
      BREAKPOINT(channel_);
      rebuild_ = true;
      return true;
    }
    if (button == DirectCalibration) {
      Calibrate();
      return true;
    }
    ApplyChoice(button, *TypeButtonChoice(button, External_AD));
    return true;
  }

  void ApplyChoice(int16_t button, const TypeChoice& t) {
    TypeCode() = t.panelType;
    if (t.threeWay) {
      const auto r = ThreeWayButtonRecord();
      ThreeWayPolyRecord& row = polyarray[channel_];
      for (int i : {0, 1, 2, 3, 5, 6}) row[i] = r[i];
      EQUATION(ConversionsButton::ThreeWay, 3, t.a, t.b, t.c, panelKind_, channel_);
    } else {
      EQUATION(button, t.clearsPanel ? 0 : 3, t.a, t.b, t.c, panelKind_, channel_);
    }
    if (t.thermocoupleReading) DataTakerChannels[channel_][DataTakerWord::ThermocoupleType] = 1;
    TypeCode() = t.type;
    proposed_ = t.label;
    minyString = t.texts.minimum;
    maxYstring = t.texts.maximum;
    SetRange(miny, maxy, t.range);
    panelKind_ = button;
  }

  // The options window edits the label too: it starts from the one shown here (a
  // type button's proposal or a typed label), and what it leaves is shown and kept.
  void RunOptions() {
    StoreChannelLabel(channel_, PadOrCut(LabelFieldText(), kButtonLabelWidth));
    ConversionOptions(channel_);
    Action = 0;
    EventID = 0;
    rt::BringWindowForward(kWindow);
    rt::SetOutputWindow(kWindow);
    // The options window may have changed the label: that label is the one shown and kept.
    proposed_ = Trimmed(StoredChannelLabel(channel_));
    if (proposed_.empty()) proposed_ = "volts";
    if (rt::EditFieldExists(kChannelLabelField)) rt::SetEditText(kChannelLabelField, proposed_);
    InstallDialogHandlers(ConversionsMenuHandler);
  }

  void Calibrate() {
    StoreChannelLabel(channel_, PadOrCut(LabelFieldText(), kButtonLabelWidth));
    Action = 0;
    conversion_hooks::DIRECTCAL(channel_);
    if (Action == ActionCode::CloseBox) {
      Action = 0;
      rebuild_ = true;
      return;
    }
    // The calibration handed back its fit: the window closes with it.
    if (rt::WindowExists(kWindow)) rt::CloseWindow(kWindow);
    WriteMenuItems(StoredChannelLabel(channel_));
    Action = ActionCode::Redraw;
    done_ = true;
  }

  Str255 LabelFieldText() {
    rt::SetOutputWindow(kWindow);
    return rt::EditFieldExists(kChannelLabelField) ? Str255(rt::EditText(kChannelLabelField)) : proposed_;
  }

  void WriteMenuItems(const Str255& label) {
    rt::SetMenuItem(kEquationsMenu, channel_, ConversionMenuText("Ch.", channel_, label));
    rt::SetMenuItem(kOptionsMenu, channel_, ConversionMenuText("ch.", channel_, label));
  }

  // A coefficient the channel cannot hold (stored, it would be no number or 0) keeps the
  // window open, with a line that says why and the field selected.
  bool CoefficientRefused() {
    rt::SetOutputWindow(kWindow);
    const auto refusal =
        CoefficientFieldsRefusal(panelKind_ == ConversionsButton::ThreeWay, WholeCode(TypeCode()));
    return RefuseField(kCoefficientRefusalField, Rect{213, 324, 470, 353}, refusal ? refusal->field : 0,
                       refusal ? std::optional(refusal->text) : std::nullopt);
  }

  // Selection OK, Return or Enter, or the close box: the label is confirmed.
  void Finish() {
    const Str255 label = LabelFieldText();
    WriteMenuItems(label);
    finalLabel_ = PadOrCut(label, kButtonLabelWidth);
  }

  void FinalStore() {
    rt::SetOutputWindow(kWindow);
    StoreChannelLabel(channel_, finalLabel_);
    aval = FieldNumber(EquationField::A);
    bval = FieldNumber(EquationField::B);
    exponent = FieldNumber(EquationField::C);
    if (panelKind_ == ConversionsButton::ThreeWay) {
      ThreeWayPolyRecord& row = polyarray[channel_];
      row[0] = FieldNumber(EquationField::A);
      row[1] = FieldNumber(EquationField::B);
      row[2] = FieldNumber(EquationField::C);
      row[3] = FieldNumber(EquationField::P3);
      row[5] = FieldNumber(EquationField::K);
      row[6] = FieldNumber(EquationField::M);
    }
    rt::CloseWindow(kWindow);
    Action = ActionCode::Redraw;
    done_ = true;
  }

  int16_t channel_;
  int16_t marked_ = ConversionsButton::Linear;
  int16_t panelKind_ = 0;
  Str255 proposed_;
  Str255 finalLabel_;
  bool done_ = false;
  bool rebuild_ = false;
};

}  // namespace

bool CONVERT(int16_t channel) {
  const HandlerScope callersHandlers;
  if (channel < 1 || channel > 16 || channel > nChannels) return false;
  return ConversionsWindow(channel).Run();
}

}  // namespace mv
