// Deleting and re-ordering channels as table operations. A channel owns a row in
// every per-channel table (its record and conversion code, label, alarm record,
// gas-exchange, breakpoint and three-way records, spike ratio, DataTaker input
// words, sensor code and zero link); each operation moves the whole row of every
// one of them, so a moved channel keeps its calibration, input kind and alarms.
// References to channels (X-Y axes, trigger channel, switched channel, gas flow
// channel, stream variables, feedback channel, zero links) follow the same map.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

namespace mv {

// New positions 1..count, each taking the old channel source[p].
struct ChannelMap {
  std::array<int16_t, 17> source{};
  int16_t count = 0;
};

enum class ChannelMoveKind { Deletion, Reordering };

struct ChannelMoveOutcome {
  bool applied = false;
  // New numbers of channels whose gas-exchange flow channel was deleted or left out:
  // their flow channel is now 0, so they compute with no flow instead of another
  // channel's. Whoever shows the set-up should point them out.
  std::vector<int16_t> lostFlowChannel;
};

// Where each old channel 1..oldCount lands: the last position that takes it, 0 when
// it is dropped.
std::array<int16_t, 17> NewNumbers(const ChannelMap& map, int16_t oldCount);

// Moves every per-channel table by the map, renumbers the references, rebuilds the
// labels (Deletion: the kept fields one after the other; Reordering: eight blank
// fields with each position written) and sets nChannels to map.count. The switched
// devices of rows 1-8 stay where they are in the sequential switching patterns,
// where they describe device positions, not channels.
ChannelMoveOutcome MoveChannels(const ChannelMap& map, ChannelMoveKind kind);

// ---- deletion -----------------------------------------------------------------------------
// True when the marks would leave no channel that may be deleted (every channel, or
// in scope-plus-chart mode every chart channel): such a deletion is refused.
bool DeletionRefused(const std::array<int16_t, 17>& marks, int16_t count, int16_t recordingMode);
// Deletes the marked channels 1..nChannels (channel 1 stays in scope-plus-chart mode)
// and closes the gaps. The hardware input of rows left empty is cleared, except row
// 16 while it holds the trigger's extra input. Nothing happens when refused.
ChannelMoveOutcome DeleteMarkedChannels(const std::array<int16_t, 17>& marks);
// After a deletion: the switching state starts its device sequence again, the
// switching set-up opens when switching is on and no channel is switched any more,
// and the next sample device is chosen.
void AdjustSwitchingAfterDeletion();

// ---- re-ordering -----------------------------------------------------------------------------
// True when an order of count positions can be applied: 1 to nChannels positions, each
// naming a different channel 1..nChannels, channel 1 first in scope-plus-chart mode.
bool ReorderAccepted(const std::array<int16_t, 17>& order, int16_t count);
// The order with the channels it does not name after its positions, in their old order:
// a re-ordering never loses a channel.
std::array<int16_t, 17> CompletedOrder(const std::array<int16_t, 17>& order, int16_t count);
// Applies the completed order, lays the strips out again keeping their relative heights,
// and clears the scope rows. nChannels stays as it was. Nothing happens when refused.
ChannelMoveOutcome ReorderChannels(const std::array<int16_t, 17>& order, int16_t count);
// The strips of channels 1..count stacked from y 47 over the window height less 72,
// each keeping its share of the summed heights. Equal heights when nothing was laid out.
void LayOutReorderedStrips(int16_t count);

}  // namespace mv
