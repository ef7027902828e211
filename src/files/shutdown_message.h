// The shutdown message: one line of text in "MVshutdown message.txt" in the
// per-user configuration folder, written by its editor (reached from the
// preferences window) and shown by the options window when the program quits.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "files/file_io.h"

namespace mv {

constexpr const char* kShutdownMessageFileName = "MVshutdown message.txt";
constexpr const char* kShutdownMessagePrompt = "Enter your shutdown message in this window.";
constexpr int16_t kShutdownMessageWindow = 666;
constexpr int16_t kShutdownMessageField = 1;
constexpr int16_t kShutdownSaveButton = 2, kShutdownClearButton = 3;

// "" when there is no configuration folder.
std::string ShutdownMessagePath();
// The file's first line (up to CR or LF, Mac Roman); "" when the file is missing.
std::string ReadShutdownMessage();
// The text the editor opens with: the first line, or the prompt when it is empty.
std::string ShutdownMessageForEditor();
// The file's bytes for a message: the text, CR, CR.
std::string ShutdownMessageFileBytes(std::string_view text);
// Replaces the file, so no longer earlier message survives behind the new one.
FileResult WriteShutdownMessage(std::string_view text);

// The editor window: "Close and Save Message" saves the field's text, "Clear" saves
// an empty message (so the prompt shows next time); either closes it.
void ShutdownMessage();

}  // namespace mv
