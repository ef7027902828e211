// The recording toolbar (window 1001), its help tag (window 777) and the note window
// (window 1999). While a recording runs the menus are off: these, with the keys, are
// the controls. A click in the toolbar raises one icon flag that the recording loops
// read; a note is stored with the sample and time at which its window opened.
#pragma once
#include <cstdint>

#include "runtime/str255.h"

namespace mv {

constexpr int16_t kToolbarWindow = 1001;
constexpr int16_t kHelpTagWindow = 777;
constexpr int16_t kNoteWindow = 1999;
constexpr int16_t kNoteField = 100, kNoteCountField = 101, kNoteCaptionField = 102;

int16_t MakeAcquisitionTOOLBAR(int16_t flag);
// One pass of the event pump with the toolbar's handlers; a click raises its flag.
int16_t ReadControlStrip();
// A click at (x, y) of the toolbar: clears every icon flag, then raises the one hit
// (the note icon opens the note window first).
void ApplyToolbarClick(int x, int y);
int16_t ShowToolbarHelpWindow();
int16_t MakeSheetWindow(int16_t x, const Str255& text);
int16_t GetFileNote();
int16_t HandleNotes();
// Stores the open note's text (Mac Roman) as the next note, when there is room and
// the text is not empty; the text is cut to the note length.
bool StoreNote(const std::string& text);

}  // namespace mv
