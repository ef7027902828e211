#include "calculators/day_of_year.h"

#include <cmath>
#include <string>
#include <utility>

#include "calculators/frame.h"
#include "files/state.h"
#include "kit/builders.h"
#include "kit/date_text.h"
#include "kit/format.h"
#include "kit/popups.h"
#include "kit/state.h"
#include "runtime/windows.h"

namespace mv::calc {

int16_t DaysBeforeMonth(int16_t month) {
  static constexpr int16_t kBefore[13] = {0, 0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
  return month >= 2 && month <= 12 ? kBefore[month] : 0;
}

bool IsLeapYear(double year) {
  const double whole = std::trunc(year);
  if (std::fmod(whole, 4.0) != 0.0) return false;
  return std::fmod(whole, 100.0) != 0.0 || std::fmod(whole, 400.0) == 0.0;
}

int32_t DayOfYearFor(int16_t month, double day, double year) {
  const double sum = std::trunc(DaysBeforeMonth(month) + day);
  // A day typed far out of range still gives a whole number; one beyond any
  // calendar gives 0 rather than an undefined conversion.
  int32_t n = std::isfinite(sum) && std::fabs(sum) < 1e9 ? static_cast<int32_t>(sum) : 0;
  if (IsLeapYear(year) && month >= 3 && month <= 12) ++n;
  return n;
}

namespace {

constexpr const char* kMonthNames[12] = {"January",   "February", "March",    "April",
                                         "May",       "June",     "July",     "August",
                                         "September", "October",  "November", "December"};

// A whole number as the user typed it, without the blank or exponent of the display.
std::string WholeText(double whole) {
  return std::fabs(whole) < 1e15 ? std::to_string(static_cast<long long>(whole)) : NumberText(whole).str();
}

}  // namespace

std::string DateProblem(int16_t month, double day, double year) {
  if (month < 1 || month > 12) month = 1;
  const double whole = std::trunc(day);
  if (!std::isfinite(whole)) return "the day is no number";
  const int16_t days =
      month == 12 ? 31 : static_cast<int16_t>(DaysBeforeMonth(month + 1) - DaysBeforeMonth(month));
  const bool leapDay = month == 2 && whole == 29 && IsLeapYear(year);
  if ((whole >= 1 && whole <= days) || leapDay) return {};
  std::string date = WholeText(whole) + " " + kMonthNames[month - 1];
  // Only the year makes 29 February no date.
  if (month == 2 && whole == 29 && std::isfinite(year)) date += " " + WholeText(std::trunc(year));
  return date + " is not a date";
}

namespace {

Str255 Chars(const Str255& s, std::size_t from, std::size_t count) {
  if (from >= s.size()) return Str255();
  return Str255(std::string_view(s.str()).substr(from, count));
}

Str255 LastTwo(const Str255& s) {
  return s.size() >= 2 ? Chars(s, s.size() - 2, 2) : s;
}

int16_t MonthOf(const Str255& date) {
  const double m = TextToNumber(Chars(date, 0, 2).str());
  return m >= 1 && m <= 12 ? static_cast<int16_t>(m) : static_cast<int16_t>(0);
}

}  // namespace

InitialDate InitialDateFrom(const Str255& recordingDate, const Str255& today) {
  InitialDate d;
  d.month = MonthOf(recordingDate);
  if (d.month == 0) d.month = MonthOf(today);
  if (d.month == 0) d.month = 1;
  const Str255& source = recordingDate.size() == 0 ? today : recordingDate;
  d.day = Chars(source, 3, 2);
  d.year = Str255("20") + LastTwo(source);
  return d;
}

InitialDate TodaysDate(const Str255& today) {
  InitialDate d;
  d.month = MonthOf(today);
  if (d.month == 0) d.month = 1;
  d.day = Chars(today, 3, 2);
  d.year = Str255("20") + LastTwo(today);
  return d;
}

int32_t computeDayOfYear(int16_t month, std::string* why) {
  const double day = FieldValueDouble(kDayField), year = FieldValueDouble(kYearField);
  if (std::string problem = DateProblem(month, day, year); !problem.empty()) {
    SetFieldText(kDayOfYearField, "");
    rt::FocusEditField(0);
    if (why) *why = std::move(problem);
    return 0;
  }
  const int32_t n = DayOfYearFor(month, day, year);
  const double shown = std::trunc(FieldValueDouble(kDayOfYearField));
  if (shown != n || rt::EditText(kDayOfYearField).empty()) SetFieldPlain(kDayOfYearField, n);
  rt::FocusEditField(0);
  return n;
}

namespace {

constexpr int16_t kComputeButton = 19, kDoneButton = 20;

void DrawLabel(const char* text, int16_t x, int16_t y) {
  rt::DrawText(x, y, text, KitFont(KestraneFont, 15), RGBColor{0, 0, 0});
}

void DateField(int16_t number, const Str255& text, Rect r) {
  EFForeColor = 1;
  EFBackColor = 1;
  BUILDEF(number, text, r.left, r.top, r.right, r.bottom, 3, 2);
  rt::FontSpec font = KitFont(KestraneFont, 14);
  font.bold = true;
  rt::SetEditFont(number, font);
}

}  // namespace

int16_t DayOfTheYear() {
  OpenCalculatorWindow("Day of the Year", 250, 100, 620, 309);
  DrawLabel("Month:", 10, 45);
  DrawLabel("Day:", 225, 45);
  DrawLabel("Year:", 15, 85);
  DrawLabel("Day of year:", 50, 138);

  const InitialDate start = InitialDateFrom(filestrings.startDate, TodayDateText());
  int16_t month = start.month;
  MonthsPopupMenu(kPopupMenu);
  rt::NewPopupControl(kMonthPopup, kPopupMenu, "", Rect{70, 30, 200, 48}, month);
  DateField(kDayField, start.day, Rect{270, 30, 340, 48});
  DateField(kYearField, start.year, Rect{70, 68, 180, 88});
  EFForeColor = 2;
  EFBackColor = 5;
  // Wide enough for the words of a date that does not exist ("29 February 2023 is not
  // a date") as well as the number.
  BUILDEF(kDayOfYearField, "", 155, 119, 360, 145, 3, 2);
  rt::FontSpec big = KitFont(KestraneFont, 24);
  big.bold = true;
  rt::SetEditFont(kDayOfYearField, big);
  rt::NewControl(kComputeButton, rt::ControlType::DefaultButton, "Compute", Rect{50, 150, 130, 170}, 1);
  rt::NewControl(kDoneButton, rt::ControlType::PushButton, "Done", Rect{250, 180, 340, 200}, 1);
  EFForeColor = 1;
  EFBackColor = 1;

  computeDayOfYear(month);
  ActivateField(kDayField);

  LoopRules rules;
  rules.defaultButton = kComputeButton;
  rules.doneButton = kDoneButton;
  RunCalculatorLoop(rules, [&month](int16_t button) {
    if (button == kMonthPopup) month = static_cast<int16_t>(rt::ControlValue(kMonthPopup));
    std::string why;
    if (computeDayOfYear(month, &why) == 0) ShowNoResult(kDayOfYearField, why);
    return false;
  });
  return 0;
}

}  // namespace mv::calc
