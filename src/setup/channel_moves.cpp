#include "setup/channel_moves.h"

#include <algorithm>
#include <cmath>

#include "acquisition/state.h"
#include "control/device_outputs.h"
#include "control/state.h"
#include "conversions/state.h"
#include "devices/state.h"
#include "kit/state.h"
#include "setup/channel_table.h"
#include "setup/needs.h"
#include "setup/state.h"

namespace mv {

namespace {

constexpr int kGasFlowSource = 3, kGasFlow = 4, kFlowFromChannel = 3;
constexpr int kStreamChannel = 2;  // serialArray column: the chart channel a variable feeds

// Row p of the table takes the old row map.source[p], for every position of the map.
template <typename Table>
void MoveRows(Table& table, const ChannelMap& map) {
  const Table old = table;
  for (int p = 1; p <= map.count; ++p) table[p] = old[map.source[p]];
}

// A whole number held as a float, or 0 when it is no finite number.
int WholeOf(float x) {
  if (!std::isfinite(x) || std::fabs(x) > 32767.0f) return 0;
  return static_cast<int>(std::trunc(x));
}

struct Renumbering {
  std::array<int16_t, 17> newOf{};
  int16_t oldCount = 0;
  // A reference to a channel 1..oldCount becomes its new number, or `dropped` when
  // the channel is gone; any other value is no channel reference and stays.
  int Apply(int value, int dropped) const {
    if (value < 1 || value > oldCount) return value;
    return newOf[value] != 0 ? newOf[value] : dropped;
  }
  bool Dropped(int value) const { return value >= 1 && value <= oldCount && newOf[value] == 0; }
  void ApplyTo(float& ref, int dropped) const {
    const int v = WholeOf(ref);
    if (v >= 1 && v <= oldCount) ref = static_cast<float>(Apply(v, dropped));
  }
  void ApplyTo(int16_t& ref, int dropped) const { ref = static_cast<int16_t>(Apply(ref, dropped)); }
};

bool SequentialSwitching() {
  return SwitchingMode == SwitchingPatternCode::SequentialFiles ||
         SwitchingMode == SwitchingPatternCode::SequentialDevices;
}

void MoveChannelTable(const ChannelMap& map) {
  // In the sequential patterns field 13 of rows 1-8 tells which device positions
  // are used; it belongs to the positions, not to the channels in those rows.
  std::array<float, 9> positions{};
  const bool keepPositions = SequentialSwitching();
  for (int r = 1; r <= 8; ++r) positions[r] = ChannelVariables[r][ChanField::Device];
  const ChannelVariablesRecord codes = ChannelVariables[0];
  MoveRows(ChannelVariables, map);
  ChannelVariables[0] = codes;
  for (int p = 1; p <= map.count; ++p) ChannelVariables[0][p] = codes[map.source[p]];
  if (keepPositions)
    for (int r = 1; r <= 8; ++r) ChannelVariables[r][ChanField::Device] = positions[r];
}

void MoveZeroLinks(const ChannelMap& map, const Renumbering& renumber) {
  const ZeroLinkTable old = zerolink;
  for (int p = 1; p <= map.count; ++p)
    for (int w = 1; w <= 3; ++w) zerolink[3 * p + w] = old[3 * map.source[p] + w];
  for (int p = 1; p <= map.count; ++p)
    zerolink[3 * p + 1] = static_cast<int16_t>(renumber.Apply(zerolink[3 * p + 1], 0));
  // Rows that no longer hold a channel keep no link, so no back-link points at them.
  for (int r = map.count + 1; r <= renumber.oldCount; ++r) zerolink[3 * r + 1] = 0;
  RebuildZeroBackLinks(map.count);
}

void RenumberReferences(const ChannelMap& map, const Renumbering& renumber, ChannelMoveOutcome& outcome) {
  renumber.ApplyTo(XYaxisChannelX, 1);
  renumber.ApplyTo(XYaxisChannelY, 1);
  if (TriggerChan > renumber.oldCount && TriggerChan <= map.count) {
    TriggerChan = 17;  // still the extra input, now that more channels exist
  } else {
    renumber.ApplyTo(TriggerChan, 1);
  }
  if (SequentialSwitching()) renumber.ApplyTo(ChannelVariables[0][0], 0);
  for (int p = 1; p <= map.count; ++p) {
    auto& gas = SpecialOpsArray[p];
    if (WholeOf(gas[kGasFlowSource]) != kFlowFromChannel) continue;
    if (renumber.Dropped(WholeOf(gas[kGasFlow]))) outcome.lostFlowChannel.push_back(static_cast<int16_t>(p));
    renumber.ApplyTo(gas[kGasFlow], 0);
  }
  for (int var = 1; var <= 16; ++var) renumber.ApplyTo(serialArray[var][kStreamChannel], 0);
  renumber.ApplyTo(FeedbackChan, 1);
}

void RebuildLabels(const ChannelMap& map, ChannelMoveKind kind) {
  std::array<Str255, 17> fields;
  for (int c = 1; c <= 16; ++c) fields[c] = ChannelLabelField(static_cast<int16_t>(c));
  if (kind == ChannelMoveKind::Deletion) {
    datalabel.clear();
    datalabel2.clear();
    for (int p = 1; p <= map.count; ++p) (p <= 8 ? datalabel : datalabel2) += fields[map.source[p]];
  } else {
    BlankChannelLabels();
    for (int p = 1; p <= map.count; ++p) SetChannelLabel(static_cast<int16_t>(p), fields[map.source[p]]);
  }
  datalabel = LimitLabelString(datalabel);
  datalabel2 = LimitLabelString(datalabel2);
}

bool MapValid(const ChannelMap& map, int16_t oldCount) {
  if (map.count < 1 || map.count > 16) return false;
  for (int p = 1; p <= map.count; ++p)
    if (map.source[p] < 1 || map.source[p] > oldCount) return false;
  return true;
}

}  // namespace

std::array<int16_t, 17> NewNumbers(const ChannelMap& map, int16_t oldCount) {
  std::array<int16_t, 17> newOf{};
  for (int p = 1; p <= map.count && p <= 16; ++p) {
    const int16_t s = map.source[p];
    if (s >= 1 && s <= oldCount && s <= 16) newOf[s] = static_cast<int16_t>(p);
  }
  return newOf;
}

ChannelMoveOutcome MoveChannels(const ChannelMap& map, ChannelMoveKind kind) {
  ChannelMoveOutcome outcome;
  const int16_t oldCount = static_cast<int16_t>(std::clamp<int>(nChannels, 0, 16));
  if (!MapValid(map, oldCount)) return outcome;
  Renumbering renumber{NewNumbers(map, oldCount), oldCount};

  RebuildLabels(map, kind);
  MoveChannelTable(map);
  MoveRows(alarmsArray, map);
  MoveRows(SpecialOpsArray, map);
  MoveRows(BreakpointArray, map);
  MoveRows(polyarray, map);
  MoveRows(SpikeFilterArray, map);
  MoveRows(DataTakerChannels, map);
  MoveRows(ADsensorType, map);
  MoveZeroLinks(map, renumber);
  RenumberReferences(map, renumber, outcome);
  nChannels = map.count;
  outcome.applied = true;
  return outcome;
}

// ---- deletion -----------------------------------------------------------------------------------

bool DeletionRefused(const std::array<int16_t, 17>& marks, int16_t count, int16_t recordingMode) {
  count = static_cast<int16_t>(std::clamp<int>(count, 0, 16));
  const int16_t first = FirstMovableChannel(recordingMode);
  int deletable = 0, marked = 0;
  for (int c = first; c <= count; ++c) {
    ++deletable;
    if (marks[c] != 0) ++marked;
  }
  return deletable == 0 || marked == deletable;
}

ChannelMoveOutcome DeleteMarkedChannels(const std::array<int16_t, 17>& marks) {
  const int16_t oldCount = static_cast<int16_t>(std::clamp<int>(nChannels, 0, 16));
  if (DeletionRefused(marks, oldCount, RecordingMODE)) return {};
  const int16_t first = FirstMovableChannel(RecordingMODE);
  const bool triggerUsesRow16 = TriggerChan > oldCount;

  ChannelMap map;
  for (int c = 1; c <= oldCount; ++c) {
    if (c >= first && marks[c] != 0) {
      ChannelVariables[0][c] = 0.0f;
      continue;
    }
    map.source[++map.count] = static_cast<int16_t>(c);
  }
  ChannelMoveOutcome outcome = MoveChannels(map, ChannelMoveKind::Deletion);
  if (!outcome.applied) return outcome;
  // Inputs of channels that are gone no longer count as in use.
  for (int r = nChannels + 1; r <= 16; ++r) {
    if (r == 16 && triggerUsesRow16) continue;
    ChannelVariables[r][ChanField::Input] = 0.0f;
  }
  return outcome;
}

void AdjustSwitchingAfterDeletion() {
  if (SwitchingMode != SwitchingPatternCode::SequentialFiles) PresentChan = 0;
  const int16_t n = static_cast<int16_t>(std::clamp<int>(nChannels, 0, 16));
  if (nGroups == 2) {
    // Group 2 begins where the interface in use splits the devices (at 4 on an ADC-1): a
    // channel left there keeps the groups two, its device going out beside group 1's and
    // group 2's reference in each reference period, never a two-group set-up run as one.
    const float split = GroupOneLastDevice(External_AD);
    nGroups = 1;
    for (int c = 1; c <= n; ++c)
      if (ChannelVariables[c][ChanField::Device] > split) nGroups = 2;
  }
  if (SwitchingMode != SwitchingPatternCode::Off) {
    bool anySwitched = false;
    for (int c = 1; c <= n; ++c)
      if (ChannelVariables[c][ChanField::Device] > 0.0f) anySwitched = true;
    if (!anySwitched) setup_hooks::ExternalDeviceControl();
    setup_hooks::SELECTNEXTVALVE();
  }
  OldChan = SampleValve;
  OldChan2 = SampleValve2;
}

// ---- re-ordering --------------------------------------------------------------------------------

bool ReorderAccepted(const std::array<int16_t, 17>& order, int16_t count) {
  if (count < 1 || count > nChannels || count > 16) return false;
  const bool scopeFirst = RecordingMODE == RecordingModeCode::ScopeChart;
  std::array<bool, 17> placed{};
  for (int p = 1; p <= count; ++p) {
    if (order[p] < 1 || order[p] > nChannels || placed[order[p]]) return false;
    placed[order[p]] = true;
    if (scopeFirst && (p == 1) != (order[p] == 1)) return false;
  }
  return true;
}

std::array<int16_t, 17> CompletedOrder(const std::array<int16_t, 17>& order, int16_t count) {
  std::array<int16_t, 17> whole = order;
  std::array<bool, 17> placed{};
  for (int p = 1; p <= count; ++p) placed[order[p]] = true;
  int p = count;
  const int16_t channels = static_cast<int16_t>(std::clamp<int>(nChannels, 0, 16));
  for (int16_t c = 1; c <= channels; ++c)
    if (!placed[c]) whole[++p] = c;
  return whole;
}

ChannelMoveOutcome ReorderChannels(const std::array<int16_t, 17>& order, int16_t count) {
  if (!ReorderAccepted(order, count)) return {};
  ChannelMap map;
  map.count = static_cast<int16_t>(std::clamp<int>(nChannels, 1, 16));
  map.source = CompletedOrder(order, count);
  ChannelMoveOutcome outcome = MoveChannels(map, ChannelMoveKind::Reordering);
  if (!outcome.applied) return outcome;
  LayOutReorderedStrips(map.count);
  setup_hooks::CLEARARRAY();
  return outcome;
}

void LayOutReorderedStrips(int16_t count) {
  count = static_cast<int16_t>(std::clamp<int>(count, 0, 16));
  if (count == 0) return;
  const int16_t height = PrefsArray[PrefsSlot::WindowHeight];
  const int usable = height - 72;
  int32_t sum = 0;
  for (int p = 1; p <= count; ++p) {
    const float h = ChannelVariables[p][ChanField::StripHeight];
    if (std::isfinite(h) && std::fabs(h) < 1e6f)
      sum = static_cast<int32_t>(std::trunc(sum + static_cast<double>(h)));
  }
  if (sum <= 0 || usable <= 0) {
    // Strips never laid out (re-ordering during the first channel dialogs): share
    // the height equally instead of dividing by nothing.
    SetChanParams(height, 0);
    return;
  }
  const float factor = static_cast<float>(static_cast<double>(usable) / sum);
  for (int p = 1; p <= count; ++p) {
    auto& r = ChannelVariables[p];
    const float edge = p == 1 ? 47.0f : ChannelVariables[p - 1][ChanField::StripBottom] + 1.0f;
    r[ChanField::StripHeight] = r[ChanField::StripHeight] * factor;
    r[ChanField::StripBottom] = r[ChanField::StripHeight] + edge;
    if (p < count) ChannelVariables[p + 1][ChanField::StripTop] = r[ChanField::StripBottom] + 1.0f;
    r[ChanField::BottomLess2] = r[ChanField::StripBottom] - 2.0f;
    r[ChanField::BottomCopy] = r[ChanField::StripBottom];
  }
}

}  // namespace mv
