// The "Sun Cycle Calculator" window: a place and a day give the approximate local
// sunrise and sunset, the hours of daylight and solar noon; from here the world map,
// the annual plot, help and a web page of sunrise tables are reached.
#pragma once
#include <cstdint>

namespace mv::calc {

int16_t Sunrise();

}  // namespace mv::calc
