#include "kit/protocol.h"

#include "kit/needs.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "runtime/windows.h"

namespace mv {

namespace {

// The action code (and item) the last event handed out left, while the program has
// not yet taken it: a window loop clears Action (or sets it to something else) once it
// has read it. Until then the pump hands out nothing more, so a reader or a wait that
// pumps before the loop reads never lets a second click overwrite the first.
struct UnreadAction {
  bool pending = false;
  int16_t action = 0;
  int32_t id = 0;
};
UnreadAction gUnread;

void NoteDeliveredAction() {
  gUnread = {Action != 0, Action, EventID};
}

bool HoldingForUnreadAction() {
  if (!gUnread.pending) return false;
  // Only doDIALOG leaves events in Action for a window loop to read. A recording takes
  // its toolbar, notes and keys in handlers of its own as they come and never reads
  // Action: what an event leaves there during a run waits for nobody.
  const bool leftForALoop = RecordingLoopRunning == 0 && rt::DialogHandlerIs(doDIALOG);
  if (!leftForALoop || Action != gUnread.action || EventID != gUnread.id) {
    gUnread.pending = false;
    return false;
  }
  return true;
}

[[maybe_unused]] const bool kGateInstalled =
    (rt::SetDeliveryGate({HoldingForUnreadAction, NoteDeliveredAction}), true);

}  // namespace

void doDIALOG(int16_t kind, int16_t eventItem) {
  Action = kind;
  EventID = eventItem;
  EditFieldWasSelected = 0;
  switch (kind) {
    case 19:
      if (eventItem == 1)
        MV_ProcessSelected = 1;
      else if (rt::WindowExists(kWorldMapWindow))
        rt::HideWindow(kWorldMapWindow);
      break;
    case 18:
      Action = ActionCode::WindowActivity;
      break;
    case 24:
      // Ctrl-Q with no field focused quits through the program's Quit
      // procedure (data-loss guard, devices off), never by ending at once. During
      // a recording it is the recording's own: a "Q" marker ends the run.
      if ((eventItem & ~0x20) == 'Q') {
        Action = 0;
        if (RecordingLoopRunning)
          CommandQTyped = 1;
        else
          services::Quit();
      }
      break;
    case 5: {
      uint32_t now = rt::TickCount();
      if (now - PreviousUpdateTime < 21)
        Action = 0;
      else
        PreviousUpdateTime = now;
      break;
    }
    default:
      break;
  }
}

void CheckRETURN(const std::string& key) {
  if (key.empty()) return;
  switch (key[0]) {
    case 13:
    case 3:
      Action = ActionCode::Key;
      break;
    case 9:
      Action = ActionCode::Tab;
      break;
    case ' ':
      Action = ActionCode::Space;
      rt::InsertIntoFocusedField(key);
      break;
    default:
      rt::InsertIntoFocusedField(key);
      break;
  }
}

void CALCCHECKRETURN(const std::string& key) {
  MathOperation = 0;
  if (key.empty()) return;
  switch (key[0]) {
    case 13:
    case 3:
      Action = ActionCode::Key;
      break;
    case 9:
      Action = ActionCode::Tab;
      break;
    case '+':
      MathOperation = 1;
      break;
    case '_':  // subtraction: "-" is the sign of a number typed in the field
      MathOperation = 2;
      break;
    case '*':
      MathOperation = 3;
      break;
    case '/':
      MathOperation = 4;
      break;
    case '^':
      MathOperation = 5;
      break;
    default:
      rt::InsertIntoFocusedField(key);
      break;
  }
}

void NoMENU(int16_t, int16_t) {
  rt::FlushEvents();
}
void MenusOFF(int16_t, int16_t) {
  rt::FlushEvents();
}

void noMOUSE(int) {
  Action = 0;
  EventID = 0;
}

void MOUSECLICK(int clickCount) {
  if (clickCount != 0) Action = ActionCode::Click;
}

// The events a window's building or closing raised run out here; a click or key
// the user made meanwhile stays queued for the loop that runs next.
void WINDOWCLEAR() {
  // What the closing click left is done with: the settling passes may run.
  Action = 0;
  for (int i = 0; i < 5; ++i) rt::SettleEvents();
  Action = 0;
}

void KillSpinningCursor() {
  rt::PeekEvents();
}

void TogglePrefs(int16_t slot) {
  if (slot < 0 || slot >= kPrefsSlots) return;
  PrefsArray[slot] = PrefsArray[slot] == 0 ? 1 : 0;
}

void InstallDialogHandlers(MenuHandlerFn menuHandler) {
  rt::SetDialogHandler(doDIALOG);
  rt::SetEditKeyHandler(CheckRETURN);
  rt::SetMenuHandler(menuHandler ? menuHandler : NoMENU);
  rt::SetMouseHandler(noMOUSE);
}

HandlerScope::HandlerScope() : saved_(rt::CurrentWindowHandlers()) {}

HandlerScope::HandlerScope(MenuHandlerFn menuHandler) : HandlerScope() {
  InstallDialogHandlers(menuHandler);
}

HandlerScope::~HandlerScope() {
  rt::SetWindowHandlers(std::move(saved_));
}

namespace {
int gDataLossQuestions = 0;
}  // namespace

DataLossQuestion::DataLossQuestion() {
  ++gDataLossQuestions;
}

DataLossQuestion::~DataLossQuestion() {
  --gDataLossQuestions;
}

bool DataLossQuestion::Open() {
  return gDataLossQuestions > 0;
}

}  // namespace mv
