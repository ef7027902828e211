#include "shell/kit/services.h"

#include "runtime/menus.h"
#include "runtime/system.h"
#include "shell/kit/sounds.h"

namespace mv::services {

std::function<void()> Quit;
std::function<void()> HandleNotes;
std::function<void()> ReadControlStrip;
std::function<void()> StopSampleBeep;
std::function<void(int16_t, int16_t)> ReadDataTaker500;
std::function<void(int16_t, int16_t)> ReadDataTaker800;
std::function<void(int16_t, int16_t)> ReadADAM;
std::function<void(int16_t)> ReadADC1;
std::function<void(int16_t)> ReadSerialStream;
std::function<void(int16_t)> SetUpMENUs;
std::function<void(int16_t, int16_t)> ShortMENU;
std::function<void()> SAVEsettings;
std::function<void(int16_t)> GetFirmware;
std::function<void()> SetInitialColorValues;
std::function<bool(int16_t)> GETSETUP;

void ResetServices() {
  Quit = [] { rt::ExitProgram(0); };
  HandleNotes = [] {};
  ReadControlStrip = [] {};
  StopSampleBeep = [] {};
  ReadDataTaker500 = [](int16_t, int16_t) {};
  ReadDataTaker800 = [](int16_t, int16_t) {};
  ReadADAM = [](int16_t, int16_t) {};
  ReadADC1 = [](int16_t) {};
  ReadSerialStream = [](int16_t) {};
  SetUpMENUs = [](int16_t state) {
    for (int16_t menu = 1; menu <= 6; ++menu)
      if (rt::MenuExists(menu)) rt::EnableMenuItem(menu, 0, state != 0);
  };
  ShortMENU = [](int16_t, int16_t) {};
  SAVEsettings = [] {};
  GetFirmware = [](int16_t) {};
  SetInitialColorValues = [] {};
  GETSETUP = [](int16_t) { return false; };
}

namespace {
struct Init {
  Init() { ResetServices(); }
} init;
}  // namespace

}  // namespace mv::services
