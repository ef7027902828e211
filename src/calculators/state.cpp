#include "calculators/state.h"

namespace mv {

float ValueOfA = 0.002647f;
float BMRunitfact = 1.0f;
int16_t FishMR = 0;
int16_t PartsPerThousand = 0;
int16_t LastMetabolismMENU = 0;
int16_t LastMetabolismSUBMENU = 0;
int16_t LastMetabolismUNIT = 0;
float LastBaseTb = 0, LastRealTB = 0, LastQ10 = 0, LastBodyMass = 0, LastExponent = 0;
int16_t LastMassInKg = 0;
int16_t ShowGeneralMENU = 0;
std::array<float, 3> CustomAllometry{};
std::array<std::array<double, 5>, 21> SimpleRegressionDataArray{};
std::array<bool, 21> SimpleRegressionRowPresent{};
std::string RegressionDataCFURL;
float minx1 = 0, maxx1 = 0, miny1 = 0, maxy1 = 0, stepx = 0;
float latitude = 0, longitude = 0;
int16_t northLatitude = 1, westLongitude = 1;
float JulianSunrise = 0, JulianSunset = 0;
std::array<std::array<float, 4>, 367> SunCycleArray{};

void ResetCalculatorsState() {
  ValueOfA = 0.002647f;
  BMRunitfact = 1.0f;
  FishMR = 0;
  PartsPerThousand = 0;
  LastMetabolismMENU = 0;
  LastMetabolismSUBMENU = 0;
  LastMetabolismUNIT = 0;
  LastBaseTb = LastRealTB = LastQ10 = LastBodyMass = LastExponent = 0;
  LastMassInKg = 0;
  ShowGeneralMENU = 0;
  CustomAllometry = {};
  SimpleRegressionDataArray = {};
  SimpleRegressionRowPresent = {};
  RegressionDataCFURL.clear();
  minx1 = maxx1 = miny1 = maxy1 = stepx = 0;
  latitude = longitude = 0;
  northLatitude = westLongitude = 1;
  JulianSunrise = JulianSunset = 0;
  SunCycleArray = {};
}

}  // namespace mv
