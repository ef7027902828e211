#include "kit/hook.h"

#include <cstdio>
#include <set>
#include <string>

namespace mv {

namespace {

std::vector<HookBase*>& Registry() {
  static std::vector<HookBase*> hooks;
  return hooks;
}

void WriteUnbuiltCall(const char* name) {
  static std::set<std::string, std::less<>> reported;
  if (!reported.insert(name).second) return;
  std::fputs("mirevant: internal fault: ", stderr);
  std::fputs(name, stderr);
  std::fputs(" was called but nothing installed it\n", stderr);
}

UnbuiltCallHandler& Handler() {
  static UnbuiltCallHandler handler = &WriteUnbuiltCall;
  return handler;
}

}  // namespace

void SetUnbuiltCallHandler(UnbuiltCallHandler handler) {
  Handler() = handler ? handler : &WriteUnbuiltCall;
}

void ReportUnbuiltCall(const char* name) {
  Handler()(name ? name : "(unnamed hook)");
}

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
