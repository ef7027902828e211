// Oxygen consumed and carbon dioxide produced by an animal shut in a closed
// chamber whose gas is dried before it is measured.
#pragma once

namespace mv::calc {

struct ClosedSystemInputs {
  float volume = 1000;       // V, ml
  float temperature = 20;    // T, degrees C
  float pressure = 760;      // P, torr
  float humidity = 0;        // H, % of the gas at the start
  float hours = 1, minutes = 22;
  float fiO2 = 20.95f, fiCO2 = 0.038f;  // initial concentrations, %
  float deltaO2 = 0.5f;      // fall of O2, percentage points
  float deltaCO2 = 0.5f;     // rise of CO2, percentage points
  float rq = 0.85f;
};

struct ClosedSystemResult {
  float minutes = 0;          // elapsed time t
  float correctedVolume = 0;  // Vc, ml, dry at 273.3 K and 760 torr
  float vo2 = 0, vo2PerMinute = 0;
  float vco2 = 0, vco2PerMinute = 0;
};

// absorbed: CO2 was absorbed in the chamber; useRQ: VO2 is corrected with the
// assumed RQ instead of the measured CO2 (absorbed wins when both are set).
// Every named quantity is rounded to single precision when formed; nothing is
// checked, so a zero denominator gives a non-finite value.
ClosedSystemResult ClosedSystemCompute(const ClosedSystemInputs& in, bool absorbed, bool useRQ);

}  // namespace mv::calc
