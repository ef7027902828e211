// Choosing the interface and its serial port, and contacting the interface.
#pragma once
#include <cstdint>

#include "runtime/str255.h"

namespace mv {

// Serial port selection and connection.
void ConfigureSERIALPORT();
void SetUpSerialPort();
void ConnectionERROR(const Str255& name);
void ConnectionOKindicator();
void PLACE_AD_ICON(int16_t large, int16_t left, int16_t top);
void CHANGE_SERIAL_PORT();

// The External A/D Device window.
void ExternalADtype(int16_t ask);
void ShowExternalADimage();
void ADinterfaceAnimation();
void AOmenuAdjust();

}  // namespace mv
