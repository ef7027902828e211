// Numbered windows, their controls and edit fields, and the drawing surface.
//
// Every window has a persistent canvas: drawing calls paint into it and the
// window shows it, so nothing drawn is lost when a window is covered. Controls,
// edit fields and drawing calls act on the current output window, which
// OpenWindow sets and SetOutputWindow changes.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "runtime/str255.h"
#include "runtime/types.h"

namespace mv::rt {

// ---- windows ----------------------------------------------------------------
// Kinds: 6 titled with a close box; 8 titled with a close box and sized by the
// user (kResizableWindow); 262 titled without title-bar buttons; 1, 13 frameless;
// 14 frameless and on top; anything else (5) a floating panel.
//
// Every other kind keeps the size the program gives it. A resizable window opens at
// its content rectangle and never goes below its minimum size (the opening size
// until SetWindowMinimumSize says otherwise); as the user drags it, its canvas
// follows the new size, keeping what was drawn (new parts take the background
// colour), WindowContentRect reports the new size and a redraw (dialog kind 5) is
// queued for it.
//
// A window is placed so that its content fits on the display where it can: one that
// would pass the display's right or bottom edge opens moved left or up just enough,
// never past the left edge nor above the top of the highest titled window (40).
constexpr int16_t kResizableWindow = 8;
void OpenWindow(int16_t number, const Str255& title, Rect content, int16_t kind);
void CloseWindow(int16_t number);
bool WindowExists(int16_t number);
void ShowWindow(int16_t number);
void HideWindow(int16_t number);
bool WindowVisible(int16_t number);
void BringWindowForward(int16_t number);    // also makes it the active window
void SetWindowTitle(int16_t number, const Str255& title);
Str255 WindowTitle(int16_t number);
void MoveWindowTo(int16_t number, int16_t left, int16_t top);  // content origin, screen pixels
void SizeWindow(int16_t number, int16_t width, int16_t height);
// The smallest size the user may drag a resizable window to; a window that is
// smaller grows to it. Other kinds keep their size.
void SetWindowMinimumSize(int16_t number, int16_t width, int16_t height);
Rect WindowContentRect(int16_t number);     // in screen pixels
int16_t FrontWindow();                      // the front window by the program's order (events.h), 0 when none
std::vector<int16_t> OpenWindows();         // in opening order
int16_t NextFreeWindowNumber();

void SetOutputWindow(int16_t number);       // where drawing, controls and fields go
int16_t OutputWindow();                     // 0 when none

// ---- drawing on the current output window's canvas ----------------------------
// Coordinates are window pixels, origin top left, y down; fractional values are
// honoured (the drawing kit places lines on pixel centres itself).
struct StrokeStyle {
  double red = 0, green = 0, blue = 0, alpha = 1;  // 0..1
  double width = 1;
  double dashOn = 0, dashOff = 0;                   // 0, 0: solid
  bool antialias = true;
  bool invert = false;                              // difference blending with white
};

struct FontSpec {
  std::string family;   // empty: the display font chosen by SetDisplayFontFamily
  double pixelSize = 12;
  bool bold = false;
  bool italic = false;
};

void FillWindow(RGBColor color);
void SetWindowBackground(RGBColor color);   // colour used by ClearWindow
RGBColor WindowBackgroundColor();           // of the output window
void ClearWindow();
void StrokePolyline(const float* xy, std::size_t points, const StrokeStyle& style);  // x0,y0,x1,y1,...
void StrokeLine(double x1, double y1, double x2, double y2, const StrokeStyle& style);
void StrokeRect(double left, double top, double width, double height, const StrokeStyle& style);
void FillRect(double left, double top, double width, double height, double red, double green, double blue,
              double alpha = 1, bool invert = false);
void StrokeEllipse(double cx, double cy, double rx, double ry, const StrokeStyle& style);
void FillEllipse(double cx, double cy, double rx, double ry, double red, double green, double blue);
void DrawText(double x, double baselineY, std::string_view macRoman, const FontSpec& font, RGBColor color);
void DrawTextUtf8(double x, double baselineY, std::string_view utf8, const FontSpec& font, RGBColor color);
int TextWidth(std::string_view macRoman, const FontSpec& font);
int FontAscent(const FontSpec& font);
void FlushWindow();                         // show what was drawn now
// Moves the pixels of area (clipped to the canvas) dx pixels sideways, negative to
// the left; what leaves the area is dropped and the strip the move uncovers takes the
// window's background colour. Nothing outside the area changes.
void ScrollCanvas(Rect area, int dx);

// Per-window text pen, for code that prints at a pen position.
void SetTextFont(const FontSpec& font);
FontSpec TextFont();
void SetTextColor(RGBColor color);
RGBColor TextColor();
void MovePenTo(int16_t x, int16_t y);
Point PenPosition();
void DrawString(std::string_view macRoman);  // at the pen, advancing it

// The pointer's shape over an area of the output window's canvas (window pixels),
// e.g. a cross-hair where the pointer picks a point; elsewhere the pointer keeps
// its usual arrow. An empty area gives the whole window the usual arrow again.
enum class CursorShape : int16_t { Arrow, Cross };
void SetAreaCursor(Rect area, CursorShape shape);

bool FontFamilyAvailable(const std::string& family);
void SetDisplayFontFamily(const std::string& family);
std::string DisplayFontFamily();

// Reads back one pixel of the output window's canvas (tests and screenshots).
RGBColor CanvasPixel(int x, int y);
// Saves a PNG of a window as shown, with its controls. False on failure.
bool SaveWindowImage(int16_t number, const std::string& path);

// ---- images -----------------------------------------------------------------
class Image;
using ImageHandle = std::shared_ptr<Image>;
ImageHandle LoadImage(const std::string& path);   // nullptr when missing or unreadable
int ImageWidth(const ImageHandle& image);
int ImageHeight(const ImageHandle& image);
void DrawImage(const ImageHandle& image, Rect where);  // scaled into the rectangle; nullptr draws nothing

// ---- controls ----------------------------------------------------------------
// States: 0 dimmed, 1 enabled, 2 marked (checked, selected or highlighted).
enum class ControlType : int16_t {
  PushButton = 1,
  CheckBox = 2,
  RadioButton = 3,
  DefaultButton = 4,
  PictureButton = 5,
  Popup = 6,      // items from a numbered menu; the value is the chosen item (1-based)
  Tabs = 7,       // value is the selected tab (1-based)
  ProgressBar = 8,
  StaticText = 9,
};

void NewControl(int16_t number, ControlType type, const Str255& title, Rect where, int16_t state);
// A button that is its picture; `title` is what the picture reads, the control's title
// (its accessible name, and the name the driver lists it by), never drawn.
void NewPictureButton(int16_t number, const std::string& imagePath, Rect where, int16_t state,
                      const Str255& title = Str255());
void NewPopupControl(int16_t number, int16_t menuNumber, const Str255& title, Rect where, int16_t value);
void NewTabsControl(int16_t number, const std::vector<Str255>& labels, Rect where, int16_t value);
void NewProgressBar(int16_t number, Rect where, int minimum, int maximum, int value);
bool ControlExists(int16_t number);
void DisposeControl(int16_t number);
void SetControlState(int16_t number, int16_t state);
int16_t ControlState(int16_t number);
// Dims a control (or gives it back) without touching its state: a check box that
// cannot be changed for now still shows the mark its choice keeps. ControlDimmed is
// true for such a control and for one in state 0.
void SetControlDimmed(int16_t number, bool dimmed);
bool ControlDimmed(int16_t number);
void SetControlValue(int16_t number, int value);  // clamped to the range
int ControlValue(int16_t number);
void SetControlRange(int16_t number, int minimum, int maximum);
void SetControlTitle(int16_t number, const Str255& title);
Str255 ControlTitle(int16_t number);
void MoveControl(int16_t number, Rect where);
// Opens the item list of popup control number of the output window, as a click on
// it does (for a click the program took in before the control saw it); the user's
// choice then arrives as a click on the control. Nothing for a dimmed or other control.
void OpenPopupList(int16_t number);
std::vector<int16_t> Controls(int16_t window);

// ---- edit fields ---------------------------------------------------------------
// Types: 1 and 3 single-line editable; 0, 2 and 4 editable, several lines;
// 5 and above static text. Justification: 0 or 1 left, 2 centred, 3 right.
// Creating a field whose number already exists moves it and sets its text.
// Texts are Mac Roman bytes; several-line fields use CR line ends.
void NewEditField(int16_t number, std::string_view text, Rect where, int16_t type, int16_t justification);
bool EditFieldExists(int16_t number);
void DisposeEditField(int16_t number);
void SetEditText(int16_t number, std::string_view text);
std::string EditText(int16_t number);
void SetEditColors(int16_t number, RGBColor text, RGBColor background);
void SetEditFont(int16_t number, const FontSpec& font);
FontSpec EditFont(int16_t number);   // as last set; FontSpec{} for a field never given one
int EditFieldWidth(int16_t number);  // pixels; 0 for no such field
void SelectEditText(int16_t number, int start, int end);   // byte positions; end -1 = to the end
std::pair<int, int> EditSelection(int16_t number);
void FocusEditField(int16_t number);                       // 0 takes the focus away
int16_t FocusedEditField();                                // in the output window; 0 when none
int16_t EditFieldType(int16_t number);
std::vector<int16_t> EditFields(int16_t window);
// Inserts text at the focused field's selection; the caret follows it. Control
// characters are dropped, except CR in a several-line field, which starts a new line.
void InsertIntoFocusedField(std::string_view macRoman);
// The Edit menu's text commands on the focused field of the front window.
// Returns false when no editable field has the focus.
enum class FieldCommand { Undo, Cut, Copy, Paste, Clear, SelectAll };
bool FocusedFieldCommand(FieldCommand command);

}  // namespace mv::rt
