// The modal window protocol: the installed handlers that turn events into the
// program-wide codes Action, EventID, MENUID and item, and the helpers every
// window loop uses.
//
// A window loop: build the window; Action = EventID = 0; install the handlers;
// repeat { PumpEvents(); act on Action/EventID; Action = 0 } until its own end.
//
// The pump hands out no event while the action code the previous one left is unread
// (still holding the value and item that event set; outside a recording): a reader
// or a wait that pumps between two reads of the loop keeps a second queued click in
// the queue instead of letting it overwrite the first. A loop takes the code away by
// clearing Action (or setting it to anything else) once it has read it.
#pragma once
#include <cstdint>
#include <string>

#include "runtime/events.h"

namespace mv {

// Dialog-event handler of every window.
void doDIALOG(int16_t kind, int16_t eventItem);
// Edit-key handler of every window with edit fields (except the calculator).
void CheckRETURN(const std::string& key);
// Edit-key handler of the simple calculator.
void CALCCHECKRETURN(const std::string& key);
// Menu handlers that ignore the menu bar (dialogs; the whole of a recording).
void NoMENU(int16_t menu, int16_t menuItem);
void MenusOFF(int16_t menu, int16_t menuItem);
// Mouse handlers.
void noMOUSE(int clickCount);
void MOUSECLICK(int clickCount);

// Lets the events raised by building or closing a window run out (five settling
// passes of the pump, which keep the user's clicks and keys for the next loop),
// then clears Action.
void WINDOWCLEAR();
// Lets the system see the program is alive during long computations.
void KillSpinningCursor();
// Flips a preference slot: 0 becomes 1, anything else 0.
void TogglePrefs(int16_t slot);

// Installs doDIALOG, CheckRETURN, the given menu handler and noMOUSE, the
// usual set of a dialog window.
using MenuHandlerFn = void (*)(int16_t, int16_t);
void InstallDialogHandlers(MenuHandlerFn menuHandler = NoMENU);

// Keeps the handlers installed when it is made and puts them back when it ends: every
// window that installs its own handlers holds one for its open time, so the window
// that called it gets its menus, keys and clicks back when it closes. Made with a
// menu handler, it also installs the usual dialog set with that menu handler.
class HandlerScope {
 public:
  HandlerScope();
  explicit HandlerScope(MenuHandlerFn menuHandler);
  ~HandlerScope();
  HandlerScope(const HandlerScope&) = delete;
  HandlerScope& operator=(const HandlerScope&) = delete;

 private:
  rt::WindowHandlers saved_;
};

// One question about losing data at a time. The data-loss guard and the caution
// before a file is replaced each hold one while they ask: a Quit that comes meanwhile
// (Ctrl-Q typed in their window) is ignored, so no second question opens over the
// first and takes its answers, or its window, away from it.
class DataLossQuestion {
 public:
  DataLossQuestion();
  ~DataLossQuestion();
  DataLossQuestion(const DataLossQuestion&) = delete;
  DataLossQuestion& operator=(const DataLossQuestion&) = delete;
  // Whether one is asking now.
  static bool Open();
};

// The sun-cycle calculator's world map is hidden when the program goes to the back.
constexpr int16_t kWorldMapWindow = 776;

}  // namespace mv
