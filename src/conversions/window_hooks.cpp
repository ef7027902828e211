#include "conversions/window_hooks.h"

namespace mv::conversion_hooks {

Hook<void(int16_t)> ConversionOptions{"conversion_hooks::ConversionOptions"};
Hook<void(int16_t)> DIRECTCAL{"conversion_hooks::DIRECTCAL"};

void ResetConversionWindowHooks() {
  ResetHooks("conversion_hooks::");
}

}  // namespace mv::conversion_hooks
