// The DataTaker reset with its countdown window, and the emptying of a DT800's output
// buffer with its two small windows.
#include <string>
#include <vector>

#include "devices/connection_road.h"
#include "devices/datataker_lists.h"
#include "devices/datataker_reader.h"
#include "devices/read_wait.h"
#include "devices/serial_port.h"
#include "devices/state.h"
#include "kit/builders.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "runtime/windows.h"

namespace mv {

namespace {

std::vector<std::string> g_countdown;

// A reply line being read when a drain starts, and lines of a logger that keeps
// talking, are both bounded by this many ticks.
constexpr uint32_t kDrainTicks = 120;

void DrainLines(SerialPort& port) {
  const uint32_t until = rt::TickCount() + kDrainTicks;
  while (port.BytesWaiting() > 0 && !TickPassed(until)) port.ReadLine();
}

void Say(int x, int y, std::string_view text, double size, RGBColor color = RGBColor{0, 0, 0}) {
  rt::DrawText(x, y, text, KitFont(KestraneFont, size), color);
}

// A warning-striped window of width by height pixels near the top left of the screen.
void OpenStripedWindow(int16_t number, const Str255& title, int16_t width, int16_t height) {
  BuildWINDOW(number, title, 120, 120, static_cast<int16_t>(120 + width), static_cast<int16_t>(120 + height), 262);
  WARNINGSTRIPES(6);
}

void CountDown() {
  const uint32_t start = rt::TickCount();
  int shown = -1;
  const RGBColor black{0, 0, 0};
  for (;;) {
    const uint32_t elapsed = rt::TickCount() - start;
    if (elapsed >= kResetTicks) break;
    const int left = 5 - static_cast<int>(elapsed / 60);
    if (left != shown) {
      shown = left;
      const std::string text = " " + std::to_string(left);
      ClearArea(140, 40, 200, 84);
      Say(146, 73, text, 36, black);
      rt::FlushWindow();
      g_countdown.push_back(text);
    }
    rt::Delay(10);
  }
  ClearArea(140, 40, 200, 84);
  Say(146, 73, " 0", 36, black);
  rt::FlushWindow();
  g_countdown.push_back(" 0");
}

// Reopening failed: the line stays closed and the reads after it fail, as with an
// unplugged logger.
void ResetDT800Family() {
  CloseActivePort();
  if (!OpenActivePort(57600).ok) return;
  SerialLine().Write(std::string(kDT800FastBaudCommand) + '\r');
  CloseActivePort();
  if (!OpenActivePort(115200).ok) return;
  DT800setup();
}

}  // namespace

const std::vector<std::string>& LastResetCountdown() {
  return g_countdown;
}

void ResetDataTaker() {
  g_countdown.clear();
  SerialPort& port = SerialLine();
  DrainLines(port);
  const std::optional<datataker::Family> family = datataker::FamilyOf(External_AD);
  if (family == datataker::Family::DT800)
    port.Write(std::string(datataker::kDT800ResetCommand) + '\r');
  else if (family == datataker::Family::DT500)
    port.Write(std::string(datataker::kDT500ResetCommand) + '\r');

  OpenStripedWindow(kResetWindow, "Resetting Datataker...", 352, 92);
  Say(26, 26, "Reset process takes ~ 5 seconds...", 16);
  rt::FlushWindow();
  rt::PumpEvents(0);
  CountDown();
  rt::PumpEvents(0);

  if (family == datataker::Family::DT800) {
    ResetDT800Family();
  } else if (family == datataker::Family::DT500) {
    SerialPort& line = SerialLine();
    if (line.BytesWaiting() > 0) line.ReadLine();
    DT500setup();
  }
  rt::CloseWindow(kResetWindow);
}

namespace {

void AwaitFirstAnswer(SerialPort& port, uint32_t deadline) {
  OpenStripedWindow(kBufferWindow, "Check buffer", 312, 92);
  Say(20, 29, "Flushing the DT800 buffer", 23);
  Say(50, 50, "Waiting for buffer to respond...", 16, RGBred);
  rt::NewProgressBar(kProgressBarControl, Rect{140, 55, 180, 85}, 0, 0, 0);
  rt::FlushWindow();
  while (port.BytesWaiting() < 2 && !TickPassed(deadline)) {
    rt::PumpEvents(0);
    port.Pause(1);
  }
  rt::CloseWindow(kBufferWindow);
}

int EmptyBuffer(SerialPort& port) {
  if (!rt::WindowExists(kBufferWindow)) {
    OpenStripedWindow(kBufferWindow, "Empty buffer", 312, 92);
    Say(20, 29, "Flushing the DT800 buffer", 23);
    Say(26, 54, "This may take several seconds...", 18, RGBred);
    rt::FlushWindow();
    if (SoundsOn()) PlaySound("rbubbles.mp3", "MVsounds");
  }
  const uint32_t until = rt::TickCount() + kFlushMaxTicks;
  int lines = 0;
  while (port.BytesWaiting() > 0 && !TickPassed(until)) {
    // The LF of a CR LF ending, read on its own, is no line.
    if (port.ReadLine().empty()) continue;
    if (++lines % 10 == 0) {
      ClearArea(140, 60, 300, 82);
      Say(140, 77, std::to_string(lines) + "       ", 12);
      rt::FlushWindow();
      rt::PumpEvents(0);
    }
  }
  return lines;
}

}  // namespace

int FlushDT800Buffer(int16_t wait) {
  SerialPort& port = SerialLine();
  uint32_t deadline = rt::TickCount() + (wait != 0 ? kFlushAnswerTicks : 0);
  if (wait != 0) AwaitFirstAnswer(port, deadline);
  int lines = 0;
  while (!TickPassed(deadline)) {
    if (port.BytesWaiting() >= 2) {
      lines += EmptyBuffer(port);
      deadline = rt::TickCount();
    } else {
      port.Pause(1);
    }
  }
  rt::CloseWindow(kBufferWindow);
  return lines;
}

}  // namespace mv
