#include "control/switch_groups.h"

#include "control/device_outputs.h"
#include "control/state.h"
#include "control/switch_buttons.h"
#include "control/switch_window.h"
#include "devices/state.h"
#include "kit/state.h"
#include "setup/state.h"

namespace mv {

namespace {

int16_t Coding() {
  return PrefsArray[PrefsSlot::DigitalOutputCoding];
}

// What the interface and coding reach, said after the device that lies beyond it.
std::string DeviceReach(int16_t count) {
  const std::string last = std::to_string(count);
  if (External_AD == ExternalADCode::DT500 || External_AD == ExternalADCode::DT50)
    return std::string(": one line per device on the ") +
           (External_AD == ExternalADCode::DT50 ? "DT50" : "DT500") + " reaches devices 1 to " + last +
           " only.";
  const char* name = External_AD == ExternalADCode::ADC1 ? "the ADC-1" : "this interface";
  return std::string(": ") + name + " switches devices 1 to " + last + " only.";
}

std::string Devices(int from, int to) {
  return "devices " + std::to_string(from) + " to " + std::to_string(to);
}

}  // namespace

std::optional<std::string> ReferenceGroupRefusal() {
  if (!TwoGroupPattern(SwitchingMode) || !SecondGroupSwitchable(External_AD, Coding())) return std::nullopt;
  const int16_t split = GroupOneLastDevice(External_AD);
  const int16_t count = SwitchDeviceCount(External_AD, Coding());
  const bool firstInOne = RefChan >= 1 && RefChan <= split;
  const bool secondInTwo = RefChan2 > split && RefChan2 <= count;
  if (firstInOne && secondInTwo) return std::nullopt;
  const std::string groups =
      ": group 1 is " + Devices(1, split) + " and group 2 " + Devices(split + 1, count) + " here, one reference each.";
  const auto named = [](int16_t d) { return d >= 1 && d <= 8; };
  if (named(RefChan) && named(RefChan2)) {
    const bool sameGroup = (RefChan <= split) == (RefChan2 <= split);
    const std::string both = "Reference devices " + std::to_string(RefChan) + " and " + std::to_string(RefChan2);
    if (sameGroup) return both + " are both in group " + (RefChan <= split ? "1" : "2") + groups;
    return both + " are in each other's group" + groups;
  }
  return std::string(firstInOne || secondInTwo ? "One group has no reference device" : "No reference device is chosen") +
         groups;
}

bool ReferencesRefused() {
  const int16_t count = SwitchDeviceCount(External_AD, Coding());
  return RefChan > count || (TwoGroupPattern(SwitchingMode) && RefChan2 > count) || ReferenceGroupRefusal();
}

std::optional<std::string> OneGroupReason() {
  const int16_t iface = External_AD;
  if (SecondGroupSwitchable(iface, Coding())) return std::nullopt;
  if (iface == ExternalADCode::ADAM) return "The ADAM switches one device at a time";
  if (Coding() != SwitchOutputCode::LinePerDevice) return "The three-bit word switches one device at a time";
  return std::string("One line per device on the ") + (iface == ExternalADCode::DT50 ? "DT50" : "DT500") +
         " gives group 2 no lines";
}

bool FitPatternToCoding() {
  if (!TwoGroupPattern(SwitchingMode) || !OneGroupReason()) return false;
  SwitchingMode = PatternAfterGroupToggle(SwitchingMode, RecordingMODE == RecordingModeCode::ScopeChart);
  nGroups = 0;
  return true;
}

std::optional<std::string> UnswitchableDevice() {
  const int16_t p = SwitchingMode;
  const int16_t count = SwitchDeviceCount(External_AD, Coding());
  if (p == 0) return std::nullopt;
  const auto device = [](int16_t row) { return static_cast<int>(ChannelVariables[row][ChanField::Device]); };
  std::string what;
  if (RefChan > count) {
    what = "Reference device " + std::to_string(RefChan);
  } else if (TwoGroupPattern(p) && RefChan2 > count) {
    what = "Reference device " + std::to_string(RefChan2);
  } else if (auto references = ReferenceGroupRefusal()) {
    // Both references in one group leave the other group's valves shut in every
    // reference period.
    return references;
  } else if (SequentialPattern(p)) {
    for (int16_t k = static_cast<int16_t>(count + 1); k <= 8 && what.empty(); ++k)
      if (device(k) > 0) what = "Device position " + std::to_string(k);
  } else {
    for (int16_t r = 1; r <= nChannels && r <= 16 && what.empty(); ++r)
      if (device(r) > count)
        what = "Channel " + std::to_string(r) + " uses device " + std::to_string(device(r));
  }
  if (what.empty()) return std::nullopt;
  return what + DeviceReach(count);
}

std::optional<std::string> RunStartRefusal() {
  if (auto device = UnswitchableDevice()) return device;
  if (!TwoGroupPattern(SwitchingMode)) return std::nullopt;
  const auto reason = OneGroupReason();
  if (!reason) return std::nullopt;
  return *reason + ": untick Two Device Groups in Device Control.";
}

std::optional<std::string> GroupWithoutChannel() {
  if (!TwoGroupPattern(SwitchingMode)) return std::nullopt;
  const int16_t split = GroupOneLastDevice(External_AD);
  const int16_t count = SwitchDeviceCount(External_AD, Coding());
  bool first = false, second = false;
  for (int16_t r = 1; r <= nChannels && r <= 16; ++r) {
    const float d = ChannelVariables[r][ChanField::Device];
    if (d >= 1.0f && d < split + 1.0f) first = true;
    if (d >= split + 1.0f && d < count + 1.0f) second = true;
  }
  const auto range = [](int from, int to) { return std::to_string(from) + " to " + std::to_string(to); };
  if (!first)
    return "Group 1 (devices " + range(1, split) +
           ") has no channel: only group 2's device goes out in a sample.";
  if (!second)
    return "Group 2 (devices " + range(split + 1, count) +
           ") has no channel: only group 1's device goes out in a sample.";
  return std::nullopt;
}

}  // namespace mv
