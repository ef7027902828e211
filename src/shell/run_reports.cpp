#include "shell/run_reports.h"

#include <algorithm>

#include "devices/state.h"
#include "files/shutdown_message.h"
#include "kit/builders.h"
#include "kit/drawing.h"
#include "kit/format.h"
#include "kit/protocol.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "runtime/system.h"
#include "runtime/windows.h"
#include "setup/state.h"

namespace mv {

namespace {

constexpr int16_t kTextBlack = 7, kTextRed = 6, kTextBlue = 4, kTextYellow = 1;
// The longest shutdown message still shown at the large size.
constexpr std::size_t kLongMessage = 100;

RGBColor PaletteColour(int16_t code) {
  const RGBf c = LinePalette(code);
  auto q = [](double v) { return static_cast<uint16_t>(v * 65535.0 + 0.5); };
  return RGBColor{q(c.red), q(c.green), q(c.blue)};
}

// A window of this frame with the theme background.
void OpenPlainWindow(int16_t number, const Str255& title, int16_t left, int16_t top, int16_t width,
                     int16_t height, int16_t kind) {
  rt::CloseWindow(number);
  rt::OpenWindow(number, title,
                 Rect{left, top, static_cast<int16_t>(left + width), static_cast<int16_t>(top + height)},
                 kind);
  SetWindowBackground(1, true);
}

}  // namespace

void ShowFileIsSaved(const Str255& fileName) {
  if (fileName.empty()) return;
  const int16_t output = rt::OutputWindow();
  OpenPlainWindow(kSavedNoticeWindow, " ", 383, 66, 442, 106, 13);
  WARNINGSTRIPES(4);
  rt::DrawText(118, 27, "   Last chart file acquired:", KitFont(KestraneFont, 14), PaletteColour(kTextBlack));
  rt::DrawText(108, 87, Str255("  ") + bullet + " has been saved " + bullet, KitFont(KestraneFont, 24),
               PaletteColour(kTextBlack));
  const int16_t fore = EFForeColor, back = EFBackColor;
  EFForeColor = kTextYellow;
  EFBackColor = kTextBlack;
  BUILDEF(2, fileName, 13, 40, 429, 60, 5, 2);
  EFForeColor = fore;
  EFBackColor = back;
  rt::FlushWindow();
  if (output) rt::SetOutputWindow(output);
}

SpikeReportLine SpikeReportFor(int16_t channel, int32_t spikes) {
  SpikeReportLine line;
  line.label = Str255("chan") + NumText(channel) + ": ";
  line.noSpikes = spikes == 0;
  if (line.noSpikes)
    line.result = "   no spikes detected";
  else
    line.result = NumText(spikes) + (spikes == 1 ? " spike removed" : " spikes removed");
  return line;
}

void ShowVoltageSpikes() {
  const int16_t channels = std::clamp<int16_t>(nChannels, 0, 16);
  OpenPlainWindow(kSpikeReportWindow, "Spike Filter", 385, 510, 240, static_cast<int16_t>(15 * channels + 12),
                  5);
  const rt::FontSpec font = KitFont(KestraneFont, 14);
  for (int16_t k = 1; k <= channels; ++k) {
    const SpikeReportLine line = SpikeReportFor(k, voltagespikes[k]);
    const double y = 20 + 15 * (k - 1);
    rt::DrawText(10, y, line.label, font, PaletteColour(kTextBlack));
    const double x = 10 + rt::TextWidth(line.label, font);
    rt::DrawText(x, y, line.result, font, PaletteColour(line.noSpikes ? kTextBlue : kTextRed));
  }
  rt::FlushWindow();
}

int ShutdownMessageSize(std::string_view line) {
  return line.size() >= kLongMessage ? 36 : 48;
}

void ShowShutdownMessage() {
  const std::string line = PrefsArray[PrefsSlot::ShutdownMessage] ? ReadShutdownMessage() : std::string();
  if (!line.empty()) {
    OpenPlainWindow(kShutdownWindow, " ", 0, 0, 650, 320, 1);
    WARNINGSTRIPES(4);
    rt::NewEditField(1, line, Rect{20, 20, 630, 270}, 5, 2);
    rt::SetEditColors(1, PaletteColour(kTextBlack), kThemeBackground);
    rt::SetEditFont(1, KitFont(KestraneFont, ShutdownMessageSize(line)));
    rt::NewControl(kShutdownDismissButton, rt::ControlType::DefaultButton, "Dismiss and Shut Down",
                   Rect{400, 280, 630, 301}, 1);
    rt::FlushWindow();
    Sound_Is_On = 1;
    PrefsArray[PrefsSlot::WeirdSounds] = 1;
    ripSound();
    rt::Delay(50);
    zap();
    InstallDialogHandlers(NoMENU);
    rt::SetMouseHandler(MOUSECLICK);
    Action = 0;
    while (Action != ActionCode::Click) {
      Action = 0;
      rt::PumpEvents();
    }
  }
  rt::ExitProgram(0);
}

}  // namespace mv
