#include "conversions/window_hooks.h"

#include "shell/state.h"

namespace mv::conversion_hooks {

std::function<void(int16_t)> ConversionOptions;
std::function<void(int16_t)> DIRECTCAL;

void ResetConversionWindowHooks() {
  ConversionOptions = [](int16_t) {};
  DIRECTCAL = [](int16_t) { Action = ActionCode::CloseBox; };
}

namespace {
struct Init {
  Init() { ResetConversionWindowHooks(); }
} init;
}  // namespace

}  // namespace mv::conversion_hooks
