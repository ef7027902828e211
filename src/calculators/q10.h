// The Q10 adjustment calculator: a rate moved to another temperature by the Q10
// rule, or the Q10 of two rates measured at two temperatures.
#pragma once

namespace mv::calc {

void Q10adjust();

}  // namespace mv::calc
