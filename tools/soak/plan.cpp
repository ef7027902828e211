#include "soak/plan.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <sstream>

#include "files/setup_file.h"
#include "kit/state.h"

namespace mv::soak {

namespace {

// The Sable inputs 1-8 read +-5.12 V in steps of 1/6399.9 V; a DataTaker sends its
// millivolts in full; an ADAM module four decimals of volts; the ADC-1 a 12-bit
// magnitude of 0.1 mV; a streaming instrument its field in full.
const KindFacts kKinds[] = {
    {"ui2", 1, 8, -5.1, 5.1, 1 / 6399.9, false, "silent late partial stale garbage hangup freeze"},
    {"ui3", 2, 8, -5.1, 5.1, 1 / 6399.9, false, "silent late partial stale garbage hangup freeze"},
    {"dt500", 3, 8, -50, 50, 1e-6, false, "silent late partial stale garbage hangup freeze"},
    {"dt50", 4, 5, -50, 50, 1e-6, false, "silent late partial stale garbage hangup freeze"},
    {"dt800", 5, 8, -50, 50, 1e-6, false, "silent late partial stale garbage hangup freeze"},
    {"dt80", 6, 5, -50, 50, 1e-6, false, "silent late partial stale garbage hangup freeze"},
    {"dt85", 7, 8, -50, 50, 1e-6, false, "silent late partial stale garbage hangup freeze"},
    {"adam", 8, 8, -9.9, 9.9, 1e-4, false, "silent late partial stale garbage hangup freeze"},
    {"adc1", 9, 8, -0.4, 0.4, 1e-4, false, "silent late partial stale garbage hangup freeze"},
    {"stream", 11, 6, -1000, 1000, 1e-6, true, "silent partial garbage hangup freeze"},
};

// Seconds between channels' bases: a reading taken for another channel is this far
// from its own time.
constexpr double kChannelSpacing = 8;

std::vector<std::string> Words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> w;
  for (std::string s; in >> s;) w.push_back(s);
  return w;
}

}  // namespace

const KindFacts* FindKind(const std::string& name) {
  for (const KindFacts& k : kKinds)
    if (name == k.name) return &k;
  return nullptr;
}

std::vector<std::string> KindNames() {
  std::vector<std::string> names;
  for (const KindFacts& k : kKinds) names.emplace_back(k.name);
  return names;
}

Plan MakePlan(const Options& o) {
  Plan p;
  p.kind = FindKind(o.kind);
  p.channels = o.channels > 0 ? std::min(o.channels, p.kind->maxChannels) : std::min(8, p.kind->maxChannels);
  p.lead = 15;
  // The rise must stay in range through the connection, the run and every pause, with
  // the channels' bases spaced apart.
  const double span = o.seconds * 1.5 + 120 + kChannelSpacing * p.channels;
  p.rate = (p.kind->high - p.kind->low) / span;
  for (int c = 0; c < p.channels; ++c) p.bases.push_back(p.kind->low + kChannelSpacing * p.rate * c);
  const double period = o.periodSeconds > 0 ? o.periodSeconds : std::max(6.0, o.seconds / 3);
  p.periodSamples = static_cast<int32_t>(std::lround(period / o.interval));
  p.backupSeconds = o.backupSeconds > 0 ? o.backupSeconds : std::max(5.0, o.seconds / 4);

  std::mt19937 rng(o.seed);
  const auto uniform = [&](double a, double b) { return std::uniform_real_distribution<double>(a, b)(rng); };
  const std::vector<std::string> faults = Words(p.kind->faults);
  // About one fault and one pause a minute, at least two faults; markers twice as often.
  const int nFaults = std::max(2, static_cast<int>(o.seconds / 50));
  const int nPauses = std::max(1, static_cast<int>(o.seconds / 90));
  const int nMarkers = std::max(2, static_cast<int>(o.seconds / 30));
  for (int i = 0; i < nFaults; ++i) {
    const std::string& name = faults[std::uniform_int_distribution<std::size_t>(0, faults.size() - 1)(rng)];
    p.faults.push_back({uniform(5, std::max(6.0, o.seconds - 15)), uniform(0.5, 8), name});
  }
  std::sort(p.faults.begin(), p.faults.end(), [](const Fault& a, const Fault& b) { return a.at < b.at; });
  // Pauses and markers go into the script in time order, none overlapping a pause.
  double t = 3;
  for (int i = 0; i < nPauses; ++i) {
    const double slot = (o.seconds - 10) / nPauses;
    const double at = std::max(t, 3 + slot * i + uniform(0, slot / 2));
    p.pauses.push_back({at, uniform(1.5, 8)});
    t = at + p.pauses.back().seconds + 1;
  }
  for (int i = 0; i < nMarkers; ++i) {
    double at = uniform(2, std::max(3.0, o.seconds - 5));
    for (const Pause& pause : p.pauses)
      if (at > pause.at - 1 && at < pause.at + pause.seconds + 1) at = pause.at + pause.seconds + 1.5;
    p.markers.push_back({at, static_cast<char>('a' + std::uniform_int_distribution<int>(0, 25)(rng))});
  }
  std::sort(p.markers.begin(), p.markers.end(), [](const Marker& a, const Marker& b) { return a.at < b.at; });
  return p;
}

std::string ScheduleText(const Plan& p) {
  std::ostringstream s;
  s << "# drawn by mv-soak: each fault at its time from the simulator's start\n";
  for (const Fault& f : p.faults) s << p.lead + f.at << " fault " << f.name << " " << f.seconds << "\n";
  return s.str();
}

std::string SetupBytes(const Plan& p, const Options& o) {
  SetupRecord setup;
  setup.recordingMode = RecordingModeCode::Chart;
  setup.channels = static_cast<int16_t>(p.channels);
  setup.chartTicks = static_cast<float>(o.interval * 60);
  setup.scopeTicks = 1;
  setup.scopeMax = 256;
  setup.maxSamples = p.periodSamples;
  setup.timedSaveInterval = static_cast<int32_t>(std::lround(p.backupSeconds * 60));
  setup.prefSlots[PrefsSlot::AutomaticBackup] = 1;
  setup.prefSlots[PrefsSlot::Autorepeat] = 1;
  for (int k = 1; k <= p.channels; ++k) {
    auto& ch = setup.channelTable[k];
    ch[ChanField::Gain] = 2;
    ch[ChanField::Input] = static_cast<float>(k);
    ch[ChanField::B] = 1;
    ch[ChanField::PlotMax] = static_cast<float>(p.kind->high);
    ch[ChanField::PlotMin] = static_cast<float>(p.kind->low);
    ch[ChanField::Averaged] = 1;
    setup.dataTaker[k] = {1, 0, 0, 0, 0};
  }
  return EncodeSetup(setup);
}

namespace {

// A streaming set-up asks for its chart interval again, by the rate button's label.
std::string StreamInterval(double interval) {
  const char* label = interval >= 1 ? "1 second" : interval >= 0.25 ? "1/4 second" : "1/10 second";
  return std::string("until 9 30\nclick-label 9 ") + label + "\nclick-label 9 Selection OK\ngone 9\n";
}

}  // namespace

std::string DriveScript(const Plan& p, const Options& o, const std::string& setup, const std::string& link,
                        const std::string& backup, const std::string& root, const std::string& lastFile,
                        const std::string& lastText) {
  std::ostringstream s;
  s << "start " << setup << "\nuntil 11 20\nclick-label 11 Reset\nuntil 21 20\npick 21 182 " << p.kind->code
    << "\nclick-label 21 Selection OK\nuntil 88\nclick-label 88 " << link
    << "\nclick-label 88 Selection OK\ngone 88 60\n"
    << (p.kind->streams ? StreamInterval(o.interval) : "") << "until 104 60\npanel " << backup << "\npanel "
    << root << "\nclick 104 203\ngone 104 60\nuntil 15 60\nclick 15 11\ngone 15\nuntil 1 60\n";
  // The timed actions, in order, each waiting from the one before.
  double now = 0;
  std::size_t m = 0;
  const auto markersUntil = [&](double until) {
    for (; m < p.markers.size() && p.markers[m].at < until; ++m) {
      if (p.markers[m].at > now) s << "wait " << p.markers[m].at - now << "\n";
      s << "hold " << p.markers[m].key << "\nwait 0.3\nrelease " << p.markers[m].key << "\n";
      now = std::max(now, p.markers[m].at) + 0.3;
    }
  };
  for (const Pause& pause : p.pauses) {
    markersUntil(pause.at);
    if (pause.at > now) s << "wait " << pause.at - now << "\n";
    s << "hold ctrl+p\nuntil 300 10\nrelease ctrl+p\nwait " << pause.seconds
      << "\nclick 300 51\ngone 300\n";
    now = std::max(now, pause.at) + pause.seconds;
  }
  markersUntil(o.seconds);
  if (o.seconds > now) s << "wait " << o.seconds - now << "\n";
  s << "hold Escape\nuntil 112 30\nrelease Escape\npanel " << lastFile
    << "\nclick 112 2\nuntil 15 30\nclick 15 11\ngone 15\nwait 0.3\n"
    // The text form (File menu item 4) of the same, then the binary format again.
    << "menu 1 4\npanel " << lastText << "\nclick 112 2\nuntil 3 30\nclick 3 2\nclick 3 1\ngone 3\nwait 0.3\n"
    << "menu 1 3\nclick 112 6\nexpect-exit 0\n";
  return s.str();
}

}  // namespace mv::soak
