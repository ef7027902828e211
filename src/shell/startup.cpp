#include "shell/startup.h"

#include <utility>

#include "devices/connection.h"
#include "devices/firmware_windows.h"
#include "devices/state.h"
#include "files/setup_commands.h"
#include "files/state.h"
#include "kit/builders.h"
#include "kit/date_text.h"
#include "kit/help.h"
#include "kit/protocol.h"
#include "kit/resources.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "runtime/menus.h"
#include "runtime/sound.h"
#include "runtime/system.h"
#include "runtime/windows.h"
#include "shell/about.h"
#include "shell/control_loop.h"
#include "shell/initial_values.h"
#include "shell/interface_choice.h"
#include "shell/menus.h"
#include "shell/speed_test.h"
#include "shell/waits.h"
#include "shell/wiring.h"

namespace mv {

namespace {

constexpr const char* kSounds = "MVsounds";
constexpr RGBColor kBlack{0, 0, 0};
// The start-up screen waits at most this long for its sound to end.
constexpr uint32_t kLongestStartupSoundTicks = 600;
// Key map word 3 with the Alt (Option) key alone down.
constexpr uint16_t kOptionAlone = 1024;

std::vector<std::string> gLaunchDocuments;

// The colours main sets before anything else; the stored ones are set again by
// the defaults and the preferences file.
void SetMainColors() {
  FastScopeBackground = {56680, 2242, 1698};
  B_red = {65530, 0, 0};
  ScopeBackgroundColor = {0, 0, 54272};
  ScopeFrameColor = {577, 43860, 60159};
  ChartFrameColor = {0, 0, 54272};
  ChartDataColor = {0, 0, 0};
  ScopeDataColor = {64512, 62333, 1327};
  PlotFrameColor = {0, 0, 54272};
  ChartBackgroundColor = {577, 43860, 60159};
  Pblack = {0, 0, 0};
  Aqua = {0, 55700, 65535};
  blueGray = {26000, 34000, 42400};
}

void SetSpecialCharacters() {
  degrees = "\xA1";
  degC = degrees + "C";
  delta = "\xC6";
  bullet = "\xA5";
  piValue = "\xB9";
  divideBy = "\xD6";
  copyrightSign = "\xA9";
}

// Window 1782: tells the user how to switch automatic interface selection off.
void ShowAutoSelectNotice() {
  rt::OpenWindow(kAutoSelectNoticeWindow, " ", Rect{173, 360, 543, 422}, 1);
  WARNINGSTRIPES(4);
  DrawIcon(138, 20, 46);
  rt::DrawText(80, 23, "To disable automatic A-D converter  ", KitFont(KestraneFont, 14), kBlack);
  double x = 80;
  const std::pair<const char*, int> pieces[] = {{" selection,  press the ", 14}, {"'Alt' ", 22}, {"key", 16}};
  for (const auto& [text, size] : pieces) {
    const rt::FontSpec font = KitFont(KestraneFont, size);
    rt::DrawText(x, 47, text, font, kBlack);
    x += rt::TextWidth(text, font);
  }
  rt::FlushWindow();
}

bool MousePressed() {
  return rt::Button() || Action == ActionCode::Click || Action == ActionCode::WindowActivity;
}

bool OptionKeyAlone() {
  return rt::KeyMapWord(rt::GetKeys(), 3) == kOptionAlone;
}

// The flies crawl until a click, the Alt key alone or the deadline.
void RunTheFlies() {
  static const char* const kFlySounds[] = {"shortflies.mp3", "shortflies2.mp3", "shortflies3.mp3",
                                           "shortflies4.mp3"};
  PumpFor(83);
  const uint64_t deadline = rt::Ticks64() + kFliesTicks;
  StartTheFlies(0);
  for (;;) {
    MoveTheFlies(0);
    rt::PumpEvents(0);
    const bool pressed = MousePressed();
    rt::FlushEvents();
    Action = 0;
    EventID = 0;
    if (!rt::SoundIsPlaying()) PlaySound(kFlySounds[rt::Rnd(4) - 1], kSounds);
    const bool optionAlone = OptionKeyAlone();
    if (optionAlone) PrefsArray[PrefsSlot::AutoInterface] = 0;
    if (pressed || optionAlone || rt::Ticks64() > deadline) break;
    rt::Delay(kFlyFrameMs);
  }
}

}  // namespace

void SetLaunchDocuments(std::vector<std::string> paths) {
  gLaunchDocuments = std::move(paths);
}

void SetMainValues() {
  SetMainColors();
  SetSpecialCharacters();
  rt::SetOpenDocumentHandler(MyFinderInfo);
  HBRegister();
  version = "1 September 2017";
  BuildStartupMenuBar();
  InstallServices();
}

void ChooseDisplayFont() {
  for (const char* family : {"Lucida Grande", "gill sans", "Helvetica Neue"}) {
    if (rt::FontFamilyAvailable(family)) {
      rt::SetDisplayFontFamily(family);
      return;
    }
  }
  rt::SetDisplayFontFamily(kSystemFontFamily);
}

std::string StartupCommentHeader(const Str255& date, const Str255& time) {
  return bullet.str() + " Recorded " + date.str() + " at " + time.str() + ":  \r";
}

void BuildStartupMenuBar() {
  const char* const titles[] = {"File", "Edit", "View", "A-D", "D-A", "Special"};
  for (int16_t m = 1; m <= 6; ++m) rt::NewMenu(m, titles[m - 1]);
  const char* const fileItems[] = {"Save Data As...",
                                   "-",
                                   "Kestrane Binary Format",
                                   "ASCII Text Format",
                                   "Sable ExpeData Format",
                                   "-",
                                   "Timed Data Saves...",
                                   "    Backup File Name...",
                                   "-",
                                   "Save Setup File...",
                                   "Print Setup Data...",
                                   "Page Setup...",
                                   "-",
                                   "Quit"};
  for (int16_t i = 1; i <= kStartupQuitItem; ++i) rt::SetMenuItem(1, i, fileItems[i - 1]);
  rt::SetMenuItemKey(1, kStartupQuitItem, 'Q');
  rt::SetMenuBar({1, 2, 3, 4, 5, 6});
  rt::DrawMenuBar();
}

void startupMENU(int16_t menu, int16_t menuItem) {
  MENUID = menu;
  item = menuItem;
  if (menu == 1 && menuItem == kStartupQuitItem) rt::ExitProgram(0);
}

void StartupScreen() {
  for (int16_t m = 2; m <= 6; ++m) rt::EnableMenuItem(m, 0, false);
  for (int16_t i = 1; i < kStartupQuitItem; ++i) rt::EnableMenuItem(1, i, false);
  rt::DrawMenuBar();
  if (PrefsArray[PrefsSlot::AutoInterface]) ShowAutoSelectNotice();

  // The screen runs once: nothing on it asks for a second pass.
  MENUID = 0;
  WINDOWCLEAR();
  if (SoundsOn() && PrefsArray[PrefsSlot::StartupSounds]) {
    PlaySound("Guitar.mp3", kSounds);
    PumpFor(1250);
  }
  Action = 0;
  rt::SetMouseHandler(MOUSECLICK);
  rt::SetDialogHandler(doDIALOG);
  rt::SetMenuHandler(startupMENU);
  bool pressed = false;
  const uint64_t soundDeadline = rt::Ticks64() + kLongestStartupSoundTicks;
  while (rt::SoundIsPlaying() && !(pressed = MousePressed()) && rt::Ticks64() < soundDeadline)
    rt::PumpEvents();
  if (!pressed) RunTheFlies();
  StopTheFlies(0);
  rt::CloseWindow(kStartupOverlayWindow);
  rt::BringWindowForward(kSplashWindow);
}

void SETUP_AD_DEVICE() {
  if (PrefsArray[PrefsSlot::SetupKnownAtStart])
    ExternalADtype(0);
  else
    SelectADconverter();

  rt::OpenWindow(kStatusStripWindow, "", Rect{33, 24, 643, 70}, 13);
  rt::HideWindow(kStatusStripWindow);
  if (SoundsOn() && PrefsArray[PrefsSlot::StartupSounds]) PlaySound("switch.mp3", kSounds);
  SetWindowBackground(1, true);
  MainMENU();

  if (External_AD != ExternalADCode::Demonstration) {
    CHANGE_SERIAL_PORT();
    const int16_t code = External_AD;
    if (code == ExternalADCode::DT500 || (code >= ExternalADCode::DT800 && code <= ExternalADCode::DT85))
      GetFirmware(1);
    if ((code == ExternalADCode::SableUI2 || code == ExternalADCode::SableUI3) && AnimationDoneAlready == 0)
      ADinterfaceAnimation();
  }
  rt::CloseWindow(kInterfaceAnimationWindow);
}

void SetUpInterface() {
  SETUP_AD_DEVICE();
  while (PrefsArray[PrefsSlot::RedoInterface]) {
    PrefsArray[PrefsSlot::RedoInterface] = 0;
    PrefsArray[PrefsSlot::AutoInterface] = 0;
    AnimationDoneAlready = 0;
    SETUP_AD_DEVICE();
  }
}

void SetDefaultValues() {
  PrefsArray[PrefsSlot::Unread19] = 100;
  SignificantFigures = 5;
  SignificantDigits = 5;
  ChooseDisplayFont();
  SetInitialVariableValues();

  CommentContainer = StartupCommentHeader(TodayDateText(), NowTimeText());
  OldCommentContainer.clear();
  CumulativePauseContainer.clear();
  ScratchContainer.clear();

  // A set-up file handed over at launch replaces the start-up screen, but only
  // when it really loads: a file that does not leaves the normal road.
  FileIconWasClicked = 0;
  rt::DeliverOpenDocuments(gLaunchDocuments);
  rt::PumpEvents(0);
  if (FileIconWasClicked == 1 && GETSETUP(1)) PrefsArray[PrefsSlot::SetupKnownAtStart] = 1;

  backupfile.clear();
  WindowFont = 8;
  rt::CloseWindow(kSplashWindow);
  SplashScreenJPEG();
  rt::PumpEvents(0);

  if (PrefsArray[PrefsSlot::SetupKnownAtStart]) {
    GetSpeedEstimate();
    rt::CloseWindow(kSplashWindow);
    SetUpInterface();
    PrefsArray[PrefsSlot::SetupKnownAtStart] = 1;
    ControlLoop(LoopEntry::Preparation);
  }

  StartupScreen();
  if (PrefsArray[PrefsSlot::WeirdSounds] && PrefsArray[PrefsSlot::StartupSounds]) {
    if (SoundsOn()) PlaySound("VornSound.mp3", kSounds);
    rt::WaitForSoundEnd();
  }
  MENUID = 0;
  rt::StopSounds();
  rt::CloseWindow(kAutoSelectNoticeWindow);
  GetSpeedEstimate();
  rt::CloseWindow(kSplashWindow);
  SetUpInterface();
  ControlLoop(LoopEntry::ModeChoice);
}

}  // namespace mv
