// The External A/D Device window, where the interface is fixed; its pictures, the
// one-time connection animation, and the D-A menu states each interface allows.
#include "conversions/custom_table.h"
#include "conversions/needs.h"
#include "devices/connection.h"
#include "devices/connection_road.h"
#include "devices/interfaces.h"
#include "devices/state.h"
#include "kit/builders.h"
#include "kit/help.h"
#include "kit/popups.h"
#include "kit/protocol.h"
#include "kit/resources.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "runtime/menus.h"
#include "runtime/windows.h"

namespace mv {

namespace {

constexpr int16_t kWindow = 21;
constexpr int16_t kInterfacePopup = 182, kBaudField = 2;
constexpr int16_t kOkButton = 16, kDemoButton = 17, kHelpButton = 18, kSaveButton = 19;
constexpr int16_t kHelpTopic = 158;
constexpr int16_t kDAMenu = 5, kDeviceSubmenu = 112, kDigitalPortSubmenu = 111;
// The D-A menu's analog output items; the digital port choice follows them.
constexpr int16_t kLastOutputItem = 8, kDigitalPortItem = 10;
// The conversions window shows the ranges of the interface in use: it does not outlive
// a change of interface.
constexpr int16_t kChannelConversionWindow = 10;
// The animation's frames follow each other this fast (the virtual clock of tests skips it).
constexpr int kFrameMs = 20;
constexpr RGBColor kBlack{0, 0, 0};

rt::ImageHandle Picture(const char* file) {
  return CreateCGImageFromBundleResource("MVimages", file);
}

Str255 BaudFieldText() {
  return Str255(InterfaceFor(External_AD).baudText) + " baud";
}

void BuildDeviceWindow() {
  BuildWINDOW(kWindow, "External A/D Device", 70, 100, 600, 344, 6);
  rt::DrawText(240, 45, "Select A-D converter:", KitFont(KestraneFont, 24), kBlack);
  Popup182(kPopupMenu);
  rt::NewPopupControl(kInterfacePopup, kPopupMenu, "", Rect{230, 69, 518, 103}, External_AD);
  BUILDEF(kBaudField, BaudFieldText(), 250, 120, 500, 142, 5, 1);
  rt::SetEditFont(kBaudField, KitFont(KestraneFont, 18));
  ShowExternalADimage();
  rt::NewControl(kDemoButton, rt::ControlType::PushButton, "Test/demonstration Mode", Rect{20, 210, 200, 230},
                 1);
  rt::NewControl(kHelpButton, rt::ControlType::PushButton, "?", Rect{210, 210, 250, 230}, 1);
  rt::NewControl(kSaveButton, rt::ControlType::PushButton, "Save Selection", Rect{260, 210, 380, 230}, 1);
  rt::NewControl(kOkButton, rt::ControlType::DefaultButton, "Selection OK", Rect{390, 210, 495, 230}, 1);
  rt::FlushWindow();
}

// A choice in the interface popup: items 1 to 9 and 11 are interfaces; the separator
// only dims "Selection OK" until an interface is chosen again.
void ChooseInterface(int item) {
  if (IsInterfaceCode(static_cast<int16_t>(item))) {
    External_AD = static_cast<int16_t>(item);
    baudrate = InterfaceFor(External_AD).defaultBaud;
    rt::SetControlState(kOkButton, 1);
  } else {
    rt::SetControlState(kOkButton, 0);
  }
  PrefsArray[PrefsSlot::InterfaceCode] = External_AD;
  rt::SetEditText(kBaudField, BaudFieldText());
  ShowExternalADimage();
  if (SoundsOn() && PrefsArray[PrefsSlot::StartupSounds] != 0)
    PlaySound("big click.mp3", "MVsounds");
}

void RunDeviceWindow() {
  BuildDeviceWindow();
  Action = 0;
  EventID = 0;
  InstallDialogHandlers(NoMENU);
  rt::SetMenuHandler([](int16_t menu, int16_t menuItem) { services::ShortMENU(menu, menuItem); });
  bool demonstration = false;
  for (;;) {
    rt::PumpEvents();
    if (Action == ActionCode::Click && EventID == kInterfacePopup) {
      ChooseInterface(rt::ControlValue(kInterfacePopup));
    } else if ((Action == ActionCode::Click && EventID == kOkButton) || Action == ActionCode::Key) {
      break;
    } else if ((Action == ActionCode::Click && EventID == kDemoButton) ||
               (Action == ActionCode::CloseBox && EventID == kWindow)) {
      demonstration = true;
      break;
    } else if (Action == ActionCode::Click && EventID == kHelpButton) {
      DoHelpWindow(kHelpTopic);
      rt::BringWindowForward(kWindow);
      rt::SetOutputWindow(kWindow);
    } else if (Action == ActionCode::Click && EventID == kSaveButton) {
      services::SAVEsettings();
      rt::SetOutputWindow(kWindow);
    }
    Action = 0;
  }
  if (demonstration) External_AD = ExternalADCode::Demonstration;
  if (External_AD == ExternalADCode::Demonstration) DemonstrationMODE = 1;
  Action = 0;
  EventID = 0;
  rt::CloseWindow(kWindow);
}

// The window the connection prints into, titled for the interface, with the animation.
void PlayStartupAnimation() {
  const InterfaceRow& row = InterfaceFor(External_AD);
  if (!*row.startupTitle) return;
  if (External_AD == ExternalADCode::SableUI2 || External_AD == ExternalADCode::SableUI3)
    rt::EnableMenuItem(kDeviceSubmenu, 4, true);
  BuildWINDOW(kProgressWindow, row.startupTitle, 40, 54, 550, 445, 262);
  EmbossPrint(0, row.startupHeading, 24, 32, row.headingY);
  ADinterfaceAnimation();
}

}  // namespace

void ExternalADtype(int16_t ask) {
  const HandlerScope callersHandlers;
  services::SetUpMENUs(0);
  External_AD = PrefsArray[PrefsSlot::InterfaceCode] != 0 ? PrefsArray[PrefsSlot::InterfaceCode] : 1;
  baudrate = InterfaceFor(External_AD).defaultBaud;
  // An interface is taken: whatever demonstration mode was on before ends here, unless the
  // user chooses it again below.
  DemonstrationMODE = 0;
  if (ask == 0 && PrefsArray[PrefsSlot::AutoInterface] == 0) RunDeviceWindow();
  if (DemonstrationMODE != 1) {
    ConfigureSERIALPORT();
    if (IsDataTakerCode(External_AD)) {
      DATATAKERBUTTON();
      rt::EnableMenuItem(kDeviceSubmenu, 3, true);
      if (External_AD == ExternalADCode::DT800) rt::EnableMenuItem(kDeviceSubmenu, 4, true);
    }
    if (AnimationDoneAlready == 0) PlayStartupAnimation();
  }
  if (rt::WindowExists(kChannelConversionWindow)) rt::CloseWindow(kChannelConversionWindow);
  AOmenuAdjust();
  Action = 0;
  EventID = 0;
  rt::EnableMenuItem(kDAMenu, 0, false);
  services::SetUpMENUs(1);
}

void ShowExternalADimage() {
  ClearArea(1, 1, 228, 209);
  const InterfaceRow& row = InterfaceFor(External_AD);
  const bool lower = External_AD == ExternalADCode::ADC1 || External_AD == ExternalADCode::SerialStream;
  const int16_t left = lower ? 30 : 10, top = lower ? 40 : 10;
  DrawThisImage(Picture(row.picture), left, top, static_cast<int16_t>(left + row.pictureWidth),
                static_cast<int16_t>(top + row.pictureHeight));
  rt::FlushWindow();
}

void ADinterfaceAnimation() {
  EnsureProgressWindow();
  const InterfaceRow& row = InterfaceFor(External_AD);
  const AnimationGeometry g = row.animation;
  PlayStartSound("upvip.mp3");
  const rt::ImageHandle device = Picture(row.animationPicture), computer = Picture("blank iMac.gif"),
                        arrows = Picture("blue arrows.gif");
  for (int16_t k = 1; k <= 75; k = static_cast<int16_t>(k + 2)) {
    ClearArea(0, 36, 690, 212);
    const auto left = static_cast<int16_t>(g.offset + 2 * k);
    DrawThisImage(device, left, g.top, static_cast<int16_t>(left + g.width),
                  static_cast<int16_t>(g.top + g.height));
    DrawThisImage(computer, static_cast<int16_t>(430 - 2 * k), 67, static_cast<int16_t>(558 - 2 * k), 189);
    DrawThisImage(arrows, static_cast<int16_t>(k + 135), 80, static_cast<int16_t>(344 - k), 146);
    rt::FlushWindow();
    rt::PeekEvents();
    rt::Delay(kFrameMs);
  }
  AnimationDoneAlready = 1;
}

namespace {

// The DataTakers' digital port choice: submenu 111 below the output items, its
// check mark on the port in use. Other interfaces have no such item.
void AttachDigitalPortMenu() {
  while (rt::MenuItemCount(kDAMenu) > kLastOutputItem)
    rt::RemoveMenuItem(kDAMenu, rt::MenuItemCount(kDAMenu));
  if (!IsDataTakerCode(External_AD)) {
    rt::DeleteMenu(kDigitalPortSubmenu);
    return;
  }
  rt::SetMenuItem(kDAMenu, kLastOutputItem + 1, "-");
  rt::SetMenuItem(kDAMenu, kDigitalPortItem, "Digital Port");
  rt::NewMenu(kDigitalPortSubmenu, "Digital Port");
  rt::SetMenuItem(kDigitalPortSubmenu, 1, "Port 0");
  rt::SetMenuItem(kDigitalPortSubmenu, 2, "Port 2");
  rt::CheckMenuItem(kDigitalPortSubmenu, 1, Digital_Port == 0);
  rt::CheckMenuItem(kDigitalPortSubmenu, 2, Digital_Port == 2);
  rt::SetSubmenu(kDAMenu, kDigitalPortItem, kDigitalPortSubmenu);
}

}  // namespace

void AOmenuAdjust() {
  // Only the main bar's D-A menu holds the output items (the start-up bar's is empty).
  if (rt::MenuItemCount(kDAMenu) < kLastOutputItem) return;
  const auto states = DAMenuStates(External_AD);
  for (int16_t i = 1; i <= kLastOutputItem; ++i)
    if (states[i]) rt::EnableMenuItem(kDAMenu, i, *states[i]);
  AttachDigitalPortMenu();
}

void PLACE_AD_ICON(int16_t large, int16_t left, int16_t top) {
  const int16_t size = large != 0 ? 60 : 44;
  if (External_AD == ExternalADCode::SerialStream) top = static_cast<int16_t>(top + 10);
  DrawThisImage(Picture(InterfaceFor(External_AD).icon), left, top, static_cast<int16_t>(left + size),
                static_cast<int16_t>(top + size));
  rt::PumpEvents(0);
}

}  // namespace mv
