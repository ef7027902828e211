// What the preference, file and save code needs from above, and the windows the save
// tests stand in for. Each is a hook (see kit/hook.h) that starts "not built" unless its
// default is said below: the owner installs the real one at start-up and tests install
// recording fakes. (The menu switch SetUpMENUs and the reduced menu handler ShortMENU
// come from conversions/needs.h.)
#pragma once
#include <cstdint>
#include <string>

#include "kit/hook.h"

// ---- files_hooks -------------------------------------------------------------------
namespace mv::files_hooks {

// Lays the chart strips out again for the window height of slot 12, stretched from
// oldHeight (rescale 1). A hook because the channel table is the set-up floor's, which
// links the files; the acquisition screen calls it too.
extern Hook<void(int16_t oldHeight, int16_t rescale)> SetChanParams;
// The rate-tolerance window; it changes SampRateError. A hook because the window is the
// set-up floor's, above the preferences window that opens it.
extern Hook<void()> SampleRatePRECISION;
// The largest readings-averaged count for the interval a set-up file loaded. A hook
// because the averaging rules are the set-up floor's, above the set-up file reader.
extern Hook<void()> SetupLoadedMaxAverage;
// Shows a save's text in a field of the acquisition window: 198 the next numbered
// file (or "save failed"), 199 the backup indicator (or "backup failed"); failed
// texts stand out. A hook because the acquisition window is above the files floor.
extern Hook<void(int16_t field, const std::string& macRoman, bool failed)> ShowOnAcquisitionScreen;
// The next sampling period's screen after an end-of-period save (NewScreen is set
// first), with the mark where the new period will end. A hook because the recording
// screen is drawn by the floors above.
extern Hook<void()> NewPeriodScreen;

// ---- seams the tests replace (their real default is this floor's own) -----------------
// Tells the user that a file could not be read or written, or that a run was not
// started: a title and a message (UTF-8). Default: the program's alert window (FileAlert), which waits for OK; tests
// record the notice instead.
extern Hook<void(const std::string& title, const std::string& message)> FileNotice;
// The file information window (comment text and conditions) before a binary or Sable
// save, and the caution about text files before a text save. Default: the real modal
// windows; the save tests record the call instead.
extern Hook<void()> GETFILECOMMENTS;
extern Hook<void()> ASCIIWARN;

// Restores every hook to its default.
void ResetFilesHooks();

}  // namespace mv::files_hooks
