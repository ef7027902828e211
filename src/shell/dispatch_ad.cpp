// The full menu handler's A-D menu with its submenus, the D-A menu and the
// Special menu.
#include <algorithm>

#include "control/alarm_window.h"
#include "control/ao_script_window.h"
#include "control/audible_timer_window.h"
#include "control/feedback_window.h"
#include "control/trigger_window.h"
#include "control/zero_link_window.h"
#include "conversions/gas_options_window.h"
#include "conversions/spike_filter.h"
#include "conversions/state.h"
#include "devices/adam_windows.h"
#include "devices/connection.h"
#include "devices/datataker_reader.h"
#include "devices/dt800_mode_window.h"
#include "devices/firmware_windows.h"
#include "devices/sable_temp_windows.h"
#include "devices/state.h"
#include "files/ao_script_commands.h"
#include "kit/protocol.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/menus.h"
#include "runtime/windows.h"
#include "setup/channel_heading.h"
#include "setup/channel_table.h"
#include "setup/delete_channels.h"
#include "setup/needs.h"
#include "setup/serial_instrument_windows.h"
#include "setup/state.h"
#include "setup/xy_plot_dialog.h"
#include "shell/calculator_menu.h"
#include "shell/dispatch.h"
#include "shell/menus.h"

namespace mv::dispatch {

namespace {

using namespace MenuNumber;

bool On(int slot) {
  return PrefsArray[slot] != 0;
}
bool IsSable() {
  return External_AD == ExternalADCode::SableUI2 || External_AD == ExternalADCode::SableUI3;
}
bool IsDataTaker() {
  return External_AD >= ExternalADCode::DT500 && External_AD <= ExternalADCode::DT85;
}
int16_t LastChannel() {
  return std::clamp<int16_t>(nChannels, 0, 16);
}

void Redraw() {
  Action = ActionCode::Redraw;
  EventID = 0;
}

void SwitchSound() {
  if (SoundsOn()) PlaySound("switch.mp3", "MVsounds");
}

// The recording window's status strip shows the interface in use.
void RedrawInterfacePicture() {
  if (!rt::WindowExists(kStatusStripWindow)) return;
  const int16_t previous = rt::OutputWindow();
  rt::SetOutputWindow(kStatusStripWindow);
  DrawStripInterfacePicture();
  if (previous != 0 && rt::WindowExists(previous)) rt::SetOutputWindow(previous);
}

// A-D item 4. The interface in use and the demonstration flag stay as they
// are: the instrument window only chooses what the Sable's serial port reads.
void SerialInstrumentsCommand() {
  SerialInstrumentInput();
  if (OldScopeOn >= RecordingModeCode::Chart && OldScopeOn <= RecordingModeCode::ScopeChart)
    RecordingMODE = OldScopeOn;
  for (int16_t i = 4; i <= 8; ++i) rt::EnableMenuItem(AD, i, true);
  rt::CheckMenuItem(AD, 4, true);
  rt::EnableMenuItem(DA, 0, true);
}

void TestModeCommand() {
  External_AD = ExternalADCode::Demonstration;
  DemonstrationMODE = 1;
  for (int16_t i = 1; i <= 6; ++i) rt::EnableMenuItem(ExternalADDevice, i, true);
  rt::EnableMenuItem(DigitalPort, 1, false);
  rt::EnableMenuItem(DigitalPort, 2, false);
  rt::CheckMenuItem(AD, 9, true);
  rt::EnableMenuItem(AD, 16, true);
  rt::EnableMenuItem(DA, 0, true);
  SwitchSound();
}

void BeepAtSampleCommand() {
  TogglePrefs(PrefsSlot::BeepEverySample);
  const bool on = On(PrefsSlot::BeepEverySample);
  rt::CheckMenuItem(AD, 15, on);
  if (on) PlayNamedSound("Sample");
  // Below 0.2 s the beep would run into the next sample.
  if (ChartIntervalInSeconds < 0.2) {
    PrefsArray[PrefsSlot::BeepEverySample] = 0;
    SetMenuItemState(AD, 15, 0);
  }
}

void AutorepeatCommand() {
  const int slot =
      RecordingMODE == RecordingModeCode::ScopeChart ? PrefsSlot::Automarkers : PrefsSlot::Autorepeat;
  TogglePrefs(static_cast<int16_t>(slot));
  rt::CheckMenuItem(AD, 19, On(slot));
}

void ADMenuCommand(int16_t menuItem) {
  switch (menuItem) {
    case 4:
      SerialInstrumentsCommand();
      break;
    case 7:
      // Reconnects when the port or the rate changed, or the line is closed.
      ReconfigureSerialPort();
      Redraw();
      break;
    case 9:
      TestModeCommand();
      break;
    case 12:
      SetSpikeFilter();
      rt::CheckMenuItem(AD, 12, On(PrefsSlot::SpikeFilterOn));
      Redraw();
      break;
    case 14:
      AudibleTIMER();
      Redraw();
      break;
    case 15:
      BeepAtSampleCommand();
      break;
    case 16:
      SETALARMS();
      Redraw();
      break;
    case 18:
      TRIGGER();
      Redraw();
      break;
    case 19:
      AutorepeatCommand();
      break;
    case 20:
      // Strips are laid out again only when channels went: a cancelled window
      // keeps the heights the user gave them.
      if (CutCHANNELS()) SetChanParams(0, 0);
      Redraw();
      break;
    case 21:
      Action = ActionCode::ChannelsChanged;
      MENUID = AD;
      item = 21;
      break;
    case 23:
      XYPlotSetup();
      Redraw();
      break;
    case 25:
      ExtraZeroLinkagesCommand();
      Redraw();
      break;
    default:
      break;
  }
}

// Conversion Equations, channel n. The channel's own coefficients go into the
// conversions window and come back from it, so a window that returns at once
// (the scope channel) or changes nothing leaves them as they were.
void ConversionEquationsCommand(int16_t channel) {
  if (channel < 1 || channel > LastChannel()) return;
  auto& record = ChannelVariables[channel];
  if (IsSable()) {
    const auto input = static_cast<int16_t>(record[ChanField::Input]);
    if (input >= 9 && input <= 12)
      CheckUI2TempChannel(channel);
    else if (input == 15)
      InspectSerialInput(channel);
  }
  aval = record[ChanField::A];
  bval = record[ChanField::B];
  exponent = record[ChanField::C];
  setup_hooks::ConversionsWindow(channel);
  record[ChanField::A] = aval;
  record[ChanField::B] = bval;
  record[ChanField::C] = exponent;
  Redraw();
}

void SampleAveragingCommand(int16_t menuItem) {
  const int16_t last = LastChannel();
  switch (menuItem) {
    case 1:
      PrefsArray[PrefsSlot::AverageAllChannels] = 0;
      setup_hooks::MAXAVERAGE();
      if (last > 0) ChannelVariables[last][ChanField::Averaged] = MaxAvrg;
      break;
    case 2:
      PrefsArray[PrefsSlot::AverageAllChannels] = 0;
      if (last > 0) ChannelVariables[last][ChanField::Averaged] = 0;
      break;
    case 3:
      PrefsArray[PrefsSlot::AverageAllChannels] = 1;
      break;
    default:
      return;
  }
  for (int16_t i = 1; i <= 3; ++i) rt::CheckMenuItem(SampleAveraging, i, i == menuItem);
  SwitchSound();
}

void ExternalADDeviceCommand(int16_t menuItem) {
  const bool dt800 = External_AD == ExternalADCode::DT800;
  switch (menuItem) {
    case 1:
      if (IsDataTaker()) {
        setup_hooks::DATATAKERSTATUS();
      } else if (External_AD == ExternalADCode::ADAM) {
        ADAMseriesSTATUS();
      } else if (IsSable()) {
        // Both Sable interfaces have the temperature inputs the item names.
        SABLETEMPCHANNELS();
        setup_hooks::ConversionsWindow(0);
      }
      break;
    case 2:
      if (dt800)
        DT800COMMUNICATIONS();
      else if (IsSable())
        GetFirmware(0);
      break;
    case 3:
      if (External_AD == ExternalADCode::ADAM)
        GetFirmware(0);
      else
        ResetDataTaker();
      break;
    case 4:
      GetFirmware(0);
      break;
    case 5:
      if (dt800)
        FlushDT800Buffer(0);
      else
        SetADAMaddress();
      break;
    default:
      return;
  }
  MENUID = 255;
}

void DigitalPortCommand(int16_t menuItem) {
  if (menuItem != 1 && menuItem != 2) return;
  Digital_Port = menuItem == 1 ? 0 : 2;
  rt::CheckMenuItem(DigitalPort, 1, menuItem == 1);
  rt::CheckMenuItem(DigitalPort, 2, menuItem == 2);
  if (SoundsOn()) PlaySound("tick.mp3", "MVsounds");
}

}  // namespace

void ADCommand(int16_t menu, int16_t menuItem) {
  switch (menu) {
    case AD:
      ADMenuCommand(menuItem);
      break;
    case ConversionEquations:
      ConversionEquationsCommand(menuItem);
      break;
    case MenuNumber::ConversionOptions:
      if (menuItem >= 1 && menuItem <= LastChannel()) mv::ConversionOptions(menuItem);
      Action = ActionCode::Redraw;
      break;
    case SampleAveraging:
      SampleAveragingCommand(menuItem);
      break;
    case ExternalADDevice:
      ExternalADDeviceCommand(menuItem);
      break;
    case DigitalPort:
      DigitalPortCommand(menuItem);
      break;
    default:
      break;
  }
  RedrawInterfacePicture();
}

void DACommand(int16_t menuItem) {
  switch (menuItem) {
    case 1:
      AnalogOutputScript(1);
      break;
    case 2:
    case 5:
      AnalogFEEDBACK();
      break;
    case 4:
      AnalogOutputScript(2);
      break;
    case 7:
      GETAOscript();
      break;
    case 8:
      SAVEAOscript();
      break;
    default:
      break;
  }
}

void SpecialCommand(int16_t menuItem) {
  RunCalculator(menuItem);
}

}  // namespace mv::dispatch
