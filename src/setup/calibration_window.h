// The direct calibration window (window 315): the user applies known values to a
// channel's sensor, types each one and takes the channel's averaged voltage; from
// three points the window fits a line, a power function or a second-order
// polynomial, plots the points with the curve or the residuals, and hands the fit
// and a display range back to the conversions window.
//
// It lives beside the channel set-up because every point is a live reading of the
// channel through the interface's reader.
#pragma once
#include <cstdint>

namespace mv {

constexpr int16_t kCalibrationWindow = 315;
constexpr int16_t kCalibrationHelpTopic = 159;

namespace CalibrationControl {
constexpr int16_t GetVoltage = 1, Linear = 2, Power = 3, EquationOK = 4, Polynomial = 5, Clear = 6,
                  Residuals = 7, Help = 10, ReadingsPopup = 148;
// Fields: the value typed, the channel label, the equation, the count and r-squared,
// the measured volts.
constexpr int16_t ValueField = 101, LabelField = 102, EquationField = 103, CountField = 104, VoltsField = 105;
}  // namespace CalibrationControl

// Readings averaged per point for an item of the readings popup (1 to 7); 1 for
// any other item.
int16_t ReadingsPerPointOf(int item);

// The mean of count readings of the channel's input: in demonstration mode each
// reading is simulated from the value typed in the calibration field, otherwise
// it is a live reading through the interface's reader (spike filter included).
// Leaves the mean in volts and shows it in the volts field when the window is open.
// A reading the interface could not give makes the result the bad-reading value
// (-99999), shown as "no reading".
float DCALgetVOLTS(int16_t channel, int16_t count);

// Runs the calibration of channel 1 to 16 as a modal window. Equation OK (or the
// 100th point) leaves the fit in aval, bval, exponent, the type code and miny,
// maxy. A point whose reading failed is not taken. Closing the window, or a click in another of the program's
// windows, abandons the calibration: the channel's type, the coefficients and the range are restored as they
// were at opening, and Action is 4 on return.
void DIRECTCAL(int16_t channel);

}  // namespace mv
