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
// With two device groups the interface can switch, why the references are not one in
// each group as the interface in use splits them (1 to 3 and 4 to 6 on an ADC-1, 1 to 4
// and 5 to 8 elsewhere), as the line that says so; nothing when they are, or with one
// group. A set-up made on one interface can carry both references into one group on
// another: the other group would have every valve shut while its channels are read.
std::optional<std::string> ReferenceGroupRefusal();
// Whether "Setup OK" refuses the references themselves: one the interface in use cannot
// switch with the coding in force, or two that are not one in each group. Putting such
// references out would shut valves that no run is to shut.
bool ReferencesRefused();
// The first device the set-up chooses (a reference, a channel's device or a sequence
// position) that the interface in use cannot switch with the coding in force, as the
// line that names it, or two references that are not one in each group
// (ReferenceGroupRefusal); nothing when every device chosen can be switched. Such a device
// leaves every valve of its group shut while its channels would be stored as read.
std::optional<std::string> UnswitchableDevice();
// Why a run cannot start with the switching as it is set: a device out of reach, or two
// groups where group 2 has no lines; nothing when it can.
std::optional<std::string> RunStartRefusal();
// The group of a two-group pattern that no channel uses, as the line that says so (its
// device is never opened in a sample period); nothing when both groups have a channel
// (or the pattern has one group).
std::optional<std::string> GroupWithoutChannel();

}  // namespace mv
