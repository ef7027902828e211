#include "devices/stream_reader.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "acquisition/state.h"
#include "devices/line_step.h"
#include "devices/read_wait.h"
#include "devices/state.h"
#include "kit/protocol.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "setup/state.h"

namespace mv {

namespace {

// Each pass of mode 1 lasts at least about this long.
constexpr int kPassMs = 5;
// The most bytes taken from the port in one look; a look takes a few at most, so this
// only bounds a port that never runs dry.
constexpr int kChunk = 4096;
constexpr int kChunksPerLook = 16;
// Forgetting the lines so far reads on until the line has been quiet this long (or its
// port's own gap between two bytes, when longer), for at most a quarter of a second.
constexpr int kForgetQuietUs = 2000;
constexpr uint32_t kForgetTicks = 15;

bool IsNameLine(const std::string& line) {
  return line.rfind("!!!", 0) == 0;
}

// Noise that came without a line end joins the front of the next line, and a comma
// among it would move every value to the next variable; noise within a line turns its
// digits into other numbers. A line holding a byte outside printable ASCII (a tab
// aside) is damaged, but for the degree and micro signs of an instrument's unit text
// ("21.5\xB0C"), in each encoding instruments send them: Latin-1 B0 and B5, Mac Roman
// A1 and B5, UTF-8 C2 B0 and C2 B5. The numbers never take them (SplitLine).
bool IsDamaged(std::string_view line) {
  for (size_t i = 0; i < line.size(); ++i) {
    const auto b = static_cast<unsigned char>(line[i]);
    const auto next = i + 1 < line.size() ? static_cast<unsigned char>(line[i + 1]) : 0;
    if (b == 0xC2 && (next == 0xB0 || next == 0xB5)) {
      ++i;
    } else if (b != 0xB0 && b != 0xB5 && b != 0xA1 && HoldsLineNoise(line.substr(i, 1), true)) {
      return true;
    }
  }
  return false;
}

// The fields of a line as SplitLine counts them: a "," or ":" ends each.
int FieldCount(const std::string& line) {
  return 1 + static_cast<int>(
                 std::count_if(line.begin(), line.end(), [](char c) { return c == ',' || c == ':'; }));
}

// Mode 0: one pass of at least one tick, noting mouse-button presses.
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

// Mode 1: one pass of the event pump, keeping the click or other action it gives.
// Once the read holds one, the next stays queued for the caller's loop: two clicks
// made together both count.
void PumpedPass(SerialPort& port, StreamRead& r) {
  if (r.clicked == 0 && r.otherAction == 0) {
    rt::PumpEvents(0);
    if (Action == ActionCode::Click) {
      r.clicked = static_cast<int16_t>(EventID);
    } else if (Action != ActionCode::Nothing) {
      r.otherAction = Action;
      r.otherEvent = static_cast<int16_t>(EventID);
    }
    Action = 0;
  }
  port.Pause(kPassMs);
}

}  // namespace

void StreamReader::FollowLineOpening() {
  if (opening_ == SerialLineOpening()) return;
  if (reopening_ != SerialLineReopening())
    lines_.ClearToLineEnd();
  else
    lines_.Clear();
  opening_ = SerialLineOpening();
  reopening_ = SerialLineReopening();
}

void StreamReader::Gather(SerialPort& port) {
  // A lost line is opened again while it is read (a wait for a line outlasts the loss).
  for (int k = 0; k < kChunksPerLook && port.BytesWaiting() > 0; ++k) {
    FollowLineOpening();
    const std::string bytes = port.ReadBytes(kChunk);
    FollowLineOpening();
    if (bytes.empty()) break;
    lines_.Add(bytes);
  }
}

StreamRead StreamReader::Read(SerialPort& port, int16_t mode, int fieldsNeeded) {
  StreamRead r;
  std::string newest;
  const uint32_t deadline = rt::TickCount() + kStreamTimeoutTicks;
  for (;;) {
    if (mode == 1)
      PumpedPass(port, r);
    else
      PacedPass(port);
    Gather(port);
    // The newest line is the sample's reading: a damaged one, or a piece of a line
    // between two line ends (too short for the variables the channels read), is a
    // failed reading at once, even after a clean line of the same read.
    std::vector<std::string> lines = lines_.TakeLines();
    const auto last =
        std::find_if(lines.rbegin(), lines.rend(), [](const std::string& line) { return !IsNameLine(line); });
    if (last != lines.rend()) {
      r.gotLine = !IsDamaged(*last) && FieldCount(*last) >= fieldsNeeded;
      if (r.gotLine) newest = std::move(*last);
      break;
    }
    if (TickPassed(deadline)) {
      lines_.GiveUpUnfinished();
      break;
    }
    // The run's stop (Escape, the stop icon, Ctrl-Q) does not wait for the next line.
    if (RecordingStopAsked()) {
      r.stopped = true;
      break;
    }
  }
  r.values = stream::SplitLine(newest);
  return r;
}

void StreamReader::ForgetLinesSoFar(SerialPort& port) {
  // What the system still holds behind the bytes waiting (all that came while nobody
  // read) comes up a piece at a time, and a line under way comes at the line's pace:
  // both are read until the line falls quiet, within a bound for an instrument that
  // never pauses, and dropped with the rest of a line begun.
  const auto quiet = std::max(port.QuietGap(), std::chrono::microseconds(kForgetQuietUs));
  const uint32_t deadline = rt::TickCount() + kForgetTicks;
  do {
    Gather(port);
  } while (port.AwaitBytes(1, quiet) && !TickPassed(deadline));
  lines_.TakeLines();
  lines_.GiveUpUnfinished();
}

std::string StreamReader::ReadName(SerialPort& port) {
  const uint32_t start = rt::TickCount();
  while (!TickPassed(start + 4)) port.Pause(1);
  for (;;) {
    Gather(port);
    const std::vector<std::string> lines = lines_.TakeLines();
    for (const std::string& line : lines)
      if (IsNameLine(line)) return stream::InstrumentName(line);
    if (!lines.empty() || TickPassed(start + kNameLineTicks)) return {};
    port.Pause(kPassMs);
  }
}

namespace {

// The program's reader, kept to the line's present opening.
struct ProgramReader {
  StreamReader reader;
  int16_t otherAction = 0, otherEvent = 0;
  bool stopped = false;
};

ProgramReader& Program() {
  static ProgramReader p;
  p.reader.FollowLineOpening();
  return p;
}

// The highest stream variable a channel reads: the variables chosen in the set-up panel
// (column 2 holds their channels); with none chosen there, during a recording, the
// variables the channels' hardware inputs name (as the dispatcher reads them).
int VariablesRead() {
  int highest = 0;
  for (int n = 1; n <= stream::kVariables; ++n)
    if (serialArray[n][2] != 0.0f) highest = n;
  if (highest > 0 || RecordingLoopRunning == 0) return highest;
  for (int ch = 1; ch <= nChannels && ch <= 16; ++ch) {
    const float input = ChannelVariables[ch][1];
    if (std::isfinite(input) && input >= 1.0f && input < 17.0f)
      highest = std::max(highest, static_cast<int>(input));
  }
  return highest;
}

}  // namespace

std::pair<int16_t, int16_t> StreamWaitOtherAction() {
  const ProgramReader& p = Program();
  return {p.otherAction, p.otherEvent};
}

bool StreamReadStopped() {
  return Program().stopped;
}

void ResetStreamReader() {
  Program().reader.Reset();
}

void ForgetStreamLinesSoFar() {
  Program().reader.ForgetLinesSoFar(SerialLine());
}

void ReadSerialStream(int16_t mode) {
  const HandlerScope callersHandlers;
  MouseWasClicked = 0;
  rt::SetDialogHandler(doDIALOG);
  ProgramReader& p = Program();
  const StreamRead r = p.reader.Read(SerialLine(), mode, VariablesRead());
  p.otherAction = r.otherAction;
  p.otherEvent = r.otherEvent;
  p.stopped = r.stopped;
  if (!r.gotLine && !r.stopped) {
    NoteFailedReading();
    BuzzFailedRead();
  }
  for (int n = 1; n <= stream::kVariables; ++n) serialArray[n][1] = r.values[n];
  volts = r.values[stream::kVariables];
  Action = ActionCode::Click;
  EventID = r.clicked;
}

std::string GetInstrumentName() {
  return Program().reader.ReadName(SerialLine());
}

}  // namespace mv
