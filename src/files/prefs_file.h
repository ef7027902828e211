// The preferences file and the stored colours.
//
// "Mirevant prefs.MVprefs" in the per-user configuration folder keeps, between
// sessions, the eight stored chart and scope colours, the custom conversion
// buttons, six stored breakpoint conversions and a fixed subset of the
// preference slots and values. It has no header and is exactly 1,433 bytes:
//
//   offset size  field
//        0   48  the eight stored colours, 6 bytes each, each component a
//                little-endian u16, red first (the only little-endian field)
//       48  288  custom buttons: conversionsArray rows 3-11, elements 1-8, f32
//      336  225  buttonlbls, blank-padded (no length byte)
//      561   30  but1lbls, blank-padded
//      591  240  butcomments, blank-padded
//      831    4  Sound_Is_On, i32
//      835    8  slots 1-4, i16 each
//      843    4  Max_Display_Speed, i32
//      847   16  slots 5-12
//      863    4  Digital_Port, i32
//      867    2  slot 13
//      869    4  SampRateError, f32
//      873    2  slot 30
//      875    2  slot 15
//      877  528  BreakpointArray rows 17-22, 22 f32 each
//     1405    4  slots 14, 16
//     1409   10  slots 17-21
//     1419    6  slots 51-53
//     1425    2  the interface code External_AD (read back into slot 54)
//     1427    4  slots 57, 59
//     1431    2  slot 60
// Numbers other than the colours are big-endian.
//
// A file is parsed and checked whole before anything changes: a short, long or
// corrupt file is refused, every value in memory stays as it was, and the user is
// told once. Writing goes through a temporary file, so a failed save leaves the
// old file intact.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "conversions/state.h"
#include "files/file_io.h"
#include "kit/state.h"
#include "runtime/types.h"

namespace mv {

constexpr const char* kPreferencesFileName = "Mirevant prefs.MVprefs";
constexpr std::size_t kPreferencesFileSize = 1433;
constexpr std::size_t kTitlesWidth = 225, kThreeWayLabelWidth = 30, kLabelsWidth = 240;
constexpr int kFirstStoredCustomRow = 3, kStoredCustomRows = 9, kStoredCustomValues = 8;
constexpr int kFirstStoredBreakpointRow = 17, kStoredBreakpointRows = 6;

// Everything the file holds, in memory.
struct StoredPreferences {
  // ChartFrame, ChartBackground, ChartData, Marker, ScopeData, ScopeBackground,
  // FastScopeBackground, ScopeFrame: the order of the file.
  std::array<RGBColor, 8> colors{};
  // Row r (3..11), element e (1..8) at (r - 3) * 8 + e - 1.
  std::array<float, kStoredCustomRows * kStoredCustomValues> customTable{};
  std::string titles, threeWayLabel, labels;  // 225, 30 and 240 bytes
  int32_t soundIsOn = 0;
  std::array<int16_t, kPrefsSlots> slotValues{};  // only the slots the file stores count
  int32_t maxDisplaySpeed = 0;
  int32_t digitalPort = 0;
  float sampRateError = 0;
  std::array<BreakpointRecord, kStoredBreakpointRows> breakpoints{};
  int16_t interfaceCode = 0;
};

// ---- the format, as pure functions --------------------------------------------------------
StoredPreferences CapturePreferences();  // from the program-wide values
std::string EncodePreferences(const StoredPreferences& prefs);

struct ParsedPreferences {
  std::optional<StoredPreferences> prefs;
  std::string reason;  // why the bytes were refused
};
// Refuses bytes that are not exactly one file long or hold values the program never
// writes (a switch slot other than 0 or 1, a non-finite coefficient, a control
// character in a title, ...). A window size out of range is no reason: reading
// clamps it.
ParsedPreferences DecodePreferences(std::string_view bytes);
// "" when every value is one the program can use, otherwise why not.
std::string CheckPreferences(const StoredPreferences& prefs);

// Into the program-wide values: the stored slots, the interface code into slot 54
// (External_AD is left alone), the three-way button copied into polyarray row 0, then
// the window size clamped to the display.
void ApplyPreferences(const StoredPreferences& prefs, int displayWidth, int displayHeight);

// Slot 11 (width) within 640 .. display width - 50 and slot 12 (height) within
// 480 .. display height - 80; a display too small for the minimum gets its own limit.
void ClampWindowSizeToDisplay(int displayWidth, int displayHeight);

// ---- the program's entry points ------------------------------------------------------------
std::string PreferencesFilePath();

enum class PrefsLoad { Loaded, Missing, Refused };
// Reads the file. Missing: the stored and light palette colours return to their
// defaults and nothing else changes. Refused: nothing changes and the user is told.
PrefsLoad GETSettings();
// The result of the last GETSettings.
PrefsLoad LastPreferencesLoad();

// The fixed palette colours, then GETSettings. (DEFAULTCOLORS, the defaults of the
// stored and light palette colours, lives with the colours in kit/state.h.)
void SetInitialColorValues();

// Writes the whole file from the program-wide values: the confirmation sound on
// success, the file alert on failure. True on success.
bool SAVEsettings();
// The same write without sound or alert.
FileResult SavePreferencesFile();

// The file-error handler start-up installs: errors are reported where they happen,
// so there is nothing left to clear.
void CheckFileError(int code);

// The recording window size a start-up takes from the preferences: the stored choice
// of slot 8 (1-4 the fixed sizes, 5 the stored size, 6 the display less 30 by 47),
// within the display, when the file was read; nothing otherwise, and the start-up
// keeps its default size.
struct StoredWindowSize {
  int16_t width = 0, height = 0;
  bool operator==(const StoredWindowSize&) const = default;
};
std::optional<StoredWindowSize> StartupWindowSize(PrefsLoad load, int16_t choice, int16_t width,
                                                  int16_t height, int displayWidth, int displayHeight);

// The size of window-size choice 1-4 (640 x 480, 800 x 600, 832 x 624, 1024 x 768);
// 6 and any other choice fill the display less 30 by 47. (Choice 5 keeps the typed size.)
StoredWindowSize WindowSizeForChoice(int16_t choice, int displayWidth, int displayHeight);

}  // namespace mv
