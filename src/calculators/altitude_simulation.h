// The altitude simulation calculator: how to reproduce at the measurement site the
// oxygen (or other gas) partial pressure of another altitude, by a gas mixture or
// by a pressure difference.
#pragma once

namespace mv::calc {

void AltitudeSimulation();

}  // namespace mv::calc
