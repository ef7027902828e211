// The menu bar, the command dispatcher, the reduced menu handler, the
// data-loss guard and the Quit procedure.
#pragma once
#include <cstdint>

#include "runtime/str255.h"

namespace mv {

void MainMENU();
void DoMENU(int16_t menu, int16_t menuItem);
void SetUpMENUs(int16_t state);
void MakeHierMENU(int16_t menu, int16_t menuItem, const Str255& title, int16_t submenu);
void MENU_100();
void ShortMENU(int16_t menu, int16_t menuItem);
void MAKESURE(int16_t kind);
// The one Quit procedure of every quit road: the data-loss guard, devices off,
// wait until no sound plays, exit. Returns only when the user chose not to quit.
void QuitProgram();

}  // namespace mv
