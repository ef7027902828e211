// The command groups of the full menu handler, one per menu.
#pragma once
#include <cstdint>

namespace mv::dispatch {

void ApplicationCommand(int16_t menuItem);
void HelpCommand(int16_t menuItem);
void FileCommand(int16_t menuItem);
void EditCommand(int16_t menuItem);
void ViewCommand(int16_t menuItem);
void TimeGridCommand(int16_t menuItem);
void ScaleGridCommand(int16_t menuItem);
void WindowSizeCommand(int16_t menuItem);
void SignificantDigitsCommand(int16_t menuItem);

// The A-D menu with its submenus; every one redraws the interface picture.
void ADCommand(int16_t menu, int16_t menuItem);
void DACommand(int16_t menuItem);
void SpecialCommand(int16_t menuItem);

// A switch item: the check mark follows the slot, and the rising or falling cue.
void ShowSwitch(int16_t menu, int16_t menuItem, int slot, bool withSound);

}  // namespace mv::dispatch
