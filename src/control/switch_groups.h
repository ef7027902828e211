// Whether the two device groups of a switching pattern can run on the interface in use
// with the output coding in force, and what each road that sets the coding, the pattern
// or the interface does where they cannot: no road may leave a two-group pattern
// running where only group 1 is switched, or its group-2 channels would be stored as
// sampled while their valves stay shut.
#pragma once
#include <optional>
#include <string>

namespace mv {

// Why the interface in use, with the coding in force (slot 3), switches one device group
// only; nothing when group 2 has lines of its own.
std::optional<std::string> OneGroupReason();
// A two-group pattern that cannot run here moves to its one-group partner, as the
// switching window moves it; true when it moved.
bool FitPatternToCoding();
// Why a run cannot start with the switching as it is set; nothing when it can.
std::optional<std::string> RunStartRefusal();
// The group of a two-group pattern that no channel uses, as the line that says so (its
// device is never opened in a sample period); nothing when both groups have a channel
// (or the pattern has one group).
std::optional<std::string> GroupWithoutChannel();

}  // namespace mv
