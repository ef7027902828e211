// The flow-system STP converter: a flow meter's reading (or a collected volume)
// corrected to standard temperature and pressure, a running average of several
// readings, and storing the result as the experiment's flow rate.
#pragma once

namespace mv::calc {

void STPflowAdjust();

}  // namespace mv::calc
