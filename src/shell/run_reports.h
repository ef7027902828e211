// The report windows of the options window: the saved-file notice, the spike filter's
// count of removed spikes, and the message shown when the program shuts down.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/str255.h"

namespace mv {

constexpr int16_t kSavedNoticeWindow = 2;
constexpr int16_t kSpikeReportWindow = 24;
constexpr int16_t kShutdownWindow = 666;
constexpr int16_t kShutdownDismissButton = 2;

// "  <bullet> has been saved <bullet>" for a non-empty file name: window 2 with the
// file name. Shows nothing for an empty name.
void ShowFileIsSaved(const Str255& fileName);

// One line of the spike report: "chan" + k + ": " and, for a count of 0, the blue
// "   no spikes detected", else the red count + " spike removed" (1) or " spikes removed".
struct SpikeReportLine {
  Str255 label;
  Str255 result;
  bool noSpikes = false;
};
SpikeReportLine SpikeReportFor(int16_t channel, int32_t spikes);
// Window 24 "Spike Filter": one line per channel 1 to nChannels.
void ShowVoltageSpikes();

// The shutdown message is shown at 48 points, at 36 when it has 100 characters or more.
int ShutdownMessageSize(std::string_view line);
// Shows the shutdown message when slot 59 asks for it and the file holds a line, waits
// for a click, then ends the program with status 0. Never returns.
[[noreturn]] void ShowShutdownMessage();

}  // namespace mv
