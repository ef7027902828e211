// Calls from the channel-table code into dialogs and services: the per-channel
// dialogs (input, conversions, scaling, averaging), the switching set-up, the
// DataTaker input-mode window, the scope rows, the interface picture and the
// interface windows the channel dialogs hand over to. Each is a hook (see
// kit/hook.h); tests install recording fakes. The input, scaling and averaging
// dialogs and the readings-averaged limit live in this subsystem and are the
// defaults. The others start "not built" until their owner installs the real one at
// start-up. A dialog hook returns true when the user changed something; a hook that
// is not built returns false, so a channel keeps its starting (linear) conversion.
#pragma once
#include <cstdint>

#include "kit/hook.h"

namespace mv::setup_hooks {

// ---- per-channel dialogs ----------------------------------------------------------------
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

// ---- services of other subsystems --------------------------------------------------------
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
// Send the DT800 its high-speed or its high-accuracy parameter block.
extern Hook<void()> SwitchDT800ToHIGHSpeed;
extern Hook<void()> SwitchDT800ToLOWSpeed;
// ---- windows the set-up window opens ------------------------------------------------------
// The conversion and display test window of a channel.
extern Hook<void(int16_t channel)> CHECKCHANNEL;
// The trigger set-up window (sets TriggerON).
extern Hook<void()> TRIGGER;
// The chart and scope display dialogs (they may change ChartView) and the chart-height
// window.
extern Hook<void()> SETCHARTVIEW;
extern Hook<void()> SETSCOPEVIEW;
extern Hook<void()> ChangeCHARTHITE;
// Asks for the labels of the switched devices of the sequential-files pattern and sets
// SequenceChecked.
extern Hook<void()> GetSequenceLabels;
// Sends the ADAM modules the input ranges of a channel (0: every channel); show 1 shows
// the progress.
extern Hook<void(int16_t channel, int16_t show)> SetADAM;
// Refills the per-channel submenus "Conversion Equations" and "Conversion Options".
extern Hook<void()> MENU_100;
// Makes the plot colours of the present view the colours in force.
extern Hook<void()> COLORSELECT;

// The full menu handler while a per-channel dialog is open: carries out the command
// and sets MENUID to 255. Default: the reduced menu handler of the kit's services.
extern Hook<void(int16_t menu, int16_t item)> DoMENU;

// Restores every hook to its default.
void ResetSetupHooks();

}  // namespace mv::setup_hooks
