// The Special menu's calculators, installed into the menu commands at start-up.
#pragma once

namespace mv {

void InstallCalculators_math();
void InstallCalculators_conditions();
void InstallCalculators_respirometry();
void InstallCalculators_sun();

// Installs every group, each calculator marked as a menu command carried out.
void InstallCalculators();

}  // namespace mv
