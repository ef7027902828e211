// The builders every window is put together from: the standard window, framed
// panels in three looks, small pictures, warning stripes, embossed labels,
// check boxes and radio buttons with their frames, edit fields with colour
// codes, an engraved separator and a progress bar. They act on the current
// output window; rectangles are left, top, right, bottom in window pixels.
#pragma once
#include <cstdint>

#include "runtime/str255.h"
#include "runtime/types.h"
#include "runtime/windows.h"

namespace mv {

// The theme's dialog background (every theme brush -5..55 gives it).
constexpr RGBColor kThemeBackground{0xEFEF, 0xEFEF, 0xEFEF};
// The font that stands in for the system font and for font numbers with no
// font of their own.
constexpr const char* kSystemFontFamily = "DejaVu Sans";

// The font of a font number at a size: KestraneFont is the display font,
// anything else the system font.
rt::FontSpec KitFont(int16_t fontNumber, double size);

// Opens the window with the title padded by one blank on each side; kinds: 6
// standard with a close box, 262 without title-bar buttons, others (5) a
// floating panel. Then the theme background (cleared), the display font at 12
// and black text.
void BuildWINDOW(int16_t number, const Str255& title, int16_t left, int16_t top, int16_t right,
                 int16_t bottom, int16_t kind);

// A value whose low 16 bits, read as signed, lie in -5..55 is a theme brush; 0
// does nothing. The window is cleared to the new background when clear is set.
void SetWindowBackground(int32_t brush, bool clear);
// An RGB colour as the window's content colour.
void SetWindowBackground(RGBColor color, bool clear);
// Fills a rectangle with the window's background colour.
void ClearArea(int16_t left, int16_t top, int16_t right, int16_t bottom);

// Sunken frame: a white outline, then the top edge (right to left) and the left
// edge in mediumDarkGray. Text colour black afterwards.
void BUILDBOX(int16_t left, int16_t top, int16_t right, int16_t bottom);
// Raised frame: a mediumDarkGray outline one pixel wider to the right and
// bottom, then the top and left edges in white. Text colour black afterwards.
void BUILDBOX2(int16_t left, int16_t top, int16_t right, int16_t bottom);
// A LightGray panel, raised (BUILDBOX2 frame) when raised is set, else sunken (BUILDBOX).
void BuildGrayBox(int16_t left, int16_t top, int16_t right, int16_t bottom, int16_t raised);

// Picture files and heights of DrawIcon; an empty name for numbers without one.
struct IconInfo {
  const char* file = "";
  int16_t height = 0;
};
IconInfo IconFor(int16_t iconNumber);
// Draws picture 128..130 (recording modes), 138 caution, 139 stop or 140 skull,
// 32 pixels wide, with its bottom-left corner at (x, y). Other numbers draw nothing.
void DrawIcon(int16_t iconNumber, int16_t x, int16_t y);

// Paints the current window as a warning: yellow in 0, 0, 800, 750; 55 black
// diagonal stripes; the message area inside the margin cleared and framed.
void WARNINGSTRIPES(int16_t margin);

// An embossed label in the label font of slot 35: with the Aqua flag and the
// Aqua-labels slot 14 in two shades of aqua, otherwise in black.
void EmbossPrint(int16_t aquaFlag, const Str255& text, int16_t size, int16_t x, int16_t y);
// The same label for callers that give the position before the size.
inline void EmbossPrintAt(int16_t aquaFlag, const Str255& text, int16_t x, int16_t y, int16_t size) {
  EmbossPrint(aquaFlag, text, size, x, y);
}

// A check box (kind 2), radio button (3) or push button (1, 4 default) 16 by 13
// pixels at x, y with its label drawn at (x + 21, y + 11), framed by BUILDBOX
// unless framed is 0.
void BUILDBUTTON(int16_t number, int16_t state, const Str255& label, int16_t x, int16_t y, int16_t kind,
                 int16_t framed);

// Edit-field colour codes 0..10 (EFForeColor, EFBackColor); other codes give
// black text on white.
RGBColor EditFieldForeColor(int16_t code);
RGBColor EditFieldBackColor(int16_t code);
// Creates edit field `number`: types 1 and 3 single-line, 0, 2 and 4 several
// lines, 5 and above static text; justification 0/1 left, 2 centre, 3 right.
// Editable fields start with the whole text selected, static ones with the
// caret at the start. Colours from EFForeColor and EFBackColor, font number 3.
void BUILDEF(int16_t number, const Str255& text, int16_t left, int16_t top, int16_t right, int16_t bottom,
             int16_t type, int16_t justification);
// Gives the field the colours of EFForeColor and EFBackColor and sets its text
// again in the font.
void SetEditFieldColors(int16_t number, const Str255& text, int16_t fontNumber);

// An engraved separator: white at y, mediumDarkGray at y - 1, from x1 to x2.
void DoubleLINE(int16_t x1, int16_t x2, int16_t y);

// The progress bar, always control 899 of the current window: made, or moved
// and reset: value 1, minimum 1, maximum end - start.
constexpr int16_t kProgressBarControl = 899;
void buildProgressBAR(int16_t left, int16_t top, int16_t right, int16_t bottom, int16_t start, int16_t end);

}  // namespace mv
