#include "conversions/needs.h"

#include "runtime/menus.h"

namespace mv::services {

namespace {

void SwitchMenusOneToSix(int16_t state) {
  for (int16_t menu = 1; menu <= 6; ++menu)
    if (rt::MenuExists(menu)) rt::EnableMenuItem(menu, 0, state != 0);
}

}  // namespace

Hook<void(int16_t)> SetUpMENUs{"services::SetUpMENUs", SwitchMenusOneToSix};
Hook<void(int16_t, int16_t)> ShortMENU{"services::ShortMENU"};
Hook<void()> SAVEsettings{"services::SAVEsettings"};

}  // namespace mv::services

namespace mv::conversion_hooks {

Hook<void(int16_t)> DIRECTCAL{"conversion_hooks::DIRECTCAL"};

void ResetConversionWindowHooks() {
  ResetHooks("conversion_hooks::");
}

}  // namespace mv::conversion_hooks
