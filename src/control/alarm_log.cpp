#include "control/alarm_log.h"

#include <algorithm>
#include <cmath>

#include "control/alarm_window.h"
#include "control/state.h"
#include "conversions/evaluate.h"
#include "conversions/state.h"
#include "devices/interfaces.h"
#include "devices/state.h"
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
constexpr RGBColor kRed{65535, 0, 0};
constexpr RGBColor kBlue{0, 0, 65535};

int16_t I(int v) {
  return static_cast<int16_t>(v);
}
int16_t Channels(const ConversionsRun& run) {
  return I(std::clamp<int>(run.channelCount, 0, 16));
}

void DrawHeads(int16_t externalAD) {
  rt::DrawText(15, 38, "channel and units", KitFont(KestraneFont, 16), kBlack);
  const rt::FontSpec head = KitFont(KestraneFont, 14);
  rt::DrawText(248, 17, "|------- user-set error conditions -------| ", head, kRed);
  rt::DrawText(248, 33, "lower limits                       upper limits", head, kBlack);
  rt::DrawText(601, 18, "overrange", head, kBlue);
  const rt::FontSpec plain = KitFont(3, 12);
  rt::DrawText(227, 48, "limit           N         last @", plain, kBlack);
  rt::DrawText(409, 48, "limit           N         last @", plain, kBlack);
  rt::DrawText(594, 48, "N             last @", plain, kBlack);
  rt::DrawText(externalAD == ExternalADCode::Demonstration ? 596 : 586, 33, RunOverRangeRuleText().str(), plain,
               kBlack);
}

// One read-only field in the plain 11-point font, in colour codes fore and back.
void LogField(int16_t number, const Str255& text, int left, int right, int y, int16_t fore, int16_t back,
              bool bold) {
  EFForeColor = fore;
  EFBackColor = back;
  BUILDEF(number, text, I(left), I(y - 17), I(right), I(y - 1), 7, 2);
  rt::FontSpec font = KitFont(3, 11);
  font.bold = bold;
  rt::SetEditFont(number, font);
}

// A count: yellow on red when alarms came, black on green for none.
void CountField(int16_t number, float count, int left, int right, int y) {
  const bool none = AlarmCountText(count).str() == "   none";
  LogField(number, AlarmCountText(count), left, right, y, none ? 0 : 4, none ? 10 : 2, true);
}

void DrawRow(int16_t n, const ChannelConversionOfRun& channel) {
  const int y = 23 * n + 49;
  const AlarmConditionsRecord& r = channel.alarms;
  CGdrawBox(1, manila, 1, 3, I(y - 22), 209, I(y), 0);
  BUILDBOX2(3, I(y - 22), 704, I(y));
  const rt::FontSpec font = KitFont(KestraneFont, 12);
  rt::DrawText(n >= 10 ? 1 : 8, y - 7, NumText(n).str(), font, kBlack);
  rt::DrawText(29, y - 7, channel.label.str(), font, kBlack);
  if (AlarmFlagSet(r[AlarmField::LowerOn])) {
    LogField(AlarmLogField(n, 0), NumText(r[AlarmField::LowerLimit]), 216, 273, y, 0, 9, false);
    CountField(AlarmLogField(n, 1), r[AlarmField::LowerCount], 276, 328, y);
    if (r[AlarmField::LowerLast] != 0.0f)
      LogField(AlarmLogField(n, 2), NumText(r[AlarmField::LowerLast]), 332, 395, y, 0, 9, false);
  }
  if (AlarmFlagSet(r[AlarmField::UpperOn])) {
    LogField(AlarmLogField(n, 3), NumText(r[AlarmField::UpperLimit]), 401, 452, y, 0, 9, false);
    CountField(AlarmLogField(n, 4), r[AlarmField::UpperCount], 456, 508, y);
    if (r[AlarmField::UpperLast] != 0.0f)
      LogField(AlarmLogField(n, 5), NumText(r[AlarmField::UpperLast]), 513, 576, y, 0, 9, false);
  }
  if (AlarmFlagSet(r[AlarmField::OverRangeOn])) {
    CountField(AlarmLogField(n, 6), r[AlarmField::OverRangeCount], 584, 635, y);
    const float last = r[AlarmField::OverRangeLast];
    LogField(AlarmLogField(n, 7), last != 0.0f ? NumText(last) : Str255(), 639, 710, y, 0, 9, false);
  }
}

// The run's channels as it recorded them, with their alarms as it ended: channels
// changed since belong to the next run.
void BuildLog() {
  const ConversionsRun run = RunAsRecorded();
  const int d = MaximumChans >= 13 ? 92 : 0;
  BuildWINDOW(kAlarmLogWindow, "Alarm Log", 5, 45, 715, I(MaximumChans >= 13 ? 502 : 410), 262);
  DrawHeads(run.externalAD);  // the rule of the interface the run read
  const int16_t first = RecordingMODE == RecordingModeCode::ScopeChart ? 2 : 1;
  if (first == 2) {
    BUILDBOX2(2, 41, 711, 65);
    rt::FontSpec bold = KitFont(KestraneFont, 14);
    bold.bold = true;
    const Str255 three = bullet + bullet + bullet;
    rt::DrawText(40, 60,
                 (Str255(" ") + three + " alarms are not allowed on oscilloscope channels " + three).str(),
                 bold, kRed);
  }
  const int bottom = 23 * Channels(run) + 51;
  if (Channels(run) >= 1) {
    CGdrawBox(1, extremelyLightGray, 1, 2, 53, 25, I(bottom), 0);
    for (int x : {210, 398, 580}) PlotCGrgb(1.0f, I(x), 53, I(x), I(bottom), DarkGray);
  }
  rt::NewControl(kAlarmLogOK, rt::ControlType::DefaultButton, "OK", RectOf(570, 336 + d, 690, 356 + d), 1);
  for (int16_t n = first; n <= Channels(run); ++n) DrawRow(n, run.channels[n]);
  EFForeColor = 0;
  EFBackColor = 6;
  rt::FlushWindow();
}

}  // namespace

Str255 OverRangeRuleText(int16_t externalAD) {
  return OverRangeRuleFor(externalAD).text;
}

Str255 RunOverRangeRuleText() {
  return OverRangeRuleText(RunAsRecorded().externalAD);
}

Str255 AlarmCountText(float count) {
  const Str255 text = NumText(count);
  return text.str() == " 0" ? Str255("   none") : text;
}

void SHOWALARMS() {
  const HandlerScope callersHandlers;
  BuildLog();
  Action = 0;
  EventID = 0;
  InstallDialogHandlers(NoMENU);
  while (rt::WindowExists(kAlarmLogWindow)) {
    rt::PumpEvents();
    if (!rt::WindowExists(kAlarmLogWindow)) break;
    const bool done = (Action == ActionCode::Click && EventID == kAlarmLogOK) ||
                      (Action == ActionCode::Key && (EventID == 0 || EventID == 13 || EventID == 3)) ||
                      (Action == ActionCode::CloseBox && EventID == kAlarmLogWindow);
    if (Action != ActionCode::Nothing) {
      Action = 0;
      EventID = 0;
    }
    if (done) break;
  }
  if (rt::WindowExists(kAlarmLogWindow)) rt::CloseWindow(kAlarmLogWindow);
  Action = 0;
  EventID = 0;
}

}  // namespace mv
