// The world-map position picker of the sun-cycle calculator: the latitude and
// longitude under the pointer are read out live, a click (or Return, Enter or a
// space) selects the position, and a part of the map can be enlarged five times for
// a finer pick. Done hands a selected position back in latitude, longitude (absolute
// degrees), northLatitude and westLongitude; Done without a selection, and the close
// box at any time, leave them as they were.
#pragma once
#include <cstdint>

#include "runtime/str255.h"

namespace mv::calc {

constexpr int16_t kMapWindow = 778, kMapStrip = 775, kZoomMessageWindow = 1783;

// The place under a pointer position of the map window (absolute degrees).
struct MapReading {
  float longitude = 0, latitude = 0;
  int16_t west = 1, north = 1;
};
// x and y are positions of the full-size map (1080 by 750 pixels, the map itself
// from y 30); a pointer on a map drawn smaller is divided by MapScaleFor first.
MapReading StandardMapReading(double x, double y);
MapReading EnlargedMapReading(double x, double y, int ox, int oy);
// The factor the picker is drawn smaller by on a display of this size (1 when the
// full-size map fits).
double MapScaleFor(int displayWidth, int displayHeight);
// Read-out texts: "###.##" with the degree sign and " E"/" W"; "##.##" and " N"/" S".
Str255 LongitudeReadout(const MapReading& r);
Str255 LatitudeReadout(const MapReading& r);
// The enlarged view's origin for a zoom box whose top-left corner is (bx, by).
void ZoomOrigin(int bx, int by, int16_t& ox, int16_t& oy);
// The zoom box's corner kept on the map: top 30..558, left 0..900.
void ClampZoomCorner(int& x, int& y);

// 1 when a position was picked (and handed back), 0 when the place is unchanged.
int16_t GetMapCoordinates();

}  // namespace mv::calc
