#include "calculators/sun_cycle_plot.h"

#include <cmath>
#include <optional>

#include "calculators/frame.h"
#include "calculators/number_text.h"
#include "calculators/safe_file.h"
#include "calculators/state.h"
#include "calculators/sunrise_calc.h"
#include "kit/builders.h"
#include "kit/drawing.h"
#include "kit/format.h"
#include "kit/protocol.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/panels.h"
#include "runtime/windows.h"

namespace mv::calc {

namespace {

constexpr int16_t kPrintButton = 1;
constexpr int16_t kPlotLeft = 70, kPlotTop = 30, kPlotRight = 618, kPlotBottom = 270;
constexpr RGBColor kBlack{0, 0, 0}, kRed{65535, 0, 0}, kBlue{0, 0, 65535};

struct MonthRow {
  const char* name;
  int16_t last;
  int16_t before;
};
constexpr MonthRow kMonths[12] = {{"January", 31, 0},    {"February", 59, 31},   {"March", 90, 59},
                                  {"April", 120, 90},    {"May", 151, 120},      {"June", 181, 151},
                                  {"July", 212, 181},    {"August", 243, 212},   {"September", 273, 243},
                                  {"October", 304, 273}, {"November", 334, 304}, {"December", 365, 334}};

void Text(double x, double y, std::string_view text, double size, RGBColor color = kBlack) {
  rt::DrawText(x, y, text, KitFont(KestraneFont, size), color);
}

void SunCycleGrids() {
  for (int16_t y = 40; y <= 270; y = static_cast<int16_t>(y + 10))
    PlotCGrgb(1, kPlotLeft, y, kPlotRight, y, gray);
  for (int16_t j = 0; j <= 12; ++j) {
    const auto x = static_cast<int16_t>(112 + 45 * j);
    PlotCGrgb(1, x, kPlotTop, x, kPlotBottom, gray);
  }
  CGdrawBox(0, {}, 0, kPlotLeft, kPlotTop, kPlotRight, kPlotBottom, 7);
}

// The hemispheres of the place the year is computed for, read from its signs rather
// than the radio buttons: a minus sign typed with "South" makes a northern latitude,
// and the chart and its file must name the place whose times they give. A 0 keeps the
// hemisphere chosen (0 with "South" is -0).
int16_t NorthOfPlace() {
  return std::signbit(latitude) ? 0 : 1;
}
int16_t WestOfPlace() {
  return std::signbit(longitude) ? 0 : 1;
}

void SunCycleWindow() {
  if (rt::WindowExists(kSunChartWindow)) rt::CloseWindow(kSunChartWindow);
  BuildWINDOW(kSunChartWindow,
              SunCycleTitle(std::fabs(latitude), std::fabs(longitude), NorthOfPlace(), WestOfPlace()), 650,
              100, 1285, 423, 6);
  rt::NewControl(kPrintButton, rt::ControlType::PushButton, "Print Data to Spreadsheet",
                 Rect{430, 296, 625, 316}, 1);
  SunCycleGrids();
  for (int16_t h = 24; h >= 0; h = static_cast<int16_t>(h - 2)) {
    const auto bottom = static_cast<int16_t>(276 - 10 * h);
    const auto field = static_cast<int16_t>(800 + h);
    BUILDEF(field, NumberText(h), 40, static_cast<int16_t>(bottom - 13), 66, bottom, 7, 3);
    rt::SetEditColors(field, kBlack, rt::WindowBackgroundColor());
    rt::SetEditFont(field, KitFont(KestraneFont, 12));
  }
  Text(68, 285, "1", 12);
  for (int16_t d = 30; d <= 360; d = static_cast<int16_t>(d + 30))
    Text(DayX(d) - (d <= 99 ? 12 : 16), 285, NumberText(d).str(), 12);
  Text(310, 310, "Day of Year", 14);
  Text(5, 110, "Time", 14);
  Text(15, 130, "of", 14);
  Text(10, 150, "Day", 14);
  CGdrawBox(1, blueGray, 1, 370, 9, 393, 23, 0);
  Text(400, 20, " = Night ", 12);
  CGdrawBox(1, blueGray, 0, 520, 9, 543, 23, 0);
  CGdrawBox(0, {}, 1, 521, 10, 542, 22, 1);
  Text(550, 20, "= Day", 12);
  const char* rise = "Sunrise time        ";
  Text(100, 20, rise, 12, kRed);
  Text(100 + rt::TextWidth(rise, KitFont(KestraneFont, 12)), 20, "Sunset time", 12, kBlue);

  rt::OpenWindow(kSunMessageWindow, "", Rect{775, 200, 1155, 270}, 11);
  rt::SetOutputWindow(kSunMessageWindow);
  rt::SetWindowBackground(kThemeBackground);
  rt::ClearWindow();
  Text(40, 50, "calculating...", 48);
  rt::FlushWindow();
}

// One list of dots in a circle-palette colour.
void Dots(bool sunrise, int16_t colour) {
  int32_t count = 0;
  for (int16_t n = 1; n <= 365; ++n) {
    const auto& row = SunCycleArray[static_cast<std::size_t>(n)];
    if (row[0] == 0.0f) continue;
    ++count;
    QuartzPointsArray[static_cast<std::size_t>(count)] = {
        static_cast<float>(DayX(n)), static_cast<float>(HourY(sunrise ? row[1] : row[2]))};
  }
  CGdrawCircle(0, {}, 1, 1, colour, count);
}

void Bar(int16_t x, float fromHours, float toHours) {
  CGdrawBox(0, {}, 1, x - 1.0f, HourY(toHours), x + 1.5f, HourY(fromHours), 1);
}

void SunCyclePlot() {
  rt::SetOutputWindow(kSunChartWindow);
  CGdrawBox(1, blueGray, 1, kPlotLeft, kPlotTop, kPlotRight, kPlotBottom, 0);
  for (int16_t n = 1; n <= 365; ++n) {
    const auto& row = SunCycleArray[static_cast<std::size_t>(n)];
    if (row[0] == 0.0f) continue;
    const int16_t x = DayX(n);
    if (row[2] >= row[1]) {
      Bar(x, row[1], row[2]);
    } else {
      // Daylight saving moved the sunset past midnight: light from sunrise to the
      // end of the day and from midnight to the sunset.
      Bar(x, row[1], 24);
      Bar(x, 0, row[2]);
    }
  }
  SunCycleGrids();
  Dots(true, 6);
  Dots(false, 4);
  if (rt::WindowExists(kSunMessageWindow)) rt::CloseWindow(kSunMessageWindow);
  rt::SetOutputWindow(kSunChartWindow);
  rt::FlushWindow();
}

void ShowExportFailure(const std::string& reason) {
  rt::SetOutputWindow(kSunChartWindow);
  ClearArea(70, 292, 428, 320);
  Text(70, 312, Str255("Not saved: " + reason).str(), 12, kRed);
  zap();
}

// Runs the chart window until the user turns to another window. A click on the
// calculator's window that turned to it is handed back, so it acts there.
std::optional<Point> RunChartWindow() {
  const HandlerScope callersHandlers;
  bool clickBehind = false;  // the event in hand is a click on a window behind the chart
  rt::SetDialogHandler([&clickBehind](int16_t kind, int16_t item) {
    clickBehind = kind == 3;
    doDIALOG(kind, item);
  });
  rt::BringWindowForward(kSunChartWindow);
  WINDOWCLEAR();
  EventID = 0;
  std::optional<Point> turnedBy;
  bool done = false;
  while (!done && rt::WindowExists(kSunChartWindow)) {
    clickBehind = false;
    rt::PumpEvents();
    if (Action == ActionCode::CloseBox && EventID == kSunChartWindow) {
      rt::CloseWindow(kSunChartWindow);
      done = true;
    } else if (Action == ActionCode::WindowActivity && EventID != kSunChartWindow) {
      if (clickBehind && EventID == kCalculatorWindow && rt::LastClickWindow() == kCalculatorWindow)
        turnedBy = rt::LastClickPosition();
      done = true;
    } else if (Action == ActionCode::Click && EventID == kPrintButton) {
      std::string reason;
      if (!PrintSunCycleToSpreadsheet(&reason) && !reason.empty()) ShowExportFailure(reason);
    }
    Action = 0;
    EventID = 0;
  }
  if (rt::WindowExists(kSunChartWindow)) {
    rt::SetOutputWindow(kSunChartWindow);
    rt::SetControlState(kPrintButton, 0);
  }
  return turnedBy;
}

}  // namespace

int16_t DayX(int16_t n) {
  return static_cast<int16_t>(std::trunc(1.5 * n + 70));
}

int16_t HourY(float hours) {
  return static_cast<int16_t>(std::trunc(270.0f - 10.0f * hours));
}

MonthDay MonthDayOf(int16_t n) {
  for (const auto& m : kMonths)
    if (n <= m.last) return {m.name, static_cast<int16_t>(n - m.before)};
  return {"December", static_cast<int16_t>(n - 334)};
}

void FillSunCycle(int16_t daylightSaving) {
  for (int16_t n = 1; n <= 365; ++n) {
    const float length = SunriseCalc(0, n, daylightSaving);
    auto& row = SunCycleArray[static_cast<std::size_t>(n)];
    row[0] = length;
    row[1] = JulianSunrise;
    row[2] = JulianSunset;
    if (length == 24.0f) {
      row[1] = 0;
      row[2] = 24;
    } else if (length == 0.0f) {
      row[1] = 24;
      row[2] = 0;
    }
  }
}

std::string SunCycleCsv(float absLatitude, float absLongitude, int16_t north, int16_t west) {
  std::string out = "Annual sun cycle at " + NumberText(absLatitude).str() +
                    (north ? " degrees N; " : " degrees S; ") + NumberText(absLongitude).str() +
                    (west ? " degrees W" : " degrees E") + "\r";
  out += "Julian date,Month,Day,Sunrise time,Sunset time,Hours of daylight\r";
  for (int16_t n = 1; n <= 365; ++n) {
    const auto& row = SunCycleArray[static_cast<std::size_t>(n)];
    const MonthDay md = MonthDayOf(n);
    out += NumberText(n).str() + "," + md.month + "," + NumberText(md.day).str() + "," +
           NumberText(row[1]).str() + "," + NumberText(row[2]).str() + "," + NumberText(row[0]).str() + "\r";
  }
  return out;
}

Str255 SunCycleTitle(float absLatitude, float absLongitude, int16_t north, int16_t west) {
  return Str255("Annual sun cycle for ") + NumberText(absLatitude) + degrees + " " +
         (north ? "N, " : "S;  ") + NumberText(absLongitude) + degrees + (west ? "W" : "E");
}

bool PrintSunCycleToSpreadsheet(std::string* reason) {
  const auto path = rt::SaveFilePanel("File for sun cycle data:", "Sun cycle data.csv");
  if (!path) return false;
  return WriteFileReplacing(
      *path, SunCycleCsv(std::fabs(latitude), std::fabs(longitude), NorthOfPlace(), WestOfPlace()), reason);
}

std::optional<Point> RunAnnualSunCycle(int16_t daylightSaving) {
  SunCycleWindow();
  FillSunCycle(daylightSaving);
  SunCyclePlot();
  const std::optional<Point> turnedBy = RunChartWindow();
  if (rt::WindowExists(kSunMessageWindow)) rt::CloseWindow(kSunMessageWindow);
  return turnedBy;
}

}  // namespace mv::calc
