// The chooser and the transfer window of the custom conversion buttons.
#include "conversions/custom_table.h"
#include "conversions/custom_windows.h"
#include "conversions/needs.h"
#include "conversions/text_fields.h"
#include "kit/builders.h"
#include "kit/channel_labels.h"
#include "kit/drawing.h"
#include "kit/format.h"
#include "kit/help.h"
#include "kit/protocol.h"
#include "kit/refusal_line.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/windows.h"
#include "setup/state.h"

namespace mv {
namespace {

constexpr int16_t kHelpTopic = 154;
constexpr RGBColor kBlack{0, 0, 0};
constexpr RGBColor kRed{65535, 0, 0};

void CustomMenuHandler(int16_t menu, int16_t menuItem) {
  services::ShortMENU(menu, menuItem);
}

Str255 Trimmed(Str255 text) {
  TRUNCATE(text);
  return text;
}

// True when the user asked for the transfer window (button 2, a close, Return).
bool RunChooser() {
  const HandlerScope callersHandlers;
  constexpr int16_t kWindow = kCustomChooserWindow;
  services::SetUpMENUs(0);
  BuildWINDOW(kWindow, "Modify Voltage Conversions", 200, 120, 492, 200, 6);
  rt::NewControl(1, rt::ControlType::PushButton, "Customize Conversions...", Rect{20, 10, 272, 35}, 1);
  rt::NewControl(2, rt::ControlType::DefaultButton, "Transfer Current Conversions...", Rect{20, 45, 272, 70},
                 1);
  Action = 0;
  EventID = 0;
  InstallDialogHandlers(CustomMenuHandler);
  rt::FlushWindow();
  int16_t action = 0;
  int32_t item = 0;
  while (action == 0) {
    rt::PumpEvents();
    if (!rt::WindowExists(kWindow)) break;
    if (Action == ActionCode::Click || Action == ActionCode::WindowActivity ||
        Action == ActionCode::CloseBox || Action == ActionCode::Key) {
      action = Action;
      item = EventID;
    }
    Action = 0;
    EventID = 0;
  }
  if (rt::WindowExists(kWindow)) rt::CloseWindow(kWindow);
  return !(action == ActionCode::Click && item == 1);
}

class TransferWindow {
 public:
  void Run() {
    services::SetUpMENUs(0);
    MENUID = 0;
    for (;;) {
      Build();
      Loop();
      downVipSOUND();
      rt::CloseWindow(kWindow);
      if (MENUID != 255) break;
      MENUID = 0;
    }
    services::SetUpMENUs(1);
  }

 private:
  static constexpr int16_t kWindow = kCustomTransferWindow;
  static constexpr int16_t kRefusalField = 140;

  int16_t Tall() const { return MaximumChans > 12 ? int16_t{84} : int16_t{0}; }
  int16_t Channels() const { return nChannels < 0 ? int16_t{0} : nChannels > 16 ? int16_t{16} : nChannels; }

  void Build() {
    using namespace CustomTransferControl;
    const int16_t t = Tall();
    button_ = channel_ = 0;
    // 632 pixels wide: the window and its frame fit the narrowest display (640).
    BuildWINDOW(kWindow, "Transfer Current Voltage Conversions into Buttons", 1, 39, 633,
                static_cast<int16_t>(404 + t), 6);
    wssst();
    EmbossPrint(1, "Conversion Transfers", 29, 135, 30);
    BuildGrayBox(5, 38, 245, 266, 0);
    BuildGrayBox(295, 38, 625, static_cast<int16_t>(317 + t), 0);
    DoubleLINE(0, 632, static_cast<int16_t>(325 + t));
    DoubleLINE(0, 632, static_cast<int16_t>(328 + t));
    const rt::FontSpec font = KitFont(KestraneFont, 12);
    rt::DrawText(24, 53, "Select a conversion button...", font, kRed);
    rt::DrawText(310, 53, "to change to THIS channel's parameters", font, kRed);
    for (int16_t n = kFirstCustomButton; n <= kLastCustomButton; ++n) {
      const auto top = static_cast<int16_t>(67 + 25 * (n - kFirstCustomButton));
      rt::NewControl(n, rt::ControlType::PushButton, Trimmed(CustomButtonTitle(n)),
                     Rect{10, top, 240, static_cast<int16_t>(top + 21)}, 1);
    }
    for (int16_t c = 1; c <= Channels(); ++c) {
      const auto y = static_cast<int16_t>(79 + 21 * (c - 1));
      rt::DrawText(c < 10 ? 377 : 368, y - 5, NumText(c).mid(2), font, kBlack);
      rt::NewControl(static_cast<int16_t>(FirstSelect + c - 1), rt::ControlType::PushButton, "Select",
                     Rect{300, static_cast<int16_t>(y - 19), 370, y}, 1);
      const auto field = static_cast<int16_t>(FirstLabelField + c - 1);
      BUILDEF(field, Trimmed(ChannelLabel(c)), 400, static_cast<int16_t>(y - 18), 620,
              static_cast<int16_t>(y - 3), 3, 1);
      rt::SelectEditText(field, 0, 0);
    }
    rt::NewControl(SaveThisChange, rt::ControlType::PushButton, "Save this Change",
                   Rect{180, static_cast<int16_t>(338 + t), 380, static_cast<int16_t>(358 + t)}, 1);
    rt::NewControl(ConversionsOK, rt::ControlType::DefaultButton, "Conversions OK",
                   Rect{460, static_cast<int16_t>(338 + t), 620, static_cast<int16_t>(358 + t)}, 1);
    rt::NewControl(Help, rt::ControlType::PushButton, "?",
                   Rect{390, static_cast<int16_t>(338 + t), 450, static_cast<int16_t>(358 + t)}, 1);
    if (PrefsArray[PrefsSlot::AlwaysShowHelpData] != 0) {
      DoHelpWindow(kHelpTopic);
      rt::SetOutputWindow(kWindow);
    }
    Action = 0;
    EventID = 0;
    InstallDialogHandlers(CustomMenuHandler);
    rt::FlushWindow();
  }

  void Loop() {
    using namespace CustomTransferControl;
    for (;;) {
      rt::PumpEvents();
      if (!rt::WindowExists(kWindow)) return;
      rt::SetOutputWindow(kWindow);
      const int16_t action = Action;
      const int32_t item = EventID;
      Action = 0;
      EventID = 0;
      if (MENUID == 255) return;
      if (action == ActionCode::Key || action == ActionCode::WindowActivity || action == ActionCode::CloseBox)
        return;
      if (action != ActionCode::Click) continue;
      if (item == ConversionsOK) return;
      Click(static_cast<int16_t>(item));
    }
  }

  void Click(int16_t item) {
    using namespace CustomTransferControl;
    if (IsCustomButton(item)) {
      Mark(button_, item);
    } else if (item >= FirstSelect && item < FirstSelect + Channels()) {
      Mark(channel_, item);
    } else if (item == SaveThisChange) {
      SaveThisChangeClicked();
    } else if (item == Help) {
      DoHelpWindow(kHelpTopic);
      rt::SetOutputWindow(kWindow);
    }
  }

  // The marked control of a group: the previous one unmarked, the new one marked.
  static void Mark(int16_t& marked, int16_t control) {
    if (marked != 0 && rt::ControlExists(marked)) rt::SetControlState(marked, 1);
    marked = control;
    rt::SetControlState(marked, 2);
  }

  void SaveThisChangeClicked() {
    using namespace CustomTransferControl;
    const int16_t channel = channel_ == 0 ? int16_t{0} : static_cast<int16_t>(channel_ - FirstSelect + 1);
    const auto field = static_cast<int16_t>(FirstLabelField + channel - 1);
    const Str255 label = channel > 0 && rt::EditFieldExists(field) ? Str255(rt::EditText(field)) : Str255();
    // Refused without both marks, and for a channel whose breakpoint or three-way
    // record a button cannot carry: the line says which.
    const std::string refusal = TransferRefusal(button_, channel);
    if (!refusal.empty() || !TransferChannelToButton(button_, channel, label)) {
      zap();
      ShowRefusalLine(kRefusalField, Rect{5, 272, 290, 318}, refusal);
      return;
    }
    ClearRefusalLine(kRefusalField);
    rt::SetControlTitle(button_, Trimmed(CustomButtonTitle(button_)));
    rt::SetControlState(button_, 1);
    rt::SetControlState(channel_, 1);
    button_ = channel_ = 0;
    upVipSOUND();
  }

  int16_t button_ = 0;   // marked custom button (3 to 10), 0 none
  int16_t channel_ = 0;  // marked Select button (17 to 32), 0 none
};

}  // namespace

void CUSTOMTRANSFER() {
  const HandlerScope callersHandlers;
  TransferWindow().Run();
}

void CUSTOMCON() {
  if (nChannels > 0 && RunChooser()) CUSTOMTRANSFER();
  CustomConversionEditor();
}

}  // namespace mv
