#include "control/needs.h"

#include "control/switching.h"
#include "control/zero_link_window.h"

namespace mv::switch_window_hooks {

Hook<void()> COLORSELECT{"switch_window_hooks::COLORSELECT"};
Hook<void()> SWITCHTOREFERENCE{"switch_window_hooks::SWITCHTOREFERENCE", ::mv::SWITCHTOREFERENCE};
Hook<void()> EXTRAZERO{"switch_window_hooks::EXTRAZERO", ::mv::EXTRAZERO};

void ResetSwitchWindowHooks() {
  ResetHooks("switch_window_hooks::");
}

}  // namespace mv::switch_window_hooks
