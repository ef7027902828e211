// The event pump and its installable handler slots, the key map and the mouse.
//
// Dialog events carry a kind and an item:
//   1 a control was clicked (item: control number)
//   3 a click in a window that is not the front window (item: window number)
//   4 a close box was clicked (item: window number)
//   5 a window's content must be drawn (item: window number)
//  16 a key typed while no edit field has the focus (item: character code)
//  18 a window activated or deactivated by the user (item: number, negative on deactivation)
//  19 the application came to the front (1) or went to the back (2)
//  24 a key typed with Ctrl while no edit field has the focus (item: character code)
//
// The front window is the one the program opened or brought forward last and still
// shows (FrontWindow); user clicks and activations never change it. Frameless
// strips, tags, overlays and messages (kinds 1, 10, 11, 13, 14) are companions of
// the front window: they never take its place while a titled window shows, and
// their own clicks are delivered. The loop that pumps serves the front window: a
// control click or a click on the surface of any other window is delivered as
// kind 3 with that window's number (and the front window stays in front), and keys
// from any other window are dropped. Close boxes, redraws, activations and menu
// choices are delivered whatever their window; no event of a window that has
// closed since is delivered.
//
// Activation (kind 18) is reported only when the user causes it, with no timing
// guess: each activation the program asks for (opening a window, bringing one
// forward, giving the keyboard back to the front window) is marked pending where it
// is asked, and the window system is asked once, at the next pump pass, for the
// window the program wants by then. Every activation change delivered while the
// request is pending is the program's own (answers to superseded requests still
// arrive then: offscreen at the next pass, under a window manager after a round
// trip). The request stops being pending at the end of a pass in which the window
// system has given that window the focus. After that, an activation of a window
// other than the front one, or a deactivation of the front window, is the user's
// and is reported. Windows shown behind the front one are shown without taking the
// keyboard. The application seeming to leave and come back (kind 19) while a
// request is pending, or while the program closes or hides its front window, is
// not reported either.
//
// Keys typed into a focused edit field: arrows, Backspace, Delete and Ctrl
// combinations act in the field directly. Every other key is handed to the
// edit-key handler as a one-character Mac Roman string and is inserted only if
// the handler calls InsertIntoFocusedField.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "runtime/types.h"

namespace mv::rt {

using DialogHandler = std::function<void(int16_t kind, int16_t item)>;
using EditKeyHandler = std::function<void(const std::string& key)>;
using MenuHandler = std::function<void(int16_t menu, int16_t item)>;
using MouseHandler = std::function<void(int clickCount)>;
using ErrorHandler = std::function<void(int code)>;
using OpenDocumentHandler = std::function<void(const std::vector<std::string>& paths)>;

void SetDialogHandler(DialogHandler handler);
// Whether the dialog handler installed is this plain function.
bool DialogHandlerIs(void (*handler)(int16_t kind, int16_t item));
void SetEditKeyHandler(EditKeyHandler handler);
void SetMenuHandler(MenuHandler handler);
void SetMouseHandler(MouseHandler handler);
void SetErrorHandler(ErrorHandler handler);

// The four handlers a window installs for its open time, taken and put back
// together so a window can leave its caller's as it found them.
struct WindowHandlers {
  DialogHandler dialog;
  EditKeyHandler editKey;
  MenuHandler menu;
  MouseHandler mouse;
};
WindowHandlers CurrentWindowHandlers();
void SetWindowHandlers(WindowHandlers handlers);
void SetOpenDocumentHandler(OpenDocumentHandler handler);
void ReportError(int code);   // calls the installed error handler, if any

// Hands the documents named on the command line to the open-document handler.
void DeliverOpenDocuments(const std::vector<std::string>& paths);

// One pass of the event pump. When nothing was pending it waits up to
// idleWaitMs for something to arrive, so idle modal loops do not spin.
void PumpEvents(int idleWaitMs = 5);
// One pass of the event pump that hands the handlers only what the window system
// raised by itself (redraws, activation changes, the application coming and going)
// and keeps the user's input (clicks, keys, close boxes, menu choices) queued, in
// order, for the next PumpEvents. It lets the events of a window just built or
// closed run out without spending a click meant for the window the user sees next.
void SettleEvents();
// Discards pending user input (keys and clicks) without delivering it.
void FlushEvents();
// Lets the window system breathe without delivering user input.
void PeekEvents();

// The program's rule for handing out queued events. While holding() says so, a pump
// pass (PumpEvents or SettleEvents) hands the handlers nothing and keeps the queue, in
// order, for a later pass; delivered() is told after each event a pass handed out
// (except the redraws and application switches the window system raises itself). The
// kit installs it so that no event is handed out over the action code an earlier one
// left unread: two clicks queued together both reach the window loop, however many
// times a reader or a wait pumps before the loop reads the first.
struct DeliveryGate {
  std::function<bool()> holding;
  std::function<void()> delivered;
};
void SetDeliveryGate(DeliveryGate gate);

// A hook called at the start of every pump pass (the script driver uses it).
void SetPumpHook(std::function<void()> hook);
// True while events wait in the queue for the program's handlers.
bool EventsPending();

// ---- key map --------------------------------------------------------------------
// 128 keys by their classic virtual key codes: key k is bit (k & 7) of byte k >> 3.
// Ctrl stands for Command and Alt for Option.
using KeyMap = std::array<uint8_t, 16>;
KeyMap GetKeys();
bool KeyIsDown(int code);
// Word w of the key map as the program reads it: bytes 2w (low) and 2w+1 (high).
uint16_t KeyMapWord(const KeyMap& map, int w);
void ClearKeyMap();
void SetKeyDown(int code, bool down);   // used by the driver's hold and release

// Exact values of the key map's word 3 (key codes 48-63), each key alone.
namespace KeyWord3 {
constexpr uint16_t Tab = 0x0001, Escape = 0x0020, Command = 0x0080, Shift = 0x0100, CapsLock = 0x0200,
                   Option = 0x0400, Key61 = 0x2000;
}

namespace key {
constexpr int A = 0, S = 1, D = 2, F = 3, H = 4, G = 5, Z = 6, X = 7, C = 8, V = 9, B = 11, Q = 12,
              W = 13, E = 14, R = 15, Y = 16, T = 17, N1 = 18, N2 = 19, N3 = 20, N4 = 21, N6 = 22,
              N5 = 23, Equal = 24, N9 = 25, N7 = 26, Minus = 27, N8 = 28, N0 = 29, RightBracket = 30,
              O = 31, U = 32, LeftBracket = 33, I = 34, P = 35, Return = 36, L = 37, J = 38, Quote = 39,
              K = 40, Semicolon = 41, Backslash = 42, Comma = 43, Slash = 44, N = 45, M = 46,
              Period = 47, Tab = 48, Space = 49, Grave = 50, Backspace = 51, Escape = 53,
              Command = 55, Shift = 56, CapsLock = 57, Option = 58, Control = 59, KeypadEnter = 76,
              Home = 115, PageUp = 116, ForwardDelete = 117, End = 119, PageDown = 121, Left = 123,
              Right = 124, Down = 125, Up = 126;
}

// ---- mouse ------------------------------------------------------------------------
bool Button();                 // the mouse button is down now
Point GetMouse();              // in the output window's coordinates
int LastClickCount();          // click count of the last mouse event (0 after a release-only event)
Point LastClickPosition();     // window coordinates of the last click
int16_t LastClickWindow();
// True when the last press went to a control (a button, popup or field), which
// acts on it; false for a press on a window's own surface.
bool LastPressOnControl();

// ---- application ----------------------------------------------------------------
bool ApplicationIsActive();

}  // namespace mv::rt
