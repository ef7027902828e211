// The chamber washout calculator ("Mixing Kinetics"): how long a chamber takes to
// complete a chosen percentage of a step change in gas concentration.
#pragma once

namespace mv::calc {

void ChamberWashout();

}  // namespace mv::calc
