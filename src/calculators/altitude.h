// The altitude and pressure calculator: altitude above sea level and the mean
// barometric pressure of the standard atmosphere, either way, in torr or kPa and
// metres or feet; the pressure can be stored as the experiment's pressure.
#pragma once

namespace mv::calc {

void ALTITUDE();

}  // namespace mv::calc
