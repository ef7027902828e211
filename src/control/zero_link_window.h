// The zero-link window ("Set Zero Linkages to Additional Switched Channels"): for each
// switched channel, the one further channel that is zeroed together with it.
#pragma once
#include <cstdint>

#include "control/state.h"
#include "runtime/str255.h"

namespace mv {

constexpr int16_t kZeroLinkWindow = 5;
// The bottom buttons. They are numbered above the link buttons (16 x row + channel,
// 17 to 272), which 201 to 203 would share from twelve channels on.
constexpr int16_t kZeroLinkOK = 301, kZeroLinkClearAll = 302, kZeroLinkHelp = 303;

// The link button of channel c in channel r's row.
constexpr int16_t ZeroLinkButton(int16_t r, int16_t c) {
  return static_cast<int16_t>(16 * r + c);
}
// The row and the channel a link button stands for.
struct LinkPair {
  int16_t row = 0;
  int16_t channel = 0;
};
LinkPair LinkButtonPair(int32_t button);
// A click on channel c in row r: links r to c, or removes the link when it already
// names c. Returns the channel r was linked to before (0 none).
int16_t ToggleZeroLink(ZeroLinkTable& links, int16_t r, int16_t c);
// "Clear All": every link and back-link gone, the on/off word kept.
void ClearZeroLinks(ZeroLinkTable& links);
// A channel's row text: number, A-D input, device and label.
Str255 ZeroLinkRowText(int16_t channel);

// The window; it leaves the menu bar off for its caller to switch on.
void EXTRAZERO();
// The A-D menu's "Extra Zero Linkages": the window, then the menu bar back on.
void ExtraZeroLinkagesCommand();

}  // namespace mv
