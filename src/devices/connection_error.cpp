// The Connection Error window, with its demonstration fallback, and the pictures that
// tell the user how a connection went.
#include <string>
#include <vector>

#include "devices/connection.h"
#include "devices/connection_road.h"
#include "devices/state.h"
#include "kit/builders.h"
#include "kit/needs.h"
#include "kit/protocol.h"
#include "kit/resources.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/macroman.h"
#include "runtime/windows.h"

namespace mv {

namespace {

constexpr int16_t kLeft = 53, kTop = 250, kWidth = 484, kHeight = 205;
constexpr int16_t kDemoButton = 1, kQuitButton = 2, kRetryButton = 3;
// Characters of a reason line; longer reasons are broken at blanks.
constexpr std::size_t kReasonWidth = 72;
constexpr int16_t kReasonLineHeight = 17;
constexpr RGBColor kBlack{0, 0, 0};

std::vector<std::string> BreakIntoLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string rest = text;
  while (!rest.empty()) {
    if (rest.size() <= kReasonWidth) {
      lines.push_back(rest);
      break;
    }
    std::size_t cut = rest.rfind(' ', kReasonWidth);
    if (cut == std::string::npos || cut == 0) cut = kReasonWidth;
    lines.push_back(rest.substr(0, cut));
    rest = rest.substr(cut);
    if (!rest.empty() && rest[0] == ' ') rest.erase(0, 1);
  }
  return lines;
}

// The interface was not found: a sad face in the window that showed the progress.
void MarkFailureInCurrentWindow() {
  if (!rt::OutputWindow()) return;
  DrawThisImage(CreateCGImageFromBundleResource("MVimages", "sadMac.gif"), 276, 67, 404, 189);
  rt::FontSpec question = KitFont(KestraneFont, 120);
  question.bold = true;
  rt::DrawText(210, 154, "?", question, RGBred);
  rt::FlushWindow();
}

void BuildErrorWindow(const Str255& name, const std::vector<std::string>& reason) {
  const int16_t extra =
      reason.empty() ? 0 : static_cast<int16_t>(14 + kReasonLineHeight * static_cast<int16_t>(reason.size()));
  BuildWINDOW(kConnectionErrorWindow, "Connection Error", kLeft, kTop, kLeft + kWidth,
              static_cast<int16_t>(kTop + kHeight + extra), 6);
  WARNINGSTRIPES(6);
  DrawThisImage(CreateCGImageFromBundleResource("MVimages", "CautionIcon.gif"), 25, 19, 57, 52);
  EmbossPrint(0, name + " not found!", 28, 84, 44);
  rt::NewControl(kDemoButton, rt::ControlType::PushButton, "Proceed in DEMO Mode", Rect{20, 60, 200, 80}, 1);
  rt::NewControl(kRetryButton, rt::ControlType::PushButton, "Retry or Change A-D", Rect{210, 60, 360, 80}, 1);
  rt::NewControl(kQuitButton, rt::ControlType::PushButton, "Quit", Rect{370, 60, 450, 80}, 1);
  const rt::FontSpec font = KitFont(KestraneFont, 13);
  rt::DrawText(30, 115, "Before you retry the connection or change A-D converters, switch ", font, kBlack);
  rt::DrawText(40, 135, "off the A-D converter for a few seconds, then turn it back on.", font, kBlack);
  rt::DrawText(30, 160, "Sometimes you may also have to disconnect and re-connect the", font, kBlack);
  rt::DrawText(40, 180, "USB to serial converter.", font, kBlack);
  const rt::FontSpec small = KitFont(KestraneFont, 12);
  int16_t y = 203;
  for (const std::string& line : reason) {
    y = static_cast<int16_t>(y + kReasonLineHeight);
    rt::DrawText(30, y, line, small, RGBred);
  }
  rt::FlushWindow();
}

}  // namespace

void ConnectionERROR(const Str255& name) {
  ConnectionERROR(name, {});
}

void ConnectionERROR(const Str255& name, const std::string& reason) {
  const HandlerScope callersHandlers;
  NoteConnectionError(name.str());
  const int16_t previous = rt::OutputWindow();
  MarkFailureInCurrentWindow();
  PlaySound("bzot.mp3", "MVsounds");
  BuildErrorWindow(name,
                   reason.empty()
                       ? std::vector<std::string>{}
                       : BreakIntoLines(Utf8ToMacRoman("The serial port could not be opened: " + reason)));
  InstallDialogHandlers(NoMENU);
  Action = 0;
  EventID = 0;
  for (;;) {
    rt::PumpEvents();
    const bool quit = (Action == ActionCode::Click && EventID == kQuitButton) ||
                      (Action == ActionCode::CloseBox && EventID == kConnectionErrorWindow);
    if (Action == ActionCode::Click && EventID == kDemoButton) {
      External_AD = ExternalADCode::Demonstration;
      DemonstrationMODE = 1;
      PrefsArray[PrefsSlot::RedoInterface] = 0;
      break;
    }
    if (Action == ActionCode::Click && EventID == kRetryButton) {
      PrefsArray[PrefsSlot::RedoInterface] = 1;
      CloseActivePort();
      break;
    }
    // Quitting goes through the program's Quit, which returns when the user keeps the program.
    if (quit) services::Quit();
    Action = 0;
  }
  rt::CloseWindow(kConnectionErrorWindow);
  Action = 0;
  EventID = 0;
  if (previous && rt::WindowExists(previous)) rt::SetOutputWindow(previous);
}

void ConnectionOKindicator() {
  ClearArea(276, 45, 468, 196);
  DrawThisImage(CreateCGImageFromBundleResource("MVimages", "MVlogo.gif"), 276, 67, 404, 189);
  if (PrefsArray[PrefsSlot::MascotPictures] != 0)
    DrawThisImage(CreateCGImageFromBundleResource("MVimages", "Pladdy3.gif"), 385, 67, 493, 187);
  rt::FlushWindow();
}

}  // namespace mv
