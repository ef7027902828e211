// The simple regression calculator: a table of up to 20 X, Y pairs, a straight
// line or second-order fit plotted in a second window, predictions and an export.
#pragma once

namespace mv::calc {

void SimpleRegression();

}  // namespace mv::calc
