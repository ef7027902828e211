#include "acquisition/trigger_wait.h"

#include <cmath>
#include <optional>
#include <string>

#include "acquisition/channel_panel.h"
#include "acquisition/recording_keys.h"
#include "acquisition/state.h"
#include "control/state.h"
#include "control/trigger_window.h"
#include "conversions/evaluate.h"
#include "conversions/state.h"
#include "devices/demonstration.h"
#include "devices/dispatcher.h"
#include "devices/state.h"
#include "devices/stream_reader.h"
#include "kit/builders.h"
#include "kit/drawing.h"
#include "kit/format.h"
#include "kit/protocol.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/windows.h"
#include "setup/state.h"

namespace mv {
namespace {

constexpr RGBColor kBlack{0, 0, 0};
constexpr int kStripWidth = 631, kStripHeight = 32;

bool ScopeModes() {
  return RecordingMODE == RecordingModeCode::Scope || RecordingMODE == RecordingModeCode::ScopeChart;
}

// The strip says what the wait watches, or, when the interface lacks the input, why
// nothing is watched.
void OpenStrip(int16_t record, const std::optional<std::string>& refusal) {
  if (rt::WindowExists(kTriggerStripWindow)) rt::CloseWindow(kTriggerStripWindow);
  rt::OpenWindow(kTriggerStripWindow, "", Rect{4, 4, 4 + kStripWidth, 4 + kStripHeight}, 5);
  SetWindowBackground(sunset, true);
  rt::FontSpec font = KitFont(3, 10);
  font.bold = true;
  const Str255 status =
      refusal ? Str255(" " + *refusal + "  ")
              : TriggerStatusText(TriggerChan, nChannels, ChannelVariables[record][ChanField::Input],
                                  TriggerMode, triggerval);
  rt::DrawText(2, 29, status.str(), font, RGBblue);
  rt::DrawText(2 + rt::TextWidth(status.str(), font), 29,
               TriggerInstructionText(RecordingMODE, TriggerSequence).str(), font, RGBred);
  rt::FlushWindow();
}

// The present value at (420, 29) over a fresh sunset patch, so a shorter text leaves
// nothing of a longer one behind.
void ShowPresentValue(float value) {
  CGdrawBox(1, sunset, 1, 420, 16, kStripWidth, kStripHeight, 0);
  rt::DrawText(420, 29, (Str255("present value ") + NumText(value) + Str255(15, ' ')).str(), KitFont(0, 12),
               kBlack);
  rt::FlushWindow();
}

void TakeReading(int16_t record) {
  if (External_AD == ExternalADCode::Demonstration) {
    if (DemonstrationMODE == 1) DemonstrationTriggerReading();
    return;
  }
  serialWasRead = 0;  // every look reads the stream's next line
  ReadExternalADdevice(record, 0);
}

void RestoreAcquisitionWindow() {
  rt::CloseWindow(kTriggerStripWindow);
  if (!rt::WindowExists(kAcquisitionWindow)) return;
  rt::SetOutputWindow(kAcquisitionWindow);
  rt::FontSpec font = KitFont(3, 9);
  font.bold = true;
  rt::SetTextFont(font);
  rt::FocusEditField(0);
  rt::SetTextColor(kBlack);
  const bool wide = PrefsArray[PrefsSlot::WindowWidth] >= 832;
  const bool scopeChart = RecordingMODE == RecordingModeCode::ScopeChart;
  const int16_t left = wide ? (scopeChart ? 204 : 354) : (scopeChart ? 202 : 352);
  const int16_t right = wide ? 638 : 465;
  CGdrawBox(1, gray, 1, left, 18, right, 30, 0);
  ScreenINFO();
}

}  // namespace

int16_t TriggerRecord(int16_t triggerChan, int16_t channels) {
  return triggerChan >= 1 && triggerChan <= channels && triggerChan <= 16 ? triggerChan : 16;
}

Str255 TriggerStatusText(int16_t triggerChan, int16_t channels, float extraInput, int16_t mode, float level) {
  Str255 t = triggerChan < 1 || triggerChan > channels
                 ? Str255(" Waiting for A-D #") + NumText(std::trunc(extraInput))
                 : Str255(" Waiting for channel") + NumText(triggerChan);
  t += mode != 0 ? " to fall below" : " to exceed";
  t += NumText(level);
  t += std::isfinite(level) && level == std::trunc(level) ? ".0  " : "  ";
  return t;
}

Str255 TriggerInstructionText(int16_t recordingMode, int16_t sequence) {
  if (recordingMode == RecordingModeCode::Scope || recordingMode == RecordingModeCode::ScopeChart)
    return sequence < 3 ? "Click mouse or hit 'space' to Sample; 'return' for continuous"
                        : "Click mouse to save; hit 'space' to Sample; 'return' for continuous";
  return "     Click mouse to start";
}

float TriggerValue(int16_t record, bool extraInput, float a, float b, float c, float& reading, float level) {
  if (a == -9999.0f) return level;
  if (a == 9999.0f) {
    const ConvResult r = EvaluateThreeWay(polyarray[record], reading);
    reading = r.volts;
    return r.value;
  }
  // The level is in the channel's units, so a recorded channel is converted by its own
  // type, as its strip shows it; the extra input (and a channel without a type) by the
  // power rule a + b x V^c, which its settings a 0, b 1, c 1 make the volts themselves.
  int16_t type = extraInput ? 0 : WholeCode(ChannelVariables[0][record]);
  if (type == 0) type = ConversionTypeCode::Power;
  return ConvertReading(type, a, b, c, BreakpointArray[record], polyarray[record], ASCIIvalue, reading).value;
}

bool TriggerFires(int16_t mode, float value, float level, float reading) {
  if (reading == kBadReading || value == kBadReading) return false;
  return mode == 0 ? value >= level : level >= value;
}

int16_t RUNTRIGGER() {
  const HandlerScope callersHandlers;
  const int16_t record = TriggerRecord(TriggerChan, nChannels);
  const bool extraInput = TriggerChan < 1 || TriggerChan > nChannels;
  // An input the interface lacks is never read: no byte would go out for it, and the
  // level would be tested on a value no reading gave. The user starts the run.
  const std::optional<std::string> refusal = TriggerInputRefusal();
  OpenStrip(record, refusal);
  aval = ChannelVariables[record][ChanField::A];
  bval = ChannelVariables[record][ChanField::B];
  exponent = ChannelVariables[record][ChanField::C];
  hardwareADchannel = static_cast<int16_t>(WholeCode(ChannelVariables[record][ChanField::Input]) - 1);
  if (External_AD == ExternalADCode::ADC1) hardwareADchannel = static_cast<int16_t>(hardwareADchannel + 1);
  if (record == 1 && !extraInput && ScopeModes()) bval = 1;
  TempTriggrON = TriggerON;
  InstallDialogHandlers(NoMENU);
  rt::SetMouseHandler(MOUSECLICK);
  Action = 0;
  EventID = 0;
  const bool showValue =
      RecordingMODE == RecordingModeCode::Chart || RecordingMODE == RecordingModeCode::ScopeChart;
  int16_t result = kTriggerFired;
  for (;;) {
    rt::PumpEvents(1);
    // What the user did is taken before the read: a streaming read clears the codes.
    const int16_t action = Action;
    const int32_t key = EventID;
    Action = 0;
    // The strip closed by anything else ends the wait: there is nothing left to show.
    if (!rt::WindowExists(kTriggerStripWindow)) break;
    // A click on the strip or on another window starts at once, as the strip says;
    // any typed key goes back to the caller.
    if (action == ActionCode::Click || action == ActionCode::WindowActivity) break;
    if (action == ActionCode::Key) {
      result = static_cast<int16_t>(key);
      break;
    }
    if (refusal) continue;
    TakeReading(record);
    // A streaming read pumps events while it waits for its line and keeps a key or
    // another window's action given then: it ends the wait as it would have here.
    if (External_AD == ExternalADCode::SerialStream) {
      const auto [other, event] = StreamWaitOtherAction();
      if (other == ActionCode::WindowActivity) break;
      if (other == ActionCode::Key) {
        result = event;
        break;
      }
    }
    v = TriggerValue(record, extraInput, aval, bval, exponent, volts, triggerval);
    rt::SetOutputWindow(kTriggerStripWindow);
    if (showValue && volts != kBadReading) ShowPresentValue(v);
    if (TriggerFires(TriggerMode, v, triggerval, volts)) break;
  }
  RestoreAcquisitionWindow();
  if (PrefsArray[PrefsSlot::Autorepeat]) TriggerON = 0;
  Action = 0;
  EventID = 0;
  return result;
}

}  // namespace mv
