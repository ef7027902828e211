#include "kit/help.h"

#include <array>
#include <utility>

#include "kit/builders.h"
#include "kit/state.h"
#include "runtime/help.h"
#include "runtime/system.h"
#include "runtime/windows.h"

namespace mv {

namespace {

constexpr const char* kHelpFolder = "HelpFiles";

// Pages of topics 128 to 194; "" where a topic has no page.
constexpr std::array<const char*, 67> kTopicPages = {
    "MVoverview.html",                // 128
    "MirevantModes.html",             // 129
    "SampleRates.html",               // 130
    "MVchannels.html",                // 131
    "MVvolts.html",                   // 132
    "scaleav.html",                   // 133
    "averaging.html",                 // 134
    "displaysetup.html",              // 135
    "triggers.html",                  // 136
    "devices.html",                   // 137
    "gatherdata.html",                // 138
    "options.html",                   // 139
    "ClosedSystemRespirometry.html",  // 140
    "baudRates.html",                 // 141
    "timedBackups.html",              // 142
    "",                               // 143
    "",                               // 144
    "",                               // 145
    "",                               // 146
    "audibleTimer.html",              // 147
    "DatatakerModes.html",            // 148
    "zeroLinking.html",               // 149
    "",                               // 150
    "",                               // 151
    "AOscript.html",                  // 152
    "feedback control.html",          // 153
    "customConversions.html",         // 154
    "",                               // 155
    "conversionOptions.html",         // 156
    "XY plots.html",                  // 157
    "external AD.html",               // 158
    "direct calibration.html",        // 159
    "allometry.html",                 // 160
    "streamingSerial.html",           // 161
    "fMVFileMenu.html",               // 162
    "EditMenu.html",                  // 163
    "ViewMenu.html",                  // 164
    "A-DMenu.html",                   // 165
    "D-AMenu.html",                   // 166
    "MVCalculatorMenu.html",          // 167
    "spikeFilter.html",               // 168
    "SunriseSunset.html",             // 169
    "plotHeight.html",                // 170
    "ADAMchannels.html",              // 171
    "ADAMaddressing.html",            // 172
    "channelCheck.html",              // 173
    "preferences.html",               // 174
    "preferences2.html",              // 175
    "preferences3.html",              // 176
    "worldMap.html",                  // 177
    "MVCalculatorMenuMath.html",      // 178
    "MVCalculatorMenuSTP.html",       // 179
    "MVCalculatorMenuAltitude.html",  // 180
    "MVCalculatorMenuPO2.html",       // 181
    "MVCalculatorMenuMetabolism.html",// 182
    "SampleRateErrorTolerance.html",  // 183
    "StatusDisplays.html",            // 184
    "ScreenHeight.html",              // 185
    "LogonImages.html",               // 186
    "breakpoint.html",                // 187
    "washout.html",                   // 188
    "alarms.html",                    // 189
    "highASCII.html",                 // 190
    "SimpleRegression.html",          // 191
    "SableChannels.html",             // 192
    "expEval.html",                   // 193
    "ChartView.html",                 // 194
};

// The two layouts of the scrolling text window: the caller draws its readouts
// above the text view (the chart-mode layout has less above it).
struct TextWindowLayout {
  Rect frame;  // screen position and size of the content
  Rect text;   // the text view inside it
};
constexpr TextWindowLayout kChartLayout{{381, 220, 620, 520}, {0, 118, 239, 300}};
constexpr TextWindowLayout kScopeChartLayout{{381, 220, 620, 660}, {0, 290, 239, 440}};
constexpr int16_t kTextViewNumber = 1;

}  // namespace

std::string HelpTopicPage(int16_t topic) {
  if (topic < 128 || topic > 194) return {};
  return kTopicPages[static_cast<std::size_t>(topic - 128)];
}

void HBRegister() {}

void HBGotoPage(const std::string& page, const std::string& anchor) {
  if (page.empty()) return;
  rt::ShowHelpPage(rt::ResourcePath(kHelpFolder, page), anchor);
}

int16_t DoHelpWindow(int16_t topic) {
  HBGotoPage(HelpTopicPage(topic));
  return 0;
}

std::string OutsideAddress(int16_t which) {
  switch (which) {
    case 1:
      return "https://mirevant.example.org/";
    case 2:
      return "mailto:support@mirevant.example.org?subject=Mirevant%20question";
    case 3:
      return "https://aa.usno.navy.mil/data/RS_OneYear";
    default:
      return {};
  }
}

void LSLaunchURL(int16_t which) {
  std::string url = OutsideAddress(which);
  if (!url.empty()) rt::OpenURL(url);
}

std::optional<TextView> BuildScrollingTextWindow() {
  return BuildScrollingTextWindow(rt::NextFreeWindowNumber());
}

std::optional<TextView> BuildScrollingTextWindow(int16_t windowNumber) {
  const TextWindowLayout& layout = NIBwindowIndex == 2 ? kChartLayout : kScopeChartLayout;
  BuildWINDOW(windowNumber, "Recording Check", layout.frame.left, layout.frame.top, layout.frame.right,
              layout.frame.bottom, 6);
  TextView view{windowNumber, kTextViewNumber};
  rt::NewTextView(windowNumber, kTextViewNumber, layout.text);
  TxtViewSetMargins(view, 8, 2, 2, 0);
  TxtViewLoadText(view, kSpeedWarningText);
  rt::ShowWindow(windowNumber);
  return view;
}

int16_t TxtViewLoadText(const TextView& view, const std::string&) {
  return rt::LoadTextViewFile(view.window, view.view, rt::ResourcePath("", kSpeedWarningText)) ? 0 : -43;
}

void TxtViewSetMargins(const TextView& view, int16_t left, int16_t top, int16_t right, int16_t bottom) {
  rt::SetTextViewMargins(view.window, view.view, left, top, right, bottom);
}

}  // namespace mv
