#include "shell/about.h"

#include <sys/utsname.h>

#include <fstream>
#include <string>

#include "kit/builders.h"
#include "kit/date_text.h"
#include "kit/format.h"
#include "kit/help.h"
#include "kit/protocol.h"
#include "kit/resources.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/macroman.h"
#include "runtime/sound.h"
#include "runtime/system.h"
#include "runtime/windows.h"
#include "setup/state.h"

namespace mv {

namespace {

constexpr RGBColor kBlack{0, 0, 0};
constexpr RGBColor kBlue{0, 0, 52428};
constexpr Rect kSplashRect{100, 56, 643, 350};
constexpr int16_t kBuildDateField = 1;
constexpr int kFlySize = 10;
constexpr int kMarkersLimit = 3200;
constexpr int kNotesLimit = 50;
constexpr int16_t kMoreInfoWidth = 314;
constexpr Rect kMoreInfoButtonRect{98, 204, 198, 226};
constexpr Rect kLogonImagesButtonRect{16, 372, 186, 394};
constexpr Rect kCloseButtonRect{200, 372, 280, 394};

const char* const kSplashPhotos[52] = {"Arches NP.jpg",
                                       "avocets.jpg",
                                       "BEdarner.jpg",
                                       "Big Sur fog.jpg",
                                       "Bosque.jpg",
                                       "bufflehead.jpg",
                                       "cactus.jpg",
                                       "cholla sunrise.jpg",
                                       "collared lizard.jpg",
                                       "darner eyes.jpg",
                                       "dipper.jpg",
                                       "dragonfly.jpg",
                                       "dune tracks.jpg",
                                       "ferruginous flying.jpg",
                                       "ferruginous.jpg",
                                       "flying cranes.jpg",
                                       "foggy pines.jpg",
                                       "ghost flower.jpg",
                                       "GOTV.jpg",
                                       "GPS.jpg",
                                       "great horned owl.jpg",
                                       "green jay.jpg",
                                       "Halfdome winter.jpg",
                                       "Halfdome.jpg",
                                       "Ibex dunes.jpg",
                                       "king eider.jpg",
                                       "manzanita.jpg",
                                       "monarch.jpg",
                                       "Mono tufa.jpg",
                                       "oakleaf.jpg",
                                       "painted bunting.jpg",
                                       "PB shoreline.jpg",
                                       "peacock pheasant.jpg",
                                       "poorwill.jpg",
                                       "puma.jpg",
                                       "rainbow snowgeese.jpg",
                                       "riflebird.jpg",
                                       "sea otter.jpg",
                                       "Sumatran tiger.jpg",
                                       "sunset pines.jpg",
                                       "TDP Cuernos.jpg",
                                       "tiger.jpg",
                                       "TOV dawn.jpg",
                                       "TOV winter.jpg",
                                       "turaco feathers.jpg",
                                       "turkeyfeathers.jpg",
                                       "TwoPeoplesBay.jpg",
                                       "variegated meadowhawk.jpg",
                                       "Wall Street.jpg",
                                       "wandering glider.jpg",
                                       "waves.jpg",
                                       "Zion Canyon.jpg"};

// The splash picture, kept so that it can be drawn again under the flies.
rt::ImageHandle gPhoto;
rt::ImageHandle gLogoText;
int16_t gPhotoNumber = 0;
rt::ImageHandle gFly;

// Runs fn with window as the output window, then restores the previous one.
template <typename Fn>
void DrawingOn(int16_t window, Fn fn) {
  if (!rt::WindowExists(window)) return;
  const int16_t previous = rt::OutputWindow();
  rt::SetOutputWindow(window);
  fn();
  if (previous) rt::SetOutputWindow(previous);
}

// ---- the About window's content ------------------------------------------------------------

// The About window's pictures, loaded when it opens and drawn at every fly step.
rt::ImageHandle gAboutLogo;
rt::ImageHandle gAboutMascot;

void DrawAboutContent() {
  SetWindowBackground(1, true);
  if (PrefsArray[PrefsSlot::MascotPictures]) {
    DrawThisImage(gAboutLogo, 10, 10, 163, 144);
    DrawThisImage(gAboutMascot, 170, 10, 280, 132);
  } else {
    DrawThisImage(gAboutLogo, 90, 10, 218, 132);
  }
  rt::DrawText(79, 169, "Mirevant", KitFont(KestraneFont, 28), kBlack);

  const rt::FontSpec font12 = KitFont(KestraneFont, 12);
  rt::DrawText(16, 268, "Mirevant records and charts the signals", font12, kBlack);
  rt::DrawText(16, 284, "of respirometry and laboratory physiology.", font12, kBlack);
  rt::DrawText(16, 300, copyrightSign + " 2015-" + AboutYear(TodayDateText()) + " the Mirevant developers.",
               font12, kBlack);
  rt::DrawText(30, 330, "Not for mission-critical, clinical or", font12, kBlack);
  rt::DrawText(30, 346, "diagnostic use.", font12, kBlack);
  rt::DrawText(20, 365, "Mascot pictures drawn for Mirevant.", KitFont(KestraneFont, 10), kBlack);
}

bool ClickOnAboutButton(Point p) {
  for (const Rect& r : {kMoreInfoButtonRect, kLogonImagesButtonRect, kCloseButtonRect})
    if (p.h >= r.left && p.h < r.right && p.v >= r.top && p.v < r.bottom) return true;
  return false;
}

// A press on the About window's content (not on a button) that is still held.
bool MouseHeldOnAbout() {
  return rt::Button() && rt::LastClickCount() == 1 && rt::LastClickWindow() == kAboutWindow &&
         !ClickOnAboutButton(rt::LastClickPosition());
}

// ---- the fly layer ---------------------------------------------------------------------------

struct FlyLayer {
  int16_t host;
  int16_t left, top;  // the layer's origin on the screen
};

FlyLayer LayerFor(int16_t mode) {
  return mode == 1 ? FlyLayer{kAboutWindow, 153, 66} : FlyLayer{kSplashWindow, 23, 36};
}

// The photo and the name over it fill the splash window exactly: drawn any larger,
// the window would cut off the photo's caption in its bottom right corner.
void DrawSplashPicture() {
  const auto right = static_cast<int16_t>(kSplashRect.width()), bottom = static_cast<int16_t>(kSplashRect.height());
  DrawThisImage(gPhoto, 0, 0, right, bottom);
  DrawThisImage(gLogoText, 0, 0, right, bottom);
}

void DrawBackdrop(int16_t mode) {
  if (mode == 1)
    DrawAboutContent();
  else
    DrawSplashPicture();
}

// Draws the window under the flies, then every fly at its place.
void DrawFlies(int16_t mode) {
  const FlyLayer layer = LayerFor(mode);
  DrawingOn(layer.host, [&] {
    DrawBackdrop(mode);
    const Rect host = rt::WindowContentRect(layer.host);
    const int dx = layer.left - host.left, dy = layer.top - host.top;
    for (int k = 1; k <= Nflies && k <= kMaxFlies; ++k) {
      const int x = FlyPositionArray[k][0] + dx, y = FlyPositionArray[k][1] + dy;
      DrawThisImage(gFly, static_cast<int16_t>(x), static_cast<int16_t>(y),
                    static_cast<int16_t>(x + kFlySize), static_cast<int16_t>(y + kFlySize));
      if (mode == 0) rt::FlushWindow();
    }
    rt::FlushWindow();
  });
}

// Window 15 stands for the fly layer while the flies crawl. The window system
// offers no see-through window, so it stays hidden (one pixel, so that nothing
// flashes while it opens) and the flies are drawn onto the window underneath;
// scripts and callers still find the layer by its number.
void OpenFlyLayerWindow() {
  const int16_t previous = rt::OutputWindow();
  rt::OpenWindow(kFlyOverlayWindow, "", Rect{53, 56, 54, 57}, 14);
  rt::HideWindow(kFlyOverlayWindow);
  if (previous) rt::SetOutputWindow(previous);
}

// A blinking eye on the start-up overlay.
void BlinkTheEye() {
  if (rt::Rnd(18) < 8) return;
  const std::string frame = "vorneye" + std::to_string(rt::Rnd(8)) + ".gif";
  DrawingOn(kStartupOverlayWindow,
            [&] { DrawThisImage(CreateCGImageFromBundleResource("MVimages", frame), 107, 87, 173, 102); });
}

}  // namespace

// ---- About -------------------------------------------------------------------------------------

Str255 AboutYear(const Str255& dateText) {
  const Str255 digits = dateText.mid(7, 2);
  const int year = 2000 + static_cast<int>(TextToNumber(digits));
  if (digits.size() != 2 || year < 2015) return "2015";
  return "20" + digits;
}

void BuildAboutWindow() {
  BuildWINDOW(kAboutWindow, "About Mirevant", 180, 60, 476, 460, 6);
  gAboutLogo = CreateCGImageFromBundleResource("MVimages", "MVlogo.gif");
  gAboutMascot = CreateCGImageFromBundleResource("MVimages", "Pladdy2.gif");
  DrawAboutContent();
  rt::NewEditField(kBuildDateField, "Build date: " + version, Rect{20, 180, 276, 196}, 5, 2);
  rt::SetEditColors(kBuildDateField, kBlue, kThemeBackground);
  rt::SetEditFont(kBuildDateField, KitFont(KestraneFont, 11));
  rt::NewControl(AboutButton::MoreInfo, rt::ControlType::PushButton, "More Info...", kMoreInfoButtonRect, 1);
  rt::NewControl(AboutButton::LogonImages, rt::ControlType::PushButton, "About the logon images...",
                 kLogonImagesButtonRect, 1);
  rt::NewControl(AboutButton::Close, rt::ControlType::PushButton, "Close", kCloseButtonRect, 1);
  rt::FlushWindow();
}

void AboutMV() {
  const HandlerScope callersHandlers;
  BuildAboutWindow();
  rt::SetDialogHandler(doDIALOG);
  rt::FlushEvents();
  Action = 0;
  rt::PumpEvents(0);
  if (SoundsOn()) {
    PlaySound("piiing.mp3", "MVsounds");
    rt::WaitForSoundEnd();
  }
  StartTheFlies(1);
  for (;;) {
    rt::PumpEvents(kFlyFrameMs);
    if (Action == ActionCode::Click && EventID == AboutButton::MoreInfo) {
      ShowMoreInfo();
      rt::SetDialogHandler(doDIALOG);
    } else if (Action == ActionCode::Click && EventID == AboutButton::LogonImages) {
      DoHelpWindow(kLogonImagesHelpTopic);
    }
    // A menu command may close the window under the loop: then the loop is over too.
    const bool done = !rt::WindowExists(kAboutWindow) || (Action == ActionCode::Click && EventID == AboutButton::Close) ||
                      (Action == ActionCode::WindowActivity && EventID != kFlyOverlayWindow) ||
                      (Action == ActionCode::CloseBox && EventID == kAboutWindow) || MouseHeldOnAbout();
    Action = 0;
    if (done) break;
    MoveTheFlies(1);
  }
  rt::CloseWindow(kFlyOverlayWindow);
  rt::CloseWindow(kAboutWindow);
  wsst();
}

// ---- More Info -------------------------------------------------------------------------------

std::array<Str255, 4> CapacityLimitLines() {
  return {"Channels  " + NumText(MaximumChans),
          "Cases per channel: " + NumText(MaximumSamples / 1'000'000) + " million",
          "Markers: " + PictureFormat(kMarkersLimit, "###,###"), "On-line notes: " + NumText(kNotesLimit)};
}

std::string SystemDescription() {
  std::ifstream release("/etc/os-release");
  std::string line;
  while (std::getline(release, line)) {
    if (line.rfind("PRETTY_NAME=", 0) != 0) continue;
    std::string name = line.substr(12);
    if (name.size() >= 2 && (name.front() == '"' || name.front() == '\''))
      name = name.substr(1, name.size() - 2);
    if (!name.empty()) return name;
  }
  utsname system{};
  if (uname(&system) == 0) return std::string(system.sysname) + " " + system.release;
  return "an unknown system";
}

void ShowMoreInfo() {
  const HandlerScope callersHandlers;
  BuildWINDOW(kMoreInfoWindow, "More About Mirevant..", 250, 90, 250 + kMoreInfoWidth, 430, 6);
  DrawThisImage(CreateCGImageFromBundleResource("MVimages", "MVlogo.gif"), 88, 7, 226, 129);
  const rt::FontSpec font13 = KitFont(KestraneFont, 13);
  rt::DrawText(35, 175, "Program capacity limits:", font13, kBlack);
  const std::array<Str255, 4> lines = CapacityLimitLines();
  for (int k = 0; k < 4; ++k) rt::DrawText(70, 200 + 20 * k, lines[k], font13, kBlack);
  // A long system name gets a smaller size rather than running past the edge.
  const std::string running = Utf8ToMacRoman("Running on " + SystemDescription());
  rt::FontSpec runningFont = font13;
  while (runningFont.pixelSize > 9 && 25 + rt::TextWidth(running, runningFont) > kMoreInfoWidth - 8)
    runningFont.pixelSize -= 1;
  rt::DrawText(25, 291, running, runningFont, kBlack);
  rt::NewControl(1, rt::ControlType::PushButton, "Close", Rect{117, 305, 197, 327}, 1);
  rt::FlushWindow();
  rt::SetDialogHandler(doDIALOG);
  Action = 0;
  for (;;) {
    rt::PumpEvents();
    const bool done = !rt::WindowExists(kMoreInfoWindow) || (Action == ActionCode::Click && EventID == 1) ||
                      (Action == ActionCode::CloseBox && EventID == kMoreInfoWindow);
    Action = 0;
    if (done) break;
  }
  rt::CloseWindow(kMoreInfoWindow);
}

// ---- splash ------------------------------------------------------------------------------------

const char* SplashPhotoName(int16_t n) {
  return n >= 1 && n <= 52 ? kSplashPhotos[n - 1] : "";
}

int16_t SplashPhotoNumber() {
  return gPhotoNumber;
}

void SplashScreenJPEG() {
  rt::OpenWindow(kStartupOverlayWindow, "  ", kSplashRect, 14);
  rt::HideWindow(kStartupOverlayWindow);
  rt::OpenWindow(kSplashWindow, "  ", kSplashRect, 1);
  gPhotoNumber = static_cast<int16_t>(rt::Rnd(52));
  gPhoto = CreateCGImageFromBundleResource("MVsplashscreens", SplashPhotoName(gPhotoNumber));
  gLogoText = CreateCGImageFromBundleResource("MVsplashscreens", "MV logo text.png");
  DrawSplashPicture();
  rt::FlushWindow();
}

// ---- flies -------------------------------------------------------------------------------------

void StepFly(std::array<int16_t, 4>& fly) {
  int16_t &x = fly[0], &y = fly[1], &h = fly[2], &v = fly[3];
  if (rt::Rnd(8) >= 7) h = static_cast<int16_t>(-h);
  if (rt::Rnd(8) >= 7) v = static_cast<int16_t>(-v);
  const auto s = static_cast<int16_t>(rt::Rnd(5));
  if (y < 7) v = static_cast<int16_t>(s + 3);
  if (y >= 486) v = static_cast<int16_t>(-(s + 3));
  if (x < 7) h = static_cast<int16_t>(s + 3);
  if (x >= 734) h = static_cast<int16_t>(-(s + 3));
  x = static_cast<int16_t>(x + h);
  y = static_cast<int16_t>(y + v);
}

void StartTheFlies(int16_t mode) {
  OpenFlyLayerWindow();
  Nflies = static_cast<int16_t>(4 + rt::Rnd(6));
  for (int k = 1; k <= Nflies; ++k) {
    const int16_t step = k <= 2 ? 3 : (k <= 4 ? 5 : 4);
    FlyPositionArray[k] = {static_cast<int16_t>(rt::Rnd(110) + (mode == 0 ? 110 : 0)),
                           static_cast<int16_t>(rt::Rnd(110)), step, step};
  }
  gFly = CreateCGImageFromBundleResource("MVimages", "fly.png");
  DrawFlies(mode);
}

void MoveTheFlies(int16_t mode) {
  if (mode == 0) BlinkTheEye();
  for (int k = 1; k <= Nflies && k <= kMaxFlies; ++k) StepFly(FlyPositionArray[k]);
  DrawFlies(mode);
}

void StopTheFlies(int16_t mode) {
  rt::CloseWindow(kFlyOverlayWindow);
  const FlyLayer layer = LayerFor(mode);
  DrawingOn(layer.host, [&] {
    DrawBackdrop(mode);
    rt::FlushWindow();
  });
}

}  // namespace mv
