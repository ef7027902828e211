#include "calculators/frame.h"

#include "kit/builders.h"
#include "kit/format.h"
#include "kit/help.h"
#include "kit/protocol.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/windows.h"

namespace mv::calc {

void OpenCalculatorWindow(const Str255& title, int16_t left, int16_t top, int16_t right, int16_t bottom) {
  if (rt::WindowExists(kCalculatorWindow)) rt::CloseWindow(kCalculatorWindow);
  BuildWINDOW(kCalculatorWindow, title, left, top, right, bottom, 6);
}

float FieldValue(int16_t field) {
  return static_cast<float>(FieldValueDouble(field));
}

double FieldValueDouble(int16_t field) {
  if (!rt::EditFieldExists(field)) return 0.0;
  return TextToNumber(rt::EditText(field));
}

void SetFieldPlain(int16_t field, double value) {
  SetFieldText(field, NumberText(value));
}
void SetFieldFormatter(int16_t field, float value) {
  SetFieldText(field, ReadoutText(value));
}
void SetFieldPicture(int16_t field, double value, std::string_view picture) {
  SetFieldText(field, PictureFormat(value, picture));
}
void SetFieldText(int16_t field, const Str255& text) {
  if (rt::EditFieldExists(field)) rt::SetEditText(field, text.str());
}

void ActivateField(int16_t field) {
  rt::FocusEditField(field);
  if (field != 0 && rt::EditFieldExists(field)) rt::SelectEditText(field, 0, -1);
}

void FocusClick() {
  PlaySound("click.mp3", "MVsounds");
}

namespace {

void MoveFocusByTab() {
  const int16_t now = rt::FocusedEditField();
  ActivateField(now == 111 ? 112 : 111);
  FocusClick();
}

}  // namespace

void RunCalculatorLoop(const LoopRules& rules, const ButtonAction& onButton,
                       rt::EditKeyHandler editKeyHandler) {
  const HandlerScope callersHandlers;
  Action = 0;
  EventID = 0;
  InstallDialogHandlers(NoMENU);
  if (editKeyHandler) rt::SetEditKeyHandler(editKeyHandler);
  bool done = false;
  while (!done && rt::WindowExists(kCalculatorWindow)) {
    rt::PumpEvents();
    rt::SetOutputWindow(kCalculatorWindow);
    // A letter typed while no field has the focus also arrives as a key, carrying
    // its character; only Return and Enter stand for the default button.
    if (Action == ActionCode::Key && EventID != 0 && EventID != 13 && EventID != 3) Action = 0;
    if (Action == ActionCode::Key) {
      if (rules.onReturn) {
        rules.onReturn();
        Action = 0;
      } else if (rules.defaultButton != 0) {
        Action = ActionCode::Click;
        EventID = rules.defaultButton;
      }
    }
    if (Action == ActionCode::Tab && rules.tabMovesFocus) MoveFocusByTab();
    if (Action == ActionCode::Click && EventID != 0) {
      const int16_t button = static_cast<int16_t>(EventID);
      Action = 0;
      EventID = 0;
      done = button == rules.doneButton || (onButton && onButton(button));
    } else if (Action == ActionCode::CloseBox && EventID == kCalculatorWindow) {
      done = true;
    } else if (Action != 0 && rules.onOther) {
      done = rules.onOther(Action, EventID);
    }
    if (!done && rules.afterPass) rules.afterPass();
    Action = 0;
    EventID = 0;
  }
  if (rt::WindowExists(kCalculatorWindow)) {
    if (rules.beforeClose) {
      rt::SetOutputWindow(kCalculatorWindow);
      rules.beforeClose();
    }
    rt::CloseWindow(kCalculatorWindow);
  }
}

int16_t HelpTopicOfSpecialItem(int16_t item) {
  switch (item) {
    case 1:
      return 178;
    case 2:
      return 191;
    case 3:
      return 193;
    case 5:
      return 179;
    case 6:
    case 7:
      return 180;
    case 8:
    case 9:
      return 181;
    case 11:
    case 12:
      return 160;
    case 13:
      return 188;
    case 14:
      return 182;
    case 15:
      return 140;
    case 18:
      return 169;
    default:
      return 0;
  }
}

void ShowCalculatorHelp(int16_t topic) {
  if (topic != 0) DoHelpWindow(topic);
}

}  // namespace mv::calc
