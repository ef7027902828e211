#include "devices/connection.h"

namespace mv {

// Filled in with the interface connection.
void ConfigureSERIALPORT() {}
void SetUpSerialPort() {}
void ConnectionERROR(const Str255&) {}
void ConnectionOKindicator() {}
void PLACE_AD_ICON(int16_t, int16_t, int16_t) {}
void CHANGE_SERIAL_PORT() {}
void ExternalADtype(int16_t) {}
void ShowExternalADimage() {}
void ADinterfaceAnimation() {}
void AOmenuAdjust() {}

}  // namespace mv
