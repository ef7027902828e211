// The data-loss guard with its "Possible Data Loss" window, the one Quit
// procedure, and the reduced menu handler that most dialogs install.
#include <algorithm>
#include <cstdint>
#include <string>

#include "acquisition/state.h"
#include "control/analog_output.h"
#include "conversions/needs.h"
#include "devices/state.h"
#include "files/held_periods.h"
#include "files/save_commands.h"
#include "kit/builders.h"
#include "kit/drawing.h"
#include "kit/help.h"
#include "kit/needs.h"
#include "kit/protocol.h"
#include "kit/resources.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "runtime/sound.h"
#include "runtime/system.h"
#include "runtime/windows.h"
#include "shell/about.h"
#include "shell/calculator_menu.h"
#include "shell/commands.h"
#include "shell/menus.h"

namespace mv {

namespace {

// The kinds of MAKESURE, for the sound of a "yes".
constexpr int16_t kQuitKind = 0, kModeChangeKind = 10;

// Text colour codes of the windows: 0 white, 1 yellow, 7 black.
RGBColor TextColour(int16_t code) {
  switch (code) {
    case 0:
      return {65535, 65535, 65535};
    case 1:
      return {65535, 65535, 0};
    default:
      return {0, 0, 0};
  }
}

void DrawGuardText(int16_t x, int16_t y, const Str255& text, double size, int16_t colour,
                   bool emphasis = false) {
  rt::FontSpec font = KitFont(KestraneFont, size);
  font.bold = font.italic = emphasis;
  rt::DrawText(x, y, text, font, TextColour(colour));
}

void DrawGuardPicture(const char* file, int16_t left, int16_t top, int16_t right, int16_t bottom) {
  DrawThisImage(CreateCGImageFromBundleResource("MVimages", file), left, top, right, bottom);
}

void BuildGuardWindow() {
  if (rt::WindowExists(kGuardWindow)) rt::CloseWindow(kGuardWindow);
  BuildWINDOW(kGuardWindow, "Possible Data Loss", 383, 210, 680, 530, 6);
  // The message area inside the stripes takes the window's light grey.
  SetWindowBackground(LightGray, false);
  WARNINGSTRIPES(5);
  CGdrawBox(1, blueGray, 1, 11, 11, 285, 80, 0);
  CGdrawBox(1, ScopeFrameColor, 0, 11, 11, 285, 80, 0);
  DrawGuardText(90, 38, "WARNING...", 28, 0);
  const Str255 count = GuardCountText(static_cast<int32_t>(std::min<int64_t>(SamplesNotSaved(), INT32_MAX)));
  DrawGuardText(20, 67, count, 14, 1);
  const int countWidth = rt::TextWidth(count, KitFont(KestraneFont, 14));
  DrawGuardText(static_cast<int16_t>(20 + countWidth), 67, kGuardCountSuffix, 14, 1, true);
  DrawGuardText(32, 103, "   Proceed anyway?", 18, 7);
  DrawGuardText(34, 127, "(if you do, these data will be lost)", 14, 7);
  DrawGuardPicture("stopIcon.gif", 26, 19, 58, 51);
  DrawGuardPicture("hard drive.gif", 19, 140, 82, 205);
  DrawGuardPicture("trashcan.gif", 20, 224, 83, 302);
  rt::NewControl(1, rt::ControlType::PushButton, "NO -- Save Data First  ('N')", Rect{89, 155, 273, 194}, 1);
  rt::NewControl(2, rt::ControlType::PushButton, "Yes -- OK to Proceed  ('Y')", Rect{89, 246, 273, 285}, 1);
  rt::FlushWindow();
}

void WarningSound() {
  if (WeirdSoundsOn()) {
    PlaySound("scream.mp3", "MVsounds");
    rt::Delay(520);
    PlaySound("don't do it.mp3", "MVtimerSounds");
  } else {
    rt::SysBeep();
  }
}

// The answer: 0 no, 1 yes. A typed answer also leaves EventID 1 (no) or 2 (yes). Only
// the guard's own window answers: while it is in front, clicks and keys of any other
// window never reach this loop as its buttons. A guard whose window has gone (it never
// should) answers no, which loses nothing.
int16_t AwaitAnswer() {
  for (;;) {
    rt::PumpEvents();
    if (!rt::WindowExists(kGuardWindow)) return 0;
    const bool own = rt::FrontWindow() == kGuardWindow;
    if (own && Action == ActionCode::Click && (EventID == 1 || EventID == 2)) return EventID == 2 ? 1 : 0;
    if (own && Action == ActionCode::Key) {
      if (EventID == 'n' || EventID == 'N') {
        EventID = 1;
        return 0;
      }
      if (EventID == 'y' || EventID == 'Y') {
        EventID = 2;
        return 1;
      }
    }
    Action = 0;
  }
}

void ProceedSound(int16_t kind) {
  if (!SoundsOn()) return;
  const bool weird = PrefsArray[PrefsSlot::WeirdSounds] != 0;
  if (kind == kQuitKind) {
    if (PrefsArray[PrefsSlot::LastRunSaved] == 0 && weird) {
      PlaySound("skid.mp3", "MVsounds");
      rt::Delay(500);
      PlaySound("cat.mp3", "MVsounds");
      rt::Delay(600);
    }
  } else if (kind == kModeChangeKind) {
    if (weird) PlaySound("rip.mp3", "MVsounds");
  } else {
    ripSound();
  }
}

bool WarningOn() {
  return PrefsArray[PrefsSlot::WarnUnsaved] != 0;
}

// The samples the present run's files would hold: Sample while the run records; once
// it has stopped, nSamples (Sample is then one less, and 0 after a run of one sample).
// The roads that give a stopped run up (record again, change of mode) set it back to 0.
int64_t RunSamples() {
  return std::max<int64_t>(RecordingLoopRunning != 0 ? Sample : nSamples, 0);
}

// The run's samples are at stake in the chart modes from its first stored sample until
// it is saved, while the warning preference asks about them.
bool RunAtStake() {
  const bool guardedMode =
      RecordingMODE == RecordingModeCode::Chart || RecordingMODE == RecordingModeCode::ScopeChart;
  return WarningOn() && guardedMode && RunSamples() > 0 && PrefsArray[PrefsSlot::LastRunSaved] != 1;
}

bool NothingToLose() {
  // A period whose automatic save failed is held until a save writes it.
  return HeldPeriodCount() == 0 && !RunAtStake();
}

bool gQuitting = false;

}  // namespace

void MAKESURE(int16_t kind) {
  auto& answer = PrefsArray[PrefsSlot::GuardAnswer];
  // A guard or a caution already asks: this road waits for its answer.
  if (DataLossQuestion::Open()) {
    answer = 0;
    return;
  }
  const DataLossQuestion asking;
  const HandlerScope callersHandlers;
  // Periods held from failed saves end with the program, whatever the warning
  // preference says: a last chance to write them, into another folder when theirs
  // still cannot be written. The preference spares only the question about the run.
  const bool lastChance = kind == kQuitKind && HeldPeriodCount() > 0;
  if (!WarningOn() && !lastChance) {
    rt::FlushEvents();
    answer = 1;
    Action = ActionCode::Redraw;
    return;
  }
  SetUpMENUs(0);
  if (lastChance) WriteHeldPeriodsOrAskWhere();
  if (NothingToLose()) {
    answer = 1;
    SetUpMENUs(1);  // the caller's window goes on with a working menu bar
    return;
  }
  BuildGuardWindow();
  Action = 0;
  EventID = 0;
  WarningSound();
  rt::SetMenuHandler(NoMENU);
  rt::SetDialogHandler(doDIALOG);
  rt::SetMouseHandler(noMOUSE);
  answer = AwaitAnswer();
  if (answer == 1) ProceedSound(kind);
  rt::CloseWindow(kGuardWindow);
  SetUpMENUs(1);
  rt::FlushEvents();
  Action = ActionCode::Redraw;
}

int64_t SamplesNotSaved() {
  return HeldSampleCount() + (RunAtStake() ? RunSamples() : 0);
}

void QuitProgram() {
  // Ctrl-Q typed while the guard or a caution asks is no second question or answer.
  if (gQuitting || DataLossQuestion::Open()) return;
  gQuitting = true;
  struct Reset {
    ~Reset() { gQuitting = false; }
  } reset;
  MAKESURE(kQuitKind);
  if (PrefsArray[PrefsSlot::GuardAnswer] != 1) return;
  // Output volts still held back by the half-second gate go out before the program ends.
  FlushAOvolts();
  if (External_AD != ExternalADCode::Demonstration || DemonstrationMODE != 0) commands::TURNVALVESOFF();
  rt::WaitForSoundEnd();
  rt::ExitProgram(0);
}

void ShortMENU(int16_t menu, int16_t menuItem) {
  using namespace MenuNumber;
  MENUID = menu;
  item = menuItem;
  if (menu == Help && menuItem == 1) {
    HBGotoPage(kHelpBookStartPage);
  } else if (IsQuitItem(menu, menuItem)) {
    QuitProgram();
  } else if (menu == Special) {
    // The calculators a dialog may open, by the items that name them.
    if (menuItem == 1 || menuItem == 5 || menuItem == 6 || menuItem == 12) RunCalculator(menuItem);
  } else if (menu == Application && menuItem == 1) {
    AboutMV();  // gives the dialog its own handlers back
    MENUID = 255;
    Action = 0;
    EventID = 0;
  }
  extswitchflag = 1;
}

void InstallMenuServices() {
  services::Quit = QuitProgram;
  services::SetUpMENUs = SetUpMENUs;
  services::ShortMENU = ShortMENU;
}

}  // namespace mv
