#include "soak/plan.h"

#include <algorithm>
#include <cmath>
#include <iomanip>
#include <random>
#include <sstream>

#include "control/ao_script_file.h"
#include "control/state.h"
#include "files/setup_file.h"
#include "kit/state.h"

namespace mv::soak {

namespace {

// The Sable inputs 1-8 read +-5.12 V in steps of 1/6399.9 V (a channel past the eighth
// reads an input again); a DataTaker sends its millivolts in full; an ADAM module four
// decimals of volts; the ADC-1 a 12-bit magnitude of 0.1 mV; a streaming instrument
// its field in full. A DT800, DT80 and DT85 read two sweeps when a run starts, an ADAM
// sets each channel's range (a sweep's worth of replies). An
// ADC-1 reading is five requests: the conversion's start, three status polls (two of
// them answered "busy") and the low byte.
// An instrument that is asked can fail in every way; one that talks unasked cannot
// answer late or repeat an answer.
constexpr const char* kAskedFaults = "silent late partial stale garbage hangup freeze";
const KindFacts kKinds[] = {
    {"ui2", 1, 8, 8, 16, -5.1, 5.1, 1 / 6399.9, false, kAskedFaults, 1000, 0},
    {"ui3", 2, 83, 8, 16, -5.1, 5.1, 1 / 6399.9, false, kAskedFaults, 1000, 0},
    {"dt500", 3, 5, 8, 8, -50, 50, 1e-6, false, kAskedFaults, 500, 0, 1, true},
    {"dt50", 4, 5, 5, 5, -50, 50, 1e-6, false, kAskedFaults, 500, 0, 1, true},
    {"dt800", 5, 800, 8, 8, -50, 50, 1e-6, false, kAskedFaults, 500, 2, 1, true},
    {"dt80", 6, 80, 5, 5, -50, 50, 1e-6, false, kAskedFaults, 500, 2, 1, true},
    {"dt85", 7, 85, 8, 8, -50, 50, 1e-6, false, kAskedFaults, 500, 2, 1, true},
    {"adam", 8, 4119, 8, 8, -9.9, 9.9, 1e-4, false, kAskedFaults, 500, 1, 1, true, true},
    {"adc1", 9, 4, 8, 8, -0.4, 0.4, 1e-4, false, kAskedFaults, 100, 0, 5},
    {"stream", 11, 6, 6, 6, -1000, 1000, 1e-6, true, "silent partial garbage hangup freeze", 1084, 0, 1,
     true},
};

const std::vector<RoadFacts> kRoads = {
    {"plain", "faults, pauses, markers, backups and periods drawn from the seed (0.1 s)"},
    {"interval", "each pause changes the interval in the pause window (0.25 s to start)"},
    {"slow",
     "slow spells in mid-run: each sweep a fifth longer than the interval, the replies within the time-out "
     "(0.25 s)"},
    {"continuous-last",
     "the last channel averaged continuously, through silences and slow spells; even seeds with channels 1 "
     "and 2 "
     "averaging 4 and 6 readings a sample (1 s)"},
    {"continuous-all", "every channel averaged continuously, through silences and slow spells (2 s)"},
    {"slow-line", "a line at 1,200 baud with spans of replies 1.1 s after their request (1 s)"},
    {"modules", "an ADAM's three modules (4019, 4050, 4017), the 4017 silent and late in spans (1 s)"},
    {"edit",
     "a channel cut, and one added in the set-up window the options window opens, between stopping and "
     "saving the last period (0.1 s)"},
    {"switching",
     "periodic references: device 1 the reference, channels on devices 2 and 3; even seeds with a silence of "
     "20 s across several switches (0.25 s)"},
    {"switching-keys",
     "switching by the keyboard alone (channels as switching): \"=\", \"-\" and Alt with a device's digit, "
     "each held down 0.6 s in turn every 4-8 s (0.25 s)"},
    {"feedback",
     "feedback on output 2 from channel 1, two steps over the run's first half, no end state (0.25 s)"},
    {"fast-scope",
     "a DT800's fast scope, Tab pressed in block after block, silences that cut blocks (0.001 s)"},
    {"scope-holds",
     "a DT800's fast scope whose logger holds a block's rest back 2-5 s, with short silences the program "
     "cannot see and stale spans (0.001 s)"},
    {"adam-modules",
     "an ADAM's 4019 at 01 and 4017 at 03 (or with --channels 12 or more also a 4019 at 02), every module's "
     "inputs rising, one module silent and then late past the time-out; with --interval 2 or more the silent "
     "one always 01, whose channels come first (1 s)"},
    {"dt-hangups",
     "a DataTaker whose line hangs up and comes back, again and again, the first time in the first period "
     "(0.25 s)"},
    {"switching-hangup",
     "periodic references (as switching) with the line lost for 2-6 s while a switch is due (0.25 s)"},
    {"two-groups",
     "periodic references in two device groups (references 1 and the second group's first), the set-up made "
     "on the other of an ADC-1 and a UI3 (0.25 s)"},
    {"zero-links",
     "periodic references (as switching) with the second-last channel zero-linked to channel 1; odd seeds "
     "with the links on, even seeds with them made and then unticked; seeds 3, 7, 11, ... with channel 1's "
     "input at exactly 0 V (0.25 s)"},
    {"dt-spike",
     "a DataTaker with its spike filter on (ratio 2), every input above 2 V, set up again through the set-up "
     "windows after \"Restart...\" (0.25 s)"},
    {"feedback-file",
     "feedback as on the feedback road, its two steps loaded from a file through \"Open AO Data...\" with "
     "its window never opened, the last step looping to step 1 (0.25 s)"},
    {"second-program",
     "a second copy of the program started on the instrument's port in mid-run, and stopped (0.1 s)"},
};

// Seconds between inputs' bases: a reading taken for another input is this far from
// its own time.
constexpr double kInputSpacing = 8;

std::vector<std::string> Words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> w;
  for (std::string s; in >> s;) w.push_back(s);
  return w;
}

bool Road(const Options& o, const char* name) {
  if (std::string(name) == "fast-scope") return o.road == name || o.road == "scope-holds";
  if (std::string(name) == "switching")
    return o.road == name || o.road == "switching-hangup" || o.road == "two-groups" ||
           o.road == "zero-links" || o.road == "switching-keys";
  if (std::string(name) == "modules") return o.road == name || o.road == "adam-modules";
  if (std::string(name) == "feedback") return o.road == name || o.road == "feedback-file";
  return o.road == name;
}

double RoadInterval(const std::string& road) {
  if (road == "interval" || road == "slow" || road == "switching" || road == "switching-keys" ||
      road == "feedback" || road == "feedback-file")
    return 0.25;
  if (road == "continuous-all") return 2;
  if (road == "fast-scope" || road == "scope-holds") return 0.001;
  if (road == "dt-hangups" || road == "switching-hangup" || road == "two-groups" || road == "zero-links" ||
      road == "dt-spike")
    return 0.25;
  if (road == "adam-modules") return 1;
  if (road == "continuous-last" || road == "slow-line" || road == "modules") return 1;
  return 0.1;
}

// The inputs the channels read: 1, 2, ... and again from 1 past the kind's inputs; an
// ADAM's modules road puts the second half on the 4017 at 03 (its inputs 9, 10, ...).
std::vector<int> ChannelInputs(const Options& o, const KindFacts& k, int channels) {
  std::vector<int> inputs;
  const int first = (channels + 1) / 2;
  for (int c = 0; c < channels; ++c) {
    if (Road(o, "modules"))
      inputs.push_back(c < first ? c + 1 : 9 + c - first);
    else
      inputs.push_back(c % k.inputs + 1);
  }
  return inputs;
}

int MaxInput(const std::vector<int>& inputs) {
  return *std::max_element(inputs.begin(), inputs.end());
}

// The fast input: one whose channel is not averaged over the interval, with a slow
// channel beside it to tell which tooth of the sawtooth a reading is on.
int FastInput(const Plan& p) {
  if (p.channels < 2 || p.averaging == Averaging::ContinuousAll) return 0;
  const int fastChannel = p.averaging == Averaging::ContinuousLast ? p.channels - 2 : p.channels - 1;
  return p.inputs[static_cast<std::size_t>(fastChannel)];
}

// The faults a road draws, each with its span (seconds) and module.
struct Draw {
  std::vector<std::string> names;
  double shortest, longest;
  int module = -1;
};
Draw FaultsOf(const Options& o, const KindFacts& k) {
  if (Road(o, "slow")) return {{"slow"}, 6, 15};
  if (o.road == "scope-holds") return {{"silent", "stale"}, 0.03, 0.15};
  if (Road(o, "fast-scope")) return {{"silent"}, 0.2, 0.6};
  if (o.road == "dt-hangups") return {{"hangup"}, 1, 5};
  if (o.road == "switching-hangup") return {{"hangup"}, 2, 6};
  if (Road(o, "continuous-last") || Road(o, "continuous-all")) return {{"silent", "slow"}, 2, 9};
  if (Road(o, "slow-line")) return {{"late"}, 1.5, 1.5};
  if (Road(o, "modules")) return {{"silent", "late"}, 2, 20, 3};
  return {Words(k.faults), 0.5, 8};
}

void DrawFaults(Plan& p, const Options& o, std::mt19937& rng) {
  const auto uniform = [&](double a, double b) { return std::uniform_real_distribution<double>(a, b)(rng); };
  const Draw draw = FaultsOf(o, *p.kind);
  // About one fault a minute, at least two (a slow line's short spans nine times as many).
  int n = std::max(2, static_cast<int>(o.seconds / 50));
  if (Road(o, "fast-scope")) n = std::max(3, static_cast<int>(o.seconds / 6));
  if (Road(o, "slow-line")) n = std::max(3, static_cast<int>(o.seconds / 12));
  for (int i = 0; i < n; ++i) {
    const std::string& name =
        draw.names[std::uniform_int_distribution<std::size_t>(0, draw.names.size() - 1)(rng)];
    p.faults.push_back(
        {uniform(2, std::max(3.0, o.seconds - 6)), uniform(draw.shortest, draw.longest), name, draw.module});
  }
  // Two or three modules: one of those read goes silent, and late past the time-out
  // straight after.
  if (o.road == "adam-modules")
    for (std::size_t i = 0, n = p.faults.size(); i < n; ++i) {
      p.faults[i].name = "silent";
      p.faults[i].module = std::uniform_int_distribution<int>(0, 1)(rng) ? 3 : 1;
      if (o.interval >= 2) p.faults[i].module = 1;
      const Fault late{p.faults[i].at + p.faults[i].seconds, uniform(2, 8), "late", p.faults[i].module};
      p.faults.push_back(late);
    }
  // The line lost in the first period too, whose loss the Recording Check must count
  // with the later ones'.
  const double period = p.periodSamples * o.interval;
  if (o.road == "dt-hangups" && period > 10) p.faults.front().at = uniform(2, period - 6);
  // A silence long enough for several timed switches to fall in it.
  if (o.road == "switching" && o.seed % 2 == 0)
    p.faults.push_back({uniform(8, std::max(9.0, o.seconds - 30)), 20, "silent"});
  std::sort(p.faults.begin(), p.faults.end(), [](const Fault& a, const Fault& b) { return a.at < b.at; });
}

// Another interval of the pause window's popup, near the one in force.
double OtherInterval(double now, std::mt19937& rng) {
  static const double kIntervals[] = {0.1, 0.25, 0.5, 1, 2};
  std::vector<double> others;
  for (double v : kIntervals)
    if (std::fabs(v - now) > 1e-9 && v <= std::max(2.0, now * 4) && v >= now / 4) others.push_back(v);
  return others[std::uniform_int_distribution<std::size_t>(0, others.size() - 1)(rng)];
}

void DrawPausesAndMarkers(Plan& p, const Options& o, std::mt19937& rng) {
  const auto uniform = [&](double a, double b) { return std::uniform_real_distribution<double>(a, b)(rng); };
  // About one pause a minute and a half (one a half minute when each changes the
  // interval); markers twice a minute. Pauses and markers go into the script in time
  // order, no marker within a second of a pause.
  const int nPauses =
      std::max(Road(o, "interval") ? 2 : 1, static_cast<int>(o.seconds / (Road(o, "interval") ? 30 : 90)));
  const int nMarkers = std::max(2, static_cast<int>(o.seconds / 30));
  double t = 3, interval = p.interval;
  for (int i = 0; i < nPauses; ++i) {
    const double slot = (o.seconds - 10) / nPauses;
    const double at = std::max(t, 3 + slot * i + uniform(0, slot / 2));
    Pause pause{at, uniform(1.5, 8)};
    if (Road(o, "interval")) interval = pause.newInterval = OtherInterval(interval, rng);
    p.pauses.push_back(pause);
    t = at + pause.seconds + 1;
  }
  for (int i = 0; i < nMarkers; ++i) {
    double at = uniform(2, std::max(3.0, o.seconds - 5));
    for (const Pause& pause : p.pauses)
      if (at > pause.at - 1 && at < pause.at + pause.seconds + 1) at = pause.at + pause.seconds + 1.5;
    p.markers.push_back({at, static_cast<char>('a' + std::uniform_int_distribution<int>(0, 25)(rng))});
  }
  std::sort(p.markers.begin(), p.markers.end(), [](const Marker& a, const Marker& b) { return a.at < b.at; });
  // A switching key held down 0.6 s every 4 to 8 s, away from pauses and markers, in
  // turn: to the sample, to the reference, device 2 and device 3 directly.
  static const char* const kKeys[] = {"=", "-", "alt+2", "-", "alt+3"};
  for (double at = 3; p.keyboardSwitching && at < o.seconds - 3; at += uniform(4, 8)) {
    const bool clear =
        std::none_of(p.pauses.begin(), p.pauses.end(),
                     [&](const Pause& q) { return at > q.at - 1.5 && at < q.at + q.seconds + 1.5; }) &&
        std::none_of(p.markers.begin(), p.markers.end(),
                     [&](const Marker& m) { return std::fabs(at - m.at) < 1.5; });
    if (clear) p.switchKeys.push_back({at, kKeys[p.switchKeys.size() % 5], 0.6});
  }
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

const std::vector<RoadFacts>& Roads() {
  return kRoads;
}

std::string SettleOptions(Options& o) {
  const KindFacts* k = FindKind(o.kind);
  if (!k) return "no interface kind " + o.kind;
  if (std::none_of(kRoads.begin(), kRoads.end(), [&](const RoadFacts& r) { return o.road == r.name; }))
    return "no road " + o.road;
  const int most = Road(o, "modules") ? 16 : k->maxChannels;
  if (o.channels > most)
    return "--channels " + std::to_string(o.channels) + ": a " + o.kind + " run has at most " +
           std::to_string(most) + " channels (" + std::to_string(k->inputs) + " inputs that rise)";
  if (Road(o, "modules") && o.kind != "adam") return "the modules road is an ADAM's";
  if (Road(o, "slow-line") && k->streams)
    return "a streaming instrument is not asked: no slow line to answer on";
  if (Road(o, "fast-scope") && o.kind != "dt800") return "the fast scope is a DT800's";
  if (Road(o, "fast-scope") && o.channels > 1) return "the fast scope records one channel";
  if ((o.road == "dt-spike" || o.road == "dt-hangups") && std::string(o.kind).rfind("dt", 0) != 0)
    return "the " + o.road + " road is a DataTaker's";
  if (o.road == "two-groups" && o.kind != "ui3" && o.kind != "adc1")
    return "the two-groups road moves a set-up between an ADC-1 and a UI3";
  if ((Road(o, "switching") || Road(o, "feedback")) && o.kind != "ui2" && o.kind != "ui3" &&
      o.road != "two-groups")
    return "the " + o.road + " road is a Sable's";
  if (Road(o, "switching") && o.channels > 0 && o.channels < 3)
    return "the switching road needs three channels";
  if ((Road(o, "continuous-last") || Road(o, "edit")) && o.channels == 1)
    return "the " + o.road + " road needs two channels";
  if (o.interval <= 0) o.interval = RoadInterval(o.road);
  if (o.baud <= 0 && Road(o, "slow-line")) o.baud = 1200;
  // A streaming instrument's lines come at a line's pace, as on a serial line: the
  // lines a freeze held come after it one by one while the program reads them, never
  // all at once, beyond what the port holds (the simulator's unpaced burst would lose
  // bytes in mid-line and join the halves of two lines).
  if (o.baud <= 0 && k->streams) o.baud = 115200;
  return {};
}

Plan MakePlan(const Options& o) {
  Plan p;
  p.kind = FindKind(o.kind);
  p.channels = o.channels > 0 ? o.channels : std::min(8, p.kind->inputs);
  if (Road(o, "fast-scope")) p.channels = 1;
  if (Road(o, "modules") && o.channels <= 0) p.channels = 8;
  // A line at 1,200 baud keeps a second's interval for four channels.
  if (Road(o, "slow-line") && o.channels <= 0) p.channels = std::min(4, p.channels);
  p.inputs = ChannelInputs(o, *p.kind, p.channels);
  p.readings.assign(static_cast<std::size_t>(p.channels), 1);
  // Each channel's label its own, so that a label taken from another channel shows.
  for (int c = 0; c < p.channels; ++c)
    p.labels.push_back("soak ch " + std::to_string(c + 1) + " input " +
                       std::to_string(p.inputs[static_cast<std::size_t>(c)]));
  p.interval = o.interval;
  p.baud = o.baud;
  if (Road(o, "continuous-last")) p.averaging = Averaging::ContinuousLast;
  if (Road(o, "continuous-all")) p.averaging = Averaging::ContinuousAll;
  if (Road(o, "modules")) p.modules = {"4019", "4050", "4017"};
  if (o.road == "adam-modules" && o.seed % 2 == 0) p.modules = {"4019", "-", "4017"};
  // A late reply on the slow line comes 1.1 s after its request.
  if (Road(o, "slow-line")) p.lateMs = 1100 - p.kind->timeoutMs;
  // In a slow spell a sweep takes a fifth longer than the interval: late, but the
  // replies well within the time-out.
  p.slowMs = static_cast<int>(std::lround(std::min(300.0, 1200 * o.interval / p.channels)));
  // The recording starts about this long after the simulator (the program's launch,
  // connection and set-up): the schedule's times count from there.
  p.lead = 7;
  // The rise must stay in range through the connection, the run and every pause, with
  // the inputs' bases spaced apart.
  const int inputs = MaxInput(p.inputs);
  const double span = o.seconds * 1.5 + 120 + kInputSpacing * inputs;
  // The simulator takes the rate and the bases as text in six decimals: the checks time
  // readings by those very numbers, never by ones that differ in the seventh (over an
  // hour, parts in ten thousand of the rate would put every reading a second off).
  const auto sixDecimals = [](double v) { return std::round(v * 1e6) / 1e6; };
  // The spike filter's road reads every input above 2 V: the rise starts at 2.5.
  const double low = o.road == "dt-spike" ? 2.5 : p.kind->low;
  p.rate = sixDecimals((p.kind->high - low) / span);
  for (int i = 0; i < inputs; ++i) p.bases.push_back(sixDecimals(low + kInputSpacing * p.rate * i));
  // The sawtooth's tooth is far longer than a reading's time is uncertain on the
  // common rise, so the slow channels tell the tooth and the fast one the time.
  p.fastInput = FastInput(p);
  const double coarse = p.kind->step / p.rate + (p.kind->streams ? 0.06 : 0);
  p.fastRate = (p.kind->high - p.kind->low) / std::max({4.0, 40 * coarse, 8 * o.interval});
  const double period = o.periodSeconds > 0 ? o.periodSeconds : std::max(6.0, o.seconds / 3);
  p.periodSamples = static_cast<int32_t>(std::lround(period / o.interval));
  p.backupSeconds = o.backupSeconds > 0 ? o.backupSeconds : std::max(5.0, o.seconds / 4);
  if (Road(o, "edit")) p.cutChannel = 1;
  if (Road(o, "switching")) {
    // The first channels on devices 2 and 3 in turn, the last two (the sawtooth's and
    // the one beside it) on no device; references on device 1 for 3 s between sample
    // periods of 6 s.
    p.reference = 1;
    p.refMinutes = 0.05;
    p.sampleMinutes = 0.1;
    for (int c = 0; c < p.channels; ++c) p.devices.push_back(c < p.channels - 2 ? 2 + c % 2 : 0);
  }
  if (o.road == "two-groups") {
    // Made on the other interface: its first group ends at device 3 on an ADC-1, 4 on a
    // UI3. The second group's reference is the first device past that, its sample
    // devices the next two; the channels take the groups' devices in turn.
    // An ADC-1 switches devices 1 to 6 only.
    const bool madeOnAdc1 = o.kind == "ui3";
    p.madeOn = static_cast<int16_t>(FindKind(madeOnAdc1 ? "adc1" : "ui3")->code);
    p.reference2 = madeOnAdc1 ? 4 : 5;
    const int group2[] = {p.reference2 + 1, std::min(6, p.reference2 + 2)}, group1[] = {2, 3};
    for (int c = 0; c < p.channels - 2; ++c) p.devices[c] = c % 2 ? group2[(c / 2) % 2] : group1[(c / 2) % 2];
  }
  if (o.road == "zero-links") {
    p.zeroLinkOf.assign(static_cast<std::size_t>(p.channels), -1);
    p.zeroLinkOf[static_cast<std::size_t>(p.channels - 2)] = 0;
    p.zeroLinksOn = o.seed % 2 == 1;
    // The primary reads a true 0 (an analyser on zero air): the link must not follow it.
    if (o.seed % 4 == 3) p.zeroInput = p.inputs.front();
  }
  if (o.road == "switching-keys") p.keyboardSwitching = true;
  // Channels that average several readings a sample, beside the one scanned: a failed
  // sample's copy is the sample before, never a reading of its own.
  if (o.road == "continuous-last" && o.seed % 2 == 0 && p.channels >= 4 && o.kind != "adc1")
    p.readings[0] = 4, p.readings[1] = 6;
  if (o.road == "second-program") p.secondProgramAt = o.seconds / 2;
  if (o.road == "dt-spike") {
    p.spikeRatio = 2, p.setUpInWindows = true;
    // The conversion window's volts button: a linear conversion labelled as it is.
    p.conversionType = 1;
    p.labels.assign(static_cast<std::size_t>(p.channels), "volts");
  }
  if (Road(o, "feedback")) {
    // Channel 1 crosses the setpoint in the first step; each step a quarter of the run.
    const double at = p.bases.front() + p.rate * o.seconds * 0.15, range = p.rate * o.seconds * 0.1;
    const double minutes = o.seconds / 240;
    p.feedback = {{at, range, 2, 3, minutes}, {at + range, range, 1, 1.5, minutes}};
    p.feedbackFromFile = o.road == "feedback-file";
  }

  if (Road(o, "fast-scope")) {
    // Tagged bursts within the input's range: every point tells its place, and its block
    // by the block's number modulo the tags' stride.
    p.fastScope = true;
    p.scopePoints = 2048;
    p.scopeA = 0.5;
    p.scopeB = 2;
  }
  std::mt19937 rng(o.seed);
  DrawFaults(p, o, rng);
  // Tab in block after block: every 1 to 3 s.
  for (double t = 2; p.fastScope && t < o.seconds - 2; t += std::uniform_real_distribution<double>(1, 3)(rng))
    p.tabs.push_back(t);
  // A block's rest held back 2 to 5 s from a place of its own, every third block or so
  // (a block is 8,192 numbers of 9 or 10 bytes).
  if (o.road == "scope-holds")
    for (long burst = 2; burst < 2 + static_cast<long>(o.seconds / 4); burst += 3) {
      const long byte = std::uniform_int_distribution<long>(50, 70000)(rng);
      const int ms = std::uniform_int_distribution<int>(2000, 5000)(rng);
      p.burstGaps.push_back(std::to_string(burst) + ":" + std::to_string(byte) + ":" + std::to_string(ms));
    }
  DrawPausesAndMarkers(p, o, rng);
  return p;
}

std::string ScheduleText(const Plan& p) {
  std::ostringstream s;
  s << "# drawn by mv-soak: each line at its time from the simulator's start\n";
  // The sawtooth's rate as the checks take it, to the last digit.
  if (p.fastInput > 0)
    s << "0 ramp " << p.fastInput << " " << std::setprecision(17) << p.fastRate << std::setprecision(6)
      << "\n";
  if (p.zeroInput > 0) s << "0 ramp " << p.zeroInput << " 0\n";
  if (p.lateMs != 84) s << "0 late " << p.lateMs << "\n";
  if (std::any_of(p.faults.begin(), p.faults.end(), [](const Fault& f) { return f.name == "slow"; }))
    s << "0 slow " << p.slowMs << "\n";
  for (const Fault& f : p.faults) {
    s << p.lead + f.at << " fault " << f.name << " " << f.seconds;
    if (f.module >= 0) s << " module " << (f.module < 10 ? "0" : "") << f.module;
    s << "\n";
  }
  return s.str();
}

std::vector<std::string> SimArguments(const Plan& p, const Options& o) {
  std::vector<std::string> a = {
      "--kind", o.kind, "--ramp", std::to_string(p.rate), "--seed", std::to_string(o.seed), "--log-readings"};
  for (std::size_t i = 0; i < p.bases.size(); ++i)
    a.insert(a.end(),
             {"--value", std::to_string(i + 1) + "=" +
                             (static_cast<int>(i) + 1 == p.zeroInput ? "0" : std::to_string(p.bases[i]))});
  if (p.fastInput > 0)
    a.insert(a.end(), {"--wrap", std::to_string(p.kind->low) + ":" + std::to_string(p.kind->high)});
  if (p.baud > 0) a.insert(a.end(), {"--baud", std::to_string(p.baud)});
  if (!p.modules.empty()) {
    std::string list;
    for (const std::string& m : p.modules) list += (list.empty() ? "" : ",") + m;
    a.insert(a.end(), {"--modules", list});
  }
  if (p.fastScope) a.push_back("--burst-tagged-in-range");
  for (const std::string& gap : p.burstGaps) a.insert(a.end(), {"--burst-gap", gap});
  if (p.kind->streams) {
    std::string line;
    for (int c = 0; c < p.channels; ++c) line += (c ? "," : "") + std::to_string(c + 1);
    a.insert(a.end(), {"--line", line, "--period", std::to_string(std::lround(kLinePeriod * 1000))});
  }
  return a;
}

namespace {

std::string FastScopeSetup(const Plan& p, const Options& o) {
  SetupRecord setup;
  setup.recordingMode = RecordingModeCode::Scope;
  setup.channels = 1;
  setup.chartTicks = 60;
  setup.scopeTicks = static_cast<float>(o.interval * 60);
  setup.scopeMax = p.scopePoints;
  setup.maxSamples = 1024;
  setup.prefSlots[PrefsSlot::DT800FastScope] = 1;
  auto& ch = setup.channelTable[1];
  ch[ChanField::Input] = 1;
  ch[ChanField::A] = static_cast<float>(p.scopeA);
  ch[ChanField::B] = static_cast<float>(p.scopeB);
  ch[ChanField::PlotMax] = 10;
  ch[ChanField::Averaged] = 1;
  setup.dataTaker[1] = {1, 0, 0, 0, 0};
  return EncodeSetup(setup);
}

}  // namespace

std::string FeedbackFileBytes(const Plan& p) {
  AnalogOutputScriptFile f;
  for (std::size_t k = 0; k < p.feedback.size(); ++k) {
    const Plan::FeedbackStep& step = p.feedback[k];
    FeedbackStepRow& row = f.feedback[k + 1];
    row[1] = static_cast<float>(step.setpoint);
    row[2] = static_cast<float>(step.minVolts);
    row[3] = static_cast<float>(step.maxVolts);
    row[4] = static_cast<float>(step.range);
    row[5] = static_cast<float>(step.minutes);
    row[6] = static_cast<float>(k + 1 < p.feedback.size() ? k + 2 : 1);
  }
  f.feedbackChan = 1;
  f.updateInterval = 60;
  f.endSetpoint = kNoEndSetpoint;
  f.endRange = kNoEndRange;
  f.endMinV = kNoEndMinV;
  f.endMaxV = kNoEndMaxV;
  return EncodeAOscriptFile(f);
}

std::string SetupBytes(const Plan& p, const Options& o) {
  if (p.fastScope) return FastScopeSetup(p, o);
  SetupRecord setup;
  setup.recordingMode = RecordingModeCode::Chart;
  setup.channels = static_cast<int16_t>(p.channels);
  setup.chartTicks = static_cast<float>(o.interval * 60);
  setup.scopeTicks = 1;
  setup.scopeMax = 256;
  setup.maxSamples = p.periodSamples;
  setup.timedSaveInterval = static_cast<int32_t>(std::lround(p.backupSeconds * 60));
  setup.prefSlots[PrefsSlot::AutomaticBackup] = 1;
  // The program's default: a failed reading keeps the channel's last value.
  setup.prefSlots[PrefsSlot::BadReadingKeepsLast] = 1;
  setup.prefSlots[PrefsSlot::Autorepeat] = 1;
  setup.prefSlots[PrefsSlot::AverageAllChannels] = p.averaging == Averaging::ContinuousAll ? 1 : 0;
  setup.prefSlots[PrefsSlot::AverageLastChannel] = p.averaging == Averaging::ContinuousLast ? 1 : 0;
  if (!p.devices.empty()) {
    setup.switchingMode =
        p.keyboardSwitching ? SwitchingPatternCode::Keyboard : SwitchingPatternCode::Periodic;
    setup.refint = static_cast<float>(p.refMinutes);
    setup.switchint = static_cast<float>(p.sampleMinutes);
    setup.refChan = static_cast<int16_t>(p.reference);
    setup.prefSlots[PrefsSlot::MarkerAtSwitch] = 1;
  }
  if (p.reference2 > 0) {
    setup.switchingMode = SwitchingPatternCode::Periodic2;
    setup.refChan2 = static_cast<int16_t>(p.reference2);
    setup.interfaceCode = p.madeOn;
  }
  // Channel r's link (word 3r + 1) names the channel zeroed with it; word 0 ticks them.
  for (std::size_t c = 0; c < p.zeroLinkOf.size(); ++c)
    if (p.zeroLinkOf[c] >= 0) {
      setup.zeroLinks[static_cast<std::size_t>(3 * (p.zeroLinkOf[c] + 1) + 1)] = static_cast<int16_t>(c + 1);
      setup.zeroLinks[3 * (c + 1) + 2] = static_cast<int16_t>(p.zeroLinkOf[c] + 1);
    }
  if (!p.zeroLinkOf.empty()) setup.zeroLinks[0] = p.zeroLinksOn ? 1 : 0;
  if (p.spikeRatio > 0) {
    setup.prefSlots[PrefsSlot::SpikeFilterOn] = 1;
    for (int k = 1; k <= p.channels; ++k) setup.spikeFilter[static_cast<std::size_t>(k)] = static_cast<float>(p.spikeRatio);
  }
  for (int k = 1; k <= p.channels; ++k) {
    auto& ch = setup.channelTable[k];
    ch[ChanField::Gain] = 2;
    ch[ChanField::Input] = static_cast<float>(p.inputs[static_cast<std::size_t>(k - 1)]);
    ch[ChanField::B] = 1;
    ch[ChanField::PlotMax] = static_cast<float>(p.kind->high);
    ch[ChanField::PlotMin] = static_cast<float>(p.kind->low);
    ch[ChanField::Averaged] = p.averaging == Averaging::ContinuousLast && k == p.channels
                                  ? 0
                                  : static_cast<float>(p.readings[static_cast<std::size_t>(k - 1)]);
    if (!p.devices.empty())
      ch[ChanField::Device] = static_cast<float>(p.devices[static_cast<std::size_t>(k - 1)]);
    setup.dataTaker[k] = {1, 0, 0, 0, 0};
    // Labels in 30-character slots: channels 1 to 8 in the first string, 9 to 16 in the second.
    std::string label = p.labels[static_cast<std::size_t>(k - 1)];
    label.resize(30, ' ');
    (k <= 8 ? setup.labels1 : setup.labels2) += label;
  }
  return EncodeSetup(setup);
}

}  // namespace mv::soak
