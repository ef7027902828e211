// Choosing the interface and its serial port, and contacting the interface.
#pragma once
#include <cstdint>
#include <string>

#include "runtime/str255.h"

namespace mv {

// Serial port selection and connection.
void ConfigureSERIALPORT();
void SetUpSerialPort();
// The Connection Error window: "<name> not found!", with demonstration mode, retry or
// quit. The reason, when given, says why the port could not be opened.
void ConnectionERROR(const Str255& name);
void ConnectionERROR(const Str255& name, const std::string& reason);
void ConnectionOKindicator();
void PLACE_AD_ICON(int16_t large, int16_t left, int16_t top);
void CHANGE_SERIAL_PORT();
// The A-D menu's "Configure Serial Port...": the port window, then a reconnection when
// the port or its rate changed, or the line is not open. An unchanged choice leaves the
// open line as it is.
void ReconfigureSerialPort();

// The External A/D Device window.
void ExternalADtype(int16_t ask);
void ShowExternalADimage();
void ADinterfaceAnimation();
void AOmenuAdjust();

}  // namespace mv
