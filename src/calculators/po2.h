// The oxygen partial pressure calculator: water vapour pressure of humid gas and
// the ambient pO2 from barometric pressure, vapour pressure and oxygen percentage.
#pragma once

namespace mv::calc {

void PO2CALC();

}  // namespace mv::calc
