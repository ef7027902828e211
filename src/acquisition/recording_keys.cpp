#include "acquisition/recording_keys.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "acquisition/needs.h"
#include "acquisition/state.h"
#include "control/state.h"
#include "control/switching_schedule.h"
#include "kit/builders.h"
#include "kit/format.h"
#include "kit/protocol.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "runtime/windows.h"
#include "setup/state.h"

namespace mv {
namespace {

// Result of each key code 0..127 within its word's table; 0 where the word has no key.
struct KeyTable {
  std::array<int32_t, 128> code{};
  constexpr KeyTable() {
    const char* word0 = "asdfhgzxcv\0bqwer";  // key codes 0..15 (10 has no key)
    for (int k = 0; k < 16; ++k) code[k] = static_cast<unsigned char>(word0[k]);
    const char word1[16] = {'y', 't', '1', '2', '3', '4', '6', '5', '+', '9', '7', '-', '8', '0', 0, 'o'};
    for (int k = 0; k < 16; ++k) code[16 + k] = word1[k];
    code[32] = 'u';
    code[34] = 'i';
    code[35] = 'p';
    code[36] = RecordingKeyCode::Return;
    code[37] = 'l';
    code[38] = 'j';
    code[40] = 'k';
    code[45] = 'n';
    code[46] = 'm';
    code[53] = RecordingKeyCode::Escape;
    const char keypad[11] = {'0', '1', '2', '3', '4', '5', '6', '7', 0, '8', '9'};  // 82..92, 90 unused
    for (int k = 0; k < 11; ++k) code[82 + k] = keypad[k];
    code[115] = RecordingKeyCode::Home;  // so that "home = 0" of a keyboard channel has its key
    code[123] = RecordingKeyCode::Left;
    code[124] = RecordingKeyCode::Right;
    code[125] = RecordingKeyCode::Down;
    code[126] = RecordingKeyCode::Up;
  }
};
constexpr KeyTable kKeys;

uint16_t Word(const std::array<uint8_t, 16>& map, int w) {
  return static_cast<uint16_t>(map[2 * w] | (map[2 * w + 1] << 8));
}

// The one key of a word whose only key down it is; -1 when none or several are down.
int LoneKey(const std::array<uint8_t, 16>& map, int w) {
  const uint16_t word = Word(map, w);
  if (std::popcount(word) != 1) return -1;
  return 16 * w + std::countr_zero(word);
}

bool IsLetter(int32_t c) {
  return c >= 'a' && c <= 'z';
}

}  // namespace

int32_t READKEYS(const std::array<uint8_t, 16>& map) {
  int32_t word[8];
  for (int w = 0; w < 8; ++w) {
    const int k = LoneKey(map, w);
    word[w] = k < 0 ? 0 : kKeys.code[k];
  }
  const int32_t w1 = word[1];
  const bool w1Digit = (w1 >= '0' && w1 <= '9') || w1 == '+';
  const int32_t w2Letter = IsLetter(word[2]) ? word[2] : 0;
  const int32_t w1Other = w1Digit ? 0 : w1;  // y, t, o and "-"

  int32_t c = 0;
  if (word[5] != 0)
    c = word[5];
  else if (w1Digit)
    c = w1;
  else if (w2Letter != 0)
    c = w2Letter;
  else if (w1Other != 0)
    c = w1Other;
  else if (word[0] != 0)
    c = word[0];
  else if (word[2] == RecordingKeyCode::Return)
    c = RecordingKeyCode::Return;
  else if (word[3] == RecordingKeyCode::Escape)
    c = RecordingKeyCode::Escape;
  else
    c = word[7];

  const uint16_t modifiers = Word(map, 3);
  if (IsLetter(c) && (modifiers == KeyWord3::Shift || modifiers == KeyWord3::CapsLock)) c -= 32;
  return c;
}

bool RecordingKeyDown(const std::array<uint8_t, 16>& map, int32_t code) {
  if (code == 0) return false;
  for (int k = 0; k < 128; ++k)
    if (kKeys.code[k] == code && ((map[k >> 3] >> (k & 7)) & 1) != 0) return true;
  return false;
}

void AddSomeTIME() {
  rt::SetOutputWindow(kAcquisitionWindow);
  const int32_t w = PrefsArray[PrefsSlot::WindowWidth];
  SegmentsInProgressBar = static_cast<int16_t>(w - 10);
  const int16_t x0 = w < 832 ? 471 : 650;
  const rt::FontSpec font = KitFont(KestraneFont, 14);
  if (static_cast<double>(w) * ChartView >= MaxSamples) {
    rt::FillRect(x0, 0, w - x0, 15, DarkGray.red / 65535.0, DarkGray.green / 65535.0,
                 DarkGray.blue / 65535.0);
    rt::DrawText(x0 + 4, 12, ShowDisplays ? "available capacity used     " : "available screens used      ",
                 font, VeryLightGray);
    if (w >= 700) {
      const rt::FontSpec small = KitFont(KestraneFont, 12);
      const int width = rt::TextWidth("100% |", small);
      rt::DrawText(SegmentsInProgressBar - width, 13, "100% |", small, VeryLightGray);
    }
  }
  rt::DisposeControl(kProgressBarControl);
  buildProgressBAR(x0, 19, SegmentsInProgressBar, 23, 0, SegmentsInProgressBar);

  SwitchingOnAddTime(w);
  if (NewScreen == 0) NewScreen = 1;
  MaxSamples = static_cast<int32_t>(std::min<int64_t>(int64_t{MaxSamples} + w, MaximumSamples));
  TraceLength = static_cast<float>(ChartIntervalInSeconds * MaxSamples);
  minute_units = TraceLength > 600.0f ? 1 : 0;
  donefact = MaxSamples > 0 ? 100.0f / static_cast<float>(MaxSamples) : 0.0f;

  rt::SetOutputWindow(kAcquisitionWindow);
  acq_hooks::ScreenINFO();
  rt::SetOutputWindow(kAcquisitionWindow);
  if (MaxSamples > 0) {
    const int64_t segments = SegmentsInProgressBar;
    const int64_t p = ShowDisplays ? segments * Sample / MaxSamples
                                   : (Sample + static_cast<int64_t>(w * ChartView)) * segments / MaxSamples;
    rt::SetControlValue(kProgressBarControl, static_cast<int>(std::clamp<int64_t>(p, 0, segments)));
  }
  ControlStripClicked = 0;
}

Str255 NextReferenceText(int32_t refOnTime, int64_t nowTicks) {
  if (refOnTime == kNeverTick || refOnTime < nowTicks) return "no reference scheduled";
  const double m = static_cast<double>(refOnTime - nowTicks) / 3600.0;
  Str255 s = "Next reference in ";
  if (m < 1) return s + PictureFormat(m * 60, "##") + " seconds";
  if (m < 100) return s + PictureFormat(m, "##.##") + " minutes";
  if (m <= 120) return s + PictureFormat(m, "###.##") + " minutes";
  if (m <= 99 * 60) return s + PictureFormat(m / 60, "##.##") + " hours";
  return s + PictureFormat(m / 60, "###.#") + " hours";
}

void TimeNextREF() {
  ControlStripClicked = 0;
  // The command may come from a toolbar click: the window waits for the button to be
  // up, at most a few seconds, so a stuck button never holds the recording.
  for (int i = 0; i < 300 && rt::Button(); ++i) rt::PumpEvents(10);
  if (SwitchingMode < 3) return;
  timeNow = static_cast<int32_t>(rt::TickCount());
  const Str255 text = NextReferenceText(RefOnTime, rt::TickCount());
  rt::CloseWindow(777);
  rt::CloseWindow(kNextReferenceWindow);
  rt::OpenWindow(kNextReferenceWindow, " ", Rect{120, 64, 358, 88}, 1);
  rt::FillWindow(kThemeBackground);
  rt::DrawText(10, 16, text, KitFont(KestraneFont, 12), RGBColor{0, 0, 0});
  rt::PumpEvents(0);
  rt::SetOutputWindow(kAcquisitionWindow);
}

bool TakeCommandQTyped() {
  const bool typed = CommandQTyped != 0;
  CommandQTyped = 0;
  return typed;
}

}  // namespace mv
