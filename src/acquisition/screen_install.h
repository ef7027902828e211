// Installs the acquisition screen, the toolbar and the note window into the hooks the
// recording loops and the device readers call.
#pragma once

namespace mv {

// Sets the engine's REDRAWSCREEN, ScreenINFO and ShowToolbarHelpWindow hooks and the
// kit's ReadControlStrip and HandleNotes services. (The shell calls DRAWSCREEN and
// MakeAcquisitionTOOLBAR itself.)
void InstallAcquisitionScreen();

}  // namespace mv
