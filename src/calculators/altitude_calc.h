// The standard atmosphere: mean barometric pressure at an altitude and the
// altitude of a pressure, with the unit factors of the altitude calculators.
#pragma once

namespace mv::calc {

constexpr double kTorrPerKPa = 7.50062;
constexpr double kKPaPerTorr = 0.13332237;
constexpr double kFeetPerMetre = 3.28084;
constexpr float kStandardKPa = 101.325f;

// Mean pressure in torr at an altitude in metres (single precision).
float StandardPressureTorr(float metres);
// Altitude in metres of a pressure in torr; infinite or NaN for pressures not above 0.
float AltitudeOfPressure(float torr);

// The altitude calculator's two directions, with its units: an entry in torr or kPa
// gives the altitude in metres or feet, and back. Exact standard pressure and
// altitude 0 correspond exactly.
float AltitudeFromEntry(float pressure, bool torr, bool feet);
float PressureFromEntry(float altitude, bool torr, bool feet);

// The concentration that gives, at the measurement pressure, the partial pressure
// the given concentration has at the simulated pressure.
float RequiredConcentration(float simulatedTorr, float concentration, float measurementTorr);

}  // namespace mv::calc
