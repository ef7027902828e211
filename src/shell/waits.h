// Waits of the start-up and decorative windows: the event pump keeps running, so
// windows stay drawn and a script can act; on the virtual clock the wait moves it.
#pragma once

namespace mv {

// Waits ms milliseconds, pumping events about every 5 ms.
void PumpFor(int ms);

}  // namespace mv
