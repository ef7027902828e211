#include "kit/gallery.h"

#include <string>

#include "kit/builders.h"
#include "kit/drawing.h"
#include "kit/protocol.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/windows.h"

namespace mv {

namespace {

void Label(int x, int y, const std::string& text, double size = 11) {
  rt::DrawText(x, y, text, KitFont(KestraneFont, size), RGBColor{0, 0, 0});
}

std::string Num(int n) {
  return std::to_string(n);
}

void Palettes() {
  EmbossPrint(0, "Line palette", 14, 22, 40);
  for (int c = 0; c <= 7; ++c) {
    int16_t y = static_cast<int16_t>(52 + 12 * c);
    CGdrawBox(1, gray, 1, 20, y - 5, 150, y + 5, 0);
    PlotCG(3, 40, y, 140, y, static_cast<int16_t>(c));
    Label(24, y + 4, Num(c), 10);
  }
  EmbossPrint(0, "Box palette", 14, 172, 40);
  for (int c = 0; c <= 7; ++c) {
    int16_t x = static_cast<int16_t>(172 + 28 * (c % 4)), y = static_cast<int16_t>(50 + 44 * (c / 4));
    Label(x + 6, y + 36, Num(c), 10);
    if (c == 5) {  // refused: drawing it would sound the error cue
      CGdrawBox(0, {}, 0, x, y, x + 22, y + 22, 7);
      PlotCG(1, x, y, static_cast<int16_t>(x + 22), static_cast<int16_t>(y + 22), 7);
      PlotCG(1, x, static_cast<int16_t>(y + 22), static_cast<int16_t>(x + 22), y, 7);
      continue;
    }
    CGdrawBox(0, {}, 1, x, y, x + 22, y + 22, static_cast<int16_t>(c));
    CGdrawBox(0, {}, 0, x, y, x + 22, y + 22, 7);
  }
  Label(172, 152, "5 and numbers outside 0-7 are refused", 9);
  EmbossPrint(0, "Circle palette", 14, 300, 40);
  for (int c = 0; c <= 8; ++c) {
    QuartzPointsArray[1] = {static_cast<float>(310 + 24 * (c % 5)), static_cast<float>(62 + 40 * (c / 5))};
    CGdrawCircle(0, {}, 1, 9, static_cast<int16_t>(c), 1);
    CGdrawCircle(0, {}, 0, 9, 7, 1);
    Label(306 + 24 * (c % 5), 86 + 40 * (c / 5), Num(c), 10);
  }
}

void Dashes() {
  EmbossPrint(0, "Dashes (slot 61)", 14, 440, 40);
  int16_t saved = PrefsArray[PrefsSlot::DashPattern];
  for (int d = 0; d <= 8; ++d) {
    int16_t y = static_cast<int16_t>(52 + 10 * d);
    PrefsArray[PrefsSlot::DashPattern] = static_cast<int16_t>(d);
    PlotCG(1, 460, y, 640, y, 3);
    Label(442, y + 4, Num(d), 9);
  }
  PrefsArray[PrefsSlot::DashPattern] = saved;
  Label(660, 60, "no-alias scope trace", 10);
  for (int i = 0; i < 10; ++i)
    CGDrawLineNoAliasing(static_cast<int16_t>(660 + 20 * i), static_cast<int16_t>(i % 2 ? 80 : 100),
                         static_cast<int16_t>(680 + 20 * i), static_cast<int16_t>(i % 2 ? 100 : 80),
                         ScopeDataColor);
  CGdrawBox(1, ScopeBackgroundColor, 1, 660, 108, 860, 140, 0);
  PlotCGrgb(2, 662, 124, 858, 124, ScopeDataColor);
  CGInvertBox(700, 112, 780, 136);
  CGInvertline(670, 112, 850, 136);
  Label(660, 154, "invert box and line over a scope panel", 10);
}

void Panels() {
  EmbossPrint(1, "Panels and buttons", 16, 22, 180);
  BUILDBOX(20, 190, 150, 240);
  Label(30, 220, "BUILDBOX");
  BUILDBOX2(170, 190, 300, 240);
  Label(180, 220, "BUILDBOX2");
  BuildGrayBox(320, 190, 450, 240, 1);
  Label(330, 220, "gray, raised");
  BuildGrayBox(470, 190, 600, 240, 0);
  Label(480, 220, "gray, sunken");
  DoubleLINE(20, 600, 252);
  BUILDBUTTON(1, 2, "check box, framed", 24, 262, 2, 1);
  BUILDBUTTON(2, 1, "radio, framed", 200, 262, 3, 1);
  BUILDBUTTON(3, 2, "radio, bare", 340, 262, 3, 0);
  BUILDBUTTON(4, 0, "dimmed", 470, 262, 2, 1);
}

void Labels() {
  int16_t savedAqua = PrefsArray[PrefsSlot::AquaLabels];
  PrefsArray[PrefsSlot::AquaLabels] = 1;
  EmbossPrint(1, "Embossed, Aqua flag", 18, 640, 190);
  EmbossPrint(0, "Embossed, no Aqua flag", 18, 640, 220);
  PrefsArray[PrefsSlot::AquaLabels] = savedAqua;
  EmbossPrint(0, "Icons 128 to 140", 14, 640, 262);
  for (int n = 128; n <= 140; ++n) {
    int16_t x = static_cast<int16_t>(640 + 40 * ((n - 128) % 6)),
            y = static_cast<int16_t>(310 + 52 * ((n - 128) / 6));
    DrawIcon(static_cast<int16_t>(n), x, y);
    Label(x + 4, y + 14, Num(n), 10);
  }
}

void FieldColours() {
  EmbossPrint(0, "Edit-field colour codes 0 to 10 (text on white; black on background)", 13, 22, 300);
  int16_t fore = EFForeColor, back = EFBackColor;
  for (int code = 0; code <= 10; ++code) {
    int16_t x = static_cast<int16_t>(20 + 54 * code);
    EFForeColor = static_cast<int16_t>(code);
    EFBackColor = 6;
    BUILDEF(static_cast<int16_t>(10 + code), "code " + Num(code), x, 310, x + 50, 328, 7, 2);
    EFForeColor = 0;
    EFBackColor = static_cast<int16_t>(code);
    BUILDEF(static_cast<int16_t>(30 + code), "code " + Num(code), x, 334, x + 50, 352, 7, 2);
  }
  EFForeColor = 1;
  EFBackColor = 1;
  BUILDEF(50, "editable field, codes 1 and 1", 20, 364, 300, 384, 3, 1);
  EFForeColor = fore;
  EFBackColor = back;
  Label(20, 410, "progress bar (control 899)");
  buildProgressBAR(20, 416, 600, 432, 1, 101);
  rt::SetControlValue(kProgressBarControl, 62);
}

}  // namespace

void BuildKitGallery(int16_t window) {
  BuildWINDOW(window, "Drawing kit gallery", 20, 40, 920, 640, 6);
  WARNINGSTRIPES(5);
  Palettes();
  Dashes();
  Panels();
  Labels();
  FieldColours();
  Label(20, 470, "Warning stripes frame the window: yellow up to x 800, stripes to x + y = 1448.", 12);
  rt::FlushWindow();
}

void KitGallery() {
  const HandlerScope callersHandlers;
  BuildKitGallery();
  WINDOWCLEAR();
  InstallDialogHandlers(NoMENU);
  Action = 0;
  EventID = 0;
  for (;;) {
    rt::PumpEvents();
    if ((Action == ActionCode::CloseBox && EventID == kGalleryWindow) || Action == ActionCode::Key) break;
    Action = 0;
  }
  Action = 0;
  rt::CloseWindow(kGalleryWindow);
}

}  // namespace mv
