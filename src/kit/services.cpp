#include "kit/services.h"

#include "kit/sounds.h"
#include "runtime/menus.h"
#include "runtime/system.h"

namespace mv::services {

namespace {

void SwitchMenusOneToSix(int16_t state) {
  for (int16_t menu = 1; menu <= 6; ++menu)
    if (rt::MenuExists(menu)) rt::EnableMenuItem(menu, 0, state != 0);
}

}  // namespace

Hook<void()> Quit{"services::Quit", [] { rt::ExitProgram(0); }};
Hook<void()> HandleNotes{"services::HandleNotes"};
Hook<void()> ReadControlStrip{"services::ReadControlStrip"};
Hook<void()> StopSampleBeep{"services::StopSampleBeep"};
Hook<void(int16_t, int16_t)> ReadDataTaker500{"services::ReadDataTaker500"};
Hook<void(int16_t, int16_t)> ReadDataTaker800{"services::ReadDataTaker800"};
Hook<void(int16_t, int16_t)> ReadADAM{"services::ReadADAM"};
Hook<void(int16_t)> ReadADC1{"services::ReadADC1"};
Hook<void(int16_t)> ReadSerialStream{"services::ReadSerialStream"};
Hook<void(int16_t)> SetUpMENUs{"services::SetUpMENUs", SwitchMenusOneToSix};
Hook<void(int16_t, int16_t)> ShortMENU{"services::ShortMENU"};
Hook<void()> SAVEsettings{"services::SAVEsettings"};
Hook<void(int16_t)> GetFirmware{"services::GetFirmware"};
Hook<void()> SetInitialColorValues{"services::SetInitialColorValues"};
Hook<bool(int16_t)> GETSETUP{"services::GETSETUP"};

void ResetServices() {
  ResetHooks("services::");
}

}  // namespace mv::services
