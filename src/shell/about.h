// The About and More Info windows, the splash picture and the flies.
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "runtime/str255.h"

namespace mv {

constexpr int16_t kSplashWindow = 5;
constexpr int16_t kStartupOverlayWindow = 7;
constexpr int16_t kFlyOverlayWindow = 15;
constexpr int16_t kAboutWindow = 33;
constexpr int16_t kMoreInfoWindow = 34;

// Buttons of the About window.
namespace AboutButton {
constexpr int16_t MoreInfo = 2, LogonImages = 111, Close = 112;
}
constexpr int16_t kLogonImagesHelpTopic = 186;
// The flies move about 30 times a second.
constexpr int kFlyFrameMs = 33;

// The About window and its loop; ends on Close, its close box, a click on another
// window or the mouse held down after a click on its content.
void AboutMV();
// Builds window 33 with its pictures, texts and buttons (the loop's first step).
void BuildAboutWindow();
// The More Info window and its loop.
void ShowMoreInfo();
// The four capacity lines of the More Info window.
std::array<Str255, 4> CapacityLimitLines();
// The running system's name and version, for the More Info window.
std::string SystemDescription();
// The closing year of the About window's notice: "20" and the last two digits of
// a "MM/dd/yy" date, never before 2015.
Str255 AboutYear(const Str255& dateText);

// Opens the splash window 5 (and the hidden overlay 7) with a photo chosen at
// random and the logo text over it. The caller closes window 5.
void SplashScreenJPEG();
// Photo n (1 to 52) of the splash folder; "" outside that range.
const char* SplashPhotoName(int16_t n);
// The photo number of the last splash (0 before the first).
int16_t SplashPhotoNumber();

// The flies: mode 1 crawls over the About window, mode 0 over the start-up
// screen. Positions live in FlyPositionArray, relative to the fly layer's origin
// (153, 66 on the screen in mode 1, 23, 36 in mode 0); they are drawn onto the
// window underneath, which is redrawn below them at every step. Window 15 (the
// fly layer, kept hidden) exists while they crawl.
void StartTheFlies(int16_t mode);
void MoveTheFlies(int16_t mode);
// Takes the flies off the window they crawl over and closes window 15.
void StopTheFlies(int16_t mode);
// One step of one fly (x, y, horizontal step, vertical step): each step reverses
// on a random 7 or 8 of 8; near an edge it turns inward at 4 to 8 pixels.
void StepFly(std::array<int16_t, 4>& fly);

}  // namespace mv
