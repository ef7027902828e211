#include "shell/menus.h"

#include "runtime/system.h"

namespace mv {

// Filled in with the menus.
void MainMENU() {}
void DoMENU(int16_t, int16_t) {}
void SetUpMENUs(int16_t) {}
void MakeHierMENU(int16_t, int16_t, const Str255&, int16_t) {}
void MENU_100() {}
void ShortMENU(int16_t, int16_t) {}
void MAKESURE(int16_t) {}
void QuitProgram() { rt::ExitProgram(0); }

}  // namespace mv
