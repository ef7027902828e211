// The day-of-year, unit-conversion and sun-cycle windows driven from inside their
// own loops, with the annual chart, its export and the world map.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QMouseEvent>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "calculators/day_of_year.h"
#include "calculators/number_text.h"
#include "calculators/state.h"
#include "calculators/sun_cycle_plot.h"
#include "calculators/sun_cycle_window.h"
#include "calculators/sunrise_calc.h"
#include "calculators/unit_conversions.h"
#include "calculators/world_map.h"
#include "common/test_support.h"
#include "kit/date_text.h"
#include "kit/format.h"
#include "kit/state.h"
#include "noaa_reference.h"
#include "runtime/panels.h"
#include "runtime/sound.h"
#include "runtime/system.h"
#include "setup/window_driver.h"

namespace mv::calc {
namespace {

using test::WindowDriver;
constexpr int16_t W = 8;

std::string Field(int16_t window, int16_t field) {
  rt::SetOutputWindow(window);
  return rt::EditText(field);
}

WindowDriver::Step SetText(int16_t window, int16_t field, std::string text) {
  return [=] {
    rt::SetOutputWindow(window);
    rt::SetEditText(field, text);
    return true;
  };
}

WindowDriver::Step Pick(int16_t window, int16_t control, int item) {
  return [=] {
    auto* combo = qobject_cast<QComboBox*>(rt::bridge::ControlWidget(window, control));
    if (!combo) return false;
    combo->setCurrentIndex(item - 1);
    emit combo->activated(item - 1);
    return true;
  };
}

WindowDriver::Step ReturnIn(int16_t window, int16_t field) {
  return [=] {
    QWidget* e = rt::bridge::EditFieldWidget(window, field);
    if (!e) return false;
    e->setFocus(Qt::OtherFocusReason);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
    QApplication::sendEvent(e, &press);
    return true;
  };
}

// The next save panel is answered with this path, or cancelled.
WindowDriver::Step AnswerPanel(std::optional<std::string> path) {
  return [path] {
    rt::QueuePanelAnswer(path);
    return true;
  };
}

std::string Shot(const char* name) {
  return (test::TestOutputDir() / name).string();
}

class SunWindowsTest : public test::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    setenv("MV_RESOURCES_DIR", test::SourcePath("resources").c_str(), 1);
  }
  template <typename Fn>
  void Run(WindowDriver& driver, Fn window) {
    try {
      window();
      EXPECT_TRUE(driver.Finished()) << "the window ended before every step ran";
    } catch (const test::DriverStuck& s) {
      ADD_FAILURE() << s.what;
    }
  }
};

TEST_F(SunWindowsTest, DayOfTheYearComputesOnPopupAndReturn) {
  const InitialDate today = TodaysDate(TodayDateText());
  const int32_t expected =
      DayOfYearFor(today.month, TextToNumber(today.day.str()), TextToNumber(today.year.str()));
  WindowDriver d;
  d.WaitFor(W)
      .Check([&] { EXPECT_EQ(Field(W, 112), NumText(expected).str()) << "filled on opening"; })
      .Then("date", SetText(W, 111, "29"))
      .Then("year", SetText(W, 113, "2024"))
      .Then("month", Pick(W, 54, 2))
      .Check([] { EXPECT_EQ(Field(W, 112), " 60"); })
      .Then("typed result", SetText(W, 112, "7"))
      .Then("march", Pick(W, 54, 3))
      .Then("day", SetText(W, 111, "1"))
      .Then("return", ReturnIn(W, 111))
      .Check([] { EXPECT_EQ(Field(W, 112), " 61"); })
      .Then("tab",
            [] {
              QWidget* e = rt::bridge::EditFieldWidget(W, 111);
              e->setFocus(Qt::OtherFocusReason);
              QKeyEvent press(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier, "\t");
              QApplication::sendEvent(e, &press);
              return true;
            })
      .Check([] { EXPECT_EQ(Field(W, 111), "1") << "Tab inserts nothing"; })
      .Shot(W, Shot("w8-day-of-year.png"))
      .Click(W, 20);
  Run(d, [] { DayOfTheYear(); });
  EXPECT_FALSE(rt::WindowExists(W));
}

TEST_F(SunWindowsTest, UnitConversionsConvertOnChoiceSwapAndCategory) {
  WindowDriver d;
  d.WaitFor(W)
      .Check([] {
        EXPECT_EQ(Field(W, 112), ".23889");
        EXPECT_EQ(Field(W, 113), "joules");
      })
      .Then("value", SetText(W, 111, "212"))
      .Then("F to C", Pick(W, kEnergyPopup, 10))
      .Check([] {
        EXPECT_EQ(Field(W, 112), " 100");
        EXPECT_EQ(Field(W, 113),
                  "\xA1"
                  "F");
        EXPECT_EQ(Field(W, 115),
                  "\xA5 standard '5/9 X (\xA1"
                  "F - 32)' conversion");
      })
      .Click(W, 118)
      .Check([] {
        EXPECT_EQ(Field(W, 111), " 100");
        EXPECT_EQ(Field(W, 112), "(swapped)");
      })
      .Then("return", ReturnIn(W, 111))
      .Check([] { EXPECT_EQ(Field(W, 112), " 37.778"); })
      .Then("one", SetText(W, 111, "1"))
      .Click(W, 124)
      .Check([] {
        EXPECT_EQ(Field(W, 113), "Torr");
        EXPECT_EQ(Field(W, 112), " 0.13332");  // five digits, not " 0.1333224028"
        EXPECT_EQ(Field(W, 115), " ");
        EXPECT_TRUE(rt::ControlExists(kPressurePopup));
        EXPECT_FALSE(rt::ControlExists(kEnergyPopup));
        EXPECT_EQ(rt::ControlState(121), 1);
      })
      .Then("atm to torr", Pick(W, kPressurePopup, 8))
      .Check([] { EXPECT_EQ(Field(W, 112), " 760"); });
  // Saturation vapour pressure and density from 0 to 10 C against the IAPWS
  // equations (over ice below 0.01 C, over water from it), worked out on their own;
  // the density is that pressure as an ideal gas.
  struct Vapour {
    const char* celsius;
    double torr, gramsPerM3;
  };
  for (const Vapour& v :
       {Vapour{"0", 4.584028, 4.84793}, Vapour{"0.01", 4.587805, 4.85174}, Vapour{"0.5", 4.753725, 5.01821},
        Vapour{"5", 6.544515, 6.79686}, Vapour{"10", 9.211599, 9.39785}}) {
    d.Then("temperature", SetText(W, 111, v.celsius))
        .Then("torr", Pick(W, kPressurePopup, 16))
        .Check([v] { EXPECT_NEAR(TextToNumber(Field(W, 112)), v.torr, v.torr * 1e-4) << v.celsius; })
        .Then("temperature", SetText(W, 111, v.celsius))
        .Then("g/m3", Pick(W, kPressurePopup, 17))
        .Check([v] {
          EXPECT_NEAR(TextToNumber(Field(W, 112)), v.gramsPerM3, v.gramsPerM3 * 5e-4) << v.celsius;
        });
  }
  d.Then("temperature", SetText(W, 111, "0.01"))
      .Then("torr", Pick(W, kPressurePopup, 16))
      .Shot(W, Shot("w8-unit-conversions.png"))
      .Click(W, 120);
  Run(d, [] { UnitCONVERT(); });
  EXPECT_FALSE(rt::WindowExists(W));
}

TEST_F(SunWindowsTest, SunCycleCalculatesPlotsExportsAndPicksFromTheMap) {
  const auto dir = test::MakeTempDir("sun-export");
  const std::string path = (dir / "Sun cycle data.csv").string();
  std::string urlOpened;
  rt::SetURLOpener([&](const std::string& url) { urlOpened = url; });
  WindowDriver d;
  d.WaitFor(W)
      .Check([] { EXPECT_EQ(Field(W, 1), "33.95"); })
      .Then("lat", SetText(W, 1, "51.5"))
      .Then("lon", SetText(W, 2, "0"))
      .Then("day", SetText(W, 112, "355"))
      .Click(W, 240)
      .Check([] {
        EXPECT_EQ(Field(W, 5), ComputeSunDay(355, 51.5f, 0, false).sunriseText.str());
        EXPECT_EQ(Field(W, 7), " 7 hours, 49 minutes of daylight");
        EXPECT_EQ(latitude, 51.5f);
      })
      .Click(W, 244)
      .Check([] {
        EXPECT_EQ(Field(W, 5), ComputeSunDay(355, 51.5f, 0, true).sunriseText.str()) << "repeated with DST";
      })
      .Click(W, 244)
      .Click(W, 102)
      .Then("lat 70", SetText(W, 1, "70"))
      .Click(W, 240)
      .Check([] {
        EXPECT_EQ(latitude, -70.0f);
        EXPECT_EQ(Field(W, 6), "24-hour sunlight (Antarctic summer)");
      })
      .Click(W, 243)
      .Click(W, 245)
      .WaitFor(kSunChartWindow)
      .Shot(kSunChartWindow, Shot("w777-sun-cycle.png"))
      .Then("cancel", AnswerPanel(std::nullopt))
      .Click(kSunChartWindow, 1)
      .Then("answer", AnswerPanel(path))
      .Click(kSunChartWindow, 1)
      .Event(18, -kSunChartWindow)
      .Check([] {
        rt::SetOutputWindow(kSunChartWindow);
        EXPECT_EQ(rt::ControlState(1), 0) << "the export is offered only until the user turns away";
      })
      .Click(W, 230)
      .WaitFor(kMapStrip)
      .Shot(kMapWindow, Shot("w778-world-map.png"))
      .Key(kMapWindow, Qt::Key_Space, " ")
      .Check([] { EXPECT_EQ(Field(kMapStrip, 12), "   0.00\xA1 N,   0.00\xA1 W"); })
      .Click(kMapStrip, 20)
      .Check([] {
        EXPECT_EQ(northLatitude, 1);
        EXPECT_EQ(Field(W, 1), " 0");
      })
      .Shot(W, Shot("w8-sun-cycle.png"))
      .Click(W, 241);
  Run(d, [] { Sunrise(); });
  EXPECT_FALSE(rt::WindowExists(W));
  EXPECT_FALSE(rt::WindowExists(kSunChartWindow));
  EXPECT_FALSE(urlOpened.empty());
  std::ifstream in(path, std::ios::binary);
  const std::string csv(std::istreambuf_iterator<char>(in), {});
  EXPECT_EQ(csv.substr(0, 56), "Annual sun cycle at  70 degrees S;  0 degrees W\rJulian d");
  EXPECT_NE(csv.find("\r 172,June, 21, 24, 0, 0\r"), std::string::npos) << csv.substr(0, 200);
  EXPECT_NE(csv.find("\r 355,December, 21, 0, 24, 24\r"), std::string::npos);
  rt::SetURLOpener(nullptr);
  std::filesystem::remove_all(dir);
}

// The annual export at high latitudes, as a user makes it: sunrise and sunset follow
// the sun as it moves during the day, within 2 minutes of the moment the sun itself
// crosses the horizon by the NOAA equations, on every day of the year it rises and
// sets (the days next to polar day and night included); a day it does neither is a
// day of 24 or 0 hours on the side the sun stays. 78.2 N is Longyearbyen.
TEST_F(SunWindowsTest, AnnualExportAtHighLatitudesAgreesWithNoaaOnEveryDayTheSunRisesAndSets) {
  const auto dir = test::MakeTempDir("sun-high-latitudes");
  const std::string path = (dir / "Sun cycle data.csv").string();
  for (const char* lat : {"65", "70", "78", "78.2"}) {
    SCOPED_TRACE(lat);
    WindowDriver d;
    d.WaitFor(W)
        .Then("lat", SetText(W, 1, lat))
        .Then("lon", SetText(W, 2, "0"))
        .Click(W, 245)
        .WaitFor(kSunChartWindow)
        .Then("answer", AnswerPanel(path))
        .Click(kSunChartWindow, 1)
        .Event(18, -kSunChartWindow)
        .Click(W, 241);
    Run(d, [] { Sunrise(); });
    std::ifstream in(path, std::ios::binary);
    std::string line;
    std::getline(in, line, '\r');
    std::getline(in, line, '\r');
    int days = 0, polar = 0;
    for (int n = 1; n <= 365 && std::getline(in, line, '\r'); ++n) {
      std::vector<double> v;  // day, (month), day of month, sunrise, sunset, daylight
      std::stringstream fields(line);
      for (std::string f; std::getline(fields, f, ',');) v.push_back(TextToNumber(f));
      ASSERT_EQ(v.size(), 6u) << line;
      const test::noaa::Events ref = test::noaa::EventsOf(n, TextToNumber(lat), 0);
      if (ref.rise && ref.set) {
        ++days;
        EXPECT_NEAR(v[3] * 60, *ref.rise, 2.0) << line;
        EXPECT_NEAR(v[4] * 60, *ref.set, 2.0) << line;
      } else if (!ref.rise && !ref.set) {
        ++polar;
        EXPECT_EQ(v[5], ref.upAtNoon ? 24 : 0) << line;
      }
    }
    EXPECT_GT(days, 120);
    EXPECT_GT(polar, std::string(lat) == "65" ? -1 : 100);
  }
  std::filesystem::remove_all(dir);
}

// A press of the mouse on a control of a window, as the window system delivers it.
WindowDriver::Step PressOn(int16_t window, int16_t control) {
  return [=] {
    QWidget* c = rt::bridge::ControlWidget(window, control);
    if (!c) c = rt::bridge::EditFieldWidget(window, control);
    if (!c) return false;
    const QPointF local(c->width() / 2.0, c->height() / 2.0), global = c->mapToGlobal(local);
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(c, &press);
    QApplication::sendEvent(c, &release);
    return true;
  };
}

// With the annual chart in front, the user's first click on the calculator turns to
// it and acts as a click there does: it is not spent on turning away from the chart.
TEST_F(SunWindowsTest, AfterTheAnnualPlotTheFirstClickOnTheCalculatorActs) {
  struct Case {
    const char* name;
    int16_t control;
    std::function<void()> check;
  };
  const Case cases[] = {
      {"Calculate", 240,
       [] { EXPECT_EQ(Field(W, 5), ComputeSunDay(172, 51.5f, 0, false).sunriseText.str()); }},
      {"South", 102,
       [] {
         rt::SetOutputWindow(W);
         EXPECT_EQ(rt::ControlState(102), 2);
         EXPECT_EQ(northLatitude, 0);
       }},
      {"Daylight Savings Time", 244,
       [] {
         rt::SetOutputWindow(W);
         EXPECT_EQ(rt::ControlState(244), 2);
       }},
      {"the latitude field", 1,
       [] {
         rt::SetOutputWindow(W);
         EXPECT_EQ(rt::FocusedEditField(), 1);
       }},
      {"the month popup", 54,
       [] {
         auto* combo = qobject_cast<QComboBox*>(rt::bridge::ControlWidget(W, 54));
         ASSERT_NE(combo, nullptr);
         EXPECT_TRUE(combo->view()->isVisible()) << "its list is open for a choice";
         combo->hidePopup();
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WindowDriver d;
    d.WaitFor(W)
        .Then("lat", SetText(W, 1, "51.5"))
        .Then("lon", SetText(W, 2, "0"))
        .Then("day", SetText(W, 112, "172"))
        .Click(W, 245)
        .WaitFor(kSunChartWindow)
        .Then("press", PressOn(W, c.control))
        .Then("turned", [] { return rt::FrontWindow() == W; })
        .Check(c.check)
        .Click(W, 241);
    Run(d, [] { Sunrise(); });
  }
  // Done ends the calculator at once.
  WindowDriver d;
  d.WaitFor(W).Click(W, 245).WaitFor(kSunChartWindow).Then("press", PressOn(W, 241));
  Run(d, [] { Sunrise(); });
  EXPECT_FALSE(rt::WindowExists(W));
}

// A place typed beyond any number has no chart: the calculator says why, with the
// buzz, instead of drawing a year of night; a chart of an earlier place goes.
// The annual plot of a place not on the earth (a latitude beyond 90, a longitude beyond
// 180, a number beyond any) draws no chart and offers no export: the result line says
// why. At the limits themselves the chart and its export are made: at 90 N the sun
// stays up through the June solstice. A minus sign typed with "North" is the south,
// and the chart and its file name the place whose times they give.
TEST_F(SunWindowsTest, AnAnnualPlotOfAPlaceNotOnTheEarthSaysWhyInsteadOfAChart) {
  Sound_Is_On = 1;
  std::vector<std::string> sounds;
  rt::SetSoundSink([&sounds](const std::string& path) { sounds.push_back(test::SoundFileName(path)); });
  const auto dir = test::MakeTempDir("sun-limits");
  struct Case {
    int16_t field;
    const char* typed;
    const char* refusal;        // nullptr: the chart is drawn and exported
    const char* june21;         // the export's row of 21 June
    const char *place, *title;  // the file's first line and the chart's title: the place the times are of
  };
  const Case cases[] = {
      {1, "1e39", "no result: number too large", nullptr, nullptr, nullptr},
      {1, "95", "no result: latitude 95 is beyond 90 degrees", nullptr, nullptr, nullptr},
      {1, "90", nullptr, "\r 172,June, 21, 0, 24, 24\r",
       "Annual sun cycle at  90 degrees N;  117.33 degrees W\r", "Annual sun cycle for  90\xA1 N,"},
      {2, "180.5", "no result: longitude 180.5 is beyond 180 degrees", nullptr, nullptr, nullptr},
      {2, "1e6", "no result: longitude 1000000 is beyond 180 degrees", nullptr, nullptr, nullptr},
      {2, "180", nullptr, "\r 172,June, 21, 0, 24, 24\r",
       "Annual sun cycle at  90 degrees N;  180 degrees W\r", "Annual sun cycle for  90\xA1 N,"},
      // A minus sign with "North" is the south: the polar night, and a title that says so.
      {1, "-70", nullptr, "\r 172,June, 21, 24, 0, 0\r",
       "Annual sun cycle at  70 degrees S;  117.33 degrees W\r", "Annual sun cycle for  70\xA1 S;"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.field == 1 ? "latitude " : "longitude ") + c.typed);
    const std::string path = (dir / (std::string(c.typed) + ".csv")).string();
    WindowDriver d;
    d.WaitFor(W)
        .Then("lat at the pole", SetText(W, 1, "90"))
        .Click(W, 240)
        .Click(W, 245)
        .WaitFor(kSunChartWindow)
        .Event(18, -kSunChartWindow)
        .Then("typed", SetText(W, c.field, c.typed))
        .Then("forget",
              [&sounds] {
                sounds.clear();
                return true;
              })
        .Click(W, 245);
    if (c.refusal) {
      d.Check([&sounds, c] {
         EXPECT_FALSE(rt::WindowExists(kSunChartWindow)) << "the earlier chart, of another place, goes";
         EXPECT_EQ(Field(W, 5), c.refusal);
         for (const int16_t field : {6, 7, 8}) EXPECT_EQ(Field(W, field), "") << field;
         EXPECT_EQ(std::count(sounds.begin(), sounds.end(), "bzot.mp3"), 1) << "the buzz, once";
       })
          .Shot(W, Shot("w8-sun-cycle-no-place.png"))
          .Click(W, 244)
          .Check([c] {
            EXPECT_EQ(Field(W, 5), c.refusal) << "daylight saving brings back no earlier place's times";
          });
    } else {
      d.WaitFor(kSunChartWindow)
          .Check([c] {
            const std::string title = rt::WindowTitle(kSunChartWindow).str();
            EXPECT_NE(title.find(c.title), std::string::npos) << title;
          })
          .Then("answer", AnswerPanel(path))
          .Click(kSunChartWindow, 1)
          .Event(18, -kSunChartWindow);
    }
    d.Click(W, 241);
    Run(d, [] { Sunrise(); });
    if (c.june21) {
      std::ifstream in(path, std::ios::binary);
      const std::string csv(std::istreambuf_iterator<char>(in), {});
      EXPECT_NE(csv.find(c.june21), std::string::npos) << csv.substr(0, 300);
      EXPECT_EQ(csv.rfind(c.place, 0), 0u) << csv.substr(0, 100);
    } else {
      EXPECT_FALSE(std::filesystem::exists(path));
    }
  }
  std::filesystem::remove_all(dir);
}

// The day to calculate is given either by the day of the year or by the date;
// whichever the user changed last counts. Shows the window and the annual chart at
// 51.5 N.
TEST_F(SunWindowsTest, SunCycleTakesTheDayOrTheDateChangedLast) {
  auto shows = [](int n) {
    return [n] {
      const SunDay day = ComputeSunDay(static_cast<int16_t>(n), 51.5f, 0, false, 2100);
      EXPECT_EQ(Field(W, 5), day.sunriseText.str()) << "day " << n;
      EXPECT_EQ(Field(W, 6), day.sunsetText.str()) << "day " << n;
      EXPECT_EQ(Field(W, 7), day.lengthText.str()) << "day " << n;
    };
  };
  WindowDriver d;
  d.WaitFor(W)
      .Then("lat", SetText(W, 1, "51.5"))
      .Then("lon", SetText(W, 2, "0"))
      .Then("year", SetText(W, 113, "2100"))
      .Then("day", SetText(W, 111, "20"))
      .Then("march", Pick(W, 54, 3))
      .Click(W, 240)
      .Check([&] {
        EXPECT_EQ(Field(W, 112), " 79") << "2100 is not a leap year";
        shows(79)();
      })
      .Then("typed day", SetText(W, 112, "172"))
      .Click(W, 240)
      .Check([&] {
        EXPECT_EQ(Field(W, 112), "172") << "the typed day stands";
        shows(172)();
      })
      .Then("december", Pick(W, 54, 12))
      .Then("date", SetText(W, 111, "21"))
      .Then("typed after the date", SetText(W, 112, "100"))
      .Click(W, 240)
      .Check([&] {
        EXPECT_EQ(Field(W, 112), "100") << "typed after the date was changed";
        shows(100)();
      })
      .Then("typed day", SetText(W, 112, "200"))
      .Then("date after the typed day", SetText(W, 111, "1"))
      .Click(W, 240)
      .Check([&] {
        EXPECT_EQ(Field(W, 112), " 335") << "1 December, changed after the day was typed";
        shows(335)();
      })
      .Then("back to the solstice", SetText(W, 111, "21"))
      .Click(W, 240)
      .Shot(W, Shot("w8-sun-cycle-51N.png"))
      .Click(W, 245)
      .WaitFor(kSunChartWindow)
      .Check([] {
        const SunDay june = ComputeSunDay(172, 51.5f, 0, false);
        EXPECT_EQ(SunCycleArray[172][1], june.sunriseHours);
        EXPECT_EQ(SunCycleArray[172][2], june.sunsetHours);
      })
      .Shot(kSunChartWindow, Shot("w777-sun-cycle-51N.png"))
      .Event(18, -kSunChartWindow)
      .Click(W, 241);
  Run(d, [] { Sunrise(); });
  EXPECT_FALSE(rt::WindowExists(W));
  EXPECT_FALSE(rt::WindowExists(kSunChartWindow));
}

// The minutes after midnight of a shown time ("...time:  5 : 50"), and of a shown day
// length (" 12 hours, 37 minutes of daylight").
double ClockMinutes(const std::string& text) {
  const std::size_t time = text.find("time:");
  if (time == std::string::npos) return -1;
  return TextToNumber(text.substr(time + 5)) * 60 + TextToNumber(text.substr(text.rfind(':') + 1));
}
double LengthMinutes(const std::string& text) {
  return TextToNumber(text) * 60 + TextToNumber(text.substr(text.find(',') + 1));
}

// A shown time has its minutes cut: the reference, to the second, lies in the minute
// shown (with a few seconds of slack for the two ways of finding it).
void ExpectInMinuteShown(double shown, double reference, const std::string& what) {
  EXPECT_GE(reference - shown, -0.1) << what;
  EXPECT_LE(reference - shown, 1.1) << what;
}

// Every result the sun window and its export give is checked against the NOAA
// equations with the horizon crossings found by halving on the sun's altitude,
// written out apart from the program.
struct SunChecks {
  int results = 0;
};

// A date gives the times of its own year: 20 March 2024 is day 80, and after February
// a leap year's days are not those of a common year. A day number the year does not
// have gives no times.
TEST_F(SunWindowsTest, ADateGivesTheTimesOfItsOwnYear) {
  struct Case {
    const char *lat, *lon;
    bool south;
    int16_t month;
    const char *day, *year;
    int n;
  };
  const Case cases[] = {
      {"78.2", "0", false, 3, "20", "2024", 80},        {"78.2", "-15.6", false, 4, "10", "2024", 101},
      {"51.5", "0", false, 3, "1", "2024", 61},         {"33.95", "117.33", false, 12, "31", "2024", 366},
      {"33.87", "-151.21", true, 9, "15", "2024", 259}, {"51.5", "0", false, 3, "20", "2023", 79},
      {"69.6", "-18.9", false, 10, "15", "2000", 289},  {"51.5", "0", false, 3, "20", "2100", 79},
  };
  SunChecks count;
  WindowDriver d;
  d.WaitFor(W);
  for (const Case& c : cases) {
    const std::string what = std::string(c.lat) + " " + c.day + "/" + std::to_string(c.month) + "/" + c.year;
    const double lat = TextToNumber(c.lat) * (c.south ? -1 : 1), lon = TextToNumber(c.lon);
    d.Click(W, c.south ? 102 : 101)
        .Then("lat", SetText(W, 1, c.lat))
        .Then("lon", SetText(W, 2, c.lon))
        .Then("year", SetText(W, 113, c.year))
        .Then("day", SetText(W, 111, c.day))
        .Then("month", Pick(W, 54, c.month))
        .Click(W, 240)
        .Check([&count, c, what, lat, lon] {
          EXPECT_EQ(TextToNumber(Field(W, 112)), c.n) << what;
          const test::noaa::DayCrossings ref =
              test::noaa::CrossingsOf(c.n, lat, lon, static_cast<int>(TextToNumber(c.year)));
          ASSERT_EQ(ref.rises.size(), 1u) << what;
          ASSERT_EQ(ref.sets.size(), 1u) << what;
          ExpectInMinuteShown(ClockMinutes(Field(W, 5)), ref.rises[0], what + " sunrise " + Field(W, 5));
          ExpectInMinuteShown(ClockMinutes(Field(W, 6)), ref.sets[0], what + " sunset " + Field(W, 6));
          ExpectInMinuteShown(LengthMinutes(Field(W, 7)), ref.minutesUp, what + " daylight " + Field(W, 7));
          count.results += 3;
        });
  }
  d.Shot(W, Shot("w8-sun-cycle-leap-year.png"));
  struct Refused {
    const char *dayOfYear, *year, *message;
  };
  const Refused refused[] = {{"366", "2023", "no result: day 366 is not a day of 2023"},
                             {"367", "2024", "no result: day 367 is not a day of 2024"},
                             {"0", "2024", "no result: day 0 is not a day of 2024"}};
  for (const Refused& r : refused) {
    d.Then("year", SetText(W, 113, r.year))
        .Then("typed day", SetText(W, 112, r.dayOfYear))
        .Click(W, 240)
        .Check([r] {
          EXPECT_EQ(Field(W, 5), r.message);
          EXPECT_EQ(Field(W, 6), "");
          EXPECT_EQ(Field(W, 7), "");
          EXPECT_EQ(Field(W, 112), r.dayOfYear) << "the typed day is not replaced";
        });
  }
  d.Shot(W, Shot("w8-sun-cycle-no-such-day.png")).Click(W, 241);
  Run(d, [] { Sunrise(); });
  EXPECT_EQ(count.results, 24);
  std::printf("[ sun results checked: %d dated ]\n", count.results);
}

// The rows of an annual export by day number (row 0 empty): day, (month), day of
// month, sunrise, sunset, daylight.
std::vector<std::vector<double>> ReadSunExport(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::vector<double>> rows(1);
  std::string line;
  std::getline(in, line, '\r');
  std::getline(in, line, '\r');
  while (std::getline(in, line, '\r')) {
    std::vector<double> v;
    std::stringstream fields(line);
    for (std::string f; std::getline(fields, f, ',');) v.push_back(TextToNumber(f));
    rows.push_back(v);
  }
  return rows;
}

// On the days at the edge of the polar day or night when the sun rises or sets only
// once, the window shows that event's time and says the other does not happen that
// day; the annual export holds the time, 0 or 24 for the missing one, and the hours
// the sun is up. The days are those the reference finds at 69.6 N and 78.2 S.
TEST_F(SunWindowsTest, OneEventDaysShowTheEventThatHappens) {
  const auto dir = test::MakeTempDir("sun-one-event");
  const std::string path = (dir / "Sun cycle data.csv").string();
  int results = 0;
  for (const double lat : {69.6, 78.2, -78.2}) {
    SCOPED_TRACE(lat);
    std::vector<int> days;
    for (int n = 1; n <= 365; ++n) {
      const test::noaa::DayCrossings ref = test::noaa::CrossingsOf(n, lat, 0);
      if (ref.rises.size() + ref.sets.size() == 1) days.push_back(n);
    }
    EXPECT_GE(days.size(), 1u) << "an edge of the polar day";
    WindowDriver d;
    d.WaitFor(W)
        .Click(W, lat > 0 ? 101 : 102)
        .Then("lat", SetText(W, 1, NumberText(std::fabs(lat)).str()))
        .Then("lon", SetText(W, 2, "0"))
        .Then("year", SetText(W, 113, "2014"));
    for (const int n : days) {
      d.Then("day", SetText(W, 112, std::to_string(n))).Click(W, 240).Check([&results, n, lat] {
        const test::noaa::DayCrossings ref = test::noaa::CrossingsOf(n, lat, 0);
        const std::string what = "day " + std::to_string(n);
        if (!ref.rises.empty()) {
          ExpectInMinuteShown(ClockMinutes(Field(W, 5)), ref.rises[0], what + " " + Field(W, 5));
          EXPECT_EQ(Field(W, 6), "No sunset this day: the sun is still up at midnight") << what;
        } else {
          ExpectInMinuteShown(ClockMinutes(Field(W, 6)), ref.sets[0], what + " " + Field(W, 6));
          EXPECT_EQ(Field(W, 5), "No sunrise this day: the sun is up from midnight") << what;
        }
        ExpectInMinuteShown(LengthMinutes(Field(W, 7)), ref.minutesUp, what + " " + Field(W, 7));
        results += 3;
      });
    }
    d.Shot(W, Shot(lat > 70 ? "w8-sun-cycle-one-event-78N.png" : "w8-sun-cycle-one-event.png"))
        .Click(W, 245)
        .WaitFor(kSunChartWindow)
        .Then("answer", AnswerPanel(path))
        .Click(kSunChartWindow, 1)
        .Event(18, -kSunChartWindow)
        .Click(W, 241);
    Run(d, [] { Sunrise(); });
    const std::vector<std::vector<double>> rows = ReadSunExport(path);
    ASSERT_EQ(rows.size(), 366u);
    for (const int n : days) {
      const test::noaa::DayCrossings ref = test::noaa::CrossingsOf(n, lat, 0);
      const auto& v = rows[static_cast<std::size_t>(n)];
      ASSERT_EQ(v.size(), 6u);
      if (!ref.rises.empty()) {
        EXPECT_NEAR(v[3] * 60, ref.rises[0], 0.1) << "day " << n;
        EXPECT_EQ(v[4], 24) << "day " << n;
      } else {
        EXPECT_EQ(v[3], 0) << "day " << n;
        EXPECT_NEAR(v[4] * 60, ref.sets[0], 0.1) << "day " << n;
      }
      EXPECT_NEAR(v[5] * 60, ref.minutesUp, 0.1) << "day " << n;
      results += 3;
    }
    std::printf("[ one-event days at %g:", lat);
    for (const int n : days) std::printf(" %d", n);
    std::printf(" ]\n");
  }
  std::printf("[ sun results checked: %d on one-event days ]\n", results);
  std::filesystem::remove_all(dir);
}

// A date that does not exist gives no day of the year and no times, in the Day of the
// Year window as in the sun window, instead of those of a day after it (31 April was
// taken as 1 May).
TEST_F(SunWindowsTest, AnImpossibleDateGivesNoDayInsteadOfAnotherDaysTimes) {
  struct Case {
    int16_t month;
    const char *day, *year, *message;
  };
  const Case cases[] = {{4, "31", "2024", "no result: 31 April is not a date"},
                        {1, "32", "2024", "no result: 32 January is not a date"},
                        {2, "0", "2024", "no result: 0 February is not a date"},
                        {9, "31", "2023", "no result: 31 September is not a date"},
                        {2, "29", "2023", "no result: 29 February 2023 is not a date"}};
  auto date = [](WindowDriver& d, int16_t month, const char* day, const char* year) -> WindowDriver& {
    return d.Then("year", SetText(W, 113, year))
        .Then("day", SetText(W, 111, day))
        .Then("month", Pick(W, 54, month));
  };
  WindowDriver days;
  days.WaitFor(W);
  for (const Case& c : cases) {
    date(days, c.month, c.day, c.year).Check([c] { EXPECT_EQ(Field(W, 112), c.message) << "picked"; });
    days.Then("return", ReturnIn(W, 111)).Check([c] { EXPECT_EQ(Field(W, 112), c.message) << "Return"; });
  }
  days.Shot(W, Shot("w8-day-of-year-no-date.png"));
  date(days, 2, "29", "2024").Check([] { EXPECT_EQ(Field(W, 112), " 60"); }).Click(W, 20);
  Run(days, [] { DayOfTheYear(); });

  WindowDriver sun;
  sun.WaitFor(W).Then("lon", SetText(W, 2, "0"));
  for (const Case& c : cases) {
    date(sun, c.month, c.day, c.year).Click(W, 240).Check([c] {
      EXPECT_EQ(Field(W, 5), c.message);
      for (const int16_t field : {6, 7, 8}) EXPECT_EQ(Field(W, field), "") << field;
      EXPECT_EQ(Field(W, 112), "") << "no day of the year";
    });
  }
  sun.Shot(W, Shot("w8-sun-cycle-no-date.png"));
  date(sun, 2, "29", "2024").Click(W, 240).Check([] {
    EXPECT_EQ(Field(W, 112), " 60");
    EXPECT_EQ(Field(W, 5), ComputeSunDay(60, 33.95f, 0, false, 2024).sunriseText.str());
  });
  sun.Click(W, 241);
  Run(sun, [] { Sunrise(); });
}

// The sun's equations hold for the years -1000 to 3000 and a place is on the earth
// within 90 degrees of latitude and 180 of longitude: at those limits the window gives
// the times the reference gives; beyond them, or for a year that is no number (left
// empty or typed in words, even with the day of the year typed), it gives none and
// says why, as it does for a date that does not exist.
TEST_F(SunWindowsTest, AYearTheEquationsDoNotHoldForOrAPlaceNotOnTheEarthIsRefused) {
  struct Case {
    const char *lat, *lon;
    bool south, east;
    int16_t month;
    const char *day, *year;
    const char* typedDay;  // a day of the year typed after the date, or nullptr
    int n;                 // the day of the year, for the reference
    const char* shown;     // the refusal in the sunrise line, the polar line in the sunset
                           // line, or nullptr: times within the minute of the reference
  };
  constexpr const char* kYears = ", the years the sun's equations hold for";
  const std::string refusedYear[] = {
      std::string("no result: year 3001 is outside -1000 to 3000") + kYears,
      std::string("no result: year -1001 is outside -1000 to 3000") + kYears,
      std::string("no result: year 99999 is outside -1000 to 3000") + kYears,
      std::string("no result: year 1000000000 is outside -1000 to 3000") + kYears,
      std::string("no result: year 200100 is outside -1000 to 3000") + kYears};
  const Case cases[] = {
      {"51.5", "0", false, false, 12, "21", "3000", nullptr, 355, nullptr},
      {"51.5", "0", false, false, 12, "21", "-1000", nullptr, 355, nullptr},
      {"51.5", "0", false, false, 12, "21", "3001", nullptr, 0, refusedYear[0].c_str()},
      {"51.5", "0", false, false, 12, "21", "-1001", nullptr, 0, refusedYear[1].c_str()},
      {"51.5", "0", false, false, 12, "21", "99999", nullptr, 0, refusedYear[2].c_str()},
      {"51.5", "0", false, false, 12, "21", "1e9", nullptr, 0, refusedYear[3].c_str()},
      {"51.5", "0", false, false, 12, "31", "200100", "366", 0, refusedYear[4].c_str()},
      {"51.5", "0", false, false, 6, "21", "", nullptr, 0, "no result: the year is no number"},
      {"51.5", "0", false, false, 6, "21", "twenty", nullptr, 0, "no result: the year is no number"},
      {"51.5", "0", false, false, 6, "21", "MMXXIV", "173", 0, "no result: the year is no number"},
      {"90", "0", false, false, 6, "21", "2024", nullptr, 173, "24-hour sunlight (Arctic summer)"},
      {"90", "0", true, false, 6, "21", "2024", nullptr, 173, "24-hour darkness (Antarctic winter)"},
      {"90.5", "0", false, false, 6, "21", "2024", nullptr, 0,
       "no result: latitude 90.5 is beyond 90 degrees"},
      {"180", "0", false, false, 12, "21", "2024", nullptr, 0,
       "no result: latitude 180 is beyond 90 degrees"},
      {"-95", "0", true, false, 6, "21", "2024", nullptr, 0, "no result: latitude 95 is beyond 90 degrees"},
      {"51.5", "180", false, false, 6, "21", "2024", nullptr, 173, nullptr},
      {"51.5", "180", false, true, 6, "21", "2024", nullptr, 173, nullptr},
      {"51.5", "180.5", false, true, 6, "21", "2024", nullptr, 0,
       "no result: longitude 180.5 is beyond 180 degrees"},
      {"51.5", "1e6", false, false, 6, "21", "2024", nullptr, 0,
       "no result: longitude 1000000 is beyond 180 degrees"},
  };
  int refused = 0, computed = 0;
  WindowDriver d;
  d.WaitFor(W);
  for (const Case& c : cases) {
    const std::string what = std::string(c.lat) + (c.south ? " S " : " N ") + c.lon +
                             (c.east ? " E " : " W ") + c.day + "/" + std::to_string(c.month) + "/" + c.year;
    d.Click(W, c.south ? 102 : 101)
        .Click(W, c.east ? 104 : 103)
        .Then("lat", SetText(W, 1, c.lat))
        .Then("lon", SetText(W, 2, c.lon))
        .Then("year", SetText(W, 113, c.year))
        .Then("day", SetText(W, 111, c.day))
        .Then("month", Pick(W, 54, c.month));
    if (c.typedDay) d.Then("typed day", SetText(W, 112, c.typedDay));
    d.Click(W, 240).Check([c, what, &refused, &computed] {
      const bool refusal = c.shown && std::string(c.shown).rfind("no result: ", 0) == 0;
      if (refusal) {
        EXPECT_EQ(Field(W, 5), c.shown) << what;
        for (const int16_t field : {6, 7, 8}) EXPECT_EQ(Field(W, field), "") << what << " field " << field;
        ++refused;
        return;
      }
      EXPECT_EQ(TextToNumber(Field(W, 112)), c.n) << what;
      if (c.shown) {
        EXPECT_EQ(Field(W, 6), c.shown) << what;
        ++computed;
        return;
      }
      const double lat = TextToNumber(c.lat) * (c.south ? -1 : 1),
                   lon = TextToNumber(c.lon) * (c.east ? -1 : 1);
      const test::noaa::DayCrossings ref =
          test::noaa::CrossingsOf(c.n, lat, lon, static_cast<int>(TextToNumber(c.year)));
      ASSERT_EQ(ref.rises.size(), 1u) << what;
      ASSERT_EQ(ref.sets.size(), 1u) << what;
      ExpectInMinuteShown(ClockMinutes(Field(W, 5)), ref.rises[0], what + " sunrise " + Field(W, 5));
      ExpectInMinuteShown(ClockMinutes(Field(W, 6)), ref.sets[0], what + " sunset " + Field(W, 6));
      ++computed;
    });
  }
  d.Shot(W, Shot("w8-sun-cycle-no-such-place.png")).Click(W, 241);
  Run(d, [] { Sunrise(); });
  EXPECT_EQ(refused, 13);
  EXPECT_EQ(computed, 6);
}

// Within a degree of a pole the sun's own climb through the day outweighs its daily
// circle, and on the days it first rises or last sets the times are where its
// altitude crosses the horizon; solar noon is its transit, not the midpoint of an
// unequal sunrise and sunset. The expected minutes were worked out once, apart from
// the program, by the NOAA solar-calculator equations (the sun's altitude stepped
// through the day at 15 s and each crossing halved to the second; the transit where
// the hour angle is 0); -1 for an event that does not happen that day.
TEST_F(SunWindowsTest, NearThePolesTheTimesAreWhereTheSunCrossesTheHorizon) {
  struct Case {
    const char* lat;
    bool south;
    int16_t month;
    const char *day, *year;
    double rise, set, up, noon;  // local mean minutes; minutes of daylight
  };
  const Case cases[] = {
      {"89.5", false, 9, "26", "2014", 622.97, 742.18, 119.21, 711.37},
      {"89", false, 3, "15", "2024", 715.16, 771.25, 56.08, 728.74},
      {"89", false, 3, "20", "2024", 146.06, -1, 1293.94, 727.29},
      {"89", false, 9, "22", "2024", -1, 1250.09, 1250.09, 712.57},
      {"89.5", true, 3, "20", "2024", -1, 1415.33, 1415.33, 727.29},
      {"89", true, 9, "22", "2024", 182.08, -1, 1257.92, 712.57},
      {"90", false, 3, "18", "2024", 30.68, -1, 1409.32, 727.88},
      {"90", false, 9, "24", "2024", -1, 957.99, 957.99, 711.87},
      {"90", true, 3, "22", "2024", -1, 341.47, 341.47, 726.69},
      {"90", true, 9, "20", "2024", 552.86, -1, 887.14, 713.28},
      {"69.6", true, 1, "23", "2023", 20.75, 1415.10, 1397.80, 731.78},  // and a sunset at 0:03
  };
  auto noonMinutes = [](const std::string& text) {
    return TextToNumber(text.substr(text.find('~') + 1)) * 60 +
           TextToNumber(text.substr(text.rfind(':') + 1));
  };
  WindowDriver d;
  d.WaitFor(W).Then("lon", SetText(W, 2, "0"));
  for (const Case& c : cases) {
    const std::string what =
        std::string(c.lat) + (c.south ? " S " : " N ") + c.day + "/" + std::to_string(c.month) + "/" + c.year;
    d.Click(W, c.south ? 102 : 101)
        .Then("lat", SetText(W, 1, c.lat))
        .Then("year", SetText(W, 113, c.year))
        .Then("day", SetText(W, 111, c.day))
        .Then("month", Pick(W, 54, c.month))
        .Click(W, 240)
        .Check([c, what, noonMinutes] {
          if (c.rise < 0) {
            EXPECT_EQ(Field(W, 5), "No sunrise this day: the sun is up from midnight") << what;
          } else {
            ExpectInMinuteShown(ClockMinutes(Field(W, 5)), c.rise, what + " " + Field(W, 5));
          }
          if (c.set < 0) {
            EXPECT_EQ(Field(W, 6), "No sunset this day: the sun is still up at midnight") << what;
          } else {
            ExpectInMinuteShown(ClockMinutes(Field(W, 6)), c.set, what + " " + Field(W, 6));
          }
          ExpectInMinuteShown(LengthMinutes(Field(W, 7)), c.up, what + " " + Field(W, 7));
          ExpectInMinuteShown(noonMinutes(Field(W, 8)), c.noon, what + " " + Field(W, 8));
        });
  }
  d.Shot(W, Shot("w8-sun-cycle-three-events-noon.png"));
  // The export's year, 2014, at 89.5 N: the days on either side of the last sunset.
  const auto dir = test::MakeTempDir("sun-near-pole");
  const std::string path = (dir / "Sun cycle data.csv").string();
  d.Click(W, 101)
      .Then("lat", SetText(W, 1, "89.5"))
      .Then("year", SetText(W, 113, "2014"))
      .Then("day", SetText(W, 111, "26"))
      .Then("month", Pick(W, 54, 9))
      .Click(W, 240)
      .Shot(W, Shot("w8-sun-cycle-near-pole.png"))
      .Click(W, 245)
      .WaitFor(kSunChartWindow)
      .Then("answer", AnswerPanel(path))
      .Click(kSunChartWindow, 1)
      .Event(18, -kSunChartWindow)
      .Click(W, 241);
  Run(d, [] { Sunrise(); });
  struct Row {
    int n;
    double rise, set, up;  // minutes, as the export holds them: 0 and 1440 for none
  };
  const std::vector<std::vector<double>> rows = ReadSunExport(path);
  ASSERT_EQ(rows.size(), 366u);
  for (const Row& r :
       {Row{78, 257.51, 1440, 1182.49}, Row{266, 0, 1399.60, 1399.60}, Row{267, 82.48, 1152.62, 1070.14},
        Row{268, 352.05, 990.57, 638.51}, Row{269, 622.97, 742.18, 119.21}, Row{270, 1440, 0, 0}}) {
    const auto& v = rows[static_cast<std::size_t>(r.n)];
    ASSERT_EQ(v.size(), 6u) << r.n;
    EXPECT_NEAR(v[3] * 60, r.rise, 0.1) << "day " << r.n;
    EXPECT_NEAR(v[4] * 60, r.set, 0.1) << "day " << r.n;
    EXPECT_NEAR(v[5] * 60, r.up, 0.1) << "day " << r.n;
  }
  std::filesystem::remove_all(dir);
}

// Near the polar circles a day can hold three sun events: a short night just after
// midnight and the next one beginning before the day ends (69.6 S, 23 January 2023),
// or the other way round (70 N, 15 May 2024). The day length is the time the sun is up
// between all of them, in the window and in every row of the annual export (70 S has
// such a day in the export's year), against the reference that steps the sun's
// altitude through the day.
TEST_F(SunWindowsTest, ADayWithThreeSunEventsCountsTheSunUpBetweenAllOfThem) {
  struct Case {
    const char* lat;
    bool south;
    int16_t month;
    const char *day, *year;
    int n;
  };
  const Case cases[] = {{"69.6", true, 1, "23", "2023", 23}, {"70", false, 5, "15", "2024", 136}};
  auto inMinuteOfOne = [](double shown, const std::vector<double>& events) {
    return std::any_of(events.begin(), events.end(),
                       [shown](double t) { return t - shown > -0.1 && t - shown < 1.1; });
  };
  const auto dir = test::MakeTempDir("sun-three-events");
  const std::string path = (dir / "Sun cycle data.csv").string();
  WindowDriver d;
  d.WaitFor(W).Then("lon", SetText(W, 2, "0"));
  for (const Case& c : cases) {
    const double lat = TextToNumber(c.lat) * (c.south ? -1 : 1);
    d.Click(W, c.south ? 102 : 101)
        .Then("lat", SetText(W, 1, c.lat))
        .Then("year", SetText(W, 113, c.year))
        .Then("day", SetText(W, 111, c.day))
        .Then("month", Pick(W, 54, c.month))
        .Click(W, 240)
        .Check([c, lat, inMinuteOfOne] {
          const std::string what =
              std::string(c.lat) + " " + c.day + "/" + std::to_string(c.month) + "/" + c.year;
          EXPECT_EQ(TextToNumber(Field(W, 112)), c.n) << what;
          const test::noaa::DayCrossings ref =
              test::noaa::CrossingsOf(c.n, lat, 0, static_cast<int>(TextToNumber(c.year)));
          ASSERT_EQ(ref.rises.size() + ref.sets.size(), 3u) << what;
          ExpectInMinuteShown(LengthMinutes(Field(W, 7)), ref.minutesUp, what + " daylight " + Field(W, 7));
          EXPECT_TRUE(inMinuteOfOne(ClockMinutes(Field(W, 5)), ref.rises)) << what << " " << Field(W, 5);
          EXPECT_TRUE(inMinuteOfOne(ClockMinutes(Field(W, 6)), ref.sets)) << what << " " << Field(W, 6);
        })
        .Shot(W, Shot(c.south ? "w8-sun-cycle-three-events-69S.png" : "w8-sun-cycle-three-events-70N.png"));
  }
  d.Then("lat", SetText(W, 1, "70"))
      .Click(W, 102)
      .Click(W, 245)
      .WaitFor(kSunChartWindow)
      .Then("answer", AnswerPanel(path))
      .Click(kSunChartWindow, 1)
      .Event(18, -kSunChartWindow)
      .Click(W, 241);
  Run(d, [] { Sunrise(); });
  const std::vector<std::vector<double>> rows = ReadSunExport(path);
  ASSERT_EQ(rows.size(), 366u);
  int threeEventDays = 0;
  for (int n = 1; n <= 365; ++n) {
    const test::noaa::DayCrossings ref = test::noaa::CrossingsOf(n, -70, 0);
    ASSERT_EQ(rows[static_cast<std::size_t>(n)].size(), 6u);
    if (ref.rises.size() + ref.sets.size() == 3) ++threeEventDays;
    EXPECT_NEAR(rows[static_cast<std::size_t>(n)][5] * 60, ref.minutesUp, 0.1) << "day " << n;
  }
  EXPECT_GE(threeEventDays, 1);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace mv::calc
