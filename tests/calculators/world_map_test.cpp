// The world-map position picker, opened from the sun-cycle calculator and driven from
// inside its own loop: the picture lies where the pointer mapping reads its places, a
// click picks the place the mapping gives, and Done without a pick or the close box
// leave the calculator's place as it was.
#include "calculators/world_map.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>
#include <charconv>
#include <cmath>
#include <cstring>
#include <optional>
#include <string>
#include <utility>

#include "calculators/frame.h"
#include "calculators/state.h"
#include "calculators/sun_cycle_window.h"
#include "common/test_support.h"
#include "common/window_steps.h"
#include "runtime/qt_bridge.h"
#include "runtime/windows.h"
#include "setup/window_driver.h"

namespace mv::calc {
namespace {

using test::WindowDriver;
constexpr int16_t W = kCalculatorWindow;
constexpr int16_t kLatitude = 1, kLongitude = 2, kNorth = 101, kWest = 103, kMapButton = 230, kSunDone = 241;
constexpr int16_t kSelected = 12, kMapDone = 20, kZoomIn = 142;

std::string Field(int16_t window, int16_t field) {
  rt::SetOutputWindow(window);
  return rt::EditText(field);
}

double Number(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  double v = NAN;
  if (first != std::string::npos) std::from_chars(text.data() + first, text.data() + text.size(), v);
  return v;
}

double SignedLatitude(const MapReading& r) {
  return r.north ? r.latitude : -r.latitude;
}
double SignedLongitude(const MapReading& r) {
  return r.west ? -r.longitude : r.longitude;
}

// The enlarged map's origin while it is shown; none for the standard map.
std::optional<std::pair<int16_t, int16_t>> gZoomOrigin;

MapReading ReadingAt(int x, int y) {
  return gZoomOrigin ? EnlargedMapReading(x, y, gZoomOrigin->first, gZoomOrigin->second)
                     : StandardMapReading(x, y);
}

// The map window's pixel whose reading by the picker's own mapping is nearest a place
// (degrees, north and east positive).
Point PixelOf(double lat, double lon) {
  const Rect content = rt::WindowContentRect(kMapWindow);
  Point best;
  double bestX = 1e9, bestY = 1e9;
  for (int x = 0; x < content.width(); ++x) {
    const double e = std::fabs(SignedLongitude(ReadingAt(x, 400)) - lon);
    if (e < bestX) bestX = e, best.h = static_cast<int16_t>(x);
  }
  for (int y = 0; y < content.height(); ++y) {
    const double e = std::fabs(SignedLatitude(ReadingAt(400, y)) - lat);
    if (e < bestY) bestY = e, best.v = static_cast<int16_t>(y);
  }
  return best;
}

// The pointer over a place of the map, as the window system reports a move.
WindowDriver::Step PointAt(double lat, double lon) {
  return [=] {
    QWidget* w = rt::bridge::WindowWidget(kMapWindow);
    if (!w) return false;
    const Point p = PixelOf(lat, lon);
    const QPointF local(p.h, p.v);
    QMouseEvent move(QEvent::MouseMove, local, w->mapToGlobal(local), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(w, &move);
    return true;
  };
}

// Sea or land at a pixel of the map as drawn: the 3 by 3 pixels there, sea where
// blue clearly leads red and is not below green.
bool SeaAtPixel(Point p) {
  rt::SetOutputWindow(kMapWindow);
  double r = 0, g = 0, b = 0;
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx) {
      const RGBColor c = rt::CanvasPixel(p.h + dx, p.v + dy);
      r += c.red / 257.0, g += c.green / 257.0, b += c.blue / 257.0;
    }
  return b > r + 30 * 9 && b >= g;
}

// Sea or land under a place on the standard map as drawn.
bool SeaAt(double lat, double lon) {
  return SeaAtPixel(PixelOf(lat, lon));
}

// A place and what lies there.
struct Place {
  const char* name;
  double lat, lon;
  bool sea;
};

// A click of the mouse at a pixel of the map window, as the window system reports it.
void ClickMapPixel(Point p) {
  test::WindowSteps::ClickSurface(kMapWindow, p.h, p.v)();
}

WindowDriver::Step ClickMapAt(double lat, double lon) {
  return [=] {
    if (!rt::bridge::WindowWidget(kMapWindow)) return false;
    ClickMapPixel(PixelOf(lat, lon));
    return true;
  };
}

WindowDriver::Step CloseBox(int16_t window) {
  return [window] {
    QWidget* w = rt::bridge::WindowWidget(window);
    if (!w) return false;
    w->close();
    return true;
  };
}

std::string Shot(const char* name) {
  return (test::TestOutputDir() / name).string();
}

class WorldMapTest : public test::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    gZoomOrigin.reset();
    setenv("MV_RESOURCES_DIR", test::SourcePath("resources").c_str(), 1);
    // A display the full-size map fits on: window pixels are the mapping's own.
    setenv("MV_DISPLAY_SIZE", "1920x1080", 1);
  }
  void TearDown() override {
    unsetenv("MV_DISPLAY_SIZE");
    ProgramTest::TearDown();
  }
  void Run(WindowDriver& driver) {
    try {
      Sunrise();
      EXPECT_TRUE(driver.Finished()) << "the window ended before every step ran";
    } catch (const test::DriverStuck& s) {
      ADD_FAILURE() << s.what;
    }
  }
};

// Places on both sides of the coasts near the 0 and 90 E meridians, the equator and
// elsewhere: a picture shifted by a few degrees against the mapping puts some of them
// on the wrong side.
TEST_F(WorldMapTest, PictureMeridiansLieWhereThePointerMappingPutsThem) {
  const Place places[] = {
      {"Gulf of Guinea by 0 N, 0 E", 2, 1, true},
      {"Gulf of Guinea off Gabon", -2, 7, true},
      {"Gabon", -2, 12, false},
      {"central Africa", 1, 20, false},
      {"south-west France on the 0 meridian", 45, 0.5, false},
      {"Bay of Biscay", 45, -5, true},
      {"Sahara on the 0 meridian", 20, 1, false},
      {"Horn of Africa", 9, 47, false},
      {"Arabian Sea off the Horn", 9, 54, true},
      {"Bay of Bengal on 90 E", 15, 90, true},
      {"Bangladesh on 90 E", 25, 90, false},
      {"southern India", 12, 78, false},
      {"Bay of Bengal off India", 12, 84, true},
      {"Amazon", -1, -60, false},
      {"Pacific off Ecuador", -1, -85, true},
      {"central Australia", -25, 135, false},
      {"Tasman Sea", -35, 160, true},
  };
  WindowDriver d;
  d.WaitFor(W).Click(W, kMapButton).WaitFor(kMapStrip).Check([&] {
    for (const Place& p : places) EXPECT_EQ(SeaAt(p.lat, p.lon), p.sea) << p.name;
  });
  d.Then("close", CloseBox(kMapWindow)).Click(W, kSunDone);
  Run(d);
}

TEST_F(WorldMapTest, ClickOnTheMapPicksThePlaceTheMappingGivesAndDoneHandsItBack) {
  const double lat = -33.87, lon = 151.21;  // Sydney
  std::optional<MapReading> expected;
  WindowDriver d;
  d.WaitFor(W)
      .Click(W, kMapButton)
      .WaitFor(kMapStrip)
      .Then("click", ClickMapAt(lat, lon))
      .Check([&] {
        const Point p = PixelOf(lat, lon);
        expected = StandardMapReading(p.h, p.v);
        EXPECT_EQ(Field(kMapStrip, kSelected),
                  "  " + LatitudeReadout(*expected).str() + ", " + LongitudeReadout(*expected).str());
      })
      .Shot(kMapWindow, Shot("w778-world-map-selected.png"))
      .Shot(kMapStrip, Shot("w775-world-map-strip-selected.png"))
      .Click(kMapStrip, kMapDone)
      .Check([&] {
        ASSERT_TRUE(expected);
        EXPECT_NEAR(Number(Field(W, kLatitude)), expected->latitude, 0.005) << "as shown in the field";
        EXPECT_NEAR(Number(Field(W, kLongitude)), expected->longitude, 0.005);
        EXPECT_NEAR(Number(Field(W, kLatitude)), -lat, 0.25);
        EXPECT_NEAR(Number(Field(W, kLongitude)), lon, 1 / 3.0);
        rt::SetOutputWindow(W);
        EXPECT_EQ(rt::ControlState(kNorth), 1) << "South is selected";
        EXPECT_EQ(rt::ControlState(kWest), 1) << "East is selected";
        EXPECT_EQ(northLatitude, 0);
        EXPECT_EQ(westLongitude, 0);
      })
      .Click(W, kSunDone);
  Run(d);
}

// The box to enlarge is placed with its corner at the pointer; the enlarged picture
// lies where the enlarged mapping reads its places, and a click there picks by it.
TEST_F(WorldMapTest, EnlargedMapLiesWhereItsMappingReadsAndAClickPicksByIt) {
  const double cornerLat = 20, cornerLon = -10;
  WindowDriver d;
  d.WaitFor(W)
      .Click(W, kMapButton)
      .WaitFor(kMapStrip)
      .Then("pointer", PointAt(cornerLat, cornerLon))
      .Click(kMapStrip, kZoomIn)
      .WaitFor(kZoomMessageWindow)
      .Key(kMapWindow, Qt::Key_Space, " ")
      .Then("enlarged",
            [=] {
              if (rt::WindowExists(kZoomMessageWindow)) return false;
              const Point corner = PixelOf(cornerLat, cornerLon);
              int x = corner.h, y = corner.v;
              ClampZoomCorner(x, y);
              int16_t ox = 0, oy = 0;
              ZoomOrigin(x, y, ox, oy);
              gZoomOrigin = std::make_pair(ox, oy);
              return true;
            })
      .Check([] {
        EXPECT_TRUE(SeaAt(2, 1)) << "Gulf of Guinea";
        EXPECT_TRUE(SeaAt(-2, 7)) << "off Gabon";
        EXPECT_FALSE(SeaAt(-2, 12)) << "Gabon";
        EXPECT_FALSE(SeaAt(1, 20)) << "central Africa";
        EXPECT_FALSE(SeaAt(9, 47)) << "Horn of Africa";
        EXPECT_TRUE(SeaAt(9, 54)) << "Arabian Sea";
        EXPECT_FALSE(SeaAt(15, 0.5)) << "Sahel on the 0 meridian";
      })
      .Shot(kMapWindow, Shot("w778-world-map-enlarged.png"))
      .Then("click", ClickMapAt(-4.32, 15.31))  // Kinshasa
      .Check([] {
        const Point p = PixelOf(-4.32, 15.31);
        const MapReading r = ReadingAt(p.h, p.v);
        EXPECT_EQ(Field(kMapStrip, kSelected),
                  "  " + LatitudeReadout(r).str() + ", " + LongitudeReadout(r).str());
        EXPECT_NEAR(r.latitude, 4.32, 1 / 15.0);
        EXPECT_NEAR(r.longitude, 15.31, 1 / 15.0);
      })
      .Click(kMapStrip, kMapDone)
      .Check([] {
        EXPECT_NEAR(Number(Field(W, kLatitude)), 4.32, 1 / 15.0);
        EXPECT_NEAR(Number(Field(W, kLongitude)), 15.31, 1 / 15.0);
      })
      .Click(W, kSunDone);
  Run(d);
}

// The window pixel of a place on the standard map as drawn now, from the window's
// own size: the map spans 360 degrees of longitude across the window and 180 of
// latitude below the control strip, which takes 30 of every 750 pixels of its height.
Point DrawnPixelOf(double lat, double lon) {
  const Rect r = rt::WindowContentRect(kMapWindow);
  const double top = r.height() * 30.0 / 750;
  return Point{static_cast<int16_t>(std::lround(r.width() * (lon + 180) / 360)),
               static_cast<int16_t>(std::lround(top + (r.height() - top) * (90 - lat) / 180))};
}

// "  33.87° S, 151.21° E" as signed degrees, north and east positive.
std::pair<double, double> SelectedPlace() {
  const std::string text = Field(kMapStrip, kSelected);
  const auto comma = text.find(',');
  const double lat = Number(text.substr(0, comma)), lon = Number(text.substr(comma + 1));
  return {text.find('S') < comma ? -lat : lat, text.find('W', comma) != std::string::npos ? -lon : lon};
}

// On a display too small for the full-size map the map is drawn smaller, all of it on
// the screen, and a click reads the place drawn under it, down to its southern rows.
TEST_F(WorldMapTest, OnASmallDisplayTheWholeMapIsOnTheScreenAndAClickReadsThePlaceUnderIt) {
  const Place places[] = {
      {"central Australia", -25, 135, false}, {"Tasman Sea", -35, 160, true},
      {"central Africa", 1, 20, false},       {"Pacific off Ecuador", -1, -85, true},
      {"Southern Ocean", -55, 90, true},      {"Antarctica", -80, 30, false},
  };
  for (const char* display : {"1366x768", "1024x600"}) {
    SCOPED_TRACE(display);
    setenv("MV_DISPLAY_SIZE", display, 1);
    const int width = std::stoi(display), height = std::stoi(std::strchr(display, 'x') + 1);
    WindowDriver d;
    d.WaitFor(W).Click(W, kMapButton).WaitFor(kMapStrip).Check([&] {
      const Rect r = rt::WindowContentRect(kMapWindow);
      EXPECT_GE(r.left, 0);
      EXPECT_LE(r.right, width) << "the map's east edge is on the screen";
      EXPECT_LE(r.bottom, height) << "the map's southern rows are on the screen";
      EXPECT_GT(r.height(), (height - 50) * 0.95) << "drawn no smaller than it must be";
    });
    for (const Place& p : places) {
      d.Check([&p] {
         EXPECT_EQ(SeaAtPixel(DrawnPixelOf(p.lat, p.lon)), p.sea)
             << p.name << ": the picture lies where the click reads";
       })
          .Then("click",
                [&p] {
                  ClickMapPixel(DrawnPixelOf(p.lat, p.lon));
                  return true;
                })
          .Check([&p] {
            // A pixel of the smaller map is up to half a degree of longitude.
            const auto [lat, lon] = SelectedPlace();
            EXPECT_NEAR(lat, p.lat, 0.5) << p.name;
            EXPECT_NEAR(lon, p.lon, 0.5) << p.name;
          });
    }
    d.Shot(kMapWindow, Shot((std::string("w778-world-map-") + display + ".png").c_str()))
        .Shot(kMapStrip, Shot((std::string("w775-world-map-strip-") + display + ".png").c_str()))
        .Click(kMapStrip, kMapDone)
        .Check([] {
          EXPECT_NEAR(Number(Field(W, kLatitude)), 80, 0.5) << "Antarctica, the last place picked";
          EXPECT_EQ(northLatitude, 0);
          EXPECT_EQ(westLongitude, 0);
        })
        .Click(W, kSunDone);
    Run(d);
  }
}

// Neither Done without a pick nor the close box (with or without one) sets the place,
// nor its hemispheres, nor anything the calculator computes from.
TEST_F(WorldMapTest, DoneWithoutAPickOrTheCloseBoxLeavesThePlace) {
  struct Case {
    const char* name;
    bool pick;
    bool closeBox;
  };
  for (const Case& c :
       {Case{"Done without a pick", false, false}, Case{"close box without a pick", false, true},
        Case{"close box after a pick", true, true}}) {
    SCOPED_TRACE(c.name);
    WindowDriver d;
    d.WaitFor(W).Click(W, kMapButton).WaitFor(kMapStrip).Then("no pointer over the map", [] { return true; });
    if (c.pick) d.Then("click", ClickMapAt(-33.87, 151.21));
    if (c.closeBox)
      d.Then("close", CloseBox(kMapWindow));
    else
      d.Click(kMapStrip, kMapDone);
    d.WaitFor(W)
        .Check([] {
          EXPECT_FALSE(rt::WindowExists(kMapWindow));
          EXPECT_EQ(Field(W, kLatitude), "33.95");
          EXPECT_EQ(Field(W, kLongitude), "117.33");
          rt::SetOutputWindow(W);
          EXPECT_EQ(rt::ControlState(kNorth), 2);
          EXPECT_EQ(rt::ControlState(kWest), 2);
          EXPECT_EQ(northLatitude, 1);
          EXPECT_EQ(westLongitude, 1);
        })
        .Click(W, kSunDone);
    latitude = 12.5f;
    longitude = 45.25f;
    Run(d);
    EXPECT_EQ(latitude, 12.5f) << "the calculator's place";
    EXPECT_EQ(longitude, 45.25f);
  }
}

}  // namespace
}  // namespace mv::calc
