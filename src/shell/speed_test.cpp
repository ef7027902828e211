#include "shell/speed_test.h"

#include <algorithm>
#include <cmath>

#include "kit/builders.h"
#include "kit/drawing.h"
#include "kit/format.h"
#include "kit/resources.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "runtime/system.h"
#include "runtime/windows.h"
#include "shell/waits.h"

namespace mv {

namespace {

constexpr int kFirstStep = 320;
constexpr int kLastStep = 2720;
constexpr int kProgressMaximum = 2400;

void OpenSpeedTestWindow() {
  if (PrefsArray[PrefsSlot::BadReadingKeepsLast]) {
    const bool mascot = PrefsArray[PrefsSlot::MascotPictures] != 0;
    BuildWINDOW(kSpeedTestWindow, "Initializing...", 115, 380, mascot ? 600 : 480, 505, 5);
    if (mascot) DrawThisImage(CreateCGImageFromBundleResource("MVimages", "Pladdy1.gif"), 350, 5, 458, 125);
  } else {
    BuildWINDOW(kSpeedTestWindow, "CPU Check", 95, 380, 445, 505, 5);
  }
  EmbossPrint(1, "System Speed Test", 18, 32, 35);
  rt::DrawText(25, 74, "checking conversion and display rate...", KitFont(KestraneFont, 13),
               RGBColor{0, 0, 0});
  rt::FlushWindow();
}

// The timed burst: random numbers, the progress bar, lines and printed values.
void DrawTheBurst() {
  const rt::FontSpec font = KitFont(KestraneFont, 12);
  for (int i = kFirstStep; i <= kLastStep; ++i) {
    const double value = rt::Rnd(100) / 800.0;
    if (i % 40 == 0) {
      rt::SetControlValue(kProgressBarControl, std::clamp(i, 1, kProgressMaximum));
      rt::FlushWindow();
    }
    PlotCG(1, static_cast<int16_t>(i / 4), 200, static_cast<int16_t>((i - 1) / 4), 250, 7);
    rt::DrawText(100, 300, NumText(value), font, RGBColor{0, 0, 0});
  }
}

}  // namespace

int16_t SpeedFromTicks(int32_t elapsedTicks) {
  const auto elapsed = static_cast<int16_t>(elapsedTicks);
  auto d = static_cast<int32_t>(std::trunc(elapsed / 2.3));
  if (d < 1) d = 1;
  return static_cast<int16_t>(17000 / d);
}

Str255 SpeedVerdict(int16_t speed) {
  if (speed < 151) return " sluglike...";
  if (speed <= 220) return "  kinda slow...";
  if (speed <= 370) return "  not too bad...";
  if (speed <= 500) return "  pretty fast...";
  return " REALLY fast...";
}

bool SpeedIsFast(int16_t speed) {
  return speed >= 221;
}

void GetSpeedEstimate() {
  OpenSpeedTestWindow();
  const uint32_t start = rt::TickCount();
  rt::Delay(100);
  buildProgressBAR(20, 43, 320, 53, kFirstStep, kLastStep);
  rt::Delay(100);
  DrawTheBurst();

  PrefsArray[PrefsSlot::DashPattern] = 0;
  FreeRunSpeed = SpeedFromTicks(static_cast<int32_t>(rt::TickCount() - start));
  CPU_is_Fast = SpeedIsFast(FreeRunSpeed) ? 1 : 0;
  EmbossPrint(1, SpeedVerdict(FreeRunSpeed), 16, 60, 114);
  rt::FlushWindow();
  if (SoundsOn()) PlaySound(FreeRunSpeed < 451 ? "downvip.mp3" : "upvip.mp3", "MVsounds");

  rt::PumpEvents(0);
  PumpFor(1000);
  PumpFor(500);
  rt::SetOutputWindow(kSpeedTestWindow);
  rt::DisposeControl(kProgressBarControl);
  rt::CloseWindow(kSpeedTestWindow);
}

}  // namespace mv
