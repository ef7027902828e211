#include "devices/stream_reader.h"

#include <cstdlib>

#include "acquisition/state.h"
#include "devices/read_wait.h"
#include "devices/state.h"
#include "devices/stream_protocol.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "shell/kit/protocol.h"
#include "shell/kit/services.h"
#include "shell/state.h"

namespace mv {

namespace {

// A line is complete once at least this many bytes wait and the count stood still
// over one pass.
constexpr int kMinLineBytes = 6;
// Each pass of mode 1 lasts at least about this long, so "stood still" means the line
// stopped arriving, not that two looks came within one byte time.
constexpr int kPassMs = 5;

// Bytes after the last line end, kept for the next read.
std::string gPending;
// The last action other than a click that the pump gave during the last wait.
int16_t gOtherAction = 0, gOtherEvent = 0;

// The newest complete line of the bytes, the rest kept in gPending; without a line end
// the whole text is the line (an instrument that ends lines with nothing).
std::string TakeNewestLine(std::string bytes) {
  size_t lastEnd = bytes.find_last_of("\r\n");
  if (lastEnd == std::string::npos) return bytes.substr(0, 255);
  gPending = bytes.substr(lastEnd + 1);
  bytes.resize(lastEnd);
  // Skip the empty piece between CR and LF, and blank lines.
  size_t end = bytes.find_last_not_of("\r\n");
  if (end == std::string::npos) return {};
  bytes.resize(end + 1);
  size_t start = bytes.find_last_of("\r\n");
  std::string line = start == std::string::npos ? bytes : bytes.substr(start + 1);
  return line.substr(0, 255);
}

void PacedPass(SerialPort& port) {
  const uint32_t until = rt::TickCount() + 1;
  rt::PumpEvents(0);
  while (static_cast<int32_t>(rt::TickCount() - until) < 0) {
    if (rt::Button()) {
      MouseWasClicked = 1;
      Point p = rt::GetMouse();
      MouseHorizontalPosition = p.h;
      MouseVerticalPosition = static_cast<int16_t>(std::abs(p.v));
    }
    port.Pause(1);
  }
}

// Waits until the line stopped growing; false at the time-out.
bool WaitForLine(SerialPort& port, int16_t mode, int16_t& clicked) {
  const uint32_t deadline = rt::TickCount() + kStreamTimeoutTicks;
  int previous = -1;
  for (;;) {
    if (mode == 1) {
      rt::PumpEvents(0);
      if (Action == ActionCode::Click) {
        clicked = EventID;
      } else if (Action != ActionCode::Nothing) {
        gOtherAction = Action;
        gOtherEvent = EventID;
      }
      Action = 0;
      port.Pause(kPassMs);
    } else {
      PacedPass(port);
    }
    const int count = port.BytesWaiting();
    if (count + static_cast<int>(gPending.size()) >= kMinLineBytes && count == previous) return true;
    previous = count;
    if (TickPassed(deadline)) return false;
  }
}

}  // namespace

std::pair<int16_t, int16_t> StreamWaitOtherAction() {
  return {gOtherAction, gOtherEvent};
}

void ResetStreamReader() {
  gPending.clear();
}

void ReadSerialStream(int16_t mode) {
  const HandlerScope callersHandlers;
  MouseWasClicked = 0;
  gOtherAction = 0;
  gOtherEvent = 0;
  rt::SetDialogHandler(doDIALOG);
  SerialPort& port = SerialLine();
  int16_t clicked = 0;
  std::string line;
  if (WaitForLine(port, mode, clicked)) {
    line = TakeNewestLine(gPending + port.ReadBytes(4096));
  } else {
    gPending.clear();
    BuzzFailedRead();
  }
  const auto values = stream::SplitLine(line);
  for (int n = 1; n <= stream::kVariables; ++n) serialArray[n][1] = values[n];
  volts = values[stream::kVariables];
  Action = ActionCode::Click;
  EventID = clicked;
}

std::string GetInstrumentName() {
  SerialPort& port = SerialLine();
  const uint32_t start = rt::TickCount();
  while (!TickPassed(start + 4)) port.Pause(1);
  int previous = -1;
  for (;;) {
    const int count = port.BytesWaiting();
    if (count > 5 && count == previous) break;
    if (TickPassed(start + kNameLineTicks)) break;
    previous = count;
    port.Pause(kPassMs);
  }
  gPending.clear();
  return stream::InstrumentName(port.ReadLine());
}

}  // namespace mv
