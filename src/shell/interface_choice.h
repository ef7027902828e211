// The "Startup Routines..." window: accept the interface remembered in the
// preferences, choose another one, run in test mode or quit.
#pragma once
#include <cstdint>

#include "runtime/str255.h"

namespace mv {

constexpr int16_t kInterfaceChoiceWindow = 9;

// Buttons of the window.
namespace InterfaceChoiceButton {
constexpr int16_t Quit = 1, SelectAD = 2, TestMode = 3, Default = 4, Help = 5;
}
constexpr int16_t kInterfaceChoiceHelpTopic = 128;

// The default interface's name (the title of button 4) for a remembered
// interface code; empty for 10 and unknown codes.
Str255 DefaultInterfaceName(int16_t interfaceCode);

// Leaves the choice in External_AD (and DemonstrationMODE for test mode); ends
// the program on Quit. With automatic selection (slot 57) no window opens.
void SelectADconverter();
// The window's text block.
void SelectADconverterTEXT();

}  // namespace mv
