// The road from launch to the control loop: the program-wide colours and special
// characters, the display font, the initial values, a set-up file handed over at
// launch, the splash, the start-up screen with its flies, the speed test and the
// choice and contact of the interface.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "runtime/str255.h"

namespace mv {

constexpr int16_t kAutoSelectNoticeWindow = 1782;
constexpr int16_t kStatusStripWindow = 25;
constexpr int16_t kInterfaceAnimationWindow = 251;
// The flies crawl at most this many ticks unless a click or the Alt key ends them.
constexpr uint32_t kFliesTicks = 800;
// File item of the start-up menu bar that ends the program.
constexpr int16_t kStartupQuitItem = 14;

// The documents named on the command line, handed to the open-document handler
// while the start-up looks for a set-up file.
void SetLaunchDocuments(std::vector<std::string> paths);

// Colours, special characters, the open-document handler, the help book, the
// build date, the start-up menu bar and the Quit procedure.
void SetMainValues();
// The first installed of the display fonts the program asks for.
void ChooseDisplayFont();
// The comment text's header line at start-up: bullet " Recorded MM/dd/yy at
// HH:mm:ss:  " and CR (35 bytes).
std::string StartupCommentHeader(const Str255& date, const Str255& time);

// The File, Edit, View, A-D, D-A and Special menus of the start-up bar, with Quit
// as File item 14.
void BuildStartupMenuBar();
// Menu handler of the start-up screen: keeps the choice in MENUID and item; File
// item 14 ends the program at once.
void startupMENU(int16_t menu, int16_t menuItem);
// The start-up screen: menus off, the automatic-selection notice, the start-up
// sounds and the flies until a click, the Alt key alone (which switches automatic
// interface selection off) or 800 ticks.
void StartupScreen();

// Chooses the interface and contacts it.
void SETUP_AD_DEVICE();
// SETUP_AD_DEVICE, again while the connection asks for the set-up to be redone.
void SetUpInterface();

// The main body: start-up, then the control loop. Never returns.
[[noreturn]] void SetDefaultValues();

}  // namespace mv
