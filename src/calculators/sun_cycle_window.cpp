#include "calculators/sun_cycle_window.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

#include "calculators/day_of_year.h"
#include "calculators/frame.h"
#include "calculators/state.h"
#include "calculators/sun_cycle_plot.h"
#include "calculators/sunrise_calc.h"
#include "calculators/world_map.h"
#include "kit/builders.h"
#include "kit/date_text.h"
#include "kit/drawing.h"
#include "kit/format.h"
#include "kit/help.h"
#include "kit/popups.h"
#include "kit/protocol.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/windows.h"

namespace mv::calc {

namespace {

constexpr int16_t kLatitudeField = 1, kLongitudeField = 2;
constexpr int16_t kNorth = 101, kSouth = 102, kWest = 103, kEast = 104;
constexpr int16_t kMapButton = 230, kTodayButton = 231, kCalculate = 240, kDone = 241, kHelp = 242,
                  kWeb = 243, kDaylightSaving = 244, kAnnualPlot = 245;
constexpr RGBColor kBlack{0, 0, 0}, kBlue{0, 0, 65535};

// Where the window's buttons, popup and entry fields lie, for a click that reached
// the window while the annual chart was in front.
enum class PlaceKind { Button, Field, Popup };
struct Place {
  int16_t number;
  Rect where;
  PlaceKind kind;
};
constexpr PlaceKind B = PlaceKind::Button, F = PlaceKind::Field;
constexpr Place kPlaces[] = {
    {kNorth, {253, 90, 310, 110}, B},           {kSouth, {320, 90, 380, 110}, B},
    {kLatitudeField, {385, 90, 470, 110}, F},   {kWest, {253, 124, 310, 144}, B},
    {kEast, {320, 124, 380, 144}, B},           {kLongitudeField, {385, 124, 470, 144}, F},
    {kMapButton, {150, 155, 470, 176}, B},      {kDaylightSaving, {410, 197, 610, 218}, B},
    {kDayOfYearField, {170, 230, 230, 250}, F}, {kMonthPopup, {270, 230, 400, 250}, PlaceKind::Popup},
    {kDayField, {410, 230, 470, 250}, F},       {kYearField, {490, 230, 580, 250}, F},
    {kTodayButton, {430, 260, 580, 280}, B},    {kWeb, {15, 420, 240, 440}, B},
    {kAnnualPlot, {250, 420, 350, 440}, B},     {kHelp, {355, 420, 395, 440}, B},
    {kCalculate, {410, 420, 505, 440}, B},      {kDone, {515, 420, 570, 440}, B},
};

Rect PlaceOf(int16_t number) {
  for (const Place& p : kPlaces)
    if (p.number == number) return p.where;
  return {};
}

const Place* PlaceAt(Point p) {
  for (const Place& place : kPlaces) {
    const Rect& r = place.where;
    if (p.h >= r.left && p.h < r.right && p.v >= r.top && p.v < r.bottom) return &place;
  }
  return nullptr;
}

void DrawHeading() {
  rt::FontSpec font = KitFont(KestraneFont, 28);
  font.bold = true;
  font.italic = true;
  rt::DrawText(60, 35, "Sunrise, Sunset, and Day Length", font, kBlue);
}

void Label(int16_t number, const char* text, Rect r, int16_t justification, double size = 12) {
  BUILDEF(number, text, r.left, r.top, r.right, r.bottom, 7, justification);
  rt::SetEditColors(number, kBlack, rt::WindowBackgroundColor());
  rt::SetEditFont(number, KitFont(KestraneFont, size));
}

void Entry(int16_t number, const Str255& text, Rect r, double size) {
  EFForeColor = 1;
  EFBackColor = 1;
  BUILDEF(number, text, r.left, r.top, r.right, r.bottom, 3, 2);
  rt::SetEditFont(number, KitFont(KestraneFont, size));
}

void MonthPopup(int16_t month) {
  if (rt::ControlExists(kMonthPopup)) rt::DisposeControl(kMonthPopup);
  MonthsPopupMenu(kPopupMenu);
  rt::NewPopupControl(kMonthPopup, kPopupMenu, "", PlaceOf(kMonthPopup), month);
}

void Radio(int16_t number, const char* title, Rect r, bool on) {
  rt::NewControl(number, rt::ControlType::RadioButton, title, r, on ? 2 : 1);
}

void ShowHemispheres() {
  rt::SetControlState(kNorth, northLatitude ? 2 : 1);
  rt::SetControlState(kSouth, northLatitude ? 1 : 2);
  rt::SetControlState(kWest, westLongitude ? 2 : 1);
  rt::SetControlState(kEast, westLongitude ? 1 : 2);
}

void BuildLayout(const InitialDate& today) {
  OpenCalculatorWindow("Sun Cycle Calculator", 40, 100, 640, 555);
  DrawHeading();
  rt::DrawText(90, 71, "Enter location and date and click 'Calculate':", KitFont(KestraneFont, 18), kBlue);
  rt::DrawText(50, 213, "Enter either the day of the year OR the date:", KitFont(KestraneFont, 16), kBlue);
  PlotCG(1, 10, 288, 590, 288, 3);
  PlotCG(1, 10, 410, 590, 410, 3);
  Label(10, "Latitude in degrees (0 - 90) ", Rect{20, 93, 240, 108}, 3);
  Label(20, "Longitude in degrees (0 - 180) ", Rect{10, 126, 240, 146}, 3);
  Radio(kNorth, "North", PlaceOf(kNorth), true);
  Radio(kSouth, "South", PlaceOf(kSouth), false);
  Entry(kLatitudeField, "33.95", PlaceOf(kLatitudeField), 16);
  Radio(kWest, "West", PlaceOf(kWest), true);
  Radio(kEast, "East", PlaceOf(kEast), false);
  Entry(kLongitudeField, "117.33", PlaceOf(kLongitudeField), 16);
  rt::NewControl(kMapButton, rt::ControlType::PushButton, "Get Latitude and Longitude From World Map",
                 PlaceOf(kMapButton), 1);
  rt::NewControl(kDaylightSaving, rt::ControlType::CheckBox, "Daylight Savings Time",
                 PlaceOf(kDaylightSaving), 1);
  Label(30, "Day of the year:", Rect{20, 230, 153, 250}, 3);
  Entry(kDayOfYearField, "", PlaceOf(kDayOfYearField), 16);
  MonthPopup(today.month);
  Entry(kDayField, today.day, PlaceOf(kDayField), 14);
  Entry(kYearField, today.year, PlaceOf(kYearField), 14);
  rt::NewControl(kTodayButton, rt::ControlType::PushButton, "Use Today's Date", PlaceOf(kTodayButton), 1);
  Label(kSunriseField, "", Rect{20, 300, 580, 325}, 2, 16);
  Label(kSunsetField, "", Rect{20, 340, 580, 365}, 2, 16);
  Label(kSolarNoonField, "", Rect{20, 380, 240, 405}, 1, 16);
  Label(kDayLengthField, "", Rect{245, 380, 600, 405}, 1, 16);
  rt::NewControl(kWeb, rt::ControlType::PushButton, "US Naval Observatory Website...", PlaceOf(kWeb), 1);
  rt::NewControl(kAnnualPlot, rt::ControlType::PushButton, "Annual Plot", PlaceOf(kAnnualPlot), 1);
  rt::NewControl(kHelp, rt::ControlType::PushButton, "?", PlaceOf(kHelp), 1);
  rt::NewControl(kCalculate, rt::ControlType::DefaultButton, "Calculate", PlaceOf(kCalculate), 1);
  rt::NewControl(kDone, rt::ControlType::PushButton, "Done", PlaceOf(kDone), 1);
}

// The window's own state while it is open.
struct SunWindow {
  int16_t month = 1;
  int16_t daylightSaving = 0;
  bool calculated = false;
  int32_t lastDay = 0, lastYear = kSunFixedYear;
  float lastLatitude = 0, lastLongitude = 0;
  // The day of the year and the date are two ways to give the day: whichever the
  // user changed last is the one Calculate takes. The texts as last seen tell which.
  std::string seenDay, seenDate;
  bool dayTypedLast = false;

  std::string DateKey() const {
    return std::to_string(month) + "/" + rt::EditText(kDayField) + "/" + rt::EditText(kYearField);
  }
  void Remember() {
    seenDay = rt::EditText(kDayOfYearField);
    seenDate = DateKey();
  }
  // Called on every pass of the loop and before Calculate.
  void NoticeEdits() {
    if (!rt::WindowExists(kCalculatorWindow)) return;
    rt::SetOutputWindow(kCalculatorWindow);
    if (DateKey() != seenDate) {
      dayTypedLast = false;
    } else if (rt::EditText(kDayOfYearField) != seenDay) {
      dayTypedLast = true;
    }
    Remember();
  }
  int32_t UpdateDayOfYear(std::string* why = nullptr) {
    const int32_t n = computeDayOfYear(month, why);
    dayTypedLast = false;
    Remember();
    return n;
  }
  // The day of the year typed, when it was changed last, else the date's (0 with
  // the reason when the date fields hold no date).
  int32_t DayToUse(std::string& why) {
    NoticeEdits();
    if (dayTypedLast) {
      const double typed = std::trunc(FieldValueDouble(kDayOfYearField));
      rt::FocusEditField(0);
      return std::isfinite(typed) ? static_cast<int32_t>(std::clamp(typed, -1e6, 1e6)) : 0;
    }
    return UpdateDayOfYear(&why);
  }
  void PlaceFromFields() {
    latitude = FieldValue(kLatitudeField) * (northLatitude ? 1.0f : -1.0f);
    longitude = FieldValue(kLongitudeField) * (westLongitude ? 1.0f : -1.0f);
  }
  // The day in the year of the date: a year that is no number (words, or nothing), a
  // date that does not exist, a year the sun's equations do not hold for, a day number
  // the year does not have, or a place not on the earth gives no times, and the
  // sunrise line says why.
  void Calculate() {
    std::string why;
    const int32_t day = DayToUse(why);
    if (!FieldHoldsNumber(kYearField)) why = "the year is no number";
    const double typedYear = std::trunc(FieldValueDouble(kYearField));
    if (why.empty()) why = SunYearProblem(typedYear);
    const int32_t year = why.empty() ? static_cast<int32_t>(typedYear) : 0;
    if (why.empty() && (day < 1 || day > (IsLeapYear(year) ? 366 : 365)))
      why = "day " + std::to_string(day) + " is not a day of " + std::to_string(year);
    if (why.empty()) {
      PlaceFromFields();
      why = SunPlaceProblem(latitude, longitude);
    }
    if (!why.empty()) {
      ShowNoSunResult(why);
      calculated = false;
      return;
    }
    lastDay = day;
    lastYear = year;
    lastLatitude = latitude;
    lastLongitude = longitude;
    SunriseCalc(1, lastDay, daylightSaving, lastYear);
    calculated = true;
  }
  void Repeat() {
    latitude = lastLatitude;
    longitude = lastLongitude;
    SunriseCalc(1, lastDay, daylightSaving, lastYear);
  }
  void UseToday() {
    const InitialDate t = TodaysDate(TodayDateText());
    SetFieldText(kDayField, t.day);
    SetFieldText(kYearField, t.year);
    month = t.month;
    MonthPopup(month);
    UpdateDayOfYear();
  }
  void PickFromMap() {
    const bool picked = GetMapCoordinates() != 0;
    rt::SetOutputWindow(kCalculatorWindow);
    if (!picked) return;
    ShowHemispheres();
    SetFieldPlain(kLatitudeField, latitude);
    SetFieldPlain(kLongitudeField, longitude);
    ClearArea(1, 1, 600, 40);
    DrawHeading();
  }

  // The click that turned from the chart to this window acts as it would have: on
  // the button under it (unless dimmed), in the field under it, or opening the list
  // of the popup under it.
  bool ClickAt(Point p) {
    const Place* place = PlaceAt(p);
    if (!place) return false;
    if (place->kind == PlaceKind::Field) {
      ActivateField(place->number);
      return false;
    }
    if (place->kind == PlaceKind::Popup) {
      rt::OpenPopupList(place->number);
      return false;
    }
    if (rt::ControlState(place->number) == 0) return false;
    return Command(place->number);
  }

  // Acts on a click; true ends the window.
  bool Command(int16_t button) {
    NoticeEdits();
    switch (button) {
      case kMonthPopup:
        month = static_cast<int16_t>(rt::ControlValue(kMonthPopup));
        UpdateDayOfYear();
        break;
      case kNorth:
      case kSouth:
        northLatitude = button == kNorth ? 1 : 0;
        ShowHemispheres();
        break;
      case kWest:
      case kEast:
        westLongitude = button == kWest ? 1 : 0;
        ShowHemispheres();
        break;
      case kMapButton:
        PickFromMap();
        break;
      case kTodayButton:
        UseToday();
        break;
      case kCalculate:
        Calculate();
        break;
      case kDone:
        return true;
      case kHelp:
        rt::FlushEvents();
        DoHelpWindow(169);
        break;
      case kWeb:
        LSLaunchURL(3);
        break;
      case kDaylightSaving:
        daylightSaving = daylightSaving ? 0 : 1;
        rt::SetControlState(kDaylightSaving, daylightSaving ? 2 : 1);
        if (calculated) Repeat();
        break;
      case kAnnualPlot: {
        PlaceFromFields();
        if (const std::string why = SunPlaceProblem(latitude, longitude); !why.empty()) {
          // No chart of a place not on the earth: the result line says why, as for
          // Calculate, and an earlier chart, of another place, goes.
          if (rt::WindowExists(kSunChartWindow)) rt::CloseWindow(kSunChartWindow);
          rt::SetOutputWindow(kCalculatorWindow);
          ShowNoSunResult(why);
          // The times shown are gone: ticking daylight saving brings back no times of
          // an earlier place beside the place refused.
          calculated = false;
          break;
        }
        const std::optional<Point> click = RunAnnualSunCycle(daylightSaving);
        rt::BringWindowForward(kCalculatorWindow);
        rt::SetOutputWindow(kCalculatorWindow);
        if (click) return ClickAt(*click);
        break;
      }
      default:
        break;
    }
    return false;
  }
};

}  // namespace

int16_t Sunrise() {
  northLatitude = 1;
  westLongitude = 1;
  const InitialDate today = TodaysDate(TodayDateText());
  BuildLayout(today);
  SunWindow w;
  w.month = today.month;
  w.UpdateDayOfYear();
  ActivateField(0);

  LoopRules rules;
  rules.doneButton = kDone;
  rules.afterPass = [&w] { w.NoticeEdits(); };
  // The chart's close box closes the chart only.
  rules.onOther = [](int16_t action, int32_t id) {
    if (action == ActionCode::CloseBox && id == kSunChartWindow && rt::WindowExists(kSunChartWindow)) {
      rt::CloseWindow(kSunChartWindow);
      if (rt::WindowExists(kCalculatorWindow)) rt::BringWindowForward(kCalculatorWindow);
    }
    return false;
  };
  RunCalculatorLoop(rules, [&w](int16_t button) {
    const bool done = w.Command(button);
    if (rt::WindowExists(kCalculatorWindow)) rt::SetOutputWindow(kCalculatorWindow);
    return done;
  });
  if (rt::WindowExists(kSunChartWindow)) rt::CloseWindow(kSunChartWindow);
  return 0;
}

}  // namespace mv::calc
