// Flow-meter readings corrected to standard temperature and pressure.
#pragma once
#include <cstdint>

namespace mv::calc {

// Units of the meter's internal over-pressure, by the number of their radio button.
enum StpPressureUnit : int16_t { kStpTorr = 3, kStpPSI = 4, kStpKPa = 5, kStpMmH2O = 6 };

struct StpEntries {
  float flow = 0;        // indicated flow, ml/min
  float volume = 0;      // cumulative volume, ml
  float seconds = 0;     // time over which the volume was collected
  float barometric = 0;  // torr
  float internal = 0;    // meter over-pressure, in `pressureUnit`
  float meterTemp = 0;   // degrees C
  float calibTemp = 0;   // degrees C the meter was calibrated for
  int16_t pressureUnit = kStpTorr;
  bool cumulativeVolume = false;  // flow from volume and seconds instead of the indicated flow
  bool litres = false;            // result in standard litres per minute
};

// The over-pressure in torr (single precision).
float InternalPressureTorr(float value, int16_t unit);
// The STP flow in ml/min (or l/min); infinite or NaN when the entries leave it undefined
// (no elapsed time, a meter at absolute zero).
float StpFlow(const StpEntries& e);

}  // namespace mv::calc
