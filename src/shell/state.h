// Program-wide values owned by the application shell and its user-interface kit.
#pragma once
#include <array>
#include <cstdint>

namespace mv {

// ---- window protocol codes -------------------------------------------------------
// Window action codes (ActionCode): what the last handled event asks of a window.
namespace ActionCode {
constexpr int16_t Nothing = 0, Click = 1, WindowActivity = 3, CloseBox = 4, Redraw = 5, Tab = 7, Key = 16,
                  Application = 19, CommandKey = 24, ChannelsChanged = 99, Space = -990;
}

extern int16_t Action;
extern int32_t EventID;
extern int16_t MENUID;
extern int16_t item;
extern int16_t EditFieldWasSelected;
extern int16_t MV_ProcessSelected;
extern uint32_t PreviousUpdateTime;
extern int16_t MathOperation;

// ---- preference slots --------------------------------------------------------------
constexpr int kPrefsSlots = 71;
extern std::array<int16_t, kPrefsSlots> PrefsArray;

// Slot numbers (PrefsSlot) with the meaning each holds.
namespace PrefsSlot {
constexpr int WeirdSounds = 2, DigitalOutputCoding = 3, ChartRedrawOption = 4, LargeReadouts = 5,
              ShowSwitchStatus = 6, CheckBackupName = 7, WindowSizeChoice = 8, AlwaysShowHelpData = 10,
              WindowWidth = 11, WindowHeight = 12, AquaLabels = 14, LightToolbar = 15, SaveSable = 16,
              SaveText = 17, BadReadingKeepsLast = 18, Unread19 = 19, MascotPictures = 21, TimeGrids = 22,
              DashedGrids = 23, ZeroLines = 24, ScaleGrid = 25, ManyGridLines = 26, DashedMarkers = 27,
              AutomaticBackup = 28, MarkersInReplay = 29, AverageAllChannels = 30, WarnUnsaved = 31,
              SpikeFilterOn = 32, SpikeReread = 33, Range512 = 34, LabelFont = 35, AverageLastChannel = 36,
              SerialPortOpen = 37, TimeColumn = 38, MarkerAtSwitch = 39, DT800FastScope = 40,
              LastRunSaved = 41, BeepEverySample = 42, GuardAnswer = 43, Autorepeat = 44,
              SetupKnownAtStart = 45, Automarkers = 46, Adam16Inputs = 47, LiveTestReadings = 48,
              TestUpdateOption = 49, HardwareInputs = 50, ToolbarHelp = 51, AddExtensions = 52,
              AutoSerialPort = 53, InterfaceCode = 54, DT800MainsFilter = 55, SimulateBlockTransfer = 56,
              AutoInterface = 57, RedoInterface = 58, ShutdownMessage = 59, StartupSounds = 60,
              DashPattern = 61;
}

// ---- number text ---------------------------------------------------------------------
// Significant digits of the plain number-to-text rule; 5 at start-up, changed
// only by the windows that ask for other digits and set it back.
extern int16_t SignificantDigits;

void ResetShellState();

}  // namespace mv
