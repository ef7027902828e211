// Calls from the preference and file windows into code that lives in higher
// subsystems, and the notice a failed file operation shows. Each is a hook (see
// kit/hook.h) that starts "not built" unless its default is said below: the
// owner installs the real one at start-up and tests install recording fakes.
// (The menu switch SetUpMENUs and the reduced menu handler ShortMENU come from
// kit/services.h.)
#pragma once
#include <cstdint>
#include <string>

#include "kit/hook.h"

namespace mv::files_hooks {

// Lays the chart strips out again for the window height of slot 12, stretched from
// oldHeight (rescale 1).
extern Hook<void(int16_t oldHeight, int16_t rescale)> SetChanParams;
// The rate-tolerance window; it changes SampRateError.
extern Hook<void()> SampleRatePRECISION;
// Tells the user that a file could not be read or written: a title and a message
// (UTF-8). Default: the program's alert window (FileAlert), which waits for OK.
extern Hook<void(const std::string& title, const std::string& message)> FileNotice;

// ---- the saves' calls into other windows and the acquisition screen -------------------------
// The file information window (comment text and conditions) before a binary or Sable
// save, and the caution about text files before a text save.
extern Hook<void()> GETFILECOMMENTS;
extern Hook<void()> ASCIIWARN;
// Shows a save's text in a field of the acquisition window: 198 the next numbered
// file (or "save failed"), 199 the backup indicator (or "backup failed"); failed
// texts stand out.
extern Hook<void(int16_t field, const std::string& macRoman, bool failed)> ShowOnAcquisitionScreen;
// The next sampling period's screen after an end-of-period save (NewScreen is set
// first), with the mark where the new period will end.
extern Hook<void()> NewPeriodScreen;
// Selects the next sample device of the switching sequence.
extern Hook<void()> SELECTNEXTVALVE;

// Restores every hook to its default.
void ResetFilesHooks();

}  // namespace mv::files_hooks
