// The soak's mv-drive script: what the user does, at the plan's times.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <sstream>

#include "soak/plan.h"

namespace mv::soak {

namespace {

// A streaming set-up asks for its chart interval again, by the rate button's label.
std::string StreamInterval(double interval) {
  const char* label = interval >= 1 ? "1 second" : interval >= 0.25 ? "1/4 second" : "1/10 second";
  return std::string("until 9 30\nclick-label 9 ") + label + "\nclick-label 9 Selection OK\ngone 9\n";
}

// The pause window's interval popup: item 2 is 1/500 s, and so on.
int IntervalItem(double interval) {
  static const double kItems[] = {0.002, 0.004, 0.008, 0.016667, 0.033333, 0.066667, 0.1,
                                  0.25,  0.5,   1,     2,        5,        10};
  int best = 0;
  for (int i = 0; i < 13; ++i)
    if (std::fabs(kItems[i] - interval) < std::fabs(kItems[best] - interval)) best = i;
  return best + 2;
}

// Between stopping and saving the last period: channel `cut` cut (A-D menu, Cut
// Channels...), then a channel added in the set-up window the options window opens
// (its input, conversion, scaling and averaging dialogs confirmed as they come), as a
// user who sets up the next run before saving this one.
std::string EditAfterStop(const Plan& p) {
  if (p.cutChannel <= 0) return {};
  return "menu 4 20\nuntil 6 20\nclick 6 " + std::to_string(p.cutChannel) +
         "\nclick-label 6 Proceed\ngone 6 20\nwait 0.3\n"
         "click 112 3\nuntil 104 20\nclick 104 220\nuntil 11 20\nclick 11 130\nuntil 10 20\nclick 10 15\n"
         "until 111 20\nclick 111 1\nuntil 8 20\nclick 8 1\ngone 8 20\nclick 104 203\ngone 104 20\n"
         "until 112 20\nwait 0.3\n";
}

// A number typed into a field of the feedback window, in place of what it held.
std::string Field(int16_t field, double value) {
  std::ostringstream s;
  s.precision(6);
  s << "type 788 " << field << " x\n";
  for (int i = 0; i < 14; ++i) s << "key Backspace\n";
  s << "type 788 " << field << " " << value << "\n";
  return s.str();
}

// The feedback window from the D-A menu: channel 1, each step entered, Done; the end
// state left as the window opens.
std::string FeedbackSchedule(const Plan& p, const std::string& setup) {
  if (p.feedback.empty()) return {};
  if (p.feedbackFromFile)
    return "panel " + (std::filesystem::path(setup).parent_path() / kFeedbackFile).string() +
           "\nmenu 5 7\nwait 1\n";
  std::string s = "menu 5 2\nuntil 788 20\nclick 788 1\n";
  for (const Plan::FeedbackStep& f : p.feedback)
    s += Field(120, f.setpoint) + Field(121, f.range) + Field(122, f.maxVolts) + Field(123, f.minVolts) +
         Field(124, f.minutes) + "click 788 25\n";
  return s + "click 788 33\ngone 788 20\n";
}

// A fast scope run: the sweeps' root given when the run starts, Tab pressed at the
// plan's times, stopped and quit.
std::string FastScopeScript(const Plan& p, const Options& o, const std::string& sweeps) {
  std::ostringstream s;
  s << "until 104 60\npanel " << sweeps
    << "\nclick 104 203\ngone 104 60\nuntil 15 60\nwait 1\nclick 15 11\ngone 15\nuntil 1 60\n";
  double now = 0;
  for (double at : p.tabs) {
    if (at > now) s << "wait " << at - now << "\n";
    s << "hold Tab\nwait 0.2\nrelease Tab\n";
    now = std::max(now, at) + 0.2;
  }
  if (o.seconds > now) s << "wait " << o.seconds - now << "\n";
  s << "hold Escape\nuntil 112 60\nrelease Escape\nclick 112 6\nexpect-exit 0\n";
  return s.str();
}

// "Restart..." in the set-up window, then the channels set up again through the
// windows a user goes through: the channel count, the sample rate (as it stands), and
// for each channel its input, the DataTaker's mode, conversion, scaling and averaging
// windows, each confirmed as it comes.
std::string SetUpInWindows(const Plan& p) {
  if (!p.setUpInWindows) return {};
  std::ostringstream s;
  s << "click 104 202\nuntil 310 30\nclick 310 " << 100 + p.channels << "\nclick 310 23\nuntil 9 30\nclick 9 14\n";
  for (int c = 0; c < p.channels; ++c)
    s << "until 11 20\nclick 11 " << p.inputs[static_cast<std::size_t>(c)]
      << "\nclick 11 130\nuntil 100 20\nclick 100 17\nuntil 10 20\nclick 10 15\nuntil 111 20\nclick 111 1\n"
         "until 8 20\nclick 8 1\ngone 8 20\n";
  return s.str() + "until 104 60\n";
}

}  // namespace

std::string DriveScript(const Plan& p, const Options& o, const std::string& setup, const std::string& link,
                        const std::string& backup, const std::string& root, const std::string& lastFile,
                        const std::string& lastText) {
  std::ostringstream s;
  s << "start " << setup << "\nuntil 11 20\nclick-label 11 Reset\nuntil 21 20\npick 21 182 " << p.kind->code
    << "\nclick-label 21 Selection OK\nuntil 88\nclick-label 88 " << link
    << "\nclick-label 88 Selection OK\ngone 88 60\n";
  if (p.fastScope)
    return s.str() + FastScopeScript(p, o, (std::filesystem::path(root).parent_path() / "sweep").string());
  s << (p.kind->streams ? StreamInterval(o.interval) : "") << "until 104 60\n" << SetUpInWindows(p)
    << FeedbackSchedule(p, setup) << "panel " << backup << "\npanel " << root
    << "\nclick 104 203\ngone 104 60\nuntil 15 60\n"
       // A quiet second before Setup OK: the run's first request is the first after it.
       "wait 1\nclick 15 11\ngone 15\nuntil 1 60\n";
  // The timed actions, in order, each waiting from the one before.
  double now = 0;
  std::size_t m = 0;
  std::size_t k = 0;
  const auto markersUntil = [&](double until) {
    for (;;) {
      const bool key = k < p.switchKeys.size() && p.switchKeys[k].at < until &&
                       (m >= p.markers.size() || p.switchKeys[k].at < p.markers[m].at);
      if (!key && !(m < p.markers.size() && p.markers[m].at < until)) return;
      const double at = key ? p.switchKeys[k].at : p.markers[m].at, hold = key ? p.switchKeys[k].hold : 0.3;
      const std::string name = key ? p.switchKeys[k++].key : std::string(1, p.markers[m++].key);
      if (at > now) s << "wait " << at - now << "\n";
      s << "hold " << name << "\nwait " << hold << "\nrelease " << name << "\n";
      now = std::max(now, at) + hold;
    }
  };
  for (const Pause& pause : p.pauses) {
    markersUntil(pause.at);
    if (pause.at > now) s << "wait " << pause.at - now << "\n";
    s << "hold ctrl+p\nuntil 300 10\nrelease ctrl+p\n";
    if (pause.newInterval > 0) s << "pick 300 250 " << IntervalItem(pause.newInterval) << "\n";
    s << "wait " << pause.seconds << "\nclick 300 51\ngone 300\n";
    now = std::max(now, pause.at) + pause.seconds;
  }
  markersUntil(o.seconds);
  if (o.seconds > now) s << "wait " << o.seconds - now << "\n";
  // The Recording Check the stop shows, listed for the checks.
  s << "hold Escape\nuntil 112 30\nrelease Escape\nlist 33\n"
    << EditAfterStop(p) << "panel " << lastFile
    << "\nclick 112 2\nuntil 15 30\nclick 15 11\ngone 15\nwait 0.3\n"
    // The text form (File menu item 4) of the same, then the binary format again.
    << "menu 1 4\npanel " << lastText << "\nclick 112 2\nuntil 3 30\nclick 3 2\nclick 3 1\ngone 3\nwait 0.3\n"
    << "menu 1 3\nclick 112 6\nexpect-exit 0\n";
  return s.str();
}

}  // namespace mv::soak
