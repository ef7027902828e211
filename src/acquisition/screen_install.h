// Installs the acquisition screen, the toolbar and the note window into the hooks the
// recording loops and the device readers call.
#pragma once

namespace mv {

// Sets the recording loops' REDRAWSCREEN and ScreenINFO hooks and the kit's
// ReadControlStrip and HandleNotes services. (DRAWSCREEN and
// MakeAcquisitionTOOLBAR are installed into the shell's command hooks by its wiring.)
void InstallAcquisitionScreen();
// Sets the files floor's ShowOnAcquisitionScreen hook: a save's text in a field of the
// acquisition window (InstallAcquisitionScreen does this too).
void InstallSaveStatusOnScreen();

}  // namespace mv
