// The menu bar, the command dispatcher, the reduced menu handler, the
// data-loss guard and the Quit procedure.
#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

#include "runtime/str255.h"

namespace mv {

// Menu numbers of the bar and its submenus.
namespace MenuNumber {
constexpr int16_t File = 1, Edit = 2, View = 3, AD = 4, DA = 5, Special = 6;
constexpr int16_t Application = 254;  // About
constexpr int16_t Help = -16490;      // the help book, web site and e-mail
constexpr int16_t Digits = 79, TimeGrids = 90, ScaleGrid = 91, ConversionEquations = 100, WindowSize = 101,
                  SampleAveraging = 110, DigitalPort = 111, ExternalADDevice = 112, ConversionOptions = 120;
}  // namespace MenuNumber

void MainMENU();
void DoMENU(int16_t menu, int16_t menuItem);
void SetUpMENUs(int16_t state);
void MakeHierMENU(int16_t menu, int16_t menuItem, const Str255& title, int16_t submenu);
void MENU_100();
void ShortMENU(int16_t menu, int16_t menuItem);
void MAKESURE(int16_t kind);
// The one Quit procedure of every quit road: the data-loss guard, devices off,
// wait until no sound plays, exit. Returns only when the user chose not to quit
// (or while another Quit is already asking).
void QuitProgram();

// Installs the Quit procedure as the Ctrl-Q road of the window protocol and
// SetUpMENUs as the menu switch of the lower subsystems. Start-up calls it once.
void InstallMenuServices();

// ---- the menu model as the bars are written -----------------------------------------------
// Sets an item from its written form: "/X" in front or "/X" at the end (as in
// "Quit/Q") gives the key equivalent Ctrl+X and is not shown; "-" is a separator.
void PlaceMenuItem(int16_t menu, int16_t menuItem, std::string_view text);
// Item states: 0 disabled, 1 enabled, 2 enabled and checked.
void SetMenuItemState(int16_t menu, int16_t menuItem, int16_t state);
// Quit is the File menu's item with the key equivalent Ctrl+Q, whatever its
// position (14 in the start-up bar, 12 in the main bar).
bool IsQuitItem(int16_t menu, int16_t menuItem);

// ---- rules the commands apply ---------------------------------------------------------------
// The File menu item that shows the data-file format in force: 5 the Sable
// export (slot 16), else 4 text (slot 17), else 3 the program's binary format.
int16_t FileFormatItem();
// "Ch." (or "ch.") + the plain channel number with its blank + ":  " + the label
// without its trailing blanks.
Str255 ChannelMenuText(const char* prefix, int16_t channel);

struct WindowSizeChoice {
  int16_t width = 0, height = 0;
};
// The recording window size of View submenu 101 items 3 to 7 (7 fills the
// display less 30 by 47); nothing for other items.
std::optional<WindowSizeChoice> WindowSizeForItem(int16_t menuItem, int displayWidth, int displayHeight);
// Items 4 to 6 are offered only on a display at least as wide as their width.
bool WindowSizeItemFits(int16_t menuItem, int displayWidth);
// The new window width applied to the scope sweep: the sweep keeps its length
// when it fills the width (scopeXfactor = width / ScopeMax), otherwise it grows
// to one point per pixel.
void FitScopeToWidth(int16_t width);

// The samples the data-loss guard names: those of the periods held from failed saves,
// and the stopped run's (as its files hold them) while it is at stake (the warning
// preference on, chart modes, any sample stored, not saved).
int64_t SamplesNotSaved();
// The guard's count line: a blank and the count as "###,###" below 1,000,000,
// else "#,###,###"; the caller draws " samples not saved!" after it.
Str255 GuardCountText(int32_t samples);
constexpr const char* kGuardCountSuffix = " samples not saved!";
constexpr int16_t kGuardWindow = 1776;

}  // namespace mv
