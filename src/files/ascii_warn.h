// Text data files: the caution shown before the user saves one by hand (text files
// carry no comments or file data; the elapsed-time column is chosen here), and the
// text save with its progress window.
#pragma once
#include <cstdint>
#include <string>

#include "files/file_io.h"

namespace mv {

constexpr int16_t kTextCautionWindow = 3;
constexpr int16_t kTextCautionContinue = 1, kTextCautionTimeColumn = 2;
constexpr int16_t kTextSaveProgressWindow = 4;

// The caution window; returns when the user presses "Continue". Its only lasting
// effect is slot 38 (elapsed-time column in text files). Menus 2, 4 and 5 are off
// while it is open and come back as they were.
void ASCIIWARN();

// Writes the chart recording as a text data file. With progress 1 a small window
// shows the share of rows written and closes when the file is done. On success the
// recording is marked saved and the short save sound plays; a failure changes
// nothing and says why (the caller tells the user).
FileResult SaveASCII(const std::string& path, int16_t progress);

}  // namespace mv
