// The day number of a calendar date (1 January is day 1) and the "Day of the Year"
// calculator window. The day routine is shared with the sun-cycle calculator, whose
// window carries the same three date fields under the same numbers.
#pragma once
#include <cstdint>
#include <string>

#include "runtime/str255.h"

namespace mv::calc {

// Date fields shared by the day-of-year and sun-cycle windows.
constexpr int16_t kDayField = 111, kDayOfYearField = 112, kYearField = 113, kMonthPopup = 54;

// Days before the month in a 365-day year; months outside 2..12 count as January.
int16_t DaysBeforeMonth(int16_t month);
// The Gregorian rule: years divisible by 4, except centuries not divisible by 400
// (year 0 is a leap year; the fraction of a typed year is dropped).
bool IsLeapYear(double year);
// The day of the year: days before the month plus the day (fraction dropped), one
// more from March on in a leap year. No range check on the day.
int32_t DayOfYearFor(int16_t month, double day, double year);
// Why a day of the month (its fraction dropped) in a month and year is no date, as
// "31 April is not a date" or "29 February 2023 is not a date"; empty for a date.
std::string DateProblem(int16_t month, double day, double year);

// The date a window opens on: the recording date "MM/dd/yy" where it gives one,
// today's "MM/dd/yy" for the parts it cannot.
struct InitialDate {
  int16_t month = 1;
  Str255 day;   // two characters
  Str255 year;  // "20" and two digits
};
InitialDate InitialDateFrom(const Str255& recordingDate, const Str255& today);
// Today's date as the "Use Today's Date" command takes it (a month outside 1..12 is 1).
InitialDate TodaysDate(const Str255& today);

// Reads the day (field 111) and year (field 113) of the current window, writes the
// day of the year into field 112 when it differs from the whole number shown there,
// takes the focus from every field and returns the day of the year. Fields that hold
// no date (31 April, 29 February 2023, day 0 or 32) give no day: field 112 is
// emptied, `why` (when given) says why, and the result is 0.
int32_t computeDayOfYear(int16_t month, std::string* why = nullptr);

// The Special menu's "Day of the Year..." window.
int16_t DayOfTheYear();

}  // namespace mv::calc
