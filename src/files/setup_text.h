// The old text form of the set-up file: decimal fields separated by commas or line
// ends (CR, LF or CRLF), with no version line of its own: its first field is the
// recording mode. Label blocks and the device labels are raw text.
//
// The form, in order (a group marked optional may be missing from the end of the
// file, and then takes the defaults named):
//  1. recording mode, channel count, chart ticks, scope ticks, switching pattern; a
//     chart interval of 0 marks a later layout whose next three fields are the chart
//     ticks, scope ticks and switching pattern again;
//  2. switching interval, reference interval, reference device;
//  3. the labels of channels 1 to 8 (30 raw characters a channel, up to the line
//     end, the rest of the line ignored); with more than 8 channels the labels of
//     channels 9 on follow on the next line the same way;
//  4. channel fields 1 to 13 of every channel; with switching pattern 9 a line with
//     the pattern's value, then the device of channels 1 to 8;
//  5. optional groups: scope and trigger settings; the three-way button, interface
//     and baud rate; display slots, serial port and flags; conversion codes and alarm
//     fields 0 to 5 of the first 8 (12 with more than 8) channels; trigger saving,
//     view words and the custom tick; the device labels (pattern 9); DataTaker
//     words 1 to 4; the timed backup; the zero links; the digital port, status
//     limit, redraw slot and the audible timer.
// What the form lacks (the late alarm fields, the save-format slots, the tables of
// the binary versions) takes the defaults of the oldest binary version or keeps
// the values in force.
#pragma once
#include <string_view>

#include "files/setup_file.h"

namespace mv {

// Parses a text-form set-up over a base record (the values in force); the caller
// checks the record's values.
ParsedSetup ParseSetupText(std::string_view text, const SetupRecord& base);

}  // namespace mv
