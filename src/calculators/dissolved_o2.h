// The dissolved oxygen calculator: oxygen content of water in equilibrium with a
// gas, per litre and in a volume, from temperature, salinity, pressure, the gas's
// oxygen percentage and the percent saturation.
#pragma once

namespace mv::calc {

void DissolvedO2CALC();

}  // namespace mv::calc
