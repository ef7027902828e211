// The help window and scrolling text views.
//
// The help window is the program's own page viewer: one non-modal window
// outside the numbered windows, shown without taking the keyboard from the
// window that asked for it, and closed by its own close box. Text views are
// read-only scrolling texts placed inside numbered windows.
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "runtime/types.h"

namespace mv::rt {

// Shows an HTML page (links between pages work) at the anchor when given.
// A missing file shows nothing and returns false.
bool ShowHelpPage(const std::string& path, const std::string& anchor = {});
// The page shown in the visible help window; empty when none is shown.
std::string HelpPageShown();
void CloseHelpWindow();

// A read-only scrolling text view, number `view` of a numbered window.
void NewTextView(int16_t window, int16_t view, Rect where);
bool TextViewExists(int16_t window, int16_t view);
// Loads a file: Qt rich text (HTML) when it starts with "<", plain text
// otherwise (Mac Roman, any line ends). False when the file cannot be read.
bool LoadTextViewFile(int16_t window, int16_t view, const std::string& path);
void SetTextViewMargins(int16_t window, int16_t view, int left, int top, int right, int bottom);
std::array<int, 4> TextViewMargins(int16_t window, int16_t view);  // left, top, right, bottom
std::string TextViewPlainText(int16_t window, int16_t view);       // Mac Roman, CR line ends

}  // namespace mv::rt
