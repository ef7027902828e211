// The annual sun cycle: sunrise, sunset and day length for every day of the year at
// the chosen place, drawn as a day-and-night chart (window 777) and written to a
// comma-separated file on request.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "runtime/str255.h"
#include "runtime/types.h"

namespace mv::calc {

constexpr int16_t kSunChartWindow = 777, kSunMessageWindow = 779;

// Fills rows 1..365 of SunCycleArray for the program-wide latitude and longitude.
void FillSunCycle(int16_t daylightSaving);

// The month name and day of the month of day n of a 365-day year.
struct MonthDay {
  const char* month = "January";
  int16_t day = 1;
};
MonthDay MonthDayOf(int16_t n);

// The export text (Mac Roman, CR line ends) of SunCycleArray for a place given by
// absolute degrees and hemisphere flags.
std::string SunCycleCsv(float absLatitude, float absLongitude, int16_t north, int16_t west);
// The chart window's title for the same place.
Str255 SunCycleTitle(float absLatitude, float absLongitude, int16_t north, int16_t west);

// The chart geometry: x of day n, y of a time of H hours.
int16_t DayX(int16_t n);
int16_t HourY(float hours);

// Asks for the file with the save panel and writes the export; false when
// cancelled or the write failed (reason then set).
bool PrintSunCycleToSpreadsheet(std::string* reason = nullptr);

// The whole annual run started by the sun-cycle window: builds the chart window,
// fills the table, draws it and runs the chart window until the user turns away.
// When the user turned away by clicking into the calculator window (number 8), the
// point of that click (window pixels) is returned, so the calculator acts on it.
std::optional<Point> RunAnnualSunCycle(int16_t daylightSaving);

}  // namespace mv::calc
