// The Special menu's calculators, installed into the menu commands at start-up.
#pragma once

namespace mv {

void InstallCalculators_math();
void InstallCalculators_conditions();
void InstallCalculators_respirometry();
void InstallCalculators_sun();

inline void InstallCalculators() {
  InstallCalculators_math();
  InstallCalculators_conditions();
  InstallCalculators_respirometry();
  InstallCalculators_sun();
}

}  // namespace mv
