// Installs the acquisition screen, the toolbar and the note window into the hooks the
// recording loops and the device readers call.
#pragma once

namespace mv {

// Sets the recording loops' REDRAWSCREEN and ScreenINFO hooks and the devices floor's
// ReadControlStrip and HandleNotes services. (The shell calls DRAWSCREEN and
// MakeAcquisitionTOOLBAR itself.)
void InstallAcquisitionScreen();
// Sets the files floor's ShowOnAcquisitionScreen hook: a save's text in a field of the
// acquisition window (InstallAcquisitionScreen does this too).
void InstallSaveStatusOnScreen();

}  // namespace mv
