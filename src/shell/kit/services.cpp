#include "shell/kit/services.h"

#include "runtime/system.h"
#include "shell/kit/sounds.h"

namespace mv::services {

std::function<void()> Quit;
std::function<void()> HandleNotes;
std::function<void()> ReadControlStrip;
std::function<void(const std::string&, const std::string&)> PlaySound;
std::function<void()> StopSampleBeep;
std::function<void(int16_t, int16_t)> ReadDataTaker500;
std::function<void(int16_t, int16_t)> ReadDataTaker800;
std::function<void(int16_t, int16_t)> ReadADAM;
std::function<void(int16_t)> ReadADC1;
std::function<void(int16_t)> ReadSerialStream;

void ResetServices() {
  Quit = [] { rt::ExitProgram(0); };
  HandleNotes = [] {};
  ReadControlStrip = [] {};
  PlaySound = [](const std::string& file, const std::string& folder) { mv::PlaySound(file, folder); };
  StopSampleBeep = [] {};
  ReadDataTaker500 = [](int16_t, int16_t) {};
  ReadDataTaker800 = [](int16_t, int16_t) {};
  ReadADAM = [](int16_t, int16_t) {};
  ReadADC1 = [](int16_t) {};
  ReadSerialStream = [](int16_t) {};
}

namespace {
struct Init {
  Init() { ResetServices(); }
} init;
}  // namespace

}  // namespace mv::services
