#include "kit/builders.h"

#include "kit/drawing.h"
#include "kit/resources.h"
#include "kit/state.h"
#include "runtime/windows.h"

namespace mv {

namespace {

constexpr RGBColor kBlack{0, 0, 0};

// The window's size in pixels (the output window's content).
Rect OutputSize() {
  Rect r = rt::WindowContentRect(rt::OutputWindow());
  return Rect{0, 0, static_cast<int16_t>(r.width()), static_cast<int16_t>(r.height())};
}

}  // namespace

rt::FontSpec KitFont(int16_t fontNumber, double size) {
  if (fontNumber == KestraneFont) return rt::FontSpec{"", size};
  return rt::FontSpec{kSystemFontFamily, size};
}

void BuildWINDOW(int16_t number, const Str255& title, int16_t left, int16_t top, int16_t right,
                 int16_t bottom, int16_t kind) {
  rt::OpenWindow(number, " " + title + " ", Rect{left, top, right, bottom}, kind);
  SetWindowBackground(1, true);
  rt::SetTextFont(KitFont(KestraneFont, 12));
  rt::SetTextColor(kBlack);
}

void SetWindowBackground(int32_t brush, bool clear) {
  if (!rt::OutputWindow() || brush == 0) return;
  auto low = static_cast<int16_t>(static_cast<uint32_t>(brush) & 0xFFFF);
  if (low < -5 || low > 55) return;  // an RGB colour comes through the other overload
  SetWindowBackground(kThemeBackground, clear);
}

void SetWindowBackground(RGBColor color, bool clear) {
  if (!rt::OutputWindow()) return;
  rt::SetWindowBackground(color);
  if (clear) rt::ClearWindow();
}

void ClearArea(int16_t left, int16_t top, int16_t right, int16_t bottom) {
  if (!rt::OutputWindow()) return;
  RGBf c = ToRGBf(rt::WindowBackgroundColor());
  rt::FillRect(left, top, right - left, bottom - top, c.red, c.green, c.blue);
}

void BUILDBOX(int16_t left, int16_t top, int16_t right, int16_t bottom) {
  CGdrawBox(0, {}, 0, left, top, right, bottom, 0);
  PlotCGrgb(1, right, top, left, top, mediumDarkGray);
  PlotCGrgb(1, left, top, left, bottom, mediumDarkGray);
  rt::SetTextColor(kBlack);
}

void BUILDBOX2(int16_t left, int16_t top, int16_t right, int16_t bottom) {
  CGdrawBox(1, mediumDarkGray, 0, left, top, right + 1, bottom + 1, 0);
  PlotCG(1, right, top, left, top, 0);
  PlotCG(1, left, top, left, bottom, 0);
  rt::SetTextColor(kBlack);
}

void BuildGrayBox(int16_t left, int16_t top, int16_t right, int16_t bottom, int16_t raised) {
  CGdrawBox(1, LightGray, 1, left, top, right, bottom, 0);
  if (raised)
    BUILDBOX2(left, top, right, bottom);
  else
    BUILDBOX(left, top, right, bottom);
}

IconInfo IconFor(int16_t iconNumber) {
  switch (iconNumber) {
    case 128:
      return {"chart image.gif", 22};
    case 129:
      return {"scope image.gif", 22};
    case 130:
      return {"scope+chart image.gif", 22};
    case 138:
      return {"CautionIcon.gif", 33};
    case 139:
      return {"stopIcon.gif", 32};
    case 140:
      return {"skullIcon.gif", 32};
    default:
      return {};
  }
}

void DrawIcon(int16_t iconNumber, int16_t x, int16_t y) {
  IconInfo icon = IconFor(iconNumber);
  if (icon.height == 0) return;
  DrawThisImage(CreateCGImageFromBundleResource("MVimages", icon.file), x,
                static_cast<int16_t>(y - icon.height), static_cast<int16_t>(x + 32), y);
}

void WARNINGSTRIPES(int16_t margin) {
  if (!rt::OutputWindow()) return;
  Rect size = OutputSize();
  int w = size.right, h = size.bottom, m1 = margin + 1;
  CGdrawBox(0, {}, 1, 0, 0, 800, 750, 1);
  for (int x = -10; x < 1451; x += 27)
    PlotCG(10, static_cast<int16_t>(x), -10, -10, static_cast<int16_t>(x), 7);
  ClearArea(static_cast<int16_t>(m1), static_cast<int16_t>(m1), static_cast<int16_t>(w - m1),
            static_cast<int16_t>(h - m1));
  BUILDBOX(static_cast<int16_t>(m1), static_cast<int16_t>(m1), static_cast<int16_t>(w - (margin + 2)),
           static_cast<int16_t>(h - (margin + 2)));
  rt::SetTextColor(kBlack);
}

void EmbossPrint(int16_t aquaFlag, const Str255& text, int16_t size, int16_t x, int16_t y) {
  rt::FontSpec font;
  switch (PrefsArray[PrefsSlot::LabelFont]) {
    case 1:
    case 2:
    case 5:
      font = KitFont(KestraneFont, size);
      break;
    case 3:
      font = rt::FontSpec{"papyrus", static_cast<double>(size - 2)};
      x = static_cast<int16_t>(x - 2);
      break;
    case 4:
      font = rt::FontSpec{"Copperplate", static_cast<double>(size)};
      break;
    default:
      font = rt::FontSpec{kSystemFontFamily, static_cast<double>(size)};
      break;
  }
  if (aquaFlag && PrefsArray[PrefsSlot::AquaLabels]) {
    rt::DrawText(x - 2, y - 2, text, font, Aqua);
    rt::DrawText(x - 1, y - 1, text, font, RGBColor{0, 32700, 60535});
  } else {
    rt::DrawText(x - 1, y - 1, text, font, kBlack);
  }
  rt::SetTextColor(kBlack);
}

void BUILDBUTTON(int16_t number, int16_t state, const Str255& label, int16_t x, int16_t y, int16_t kind,
                 int16_t framed) {
  rt::NewControl(number, static_cast<rt::ControlType>(kind), "",
                 Rect{x, y, static_cast<int16_t>(x + 16), static_cast<int16_t>(y + 13)}, state);
  if (!label.empty()) rt::DrawText(x + 21, y + 11, label, rt::TextFont(), rt::TextColor());
  // Every system this runs on counts as new, where an unframed button stays bare.
  if (framed != 0)
    BUILDBOX(static_cast<int16_t>(x - 1), static_cast<int16_t>(y - 1), static_cast<int16_t>(x + 17),
             static_cast<int16_t>(y + 14));
}

RGBColor EditFieldForeColor(int16_t code) {
  switch (code) {
    case 2:
      return {65535, 0, 0};
    case 3:
      return {0, 0, 55535};
    case 4:
      return rgbyellow;
    case 5:
      return sunset;
    case 6:
      return {65535, 65535, 65535};
    case 7:
      return extremelyLightGray;
    case 8:
      return manila;
    case 10:
      return {0, 65535, 0};
    default:
      return kBlack;  // 0, 1, 9 and every other code
  }
}

RGBColor EditFieldBackColor(int16_t code) {
  switch (code) {
    case 0:
      return kBlack;
    case 1:
      return lightBlue;
    case 2:
      return {65535, 0, 0};
    case 3:
      return {0, 0, 55535};
    case 4:
      return rgbyellow;
    case 5:
      return sunset;
    case 7:
      return VeryLightGray;
    case 8:
      return manila;
    case 9:
      return extremelyLightGray;
    case 10:
      return {0, 65535, 0};
    default:
      return {65535, 65535, 65535};  // 6 and every other code
  }
}

void BUILDEF(int16_t number, const Str255& text, int16_t left, int16_t top, int16_t right, int16_t bottom,
             int16_t type, int16_t justification) {
  rt::NewEditField(number, text, Rect{left, top, right, bottom}, type, justification);
  SetEditFieldColors(number, text, 3);
  if (type < 5)
    rt::SelectEditText(number, 0, -1);
  else
    rt::SelectEditText(number, 0, 0);
}

void SetEditFieldColors(int16_t number, const Str255& text, int16_t fontNumber) {
  rt::SetEditColors(number, EditFieldForeColor(EFForeColor), EditFieldBackColor(EFBackColor));
  rt::SetEditFont(number, KitFont(fontNumber, 12));
  rt::SetEditText(number, text);
}

void DoubleLINE(int16_t x1, int16_t x2, int16_t y) {
  PlotCG(1, x1, y, x2, y, 0);
  PlotCGrgb(1, x1, static_cast<int16_t>(y - 1), x2, static_cast<int16_t>(y - 1), mediumDarkGray);
}

void buildProgressBAR(int16_t left, int16_t top, int16_t right, int16_t bottom, int16_t start, int16_t end) {
  Rect where{left, top, right, bottom};
  int maximum = end - start;
  if (rt::ControlExists(kProgressBarControl)) {
    rt::MoveControl(kProgressBarControl, where);
    rt::SetControlRange(kProgressBarControl, 1, maximum);
    rt::SetControlValue(kProgressBarControl, 1);
  } else {
    rt::NewProgressBar(kProgressBarControl, where, 1, maximum, 1);
  }
  rt::FlushWindow();
}

}  // namespace mv
