#include "control/zero_link_window.h"

#include <algorithm>

#include "conversions/needs.h"
#include "kit/builders.h"
#include "kit/channel_labels.h"
#include "kit/format.h"
#include "kit/help.h"
#include "kit/protocol.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/windows.h"
#include "setup/state.h"

namespace mv {

namespace {

constexpr int16_t W = kZeroLinkWindow;
constexpr RGBColor kBlack{0, 0, 0};
constexpr RGBColor kRed{65535, 0, 0};

int16_t Channels() {
  return std::clamp<int16_t>(nChannels, 0, 16);
}

bool Switched(int16_t r) {
  return ChannelVariables[r][ChanField::Device] != 0;
}

int16_t& LinkOf(ZeroLinkTable& links, int16_t r) {
  return links[static_cast<std::size_t>(3 * r + 1)];
}

int16_t WindowWidth() {
  return MaximumChans > 12 ? 723 : 643;
}
int16_t WindowHeight() {
  return MaximumChans > 12 ? 375 : 295;
}

Rect LinkButtonRect(int16_t r, int16_t c) {
  const int left = c <= 9 ? 390 + 18 * (c - 1) : 552 + 21 * (c - 10);
  const int width = c <= 9 ? 18 : 21;
  return Rect{static_cast<int16_t>(left), static_cast<int16_t>(19 * r + 9),
              static_cast<int16_t>(left + width), static_cast<int16_t>(19 * r + 26)};
}

void BuildRow(int16_t r) {
  const bool switched = Switched(r);
  EFForeColor = switched ? 2 : 1;
  EFBackColor = switched ? 8 : 7;
  const auto field = static_cast<int16_t>(105 + r);
  BUILDEF(field, ZeroLinkRowText(r), 3, static_cast<int16_t>(19 * r + 11), 308,
          static_cast<int16_t>(19 * r + 25), 7, 0);
  rt::FontSpec font = KitFont(KestraneFont, 12);
  font.bold = switched;
  rt::SetEditFont(field, font);
  const rt::FontSpec text = KitFont(KestraneFont, 12);
  rt::DrawText(314, 19 * r + 23, switched ? "zero link to:" : "(not switched)", text,
               switched ? kRed : kBlack);
  if (!switched) return;
  for (int16_t c = 1; c <= Channels(); ++c)
    rt::NewControl(ZeroLinkButton(r, c), rt::ControlType::PushButton, NumText(c).str().substr(1),
                   LinkButtonRect(r, c), c == r ? 0 : 1);
  const int16_t link = zerolink[static_cast<std::size_t>(3 * r + 1)];
  if (link >= 1 && link <= Channels() && link != r) rt::SetControlState(ZeroLinkButton(r, link), 2);
}

void BuildZeroLinkWindow() {
  const int16_t w = WindowWidth(), h = WindowHeight();
  BuildWINDOW(W, "Set Zero Linkages to Additional Switched Channels", 6, 45, static_cast<int16_t>(6 + w),
              static_cast<int16_t>(45 + h), 6);
  const rt::FontSpec heading = KitFont(KestraneFont, 14);
  rt::DrawText(8, 17, "primary channel, A-D input, device: label", heading, kBlack);
  rt::DrawText(390, 17, "additional channel", heading, kBlack);
  for (int16_t r = 1; r <= Channels(); ++r) BuildRow(r);
  const auto top = static_cast<int16_t>(h - 26), bottom = static_cast<int16_t>(h - 6);
  rt::NewControl(kZeroLinkHelp, rt::ControlType::PushButton, "?", Rect{310, top, 350, bottom}, 1);
  rt::NewControl(kZeroLinkClearAll, rt::ControlType::PushButton, "Clear All", Rect{360, top, 480, bottom}, 1);
  // Kept inside the narrower window of twelve channels.
  const auto right = static_cast<int16_t>(std::min(680, w - 8));
  rt::NewControl(kZeroLinkOK, rt::ControlType::DefaultButton, "Zero Linking OK",
                 Rect{500, top, right, bottom}, 1);
  rt::FlushWindow();
}

void ClearAllClicked() {
  if (Sound_Is_On) PlaySound("rip.mp3", "MVsounds");
  for (int16_t r = 1; r <= Channels(); ++r) {
    if (!Switched(r)) continue;
    for (int16_t c = 1; c <= Channels(); ++c) rt::SetControlState(ZeroLinkButton(r, c), c == r ? 0 : 1);
  }
  ClearZeroLinks(zerolink);
}

void LinkClicked(int32_t button) {
  const LinkPair p = LinkButtonPair(button);
  if (p.row < 1 || p.row > Channels() || p.channel < 1 || p.channel > Channels() || p.row == p.channel)
    return;
  rt::SetControlState(ZeroLinkButton(p.row, p.channel), 2);
  const int16_t old = ToggleZeroLink(zerolink, p.row, p.channel);
  if (old != 0 && old != p.row) rt::SetControlState(ZeroLinkButton(p.row, old), 1);
}

// One event: true when it ends the window.
bool HandleZeroLinkEvent() {
  switch (Action) {
    case ActionCode::Key:
    case ActionCode::WindowActivity:
    case ActionCode::CloseBox:
      return true;
    case ActionCode::Click:
      break;
    default:
      return false;
  }
  switch (EventID) {
    case kZeroLinkOK:
      return true;
    case kZeroLinkHelp:
      DoHelpWindow(149);
      break;
    case kZeroLinkClearAll:
      ClearAllClicked();
      break;
    default:
      LinkClicked(EventID);
      break;
  }
  return false;
}

void ZeroLinkMenuHandler(int16_t menu, int16_t menuItem) {
  services::ShortMENU(menu, menuItem);
}

}  // namespace

LinkPair LinkButtonPair(int32_t button) {
  LinkPair p{static_cast<int16_t>(button / 16), static_cast<int16_t>(button % 16)};
  if (p.channel == 0) {
    p.channel = 16;
    p.row = static_cast<int16_t>(p.row - 1);
  }
  return p;
}

int16_t ToggleZeroLink(ZeroLinkTable& links, int16_t r, int16_t c) {
  int16_t& link = LinkOf(links, r);
  const int16_t old = link;
  link = old == c ? 0 : c;
  return old;
}

void ClearZeroLinks(ZeroLinkTable& links) {
  for (int16_t r = 1; r <= 16; ++r) {
    links[static_cast<std::size_t>(3 * r + 1)] = 0;
    links[static_cast<std::size_t>(3 * r + 2)] = 0;
  }
}

Str255 ZeroLinkRowText(int16_t r) {
  Str255 number = NumText(r);
  if (!number.empty() && number[0] == ' ') number = number.mid(2);
  return number + "," + NumText(ChannelVariables[r][ChanField::Input]) + "," +
         NumText(ChannelVariables[r][ChanField::Device]) + ": " + ChannelLabel(r);
}

void EXTRAZERO() {
  const HandlerScope callersHandlers;
  BuildZeroLinkWindow();
  InstallDialogHandlers(ZeroLinkMenuHandler);
  services::SetUpMENUs(0);
  Action = 0;
  EventID = 0;
  bool done = false;
  while (!done && rt::WindowExists(W)) {
    rt::PumpEvents();
    rt::SetOutputWindow(W);
    done = HandleZeroLinkEvent();
    Action = 0;
    EventID = 0;
  }
  if (rt::WindowExists(W)) rt::CloseWindow(W);
  RebuildZeroBackLinks(16);
}

void ExtraZeroLinkagesCommand() {
  EXTRAZERO();
  services::SetUpMENUs(1);
}

}  // namespace mv
