#include "devices/needs.h"

#include "devices/adam_reader.h"
#include "devices/adc1_reader.h"
#include "devices/datataker_reader.h"
#include "devices/stream_reader.h"

namespace mv::services {

Hook<void()> HandleNotes{"services::HandleNotes"};
Hook<void()> ReadControlStrip{"services::ReadControlStrip"};
Hook<void()> StopSampleBeep{"services::StopSampleBeep"};
Hook<void(int16_t, int16_t)> ReadDataTaker500{"services::ReadDataTaker500", ::mv::ReadDataTaker500};
Hook<void(int16_t, int16_t)> ReadDataTaker800{"services::ReadDataTaker800", ::mv::ReadDataTaker800};
Hook<void(int16_t, int16_t)> ReadADAM{"services::ReadADAM", ::mv::ReadADAM};
Hook<void(int16_t)> ReadADC1{"services::ReadADC1", ::mv::ReadADC1};
Hook<void(int16_t)> ReadSerialStream{"services::ReadSerialStream", ::mv::ReadSerialStream};

}  // namespace mv::services
