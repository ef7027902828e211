// What the channel-table code and the set-up windows call through a hook rather than
// directly. Most are seams: the hook's default is the program's own window or service
// (on this floor or below), and the set-up tests replace it with a recorder or with
// "nothing changed", so the code around a modal window can be tested without it. A
// dialog hook returns true when the user changed something. The shell's menus live
// above this floor and are installed at start-up.
#pragma once
#include <cstdint>

#include "kit/hook.h"

namespace mv::setup_hooks {

// ---- per-channel dialogs (seams: this subsystem's and the conversions' own windows) ----------
// The input selection dialog: leaves the chosen input in InputNumber (and in field 1
// of the channel's record when storeFlag is 1).
extern Hook<bool(int16_t channel, int16_t storeFlag)> SELECTCHANNEL;
// The conversions window: leaves a, b, c in aval, bval, exponent and may propose a
// plot range in miny, maxy.
extern Hook<bool(int16_t channel)> ConversionsWindow;
// The display scaling dialog: leaves the range in miny, maxy.
extern Hook<bool(int16_t channel)> SCALE;
// The most readings that fit into one chart interval (MaxAvrg).
extern Hook<void()> MAXAVERAGE;
// The averaging dialog: leaves the readings averaged in SamplesToAverage.
extern Hook<bool(int16_t channel)> AVERAGING;

// ---- windows and services below this floor (seams the set-up tests record) --------------------
// The switching set-up window.
extern Hook<void()> ExternalDeviceControl;
// Chooses the next sample device after PresentChan.
extern Hook<void()> SELECTNEXTVALVE;
// The DataTaker input-mode window.
extern Hook<void()> DATATAKERSTATUS;
// Clears the scope sample rows after every strip layout.
extern Hook<void()> CLEARARRAY;
// The ADAM modules' input window, opened instead of the input selection dialog:
// marks the inputs in use in ChannelButtonsArray and stores the choice in field 1
// (always with storeFlag 1, with 0 only when the user picked an input).
extern Hook<void(int16_t channel, int16_t storeFlag)> ADAMChannels;
// The serial instrument's variable, plot limits and label of a channel on the
// serial input of a UI2.
extern Hook<void(int16_t channel)> InspectSerialInput;
// Send the DT800 its high-speed or its high-accuracy parameter block (over the line).
extern Hook<void()> SwitchDT800ToHIGHSpeed;
extern Hook<void()> SwitchDT800ToLOWSpeed;
// The conversion and display test window of a channel.
extern Hook<void(int16_t channel)> CHECKCHANNEL;
// The trigger set-up window (sets TriggerON).
extern Hook<void()> TRIGGER;
// Sends the ADAM modules the input ranges of a channel (0: every channel); show 1 shows
// the progress.
extern Hook<void(int16_t channel, int16_t show)> SetADAM;

// ---- the shell's menus (above this floor) ------------------------------------------------------
// Refills the per-channel submenus "Conversion Equations" and "Conversion Options". A
// hook because the menus are the shell's, which links setup: a direct call would make
// the two include each other. The shell installs it.
extern Hook<void()> MENU_100;
// The full menu handler while a per-channel dialog is open: carries out the command
// and sets MENUID to 255. A hook for the same reason; default: the reduced menu
// handler of the kit's services, for a dialog opened before the shell is there.
extern Hook<void(int16_t menu, int16_t item)> DoMENU;

// Restores every hook to its default.
void ResetSetupHooks();

}  // namespace mv::setup_hooks
