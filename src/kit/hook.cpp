#include "kit/hook.h"

namespace mv {

namespace {

std::vector<HookBase*>& Registry() {
  static std::vector<HookBase*> hooks;
  return hooks;
}

}  // namespace

HookBase::HookBase(const char* name) : name_(name) {
  if (name_) Registry().push_back(this);
}

const std::vector<HookBase*>& AllHooks() {
  return Registry();
}

void ResetHooks(std::string_view prefix) {
  for (HookBase* hook : Registry())
    if (std::string_view(hook->Name()).starts_with(prefix)) hook->Reset();
}

}  // namespace mv
